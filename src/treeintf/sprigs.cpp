#include "treeintf/sprigs.h"

#include "basert/collection.h"
#include "basert/exceptions.h"
#include "designeditors/editorregistry.h"
#include "treeintf/rootsprig.h"

#include <algorithm>
#include <climits>

namespace fw {

bool GShowClassNameInTreeView = false;
Integer GImageOffset = -1;
Integer GStateImageOffset = -1;
Integer GToolButtonImageOffset = -1;
TClipboardFormat GSprigClipboardFormat = 0;
bool (*CopySprigGlyphFunc)(TObject* bitmap) = nullptr;

// ---- TInformant ------------------------------------------------------------------------------

TInformant::~TInformant() {
  // A destructor reached without Free still has to unlink.
  if (!FDestroying) BeforeDestruction();
}

void TInformant::BeforeDestruction() {
  FDestroying = true;
  FDisableNotify = 0;
  Notification();
  // A linked informant that kept its link (an override of Changed) is unlinked here.
  while (FNotifyList && !FNotifyList->empty())
    Unnotify(FNotifyList->back());
}

void TInformant::Notify(TInformant* other) {
  if (!other || other == this) return;
  if (!FNotifyList) FNotifyList = std::make_unique<std::vector<TInformant*>>();
  if (std::find(FNotifyList->begin(), FNotifyList->end(), other) != FNotifyList->end()) return;
  FNotifyList->push_back(other);
  other->Notify(this);
}

void TInformant::Unnotify(TInformant* other) {
  if (!FNotifyList) return;
  auto it = std::find(FNotifyList->begin(), FNotifyList->end(), other);
  if (it == FNotifyList->end()) return;
  FNotifyList->erase(it);
  if (FNotifyList->empty()) FNotifyList.reset();
  other->Unnotify(this);
}

void TInformant::EnableNotify() {
  if (FDisableNotify > 0) --FDisableNotify;
  if (FDisableNotify == 0 && FNotifyNeeded) Notification();
}

void TInformant::Notification() {
  if (FDisableNotify > 0) {
    FNotifyNeeded = true;
    return;
  }
  FNotifyNeeded = false;
  if (!FNotifyList) return;
  // Changed may unlink (and so shrink the list): walk a copy, skipping those already gone.
  const std::vector<TInformant*> links = *FNotifyList;
  for (auto it = links.rbegin(); it != links.rend(); ++it) {
    if (!FNotifyList ||
        std::find(FNotifyList->begin(), FNotifyList->end(), *it) == FNotifyList->end())
      continue;
    (*it)->Changed(this);
  }
}

void TInformant::Changed(TInformant* sender) {
  if (sender && sender->Destroying()) Unnotify(sender);
}

TClass TInformant::StaticClass() {
  static const TClass cls = TClassBuilder<TInformant, TObject>("TInformant", "TreeIntf").Build();
  return cls;
}

// ---- TSprig ----------------------------------------------------------------------------------

TSprig::TSprig(TPersistent* item)
    : FItem(item), FImageIndex(item ? 2 : 0), FHidden(item == nullptr),
      FHiddenTested(item == nullptr) {}

TSprig::~TSprig() {
  Invalidate();
  if (FRoot && FRoot != this) FRoot->SprigGone(this);
  if (FParent) {
    FParent->RemoveChild(this);
    FParent = nullptr;
  }
  while (!FList.empty()) {
    TSprig* child = FList.back();
    child->FParent = nullptr; // already leaving: no need to search this list
    FList.pop_back();
    child->Free();
  }
}

TSprig* TSprig::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw EListError(Format(sListIndexError, index));
  return FList[static_cast<std::size_t>(index)];
}

Integer TSprig::IndexOf(TSprig* child) const {
  // Children are mostly looked for near the end (the newest), so search from there.
  for (std::size_t i = FList.size(); i-- > 0;)
    if (FList[i] == child) return static_cast<Integer>(i);
  return -1;
}

