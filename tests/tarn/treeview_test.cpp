// The tree-view control: node placement in every attach mode, moves, deletes, the selection
// and its change events, and the control's published properties in a form file.
#include "tarn/treeview.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "tarn/forms.h"

#include <gtest/gtest.h>

using namespace fw;
using fwtest::MessageOf;

namespace {

/// Records the view's events.
class TTreeLog : public TObject {
  FW_CLASS(TTreeLog)
public:
  std::vector<String> Deleted;
  std::vector<TTreeNode*> Changes;
  void NodeDeleted(TObject*, TTreeNode* node) { Deleted.push_back(node->Text()); }
  void SelectionChanged(TObject*, TTreeNode* node) { Changes.push_back(node); }
};

TClass TTreeLog::StaticClass() {
  static const TClass cls = TClassBuilder<TTreeLog, TObject>("TTreeLog", "Tests").Build();
  return cls;
}

template <auto M> TTVChangedEvent Handler(TTreeLog* log) {
  TTVChangedEvent e;
  e.Code = reinterpret_cast<void*>(&detail::TMethodThunk<decltype(M), M>::Call);
  e.Data = static_cast<TObject*>(log);
  return e;
}

/// The nodes as text: "A(B,C(D))".
String Shape(TTreeNode* first) {
  String r;
  for (TTreeNode* n = first; n; n = n->GetNextSibling()) {
    if (!r.empty()) r += ",";
    r += n->Text();
    if (n->HasChildren()) r += "(" + Shape(n->GetFirstChild()) + ")";
  }
  return r;
}

struct TreeView : ::testing::Test {
  TTreeLog log; // outlives the view, which tells it of its last nodes
  TOwned<TTreeView> view{New<TTreeView>(nullptr)};
  TTreeNodes* items = view->Items();
  void SetUp() override {
    view->OnDeletion = Handler<&TTreeLog::NodeDeleted>(&log);
    view->OnChange = Handler<&TTreeLog::SelectionChanged>(&log);
  }
  String Shape() const { return ::Shape(items->GetFirstNode()); }
};

TEST_F(TreeView, NodesGoWhereTheirAttachModeSays) {
  TTreeNode* b = items->Add(nullptr, "B");
  TTreeNode* a = items->AddFirst(b, "A");
  TTreeNode* d = items->AddChild(b, "D");
  items->AddChildFirst(b, "C");
  items->Insert(d, "Cd");
  items->Add(d, "E");
  items->Insert(nullptr, "Z");
  items->AddChild(nullptr, "Z2");
  EXPECT_EQ(Shape(), "A,B(C,Cd,D,E),Z,Z2");
  EXPECT_EQ(items->Count(), 8);
  EXPECT_EQ(b->Count(), 4);
  EXPECT_EQ(d->Parent(), b);
  EXPECT_EQ(a->Parent(), nullptr);
  EXPECT_EQ(d->Index(), 2);
  EXPECT_EQ(d->Level(), 1);
  EXPECT_TRUE(d->HasAsParent(b));
  EXPECT_FALSE(b->HasAsParent(b));
  EXPECT_EQ(b->Item(3)->Text(), "E");
  EXPECT_EQ(items->Item(5)->Text(), "E") << "pre-order: A, B, C, Cd, D, E";
  EXPECT_EQ(MessageOf<EListError>([&] { b->Item(4); }), "List index out of bounds (4)");
  EXPECT_THROW(items->Item(8), EListError);

  TOwned<TTreeView> other(New<TTreeView>(nullptr));
  EXPECT_EQ(MessageOf<ETreeViewError>([&] { other->Items()->AddChild(b, "X"); }),
            String(sNodeOfAnotherTree));
}

TEST_F(TreeView, MovesCarryTheSubtreeButNeverBelowItselfAndVisibilityNeedsExpandedAncestors) {
  TTreeNode* a = items->Add(nullptr, "A");
  TTreeNode* b = items->Add(nullptr, "B");
  TTreeNode* a1 = items->AddChild(a, "A1");
  items->AddChild(a1, "A11");
  a->MoveTo(b, naAddChild);
  EXPECT_EQ(Shape(), "B(A(A1(A11)))");
  a1->MoveTo(b, naInsert);
  EXPECT_EQ(Shape(), "A1(A11),B(A)");
  a1->MoveTo(a, naAdd); // after a's last sibling
  EXPECT_EQ(Shape(), "B(A,A1(A11))");
  a1->MoveTo(nullptr, naAddFirst);
  EXPECT_EQ(Shape(), "A1(A11),B(A)");
  a1->MoveTo(a1, naInsert); // onto its own place: nothing moves
  EXPECT_EQ(Shape(), "A1(A11),B(A)");
  EXPECT_EQ(items->Count(), 4);

  EXPECT_EQ(MessageOf<ETreeViewError>([&] { a1->MoveTo(a1, naAddChild); }),
            String(sInvalidNodeMove));
  EXPECT_THROW(a1->MoveTo(a1->GetFirstChild(), naAdd), ETreeViewError);
  EXPECT_EQ(Shape(), "A1(A11),B(A)") << "a refused move changes nothing";
  EXPECT_EQ(a1->Count(), 1);
  EXPECT_EQ(b->Count(), 1);

  // A node is visible when every ancestor is expanded.
  TTreeNode* deep = items->AddChild(a1->GetFirstChild(), "Deep");
  EXPECT_TRUE(a1->IsVisible());
  a1->Expand(false);
  EXPECT_FALSE(deep->IsVisible());
  a1->Expand(true);
  EXPECT_TRUE(deep->IsVisible());
  view->FullCollapse();
  EXPECT_FALSE(deep->IsVisible());
}

TEST_F(TreeView, DeletesFreeTheSubtreeChildrenFirstAndTakeItsSelection) {
  view->SetMultiSelect(true);
  TTreeNode* a = items->Add(nullptr, "A");
  TTreeNode* b = items->AddChild(a, "B");
  TTreeNode* c = items->AddChild(b, "C");
  TTreeNode* d = items->AddChild(a, "D");
  TTreeNode* e = items->Add(nullptr, "E");
  view->Select(c);
  view->Select(d, true);
  view->Select(e, true);
  log.Changes.clear();

  a->Delete();
  EXPECT_EQ(log.Deleted, (std::vector<String>{"D", "C", "B", "A"}));
  EXPECT_EQ(Shape(), "E");
  EXPECT_EQ(items->Count(), 1);
  ASSERT_EQ(view->SelectionCount(), 1);
  EXPECT_EQ(view->Selections(0), e);
  EXPECT_EQ(log.Changes, std::vector<TTreeNode*>{e}) << "one change for the whole subtree";

  // A delete that takes nothing selected changes nothing.
  TTreeNode* f = items->AddChild(e, "F");
  log.Changes.clear();
  f->Delete();
  EXPECT_TRUE(log.Changes.empty());

  items->AddChild(e, "G");
  items->AddChild(e, "H");
  e->DeleteChildren();
  EXPECT_EQ(Shape(), "E");
  items->Add(nullptr, "I");
  log.Deleted.clear();
  items->Clear();
  EXPECT_EQ(log.Deleted, (std::vector<String>{"I", "E"}));
  EXPECT_EQ(items->Count(), 0);
  EXPECT_EQ(view->Selected(), nullptr);
}

TEST_F(TreeView, SelectionKeepsItsOrderAndTellsOnlyOfChanges) {
  TTreeNode* a = items->Add(nullptr, "A");
  TTreeNode* b = items->Add(nullptr, "B");
  TTreeNode* c = items->Add(nullptr, "C");

  // One node at a time without MultiSelect.
  view->Select(a);
  view->Select(b, true);
  EXPECT_EQ(view->SelectedNodes(), std::vector<TTreeNode*>{b});
  EXPECT_FALSE(a->Selected());
  view->Select(std::vector<TTreeNode*>{c, a});
  EXPECT_EQ(view->SelectedNodes(), std::vector<TTreeNode*>{c});

  view->SetMultiSelect(true);
  log.Changes.clear();
  view->Select(std::vector<TTreeNode*>{b, nullptr, a, b});
  EXPECT_EQ(view->SelectedNodes(), (std::vector<TTreeNode*>{b, a}));
  view->Select(std::vector<TTreeNode*>{b, a}); // the same: no event
  a->SetSelected(true);                        // already selected: no event
  c->SetSelected(true);
  EXPECT_EQ(view->Selected(), c) << "the latest selected";
  EXPECT_EQ(view->SelectionCount(), 3);
  b->SetSelected(false);
  EXPECT_EQ(view->SelectedNodes(), (std::vector<TTreeNode*>{a, c}));
  EXPECT_EQ(log.Changes, (std::vector<TTreeNode*>{a, c, c}));

  view->SetMultiSelect(false);
  EXPECT_EQ(view->SelectedNodes(), std::vector<TTreeNode*>{a});
  EXPECT_TRUE(a->Selected());
  EXPECT_FALSE(c->Selected());
  view->SetSelected(nullptr);
  EXPECT_EQ(view->SelectionCount(), 0);
  EXPECT_THROW(view->Selections(0), EListError);

  // Under an update the event waits for its end, and comes once.
  view->SetMultiSelect(true);
  view->Select(std::vector<TTreeNode*>{a, b});
  log.Changes.clear();
  items->BeginUpdate();
  a->Delete();
  b->Delete();
  EXPECT_TRUE(log.Changes.empty());
  items->EndUpdate();
  EXPECT_EQ(log.Changes, std::vector<TTreeNode*>{nullptr});
}

TEST_F(TreeView, DestroyingTellsOfEachNodeButNotOfTheSelection) {
  TTreeNode* a = items->Add(nullptr, "A");
  items->AddChild(a, "B");
  view->Select(a);
  log.Changes.clear();
  view.reset();
  EXPECT_EQ(log.Deleted, (std::vector<String>{"B", "A"}));
  EXPECT_TRUE(log.Changes.empty());
}

TEST(TreeViewControl, PublishedPropertiesRoundTripThroughFormText) {
  RegisterClass(TTreeView::StaticClass());
  TOwned<TForm> form(New<TForm>(nullptr));
  form->SetName("Form1");
  auto* view = New<TTreeView>(form.get());
  view->SetName("Tree");
  view->SetParent(form.get());
  view->SetMultiSelect(true);
  view->SetIndent(25);
  view->Items()->Add(nullptr, "not streamed");
  const String text = fwtest::WriteFormText(form.get());
  EXPECT_EQ(fwtest::Missing(text, {"object Tree: TTreeView", "MultiSelect = True", "Indent = 25"}),
            "")
      << text;
  EXPECT_EQ(text.find("ReadOnly"), String::npos) << "defaults are not written";

  TOwned<TForm> copy(New<TForm>(nullptr));
  fwtest::ReadFormText(text, copy.get());
  auto* read = static_cast<TTreeView*>(copy->FindComponent("Tree"));
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(read->MultiSelect());
  EXPECT_EQ(read->Indent(), 25);
  EXPECT_EQ(fwtest::WriteFormText(copy.get()), text);
  UnRegisterClass(TTreeView::StaticClass());
}

} // namespace
