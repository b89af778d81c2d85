#include "update/pairing.h"

#include "basert/onexit.h"
#include "update/updateobject.h"

#include <algorithm>
#include <cstdint>

namespace fw {

// ---- TPairingArena ------------------------------------------------------------------------------

TPairingArena::~TPairingArena() {
  for (std::size_t c = FChunks.size(); c-- > 0;) {
    auto* items = reinterpret_cast<TPairing*>(FChunks[c].get());
    for (std::size_t i = c + 1 == FChunks.size() ? FUsed : ChunkSize; i-- > 0;)
      items[i].~TPairing();
  }
}

TPairing* TPairingArena::New(TPairings* parent) {
  if (FUsed == ChunkSize) {
    FChunks.push_back(std::make_unique_for_overwrite<std::byte[]>(ChunkSize * sizeof(TPairing)));
    FUsed = 0;
  }
  auto* at = reinterpret_cast<TPairing*>(FChunks.back().get()) + FUsed;
  new (at) TPairing(parent);
  ++FUsed;
  return at;
}

namespace {
std::size_t SlotOf(const TComponent* component, std::size_t mask) {
  // Fibonacci hashing: heap addresses differ mostly in their middle bits.
  return static_cast<std::size_t>(
             (reinterpret_cast<std::uintptr_t>(component) >> 4) * 0x9E3779B97F4A7C15ull >> 20) &
         mask;
}
} // namespace

void TPairingArena::AddListing(const TComponent* component, const TListing& listing) {
  if (2 * (FListingCount + 1) > FListings.size()) {
    std::vector<TListingSlot> old(std::max<std::size_t>(64, 2 * FListings.size()));
    old.swap(FListings);
    FListingCount = 0;
    for (const TListingSlot& slot : old)
      if (slot.Component) AddListing(slot.Component, slot.Listing);
  }
  const std::size_t mask = FListings.size() - 1;
  for (std::size_t i = SlotOf(component, mask);; i = (i + 1) & mask) {
    TListingSlot& slot = FListings[i];
    if (slot.Component == component) {
      slot.Listing = listing;
      return;
    }
    if (!slot.Component) {
      slot = {component, listing};
      ++FListingCount;
      return;
    }
  }
}

const TPairingArena::TListing* TPairingArena::FindListing(const TComponent* component) const {
  if (FListings.empty()) return nullptr;
  const std::size_t mask = FListings.size() - 1;
  for (std::size_t i = SlotOf(component, mask); FListings[i].Component; i = (i + 1) & mask)
    if (FListings[i].Component == component) return &FListings[i].Listing;
  return nullptr;
}

bool TPairingArena::ListedChildren(const TComponent* component, const TComponent* root,
                                   std::span<TComponent* const>& children) const {
  const TListing* listing = FindListing(component);
  if (!listing || listing->Root != root) return false;
  children = std::span<TComponent* const>(FListed).subspan(listing->Start, listing->Count);
  return true;
}

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
  FByName.reset();
}

bool TPairings::IsCandidate(const TPairing* p) const {
  return FAncestor ? !p->Ancestor() && p->Component() : !p->Component() && p->Ancestor();
}

const String& TPairings::OtherName(const TPairing* p) const {
  return (FAncestor ? p->Component() : p->Ancestor())->Name();
}

TPairing* TPairings::Find(const TComponent* child) {
  if (!FByName) {
    // Every pairing before the cursor has been matched, so the one at it is the first candidate.
    while (FCursor < FList.size() && !IsCandidate(FList[FCursor]))
      ++FCursor;
    if (FCursor < FList.size() && SameText(OtherName(FList[FCursor]), child->Name()))
      return FList[FCursor++];
    FByName = std::make_unique<decltype(FByName)::element_type>();
    for (TPairing* p : FList)
      if (IsCandidate(p)) (*FByName)[OtherName(p)].push_back(p);
  }
  auto it = FByName->find(child->Name());
  if (it == FByName->end()) return nullptr;
  for (TPairing* p : it->second)
    if (IsCandidate(p)) return p;
  return nullptr;
}

void TPairings::Add(TComponent* child) {
  // Components the descendant added itself take no part.
  if (!FAncestor && !child->ComponentState().Contains(stateAncestor)) return;
  TPairing* pairing = nullptr;
  if (FPairing && (FAncestor ? FPairing->Component() : FPairing->Ancestor())) pairing = Find(child);
  TPairingArena& arena = *FPairing->FArena;
  if (pairing) {
    --arena.FUnpaired;
  } else {
    pairing = FList.emplace_back(arena.New(this));
    ++arena.FUnpaired;
  }
  if (FAncestor)
    pairing->SetAncestor(child);
  else
    pairing->SetComponent(child);
  if (FPairing && FPairing->New()) pairing->SetNew(true);
}

// ---- TPairing ----------------------------------------------------------------------------------

TPairing::TPairing(TPairings* parent)
    : FChildren(this), FParent(parent),
      FOwnArena(parent ? nullptr : std::make_unique<TPairingArena>()),
      FArena(parent ? parent->FPairing->FArena : FOwnArena.get()) {
  if (parent) {
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
  // Listed first, then paired: pairing a child lists its own children after these.
  std::vector<TComponent*>& listed = FArena->FListed;
  const std::size_t start = listed.size();
  component->GetChildren([&listed](TComponent* c) { listed.push_back(c); }, root);
  const std::size_t end = listed.size();
  if (end > start) FArena->AddListing(component, {root, start, end - start});
  // The first side to list fills the list; the other mostly pairs with what is there.
  if (FChildren.FList.empty()) FChildren.FList.reserve(end - start);
  for (std::size_t i = start; i < end; ++i)
    FChildren.Add(listed[i]);
}

void TPairing::SetComponentRoot(TComponent* value) {
  FComponentRoot = value;
  for (TPairing* child : FChildren.FList)
    child->SetComponentRoot(value);
}

void TPairing::SetAncestorRoot(TComponent* value) {
  FAncestorRoot = value;
  for (TPairing* child : FChildren.FList)
    child->SetAncestorRoot(value);
}

void TPairing::SetNew(bool value) {
  FNew = value;
  if (value && FParent) FParent->SetHasNew(true);
}

void TPairing::DeleteDeleted(const IPtr<IUpdateManager>& updateManager,
                             const IPtr<IUpdateManagerCallback>& callback) {
  if (FAncestor) {
    for (TPairing* child : FChildren.FList)
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
    for (TPairing* child : FChildren.FList)
      child->CreateUpdateObjects(object);
}

} // namespace fw
