#include "tarn/treeview.h"

#include "basert/format.h"
#include "tarn/publishing.h"

#include <algorithm>
#include <unordered_set>

namespace fw {

namespace {

/// Calls `f` on `node` and every node below it, each before the nodes below it.
template <class F> void ForSubtree(TTreeNode* node, F&& f) {
  std::vector<TTreeNode*> stack{node};
  while (!stack.empty()) {
    TTreeNode* n = stack.back();
    stack.pop_back();
    f(n);
    for (TTreeNode* c = n->GetLastChild(); c; c = c->GetPrevSibling())
      stack.push_back(c);
  }
}

} // namespace

void TTVChangedEvent::operator()(TObject* sender, TTreeNode* node) const {
  if (IsCallableCode(Code)) reinterpret_cast<TFunction>(Code)(Data, sender, node);
}

// ---- TTreeNode -------------------------------------------------------------------------------

TClass TTreeNode::StaticClass() {
  static const TClass cls = TClassBuilder<TTreeNode, TPersistent>("TTreeNode", "ComCtrls").Build();
  return cls;
}

TTreeView* TTreeNode::TreeView() const noexcept { return FOwner->Owner(); }

TTreeNode* TTreeNode::Parent() const noexcept {
  return FParent == FOwner->FTop ? nullptr : FParent;
}

TTreeNode* TTreeNode::Item(Integer index) const {
  if (index < 0 || index >= FCount) throw EListError(Format(sListIndexError, index));
  TTreeNode* n = FFirstChild;
  while (index-- > 0)
    n = n->FNext;
  return n;
}

TTreeNode* TTreeNode::GetNext() const noexcept {
  if (FFirstChild) return FFirstChild;
  for (const TTreeNode* n = this; n; n = n->FParent)
    if (n->FNext) return n->FNext;
  return nullptr;
}

Integer TTreeNode::Index() const noexcept {
  Integer i = 0;
  for (const TTreeNode* n = FPrev; n; n = n->FPrev)
    ++i;
  return i;
}

Integer TTreeNode::Level() const noexcept {
  Integer level = 0;
  for (const TTreeNode* p = Parent(); p; p = p->Parent())
    ++level;
  return level;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const noexcept {
  if (!node) return false;
  for (const TTreeNode* p = FParent; p; p = p->FParent)
    if (p == node) return true;
  return false;
}

void TTreeNode::Expand(bool recurse) {
  if (recurse)
    ForSubtree(this, [](TTreeNode* n) { n->FExpanded = true; });
  else
    FExpanded = true;
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    ForSubtree(this, [](TTreeNode* n) { n->FExpanded = false; });
  else
    FExpanded = false;
}

bool TTreeNode::IsVisible() const noexcept {
  for (const TTreeNode* p = Parent(); p; p = p->Parent())
    if (!p->FExpanded) return false;
  return true;
}

void TTreeNode::SetSelected(bool value) {
  TTreeView* view = TreeView();
  if (!view) {
    FSelected = value;
    return;
  }
  if (value)
    view->Select(this, view->MultiSelect());
  else
    view->Deselect(this);
}

void TTreeNode::MoveTo(TTreeNode* destination, TNodeAttachMode mode) {
  FOwner->Check(destination);
  TTreeNode* parent;
  TTreeNode* before;
  FOwner->Target(destination, mode, parent, before);
  if (before == this) return; // already there
  if (parent == this || parent->HasAsParent(this)) throw ETreeViewError(String(sInvalidNodeMove));
  Unlink();
  LinkBefore(parent, before);
}

void TTreeNode::Delete() { FOwner->Delete(this); }

void TTreeNode::DeleteChildren() {
  FOwner->BeginUpdate();
  try {
    while (FLastChild)
      FOwner->FreeSubtree(FLastChild);
  } catch (...) {
    FOwner->EndUpdate();
    throw;
  }
  FOwner->EndUpdate();
}

void TTreeNode::Unlink() noexcept {
  if (!FParent) return;
  (FPrev ? FPrev->FNext : FParent->FFirstChild) = FNext;
  (FNext ? FNext->FPrev : FParent->FLastChild) = FPrev;
  --FParent->FCount;
  FParent = FPrev = FNext = nullptr;
}

void TTreeNode::LinkBefore(TTreeNode* parent, TTreeNode* before) noexcept {
  FParent = parent;
  FNext = before;
  FPrev = before ? before->FPrev : parent->FLastChild;
  (FPrev ? FPrev->FNext : parent->FFirstChild) = this;
  (before ? before->FPrev : parent->FLastChild) = this;
  ++parent->FCount;
}

// ---- TTreeNodes ------------------------------------------------------------------------------

TClass TTreeNodes::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTreeNodes, TPersistent>("TTreeNodes", "ComCtrls").Build();
  return cls;
}

TTreeNodes::TTreeNodes(TTreeView* owner) : FOwner(owner), FTop(new TTreeNode(this)) {
  FTop->FExpanded = true;
}

TTreeNodes::~TTreeNodes() {
  // Whatever is left goes without events: the view is gone or going.
  FOwner = nullptr;
  while (FTop->FLastChild)
    FreeSubtree(FTop->FLastChild);
  delete FTop;
}

void TTreeNodes::Check(const TTreeNode* node) const {
  if (node && node->FOwner != this) throw ETreeViewError(String(sNodeOfAnotherTree));
}

TTreeNode* TTreeNodes::Item(Integer index) const {
  if (index < 0 || index >= FCount) throw EListError(Format(sListIndexError, index));
  TTreeNode* n = FTop->FFirstChild;
  while (index-- > 0)
    n = n->GetNext();
  return n;
}

std::vector<TTreeNode*> TTreeNodes::TopNodes() const {
  std::vector<TTreeNode*> nodes;
  for (TTreeNode* n = FTop->FFirstChild; n; n = n->FNext)
    nodes.push_back(n);
  return nodes;
}

void TTreeNodes::Target(TTreeNode* relative, TNodeAttachMode mode, TTreeNode*& parent,
                        TTreeNode*& before) const {
  const bool asChild = mode == naAddChild || mode == naAddChildFirst;
  parent = !relative ? FTop : asChild ? relative : relative->FParent;
  switch (mode) {
  case naAdd:
  case naAddChild:
    before = nullptr;
    break;
  case naAddFirst:
  case naAddChildFirst:
    before = parent->FFirstChild;
    break;
  case naInsert:
    before = relative;
    break;
  }
}

TTreeNode* TTreeNodes::AddNode(TTreeNode* relative, const String& text, void* data,
                               TNodeAttachMode mode) {
  Check(relative);
  TTreeNode* parent;
  TTreeNode* before;
  Target(relative, mode, parent, before);
  auto* node = new TTreeNode(this);
  node->FText = text;
  node->FData = data;
  node->LinkBefore(parent, before);
  ++FCount;
  return node;
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node) return;
  Check(node);
  if (node->FDeleting) return;
  BeginUpdate();
  try {
    FreeSubtree(node);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TTreeNodes::Clear() {
  BeginUpdate();
  try {
    while (FTop->FLastChild)
      FreeSubtree(FTop->FLastChild);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TTreeNodes::FreeSubtree(TTreeNode* node) {
  // Each node before the nodes below it, so that walking it backwards tells the children first.
  std::vector<TTreeNode*> doomed;
  bool anySelected = false;
  ForSubtree(node, [&](TTreeNode* n) {
    n->FDeleting = true;
    anySelected = anySelected || n->FSelected;
    doomed.push_back(n);
  });
  node->Unlink();
  FCount -= static_cast<Integer>(doomed.size());
  // Unlinked first: a deletion handler that walks the tree no longer meets these nodes.
  struct TFree {
    std::vector<TTreeNode*>& Nodes;
    ~TFree() {
      for (TTreeNode* n : Nodes)
        delete n;
    }
  } freeing{doomed};
  if (!FOwner) return;
  if (anySelected) FOwner->DropDeletingFromSelection();
  for (std::size_t i = doomed.size(); i-- > 0;)
    FOwner->OnDeletion(FOwner, doomed[i]);
}

void TTreeNodes::EndUpdate() {
  if (FUpdateCount == 0 || --FUpdateCount > 0) return;
  if (FOwner && FOwner->FChangePending) FOwner->SelectionChanged();
}

// ---- TTreeView -------------------------------------------------------------------------------

TClass TTreeView::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TTreeView, TWinControl> b("TTreeView", "ComCtrls");
    detail::PublishPlacement(b);
    detail::PublishColor(b, clWindow);
    detail::PublishStateAndFont(b);
    b.Property("Indent", &TTreeView::Indent, &TTreeView::SetIndent)
        .Default(19)
        .Property("MultiSelect", &TTreeView::MultiSelect, &TTreeView::SetMultiSelect)
        .Default(false);
    detail::PublishParents(b);
    b.Property("ReadOnly", &TTreeView::ReadOnly, &TTreeView::SetReadOnly).Default(false);
    detail::PublishTabs(b, true);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), FItems(new TTreeNodes(this)) {
  FColor = clWindow;
  SetTabStop(true);
  SetBounds(0, 0, 121, 97);
}

TTreeView::~TTreeView() {
  FDestroying = true;
  FItems->Clear(); // while the view can still tell its deletion handler
}

void TTreeView::SetMultiSelect(bool value) {
  FMultiSelect = value;
  if (value || FSelections.size() <= 1) return;
  for (std::size_t i = 1; i < FSelections.size(); ++i)
    FSelections[i]->FSelected = false;
  FSelections.erase(FSelections.begin() + 1, FSelections.end());
  SelectionChanged();
}

TTreeNode* TTreeView::Selected() const noexcept {
  return FSelections.empty() ? nullptr : FSelections.back();
}

void TTreeView::SetSelected(TTreeNode* node) {
  if (node)
    Select(node, false);
  else
    ClearSelection();
}

TTreeNode* TTreeView::Selections(Integer index) const {
  if (index < 0 || index >= SelectionCount()) throw EListError(Format(sListIndexError, index));
  return FSelections[static_cast<std::size_t>(index)];
}

void TTreeView::Select(TTreeNode* node, bool extend) {
  if (!node) {
    if (!extend) ClearSelection();
    return;
  }
  FItems->Check(node);
  if (node->FDeleting) return;
  if (extend && FMultiSelect) {
    if (node->FSelected) return;
    node->FSelected = true;
    FSelections.push_back(node);
  } else {
    if (FSelections.size() == 1 && FSelections[0] == node) return;
    for (TTreeNode* n : FSelections)
      n->FSelected = false;
    FSelections.assign(1, node);
    node->FSelected = true;
  }
  SelectionChanged();
}

void TTreeView::Select(const std::vector<TTreeNode*>& nodes) {
  std::vector<TTreeNode*> wanted;
  std::unordered_set<TTreeNode*> seen;
  for (TTreeNode* n : nodes) {
    FItems->Check(n);
    if (!n || n->FDeleting || !seen.insert(n).second) continue;
    wanted.push_back(n);
    if (!FMultiSelect) break;
  }
  if (wanted == FSelections) return;
  for (TTreeNode* n : FSelections)
    n->FSelected = false;
  FSelections = std::move(wanted);
  for (TTreeNode* n : FSelections)
    n->FSelected = true;
  SelectionChanged();
}

void TTreeView::Deselect(TTreeNode* node) {
  if (!node || !node->FSelected) return;
  FItems->Check(node);
  node->FSelected = false;
  std::erase(FSelections, node);
  SelectionChanged();
}

void TTreeView::ClearSelection() {
  if (FSelections.empty()) return;
  for (TTreeNode* n : FSelections)
    n->FSelected = false;
  FSelections.clear();
  SelectionChanged();
}

void TTreeView::FullExpand() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNext())
    n->FExpanded = true;
}

void TTreeView::FullCollapse() {
  for (TTreeNode* n = FItems->GetFirstNode(); n; n = n->GetNext())
    n->FExpanded = false;
}

void TTreeView::DropDeletingFromSelection() {
  // One pass however many selected nodes go: deleting a large selection stays linear.
  const std::size_t before = FSelections.size();
  std::erase_if(FSelections, [](TTreeNode* n) {
    if (!n->FDeleting) return false;
    n->FSelected = false;
    return true;
  });
  if (FSelections.size() != before) FChangePending = true;
}

void TTreeView::SelectionChanged() {
  if (FItems->UpdateCount() > 0) {
    FChangePending = true;
    return;
  }
  FChangePending = false;
  if (!FDestroying) OnChange(this, Selected());
}

} // namespace fw
