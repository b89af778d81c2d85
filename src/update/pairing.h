// The pairing tree of one update run: the descendant module's inherited components matched by
// name with the ancestor module's components, so that what the ancestor lost can be deleted and
// what it gained created.
#pragma once

#include "basert/component.h"
#include "componentdesigner/updateintf.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace fw {

class TPairing;
class TUpdateObject;

/// The children of one pairing.
class TPairings {
public:
  explicit TPairings(TPairing* pairing) : FPairing(pairing) {}
  ~TPairings();
  TPairings(const TPairings&) = delete;
  TPairings& operator=(const TPairings&) = delete;

  /// Frees the pairings and empties the list.
  void Clear();
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  TPairing* Pairings(Integer index) const { return FList[static_cast<std::size_t>(index)].get(); }
  /// Some pairing at or below this list is new. Setting it sets every enclosing list too;
  /// clearing it clears only this one.
  bool HasNew() const noexcept { return FHasNew; }
  void SetHasNew(bool value);

private:
  friend class TPairing;
  /// Pairs `child` (of the side the list is being filled from) with the first pairing that lacks
  /// that side and whose other side has the same name, ignoring case (unnamed with unnamed
  /// only), or appends a new pairing.
  void Add(TComponent* child);
  TPairing* Find(const TComponent* child);

  std::vector<std::unique_ptr<TPairing>> FList;
  // Pairings by the name of the side they were made from, in list order: pairing a large
  // module must not compare every name with every other.
  std::unordered_map<String, std::vector<TPairing*>, TextHash, TextEqual> FByName;
  bool FAncestor = false; // children being added come from the ancestor side
  bool FHasNew = false;
  TPairing* FPairing;
};

/// One descendant component and its ancestor component; either may be missing.
class TPairing {
public:
  /// A pairing under `parent` (null for the root); it takes the naming roots of the pairing
  /// that owns `parent`.
  explicit TPairing(TPairings* parent);
  ~TPairing();
  TPairing(const TPairing&) = delete;
  TPairing& operator=(const TPairing&) = delete;

  TComponent* Component() const noexcept { return FComponent; }
  /// Stores `component` and pairs its inherited children with the ancestor side's.
  void SetComponent(TComponent* component);
  TComponent* Ancestor() const noexcept { return FAncestor; }
  /// Stores `ancestor` and pairs its children with the descendant side's.
  void SetAncestor(TComponent* ancestor);
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
  TComponent* FComponent = nullptr;
  TComponent* FAncestor = nullptr;
  TComponent* FComponentRoot = nullptr;
  TComponent* FAncestorRoot = nullptr;
  TPairings FChildren;
  TPairings* FParent;
  bool FNew = false;
};

} // namespace fw
