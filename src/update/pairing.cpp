#include "update/pairing.h"

#include "update/updateobject.h"

namespace fw {

// ---- TPairings ---------------------------------------------------------------------------------

TPairings::~TPairings() = default;

void TPairings::Clear() {
  FByName.clear();
  FList.clear();
}

void TPairings::SetHasNew(bool value) {
  FHasNew = value;
  if (!value) return;
  for (TPairings* list = FPairing ? FPairing->Parent() : nullptr; list;
       list = list->FPairing ? list->FPairing->Parent() : nullptr)
    list->FHasNew = true;
}

TPairing* TPairings::Find(const TComponent* child) {
  auto it = FByName.find(child->Name());
  if (it == FByName.end()) return nullptr;
  for (TPairing* p : it->second)
    if (FAncestor ? !p->Ancestor() && p->Component() : !p->Component() && p->Ancestor()) return p;
  return nullptr;
}

void TPairings::Add(TComponent* child) {
  // Components the descendant added itself take no part.
  if (!FAncestor && !child->ComponentState().Contains(stateAncestor)) return;
  TPairing* pairing = nullptr;
  if (FPairing && (FAncestor ? FPairing->Component() : FPairing->Ancestor())) pairing = Find(child);
  if (!pairing) {
    FList.push_back(std::make_unique<TPairing>(this));
    pairing = FList.back().get();
    FByName[child->Name()].push_back(pairing);
  }
  if (FAncestor)
    pairing->SetAncestor(child);
  else
    pairing->SetComponent(child);
  if (FPairing && FPairing->New()) pairing->SetNew(true);
}

// ---- TPairing ----------------------------------------------------------------------------------

TPairing::TPairing(TPairings* parent) : FChildren(this), FParent(parent) {
  if (parent && parent->FPairing) {
    FComponentRoot = parent->FPairing->FComponentRoot;
    FAncestorRoot = parent->FPairing->FAncestorRoot;
  }
}

TPairing::~TPairing() = default;

void TPairing::SetComponent(TComponent* component) {
  FComponent = component;
  if (!component) return;
  if (!FComponentRoot || component->ComponentState().Contains(stateInline))
    SetComponentRoot(component);
  const bool saved = FChildren.FAncestor;
  FChildren.FAncestor = false;
  component->GetChildren([this](TComponent* c) { FChildren.Add(c); }, FComponentRoot);
  FChildren.FAncestor = saved;
}

void TPairing::SetAncestor(TComponent* ancestor) {
  FAncestor = ancestor;
  if (!ancestor) return;
  if (!FAncestorRoot || ancestor->ComponentState().Contains(stateInline) ||
      (FComponent && FComponent->ComponentState().Contains(stateInline)))
    SetAncestorRoot(ancestor);
  const bool saved = FChildren.FAncestor;
  FChildren.FAncestor = true;
  try {
    ancestor->GetChildren([this](TComponent* c) { FChildren.Add(c); }, FAncestorRoot);
  } catch (...) {
    FChildren.FAncestor = saved;
    throw;
  }
  FChildren.FAncestor = saved;
}

void TPairing::SetComponentRoot(TComponent* value) {
  FComponentRoot = value;
  for (auto& child : FChildren.FList)
    child->SetComponentRoot(value);
}

void TPairing::SetAncestorRoot(TComponent* value) {
  FAncestorRoot = value;
  for (auto& child : FChildren.FList)
    child->SetAncestorRoot(value);
}

void TPairing::SetNew(bool value) {
  FNew = value;
  if (value && FParent) FParent->SetHasNew(true);
}

void TPairing::DeleteDeleted(const IPtr<IUpdateManager>& updateManager,
                             const IPtr<IUpdateManagerCallback>& callback) {
  if (FAncestor) {
    for (auto& child : FChildren.FList)
      child->DeleteDeleted(updateManager, callback);
    return;
  }
  if (!FComponent) return;
  if (callback) callback->Deleting(updateManager, FComponent);
  if (updateManager) updateManager->Notification(FComponent, notifyRemove);
  TComponent* component = FComponent;
  FComponent = nullptr;
  FChildren.Clear();
  component->Free();
}

void TPairing::CreateUpdateObjects(TUpdateObject* parentObject) {
  if (!parentObject || !FComponent) return;
  TUpdateObject* object = nullptr;
  if (FNew) {
    // A new component's update object already made those of its streamed children.
    object = parentObject->FindChild(FComponent);
    if (!object || object == parentObject)
      object = new TUpdateObject(parentObject, FComponent, FAncestor, nullptr, true,
                                 FComponent->ComponentState().Contains(stateInline));
  } else if (FChildren.HasNew()) {
    object = parentObject->FindChild(FComponent);
  }
  if (object && FChildren.HasNew())
    for (auto& child : FChildren.FList)
      child->CreateUpdateObjects(object);
}

} // namespace fw
