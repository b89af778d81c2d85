#include "basert/collection.h"

#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"

#include <algorithm>

namespace fw {

// ---- TCollectionItem ---------------------------------------------------------------------------

TClass TCollectionItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCollectionItem, TPersistent>("TCollectionItem", "Classes").Build();
  return cls;
}

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* value) {
  if (FCollection == value) return;
  if (FCollection) FCollection->RemoveItem(this);
  if (value) value->InsertItem(this);
}

Integer TCollectionItem::Index() const {
  if (!FCollection) return -1;
  const auto& items = FCollection->FItems;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<Integer>(it - items.begin());
}

void TCollectionItem::SetIndex(Integer value) {
  Integer cur = Index();
  if (cur < 0 || cur == value) return;
  auto& items = FCollection->FItems;
  if (value < 0 || value >= static_cast<Integer>(items.size()))
    throw EListError(Format(sListIndexError, value));
  items.erase(items.begin() + cur);
  items.insert(items.begin() + value, this);
  Changed(true);
}

String TCollectionItem::GetDisplayName() { return ClassName(); }

void TCollectionItem::SetDisplayName(const String&) { Changed(false); }

String TCollectionItem::GetNamePath() {
  if (!FCollection) return ClassName();
  return Format("%s[%d]", FCollection->GetNamePath(), Index());
}

TPersistent* TCollectionItem::GetOwner() { return FCollection; }

void TCollectionItem::Changed(bool allItems) {
  if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(allItems ? nullptr : this);
}

// ---- TCollection -------------------------------------------------------------------------------

TClass TCollection::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCollection, TPersistent>("TCollection", "Classes").Build();
  return cls;
}

TClass TOwnedCollection::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOwnedCollection, TCollection>("TOwnedCollection", "Classes").Build();
  return cls;
}

TCollection::TCollection(TClass itemClass) : FItemClass(itemClass) {
  if (!itemClass || !itemClass->InheritsFrom(TCollectionItem::StaticClass()))
    throw EInvalidOperation(Format(sInvalidItemClass, itemClass ? itemClass->ClassName : "nil"));
}

TCollection::~TCollection() {
  FUpdateCount = 1; // no change notices while dying
  FOwner = nullptr;
  while (!FItems.empty())
    FItems.back()->Free();
}

TCollectionItem* TCollection::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError(Format(sListIndexError, index));
  return FItems[static_cast<std::size_t>(index)];
}

TCollectionItem* TCollection::Add() {
  return static_cast<TCollectionItem*>(FItemClass->Create<TCollection*>(this));
}

TCollectionItem* TCollection::Insert(Integer index) {
  if (index < 0 || index > Count()) throw EListError(Format(sListIndexError, index));
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(Integer index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  item->Free();
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  try {
    while (!FItems.empty())
      FItems.back()->Free();
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  Changed();
}

TCollectionItem* TCollection::FindItemID(Integer id) const {
  for (TCollectionItem* item : FItems)
    if (item->FID == id) return item;
  return nullptr;
}

void TCollection::Assign(TPersistent* source) {
  auto* other = dynamic_cast<TCollection*>(source);
  if (!other) return TPersistent::Assign(source);
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->FItems)
      Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TCollection::PropName() {
  if (!FOwner) return {};
  for (PPropInfo p : GetPropInfos(FOwner->ClassType()->TypeInfo)) {
    if (p->ValueClass != TPropValueClass::Object || !p->HasRead()) continue;
    if (GetObjectProp(FOwner, p) == this) return p->Name;
  }
  return {};
}

String TCollection::GetNamePath() {
  String result = ClassName();
  if (!FOwner) return result;
  String s = FOwner->GetNamePath();
  if (s.empty()) return result;
  String prop = PropName();
  if (prop.empty()) return result;
  return s + "." + prop;
}

void TCollection::Update(TCollectionItem*) {}
void TCollection::Notify(TCollectionItem*, TCollectionNotification) {}

void TCollection::Changed() {
  if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  if (!item->InheritsFrom(FItemClass))
    throw EInvalidOperation(Format(sInvalidItemClass, item->ClassName()));
  FItems.push_back(item);
  item->FCollection = this;
  item->FID = FNextID++;
  Notify(item, cnAdded);
  Changed();
  NotifyDesigner(item, notifyInsert);
}

void TCollection::RemoveItem(TCollectionItem* item) {
  Notify(item, cnExtracting);
  if (!FItems.empty() && FItems.back() == item)
    FItems.pop_back();
  else
    FItems.erase(std::remove(FItems.begin(), FItems.end(), item), FItems.end());
  item->FCollection = nullptr;
  NotifyDesigner(item, notifyRemove);
  Changed();
}

void TCollection::NotifyDesigner(TCollectionItem* item, TOperation op) {
  if (FUpdateCount > 0 && op == notifyInsert) return;
  for (TPersistent* p = FOwner; p; p = p->GetOwner())
    if (auto* c = dynamic_cast<TComponent*>(p)) {
      if (auto d = c->FindRootDesigner()) d->Notification(item, op);
      return;
    }
}

} // namespace fw
