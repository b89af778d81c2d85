// Property values by value class: one table of what reading, writing, copying, comparing with
// the inherited value and streaming mean for each class of published property.
//
//   const TPropValueOps& ops = PropValueOps(prop->ValueClass);
//   TPropValue old = ops.Get(instance, prop);   // in the value class's own C++ type
//   ...
//   ops.Set(instance, prop, old);                // puts it back exactly
#pragma once

#include "basert/ancestorlookup.h"
#include "basert/typinfo.h"
#include "basert/variants.h"

#include <variant>

namespace fw {

class TReader;
class TWriter;

/// A property's value in the C++ type of its value class; the alternative's index is the
/// value class (monostate for TPropValueClass::None).
using TPropValue = std::variant<std::monostate, Int64, Extended, String, WideString, Variant,
                                TMethod, TObject*, IPtr<IInterface>>;

/// The C++ type a value class travels in.
template <TPropValueClass C>
using TPropValueOf = std::variant_alternative_t<static_cast<std::size_t>(C), TPropValue>;

/// The operations of one value class. Every published property is served by the entry of its
/// own `ValueClass`.
struct TPropValueOps {
  /// The value; raises EPropWriteOnly without read access. None gives monostate.
  TPropValue (*Get)(TObject* instance, PPropInfo prop);
  /// Writes a value of this class; raises EPropReadOnly without write access, EPropertyError
  /// for a value of another class (or an object not of the property's class).
  void (*Set)(TObject* instance, PPropInfo prop, const TPropValue& value);
  /// Gives `to` the value `from` has (both instances of a class publishing `prop`).
  void (*Copy)(TObject* from, TObject* to, PPropInfo prop);
  /// True when the value is what the writer leaves out: the ancestor's (`at.Ancestor`), or
  /// with no ancestor the declared default (ordinals), zero, empty or nil. References are
  /// compared by name under `at`'s roots; handlers by code, and one `lookupRoot` cannot name
  /// counts as default. A sub-object is never default here: its properties are compared.
  bool (*IsDefault)(TObject* instance, PPropInfo prop, const TAncestorLookup& at,
                    TComponent* lookupRoot);
  /// Streams the property unless it is default: its name, then its value.
  void (TWriter::*Write)(TPersistent* instance, PPropInfo prop);
  /// Reads the value after the property's name and sets it (references wait for fix-up).
  void (TReader::*Read)(TPersistent* instance, PPropInfo prop);
};

namespace detail {
/// A component that its owner streams as part of itself (styleSubComponent).
bool IsSubComponent(TObject* value);
/// The component behind an interface reference, or null.
TComponent* ReferencedComponent(const IPtr<IInterface>& value);
} // namespace detail

/// The entry of a value class; out-of-range classes get the entry of None.
const TPropValueOps& PropValueOps(TPropValueClass cls) noexcept;
inline const TPropValueOps& PropValueOps(PPropInfo prop) noexcept {
  return PropValueOps(prop->ValueClass);
}

} // namespace fw
