// What the structure-tree tests design: controls with a parent property and a collection, a
// designer that answers the tree's requests, and a display that records its nodes.
#pragma once

#include "support/testdesigner.h"
#include "treeintf/rootsprig.h"

#include <algorithm>
#include <memory>

namespace fwtest {

using namespace fw;

class TTestItem : public TCollectionItem {
  FW_CLASS(TTestItem)
public:
  using TCollectionItem::TCollectionItem;
  String Label;
  String GetDisplayName() override {
    return Label.empty() ? TCollectionItem::GetDisplayName() : Label;
  }
};

/// A control: child controls by its Parent property, and an owned collection of items.
class TTestControl : public TComponent {
  FW_CLASS(TTestControl)
public:
  explicit TTestControl(TComponent* owner)
      : TComponent(owner), FItems(New<TOwnedCollection>(this, TTestItem::StaticClass())) {}
  ~TTestControl() override {
    SetParent(nullptr);
    while (!FChildren.empty())
      FChildren.back()->SetParent(nullptr);
    FItems->Free();
  }
  TTestControl* GetParent() const { return FParent; }
  void SetParent(TTestControl* value) {
    if (value == FParent) return;
    if (FParent) std::erase(FParent->FChildren, this);
    FParent = value;
    if (FParent) FParent->FChildren.push_back(this);
  }
  TOwnedCollection* GetItems() const { return FItems; }
  TComponent* GetParentComponent() override { return FParent; }
  bool HasParent() override { return true; }

private:
  TTestControl* FParent = nullptr;
  std::vector<TTestControl*> FChildren;
  TOwnedCollection* FItems;
};

class TTestButton : public TTestControl {
  FW_CLASS(TTestButton)
public:
  using TTestControl::TTestControl;
};

class TTestBitBtn : public TTestButton {
  FW_CLASS(TTestBitBtn)
public:
  using TTestButton::TTestButton;
};

/// A control sprig that finds its parent through the Parent property, as framework sprigs do.
class TTestControlSprig : public TComponentSprig {
  FW_CLASS(TTestControlSprig)
public:
  using TComponentSprig::TComponentSprig;
  String ParentProperty() override { return "Parent"; }
};

class TTestButtonSprig : public TTestControlSprig {
  FW_CLASS(TTestButtonSprig)
public:
  using TTestControlSprig::TTestControlSprig;
};

/// The test designer with a working selection, deletes, creation and an edit handler.
class TTreeDesigner : public TTestDesigner, public IEditHandler {
  FW_CLASS(TTreeDesigner)
public:
  std::vector<TComponent*> HiddenComponents;
  int SetSelectionsCount = 0;
  int DeleteSelectionCount = 0;
  std::vector<TEditAction> HandledActions;
  TEditStates EditState = TEditStates{esCanCut,     esCanCopy,           esCanPaste,    esCanDelete,
                                      esCanEditOle, esCanCreateTemplate, esCanSelectAll};

  void SetSelections(const IPtr<IDesignerSelections>& list) override {
    ++SetSelectionsCount;
    Selection.clear();
    for (Integer i = 0; i < list->GetCount(); ++i)
      Selection.push_back(list->Get(i));
  }
  void DeleteSelection(bool) override { ++DeleteSelectionCount; }
  bool IsComponentHidden(TComponent* c) override {
    return std::find(HiddenComponents.begin(), HiddenComponents.end(), c) != HiddenComponents.end();
  }
  TComponent* CreateComponent(TComponentClass cls, TComponent* parent, Integer, Integer, Integer,
                              Integer) override {
    auto* c = CreateComponent_(cls);
    if (c->Is<TTestControl>() && parent && parent->Is<TTestControl>())
      static_cast<TTestControl*>(c)->SetParent(static_cast<TTestControl*>(parent));
    return c;
  }
  bool EditAction(TEditAction action) override {
    HandledActions.push_back(action);
    return true;
  }
  TEditStates GetEditState() override { return EditState; }

private:
  TComponent* CreateComponent_(TComponentClass cls) {
    TComponent* c = fw::CreateComponent(cls, Root);
    c->SetDesigning(true);
    return c;
  }
};

/// A display node as the recording view keeps it.
struct TViewNode {
  TViewNode* Parent = nullptr;
  std::vector<std::unique_ptr<TViewNode>> Children;
  TSprig* Sprig = nullptr;
  String Caption;
  Integer Image = -1;
  bool Expanded = false;
};

/// A tree view and its host window in one: keeps real nodes and counts what it was asked.
class TRecordingView : public TInterfacedObject, public ISprigTreeView, public ISprigDesigner {
  FW_CLASS(TRecordingView)
public:
  TViewNode Top; // holds the top-level nodes
  std::vector<TViewNode*> Selected;
  int Added = 0, Moved = 0, SelectCalls = 0;
  TRootSprig* ShownRoot = nullptr;
  int RootCleared = 0;

