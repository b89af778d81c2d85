#include "update/pairing.h"

#include "basert/onexit.h"
#include "update/updateobject.h"

namespace fw {

// ---- TPairings ---------------------------------------------------------------------------------

TPairings::~TPairings() = default;

void TPairings::Clear() {
  BeginAdding(FAncestor);
  FList.clear();
}

void TPairings::SetHasNew(bool value) {
  FHasNew = value;
  if (!value) return;
  for (TPairings* list = FPairing ? FPairing->Parent() : nullptr; list;
       list = list->FPairing ? list->FPairing->Parent() : nullptr)
    list->FHasNew = true;
}

void TPairings::BeginAdding(bool ancestorSide) {
  FAncestor = ancestorSide;
  FCursor = 0;
  FIndexed = false;
  FByName.clear();
}

bool TPairings::IsCandidate(const TPairing* p) const {
  return FAncestor ? !p->Ancestor() && p->Component() : !p->Component() && p->Ancestor();
}

const String& TPairings::OtherName(const TPairing* p) const {
  return (FAncestor ? p->Component() : p->Ancestor())->Name();
}

TPairing* TPairings::Find(const TComponent* child) {
  if (!FIndexed) {
    // Every pairing before the cursor has been matched, so the one at it is the first candidate.
    while (FCursor < FList.size() && !IsCandidate(FList[FCursor].get()))
      ++FCursor;
    if (FCursor < FList.size() && SameText(OtherName(FList[FCursor].get()), child->Name()))
      return FList[FCursor++].get();
    for (auto& p : FList)
      if (IsCandidate(p.get())) FByName[OtherName(p.get())].push_back(p.get());
    FIndexed = true;
  }
  auto it = FByName.find(child->Name());
  if (it == FByName.end()) return nullptr;
  for (TPairing* p : it->second)
    if (IsCandidate(p)) return p;
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
  AddChildren(component, FComponentRoot, false);
}

void TPairing::SetAncestor(TComponent* ancestor) {
  FAncestor = ancestor;
  if (!ancestor) return;
  if (!FAncestorRoot || ancestor->ComponentState().Contains(stateInline) ||
      (FComponent && FComponent->ComponentState().Contains(stateInline)))
    SetAncestorRoot(ancestor);
  AddChildren(ancestor, FAncestorRoot, true);
}

void TPairing::AddChildren(TComponent* component, TComponent* root, bool ancestorSide) {
  const bool saved = FChildren.FAncestor;
  TOnExit restore([&] { FChildren.FAncestor = saved; });
  FChildren.BeginAdding(ancestorSide);
  component->GetChildren([this](TComponent* c) { FChildren.Add(c); }, root);
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
