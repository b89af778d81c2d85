#include "componentdesigner/componentnaming.h"

#include "basert/classbuilder.h"
#include "basert/collection.h"
#include "basert/format.h"
#include "basert/typinfo.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/proxies.h"

#include <atomic>
#include <charconv>

namespace fw {

namespace {

std::atomic<std::uint64_t> gNameGeneration{1};

bool IsInherited(const TComponent* c) {
  return c->ComponentState().Contains(stateAncestor) &&
         !c->ComponentState().Contains(stateDestroying);
}

std::string_view StemOf(std::string_view baseName) {
  if (baseName.size() >= 2 && baseName[0] == 'T') baseName.remove_prefix(1);
  return baseName.substr(0, 255);
}

/// The instances of `module`'s class placed in the other open modules, at any depth: what the
/// module gains is copied into each of them, however many placed frames lie between.
std::vector<TComponent*> PlacedCopies(TComponent* module, const IPtr<IComponentDesigner>& own) {
  std::vector<TComponent*> copies;
  if (!module) return copies;
  std::function<void(TComponent*)> walk = [&](TComponent* owner) {
    for (TComponent* c : owner->ComponentList()) {
      if (c->ComponentState().Contains(stateInline) && c->InheritsFrom(module->ClassType()))
        copies.push_back(c);
      walk(c);
    }
  };
  auto visit = [&](const IPtr<IComponentDesigner>& d) {
    for (Integer i = 0; i < d->GetRootsCount(); ++i)
      if (IPtr<IRoot> r = d->GetRoots(i))
        if (TComponent* root = r->GetRoot(); root && root != module) walk(root);
    return true;
  };
  if (IPtr<IComponentDesigners> registry = Designers())
    registry->ForEachDesigner(visit);
  else if (own)
    visit(own);
  return copies;
}

bool TakenInAny(const std::vector<TComponent*>& copies, const String& path) {
  return std::any_of(copies.begin(), copies.end(),
                     [&](TComponent* c) { return FindNestedComponent(c, path) != nullptr; });
}

} // namespace

// ---- numbered names ----------------------------------------------------------------------------

String UniqueNameStem(std::string_view baseName) { return String(StemOf(baseName)); }

void NamesReleased() noexcept { gNameGeneration.fetch_add(1, std::memory_order_relaxed); }

String TUniqueNameIndex::UniqueName(std::string_view baseName, const TTakenFunc& taken) {
  const std::uint64_t generation = gNameGeneration.load(std::memory_order_relaxed);
  if (generation != FGeneration) {
    FNext.clear();
    FGeneration = generation;
  }
  const std::string_view stem = StemOf(baseName);
  auto it = FNext.find(stem);
  if (it == FNext.end()) it = FNext.emplace(String(stem), 1).first;
  // One buffer for every candidate: only the number at its end changes.
  String candidate(stem);
  char digits[16];
  for (Integer n = it->second;; ++n) {
    const char* end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    candidate.replace(stem.size(), String::npos, digits, static_cast<std::size_t>(end - digits));
    if (!taken(candidate)) {
      it->second = n; // free now, but the caller is about to take it
      FAnswered = candidate;
      FAnsweredStem = stem.size();
      FAnsweredNumber = n;
      return candidate;
    }
  }
}

void TUniqueNameIndex::Given(std::string_view name) {
  if (FAnswered.empty() || name != FAnswered) return;
  const std::string_view stem = std::string_view(FAnswered).substr(0, FAnsweredStem);
  if (gNameGeneration.load(std::memory_order_relaxed) == FGeneration)
    if (auto it = FNext.find(stem); it != FNext.end() && it->second == FAnsweredNumber)
      it->second = FAnsweredNumber + 1;
  FAnswered.clear();
}

// ---- TCompInfo ---------------------------------------------------------------------------------

TClass TCompInfo::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCompInfo, TInterfacedObject>("TCompInfo", "ComponentDesigner")
          .Implements<ICompInfo>()
          .Build();
  return cls;
}

TCompInfo::TCompInfo(const IPtr<IInternalRoot>& root, TPersistent* instance)
    : FRoot(root), FInstance(instance) {}

const std::vector<PPropInfo>& TCompInfo::Events() {
  // Most renames reach a source module that only wants the class name.
  if (!FEventsLoaded && FInstance) FList = GetPropList(FInstance, tkMethods, true);
  FEventsLoaded = true;
  return FList;
}

String TCompInfo::GetClassName() { return FInstance ? FInstance->ClassName() : String(); }

String TCompInfo::GetQualifiedClassName() {
  if (!FInstance) return {};
  const String& unit = FInstance->ClassType()->UnitName;
  return unit.empty() ? FInstance->ClassName() : unit + "." + FInstance->ClassName();
}

IPtr<IDesignObject> TCompInfo::GetComponentHandle() {
  return FInstance ? IPtr<IDesignObject>(New<TDesignObject>(FInstance)) : nullptr;
}