  static TViewNode* N(TTreeNode* n) { return reinterpret_cast<TViewNode*>(n); }
  static TTreeNode* T(TViewNode* n) { return reinterpret_cast<TTreeNode*>(n); }

  TTreeNode* AddNode(TTreeNode* parent, TTreeNode* before, TSprig* sprig) override {
    ++Added;
    auto node = std::make_unique<TViewNode>();
    node->Sprig = sprig;
    return T(Insert(parent ? N(parent) : &Top, before ? N(before) : nullptr, std::move(node)));
  }
  void MoveNode(TTreeNode* node, TTreeNode* parent, TTreeNode* before) override {
    ++Moved;
    TViewNode* n = N(node);
    auto& siblings = n->Parent->Children;
    auto it = std::find_if(siblings.begin(), siblings.end(), [n](auto& p) { return p.get() == n; });
    std::unique_ptr<TViewNode> owned = std::move(*it);
    siblings.erase(it);
    Insert(parent ? N(parent) : &Top, before ? N(before) : nullptr, std::move(owned));
  }
  void DeleteNode(TTreeNode* node) override {
    TViewNode* n = N(node);
    std::erase_if(Selected, [n](TViewNode* s) { return Below(s, n); });
    std::erase_if(n->Parent->Children, [n](auto& p) { return p.get() == n; });
  }
  void SetNodeVisuals(TTreeNode* node, const String& caption, Integer image, Integer,
                      Integer) override {
    N(node)->Caption = caption;
    N(node)->Image = image;
  }
  bool GetNodeExpanded(TTreeNode* node) override { return N(node)->Expanded; }
  void SetNodeExpanded(TTreeNode* node, bool expanded) override { N(node)->Expanded = expanded; }
  void BeginUpdate() override {}
  void EndUpdate() override {}
  std::vector<TTreeNode*> GetSelectedNodes() override {
    std::vector<TTreeNode*> r;
    for (TViewNode* n : Selected)
      r.push_back(T(n));
    return r;
  }
  void SelectNodes(const std::vector<TTreeNode*>& nodes) override {
    ++SelectCalls;
    Selected.clear();
    for (TTreeNode* n : nodes)
      Selected.push_back(N(n));
  }
  TSprig* GetNodeSprig(TTreeNode* node) override { return N(node)->Sprig; }

  IPtr<ISprigTreeView> GetTreeView() override { return IPtr<ISprigTreeView>(this); }
  void SetRootSprig(TRootSprig* root) override {
    ShownRoot = root;
    if (!root) ++RootCleared;
  }

  /// The user selects these sprigs' nodes.
  void UserSelects(TRootSprig* root, const std::vector<TSprig*>& sprigs) {
    Selected.clear();
    for (TSprig* s : sprigs)
      Selected.push_back(N(s->TreeNode()));
    root->TreeSelectionChanged();
  }

private:
  static bool Below(TViewNode* n, TViewNode* top) {
    for (; n; n = n->Parent)
      if (n == top) return true;
    return false;
  }
  static TViewNode* Insert(TViewNode* parent, TViewNode* before, std::unique_ptr<TViewNode> node) {
    node->Parent = parent;
    auto& c = parent->Children;
    auto at =
        before ? std::find_if(c.begin(), c.end(), [before](auto& p) { return p.get() == before; })
               : c.end();
    if (before && at == c.end()) throw std::logic_error("node placed before a stranger");
    return c.insert(at, std::move(node))->get();
  }
};

} // namespace fwtest
