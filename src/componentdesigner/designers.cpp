#include "componentdesigner/designers.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/filer.h"
#include "basert/onexit.h"
#include "basert/placeholder.h"
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designnotification.h"
#include "designeditors/editorregistry.h"
#include "designeditors/refeditors.h"
#include "designeditors/selectioneditors.h"
#include "designeditors/storedvalueeditor.h"
#include "designeditors/valueeditors.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace fw {

TCreateRootSurfaceProc CreateRootSurfaceProc = nullptr;
TStructureTreeUnit StructureTreeUnit;

namespace {

struct TNoIconReg {
  Integer Group;
  TClass Class;
};

struct TPackageLists {
  std::vector<TNoIconReg> NoIcon;
  std::vector<TCustomModuleReg> CustomModules;
  IPtr<TDesigners> Registry;
  std::vector<IPtr<IDesignEnvironment>> Protected;
  std::optional<Integer> EditorGroup; ///< holds the package's own editors
};

std::unique_ptr<TPackageLists> gLists;
// Lives beyond the package: hosts register initialisers before starting it.
std::vector<TInitializeDesigner>& Initializers() {
  static std::vector<TInitializeDesigner> list;
  return list;
}

void HookRegisterNoIcon(std::span<const TClass> classes) {
  if (!gLists) return;
  for (TClass c : classes)
    if (c) gLists->NoIcon.push_back({CurrentGroup, c});
}

void HookRegisterCustomModule(Integer group, TComponentClass baseClass,
                              TCustomModuleClass customModuleClass) {
  if (!gLists || !baseClass) return;
  gLists->CustomModules.push_back({group, customModuleClass, baseClass});
}

void WithdrawGroup(Integer group) {
  if (!gLists) return;
  std::erase_if(gLists->NoIcon, [group](const TNoIconReg& r) { return r.Group == group; });
  std::erase_if(gLists->CustomModules,
                [group](const TCustomModuleReg& r) { return r.Group == group; });
}

/// Module-wide references name designed modules by their root's name.
TComponent* FindDesignedRoot(const String& name) {
  if (!gLists) return nullptr;
  TComponent* found = nullptr;
  gLists->Registry->ForEachDesigner([&](const IPtr<IComponentDesigner>& d) {
    for (Integer i = 0, n = d->GetRootsCount(); i < n && !found; ++i) {
      IPtr<IRoot> r = d->GetRoots(i);
      if (r->GetRoot() && SameText(r->GetRootName(), name)) found = r->GetRoot();
    }
    return !found;
  });
  return found;
}

void RegisterDefaultEditors() {
  RegisterPropertyEditor(TComponent::StaticClass()->TypeInfo, nullptr, "",
                         TComponentProperty::StaticClass());
  if (PPropInfo name = GetPropInfo(TComponent::StaticClass()->TypeInfo, "Name"))
    RegisterPropertyEditor(name->PropType(), TComponent::StaticClass(), "Name",
                           TComponentNameProperty::StaticClass());
  RegisterPropertyEditor(TypeInfoTDateTime(), nullptr, "", TDateTimeProperty::StaticClass());
  RegisterPropertyEditor(TypeInfoTDate(), nullptr, "", TDateProperty::StaticClass());
  RegisterPropertyEditor(TypeInfoTTime(), nullptr, "", TTimeProperty::StaticClass());
  RegisterPropertyEditor(TypeInfo<IPtr<IInterface>>(), nullptr, "",
                         TInterfaceProperty::StaticClass());
  RegisterPropertyEditor(StoredValueTypeInfo(), nullptr, "", TStoredValueProperty::StaticClass());
  RegisterSelectionEditor(TPersistent::StaticClass(), TEditActionSelectionEditor::StaticClass());
}

} // namespace

// ---- package-wide lists ------------------------------------------------------------------------

const std::vector<TCustomModuleReg>& CustomModuleRegistrations() {
  static const std::vector<TCustomModuleReg> none;
  return gLists ? gLists->CustomModules : none;
}

