// Forward declarations of the runtime's central types, for headers that only pass them along.
#pragma once

namespace fw {

class TObject;
struct TClassRec;
/// A class reference: the class record of a class (see basert/object.h).
using TClass = const TClassRec*;
struct TTypeInfo;
using PTypeInfo = const TTypeInfo*;
struct TPropInfo;
using PPropInfo = const TPropInfo*;
class TPersistent;
class TComponent;
class TStrings;
class TStringList;
class TStream;
class Variant;
struct IInterface;

} // namespace fw
