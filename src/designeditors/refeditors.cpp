#include "designeditors/refeditors.h"

#include "basert/datamodule.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace fw {

namespace {

constexpr std::string_view sUnitName = "DesignEditors";

/// Characters a designer's object name may hold that a method name may not.
constexpr std::string_view MethodNameStrip = "-.>[]";

/// Whether a component implements an interface. Components do not count references, so the
/// pointer GetInterface hands out needs no release.
bool ComponentSupports(TComponent* component, const TGUID& iid) {
  void* p = nullptr;
  return component && component->GetInterface(iid, &p) && p;
}

/// The component as an interface value.
IPtr<IInterface> AsInterface(TComponent* component) {
  IPtr<IInterface> intf;
  Supports(component, &intf);
  return intf;
}

} // namespace

// ---- TClassProperty ----------------------------------------------------------------------------

TClass TClassProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TClassProperty, TPropertyEditor>("TClassProperty", sUnitName).Build();
  return cls;
}

void TClassProperty::GetProperties(const TGetPropProc& proc) {
  IPtr<IDesignerSelections> objects = CreateSelectionList();
  for (Integer i = 0; i < FPropCount; ++i)
    if (auto* o = dynamic_cast<TPersistent*>(GetObjectProp(Entry(i).Instance, Entry(i).PropInfo)))
      objects->Add(o);
  if (objects->GetCount() > 0) GetComponentProperties(objects, tkProperties, FDesigner, proc);
}

String TClassProperty::GetValue() { return Format(sClassValueFormat, GetPropType()->Name); }

// ---- TMethodProperty ---------------------------------------------------------------------------

TClass TMethodProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMethodProperty, TPropertyEditor>("TMethodProperty", sUnitName)
          .Implements<IMethodProperty>()
          .Build();
  return cls;
}

bool TMethodProperty::AllNamed() {
  for (Integer i = 0; i < FPropCount; ++i) {
    TPersistent* o = GetComponent(i);
    if (!o || o->GetNamePath().empty()) return false;
  }
  return true;
}

String TMethodProperty::GetTrimmedEventName() {
  String name = GetName();
  if (name.size() >= 2 && (name[0] == 'O' || name[0] == 'o') && (name[1] == 'N' || name[1] == 'n'))
    name.erase(0, 2);
  return name;
}

String TMethodProperty::GetFormMethodName() {
  String result;
  if (FDesigner && FPropCount > 0) {
    TPersistent* instance = GetComponent(0);
    if (instance != FDesigner->GetRoot()) {
      result = FDesigner->GetObjectName(instance);
      std::erase_if(result, [](char c) { return MethodNameStrip.find(c) != String::npos; });
    } else {
      result = FDesigner->GetRootClassName();
      if (!result.empty() && (result[0] == 'T' || result[0] == 't')) result.erase(0, 1);
    }
  }
  if (result.empty()) detail::RaiseDesignError(SCannotCreateName);
  return result + GetTrimmedEventName();
}

bool TMethodProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const TMethod m = GetMethodValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (!(GetMethodValueAt(i) == m)) return false;
  return true;
}

String TMethodProperty::GetValue() {
  return FDesigner ? FDesigner->GetMethodName(GetMethodValue()) : String();
}

void TMethodProperty::GetValues(const TGetStrProc& proc) {
  if (FDesigner) FDesigner->GetMethods(GetTypeData(GetPropType()), proc);
}

