#include "treeintf/rootsprig.h"

#include "basert/threads.h"

#include <algorithm>

namespace fw {

namespace {

// Past these, a pass or a refresh is cheaper done over the whole tree than change by change.
constexpr std::size_t CMaxPendingInserts = 4096;
constexpr std::size_t CMaxNodeless = 512;
constexpr std::size_t CShownCaptionChars = 76;

/// Empties a set and gives back its buckets: walking a set costs its bucket count, and one
/// full pass must not slow every later small change.
void Reset(std::unordered_set<TSprig*>& set) { std::unordered_set<TSprig*>().swap(set); }

bool IsLeadByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

} // namespace

String ShortenedCaption(const String& caption) {
  std::size_t chars = 0;
  std::size_t cut = caption.size();
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (!IsLeadByte(caption[i])) continue;
    if (chars == CShownCaptionChars) cut = i;
    ++chars;
  }
  if (chars < CMaxShownCaption) return caption;
  return caption.substr(0, cut) + "... ";
}

// ---- TRootSprig ------------------------------------------------------------------------------

TRootSprig::TRootSprig(TPersistent* item) : TPersistentSprig(item) { FRoot = this; }

TRootSprig::~TRootSprig() {
  SetSprigDesigner(nullptr);
  if (Application) Application->RemovePosted(this);
  // The children go while this root's bookkeeping is still there to hear of them.
  while (!FList.empty()) {
    TSprig* child = FList.back();
    child->FParent = nullptr;
    FList.pop_back();
    child->Free();
  }
}

void TRootSprig::AddItem(TSprig* sprig) {
  if (!sprig || sprig == this || !sprig->FItem) return;
  FIndex.Add(sprig);
  auto range = FWaiting.equal_range(sprig->FItem);
  if (range.first == range.second) return;
  for (auto it = range.first; it != range.second; ++it) {
    if (FWork)
      FWork->push_back(it->second);
    else
      FFullPass = true; // placed outside a pass: let the next pass place everyone again
  }
  FRepopulateNeeded = true;
}

void TRootSprig::RemoveItem(TSprig* sprig) {
  if (!sprig) return;
  FIndex.Remove(sprig);
  std::erase(FNamedItems, sprig);
  std::erase(FPathedItems, sprig);
}

void TRootSprig::ValidateParent(TSprig* sprig) {
  if (sprig && sprig != this && !sprig->FInvalid) sprig->FigureParent();
}

void TRootSprig::NoteWaiting(TSprig* sprig, TPersistent* parentObject, TSprig* found) {
  ForgetWaiting(sprig);
  if (!parentObject || (found && found->FItem == parentObject)) return;
  // Placed elsewhere for want of a sprig of the parent object (or of an owner on the way to
  // the one found): when such a sprig appears, this one must be placed again.
  auto wait = [&](TPersistent* p) {
    FWaiting.emplace(p, sprig);
    sprig->FWaitingOn.push_back(p);
  };
  wait(parentObject);
  if (parentObject->Is<TComponent>())
    for (TComponent* c = static_cast<TComponent*>(parentObject)->Owner(); c; c = c->Owner()) {
      if (found && found->FItem == c) break;
      wait(c);
    }
}

void TRootSprig::ForgetWaiting(TSprig* sprig) {
  for (TPersistent* p : sprig->FWaitingOn) {
    auto range = FWaiting.equal_range(p);
    for (auto it = range.first; it != range.second; ++it)
      if (it->second == sprig) {
        FWaiting.erase(it);
        break;
      }
  }
  sprig->FWaitingOn.clear();
}

void TRootSprig::ChildPlaced(TSprig* child, TSprig* oldParent, bool fresh) {
  if (FRepopulating) {
    if (fresh) ++FMade;
    if (fresh && FWork) FWork->push_back(child);
  } else {
    FRepopulateNeeded = true;
  }
  if (oldParent && oldParent->Transient()) FCleanup.insert(oldParent);
  if (!FSprigDesigner) return;
  if (child->FTreeNode) {
    TSprig* parent = child->FParent;
    if (IPtr<ISprigTreeView> view = TreeView(); view && parent->FTreeNode) {
      view->MoveNode(child->FTreeNode, parent->FTreeNode, NodeBefore(child));
      return;
    }
    DropNodes(child);
  }
  FNodeless.insert(child);
}