const TCustomModuleReg* FindCustomModuleReg(const String& className,
                                            const std::function<bool(TClass)>& accept) {
  if (!gLists || className.empty()) return nullptr;
  const auto& regs = gLists->CustomModules;
  for (auto it = regs.rbegin(); it != regs.rend(); ++it)
    if (SameText(it->BaseClass->ClassName, className) && (!accept || accept(it->BaseClass)))
      return &*it;
  return nullptr;
}

bool IsNoIconComponent(TComponent* component) {
  if (!component) return true;
  if (!gLists) return false;
  for (const TNoIconReg& r : gLists->NoIcon)
    if (component->InheritsFrom(r.Class)) return true;
  return false;
}

Integer RegisterInitializeDesigner(TInitializeDesigner proc) {
  auto& list = Initializers();
  auto it = std::find(list.begin(), list.end(), proc);
  if (it != list.end()) return static_cast<Integer>(it - list.begin());
  list.push_back(proc);
  return static_cast<Integer>(list.size() - 1);
}

void InitializeDesigners(const IPtr<IDesignEnvironment>& environment) {
  const auto list = Initializers(); // an initialiser may register another
  for (TInitializeDesigner proc : list)
    if (proc) proc(environment);
}

void ProtectEnvironment(const IPtr<IDesignEnvironment>& environment) {
  if (gLists && environment) gLists->Protected.push_back(environment);
}

IPtr<IComponentDesigners> Designers() {
  return gLists ? IPtr<IComponentDesigners>(gLists->Registry.get()) : nullptr;
}

IPtr<IComponentDesigner> ActiveDesigner() {
  return gLists ? gLists->Registry->GetActiveDesigner() : nullptr;
}

IPtr<IRoot> ActiveRoot() {
  IPtr<IComponentDesigner> d = ActiveDesigner();
  return d ? d->GetActiveRoot() : nullptr;
}

// ---- TDesigners --------------------------------------------------------------------------------

TClass TDesigners::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDesigners, TInterfacedObject>("TDesigners", "ComponentDesigner")
          .Implements<IComponentDesigners, IInternalComponentDesigners>()
          .Build();
  return cls;
}

Integer TDesigners::IndexOf(IComponentDesigner* designer) const {
  for (std::size_t i = 0; i < FDesigners.size(); ++i)
    if (FDesigners[i].get() == designer) return static_cast<Integer>(i);
  return -1;
}

bool TDesigners::DesignerActive() {
  bool active = false;
  ForEachDesigner([&](const IPtr<IComponentDesigner>& d) {
    active = d->IsActive();
    return !active;
  });
  return active;
}

void TDesigners::DesignerOptionsChanged() {
  ForEachDesigner([](const IPtr<IComponentDesigner>& d) {
    d->DesignerOptionsChanged();
    return true;
  });
}

void TDesigners::HideWindows() {
  ForEachDesigner([](const IPtr<IComponentDesigner>& d) {
    d->HideWindows();
    return true;
  });
}

void TDesigners::ShowWindows() {
  ForEachDesigner([](const IPtr<IComponentDesigner>& d) {
    d->ShowWindows();
    return true;
  });
}

void TDesigners::SetControlsLocked(bool locked) {
  ForEachDesigner([locked](const IPtr<IComponentDesigner>& d) {
    d->SetControlsLocked(locked);
    return true;
  });
}

bool TDesigners::GetControlsLocked() {
  return FActiveDesigner && FActiveDesigner->GetControlsLocked();
}

IPtr<IDesignerSelections> TDesigners::GetSelection() {
  return FActiveDesigner ? FActiveDesigner->GetSelection() : nullptr;
}

std::vector<TClass> TDesigners::InvalidDataModuleClasses() {
  std::vector<TClass> r;
  for (TClass c : FDataModuleClasses)
    if (c) r.push_back(c);
  return r;
}

IPtr<IComponentDesigner> TDesigners::DesignerFromExtension(const String& extension) {
  for (std::size_t i = 0; i < FDesigners.size(); ++i)
    if (SameText(FExtensions[i], extension)) return FDesigners[i];
  return nullptr;
}

