#include "componentdesigner/compdesigner.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/safesave.h"
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designnotification.h"
#include "tarn/controls.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace fw {

namespace {

inline constexpr std::string_view sNoSuchFileSystem = "File system '%s' is not available";

void CheckDisk(const String& fileSystem) {
  if (!fileSystem.empty()) throw EComponentDesignerException(Format(sNoSuchFileSystem, fileSystem));
}

IPtr<IInternalRoot> Internal(const IPtr<IRoot>& root) {
  return QueryIntf<IInternalRoot>(root.get());
}

} // namespace

TClass TComponentDesigner::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentDesigner, TInterfacedObject>("TComponentDesigner",
                                                           "ComponentDesigner")
          .Implements<IBaseComponentDesigner, IComponentDesigner, IInternalComponentDesigner,
                      IRootListUpdate, IDesignerRegistrationInterface>()
          .Build();
  return cls;
}

TComponentDesigner::TComponentDesigner(IPtr<IDesignEnvironment> environment, String extension)
    : FEnvironment(std::move(environment)), FExtension(std::move(extension)) {}

TComponentDesigner::~TComponentDesigner() = default;

// ---- the root list -----------------------------------------------------------------------------

void TComponentDesigner::RootListAdd(const IPtr<IRoot>& root) {
  if (root && std::find(FRootList.begin(), FRootList.end(), root) == FRootList.end())
    FRootList.push_back(root);
}

void TComponentDesigner::RootListRemove(const IPtr<IRoot>& root) {
  std::erase(FRootList, root);
  if (root && FActiveRoot == root) {
    if (auto registry = QueryIntf<IInternalComponentDesigners>(Designers().get()))
      registry->RootRemoved(root);
    FActiveRoot = nullptr;
  }
}

void TComponentDesigner::RootGoingDormant(const IPtr<IRoot>& root) {
  if (root && FActiveRoot == root) FActiveRoot = nullptr;
  UpdateSelections();
}

TClass TComponentDesigner::GetDataModuleClass() { return TControl::StaticClass(); }

void TComponentDesigner::RootModified(const IPtr<IRoot>& root) {
  if (!root) return;
  if (root == FActiveRoot && EvActiveRootModifiedEvent) EvActiveRootModifiedEvent->Send(this);
  DesignNotificationItemsModified(root->GetDesigner());
}

void TComponentDesigner::RootActivated(const IPtr<IRoot>& root) {
  if (root) {
    auto it = std::find(FRootList.begin(), FRootList.end(), root);
    if (it != FRootList.end()) std::rotate(FRootList.begin(), it, it + 1);
    FActiveRoot = root;
    UpdateSelections();
  } else {
    FActiveRoot = nullptr;
  }
  if (auto registry = QueryIntf<IInternalComponentDesigners>(Designers().get()))
    registry->ActivateDesigner(IPtr<IComponentDesigner>(this));
}