void TRootSprig::ChildMoved(TSprig* child) {
  if (!child->FTreeNode || !child->FParent || !child->FParent->FTreeNode) return;
  if (IPtr<ISprigTreeView> view = TreeView())
    view->MoveNode(child->FTreeNode, child->FParent->FTreeNode, NodeBefore(child));
}

void TRootSprig::SprigGone(TSprig* sprig) {
  FCleanup.erase(sprig);
  FNodeless.erase(sprig);
  FIndexCaptioned.erase(sprig);
  ForgetWaiting(sprig);
  std::erase(FNamedItems, sprig);
  std::erase(FPathedItems, sprig);
  if (sprig->FTreeNode) DropNodes(sprig);
}

TTreeNode* TRootSprig::NodeBefore(TSprig* sprig) const {
  TSprig* parent = sprig->FParent;
  if (!parent) return nullptr;
  TTreeNode* before = nullptr;
  // From the end: new sprigs are mostly last, so this is short in practice.
  for (std::size_t i = parent->FList.size(); i-- > 0;) {
    TSprig* s = parent->FList[i];
    if (s == sprig) break;
    if (s->FTreeNode) before = s->FTreeNode;
  }
  return before;
}

void TRootSprig::DropNodes(TSprig* sprig) {
  if (!sprig->FTreeNode) return;
  IPtr<ISprigTreeView> view = TreeView();
  TTreeNode* node = sprig->FTreeNode;
  std::vector<TSprig*> stack{sprig};
  while (!stack.empty()) {
    TSprig* s = stack.back();
    stack.pop_back();
    if (!s->FTreeNode) continue;
    if (view) s->FExpanded = view->GetNodeExpanded(s->FTreeNode);
    s->FTreeNode = nullptr;
    for (TSprig* c : s->FList)
      stack.push_back(c);
  }
  if (view) view->DeleteNode(node);
}

bool TRootSprig::Wanted(TComponent* c) const {
  const TComponentState state = c->ComponentState();
  return c->Owner() == FItem && !c->ComponentStyle().Contains(styleTransient) &&
         state.Contains(stateDesigning) && !state.Contains(stateDestroying);
}

bool TRootSprig::MakeComponentSprig(TComponent* c) {
  TSprigClass cls = FindBestSprigClass(c->ClassType(), TComponentSprig::StaticClass());
  if (!cls) return false;
  Add(TComponentSprig::Create(cls, c, this));
  return true;
}

void TRootSprig::ParentPass(std::vector<TSprig*>& work) {
  FWork = &work;
  // The list grows while it is walked: sprigs made or woken here are placed in the same pass.
  for (std::size_t i = 0; i < work.size(); ++i) {
    TSprig* s = work[i];
    if (s->FInvalid) continue;
    if (s != this) {
      TSprig* old = s->FParent;
      s->FigureParent();
      if (s->FParent != old) FParentChanges = true;
    }
    s->FigureChildren();
  }
  FWork = nullptr;
}

void TRootSprig::FreeUnneeded() {
  // One at a time: freeing a sprig frees its children, which may be waiting here too.
  while (!FCleanup.empty()) {
    TSprig* s = *FCleanup.begin();
    FCleanup.erase(FCleanup.begin());
    if (s == this) continue;
    if (s->FInvalid || (s->Transient() && s->FList.empty())) {
      TSprig* parent = s->FParent;
      s->Free();
      if (parent && parent != this && parent->Transient()) FCleanup.insert(parent);
    }
  }
  Reset(FCleanup);
}