Integer TSprig::Index() const { return FParent ? FParent->IndexOf(const_cast<TSprig*>(this)) : -1; }

void TSprig::SetIndex(Integer value) {
  if (FParent) FParent->SetIndexOf(this, value);
}

void TSprig::SetIndexOf(TSprig* child, Integer index) {
  const Integer from = IndexOf(child);
  if (from < 0) return;
  index = std::clamp<Integer>(index, 0, Count() - 1);
  if (index == from) return;
  FList.erase(FList.begin() + from);
  FList.insert(FList.begin() + index, child);
  if (FRoot) FRoot->ChildMoved(child);
}

bool TSprig::Parents(TSprig* sprig) const {
  for (const TSprig* s = sprig; s; s = s->FParent)
    if (s == this) return true;
  return false;
}

void TSprig::RemoveChild(TSprig* child) {
  const Integer i = IndexOf(child);
  if (i >= 0) FList.erase(FList.begin() + i);
}

void TSprig::SetRoot(TRootSprig* root) {
  FRoot = root;
  if (root && FItem) root->AddItem(this);
  for (TSprig* child : FList)
    if (!child->FRoot) child->SetRoot(root);
}

TSprig* TSprig::Add(TSprig* child) {
  if (!child || child->FParent == this || child->Parents(this)) return child;
  TSprig* const oldParent = child->FParent;
  if (oldParent) {
    oldParent->RemoveChild(child);
    child->FParent = nullptr;
  }
  if (SortByIndex()) {
    const Integer index = child->ItemIndex();
    auto at = std::find_if(FList.begin(), FList.end(),
                           [index](TSprig* s) { return s->ItemIndex() >= index; });
    FList.insert(at, child);
  } else {
    FList.push_back(child);
  }
  child->FParent = this;
  const bool fresh = !child->FRoot;
  if (fresh && FRoot) child->SetRoot(FRoot);
  if (FRoot) FRoot->ChildPlaced(child, oldParent, fresh);
  return child;
}

TSprig* TSprig::SeekParent(TPersistent* item, bool recurse) {
  if (!item) return FRoot;
  if (FParent && FParent->FItem == item) return FParent;
  TSprig* found = nullptr;
  if (TSprig* owner = Owner()) found = owner->Find(item, recurse);
  if (!found && FRoot) found = FRoot->Find(item, recurse);
  if (!found && FRoot && item->Is<TComponent>()) {
    for (TComponent* c = static_cast<TComponent*>(item)->Owner(); c && !found; c = c->Owner())
      found = FRoot->Find(c, true);
  }
  return found ? found : FRoot;
}

TSprig* TSprig::SeekParent(const String& name, bool recurse) {
  return SeekParent(name, nullptr, recurse);
}

TSprig* TSprig::SeekParent(const String& name, TClass cls, bool recurse) {
  if (FParent && SameText(FParent->Name(), name) &&
      (!cls || (FParent->FItem && FParent->FItem->InheritsFrom(cls))))
    return FParent;
  TSprig* found = nullptr;
  if (TSprig* owner = Owner()) found = owner->Find(name, cls, recurse);
  if (!found && FRoot) found = FRoot->Find(name, cls, recurse);
  return found ? found : FRoot;
}

String TSprig::Path() { return FParent ? Format(sPathFormat, FParent->Path(), Name()) : Name(); }

void TSprig::ForEach(const TSprigProc& before, const TSprigProc& after) {
  if (FInvalid) return;
  if (before) before(this);
  // The list may change under the walk: go by position, re-checked every step.
  for (std::size_t i = FList.size(); i-- > 0;) {
    if (i >= FList.size()) continue;
    FList[i]->ForEach(before, after);
  }
  if (after) after(this);
}

void TSprig::ClearUnneededSprigs() {
  for (std::size_t i = FList.size(); i-- > 0;) {
    if (i >= FList.size()) continue;
    TSprig* child = FList[i];
    child->ClearUnneededSprigs();
    if (child->FInvalid || (child->Transient() && child->FList.empty())) child->Free();
  }
}

