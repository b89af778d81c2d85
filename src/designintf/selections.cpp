#include "designintf/selections.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <algorithm>

namespace fw {

TClass TSelectionListenerHelper::StaticClass() {
  static const TClass cls = TClassBuilder<TSelectionListenerHelper, TObject>(
                                "TSelectionListenerHelper", "SelectionListenerHelper")
                                .Build();
  return cls;
}

TClass TSimpleSelections::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSimpleSelections, TInterfacedObject>("TSimpleSelections", "Selections")
          .Implements<ISelections>()
          .Build();
  return cls;
}

bool SameItem(const IPtr<IItem>& a, const IPtr<IItem>& b) {
  if (a == b) return true;
  return a && b && a->Equals(b);
}

// ---- TSelectionListenerHelper ----------------------------------------------------------------

void TSelectionListenerHelper::Add(const IPtr<ISelectionsListener>& listener) {
  if (listener && std::find(FList.begin(), FList.end(), listener) == FList.end())
    FList.push_back(listener);
}

void TSelectionListenerHelper::Remove(const IPtr<ISelectionsListener>& listener) {
  auto it = std::find(FList.begin(), FList.end(), listener);
  if (it != FList.end()) FList.erase(it);
}

void TSelectionListenerHelper::SelectionChanged(const IPtr<ISelections>& selections) {
  // A snapshot: listeners may register or unregister while they are told. A module's own
  // selection has one listener, and is told of every component created.
  if (FList.size() == 1) {
    const IPtr<ISelectionsListener> only = FList.front();
    only->SelectionChanged(selections);
    return;
  }
  const std::vector<IPtr<ISelectionsListener>> listeners = FList;
  for (const auto& l : listeners)
    l->SelectionChanged(selections);
}

// ---- TSimpleSelections -----------------------------------------------------------------------

const void* TSimpleSelections::KeyOf(const IPtr<IItem>& item) {
  if (IPtr<IPersistentItem> p = QueryIntf<IPersistentItem>(item)) return p->GetItem();
  return nullptr;
}

IPtr<IItem> TSimpleSelections::GetItems(Integer index) {
  if (index < 0 || index >= GetCount()) throw EListError(Format(sListIndexError, {index}));
  return FList[static_cast<std::size_t>(index)];
}

IItem* TSimpleSelections::Find(const IPtr<IItem>& item) {
  if (!item) return nullptr;
  auto [lo, hi] = FIndex.equal_range(KeyOf(item));
  for (auto it = lo; it != hi; ++it)
    if (SameItem(it->second, item)) return it->second;
  return nullptr;
}

IPtr<IItem> TSimpleSelections::FindFor(const TPersistent* object) {
  if (!object) return nullptr;
  auto [lo, hi] = FIndex.equal_range(object);
  for (auto it = lo; it != hi; ++it)
    if (KeyOf(IPtr<IItem>(it->second)) == object) return IPtr<IItem>(it->second);
  return nullptr;
}

Integer TSimpleSelections::IndexOf(const IPtr<IItem>& item) {
  IItem* entry = Find(item);
  if (!entry) return -1;
  auto pos = std::find(FList.begin(), FList.end(), IPtr<IItem>(entry));
  return static_cast<Integer>(pos - FList.begin());
}

void TSimpleSelections::Add(const IPtr<IItem>& item) {
  if (!item || Find(item)) return;
  const void* key = KeyOf(item);
  FList.push_back(item);
  FKeys.push_back(key);
  FIndex.emplace(key, item.get());
  Change();
}

void TSimpleSelections::Remove(const IPtr<IItem>& item) {
  Integer i = IndexOf(item);
  if (i < 0) {
    // An item whose object is gone no longer answers its key: find it by reference.
    auto pos = std::find(FList.begin(), FList.end(), item);
    if (pos != FList.end()) i = static_cast<Integer>(pos - FList.begin());
  }
  if (i >= 0) Remove(i);
}

void TSimpleSelections::Remove(Integer index) {
  if (index < 0 || index >= GetCount()) throw EListError(Format(sListIndexError, {index}));
  const auto i = static_cast<std::size_t>(index);
  auto [lo, hi] = FIndex.equal_range(FKeys[i]);
  for (auto it = lo; it != hi; ++it)
    if (it->second == FList[i].get()) {
      FIndex.erase(it);
      break;
    }
  FList.erase(FList.begin() + index);
  FKeys.erase(FKeys.begin() + index);
  Change();
}

void TSimpleSelections::Toggle(const IPtr<IItem>& item) {
  const Integer i = IndexOf(item);
  if (i >= 0)
    Remove(i);
  else
    Add(item);
}

void TSimpleSelections::Clear() {
  FIndex.clear();
  FList.clear();
  FKeys.clear();
  Change();
}

void TSimpleSelections::AddListener(const IPtr<ISelectionsListener>& listener) {
  FListeners.Add(listener);
}

void TSimpleSelections::RemoveListener(const IPtr<ISelectionsListener>& listener) {
  FListeners.Remove(listener);
}

void TSimpleSelections::EndSelections() {
  if (FBeginCount == 0) return;
  if (--FBeginCount == 0 && FDirty) Signal();
}

void TSimpleSelections::Change() {
  if (FBeginCount > 0)
    FDirty = true;
  else
    Signal();
}

void TSimpleSelections::Signal() {
  FDirty = false;
  FListeners.SelectionChanged(IPtr<ISelections>(this));
}

} // namespace fw
