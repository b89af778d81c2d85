#include "designeditors/propedit.h"

#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/propvalue.h"
#include "basert/sysutils.h"
#include "basert/variants.h"

#include <algorithm>

namespace fw {

TClass TPropertyEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPropertyEditor, TBasePropertyEditor>("TPropertyEditor", "DesignEditors")
          .Implements<IProperty, IProperty70, IPropertyKind>()
          .Build();
  return cls;
}

namespace {

String MessageOf(const std::exception& e) {
  if (auto* fe = dynamic_cast<const Exception*>(&e)) return fe->Message();
  return e.what();
}

/// Depth first through owned components, asking FindComponent at each level.
TComponent* FindOwnedDeep(TComponent* owner, const String& name) {
  if (!owner) return nullptr;
  if (TComponent* c = owner->FindComponent(name)) return c;
  for (TComponent* child : owner->ComponentList())
    if (TComponent* c = FindOwnedDeep(child, name)) return c;
  return nullptr;
}

/// An entry's current value, or nothing when it cannot be read (the write then decides).
TPropValue ValueForUndo(const TInstProp& e) {
  if (!e.PropInfo || !e.PropInfo->HasRead()) return {};
  try {
    return PropValueOps(e.PropInfo).Get(e.Instance, e.PropInfo);
  } catch (const std::exception&) {
    return {};
  }
}

} // namespace

TPropertyEditor::TPropertyEditor(const IPtr<IDesigner>& designer, Integer propCount)
    : TBasePropertyEditor(designer, propCount), FDesigner(designer),
      FPropList(std::make_shared<std::vector<TInstProp>>(
          static_cast<std::size_t>(std::max<Integer>(propCount, 0)))),
      FPropCount(std::max<Integer>(propCount, 0)) {}

const TInstProp& TPropertyEditor::Entry(Integer index) const {
  if (index < 0 || index >= FPropCount) throw EListError(Format(sListIndexError, index));
  return (*FPropList)[static_cast<std::size_t>(index)];
}

void TPropertyEditor::SetPropEntry(Integer index, TPersistent* instance, PPropInfo propInfo) {
  Entry(index);
  // Written in place only while no nested editor shares the list (the list is made mutable by
  // this editor, so the cast is sound); otherwise the editor takes a copy of its own.
  if (FPropList.use_count() != 1) FPropList = std::make_shared<std::vector<TInstProp>>(*FPropList);
  const_cast<TInstProp&>((*FPropList)[static_cast<std::size_t>(index)]) =
      TInstProp{instance, propInfo};
}

bool TPropertyEditor::AllEqual() { return FPropCount == 1; }

bool TPropertyEditor::AutoFill() {
  PPropInfo p = GetPropInfo();
  return p && p->HasWrite();
}

void TPropertyEditor::Edit() {
  if (!AutoFill()) return;
  // Compared as a string list compares: ignoring case; a sorted list keeps the first of equals.
  std::vector<String> values;
  GetValues([&values](const String& s) { values.push_back(s); });
  if (values.empty()) return;
  if (GetAttributes().Contains(paSortList)) {
    auto less = [](const String& a, const String& b) { return CompareText(a, b) < 0; };
    std::stable_sort(values.begin(), values.end(), less);
    values.erase(std::unique(values.begin(), values.end(),
                             [](const String& a, const String& b) { return SameText(a, b); }),
                 values.end());
  }
  const String current = GetValue();
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const String& v) { return SameText(v, current); });
  // A value not in the list gives the first one.
  std::size_t next = it == values.end() ? 0 : static_cast<std::size_t>(it - values.begin()) + 1;
  if (next >= values.size()) next = 0;
  SetValue(values[next]);
}

TPropertyAttributes TPropertyEditor::GetAttributes() {
  TPropertyAttributes attrs{paMultiSelect, paRevertable};
  PPropInfo p = GetPropInfo();
  if (!p || !p->HasWrite()) attrs += TPropertyAttributes{paReadOnly, paDisplayReadOnly};
  return attrs;
}

String TPropertyEditor::GetName() {
  PPropInfo p = GetPropInfo();
  return p ? p->Name : String();
}

PPropInfo TPropertyEditor::GetPropInfo() {
  return FPropCount > 0 ? (*FPropList)[0].PropInfo : nullptr;
}

WideString TPropertyEditor::GetValueW() { return Utf8ToWide(srUnknown); }

bool TPropertyEditor::HasInstance(TPersistent* instance) {
  for (Integer i = 0; i < FPropCount; ++i)
    if ((*FPropList)[i].Instance == instance) return true;
  return false;
}