void TSprig::Invalidate() {
  if (FInvalid) return;
  FInvalid = true;
  if (FRoot && FRoot != this && FItem) FRoot->RemoveItem(this);
  FItem = nullptr;
  for (TSprig* child : FList)
    child->Invalidate();
}

void TSprig::SetExpanded(bool value) {
  FExpanded = value;
  if (value)
    for (TSprig* p = FParent; p; p = p->FParent)
      p->FExpanded = true;
}

String TSprig::CaptionFor(const String& name, const String& label, const String& classText) {
  String result = name;
  if (!label.empty()) {
    if (result.empty()) result = sUnnamedLabel;
    result = Format(sLabelCaption, result, label);
  }
  if (GShowClassNameInTreeView) {
    if (!classText.empty())
      result = Format(sClassCaption, result, classText);
    else if (FItem)
      result = Format(sClassCaption, result, FItem->ClassName());
  }
  return result;
}

void TSprig::ReparentChildren() {
  for (std::size_t i = FList.size(); i-- > 0;)
    if (i < FList.size()) FList[i]->Reparent();
}

bool TSprig::PaletteOver(TSprigClass sprigClass, TClass cls) {
  if (!sprigClass) return false;
  TOwned<TSprig> probe(CreateSprig(sprigClass, nullptr));
  return probe->PaletteOverTo(this, cls);
}

void TSprig::Changed(TInformant* sender) { TInformant::Changed(sender); }

String TSprig::UniqueName() { return FItem ? FItem->GetNamePath() : String(); }

void TSprig::SelectItems(const std::vector<TPersistent*>& items, bool markModified) {
  if (FRoot) FRoot->SelectItems(items, markModified);
}

void TSprig::RuntimeChange() {
  if (FRoot) FRoot->RuntimeChange();
}

void TSprig::DesigntimeChange() {
  if (FRoot) FRoot->DesigntimeChange();
}

TSprig* TSprig::FindItem(TPersistent* item, bool recurse) {
  if (!item) return nullptr;
  if (FItem == item) return this;
  for (TSprig* child : FList) {
    if (child->FItem == item) return child;
    if (recurse)
      if (TSprig* found = child->FindItem(item, true)) return found;
  }
  return nullptr;
}

TSprig* TSprig::FindItemByName(const String& name, TClass cls, bool recurse) {
  if (name.empty()) return nullptr;
  auto matches = [&](TSprig* s) {
    return SameText(s->Name(), name) && (!cls || (s->FItem && s->FItem->InheritsFrom(cls)));
  };
  if (matches(this)) return this;
  for (TSprig* child : FList) {
    if (matches(child)) return child;
    if (recurse)
      if (TSprig* found = child->FindItemByName(name, cls, true)) return found;
  }
  return nullptr;
}

TSprig* TSprig::FindItemByPath(const String& path, bool recurse) {
  if (path.empty()) return nullptr;
  if (SameText(Path(), path)) return this;
  for (TSprig* child : FList) {
    if (SameText(child->Path(), path)) return child;
    if (recurse)
      if (TSprig* found = child->FindItemByPath(path, true)) return found;
  }
  return nullptr;
}

bool TSprig::GetDesigner(IPtr<IDesigner>& designer) {
  if (FRoot && FRoot != this) return FRoot->GetDesigner(designer);
  designer = nullptr;
  return false;
}

Integer TSprig::GetImageIndex() { return FImageIndex + (Ghosted() ? 10 : 0); }

Integer TSprig::GetStateIndex() { return AnyProblems() ? 1 : 0; }

void TSprig::BeginUpdate() {
  if (FRoot && FRoot != this) FRoot->BeginUpdate();
}

void TSprig::EnsureUpdate() {
  if (FRoot && FRoot != this) FRoot->EnsureUpdate();
}

void TSprig::EndUpdate() {
  if (FRoot && FRoot != this) FRoot->EndUpdate();
}

String TSprig::GetAddType(Integer) { return {}; }

