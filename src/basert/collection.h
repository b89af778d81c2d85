// TCollection and TCollectionItem: owned, ordered lists of persistent items of one class.
#pragma once

#include "basert/persistent.h"

#include <tuple>
#include <vector>

namespace fw {

class TCollection;

enum TCollectionNotification : std::uint8_t { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
  FW_CLASS(TCollectionItem)
public:
  using TVirtualCtorArgs = std::tuple<TCollection*>;
  /// Adds the new item to `collection` (when not null).
  explicit TCollectionItem(TCollection* collection);
  ~TCollectionItem() override;

  TCollection* Collection() const noexcept { return FCollection; }
  /// Moves the item to another collection (or out of any, with null).
  void SetCollection(TCollection* value);
  /// Numbered from 0 in order of addition to the collection; never reused by it.
  Integer ID() const noexcept { return FID; }
  /// Position in the collection, -1 outside one.
  Integer Index() const;
  /// Moves the item; raises EListError for a position outside the collection.
  virtual void SetIndex(Integer value);
  /// The text the collection editor shows; the class name unless a descendant says otherwise.
  virtual String GetDisplayName();
  virtual void SetDisplayName(const String& value);
  String DisplayName() { return GetDisplayName(); }
  /// "<collection's name path>[<index>]", or the class name outside a collection.
  String GetNamePath() override;
  TPersistent* GetOwner() override;

protected:
  /// Tells the collection that this item (or, with `allItems`, every item) changed.
  void Changed(bool allItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  Integer FID = 0;
};

class TCollection : public TPersistent {
  FW_CLASS(TCollection)
public:
  using TVirtualCtorArgs = std::tuple<TClass>;
  /// `itemClass` must descend from TCollectionItem.
  explicit TCollection(TClass itemClass);
  ~TCollection() override;

  TClass ItemClass() const noexcept { return FItemClass; }
  Integer Count() const noexcept { return static_cast<Integer>(FItems.size()); }
  /// Raises EListError for an index out of range.
  TCollectionItem* Items(Integer index) const;
  const std::vector<TCollectionItem*>& ItemList() const noexcept { return FItems; }

  /// A new item of the item class at the end.
  TCollectionItem* Add();
  /// A new item at `index`.
  TCollectionItem* Insert(Integer index);
  /// Frees the item at `index`; raises EListError when out of range.
  void Delete(Integer index);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const noexcept { return FUpdateCount; }
  TCollectionItem* FindItemID(Integer id) const;
  /// Replaces the items by copies of `source`'s when it is a collection.
  void Assign(TPersistent* source) override;
  String GetNamePath() override;
  TPersistent* GetOwner() override { return FOwner; }
  /// The owner's published property holding this collection, or empty.
  String PropName();
  void SetOwner(TPersistent* owner) { FOwner = owner; }

  /// Called when items change: `item` null means all of them.
  virtual void Update(TCollectionItem* item);
  virtual void Notify(TCollectionItem* item, TCollectionNotification action);

protected:
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void NotifyDesigner(TCollectionItem* item, TOperation op);

  TClass FItemClass;
  TPersistent* FOwner = nullptr;
  std::vector<TCollectionItem*> FItems;
  Integer FUpdateCount = 0;
  Integer FNextID = 0;
};

/// A collection that knows its owner from the start.
class TOwnedCollection : public TCollection {
  FW_CLASS(TOwnedCollection)
public:
  TOwnedCollection(TPersistent* owner, TClass itemClass) : TCollection(itemClass) {
    SetOwner(owner);
  }
};

inline constexpr std::string_view sInvalidItemClass = "Invalid collection item class %s";

} // namespace fw