PTypeInfo TPropertyEditor::GetPropType() {
  PPropInfo p = GetPropInfo();
  return p ? p->PropType() : nullptr;
}

TTypeKind TPropertyEditor::GetKind() {
  PTypeInfo t = GetPropType();
  return t ? t->Kind : kindUnknown;
}

void TPropertyEditor::Revert() {
  if (!FDesigner) return;
  for (Integer i = 0; i < FPropCount; ++i)
    FDesigner->Revert((*FPropList)[i].Instance, (*FPropList)[i].PropInfo);
}

bool TPropertyEditor::ValueAvailable() {
  for (Integer i = 0; i < FPropCount; ++i) {
    auto* c = dynamic_cast<TComponent*>((*FPropList)[i].Instance);
    if (!c || !c->ComponentStyle().Contains(styleCheckPropAvail)) continue;
    try {
      GetValue();
      AllEqual();
    } catch (const std::exception&) {
      return false;
    }
    return true;
  }
  return true;
}

bool TPropertyEditor::GetEditValue(String& value) {
  value.clear();
  try {
    value = GetValue();
    PPropInfo p = GetPropInfo();
    return p && p->HasWrite();
  } catch (const EPropWriteOnly&) {
    value = sNotAvailable;
  } catch (const std::exception& e) {
    value = Format(sValueErrorFormat, MessageOf(e));
  }
  return false;
}

bool TPropertyEditor::GetEditValue(WideString& value) {
  value.clear();
  try {
    value = GetValueW();
    PPropInfo p = GetPropInfo();
    return p && p->HasWrite();
  } catch (const EPropWriteOnly&) {
    value = Utf8ToWide(sNotAvailable);
  } catch (const std::exception& e) {
    value = Utf8ToWide(Format(sValueErrorFormat, MessageOf(e)));
  }
  return false;
}

TPersistent* TPropertyEditor::GetComponent(Integer index) const { return Entry(index).Instance; }

String TPropertyEditor::GetPrivateDirectory() {
  return FDesigner ? FDesigner->GetPrivateDirectory() : String();
}

String TPropertyEditor::GetVisualValue() { return AllEqual() ? GetValue() : String(); }

void TPropertyEditor::Modified() {
  if (FDesigner) FDesigner->Modified();
}

// ---- Typed access ------------------------------------------------------------------------------

Int64 TPropertyEditor::GetOrdValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetOrdProp(e.Instance, e.PropInfo);
}
Extended TPropertyEditor::GetFloatValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetFloatProp(e.Instance, e.PropInfo);
}
String TPropertyEditor::GetStrValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetStrProp(e.Instance, e.PropInfo);
}
WideString TPropertyEditor::GetWideStrValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetWideStrProp(e.Instance, e.PropInfo);
}
Variant TPropertyEditor::GetVarValue() const { return GetVarValueAt(0); }
Variant TPropertyEditor::GetVarValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetVariantProp(e.Instance, e.PropInfo);
}
TMethod TPropertyEditor::GetMethodValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetMethodProp(e.Instance, e.PropInfo);
}
Int64 TPropertyEditor::GetInt64ValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetInt64Prop(e.Instance, e.PropInfo);
}
IPtr<IInterface> TPropertyEditor::GetIntfValueAt(Integer index) const {
  const TInstProp& e = Entry(index);
  return GetInterfaceProp(e.Instance, e.PropInfo);
}

template <class V, class Write>
void TPropertyEditor::WriteAll(const V& value, Write write, bool skipReadOnly) {
  // Old values of the entries written so far, each in its property's own value class, so a
  // failure part-way can be undone exactly. Monostate: nothing to put back.
  std::vector<TPropValue> old;
  old.reserve(static_cast<std::size_t>(FPropCount));
  // A setter that re-points an entry writes in place or leaves this list to its other sharer:
  // either way it stays valid here.
  const std::vector<TInstProp>& entries = *FPropList;
  Integer i = 0;
  try {
    for (; i < FPropCount; ++i) {
      const TInstProp& e = entries[static_cast<std::size_t>(i)];
      if (skipReadOnly && !(e.PropInfo && e.PropInfo->HasWrite())) {
        old.emplace_back();
        continue;
      }
      old.push_back(ValueForUndo(e));
      write(e.Instance, e.PropInfo, value);
    }
  } catch (...) {
    for (Integer j = i - 1; j >= 0; --j) {
      const TPropValue& o = old[static_cast<std::size_t>(j)];
      if (std::holds_alternative<std::monostate>(o)) continue;
      const TInstProp& e = entries[static_cast<std::size_t>(j)];
      try {
        PropValueOps(e.PropInfo).Set(e.Instance, e.PropInfo, o);
      } catch (...) {
        // The original error is the one worth reporting.
      }
    }
    throw;
  }
  Modified();
}