namespace {

/// The published class-typed property `name` of `cls`, or null.
PPropInfo ClassProp(TClass cls, const String& name) {
  if (!cls || name.empty()) return nullptr;
  return GetPropInfo(cls->TypeInfo, name, TTypeKinds{kindClass});
}

TClass PropClass(PPropInfo prop) {
  PTypeInfo t = prop->PropType();
  return t ? t->Data.ClassType : nullptr;
}

} // namespace

bool TSprig::AnyProblems() {
  const String prop = ParentProperty();
  if (prop.empty()) return false;
  if (!FItem) return true;
  PPropInfo info = ClassProp(FItem->ClassType(), prop);
  return !info || !GetObjectProp(FItem, info);
}

bool TSprig::Hidden() {
  if (FHiddenTested) return FHidden;
  IPtr<IDesigner> designer;
  const bool haveDesigner = GetDesigner(designer);
  bool hidden = true;
  if (FItem && FItem->Is<TComponent>())
    hidden = haveDesigner && designer->IsComponentHidden(static_cast<TComponent*>(FItem));
  if (haveDesigner) {
    FHidden = hidden;
    FHiddenTested = true;
  }
  return hidden;
}

TPersistent* TSprig::FocusItem() {
  if (FItem) return FItem;
  return FParent ? FParent->FocusItem() : nullptr;
}

void TSprig::VisualRefresh() {
  if (FTreeNode && FRoot) FRoot->ShowSprig(this);
}

String TSprig::Caption() {
  String result = CaptionFor(Name());
  if (IncludeIndexInCaption()) result = Format(sIndexCaption, ItemIndex(), result);
  return result;
}

bool TSprig::DragOverTo(TSprig* parent) {
  if (!parent || !FItem) return false;
  PPropInfo info = ClassProp(FItem->ClassType(), ParentProperty());
  if (!info) return false;
  if (parent->Is<TRootSprig>()) return true;
  return parent->FItem && parent->FItem->InheritsFrom(PropClass(info));
}

bool TSprig::DragDropTo(TSprig* parent) {
  if (!parent || parent == FParent || !FItem || Parents(parent)) return false;
  PPropInfo info = ClassProp(FItem->ClassType(), ParentProperty());
  if (!info) return false;
  SetObjectProp(FItem, info, parent->Is<TRootSprig>() ? nullptr : parent->FItem);
  return true;
}

bool TSprig::PaletteOverTo(TSprig* parent, TClass cls) {
  if (!parent) return false;
  PPropInfo info = ClassProp(cls, ParentProperty());
  if (!info) return false;
  if (parent->Is<TRootSprig>()) return true;
  return parent->FItem && parent->FItem->InheritsFrom(PropClass(info));
}

bool TSprig::CanMove(bool up) {
  if (!FParent || !FParent->SortByIndex()) return false;
  const Integer i = Index();
  if (up ? i <= 0 : i >= FParent->Count() - 1) return false;
  return FParent->Items(up ? i - 1 : i + 1)->DragOver(this);
}