void TMethodProperty::SetValue(const String& value) {
  if (!AllNamed()) detail::RaiseDesignError(SCannotCreateName);
  if (!FDesigner) {
    if (!value.empty()) detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
    SetMethodValue(TMethod{});
    return;
  }
  const TTypeData* typeData = GetTypeData(GetPropType());
  const String curName = GetValue();
  const bool renamable = !curName.empty() && !value.empty() &&
                         (SameText(curName, value) || !FDesigner->MethodExists(value));
  if (renamable && !FDesigner->MethodFromAncestor(GetMethodValue())) {
    FDesigner->RenameMethod(curName, value);
    return;
  }
  const bool makesNew = !value.empty() && !FDesigner->MethodExists(value);
  const TMethod old = GetMethodValue();
  const TMethod method = value.empty() ? TMethod{} : FDesigner->CreateMethod(value, typeData);
  SetMethodValue(method);
  if (!makesNew) return;
  // The new handler calls the one it replaces when that belonged to another component.
  auto* self = dynamic_cast<TComponent*>(GetComponent(0));
  auto* oldOwner = dynamic_cast<TComponent*>(static_cast<TObject*>(old.Data));
  if (FPropCount == 1 && old.Code && self && !self->Name().empty() && oldOwner &&
      oldOwner != FDesigner->GetRoot()) {
    const String oldName = oldOwner->MethodName(old.Code);
    if (!oldName.empty()) FDesigner->ChainCall(value, oldOwner->Name(), oldName, typeData);
  }
  FDesigner->ShowMethod(value);
}

void TMethodProperty::Edit() {
  if (!AllNamed()) detail::RaiseDesignError(SCannotCreateName);
  if (!FDesigner) return;
  String name = GetValue();
  if (!name.empty() && !FDesigner->MethodFromAncestor(GetMethodValue())) {
    FDesigner->ShowMethod(name);
    return;
  }
  if (name.empty()) name = GetFormMethodName();
  SetValue(name);
  FDesigner->ShowMethod(name);
}

// ---- TComponentProperty ------------------------------------------------------------------------

TClass TComponentProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentProperty, TPropertyEditor>("TComponentProperty", sUnitName)
          .Implements<IReferenceProperty, IShowReferenceProperty>()
          .Build();
  return cls;
}

TComponent* TComponentProperty::ReferenceAt(Integer index) {
  const TInstProp& e = Entry(index);
  return dynamic_cast<TComponent*>(GetObjectProp(e.Instance, e.PropInfo));
}

TComponent* TComponentProperty::GetComponentReference() {
  return FPropCount > 0 ? ReferenceAt(0) : nullptr;
}

bool TComponentProperty::HasRootDesigner(TComponent* component) {
  if (!component) return false;
  return static_cast<bool>(QueryIntf<IDesigner>(component->FindRootDesigner()));
}

bool TComponentProperty::AllEqual() {
  TComponent* ref = GetComponentReference();
  for (Integer i = 1; i < FPropCount; ++i)
    if (ReferenceAt(i) != ref) return false;
  return HasRootDesigner(ref);
}

bool TComponentProperty::ShowReferenceProperty() {
  TComponent* ref = GetComponentReference();
  if (!ref || ref->ComponentStyle().Contains(styleSubComponent)) return true;
  TComponent* owner = ref->Owner();
  if (!owner) return false;
  if (!owner->Owner()) return true;
  return owner->Is<TDataModule>();
}

IPtr<IDesignerSelections> TComponentProperty::GetSelections() {
  if (!GetComponentReference() || !AllEqual()) return nullptr;
  IPtr<IDesignerSelections> list = CreateSelectionList();
  for (Integer i = 0; i < FPropCount; ++i)
    list->Add(ReferenceAt(i));
  return list;
}

void TComponentProperty::Edit() {
  TComponent* ref = GetComponentReference();
  if (FDesigner && ref) {
    const TShiftState shift = FDesigner->GetShiftState();
    if (shift.Contains(ssCtrl) && shift.Contains(ssLeft)) {
      FDesigner->SelectComponent(ref);
      return;
    }
  }
  TPropertyEditor::Edit();
}

TPropertyAttributes TComponentProperty::GetAttributes() {
  PPropInfo p = GetPropInfo();
  TPropertyAttributes a = p && p->HasWrite()
                              ? TPropertyAttributes{paValueList, paSortList, paRevertable}
                              : TPropertyAttributes{paReadOnly};
  if (GReferenceExpandable && GetComponentReference() && AllEqual())
    a += TPropertyAttributes{paSubProperties, paMultiSelect, paVolatileSubProperties};
  else
    a.Include(paMultiSelect);
  return a;
}