void TRootSprig::FullPass() {
  FPendingInserts.clear();
  FWaiting.clear();
  // Invalid sprigs go first, so that their items' components get fresh sprigs below.
  std::vector<TSprig*> stack{this};
  while (!stack.empty()) {
    TSprig* s = stack.back();
    stack.pop_back();
    StoreExpandState(s);
    for (std::size_t i = s->FList.size(); i-- > 0;) {
      if (i >= s->FList.size()) continue;
      TSprig* c = s->FList[i];
      if (c->FInvalid)
        c->Free();
      else
        stack.push_back(c);
    }
  }
  std::vector<TSprig*> work;
  FWork = &work;
  if (FItem && FItem->Is<TComponent>()) {
    const std::vector<TComponent*> components = static_cast<TComponent*>(FItem)->ComponentList();
    for (TComponent* c : components)
      if (Wanted(c) && !FIndex.Find(c)) MakeComponentSprig(c);
  }
  FWork = nullptr;
  // Repeat the parent pass until nothing moves. It goes in tree order, first sibling first: a
  // sprig moving under a new parent is appended there, so siblings keep the module's order.
  do {
    FParentChanges = false;
    work.clear();
    std::vector<TSprig*> pending{this};
    while (!pending.empty()) {
      TSprig* s = pending.back();
      pending.pop_back();
      if (s->FInvalid) continue;
      work.push_back(s);
      pending.insert(pending.end(), s->FList.rbegin(), s->FList.rend());
    }
    ParentPass(work);
  } while (FParentChanges);
  ClearUnneededSprigs();
  Reset(FCleanup);
  FFullRefresh = true;
}

void TRootSprig::IncrementalPass() {
  FreeUnneeded();
  std::vector<TSprig*> work;
  std::vector<TPersistent*> pending;
  pending.swap(FPendingInserts);
  FWork = &work;
  std::unordered_set<TSprig*> asked;
  for (TPersistent* item : pending) {
    if (!item->Is<TComponent>()) continue;
    auto* c = static_cast<TComponent*>(item);
    if (FIndex.Find(c)) continue;
    if (Wanted(c)) {
      MakeComponentSprig(c);
      continue;
    }
    // Owned below the root (inside a placed frame, say): only the owner's sprig knows whether
    // to show it, when it figures its children.
    TSprig* owner = c->Owner() ? FIndex.Find(c->Owner()) : nullptr;
    if (owner && !owner->FInvalid && asked.insert(owner).second) work.push_back(owner);
  }
  ParentPass(work);
  FreeUnneeded();
  if (FNodeless.size() > CMaxNodeless) FFullRefresh = true;
}

bool TRootSprig::Repopulate() {
  if (!FRepopulateNeeded || FRepopulating) return false;
  BeginUpdate();
  FRepopulating = true;
  const std::size_t before = FMade;
  try {
    if (FFullPass)
      FullPass();
    else
      IncrementalPass();
  } catch (...) {
    FWork = nullptr;
    FRepopulating = false;
    FFullPass = true; // whatever was half done is redone from scratch
    EndUpdate();
    throw;
  }
  FExpanded = true;
  FFullPass = false;
  FRepopulateNeeded = false;
  FRepopulating = false;
  const bool made = FMade > before;
  EndUpdate();
  return made;
}

void TRootSprig::ItemInserted(TPersistent* item) {
  FRepopulateNeeded = true;
  FIndexCaptionsStale = true;
  if (FFullPass || !item) return;
  if (item->Is<TComponent>() && FPendingInserts.size() < CMaxPendingInserts)
    FPendingInserts.push_back(item);
  else
    FFullPass = true; // collection items and the like: their sprigs are made by a full pass
}