bool TSprig::Move(bool up) {
  if (!FParent) return false;
  const Integer i = Index();
  if (up ? i <= 0 : i >= FParent->Count() - 1) return false;
  BeginUpdate();
  bool moved = false;
  try {
    moved = FParent->Items(up ? i - 1 : i + 1)->DragDrop(this);
    if (moved && FItem) SelectItems({FItem});
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  return moved;
}

void TSprig::SortItems() {
  if (FList.empty() || !SortByIndex()) return;
  std::stable_sort(FList.begin(), FList.end(), [](TSprig* a, TSprig* b) {
    if (!a->FItem || !b->FItem) return false;
    return a->ItemIndex() < b->ItemIndex();
  });
  if (FRoot)
    for (TSprig* child : FList)
      FRoot->ChildMoved(child);
}

bool TSprig::CopyGlyph(TObject* bitmap) {
  return CopySprigGlyphFunc ? CopySprigGlyphFunc(bitmap) : false;
}

TComponent* TSprig::Construct(TClass componentClass) {
  TPersistent* parent = FItem;
  if (!parent || !parent->Is<TComponent>()) {
    TSprig* owner = Owner();
    if (!owner) owner = FRoot;
    parent = owner ? owner->FItem : nullptr;
  }
  IPtr<IDesigner> designer;
  if (!parent || !parent->Is<TComponent>() || !GetDesigner(designer)) return nullptr;
  return designer->CreateComponent(componentClass, static_cast<TComponent*>(parent), 0, 0, 0, 0);
}

TPersistent* TSprig::ParentObject() {
  if (!FItem) return nullptr;
  if (PPropInfo info = ClassProp(FItem->ClassType(), ParentProperty())) {
    TObject* value = GetObjectProp(FItem, info);
    return value && value->Is<TPersistent>() ? static_cast<TPersistent*>(value) : nullptr;
  }
  if (FItem->Is<TComponent>()) return static_cast<TComponent*>(FItem)->GetParentComponent();
  return nullptr;
}

void TSprig::PlaceUnder(TPersistent* parentObject) {
  TSprig* target;
  if (parentObject)
    target = SeekParent(parentObject, true);
  else
    target = Owner() ? Owner() : FRoot;
  if (!target) return;
  if (FRoot && parentObject) FRoot->NoteWaiting(this, parentObject, target);
  target->Add(this);
}

void TSprig::FigureParent() { PlaceUnder(ParentObject()); }

void TSprig::FigureChildren() {
  if (FCollectionsDone || !FItem) return;
  FCollectionsDone = true;
  for (PPropInfo prop : GetPropList(FItem, TTypeKinds{kindClass}, false)) {
    if (!prop->Get) continue;
    TObject* value = GetObjectProp(FItem, prop);
    if (!value || !value->Is<TCollection>()) continue;
    auto* coll = static_cast<TCollection*>(value);
    // Only collections this item owns: not one it merely refers to.
    bool owned = false;
    for (TPersistent* p = coll->GetOwner(); p; p = p->GetOwner()) {
      if (p == FItem) {
        owned = true;
        break;
      }
      if (p->Is<TComponent>()) break;
    }
    if (!owned) continue;
    bool exists = false;
    for (TSprig* child : FList)
      exists = exists || child->FItem == coll;
    if (exists) continue;
    TSprigClass cls = FindBestSprigClass(coll->ClassType(), TCollectionSprig::StaticClass());
    if (!cls) continue;
    auto* sprig = static_cast<TCollectionSprig*>(CreateSprig(cls, coll));
    sprig->FPropName = prop->Name;
    sprig->FOwner = this;
    Add(sprig);
  }
}

TClass TSprig::StaticClass() {
  static const TClass cls = TClassBuilder<TSprig, TInformant>("TSprig", "TreeIntf").Build();
  return cls;
}

TSprig* CreateSprig(TSprigClass cls, TPersistent* item) {
  if (!cls || !cls->InheritsFrom(TSprig::StaticClass()))
    throw EInvalidOperation(
        Format("%s is not a sprig class", cls ? cls->ClassName : String("nil")));
  return static_cast<TSprig*>(cls->Create<TPersistent*>(item));
}

// ---- Sprig kinds -----------------------------------------------------------------------------

TClass TAbstractSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TAbstractSprig, TSprig>("TAbstractSprig", "TreeIntf").Build();
  return cls;
}

TClass TTransientSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTransientSprig, TAbstractSprig>("TTransientSprig", "TreeIntf").Build();
  return cls;
}

TClass TAbstractCollectionSprig::StaticClass() {
  static const TClass cls = TClassBuilder<TAbstractCollectionSprig, TAbstractSprig>(
                                "TAbstractCollectionSprig", "TreeIntf")
                                .Build();
  return cls;
}

TClass TTransientCollectionSprig::StaticClass() {
  static const TClass cls = TClassBuilder<TTransientCollectionSprig, TTransientSprig>(
                                "TTransientCollectionSprig", "TreeIntf")
                                .Build();
  return cls;
}