String TCompInfo::GetNamePath() { return FInstance ? FInstance->GetNamePath() : String(); }

Integer TCompInfo::GetEventCount() { return static_cast<Integer>(Events().size()); }

PPropInfo TCompInfo::GetEventInfo(Integer index) {
  return index >= 0 && index < GetEventCount() ? Events()[static_cast<std::size_t>(index)]
                                               : nullptr;
}

String TCompInfo::GetEventName(Integer index) {
  PPropInfo p = GetEventInfo(index);
  return p ? p->Name : String();
}

IPtr<IEventInfo> TCompInfo::GetIEventInfo(Integer index) {
  PPropInfo p = GetEventInfo(index);
  return p ? IPtr<IEventInfo>(New<TEventInfo>(p)) : nullptr;
}

String TCompInfo::GetEventValue(Integer index) {
  PPropInfo p = GetEventInfo(index);
  TComponent* root = FRoot ? FRoot->GetRoot() : nullptr;
  if (!p || !root) return {};
  const TMethod m = GetMethodProp(FInstance, p);
  return m.Code && m.Data == root ? root->MethodName(m.Code) : String();
}

void TCompInfo::ClearEvent(Integer index) {
  PPropInfo p = GetEventInfo(index);
  if (!p) return;
  TComponentRoot* root = FRoot ? FRoot->Implementor() : nullptr;
  if (root && root->CanRevert(FInstance, p))
    root->Revert(FInstance, p);
  else
    SetMethodProp(FInstance, p, TMethod{});
  if (FRoot) FRoot->Modified();
}

void TCompInfo::LoadSubObjects() {
  if (FSubLoaded || !FInstance) return;
  FSubLoaded = true;
  for (PPropInfo p : GetPropInfos(FInstance->ClassType()->TypeInfo)) {
    if (p->PropType()->Kind != kindClass || !p->HasRead()) continue;
    TClass cls = GetTypeData(p->PropType())->ClassType;
    if (!cls || !cls->InheritsFrom(TPersistent::StaticClass())) continue;
    TObject* value = GetObjectProp(FInstance, p);
    if (cls->InheritsFrom(TComponent::StaticClass())) {
      auto* c = dynamic_cast<TComponent*>(value);
      if (!c || !c->ComponentStyle().Contains(styleSubComponent)) continue;
    }
    FSubList.push_back(dynamic_cast<TPersistent*>(value));
  }
  if (auto* collection = dynamic_cast<TCollection*>(FInstance))
    for (TCollectionItem* item : collection->ItemList())
      FSubList.push_back(item);
}

Integer TCompInfo::GetSubInfoCount() {
  LoadSubObjects();
  return static_cast<Integer>(FSubList.size());
}

IPtr<ICompInfo> TCompInfo::GetSubInfo(Integer index) {
  LoadSubObjects();
  if (index < 0 || index >= GetSubInfoCount()) return nullptr;
  TPersistent* p = FSubList[static_cast<std::size_t>(index)];
  return p ? IPtr<ICompInfo>(New<TCompInfo>(FRoot, p)) : nullptr;
}

// ---- the root's naming operations --------------------------------------------------------------

String TComponentRoot::UniqueName(const String& baseName) {
  if (!FNameIndex) FNameIndex = std::make_unique<TUniqueNameIndex>();
  const std::vector<TComponent*> copies = PlacedCopiesOfModule();
  return FNameIndex->UniqueName(baseName,
                                [&](const String& name) { return NameTaken(name, copies); });
}

String TComponentRoot::UniqueNameIn(TComponent* owner, const String& baseName) {
  if (!owner || owner == FRoot) return UniqueName(baseName);
  // Few names live in a frame: no index is worth keeping for them.
  const String stem = UniqueNameStem(baseName);
  const std::vector<TComponent*> copies = PlacedCopiesOfModule();
  for (Integer n = 1;; ++n) {
    String candidate = stem + std::to_string(n);
    if (!NameTakenIn(owner, candidate, copies)) return candidate;
  }
}

std::vector<TComponent*> TComponentRoot::PlacedCopiesOfModule() {
  if (!FCustomModule || !FCustomModule->Nestable()) return {};
  return PlacedCopies(FRoot, FDesigner);
}

bool TComponentRoot::NameTakenIn(TComponent* owner, const String& name,
                                 const std::vector<TComponent*>& copies) {
  if (owner->FindComponent(name)) return true;
  // The copies of the frame in descendant modules would get the name too.
  const String path = GetComponentName(owner) + "." + name;
  if (FRootUpdateManager && FRootUpdateManager->GetComponent() &&
      FRootUpdateManager->NameExists(path))
    return true;
  return TakenInAny(copies, path);
}

bool TComponentRoot::NameTaken(const String& name, const std::vector<TComponent*>& copies) {
  if (!FRoot) return false;
  // A component named like its module would hide the module's variable in the unit.
  if (SameText(FRoot->Name(), name)) return true;
  // The module's copies placed in other modules would get the name too.
  if (TakenInAny(copies, name)) return true;
  if (FRootUpdateManager && FRootUpdateManager->GetComponent())
    return FRootUpdateManager->NameExists(name);
  return FRoot->FindComponent(name) != nullptr;
}

