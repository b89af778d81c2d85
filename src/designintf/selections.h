// Selections: the ordered selection of design-surface items with batched change notification,
// and its listener list.
#pragma once

#include "designintf/surfaceintf.h"

#include <unordered_map>
#include <vector>

namespace fw {

/// The listeners of one selection, called in registration order.
class TSelectionListenerHelper : public TObject {
  FW_CLASS(TSelectionListenerHelper)
public:
  /// A listener already registered is not added twice.
  void Add(const IPtr<ISelectionsListener>& listener);
  void Remove(const IPtr<ISelectionsListener>& listener);
  Integer Count() const noexcept { return static_cast<Integer>(FList.size()); }
  /// Calls every listener; one that unregisters itself (or another) during the call is safe.
  void SelectionChanged(const IPtr<ISelections>& selections);

private:
  std::vector<IPtr<ISelectionsListener>> FList;
};

/// An ordered selection without duplicates. Changes inside a BeginSelections/EndSelections pair
/// are signalled once, when the outermost pair ends.
class TSimpleSelections : public TInterfacedObject, public ISelections {
  FW_CLASS(TSimpleSelections)
public:
  Integer GetCount() override { return static_cast<Integer>(FList.size()); }
  IPtr<IItem> GetItems(Integer index) override;
  Integer GetSelectionLevel() override { return FBeginCount; }
  /// Nothing for null or for an item already selected (same reference, or Equals).
  void Add(const IPtr<IItem>& item) override;
  void AddListener(const IPtr<ISelectionsListener>& listener) override;
  void BeginSelections() override { ++FBeginCount; }
  /// Signals a change even when the selection was already empty.
  void Clear() override;
  /// An unmatched call does nothing.
  void EndSelections() override;
  void Remove(const IPtr<IItem>& item) override;
  void Remove(Integer index) override;
  void RemoveListener(const IPtr<ISelectionsListener>& listener) override;
  bool Selected(const IPtr<IItem>& item) override { return Find(item) != nullptr; }
  void Toggle(const IPtr<IItem>& item) override;
  /// -1 when absent.
  Integer IndexOf(const IPtr<IItem>& item);
  /// The selected item wrapping `object`, found through the index; null when none.
  IPtr<IItem> FindFor(const TPersistent* object);

private:
  /// Items wrapping a persistent object are keyed by it (that is what Equals compares for
  /// them), so a lookup is not a scan; others by their reference.
  static const void* KeyOf(const IPtr<IItem>& item);
  /// The entry that is the same item, without its position; null when absent.
  IItem* Find(const IPtr<IItem>& item);
  void Change();
  void Signal();

  std::vector<IPtr<IItem>> FList;
  /// The key each entry was indexed under when added.
  std::vector<const void*> FKeys;
  std::unordered_multimap<const void*, IItem*> FIndex;
  TSelectionListenerHelper FListeners;
  Integer FBeginCount = 0;
  bool FDirty = false;
};

/// True for the same reference, or when `a` says it equals `b`.
bool SameItem(const IPtr<IItem>& a, const IPtr<IItem>& b);

} // namespace fw