IPtr<IRoot> TComponentDesigner::GetRoots(Integer index) {
  if (index < 0 || index >= GetRootsCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  return FRootList[static_cast<std::size_t>(index)];
}

void TComponentDesigner::GetRootNames(const TGetStrProc& proc) {
  const auto copy = FRootList;
  for (const auto& r : copy)
    proc(r->GetRootName());
}

// ---- finding roots -----------------------------------------------------------------------------

IPtr<IRoot> TComponentDesigner::FindOwnRoot(const String& name) {
  for (const auto& r : FRootList)
    if (SameText(r->GetRootName(), name)) return r;
  return nullptr;
}

IPtr<IRoot> TComponentDesigner::FindRoot(const String& name) {
  if (name.empty()) return nullptr;
  if (IPtr<IRoot> r = FindOwnRoot(name)) return r;
  return FindInOthers([&](const IPtr<IRoot>& r) { return SameText(r->GetRootName(), name); });
}

IPtr<IRoot> TComponentDesigner::FindRootFor(TComponent* component) {
  if (!component) return nullptr;
  for (const auto& r : FRootList)
    if (r->GetRoot() == component) return r;
  return FindInOthers([&](const IPtr<IRoot>& r) { return r->GetRoot() == component; });
}

IPtr<IRoot> TComponentDesigner::FindInOthers(const std::function<bool(const IPtr<IRoot>&)>& match) {
  IPtr<IRoot> found;
  if (IPtr<IComponentDesigners> registry = Designers())
    registry->ForEachDesigner([&](const IPtr<IComponentDesigner>& d) {
      if (d.get() == static_cast<IComponentDesigner*>(this)) return true;
      for (Integer i = 0, n = d->GetRootsCount(); i < n && !found; ++i)
        if (IPtr<IRoot> r = d->GetRoots(i); match(r)) found = r;
      return !found;
    });
  return found;
}

IPtr<IRoot> TComponentDesigner::OpenRootClass(const String& className) {
  const String name = !className.empty() && (className[0] == 'T' || className[0] == 't')
                          ? className.substr(1)
                          : className;
  IPtr<IRoot> root = FindRoot(name);
  if (!root && FEnvironment) {
    FEnvironment->OpenRootModule(name);
    root = FindRoot(name);
  }
  if (root) root->Resurrect();
  return root;
}

// ---- root base classes -------------------------------------------------------------------------

TCustomModuleClass TComponentDesigner::FindCustomModuleClass(const String& className) {
  if (FEnvironment)
    FEnvironment->BeforeFindClass(className,
                                  IPtr<IInterface>(static_cast<IComponentDesigner*>(this)));
  const TCustomModuleReg* reg =
      FindCustomModuleReg(className, [this](TClass c) { return OwnsRootClass(c); });
  return reg ? reg->CustomModuleClass : nullptr;
}

bool TComponentDesigner::IsRootBaseClass(const String& className) {
  if (className.empty()) return false;
  return FindCustomModuleReg(className, [this](TClass c) { return OwnsRootClass(c); }) != nullptr;
}

String TComponentDesigner::FindBaseClass(const String& className) {
  const TCustomModuleReg* reg =
      FindCustomModuleReg(className, [this](TClass c) { return OwnsRootClass(c); });
  return reg ? reg->BaseClass->ClassName : String("TForm");
}

bool TComponentDesigner::IsNestable(const String& className) {
  TCustomModuleClass cls = FindCustomModuleClass(className);
  if (!cls) return false;
  TObject* obj = cls->Create<TComponent*, IPtr<IDesigner>>(nullptr, nullptr);
  void* intf = nullptr;
  if (!obj->GetInterface(ICustomModule::IID, &intf)) {
    obj->Free();
    return false;
  }
  return IPtr<ICustomModule>::Adopt(static_cast<ICustomModule*>(intf))->Nestable();
}

// ---- every root --------------------------------------------------------------------------------

void TComponentDesigner::RemoveDependenciesOn(TComponent* component) {
  const auto copy = FRootList;
  for (auto it = copy.rbegin(); it != copy.rend(); ++it)
    if (auto r = Internal(*it)) r->RemoveDependenciesOn(component);
}

void TComponentDesigner::UpdateRootDependents() {
  auto update = [](const IPtr<IComponentDesigner>& d) {
    for (Integer i = 0; i < d->GetRootsCount(); ++i)
      if (auto r = Internal(d->GetRoots(i))) r->UpdateDependencies();
    return true;
  };
  if (IPtr<IComponentDesigners> registry = Designers())
    registry->ForEachDesigner(update);
  else
    update(IPtr<IComponentDesigner>(this));
}

void TComponentDesigner::SetControlsLocked(bool locked) {
  FControlsLocked = locked;
  const auto copy = FRootList;
  for (const auto& root : copy)
    if (auto r = Internal(root)) r->SetControlsLocked(locked);
}

void TComponentDesigner::DesignerOptionsChanged() {
  const auto copy = FRootList;
  for (const auto& root : copy)
    if (auto r = Internal(root)) r->UpdateOptions();
}

namespace {

/// Each design window among the design-notification listeners.
template <class F> void ForEachDesignWindow(F&& proc) {
  if (TDesignNotificationList* list = DesignNotificationList())
    for (const auto& listener : list->Snapshot())
      if (auto window = QueryIntf<IDesignWindow>(listener.get())) proc(*window);
}

} // namespace

void TComponentDesigner::HideWindows() {
  ForEachDesignWindow([](IDesignWindow& w) { w.WindowHide(); });
  const auto copy = FRootList;
  for (const auto& root : copy)
    if (auto r = Internal(root)) r->HideWindow();
}

void TComponentDesigner::ShowWindows() {
  ForEachDesignWindow([](IDesignWindow& w) { w.WindowShow(); });
  const auto copy = FRootList;
  for (const auto& root : copy)
    if (auto r = Internal(root)) r->ShowWindow();
}

void TComponentDesigner::UpdateSelections() {
  if (FInUpdateSelections) return;
  FInUpdateSelections = true;
  try {
    for (const auto& root : FRootList) {
      auto r = Internal(root);
      if (!r || r->IsUnavailable()) continue;
      IPtr<IDesignerSelections> list = CreateSelectionList();
      IPtr<IDesigner> designer = root->GetDesigner();
      designer->GetSelections(list);
      SetSelection(designer, list);
      break;
    }
  } catch (...) {
    FInUpdateSelections = false;
    throw;
  }
  FInUpdateSelections = false;
}

void TComponentDesigner::SetSelection(const IPtr<IDesigner>&,
                                      const IPtr<IDesignerSelections>& selection) {
  FSelections = selection;
}

// ---- files -------------------------------------------------------------------------------------

Integer TComponentDesigner::GetFileAge(const String& fileSystem, const String& fileName) {
  CheckDisk(fileSystem);
  struct stat st {};
  if (::stat(fileName.c_str(), &st) != 0) return -1;
  return static_cast<Integer>(st.st_mtime);
}

bool TComponentDesigner::FileExists(const String& fileSystem, const String& fileName) {
  CheckDisk(fileSystem);
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool TComponentDesigner::IsFileReadOnly(const String& fileSystem, const String& fileName) {
  CheckDisk(fileSystem);
  struct stat st {};
  return ::stat(fileName.c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool TComponentDesigner::RenameFile(const String& fileSystem, const String& oldName,
                                    const String& newName) {
  CheckDisk(fileSystem);
  return std::rename(oldName.c_str(), newName.c_str()) == 0;
}

void TComponentDesigner::WriteFile(const String& fileSystem, const String& fileName,
                                   std::string_view data) {
  CheckDisk(fileSystem);
  SaveAtomically(fileName, data);
}

} // namespace fw