void TRootSprig::ItemDeleted(TPersistent* item) {
  std::erase(FPendingInserts, item);
  FIndexCaptionsStale = true;
  TSprig* sprig = FindItem(item, true);
  if (!sprig || sprig == this || sprig->FInvalid) return;
  if (!FFullPass) {
    // Components shown below the deleted one are still in the module until told otherwise:
    // they get sprigs of their own again. Not what the deleted item owns: that goes with it.
    auto ownedByItem = [item](TComponent* c) {
      for (TComponent* o = c->Owner(); o; o = o->Owner())
        if (o == item) return true;
      return false;
    };
    std::vector<TSprig*> stack(sprig->FList.begin(), sprig->FList.end());
    while (!stack.empty()) {
      TSprig* s = stack.back();
      stack.pop_back();
      if (s->FItem && s->FItem->Is<TComponent>() &&
          !ownedByItem(static_cast<TComponent*>(s->FItem)))
        FPendingInserts.push_back(s->FItem);
      stack.insert(stack.end(), s->FList.begin(), s->FList.end());
    }
    if (FPendingInserts.size() > CMaxPendingInserts) FFullPass = true;
  }
  sprig->Invalidate();
  FCleanup.insert(sprig);
  FRepopulateNeeded = true;
}

void TRootSprig::ItemsModified(bool repopulate) {
  if (repopulate) {
    FRepopulateNeeded = true;
    FFullPass = true;
  }
  if (FSprigDesigner) ForEach([](TSprig* s) { s->VisualRefresh(); });
}

// ---- display ---------------------------------------------------------------------------------

IPtr<ISprigTreeView> TRootSprig::TreeView() {
  return FSprigDesigner ? FSprigDesigner->GetTreeView() : nullptr;
}

void TRootSprig::ClearDisplay() {
  if (FTreeNode) DropNodes(this);
  Reset(FNodeless);
  FFullRefresh = true;
}

void TRootSprig::SetSprigDesigner(const IPtr<ISprigDesigner>& value) {
  if (FSprigDesigner) {
    ClearDisplay();
    IPtr<ISprigDesigner> old = FSprigDesigner;
    FSprigDesigner = nullptr;
    old->SetRootSprig(nullptr);
  }
  FSprigDesigner = value;
  FUpdateLocks = 0;
  FNeedUpdate = false;
  if (FSprigDesigner) {
    FFullRefresh = true;
    RefreshTreeView();
  }
}

void TRootSprig::DepopulateTreeView(TSprig* sprig) {
  if (sprig) DropNodes(sprig);
}

void TRootSprig::StoreTreeState() {
  if (!TreeView()) return;
  ForEach([this](TSprig* s) { StoreExpandState(s); });
}

void TRootSprig::ShowSprig(TSprig* sprig) {
  IPtr<ISprigTreeView> view = TreeView();
  if (!view || !sprig->FTreeNode) return;
  sprig->FCaption = sprig->Caption();
  TPersistent* item = sprig->FItem;
  if (item && item->Is<TComponent>() && static_cast<TComponent*>(item)->Name().empty())
    FIndexCaptioned.insert(sprig);
  else
    FIndexCaptioned.erase(sprig);
  const Integer image = sprig->GetImageIndex();
  view->SetNodeVisuals(sprig->FTreeNode, ShortenedCaption(sprig->FCaption), image, image,
                       sprig->GetStateIndex());
}

void TRootSprig::PlaceChildren(TSprig* sprig, const IPtr<ISprigTreeView>& view) {
  TTreeNode* next = nullptr;
  for (std::size_t i = sprig->FList.size(); i-- > 0;) {
    TSprig* c = sprig->FList[i];
    if (!c->FTreeNode && !c->FInvalid) {
      PreRefreshTreeView(c);
      c->FTreeNode = view->AddNode(sprig->FTreeNode, next, c);
      PostRefreshTreeView(c);
      PlaceChildren(c, view);
    } else if (c->FTreeNode && FFullRefresh) {
      PreRefreshTreeView(c);
      PostRefreshTreeView(c);
      PlaceChildren(c, view);
    }
    if (c->FTreeNode) next = c->FTreeNode;
  }
  if (sprig->FExpanded && sprig->FTreeNode && !sprig->FList.empty())
    view->SetNodeExpanded(sprig->FTreeNode, true);
}