void TPropertyEditor::SetOrdValue(Int64 value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, Int64 v) { SetOrdProp(o, p, v); }, false);
}

void TPropertyEditor::SetFloatValue(Extended value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, Extended v) { SetFloatProp(o, p, v); }, false);
}

void TPropertyEditor::SetMethodValue(const TMethod& value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, const TMethod& v) { SetMethodProp(o, p, v); }, false);
}

void TPropertyEditor::SetVarValue(const Variant& value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, const Variant& v) { SetVariantProp(o, p, v); }, false);
}

void TPropertyEditor::SetInt64Value(Int64 value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, Int64 v) { SetInt64Prop(o, p, v); }, false);
}

void TPropertyEditor::SetIntfValue(const IPtr<IInterface>& value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, const IPtr<IInterface>& v) { SetInterfaceProp(o, p, v); },
      false);
}

void TPropertyEditor::SetStrValue(const String& value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, const String& v) { SetStrProp(o, p, v); }, true);
}

void TPropertyEditor::SetWideStrValue(const WideString& value) {
  WriteAll(
      value, [](TObject* o, PPropInfo p, const WideString& v) { SetWideStrProp(o, p, v); }, true);
}

// ---- Default detection -------------------------------------------------------------------------

bool TPropertyEditor::GetIsDefault() {
  if (!FDesigner || FPropCount == 0) return true;
  if (!AllEqual()) return false;
  TPersistent* instance = (*FPropList)[0].Instance;
  PPropInfo prop = (*FPropList)[0].PropInfo;
  if (!instance || !prop) return true;
  if (!IsStoredProp(instance, prop)) return true;

  TAncestorLookup lookup = AncestorLookupOf(instance);
  if (IsDefaultPropertyValue(instance, prop, lookup)) return true;
  if (prop->PropType()->Kind != kindClass) return false;

  auto* value = dynamic_cast<TPersistent*>(GetObjectProp(instance, prop));
  if (!value) return false;
  const bool ancestorValid = AncestorIsValid(lookup.Ancestor, lookup.Root, lookup.RootAncestor);
  // The ancestor's value of the same property, when the ancestor has that property.
  TPersistent* ancestorValue = nullptr;
  if (ancestorValid &&
      (!prop->DeclaringClass || lookup.Ancestor->InheritsFrom(prop->DeclaringClass)))
    ancestorValue = dynamic_cast<TPersistent*>(GetObjectProp(lookup.Ancestor, prop));

  TAncestorLookup valueLookup = lookup;
  if (ancestorValid) valueLookup.Ancestor = ancestorValue;
  for (PPropInfo p : GetPropInfos(value->ClassType()->TypeInfo))
    if (!IsDefaultPropertyValue(value, p, valueLookup)) return false;

  if (auto* coll = dynamic_cast<TCollection*>(value))
    return ancestorValid && CollectionsEqual(coll, dynamic_cast<TCollection*>(ancestorValue),
                                             lookup.Root, lookup.RootAncestor);
  return true;
}

TAncestorLookup TPropertyEditor::AncestorLookupOf(TPersistent* instance) const {
  IPtr<IDesigner> ancestorDesigner = FDesigner->GetAncestorDesigner();
  TComponent* root = FDesigner->GetRoot();
  auto* component = dynamic_cast<TComponent*>(instance);
  if (!component || !component->ComponentState().Contains(stateAncestor)) return {nullptr, root};

  TComponent* rootAncestor = ancestorDesigner ? ancestorDesigner->GetRoot() : nullptr;
  IPtr<IDesigner> designer = FDesigner;
  auto findRoot = [designer](const String& className) {
    return designer->FindAncestorRoot(className);
  };
  // A sub-component has no counterpart of its own: its first owner that is not one is looked
  // for, and the sub-component is then found by name under that owner's ancestor.
  TComponent* target = component;
  const bool sub = component->ComponentStyle().Contains(styleSubComponent);
  while (target && target->ComponentStyle().Contains(styleSubComponent))
    target = target->Owner();
  TAncestorLookup lookup = FindAncestorLookup(root, rootAncestor, target, findRoot);
  if (sub)
    lookup.Ancestor = FindOwnedDeep(dynamic_cast<TComponent*>(lookup.Ancestor), component->Name());
  return lookup;
}

} // namespace fw
