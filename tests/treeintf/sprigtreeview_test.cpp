// A root sprig shown in a real tree-view control: nodes made, moved and freed with their sprigs,
// selections both ways, and a view that goes before the root.
#include "treeintf/sprigtreeview.h"

#include "basert/threads.h"
#include "tree_sync.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

struct ShownInTreeView : TreeSync {
  TTreeView* tree = New<TTreeView>(nullptr);
  IPtr<TSprigTreeView> display{New<TSprigTreeView>(tree)};

  void TearDown() override {
    display->Show(nullptr);
    display = nullptr;
    if (tree) tree->Free();
    TreeSync::TearDown();
  }
  void ShowInTree() { display->Show(root); }
  TTreeNode* NodeOf(TPersistent* p) { return SprigOf(p)->TreeNode(); }
  /// Sprigs in the tree that are not waiting to be freed.
  std::size_t SprigCount() {
    std::size_t n = 0;
    root->ForEach([&n](TSprig*) { ++n; });
    return n;
  }
  /// The user selects these objects' nodes in the view.
  void UserSelects(std::vector<TPersistent*> items) {
    std::vector<TTreeNode*> nodes;
    for (TPersistent* p : items)
      nodes.push_back(NodeOf(p));
    tree->Select(nodes);
  }
};

/// The view's nodes as the same text as the sprig tree's.
String Shape(TTreeNode* n, const TIds& ids) {
  std::vector<String> kids;
  for (TTreeNode* c = n->GetFirstChild(); c; c = c->GetNextSibling())
    kids.push_back(Shape(c, ids));
  return NodeShape(static_cast<TSprig*>(n->Data()), n->Text(), std::move(kids), ids);
}

TEST_F(ShownInTreeView, RandomEditsKeepTheViewEqualToARebuiltTree) {
  ShowInTree();
  RandomEdits(20261208, 600, [&](const TIds& ids) {
    EXPECT_EQ(static_cast<std::size_t>(tree->Items()->Count()), SprigCount());
    EXPECT_EQ(tree->Items()->TopNodes().size(), 1u);
    TTreeNode* top = tree->Items()->GetFirstNode();
    return top ? Shape(top, ids) : String();
  });
}

TEST_F(ShownInTreeView, NodesAreMadeMovedAndFreedWithTheirSprigs) {
  TTestControl* panel = Insert("Panel1");
  TTestControl* button = Insert("Button1", panel);
  ShowInTree();
  TTreeNode* top = tree->Items()->GetFirstNode();
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->Data(), root);
  EXPECT_EQ(top->Text(), "Form1");
  EXPECT_TRUE(top->Expanded());
  EXPECT_EQ(NodeOf(panel)->Parent(), top);
  EXPECT_EQ(NodeOf(button)->Parent(), NodeOf(panel));
  EXPECT_EQ(NodeOf(button)->ImageIndex(), SprigOf(button)->GetImageIndex());
  EXPECT_EQ(NodeOf(button)->SelectedIndex(), SprigOf(button)->GetImageIndex());

  // One insert: the control's node and its collection's, nothing else touched.
  const Integer before = tree->Items()->Count();
  TTreeNode* panelNode = NodeOf(panel);
  TTestControl* box = Insert("Box");
  EXPECT_EQ(tree->Items()->Count(), before + 2);
  EXPECT_EQ(NodeOf(panel), panelNode);

  // A re-parenting moves the same node, with what is below it.
  TTreeNode* buttonNode = NodeOf(button);
  Reparent(panel, box);
  EXPECT_EQ(NodeOf(panel), panelNode);
  EXPECT_EQ(panelNode->Parent(), NodeOf(box));
  EXPECT_EQ(NodeOf(button), buttonNode);
  EXPECT_EQ(tree->Items()->Count(), before + 2);

  // Another root in its place empties the view; the old root keeps its sprigs without nodes.
  display->Show(nullptr);
  EXPECT_EQ(tree->Items()->Count(), 0);
  EXPECT_EQ(SprigOf(panel)->TreeNode(), nullptr);
  EXPECT_EQ(root->SprigDesigner(), nullptr);
  ShowInTree();
  EXPECT_EQ(static_cast<std::size_t>(tree->Items()->Count()), SprigCount());
}

TEST_F(ShownInTreeView, SelectionsGoBothWaysWithoutEcho) {
  TTestControl* a = Insert("A");
  TTestControl* b = Insert("B");
  TTestControl* c = Insert("C");
  ShowInTree();

  Select({a, b});
  EXPECT_EQ(tree->SelectedNodes(), (std::vector<TTreeNode*>{NodeOf(a), NodeOf(b)}));
  EXPECT_EQ(designer->SetSelectionsCount, 0) << "the view's answer is not sent back";

  UserSelects({c, a});
  EXPECT_EQ(designer->Selection, (std::vector<TPersistent*>{c, a}));
  EXPECT_EQ(designer->SetSelectionsCount, 1);

  // Deleting a selected control drops its node from the selection without telling the
  // designer anything: the designer knows it deleted it.
  Delete(c);
  EXPECT_EQ(tree->SelectedNodes(), std::vector<TTreeNode*>{NodeOf(a)});
  EXPECT_EQ(designer->SetSelectionsCount, 1);

  // The user clearing the view clears the designer's selection once idle.
  tree->ClearSelection();
  EXPECT_TRUE(root->PendingClearSelection());
  Application->ProcessMessages();
  EXPECT_TRUE(designer->Selection.empty());
}

TEST_F(ShownInTreeView, NodesDeletedByOthersAreForgotten) {
  TTestControl* panel = Insert("Panel1");
  TTestControl* button = Insert("Button1", panel);
  ShowInTree();
  NodeOf(panel)->Delete();
  EXPECT_EQ(SprigOf(panel)->TreeNode(), nullptr);
  EXPECT_EQ(SprigOf(button)->TreeNode(), nullptr);
  Delete(button); // the root has no node to free: nothing dangles
  EXPECT_EQ(SprigOf(button), nullptr);
  // They come back with the next modification of the module.
  tree->Items()->Clear();
  DesignNotificationItemsModified(keep);
  EXPECT_EQ(static_cast<std::size_t>(tree->Items()->Count()), SprigCount());
  EXPECT_EQ(NodeOf(panel)->Parent(), root->TreeNode());

  // The view freed before the root: the root is no longer shown and goes on without nodes.
  tree->Free();
  tree = nullptr;
  EXPECT_EQ(display->View(), nullptr);
  EXPECT_EQ(display->ShownRoot(), nullptr);
  EXPECT_EQ(root->SprigDesigner(), nullptr);
  EXPECT_EQ(root->TreeNode(), nullptr);
  Insert("Later", panel);
  root->RefreshTreeView();
  EXPECT_EQ(SprigCount(), 6u) << "root, two controls with a collection each, and the form's";
}

} // namespace