void TDesigners::DeactivateDesigner() {
  const bool had = FActiveDesigner != nullptr;
  FActiveDesigner = nullptr;
  FActiveRoot = nullptr;
  if (had && EvDesignerDeactivated) EvDesignerDeactivated->Send(this);
  if (IPtr<IDesignerPalette> palette = DesignerPalette()) {
    palette->BeginUpdate();
    palette->RemoveContext(String(sNativeDesignerActiveContext));
    palette->EndUpdate();
  }
}

void TDesigners::ForEachDesigner(const std::function<bool(const IPtr<IComponentDesigner>&)>& func) {
  const auto copy = FDesigners;
  for (const auto& d : copy)
    if (!func(d)) break;
}

void TDesigners::RegisterDesigner(const IPtr<IComponentDesigner>& designer) {
  if (!designer || IndexOf(designer.get()) >= 0) return;
  FDesigners.push_back(designer);
  FExtensions.push_back(designer->GetExtension());
  FDataModuleClasses.push_back(designer->GetDataModuleClass());
  if (!FActiveDesigner) ActivateDesigner(designer);
}

void TDesigners::UnregisterDesigner(const IPtr<IComponentDesigner>& designer) {
  const Integer i = IndexOf(designer.get());
  if (i < 0) return;
  FDesigners.erase(FDesigners.begin() + i);
  FExtensions.erase(FExtensions.begin() + i);
  FDataModuleClasses.erase(FDataModuleClasses.begin() + i);
  if (FActiveDesigner.get() == designer.get()) {
    FActiveDesigner = nullptr;
    FActiveRoot = nullptr;
  }
}

void TDesigners::ActivateDesigner(const IPtr<IComponentDesigner>& designer) {
  if (!designer) return;
  if (FActiveDesigner.get() == designer.get() && designer->GetActiveRoot() == FActiveRoot) {
    if (IPtr<IDesignerPalette> palette = DesignerPalette()) {
      palette->BeginUpdate();
      palette->AddContext(String(sNativeDesignerActiveContext));
      palette->EndUpdate();
    }
    return;
  }
  FActiveDesigner = designer;
  FActiveRoot = designer->GetActiveRoot();
  if (FActiveRoot && EvRootActivatedEvent)
    EvRootActivatedEvent->Send(this, FActiveRoot->GetCustomModule());
}

void TDesigners::RootRemoved(const IPtr<IRoot>& root) {
  if (root && FActiveRoot == root) FActiveRoot = nullptr;
}

// ---- start-up and shut-down --------------------------------------------------------------------

void DesignersStartup() {
  if (gLists) return;
  gLists = std::make_unique<TPackageLists>();
  RegisterNoIconProc = &HookRegisterNoIcon;
  gLists->Registry = New<TDesigners>();
  RegisterCustomModuleProc = &HookRegisterCustomModule;
  NotifyGroupChange(&WithdrawGroup);
  RegisterFindGlobalComponentProc(&FindDesignedRoot);
  // In a group of their own, so that shut-down withdraws them and the next start-up does not
  // find them there twice.
  const Integer saved = CurrentGroup;
  gLists->EditorGroup = NewEditorGroup();
  {
    TOnExit restore([saved] { CurrentGroup = saved; });
    RegisterDefaultEditors();
  }
  if (StructureTreeUnit.Startup) StructureTreeUnit.Startup();
}

void DesignersShutdown() {
  if (!gLists) return;
  if (StructureTreeUnit.Shutdown) StructureTreeUnit.Shutdown();
  if (const auto group = std::exchange(gLists->EditorGroup, std::nullopt)) FreeEditorGroup(*group);
  UnregisterFindGlobalComponentProc(&FindDesignedRoot);
  UnnotifyGroupChange(&WithdrawGroup);
  RegisterCustomModuleProc = nullptr;
  RegisterNoIconProc = nullptr;
  // The registry may hold roots whose release reaches back into the lists.
  std::unique_ptr<TPackageLists> lists = std::move(gLists);
  lists.reset();
}

} // namespace fw