TClass TPersistentSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPersistentSprig, TSprig>("TPersistentSprig", "TreeIntf").Build();
  return cls;
}

TComponentSprig* TComponentSprig::Create(TSprigClass cls, TPersistent* item, TSprig* owner) {
  if (!cls || !cls->InheritsFrom(StaticClass()))
    throw EInvalidOperation(
        Format("%s is not a component sprig class", cls ? cls->ClassName : String("nil")));
  auto* sprig = static_cast<TComponentSprig*>(CreateSprig(cls, item));
  sprig->FOwner = owner;
  return sprig;
}

String TComponentSprig::UniqueName() {
  if (!FItem || !FItem->Is<TComponent>()) return TPersistentSprig::UniqueName();
  auto* c = static_cast<TComponent*>(FItem);
  if (!c->Name().empty()) return c->Name();
  return Format(sComponentsIndexName, c->ComponentIndex());
}

TClass TComponentSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentSprig, TPersistentSprig>("TComponentSprig", "TreeIntf").Build();
  return cls;
}

TClass TPropertySprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPropertySprig, TPersistentSprig>("TPropertySprig", "TreeIntf").Build();
  return cls;
}

TCollection* TCollectionSprig::Collection() const {
  return FItem && FItem->Is<TCollection>() ? static_cast<TCollection*>(FItem) : nullptr;
}

String TCollectionSprig::GetAddType(Integer index) {
  return index == 0 ? String(sAddCollectionItem) : String();
}

String TCollectionSprig::Name() { return Format(sCollectionName, FPropName); }

String TCollectionSprig::Caption() { return CaptionFor(FPropName); }

bool TCollectionSprig::CustomDelete() {
  TCollection* coll = Collection();
  if (!coll || coll->Count() == 0) return false;
  coll->Clear();
  return true;
}

void TCollectionSprig::AddType(Integer index) {
  TCollection* coll = Collection();
  if (index != 0 || !coll) return;
  TCollectionItem* item = coll->Add();
  SelectItems({item});
}

void TCollectionSprig::FigureParent() { PlaceUnder(FOwner ? FOwner->Item() : nullptr); }

void TCollectionSprig::FigureChildren() {
  TPropertySprig::FigureChildren();
  TCollection* coll = Collection();
  if (!coll || !FRoot) return;
  for (TCollectionItem* item : coll->ItemList()) {
    TSprig* existing = FRoot->Find(item, true);
    if (existing) continue; // here already, or placed elsewhere by its own sprig class
    TSprigClass cls = FindBestSprigClass(item->ClassType(), TCollectionItemSprig::StaticClass());
    if (!cls) continue;
    auto* sprig = static_cast<TCollectionItemSprig*>(CreateSprig(cls, item));
    sprig->FOwner = this;
    Add(sprig);
  }
}

TClass TCollectionSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCollectionSprig, TPropertySprig>("TCollectionSprig", "TreeIntf").Build();
  return cls;
}

String TCollectionItemSprig::GetAddType(Integer index) {
  return FParent ? FParent->GetAddType(index) : String();
}

Integer TCollectionItemSprig::AddTypeCount() { return FParent ? FParent->AddTypeCount() : 0; }

void TCollectionItemSprig::AddType(Integer index) {
  if (FParent) FParent->AddType(index);
}

String TCollectionItemSprig::Name() {
  return FItem && FItem->Is<TCollectionItem>() ? static_cast<TCollectionItem*>(FItem)->DisplayName()
                                               : String();
}

bool TCollectionItemSprig::DragOverTo(TSprig* target) {
  return target && target != this && target->Parent() == FParent;
}