bool TComponentRoot::RenameComponent(const String& curName, const String& newName) {
  TComponent* c = FRoot ? FRoot->FindComponent(curName) : nullptr;
  if (!c) return false;
  // The model lets a name be cleared; a user's rename may not.
  if (newName.empty()) throw EComponentError(Format(sInvalidName, newName));
  c->SetName(newName);
  return true;
}

void TComponentRoot::ValidateRename(TComponent* component, const String& curName,
                                    const String& newName) {
  if (curName.empty() && newName.empty()) return; // an unnamed component comes or goes
  if (!FRoot || FRoot->ComponentState().Contains(stateDestroying)) return;
  if (!curName.empty() && curName != newName) NamesReleased();
  const bool checksOff = FIgnoreRename || FRevertingComponent;
  const bool isRoot = !component || component == FRoot;
  auto takenInCopies = [this, &newName](const String& path) {
    return !newName.empty() && TakenInAny(PlacedCopiesOfModule(), path);
  };

  if (!isRoot && component->Owner() != FRoot) { // inside a nested module instance
    const bool placed = IsFrame(component->Owner());
    const bool inherited = IsInherited(component);
    if (inherited && !curName.empty() && !checksOff && placed)
      throw EComponentDesignerException(Format(sRenamingAncestor, curName));
    // What the frame gained here lives on in the descendant modules' copies of the frame.
    if (placed && !inherited && !checksOff && FRootUpdateManager && !curName.empty() &&
        !newName.empty() && curName != newName) {
      const String path = GetComponentName(component->Owner()) + ".";
      if (!SameText(curName, newName) &&
          (FRootUpdateManager->NameExists(path + newName) || takenInCopies(path + newName)))
        throw EComponentDesignerException(Format(sComponentAlreadyExists, newName));
      FRootUpdateManager->RenameDescendents(path + curName, newName);
    }
    // The nested module renamed it: the descendant modules' copies of the frame follow by name,
    // or their next update would pair nothing, make the component again and lose their values.
    if (placed && inherited && FIgnoreRename && FRootUpdateManager && !curName.empty() &&
        !newName.empty() && curName != newName)
      FRootUpdateManager->RenameDescendents(GetComponentName(component->Owner()) + "." + curName,
                                            newName);
    return;
  }
  // A module being read brings names its source already declares.
  if (FRoot->ComponentState().Contains(stateLoading)) return;
  if (FSettingRootName) return;

  if (!isRoot) {
    if (!SameText(curName, newName) &&
        ((FRootUpdateManager && FRootUpdateManager->NameExists(newName)) || takenInCopies(newName)))
      throw EComponentDesignerException(Format(sComponentAlreadyExists, newName));
    const bool inherited = IsInherited(component);
    if (inherited && !curName.empty() && !checksOff)
      throw EComponentDesignerException(Format(sRenamingAncestor, curName));
    if (SameText(newName, "Owner"))
      throw EComponentDesignerException(Format(sComponentAlreadyExists, newName));
    const bool rootUpdating = FIgnoreRename || FRoot->ComponentState().Contains(stateUpdating);
    if (!inherited && (newName.empty() || !rootUpdating) && FModule)
      FModule->ComponentRenamed(IPtr<ICompInfo>(New<TCompInfo>(Internal(), component)), curName,
                                newName);
    if (FRootUpdateManager) FRootUpdateManager->RenameDescendents(curName, newName);
    if (FOTAFormEditor && curName != newName)
      FOTAFormEditor->NotifyRenamed(component, curName, newName);
  } else {
    if (newName.empty()) throw EComponentDesignerException(String(sRootMustHaveName));
    const String className = "T" + newName;
    for (TClass c = FRoot->ClassParent(); c; c = c->Parent)
      if (SameText(c->ClassName, className))
        throw EComponentDesignerException(Format(sAncestorClassName, className));
    if (FModule) FModule->RootRenamed(IPtr<ICompInfo>(New<TCompInfo>(Internal(), FRoot)), newName);
    RenameSubClass(FRoot, className);
    if (FOTAFormEditor && curName != newName)
      FOTAFormEditor->NotifyRenamed(FRoot, curName, newName);
  }

  // References by name to a renamed component live in the streams of the modules linking to
  // it; a component getting its first name has no such references yet.
  FRootStream.reset();
  if (!newName.empty() && !curName.empty()) {
    FDesigner->UpdateRootDependents();
    for (IInternalRoot* d : FDependents)
      d->Implementor()->FRootStream.reset();
  }
  if (EvComponentRenamedEvent) EvComponentRenamedEvent->Send(this, curName, newName);
  if (IPtr<IDesignEnvironment> env = GetEnvironment()) env->ComponentRenamed(curName, newName);
}

} // namespace fw
