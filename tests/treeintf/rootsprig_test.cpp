#include "treeintf/rootsprig.h"

#include "basert/threads.h"
#include "support/hostsession.h"
#include "tarn/extctrls.h"
#include "tree_sync.h"

#include <gtest/gtest.h>

#include <map>

using namespace fw;
using namespace fwtest;

namespace {

TEST_F(TreeSync, ComponentsNestUnderTheirParentsAndMoveWithThem) {
  TTestControl* panel = Insert("Panel1");
  TTestControl* button = Insert<TTestButton>("Button1", panel);
  TTestControl* other = Insert("Panel2");
  EXPECT_TRUE(root->RepopulateNeeded());
  EXPECT_TRUE(root->Repopulate());
  EXPECT_FALSE(root->RepopulateNeeded());
  EXPECT_EQ(SprigOf(button)->Parent(), SprigOf(panel));
  EXPECT_EQ(SprigOf(panel)->Parent(), root);
  EXPECT_TRUE(root->Expanded());

  // Shapes after moves, late parents and deletes are compared with a rebuilt tree below.
  Reparent(button, other);
  EXPECT_TRUE(root->RepopulateNeeded());
  EXPECT_FALSE(root->Repopulate()) << "nothing new was made";

  // Transient and undesigned components get no sprig.
  TTestControl* plain = New<TTestControl>(form);
  DesignNotificationItemInserted(keep, plain);
  root->Repopulate();
  EXPECT_EQ(SprigOf(plain), nullptr);
}

TEST_F(TreeSync, DeletesInvalidateOnlyWhatHasASprig) {
  TTestControl* panel = Insert("Panel1");
  TTestControl* button = Insert("Button1", panel);
  root->Repopulate();
  TTestControl* stray = New<TTestControl>(form);
  DesignNotificationItemDeleted(keep, stray);
  EXPECT_FALSE(root->RepopulateNeeded()) << "a component without sprig changes nothing";
  stray->Free();

  const std::size_t indexed = root->IndexCount();
  DesignNotificationItemDeleted(keep, panel);
  EXPECT_TRUE(root->RepopulateNeeded());
  EXPECT_LT(root->IndexCount(), indexed);
  (void)button;
  DesignNotificationItemDeleted(keep, form);
  EXPECT_EQ(SprigOf(form), root) << "the root is never invalidated";
}

/// The tree of a module the designer edits, fed by the designer itself.
class TreeOfADesignedModule : public HostSession {
protected:
  void SetUp() override {
    HostSession::SetUp();
    TreeIntfStartup();
  }
  void TearDown() override {
    Designer->CloseRoots();
    TreeIntfShutdown();
    HostSession::TearDown();
  }
};

TEST_F(TreeOfADesignedModule, DeletingAParentLeavesNoSprigOfWhatWentWithIt) {
  auto form = NewRoot("Form1");
  auto add = [&](TClass cls, TComponent* parent, Integer left) {
    return form->CreateComponent(cls, parent ? parent : form->GetRoot(), left, 8, 75, 25);
  };
  TComponent* outer = add(TPanel::StaticClass(), nullptr, 8);
  TComponent* inner = add(TPanel::StaticClass(), outer, 8);
  TComponent* button = add(TButton::StaticClass(), inner, 8);
  TComponent* kept = add(TButton::StaticClass(), nullptr, 200);
  TRootSprig* tree = nullptr;
  ASSERT_TRUE(RootSprigList().FindRoot(IPtr<IDesigner>(form.get()), tree));
  // Shown, the tree refreshes on every notification, not once the deletion is over.
  IPtr<TRecordingView> view(New<TRecordingView>());
  tree->SetSprigDesigner(IPtr<ISprigDesigner>(view.get()));
  tree->Repopulate();
  ASSERT_EQ(tree->Find(button)->Parent(), tree->Find(inner));

  form->SelectComponent(outer);
  form->DeleteSelection(false);
  tree->Repopulate();
  ASSERT_EQ(tree->Count(), 1);
  EXPECT_EQ(tree->Items(0)->Item(), kept);
  EXPECT_EQ(tree->Items(0)->Count(), 0);
  tree->SetSprigDesigner(nullptr);
}

TEST_F(TreeSync, DisplayFollowsTheTreeNodeByNode) {
  TTestControl* panel = Insert("Panel1");
  Insert("Button1", panel);
  Show();
  ASSERT_EQ(view->Top.Children.size(), 1u);
  TViewNode* top = view->Top.Children[0].get();
  EXPECT_EQ(top->Sprig, root);
  ASSERT_EQ(top->Children.size(), 2u) << "the panel and the form's own collection";
  EXPECT_EQ(top->Children[1]->Sprig, SprigOf(form->GetItems()));
  TViewNode* panelNode = top->Children[0].get();
  EXPECT_EQ(panelNode->Caption, "Panel1");
  EXPECT_EQ(panelNode->Image, 4);
  ASSERT_EQ(panelNode->Children.size(), 2u) << "its collection and its button";

  // One insert adds one node, wherever the rest of the tree is.
  const int added = view->Added;
  TTestControl* second = Insert("Button2", panel);
  EXPECT_EQ(view->Added, added + 2) << "the button and its collection";
  EXPECT_EQ(panelNode->Children.back()->Sprig, SprigOf(second));

  // A re-parenting moves the node with what is below it.
  TTestControl* box = Insert("Box");
  const int moved = view->Moved;
  Reparent(second, box);
  EXPECT_EQ(view->Moved, moved + 1);
  EXPECT_EQ(RecordingNode(SprigOf(second))->Parent->Sprig, SprigOf(box));

  // Long captions are cut for the display only.
  const String longName = "L" + String(80, 'x');
  second->SetName(longName);
  DesignNotificationItemsModified(keep);
  EXPECT_EQ(RecordingNode(SprigOf(second))->Caption, longName.substr(0, 76) + "... ");
  EXPECT_EQ(SprigOf(second)->ShownCaption(), longName);
  EXPECT_EQ(ShortenedCaption(String(79, 'y')), String(79, 'y'));
  EXPECT_EQ(ShortenedCaption(String(80, 'y')), String(76, 'y') + "... ");

  root->SetSprigDesigner(nullptr);
  EXPECT_TRUE(view->Top.Children.empty());
  EXPECT_EQ(view->RootCleared, 1);
  EXPECT_EQ(SprigOf(panel)->TreeNode(), nullptr);
}

TEST_F(TreeSync, SelectionFollowsTheDesignerOncePerUpdate) {
  std::vector<TTestControl*> cs;
  for (int i = 0; i < 10; ++i)
    cs.push_back(Insert("C" + std::to_string(i)));
  Show();
  Select({cs[0]});
  EXPECT_EQ(view->SelectCalls, 1);
  ASSERT_EQ(view->Selected.size(), 1u);
  EXPECT_EQ(view->Selected[0]->Sprig, SprigOf(cs[0]));

  root->BeginUpdate();
  root->BeginUpdate();
  for (int i = 0; i < 10; ++i) {
    Select({cs[static_cast<std::size_t>(i)], cs[0]});
    root->EnsureUpdate();
  }
  root->EndUpdate();
  EXPECT_EQ(view->SelectCalls, 1) << "nothing while locked";
  root->EndUpdate();
  EXPECT_EQ(view->SelectCalls, 2) << "ten notifications, one synchronisation";
  EXPECT_EQ(view->Selected.size(), 2u);
  EXPECT_EQ(view->Selected[0]->Sprig, SprigOf(cs[9]));
  root->EndUpdate(); // unbalanced: ignored
  EXPECT_EQ(root->UpdateLocks(), 0);

  // View to designer, without echo.
  const int sets = designer->SetSelectionsCount;
  view->UserSelects(root, {SprigOf(cs[3]), SprigOf(cs[4])});
  EXPECT_EQ(designer->Selection, (std::vector<TPersistent*>{cs[3], cs[4]}));
  view->UserSelects(root, {SprigOf(cs[4]), SprigOf(cs[3])});
  EXPECT_EQ(designer->SetSelectionsCount, sets + 1) << "the same objects are no new selection";

  // An empty view selection clears the designer's only when idle, unless reselected first.
  view->UserSelects(root, {});
  EXPECT_TRUE(root->PendingClearSelection());
  view->UserSelects(root, {SprigOf(cs[5])});
  Application->ProcessMessages();
  EXPECT_EQ(designer->Selection, std::vector<TPersistent*>{cs[5]});
  view->UserSelects(root, {});
  Application->ProcessMessages();
  EXPECT_TRUE(designer->Selection.empty());
}

TEST_F(TreeSync, EditCommandsSurveyTheSelectedSprigs) {
  TTestControl* panel = Insert("Panel1");
  TTestControl* hidden = Insert("Hidden");
  panel->GetItems()->Add();
  panel->GetItems()->Add();
  designer->HiddenComponents.push_back(hidden);
  Show();
  TSprig* coll = SprigOf(panel->GetItems());
  ASSERT_NE(coll, nullptr);

  view->UserSelects(root, {coll, SprigOf(panel)});
  bool allVisible = false;
  EXPECT_EQ(root->SelectionSurvey(allVisible), dsAbort) << "custom mixed with normal";
  EXPECT_FALSE(root->EditAction(eaDelete));
  EXPECT_EQ(designer->DeleteSelectionCount, 0);
  EXPECT_EQ(panel->GetItems()->Count(), 2);
  EXPECT_FALSE(root->GetEditState().Contains(esCanDelete));

  view->UserSelects(root, {SprigOf(panel)});
  EXPECT_EQ(root->GetEditState(),
            (TEditStates{esCanCut, esCanCopy, esCanPaste, esCanDelete, esCanSelectAll}));
  EXPECT_TRUE(root->EditAction(eaDelete));
  EXPECT_EQ(designer->DeleteSelectionCount, 1);
  EXPECT_TRUE(root->EditAction(eaCopy));
  EXPECT_EQ(designer->HandledActions, std::vector<TEditAction>{eaCopy});

  view->UserSelects(root, {SprigOf(hidden)});
  EXPECT_FALSE(root->EditAction(eaCut)) << "hidden sprigs are not cut";
  EXPECT_FALSE(root->GetEditState().Contains(esCanPaste));
  EXPECT_TRUE(root->EditAction(eaSelectAll));

  view->UserSelects(root, {coll});
  EXPECT_TRUE(root->CanAdd());
  EXPECT_EQ(root->GetAddType(0), "Add item");
  EXPECT_TRUE(root->EditAction(eaDelete));
  EXPECT_EQ(panel->GetItems()->Count(), 0);
  EXPECT_EQ(designer->Selection, std::vector<TPersistent*>{panel->GetItems()});

  view->UserSelects(root, {root});
  EXPECT_FALSE(root->CanAdd()) << "the root's own node is no selected sprig";
}

// ---- the tree against one rebuilt from scratch ------------------------------------------------

/// The display as the same text, read from the recording view's nodes.
String Shape(TViewNode* n, const TIds& ids) {
  std::vector<String> kids;
  for (auto& c : n->Children)
    kids.push_back(Shape(c.get(), ids));
  return NodeShape(n->Sprig, n->Caption, std::move(kids), ids);
}

TEST_F(TreeSync, RandomEditsKeepTheTreeEqualToARebuiltOne) {
  Show();
  RandomEdits(20261207, 600, [&](const TIds& ids) {
    EXPECT_EQ(view->Top.Children.size(), 1u);
    return view->Top.Children.empty() ? String() : Shape(view->Top.Children[0].get(), ids);
  });
}

} // namespace