bool TCollectionItemSprig::DragDropTo(TSprig* target) {
  if (!DragOverTo(target) || !FItem || !target->Item() || !target->Item()->Is<TCollectionItem>())
    return false;
  auto* item = static_cast<TCollectionItem*>(FItem);
  const Integer before = item->Index();
  item->SetIndex(static_cast<TCollectionItem*>(target->Item())->Index());
  const Integer after = item->Index();
  FParent->SetIndexOf(this, after);
  if (before != after && FParent)
    for (TSprig* sibling : FParent->Children())
      sibling->VisualRefresh();
  return before != after;
}

Integer TCollectionItemSprig::ItemIndex() {
  return FItem && FItem->Is<TCollectionItem>() ? static_cast<TCollectionItem*>(FItem)->Index() : 0;
}

void TCollectionItemSprig::FigureParent() { PlaceUnder(FOwner ? FOwner->Item() : nullptr); }

TClass TCollectionItemSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCollectionItemSprig, TPersistentSprig>("TCollectionItemSprig", "TreeIntf")
          .Build();
  return cls;
}

// ---- TSprigIndex -----------------------------------------------------------------------------

void TSprigIndex::Add(TSprig* sprig) {
  if (!sprig || !sprig->FItem) return;
  sprig->FIndexNext = nullptr;
  auto [it, inserted] = FMap.try_emplace(sprig->FItem, sprig);
  if (!inserted) {
    TSprig* s = it->second;
    while (s->FIndexNext)
      s = s->FIndexNext;
    s->FIndexNext = sprig;
  }
  ++FCount;
}

void TSprigIndex::Remove(TSprig* sprig) {
  if (!sprig || !sprig->FItem) return;
  auto it = FMap.find(sprig->FItem);
  if (it == FMap.end()) return;
  if (it->second == sprig) {
    if (sprig->FIndexNext)
      it->second = sprig->FIndexNext;
    else
      FMap.erase(it);
  } else {
    TSprig* s = it->second;
    while (s->FIndexNext && s->FIndexNext != sprig)
      s = s->FIndexNext;
    if (!s->FIndexNext) return;
    s->FIndexNext = sprig->FIndexNext;
  }
  sprig->FIndexNext = nullptr;
  --FCount;
}

TSprig* TSprigIndex::Find(const TPersistent* item) const {
  if (!item) return nullptr;
  auto it = FMap.find(item);
  return it == FMap.end() ? nullptr : it->second;
}

void TSprigIndex::Clear() {
  FMap.clear();
  FCount = 0;
}

// ---- Sprig-type registry ---------------------------------------------------------------------

Integer CountGenerations(TClass ancestor, TClass cls) noexcept {
  Integer n = 0;
  for (TClass c = cls; c; c = c->Parent, ++n)
    if (c == ancestor) return n;
  return -1;
}

bool ClassSupports(TClass cls, const TGUID& iid) noexcept {
  for (TClass c = cls; c; c = c->Parent)
    for (const TInterfaceEntry& e : c->Interfaces)
      if (e.IID == iid) return true;
  return false;
}

void TSprigTypeList::Add(TClass cls, TSprigClass sprigClass) {
  FList.insert(FList.begin(), TSprigType{CurrentGroup, cls, sprigClass});
}

void TSprigTypeList::Add(std::vector<TGUID> interfaces, TSprigClass sprigClass) {
  FInterfaceList.insert(FInterfaceList.begin(),
                        TSprigIntfType{CurrentGroup, std::move(interfaces), sprigClass});
}

TSprigClass TSprigTypeList::Match(TClass cls) {
  if (cls && cls == FLastClass) return FLastSprigClass;
  TSprigClass result = nullptr;
  for (const TSprigIntfType& e : FInterfaceList) {
    if (std::all_of(e.Interfaces.begin(), e.Interfaces.end(),
                    [cls](const TGUID& iid) { return ClassSupports(cls, iid); })) {
      result = e.SprigClass;
      break;
    }
  }
  if (!result) {
    Integer best = INT_MAX;
    for (const TSprigType& e : FList) {
      const Integer score = CountGenerations(e.Class, cls);
      if (score >= 0 && score < best) {
        best = score;
        result = e.SprigClass;
      }
    }
  }
  if (result) {
    FLastClass = cls;
    FLastSprigClass = result;
  }
  return result;
}