void TRootSprig::PlaceNode(TSprig* sprig, const IPtr<ISprigTreeView>& view) {
  if (sprig->FTreeNode || sprig->FInvalid || sprig->FRoot != this) return;
  TSprig* parent = sprig->FParent;
  if (!parent) return;
  if (!parent->FTreeNode) {
    PlaceNode(parent, view); // which places this sprig too, below it
    return;
  }
  PreRefreshTreeView(sprig);
  sprig->FTreeNode = view->AddNode(parent->FTreeNode, NodeBefore(sprig), sprig);
  PostRefreshTreeView(sprig);
  PlaceChildren(sprig, view);
}

void TRootSprig::RefreshTreeView() {
  if (FRefreshing) return;
  FRefreshing = true;
  BeginUpdate();
  try {
    Repopulate();
    if (IPtr<ISprigTreeView> view = TreeView()) {
      view->BeginUpdate();
      if (FFullRefresh || FNodeless.size() > CMaxNodeless) {
        FFullRefresh = true;
        Reset(FNodeless);
        PreRefreshTreeView(this);
        if (!FTreeNode) FTreeNode = view->AddNode(nullptr, nullptr, this);
        PostRefreshTreeView(this);
        PlaceChildren(this, view);
        FFullRefresh = false;
      } else {
        const std::vector<TSprig*> nodeless(FNodeless.begin(), FNodeless.end());
        Reset(FNodeless);
        for (TSprig* s : nodeless)
          PlaceNode(s, view);
        if (FIndexCaptionsStale) {
          const std::vector<TSprig*> captioned(FIndexCaptioned.begin(), FIndexCaptioned.end());
          for (TSprig* s : captioned)
            s->VisualRefresh();
        }
      }
      FIndexCaptionsStale = false;
      view->EndUpdate();
    }
  } catch (...) {
    FRefreshing = false;
    EndUpdate();
    throw;
  }
  FRefreshing = false;
  EndUpdate();
}

// ---- update batching and selection ------------------------------------------------------------

void TRootSprig::EnsureUpdate() {
  if (FUpdateLocks > 0) FNeedUpdate = true;
}

void TRootSprig::EndUpdate() {
  if (FUpdateLocks == 0) return;
  if (--FUpdateLocks > 0) return;
  if (FNeedUpdate) {
    FNeedUpdate = false;
    SyncSelection();
  } else if (FSprigDesigner && !FRefreshing && !FRepopulating &&
             (FRepopulateNeeded || FFullRefresh || !FNodeless.empty())) {
    RefreshTreeView();
  }
}

void TRootSprig::SyncSelection() {
  IPtr<ISprigTreeView> view = TreeView();
  if (!view || !FDesigner) return;
  auto list = CreateSelectionList();
  FDesigner->GetSelections(list);
  RefreshTreeView();
  ++FSelectionSyncs;
  if (list->GetCount() == 0) return;
  FPendingClear = false;
  std::vector<TTreeNode*> nodes;
  for (Integer i = 0; i < list->GetCount(); ++i) {
    TSprig* s = FindItem(list->Get(i), true);
    if (s && !s->FInvalid && s->FTreeNode) nodes.push_back(s->FTreeNode);
  }
  ++FSelectLocks;
  try {
    view->SelectNodes(nodes);
  } catch (...) {
    --FSelectLocks;
    throw;
  }
  --FSelectLocks;
}

void TRootSprig::SelectionChanged() {
  if (FUpdateLocks > 0)
    FNeedUpdate = true;
  else
    SyncSelection();
}

std::vector<TSprig*> TRootSprig::SelectedSprigs() {
  std::vector<TSprig*> result;
  IPtr<ISprigTreeView> view = TreeView();
  if (!view) return result;
  for (TTreeNode* node : view->GetSelectedNodes())
    if (TSprig* s = FindNodeSprig(node)) result.push_back(s);
  return result;
}

