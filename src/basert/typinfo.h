// Run-time type information: type kinds, type data, published property descriptors, and
// data-driven typed access to any published property by name.
#pragma once

#include "basert/fwd.h"
#include "basert/interfaces.h"
#include "basert/sets.h"
#include "basert/types.h"

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace fw {

// Resource strings of property access.
inline constexpr std::string_view sReadOnlyProperty = "Property %s is read-only";
inline constexpr std::string_view sWriteOnlyProperty = "Property %s is write-only";
inline constexpr std::string_view sUnknownProperty = "Property %s does not exist";
inline constexpr std::string_view sInvalidPropertyType = "Invalid property type: %s";
inline constexpr std::string_view sInvalidPropertyElement = "Invalid property element: %s";
/// In a namespace of its own: the form streams use the name SInvalidPropertyValue for a stream
/// message of another meaning.
namespace rtlconsts {
inline constexpr std::string_view SInvalidPropertyValue = "Invalid property value";
} // namespace rtlconsts

/// Type kinds in their fixed ordinal order (streams and tables index by it).
enum TTypeKind : std::uint8_t {
  kindUnknown,
  kindInteger,
  kindChar,
  kindEnumeration,
  kindFloat,
  kindShortString,
  kindSet,
  kindClass,
  kindMethod,
  kindWideChar,
  kindAnsiString,
  kindWideString,
  kindVariant,
  kindArray,
  kindRecord,
  kindInterface,
  kindInt64,
  kindDynArray,
  kindUnicodeString,
  kindClassRef,
  kindPointer,
  kindProcedure,
};
inline constexpr int TypeKindCount = kindProcedure + 1;
using TTypeKinds = TSet<TTypeKind>;
inline constexpr TTypeKinds tkAny = TTypeKinds::FromMask((std::uint64_t{1} << TypeKindCount) - 1);
inline constexpr TTypeKinds tkMethods = {kindMethod};
inline constexpr TTypeKinds tkProperties = tkAny - tkMethods - TTypeKinds{kindUnknown};

inline constexpr std::array<const char*, TypeKindCount> TypeKindNames = {
    "kindUnknown",     "kindInteger",    "kindChar",     "kindEnumeration",   "kindFloat",
    "kindShortString", "kindSet",        "kindClass",    "kindMethod",        "kindWideChar",
    "kindAnsiString",  "kindWideString", "kindVariant",  "kindArray",         "kindRecord",
    "kindInterface",   "kindInt64",      "kindDynArray", "kindUnicodeString", "kindClassRef",
    "kindPointer",     "kindProcedure"};

enum TOrdType : std::uint8_t { otSByte, otUByte, otSWord, otUWord, otSLong, otULong };
enum TFloatType : std::uint8_t { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
enum TMethodKind : std::uint8_t {
  mkProcedure,
  mkFunction,
  mkConstructor,
  mkDestructor,
  mkClassProcedure,
  mkClassFunction,
  mkClassConstructor,
  mkClassDestructor,
  mkOperatorOverload,
  mkSafeProcedure,
  mkSafeFunction,
};
enum TParamFlag : std::uint8_t { pfVar, pfConst, pfArray, pfAddress, pfReference, pfOut, pfResult };
using TParamFlags = TSet<TParamFlag>;
enum TIntfFlag : std::uint8_t { ifHasGuid, ifDispInterface, ifDispatch };
using TIntfFlags = TSet<TIntfFlag>;

/// A method pointer: code and the object it is bound to. Equal when both fields are equal.
struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

/// How a property's value travels through the typed accessors; fixed by its type kind.
enum class TPropValueClass : std::uint8_t {
  None,      ///< not readable or writable through accessors
  Ordinal,   ///< Int64: integers, chars, enumerations, sets, Int64
  Float,     ///< Extended
  String,    ///< String (UTF-8)
  Wide,      ///< WideString
  Variant,   ///< Variant
  Method,    ///< TMethod
  Object,    ///< TObject*
  Interface, ///< IPtr<IInterface>
};
TPropValueClass PropValueClassOf(TTypeKind kind) noexcept;

inline constexpr Integer NoIndex = static_cast<Integer>(0x80000000u);
inline constexpr Integer NoDefault = static_cast<Integer>(0x80000000u);

/// Reads a property of an instance into `out`, whose C++ type is given by the value class.
using TPropReader = std::function<void(TObject* instance, void* out)>;
/// Writes `in` (C++ type given by the value class) to a property of an instance.
using TPropWriter = std::function<void(TObject* instance, const void* in)>;
using TPropStoredTest = std::function<bool(TObject* instance)>;
/// Whether two instances hold the same value of a property, compared in place.
using TPropSameValue = std::function<bool(TObject* a, TObject* b)>;
/// Lazy type reference: resolved on first use, so a class may publish a property of its own type.
using TTypeRef = PTypeInfo (*)();

/// One published property.
struct TPropInfo {
  String Name;
  TTypeRef TypeRef = nullptr;
  Integer Index = NoIndex;     ///< index specifier, NoIndex when none
  Integer Default = NoDefault; ///< default value of an ordinal property, NoDefault when none
  Integer NameIndex = 0;       ///< position among all published properties of its class
  TPropReader Get;             ///< empty: write-only
  TPropWriter Set;             ///< empty: read-only
  TPropStoredTest StoredTest;  ///< empty: `StoredConst` decides
  /// Compares without copying the values out: equal ordinals, methods and objects, floats
  /// neither less nor greater, strings byte for byte. Empty when not known (then read both).
  TPropSameValue SameValue;
  bool StoredConst = true;
  TPropValueClass ValueClass = TPropValueClass::None; ///< the accessors' value class
  TClass DeclaringClass = nullptr;

  /// The property's type. Raises std::logic_error when the type's value class does not match
  /// the accessors (a registration mistake).
  PTypeInfo PropType() const { return FType ? FType : ResolveType(); }
  bool HasRead() const noexcept { return static_cast<bool>(Get); }
  bool HasWrite() const noexcept { return static_cast<bool>(Set); }

private:
  PTypeInfo ResolveType() const;
  mutable PTypeInfo FType = nullptr;
};

/// One parameter of a method type.
struct TMethodParam {
  TParamFlags Flags;
  String Name;
  String TypeName;
};

/// Type data of every kind in one record; only the fields of the type's kind are meaningful.
struct TTypeData {
  // Ordinals (integer, char, wide char, enumeration, set) and Int64.
  TOrdType OrdType = otSLong;
  Int64 MinValue = 0;
  Int64 MaxValue = 0;
  // Enumerations: the base type (itself for a base type) and its identifiers in ordinal order.
  PTypeInfo BaseType = nullptr;
  std::vector<String> NameList;
  String EnumUnitName;
  // Sets: the element type.
  PTypeInfo CompType = nullptr;
  // Floats.
  TFloatType FloatType = ftDouble;
  bool IsDate = false; ///< a date or time (streamed as a date value)
  // Short strings.
  Byte MaxLength = 255;
  // Classes.
  TClass ClassType = nullptr;
  PTypeInfo ParentInfo = nullptr;
  Integer PropCount = 0; ///< all published properties, inherited ones included
  String UnitName;
  std::vector<std::unique_ptr<TPropInfo>> OwnProps; ///< declared by this class, in order
  // Methods: kind byte, parameter count byte, per parameter a flags byte, a short name and a
  // short type name, then the short result type name (short string = length byte + UTF-8).
  std::vector<Byte> MethodData;
  // Interfaces.
  PTypeInfo IntfParent = nullptr;
  TIntfFlags IntfFlags;
  TGUID Guid;
  String IntfUnit;
  // Class references, arrays and dynamic arrays.
  TClass InstanceType = nullptr;
  PTypeInfo ElType = nullptr;

  /// Cached property lists of a class type; see GetPropList.
  struct TPropCache;
  mutable std::unique_ptr<TPropCache> Cache;

  TTypeData();
  ~TTypeData();
  TTypeData(TTypeData&&) noexcept;
  TTypeData& operator=(TTypeData&&) noexcept;
};

/// A type: its kind, name and data.
struct TTypeInfo {
  TTypeKind Kind = kindUnknown;
  String Name;
  TTypeData Data;
};

/// The type data of a type (never null for a non-null type).
inline const TTypeData* GetTypeData(PTypeInfo t) { return &t->Data; }
/// Method type data in the byte layout described at TTypeData::MethodData.
inline const Byte* GetMethodTypeData(PTypeInfo t) { return t->Data.MethodData.data(); }

// ---- Building types --------------------------------------------------------------------------
// Types built here live until the program ends.

PTypeInfo MakeOrdinalType(String name, TTypeKind kind, TOrdType ordType, Int64 minValue,
                          Int64 maxValue);
PTypeInfo MakeInt64Type(String name, Int64 minValue, Int64 maxValue);
PTypeInfo MakeEnumType(String name, std::vector<String> identifiers, String unitName = {});
/// A subrange of an enumeration: names come from `base`.
PTypeInfo MakeEnumSubrange(String name, PTypeInfo base, Int64 minValue, Int64 maxValue);
PTypeInfo MakeSetType(String name, PTypeInfo elementType);
/// A date or time type with `isDate` (it then travels as a date value in form streams).
PTypeInfo MakeFloatType(String name, TFloatType floatType, bool isDate = false);
PTypeInfo MakeShortStringType(String name, Byte maxLength);
/// A type with no data of its own: strings, variants, pointers and the like.
PTypeInfo MakeSimpleType(String name, TTypeKind kind);
PTypeInfo MakeMethodType(String name, TMethodKind methodKind,
                         const std::vector<TMethodParam>& params, String resultType = {});
PTypeInfo MakeInterfaceType(String name, const TGUID& guid, PTypeInfo parent, String unitName = {});
/// Keeps a type built by the caller alive for the rest of the program.
PTypeInfo KeepType(std::unique_ptr<TTypeInfo> type);

// ---- Built-in types --------------------------------------------------------------------------

PTypeInfo TypeInfoOf(std::type_identity<Integer>);
PTypeInfo TypeInfoOf(std::type_identity<Cardinal>);
PTypeInfo TypeInfoOf(std::type_identity<std::int8_t>);
PTypeInfo TypeInfoOf(std::type_identity<std::int16_t>);
PTypeInfo TypeInfoOf(std::type_identity<Byte>);
PTypeInfo TypeInfoOf(std::type_identity<Word>);
PTypeInfo TypeInfoOf(std::type_identity<Int64>);
PTypeInfo TypeInfoOf(std::type_identity<UInt64>);
PTypeInfo TypeInfoOf(std::type_identity<bool>);
PTypeInfo TypeInfoOf(std::type_identity<char>);     ///< "AnsiChar", kindChar
PTypeInfo TypeInfoOf(std::type_identity<char16_t>); ///< "WideChar", kindWideChar
PTypeInfo TypeInfoOf(std::type_identity<Single>);
PTypeInfo TypeInfoOf(std::type_identity<Double>);
PTypeInfo TypeInfoOf(std::type_identity<Extended>);
PTypeInfo TypeInfoOf(std::type_identity<Currency>);
PTypeInfo TypeInfoOf(std::type_identity<String>);     ///< "string", kindUnicodeString
PTypeInfo TypeInfoOf(std::type_identity<WideString>); ///< "WideString", kindWideString
PTypeInfo TypeInfoOf(std::type_identity<Variant>);
PTypeInfo TypeInfoOf(std::type_identity<IPtr<IInterface>>);
PTypeInfo TypeInfoOf(std::type_identity<TMethod>); ///< a generic procedure-of-object type

/// The type information of C++ type T, found through `TypeInfoOf(std::type_identity<T>)` by
/// argument-dependent lookup; a unit declares that function beside each enumeration it publishes.
template <class T> PTypeInfo TypeInfo() { return TypeInfoOf(std::type_identity<T>{}); }

// Types that share a C++ representation with another and so are named explicitly.
PTypeInfo TypeInfoAnsiString();
PTypeInfo TypeInfoShortString(); ///< string[255]
PTypeInfo TypeInfoTDateTime();
PTypeInfo TypeInfoTDate();
PTypeInfo TypeInfoTTime();
PTypeInfo TypeInfoComp();
PTypeInfo TypeInfoNotifyEvent(); ///< TNotifyEvent = procedure(Sender: TObject) of object

// ---- Enumerations and sets -------------------------------------------------------------------

/// Identifier of an ordinal value of an enumeration (through its base type); for an integer
/// type the decimal value; empty when out of range.
String GetEnumName(PTypeInfo type, Integer value);
/// Ordinal of an identifier (ignoring case), or -1. For an integer type the parsed number.
Integer GetEnumValue(PTypeInfo type, std::string_view name);
/// How many elements (bits, from the element type's lowest ordinal) a set type holds: the
/// element type's range, at most 64.
int SetElementCount(PTypeInfo setType) noexcept;
/// "[a,b]" (or "a,b" without brackets) from a set value's mask; elements in ordinal order.
String SetToString(PTypeInfo setType, Int64 value, bool brackets = false);
/// The mask from "[a, b]" or "a,b"; raises EPropertyError on an unknown element or one outside
/// the set.
Int64 StringToSet(PTypeInfo setType, std::string_view text);

// ---- Property lists --------------------------------------------------------------------------

/// Every published property of a class type in declaration order (ancestors' first; a property
/// redeclared by a descendant keeps its ancestor's place). Empty for a type that is not a class.
const std::vector<PPropInfo>& GetPropInfos(PTypeInfo classType);
/// The properties whose type kind is in `filter`, sorted by name ignoring case (or in
/// declaration order). Built once per type, filter and order, then served from a cache.
const std::vector<PPropInfo>& GetPropList(PTypeInfo classType, TTypeKinds filter = tkAny,
                                          bool sorted = true);
const std::vector<PPropInfo>& GetPropList(const TObject* instance, TTypeKinds filter = tkAny,
                                          bool sorted = true);
/// Forgets the cached lists of a class type, after properties were added to it at run time.
void InvalidatePropLists(PTypeInfo classType) noexcept;
/// A published property by name (ignoring case) whose kind is in `kinds`, or null. Hashed.
PPropInfo GetPropInfo(PTypeInfo classType, std::string_view name, TTypeKinds kinds = tkAny);
PPropInfo GetPropInfo(const TObject* instance, std::string_view name, TTypeKinds kinds = tkAny);
bool IsPublishedProp(const TObject* instance, std::string_view name);
/// The stored specifier's answer for this instance. Inline: asked of every property of every
/// component written or compared, and nearly always answered by the constant.
inline bool IsStoredProp(TObject* instance, PPropInfo prop) {
  return prop->StoredTest ? prop->StoredTest(instance) : prop->StoredConst;
}
/// The type kind of a named property; raises EPropertyError when there is none.
TTypeKind PropType(const TObject* instance, std::string_view name);

// ---- Typed access ----------------------------------------------------------------------------

namespace detail {
/// Raw access through a property's accessors, into or from its value class's C++ type; raise
/// EPropWriteOnly / EPropReadOnly without the accessor. No check of the value class.
void Read(TObject* instance, PPropInfo prop, void* out);
void Write(TObject* instance, PPropInfo prop, const void* in);
} // namespace detail

// Readers raise EPropWriteOnly for a property without read access, writers EPropReadOnly for one
// without write access, and EPropertyError when the property's kind does not fit the accessor.
// The by-name forms raise EPropertyError for an unknown property.

Int64 GetOrdProp(TObject* instance, PPropInfo prop); ///< also a class property's object address
void SetOrdProp(TObject* instance, PPropInfo prop, Int64 value);
String GetEnumProp(TObject* instance, PPropInfo prop);
/// Raises EPropertyError for an identifier the type lacks.
void SetEnumProp(TObject* instance, PPropInfo prop, std::string_view value);
String GetSetProp(TObject* instance, PPropInfo prop, bool brackets = false);
void SetSetProp(TObject* instance, PPropInfo prop, std::string_view value);
Int64 GetInt64Prop(TObject* instance, PPropInfo prop);
void SetInt64Prop(TObject* instance, PPropInfo prop, Int64 value);
Extended GetFloatProp(TObject* instance, PPropInfo prop);
void SetFloatProp(TObject* instance, PPropInfo prop, Extended value);
/// Any string kind; a wide string is converted to UTF-8.
String GetStrProp(TObject* instance, PPropInfo prop);
void SetStrProp(TObject* instance, PPropInfo prop, const String& value);
WideString GetWideStrProp(TObject* instance, PPropInfo prop);
void SetWideStrProp(TObject* instance, PPropInfo prop, const WideString& value);
Variant GetVariantProp(TObject* instance, PPropInfo prop);
void SetVariantProp(TObject* instance, PPropInfo prop, const Variant& value);
TMethod GetMethodProp(TObject* instance, PPropInfo prop);
void SetMethodProp(TObject* instance, PPropInfo prop, const TMethod& value);
TObject* GetObjectProp(TObject* instance, PPropInfo prop);
/// Raises EPropertyError when `value` is not an instance of the property's class.
void SetObjectProp(TObject* instance, PPropInfo prop, TObject* value);
IPtr<IInterface> GetInterfaceProp(TObject* instance, PPropInfo prop);
void SetInterfaceProp(TObject* instance, PPropInfo prop, const IPtr<IInterface>& value);

Int64 GetOrdProp(TObject* instance, std::string_view name);
void SetOrdProp(TObject* instance, std::string_view name, Int64 value);
String GetStrProp(TObject* instance, std::string_view name);
void SetStrProp(TObject* instance, std::string_view name, const String& value);
Extended GetFloatProp(TObject* instance, std::string_view name);
void SetFloatProp(TObject* instance, std::string_view name, Extended value);
TObject* GetObjectProp(TObject* instance, std::string_view name);
TMethod GetMethodProp(TObject* instance, std::string_view name);
void SetMethodProp(TObject* instance, std::string_view name, const TMethod& value);

} // namespace fw
