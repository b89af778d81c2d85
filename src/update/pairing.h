// The pairing tree of one update run: the descendant module's inherited components matched by
// name with the ancestor module's components, so that what the ancestor lost can be deleted and
// what it gained created.
#pragma once

#include "basert/component.h"
#include "componentdesigner/updateintf.h"

#include <cstddef>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

namespace fw {

class TPairing;
class TPairings;
class TUpdateObject;

/// Storage for the pairings of a run: they are made one by one and forgotten all together, and
/// the memory serves the next run, so pairing a large module allocates nothing once warm.
class TPairingArena {
public:
  TPairingArena() = default;
  ~TPairingArena();
  TPairingArena(const TPairingArena&) = delete;
  TPairingArena& operator=(const TPairingArena&) = delete;

  /// Forgets every pairing made so far; the pairings must no longer be used.
  void Reset();
  /// A new pairing under `parent`, valid until Reset.
  TPairing* New(TPairings* parent);
  /// How many pairings have only one side so far.
  std::size_t Unpaired() const noexcept { return FUnpaired; }
  /// The children `component` listed under `root` while it was paired, in its order; false
  /// when it listed none or under another root.
  bool ListedChildren(const TComponent* component, const TComponent* root,
                      std::span<TComponent* const>& children) const;

private:
  friend class TPairings;
  friend class TPairing;
  using TNameIndex = std::unordered_map<String, std::vector<TPairing*>, TextHash, TextEqual>;
  struct TListing {
    const TComponent* Root;
    std::size_t Start;
    std::size_t Count;
  };
  struct TListingSlot {
    const TComponent* Component = nullptr;
    std::size_t Run = 0; // the slot is empty unless it was filled in the current run
    TListing Listing{};
  };
  struct TSlotBlock {
    std::unique_ptr<TPairing*[]> Items;
    std::size_t Size;
  };
  /// Records (or replaces) the listing of `component`.
  void AddListing(const TComponent* component, const TListing& listing);
  const TListing* FindListing(const TComponent* component) const;
  /// Room for `count` pairing pointers, valid until Reset.
  TPairing** Slots(std::size_t count);
  /// An empty name index, valid until Reset.
  TNameIndex* NameIndex();

  std::size_t FUnpaired = 0;
  std::size_t FRun = 1;
  // Every component's children as its side listed them, so that a run that pairs everything
  // need not list them again to compare orders.
  std::vector<TComponent*> FListed;
  // Listings by component, open addressing over a power-of-two table: one per component with
  // children, and no allocation for each.
  std::vector<TListingSlot> FListings;
  std::size_t FListingCount = 0;
  static constexpr std::size_t ChunkSize = 256;
  std::vector<std::unique_ptr<std::byte[]>> FChunks;
  std::size_t FChunk = 0; // the chunk being filled
  std::size_t FUsed = 0;  // in that chunk
  // The pairings' children lists.
  std::vector<TSlotBlock> FSlotBlocks;
  std::size_t FSlotBlock = 0;
  std::size_t FSlotsUsed = 0;
  std::vector<std::unique_ptr<TNameIndex>> FNameIndexes;
  std::size_t FNameIndexesUsed = 0;
};

/// The children of one pairing.
class TPairings {
public:
  explicit TPairings(TPairing* pairing) : FPairing(pairing) {}
  TPairings(const TPairings&) = delete;
  TPairings& operator=(const TPairings&) = delete;

  /// Empties the list (the pairings go with the run's arena).
  void Clear();
  Integer Count() const noexcept { return static_cast<Integer>(FCount); }
  TPairing* Pairings(Integer index) const { return FItems[static_cast<std::size_t>(index)]; }
  std::span<TPairing* const> List() const noexcept { return {FItems, FCount}; }
  /// Some pairing at or below this list is new. Setting it sets every enclosing list too;
  /// clearing it clears only this one.
  bool HasNew() const noexcept { return FHasNew; }
  void SetHasNew(bool value);

private:
  friend class TPairing;
  /// Starts filling the list from one side.
  void BeginAdding(bool ancestorSide);
  /// Pairs `child` (of the side the list is being filled from) with the first pairing that lacks
  /// that side and whose other side has the same name, ignoring case (unnamed with unnamed
  /// only), or appends a new pairing.
  void Add(TComponent* child);
  TPairing* Find(const TComponent* child);
  bool IsCandidate(const TPairing* p) const;
  const String& OtherName(const TPairing* p) const;
  /// Room for at least `count` pairings in all.
  void Reserve(std::size_t count);

  // In the run's arena.
  TPairing** FItems = nullptr;
  std::size_t FCount = 0;
  std::size_t FCapacity = 0;
  // Both sides usually list their children in the same order, so the next candidate is tried
  // first; after the first miss, candidates are looked up by name (made then).
  std::size_t FCursor = 0;
  TPairingArena::TNameIndex* FByName = nullptr;
  bool FAncestor = false; // children being added come from the ancestor side
  bool FHasNew = false;
  TPairing* FPairing;
};

/// One descendant component and its ancestor component; either may be missing.
class TPairing {
public:
  /// The root pairing of a run, whose pairings `arena` holds.
  explicit TPairing(TPairingArena& arena);
  /// A pairing under `parent`; it takes the naming roots of the pairing that owns `parent`.
  explicit TPairing(TPairings* parent);
  TPairing(const TPairing&) = delete;
  TPairing& operator=(const TPairing&) = delete;

  TComponent* Component() const noexcept { return FComponent; }
  /// Stores `component` and pairs its inherited children with the ancestor side's.
  void SetComponent(TComponent* component);
  TComponent* Ancestor() const noexcept { return FAncestor; }
  /// Stores `ancestor` and pairs its children with the descendant side's.
  void SetAncestor(TComponent* ancestor);
  /// Every pairing of the run has both sides: nothing was lost or gained.
  bool AllPaired() const noexcept { return FArena->Unpaired() == 0; }
  TComponent* ComponentRoot() const noexcept { return FComponentRoot; }
  /// Sets the root here and in every pairing below.
  void SetComponentRoot(TComponent* value);
  TComponent* AncestorRoot() const noexcept { return FAncestorRoot; }
  void SetAncestorRoot(TComponent* value);
  /// The descendant component was created during this run.
  bool New() const noexcept { return FNew; }
  void SetNew(bool value);
  TPairings& Children() noexcept { return FChildren; }
  TPairings* Parent() const noexcept { return FParent; }

  /// Frees each descendant component whose ancestor component is gone, after telling `callback`
  /// (which may be null) and `updateManager`'s Notification; their pairings lose their children.
  void DeleteDeleted(const IPtr<IUpdateManager>& updateManager,
                     const IPtr<IUpdateManagerCallback>& callback);
  /// Gives the components created in this run update objects under `parentObject`; subtrees
  /// without new components are not visited.
  void CreateUpdateObjects(TUpdateObject* parentObject);

private:
  friend class TPairings;
  /// Enumerates one side's children of `component` under `root` into the children list.
  void AddChildren(TComponent* component, TComponent* root, bool ancestorSide);

  TComponent* FComponent = nullptr;
  TComponent* FAncestor = nullptr;
  TComponent* FComponentRoot = nullptr;
  TComponent* FAncestorRoot = nullptr;
  TPairings FChildren;
  TPairings* FParent = nullptr;
  TPairingArena* FArena;
  bool FNew = false;
};

} // namespace fw