void TRootSprig::TreeSelectionChanged() {
  if (FSelectLocks > 0 || !FDesigner || !TreeView()) return;
  const std::vector<TSprig*> sprigs = SelectedSprigs();
  if (sprigs.empty()) {
    if (FPendingClear) return;
    FPendingClear = true;
    auto clear = [this] {
      if (!FPendingClear) return;
      FPendingClear = false;
      if (FDesigner) FDesigner->SetSelections(CreateSelectionList());
    };
    if (Application)
      Application->Post(clear, this);
    else
      clear();
    return;
  }
  FPendingClear = false;
  auto list = CreateSelectionList();
  for (TSprig* s : sprigs)
    if (s->FItem) list->Add(s->FItem);
  auto current = CreateSelectionList();
  FDesigner->GetSelections(current);
  bool same = current->GetCount() == list->GetCount();
  for (Integer i = 0; same && i < list->GetCount(); ++i) {
    bool found = false;
    for (Integer j = 0; !found && j < current->GetCount(); ++j)
      found = current->Get(j) == list->Get(i);
    same = found;
  }
  if (!same) FDesigner->SetSelections(list);
}

TSprig* TRootSprig::FindNodeSprig(TTreeNode* node) {
  if (!node) return nullptr;
  IPtr<ISprigTreeView> view = TreeView();
  return view ? view->GetNodeSprig(node) : nullptr;
}

TSprigDeleteStyle TRootSprig::SelectionSurvey(bool& allVisible) {
  allVisible = true;
  bool anyNormal = false, anyAbort = false, anyCustom = false;
  for (TSprig* s : SelectedSprigs()) {
    if (s->Hidden()) allVisible = false;
    switch (s->DeleteStyle()) {
    case dsNormal:
      anyNormal = true;
      break;
    case dsAbort:
      anyAbort = true;
      break;
    case dsCustom:
      anyCustom = true;
      break;
    case dsIgnore:
      break;
    }
  }
  if (anyAbort) return dsAbort;
  if (!anyCustom) return dsNormal;
  if (!anyNormal) return dsCustom;
  return dsAbort;
}

bool TRootSprig::SelectedSprig(TSprig*& sprig) {
  sprig = nullptr;
  IPtr<ISprigTreeView> view = TreeView();
  if (!view) return false;
  const std::vector<TTreeNode*> nodes = view->GetSelectedNodes();
  if (nodes.size() != 1 || !nodes[0] || nodes[0] == FTreeNode) return false;
  sprig = FindNodeSprig(nodes[0]);
  return sprig != nullptr;
}