void TSprigTypeList::FreeGroup(Integer group) {
  std::erase_if(FList, [group](const TSprigType& e) { return e.Group == group; });
  std::erase_if(FInterfaceList, [group](const TSprigIntfType& e) { return e.Group == group; });
  FLastClass = nullptr;
  FLastSprigClass = nullptr;
}

namespace {

std::unique_ptr<TSprigTypeList>& SprigTypes() {
  static std::unique_ptr<TSprigTypeList> list;
  return list;
}

std::unique_ptr<TSprigTypeList>& RootSprigTypes() {
  static std::unique_ptr<TSprigTypeList> list;
  return list;
}

TSprigTypeList& Made(std::unique_ptr<TSprigTypeList>& list) {
  if (!list) list = std::make_unique<TSprigTypeList>();
  return *list;
}

TSprigClass FindIn(TSprigTypeList* list, TClass cls, TSprigClass base) {
  if (!list || list->Empty()) return nullptr;
  TSprigClass found = list->Match(cls);
  return !found || found->InheritsFrom(base) ? found : nullptr;
}

void WithdrawGroup(Integer group) {
  if (SprigTypes()) SprigTypes()->FreeGroup(group);
  if (RootSprigTypes()) RootSprigTypes()->FreeGroup(group);
}

} // namespace

void RegisterSprigType(TClass cls, TSprigClass sprigClass) {
  Made(SprigTypes()).Add(cls, sprigClass);
}

void RegisterSprigType(std::vector<TGUID> interfaces, TSprigClass sprigClass) {
  Made(SprigTypes()).Add(std::move(interfaces), sprigClass);
}

void RegisterRootSprigType(TClass cls, TSprigClass sprigClass) {
  Made(RootSprigTypes()).Add(cls, sprigClass);
}

void RegisterRootSprigType(std::vector<TGUID> interfaces, TSprigClass sprigClass) {
  Made(RootSprigTypes()).Add(std::move(interfaces), sprigClass);
}

TSprigClass FindBestSprigClass(TClass cls, TSprigClass base) {
  return FindIn(SprigTypes().get(), cls, base ? base : TSprig::StaticClass());
}

TSprigClass FindBestRootSprigClass(TClass cls, TSprigClass base) {
  return FindIn(RootSprigTypes().get(), cls, base ? base : TRootSprig::StaticClass());
}

TSprigTypeList* SprigTypeList() noexcept { return SprigTypes().get(); }
TSprigTypeList* RootSprigTypeList() noexcept { return RootSprigTypes().get(); }

namespace {
bool gTreeIntfRunning = false;
} // namespace

void TreeIntfStartup() {
  // Whoever starts the host may reach this twice: the stock types must not be registered twice.
  if (gTreeIntfRunning) return;
  gTreeIntfRunning = true;
  RegisterSprigType(TPersistent::StaticClass(), TPersistentSprig::StaticClass());
  RegisterSprigType(TCollection::StaticClass(), TCollectionSprig::StaticClass());
  RegisterSprigType(TCollectionItem::StaticClass(), TCollectionItemSprig::StaticClass());
  RegisterSprigType(TComponent::StaticClass(), TComponentSprig::StaticClass());
  RegisterRootSprigType(TPersistent::StaticClass(), TRootSprig::StaticClass());
  GSprigClipboardFormat = RegisterClipboardFormat(String(sSprigClipboardFormatName));
  NotifyGroupChange(&WithdrawGroup);
  InitDesignNotification();
}

void TreeIntfShutdown() {
  if (!gTreeIntfRunning) return;
  gTreeIntfRunning = false;
  DoneDesignNotification();
  FreeRootSprigList();
  UnnotifyGroupChange(&WithdrawGroup);
  GSprigClipboardFormat = 0;
  RootSprigTypes().reset();
  SprigTypes().reset();
}

bool TreeIntfRunning() noexcept { return gTreeIntfRunning; }

} // namespace fw