void TComponentProperty::GetProperties(const TGetPropProc& proc) {
  IPtr<IDesignerSelections> selection = GetSelections();
  if (!selection) return;
  IPtr<IDesigner> designer = FDesigner;
  if (auto* c = dynamic_cast<TComponent*>(selection->Get(0)))
    if (IPtr<IDesigner> own = QueryIntf<IDesigner>(c->FindRootDesigner())) designer = own;
  GetComponentProperties(selection, tkAny, designer, proc, [](const IPtr<IProperty>& editor) {
    return !editor->GetAttributes().Contains(paNotNestable);
  });
}

String TComponentProperty::GetValue() {
  TComponent* ref = GetComponentReference();
  if (FDesigner) return FDesigner->GetComponentName(ref);
  return ref ? ref->Name() : String();
}

void TComponentProperty::GetValues(const TGetStrProc& proc) {
  if (FDesigner) FDesigner->GetComponentNames(GetTypeData(GetPropType()), proc);
}

void TComponentProperty::SetComponentValue(TComponent* component) {
  std::vector<TObject*> old;
  old.reserve(static_cast<std::size_t>(FPropCount));
  Integer i = 0;
  try {
    for (; i < FPropCount; ++i) {
      const TInstProp& e = Entry(i);
      old.push_back(e.PropInfo->HasRead() ? GetObjectProp(e.Instance, e.PropInfo) : nullptr);
      SetObjectProp(e.Instance, e.PropInfo, component);
    }
  } catch (...) {
    for (Integer j = i - 1; j >= 0; --j) {
      try {
        SetObjectProp(Entry(j).Instance, Entry(j).PropInfo, old[static_cast<std::size_t>(j)]);
      } catch (...) {
        // The first failure is the one to report.
      }
    }
    throw;
  }
  Modified();
}

void TComponentProperty::SetValue(const String& value) {
  if (value.empty()) {
    SetComponentValue(nullptr);
    return;
  }
  TComponent* c = FDesigner ? FDesigner->GetComponent(value) : nullptr;
  const TClass cls = GetTypeData(GetPropType())->ClassType;
  if (!c || (cls && !c->InheritsFrom(cls)))
    detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
  SetComponentValue(c);
}

// ---- TInterfaceProperty ------------------------------------------------------------------------

TClass TInterfaceProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TInterfaceProperty, TComponentProperty>("TInterfaceProperty", sUnitName)
          .Build();
  return cls;
}

TComponent* TInterfaceProperty::ReferenceAt(Integer index) {
  IPtr<IInterfaceComponentReference> ref =
      QueryIntf<IInterfaceComponentReference>(GetIntfValueAt(index));
  return ref ? ref->GetComponent() : nullptr;
}

bool TInterfaceProperty::AllEqual() {
  const IPtr<IInterface> v = GetIntfValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (!(GetIntfValueAt(i) == v)) return false;
  return HasRootDesigner(GetComponentReference());
}

void TInterfaceProperty::ReceiveComponentName(const String& name) {
  if (ComponentSupports(FDesigner->GetComponent(name), GetTypeData(GetPropType())->Guid))
    FGetValuesStrProc(name);
}

void TInterfaceProperty::GetValues(const TGetStrProc& proc) {
  if (!FDesigner) return;
  FGetValuesStrProc = proc;
  try {
    FDesigner->GetComponentNames(GetTypeData(TComponent::StaticClass()->TypeInfo),
                                 [this](const String& name) { ReceiveComponentName(name); });
  } catch (...) {
    FGetValuesStrProc = nullptr;
    throw;
  }
  FGetValuesStrProc = nullptr;
}

void TInterfaceProperty::SetValue(const String& value) {
  if (value.empty()) {
    SetIntfValue(nullptr);
    return;
  }
  TComponent* c = FDesigner ? FDesigner->GetComponent(value) : nullptr;
  if (!ComponentSupports(c, GetTypeData(GetPropType())->Guid))
    detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
  SetIntfValue(AsInterface(c));
}

} // namespace fw