bool TRootSprig::EditAction(TEditAction action) {
  IPtr<IEditHandler> handler;
  if (!FDesigner || !Supports(FDesigner, &handler)) return false;
  bool allVisible = true;
  switch (action) {
  case eaDelete: {
    const TSprigDeleteStyle style = SelectionSurvey(allVisible);
    if (style == dsNormal) {
      FDesigner->DeleteSelection(true);
      return true;
    }
    if (style != dsCustom) return false;
    // Sprigs stay put while the deletes notify: no repopulation inside the bracket.
    BeginUpdate();
    bool any = false;
    TPersistent* last = nullptr;
    try {
      for (TSprig* s : SelectedSprigs()) {
        if (s->CustomDelete()) any = true;
        if (!s->FInvalid && s->FItem) last = s->FItem;
      }
      if (any) {
        if (last)
          SelectItems({last}, true);
        else
          RuntimeChange();
      }
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
    return any;
  }
  case eaCut:
  case eaCopy:
    if (SelectionSurvey(allVisible) != dsNormal || !allVisible) return false;
    return handler->EditAction(action);
  default:
    return handler->EditAction(action);
  }
}

TEditStates TRootSprig::GetEditState() {
  IPtr<IEditHandler> handler;
  if (!FDesigner || !Supports(FDesigner, &handler)) return {};
  TEditStates state = handler->GetEditState() - TEditStates{esCanEditOle, esCanCreateTemplate};
  bool allVisible = true;
  if (SelectionSurvey(allVisible) == dsAbort) state = state - esCanDelete;
  if (!allVisible) state = state - TEditStates{esCanCut, esCanCopy, esCanPaste};
  return state;
}

// ---- overrides -------------------------------------------------------------------------------

void TRootSprig::SelectItems(const std::vector<TPersistent*>& items, bool markModified) {
  if (!FDesigner) return;
  if (markModified) FDesigner->Modified();
  auto list = CreateSelectionList();
  for (TPersistent* item : items)
    list->Add(item);
  FDesigner->SetSelections(list);
}

void TRootSprig::RuntimeChange() {
  if (FDesigner) FDesigner->Modified();
}

TSprig* TRootSprig::FindItem(TPersistent* item, bool recurse) {
  if (!item) return nullptr;
  if (FItem == item) return this;
  if (recurse) return FIndex.Find(item);
  return TPersistentSprig::FindItem(item, false);
}

TSprig* TRootSprig::FindItemByName(const String& name, TClass cls, bool recurse) {
  if (name.empty()) return nullptr;
  auto matches = [&](TSprig* s) {
    return SameText(s->Name(), name) && (!cls || (s->FItem && s->FItem->InheritsFrom(cls)));
  };
  if (matches(this)) return this;
  for (TSprig* s : FNamedItems)
    if (!s->FInvalid && matches(s)) return s;
  TSprig* found = TPersistentSprig::FindItemByName(name, cls, recurse);
  if (found && found != this) FNamedItems.push_back(found);
  return found;
}

TSprig* TRootSprig::FindItemByPath(const String& path, bool recurse) {
  if (path.empty()) return nullptr;
  if (SameText(Path(), path)) return this;
  for (TSprig* s : FPathedItems)
    if (!s->FInvalid && SameText(s->Path(), path)) return s;
  TSprig* found = TPersistentSprig::FindItemByPath(path, recurse);
  if (found && found != this) FPathedItems.push_back(found);
  return found;
}

bool TRootSprig::GetDesigner(IPtr<IDesigner>& designer) {
  designer = FDesigner;
  return FDesigner != nullptr;
}

String TRootSprig::GetAddType(Integer index) {
  TSprig* s;
  return SelectedSprig(s) ? s->GetAddType(index) : String();
}

bool TRootSprig::CanMove(bool up) {
  TSprig* s;
  return SelectedSprig(s) && s->CanMove(up);
}

bool TRootSprig::Move(bool up) {
  TSprig* s;
  return SelectedSprig(s) && s->Move(up);
}

bool TRootSprig::CanAdd() {
  TSprig* s;
  return SelectedSprig(s) && s->CanAdd();
}

Integer TRootSprig::AddTypeCount() {
  TSprig* s;
  return SelectedSprig(s) ? s->AddTypeCount() : 0;
}

void TRootSprig::AddType(Integer index) {
  TSprig* s;
  if (SelectedSprig(s)) s->AddType(index);
}

bool TRootSprig::AcceptsClass(TClass cls) {
  return cls && cls->InheritsFrom(TComponent::StaticClass());
}

TClass TRootSprig::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRootSprig, TPersistentSprig>("TRootSprig", "TreeIntf").Build();
  return cls;
}

// ---- TRootSprigList --------------------------------------------------------------------------

TRootSprigList::~TRootSprigList() {
  auto list = std::move(FList);
  for (auto& [component, root] : list) {
    root->SetDesigner(nullptr);
    root->Free();
  }
}

bool TRootSprigList::FindRoot(const IPtr<IDesigner>& designer, TRootSprig*& root) const {
  root = nullptr;
  if (!designer) return false;
  auto it = FList.find(designer->GetRoot());
  if (it == FList.end()) return false;
  root = it->second;
  return true;
}

void TRootSprigList::DesignerOpened(const IPtr<IDesigner>& designer, bool) {
  if (!designer) return;
  TComponent* component = designer->GetRoot();
  if (!component || FList.contains(component)) return;
  TSprigClass cls = FindBestRootSprigClass(component->ClassType());
  if (!cls) return;
  auto* root = static_cast<TRootSprig*>(CreateSprig(cls, component));
  root->SetDesigner(designer);
  FList.emplace(component, root);
}

