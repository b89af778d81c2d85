#include "update/pairing.h"

#include "basert/onexit.h"
#include "update/prefetch.h"
#include "update/updateobject.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

namespace fw {

// ---- TPairingArena ------------------------------------------------------------------------------

static_assert(std::is_trivially_destructible_v<TPairing>,
              "the arena forgets its pairings without destroying them");

TPairingArena::~TPairingArena() = default;

void TPairingArena::Reset() {
  FUnpaired = 0;
  ++FRun;
  FListed.clear();
  FListingCount = 0;
  FChunk = 0;
  FUsed = 0;
  FSlotBlock = 0;
  FSlotsUsed = 0;
  FNameIndexesUsed = 0;
}

TPairing* TPairingArena::New(TPairings* parent) {
  if (FUsed == ChunkSize) {
    ++FChunk;
    FUsed = 0;
  }
  if (FChunk == FChunks.size())
    FChunks.push_back(std::make_unique_for_overwrite<std::byte[]>(ChunkSize * sizeof(TPairing)));
  auto* at = reinterpret_cast<TPairing*>(FChunks[FChunk].get()) + FUsed;
  new (at) TPairing(parent);
  ++FUsed;
  return at;
}

TPairing** TPairingArena::Slots(std::size_t count) {
  constexpr std::size_t BlockSize = 4096;
  if (FSlotBlock < FSlotBlocks.size() && FSlotsUsed + count > FSlotBlocks[FSlotBlock].Size) {
    ++FSlotBlock;
    FSlotsUsed = 0;
  }
  // A block too small for a long list gives way to one that holds it.
  while (FSlotBlock < FSlotBlocks.size() && FSlotBlocks[FSlotBlock].Size < count)
    FSlotBlocks.erase(FSlotBlocks.begin() + static_cast<std::ptrdiff_t>(FSlotBlock));
  if (FSlotBlock == FSlotBlocks.size()) {
    const std::size_t size = std::max(BlockSize, count);
    FSlotBlocks.push_back({std::make_unique_for_overwrite<TPairing*[]>(size), size});
  }
  TPairing** at = FSlotBlocks[FSlotBlock].Items.get() + FSlotsUsed;
  FSlotsUsed += count;
  return at;
}

TPairingArena::TNameIndex* TPairingArena::NameIndex() {
  if (FNameIndexesUsed == FNameIndexes.size())
    FNameIndexes.push_back(std::make_unique<TNameIndex>());
  TNameIndex* index = FNameIndexes[FNameIndexesUsed++].get();
  index->clear();
  return index;
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
      if (slot.Run == FRun) AddListing(slot.Component, slot.Listing);
  }
  const std::size_t mask = FListings.size() - 1;
  for (std::size_t i = SlotOf(component, mask);; i = (i + 1) & mask) {
    TListingSlot& slot = FListings[i];
    if (slot.Run != FRun) {
      slot = {component, FRun, listing};
      ++FListingCount;
      return;
    }
    if (slot.Component == component) {
      slot.Listing = listing;
      return;
    }
  }
}

const TPairingArena::TListing* TPairingArena::FindListing(const TComponent* component) const {
  if (FListings.empty()) return nullptr;
  const std::size_t mask = FListings.size() - 1;
  for (std::size_t i = SlotOf(component, mask); FListings[i].Run == FRun; i = (i + 1) & mask)
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

void TPairings::Clear() {
  BeginAdding(FAncestor);
  FCount = 0;
}

void TPairings::Reserve(std::size_t count) {
  if (count <= FCapacity) return;
  const std::size_t capacity = std::max({count, 2 * FCapacity, std::size_t{4}});
  TPairing** items = FPairing->FArena->Slots(capacity);
  std::copy(FItems, FItems + FCount, items);
  FItems = items;
  FCapacity = capacity;
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
  FByName = nullptr;
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
    while (FCursor < FCount && !IsCandidate(FItems[FCursor]))
      ++FCursor;
    if (FCursor < FCount) {
      // Usually spelt alike on both sides: the byte comparison spares the case-blind one.
      const String& other = OtherName(FItems[FCursor]);
      if (other == child->Name() || SameText(other, child->Name())) return FItems[FCursor++];
    }
    FByName = FPairing->FArena->NameIndex();
    for (TPairing* p : List())
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
    if (FCount == FCapacity) Reserve(FCount + 1);
    pairing = FItems[FCount++] = arena.New(this);
    ++arena.FUnpaired;
  }
  if (FAncestor)
    pairing->SetAncestor(child);
  else
    pairing->SetComponent(child);
  if (FPairing && FPairing->New()) pairing->SetNew(true);
}

// ---- TPairing ----------------------------------------------------------------------------------

TPairing::TPairing(TPairingArena& arena) : FChildren(this), FArena(&arena) {}

TPairing::TPairing(TPairings* parent)
    : FComponentRoot(parent->FPairing->FComponentRoot),
      FAncestorRoot(parent->FPairing->FAncestorRoot), FChildren(this), FParent(parent),
      FArena(parent->FPairing->FArena) {}

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
  // The other side's names are compared next, and that side was walked long ago.
  for (const TPairing* p : FChildren.List())
    if (const TComponent* other = ancestorSide ? p->FComponent : p->FAncestor)
      Prefetch(&other->Name(), sizeof(String));
  // Listed first, then paired: pairing a child lists its own children after these.
  std::vector<TComponent*>& listed = FArena->FListed;
  const std::size_t start = listed.size();
  component->GetChildren([&listed](TComponent* c) { listed.push_back(c); }, root);
  const std::size_t end = listed.size();
  if (end > start) FArena->AddListing(component, {root, start, end - start});
  // Each child is paired, and its own children listed, one after the other: fetch them all now.
  for (std::size_t i = start; i < end; ++i)
    Prefetch(listed[i], ObjectSpan);
  // The first side to list fills the list; the other mostly pairs with what is there.
  if (FChildren.FCount == 0) FChildren.Reserve(end - start);
  for (std::size_t i = start; i < end; ++i)
    FChildren.Add(listed[i]);
}

void TPairing::SetComponentRoot(TComponent* value) {
  FComponentRoot = value;
  for (TPairing* child : FChildren.List())
    child->SetComponentRoot(value);
}

void TPairing::SetAncestorRoot(TComponent* value) {
  FAncestorRoot = value;
  for (TPairing* child : FChildren.List())
    child->SetAncestorRoot(value);
}

void TPairing::SetNew(bool value) {
  FNew = value;
  if (value && FParent) FParent->SetHasNew(true);
}

void TPairing::DeleteDeleted(const IPtr<IUpdateManager>& updateManager,
                             const IPtr<IUpdateManagerCallback>& callback) {
  if (FAncestor) {
    for (TPairing* child : FChildren.List())
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
    for (TPairing* child : FChildren.List())
      child->CreateUpdateObjects(object);
}

} // namespace fw
