#include "basert/propvalue.h"

#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <array>

namespace fw {

namespace detail {

bool IsSubComponent(TObject* value) {
  auto* c = dynamic_cast<TComponent*>(value);
  return c && c->ComponentStyle().Contains(styleSubComponent);
}

TComponent* ReferencedComponent(const IPtr<IInterface>& value) {
  auto ref = QueryIntf<IInterfaceComponentReference>(value);
  return ref ? ref->GetComponent() : nullptr;
}

} // namespace detail

namespace {

using detail::IsSubComponent;
using detail::ReferencedComponent;
using VC = TPropValueClass;

// ---- Get, Set, Copy: the same for every class but for the C++ type --------------------------

template <VC C> TPropValue GetAs(TObject* instance, PPropInfo prop) {
  if constexpr (C == VC::None) {
    return {};
  } else {
    constexpr auto index = static_cast<std::size_t>(C);
    TPropValue v(std::in_place_index<index>);
    detail::Read(instance, prop, &std::get<index>(v));
    return v;
  }
}

template <VC C> void SetAs(TObject* instance, PPropInfo prop, const TPropValue& value) {
  if constexpr (C == VC::None) {
    throw EPropertyError(Format(sInvalidPropertyType, prop->Name));
  } else {
    const auto* v = std::get_if<static_cast<std::size_t>(C)>(&value);
    if (!v) throw EPropertyError(rtlconsts::SInvalidPropertyValue);
    if constexpr (C == VC::Object)
      SetObjectProp(instance, prop, *v); // checks the object's class
    else
      detail::Write(instance, prop, v);
  }
}

template <VC C> void CopyAs(TObject* from, TObject* to, PPropInfo prop) {
  SetAs<C>(to, prop, GetAs<C>(from, prop));
}

// ---- Is the value the one the writer leaves out? -----------------------------------------------

/// Whether two component references name the same component relative to their roots.
bool SameReference(TComponent* value, TComponent* ancestorValue, TComponent* root,
                   TComponent* rootAncestor) {
  if (value == ancestorValue) return true;
  if (!value || !ancestorValue) return false;
  if (value->Owner() == root && ancestorValue->Owner() == rootAncestor)
    return SameText(value->Name(), ancestorValue->Name());
  if (value == root && ancestorValue == rootAncestor) return true;
  return false;
}

/// Floats and strings: equal to the ancestor's, or with no ancestor zero or empty.
template <VC C>
bool IsDefaultPlain(TObject* instance, PPropInfo prop, const TAncestorLookup& at, TComponent*) {
  using V = TPropValueOf<C>;
  const V v = std::get<V>(GetAs<C>(instance, prop));
  return v == (at.Ancestor ? std::get<V>(GetAs<C>(at.Ancestor, prop)) : V{});
}

bool IsDefaultOrdinal(TObject* instance, PPropInfo prop, const TAncestorLookup& at, TComponent*) {
  const Int64 v = GetInt64Prop(instance, prop);
  if (at.Ancestor) return v == GetInt64Prop(at.Ancestor, prop);
  if (prop->PropType()->Kind == kindInt64) return v == 0;
  return prop->Default != NoDefault && v == prop->Default;
}

bool IsDefaultVariant(TObject* instance, PPropInfo prop, const TAncestorLookup& at, TComponent*) {
  Variant v = GetVariantProp(instance, prop);
  return at.Ancestor ? v == GetVariantProp(at.Ancestor, prop) : v.IsEmpty();
}

bool IsDefaultMethod(TObject* instance, PPropInfo prop, const TAncestorLookup& at,
                     TComponent* lookupRoot) {
  TMethod v = GetMethodProp(instance, prop);
  void* ancestorCode = at.Ancestor ? GetMethodProp(at.Ancestor, prop).Code : nullptr;
  if (v.Code == ancestorCode) return true;
  // A handler the module cannot name is not written.
  return v.Code && (!lookupRoot || lookupRoot->MethodName(v.Code).empty());
}

bool IsDefaultObject(TObject* instance, PPropInfo prop, const TAncestorLookup& at, TComponent*) {
  TObject* v = GetObjectProp(instance, prop);
  TObject* av = at.Ancestor ? GetObjectProp(at.Ancestor, prop) : nullptr;
  if (!v) return av == nullptr;
  auto* c = dynamic_cast<TComponent*>(v);
  if (!c || IsSubComponent(c)) return false; // sub-objects are compared property by property
  return av && SameReference(c, dynamic_cast<TComponent*>(av), at.Root, at.RootAncestor);
}

bool IsDefaultInterface(TObject* instance, PPropInfo prop, const TAncestorLookup& at, TComponent*) {
  IPtr<IInterface> v = GetInterfaceProp(instance, prop);
  IPtr<IInterface> av = at.Ancestor ? GetInterfaceProp(at.Ancestor, prop) : nullptr;
  if (!v) return !av;
  if (!av) return false;
  if (QueryIntf<IInterface>(v) == QueryIntf<IInterface>(av)) return true;
  return SameReference(ReferencedComponent(v), ReferencedComponent(av), at.Root, at.RootAncestor);
}

bool IsDefaultNone(TObject*, PPropInfo, const TAncestorLookup&, TComponent*) { return true; }

template <VC C>
constexpr TPropValueOps Ops(decltype(TPropValueOps::IsDefault) isDefault,
                            decltype(TPropValueOps::Write) write,
                            decltype(TPropValueOps::Read) read) {
  return TPropValueOps{&GetAs<C>, &SetAs<C>, &CopyAs<C>, isDefault, write, read};
}

} // namespace

const TPropValueOps& PropValueOps(TPropValueClass cls) noexcept {
  // In the order of TPropValueClass.
  static constexpr std::array<TPropValueOps, 9> table = {
      Ops<VC::None>(&IsDefaultNone, &TWriter::WriteNoProp, &TReader::ReadNoProp),
      Ops<VC::Ordinal>(&IsDefaultOrdinal, &TWriter::WriteOrdinalProp, &TReader::ReadOrdinalProp),
      Ops<VC::Float>(&IsDefaultPlain<VC::Float>, &TWriter::WriteFloatProp, &TReader::ReadFloatProp),
      Ops<VC::String>(&IsDefaultPlain<VC::String>, &TWriter::WritePlainProp<VC::String>,
                      &TReader::ReadPlainProp<VC::String>),
      Ops<VC::Wide>(&IsDefaultPlain<VC::Wide>, &TWriter::WritePlainProp<VC::Wide>,
                    &TReader::ReadPlainProp<VC::Wide>),
      Ops<VC::Variant>(&IsDefaultVariant, &TWriter::WritePlainProp<VC::Variant>,
                       &TReader::ReadPlainProp<VC::Variant>),
      Ops<VC::Method>(&IsDefaultMethod, &TWriter::WriteMethodProp, &TReader::ReadMethodProp),
      Ops<VC::Object>(&IsDefaultObject, &TWriter::WriteObjectProp, &TReader::ReadObjectProp),
      Ops<VC::Interface>(&IsDefaultInterface, &TWriter::WriteInterfaceProp,
                         &TReader::ReadInterfaceProp),
  };
  const auto i = static_cast<std::size_t>(cls);
  return table[i < table.size() ? i : 0];
}

} // namespace fw