void TRootSprigList::DesignerClosed(const IPtr<IDesigner>& designer, bool) {
  TRootSprig* root;
  if (!FindRoot(designer, root)) return;
  FList.erase(designer->GetRoot());
  root->SetDesigner(nullptr);
  root->SetSprigDesigner(nullptr);
  root->Free();
}

void TRootSprigList::StructureChanged(TRootSprig* root) {
  if (root->SprigDesigner() && root->UpdateLocks() == 0) root->RefreshTreeView();
}

void TRootSprigList::ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) {
  TRootSprig* root;
  if (!FindRoot(designer, root)) return;
  root->ItemInserted(item);
  StructureChanged(root);
}

void TRootSprigList::ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) {
  TRootSprig* root;
  if (!FindRoot(designer, root)) return;
  root->ItemDeleted(item);
  StructureChanged(root);
  // The item leaves its owner's list only after this notification: the index captions of its
  // siblings change then, so the next refresh shows them again.
  root->FIndexCaptionsStale = true;
}

void TRootSprigList::ItemsModified(const IPtr<IDesigner>& designer) {
  TRootSprig* root;
  if (!FindRoot(designer, root)) return;
  root->ItemsModified(true);
  StructureChanged(root);
}

void TRootSprigList::SelectionChanged(const IPtr<IDesigner>& designer) {
  TRootSprig* root;
  if (FindRoot(designer, root)) root->SelectionChanged();
}

namespace {

std::unique_ptr<TRootSprigList>& TheRootSprigList() {
  static std::unique_ptr<TRootSprigList> list;
  return list;
}

/// Feeds the process-wide root-sprig list.
class TDesignNotificationHandler : public TInterfacedObject, public IDesignNotification {
  FW_CLASS(TDesignNotificationHandler)
public:
  void ItemDeleted(const IPtr<IDesigner>& designer, TPersistent* item) override {
    RootSprigList().ItemDeleted(designer, item);
  }
  void ItemInserted(const IPtr<IDesigner>& designer, TPersistent* item) override {
    RootSprigList().ItemInserted(designer, item);
  }
  void ItemsModified(const IPtr<IDesigner>& designer) override {
    RootSprigList().ItemsModified(designer);
  }
  void SelectionChanged(const IPtr<IDesigner>& designer,
                        const IPtr<IDesignerSelections>&) override {
    RootSprigList().SelectionChanged(designer);
  }
  void DesignerOpened(const IPtr<IDesigner>& designer, bool resurrecting) override {
    RootSprigList().DesignerOpened(designer, resurrecting);
  }
  void DesignerClosed(const IPtr<IDesigner>& designer, bool goingDormant) override {
    RootSprigList().DesignerClosed(designer, goingDormant);
  }
};

IPtr<IDesignNotification>& Handler() {
  static IPtr<IDesignNotification> handler;
  return handler;
}

} // namespace

TClass TDesignNotificationHandler::StaticClass() {
  static const TClass cls = TClassBuilder<TDesignNotificationHandler, TInterfacedObject>(
                                "TDesignNotificationHandler", "TreeIntf")
                                .Implements<IDesignNotification>()
                                .Build();
  return cls;
}

TRootSprigList& RootSprigList() {
  auto& list = TheRootSprigList();
  if (!list) list = std::make_unique<TRootSprigList>();
  return *list;
}

void FreeRootSprigList() { TheRootSprigList().reset(); }

void InitDesignNotification() {
  if (Handler()) return;
  Handler() = IPtr<IDesignNotification>(New<TDesignNotificationHandler>());
  RegisterDesignNotification(Handler());
}

void DoneDesignNotification() {
  if (!Handler()) return;
  UnregisterDesignNotification(Handler());
  Handler() = nullptr;
}

} // namespace fw
