#include "treeintf/sprigs.h"

#include "designeditors/editorregistry.h"
#include "tree_fixtures.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

TClass Cls(const char* name) {
  // Distinct sprig classes for registry rules: any sprig class will do as a marker.
  static const std::vector<std::pair<String, TClass>> marks = {
      {"A", TComponentSprig::StaticClass()},
      {"B", TTestControlSprig::StaticClass()},
      {"C", TTestButtonSprig::StaticClass()},
      {"D", TPersistentSprig::StaticClass()},
  };
  for (auto& [n, c] : marks)
    if (n == name) return c;
  return nullptr;
}

TEST(SprigTypeList, NearestAncestorWinsAndNewestBreaksTies) {
  // Both registration orders: the score decides, not the order.
  for (bool buttonFirst : {false, true}) {
    TSprigTypeList list;
    if (buttonFirst) list.Add(TTestButton::StaticClass(), Cls("C"));
    list.Add(TComponent::StaticClass(), Cls("A"));
    if (!buttonFirst) list.Add(TTestButton::StaticClass(), Cls("C"));
    EXPECT_EQ(list.Match(TTestButton::StaticClass()), Cls("C"));
    EXPECT_EQ(list.Match(TTestBitBtn::StaticClass()), Cls("C")) << "score 1 beats 2 or more";
    EXPECT_EQ(list.Match(TTestControl::StaticClass()), Cls("A"));
    EXPECT_EQ(list.Match(TCollection::StaticClass()), nullptr);
  }
  TSprigTypeList list;
  list.Add(TTestControl::StaticClass(), Cls("A"));
  EXPECT_EQ(list.Match(TTestButton::StaticClass()), Cls("A"));
  list.Add(TTestControl::StaticClass(), Cls("B"));
  // The cache is kept on registration: the cached answer stands until a group goes.
  EXPECT_EQ(list.Match(TTestButton::StaticClass()), Cls("A"));
  EXPECT_EQ(list.Match(TTestBitBtn::StaticClass()), Cls("B")) << "the later registration wins";
}

TEST(SprigTypeList, InterfaceEntriesComeBeforeClassEntries) {
  TSprigTypeList list;
  list.Add(TRecordingView::StaticClass(), Cls("A"));
  list.Add(std::vector<TGUID>{ISprigTreeView::IID, ISprigDesigner::IID}, Cls("B"));
  list.Add(std::vector<TGUID>{ISprigTreeView::IID, IDesigner::IID}, Cls("C"));
  EXPECT_EQ(list.Match(TRecordingView::StaticClass()), Cls("B"))
      << "every identity must be supported";
  EXPECT_EQ(list.Match(TTreeDesigner::StaticClass()), nullptr);
  list.Add(std::vector<TGUID>{}, Cls("D"));
  EXPECT_EQ(list.Match(TTestButton::StaticClass()), Cls("D")) << "an empty list matches all";
  EXPECT_EQ(list.Match(TRecordingView::StaticClass()), Cls("D"));
}

TEST(SprigTypes, LookupFiltersByBaseAndGroupsWithdraw) {
  EXPECT_EQ(FindBestSprigClass(TTestButton::StaticClass()), nullptr) << "nothing registered";
  RegisterSprigType(TComponent::StaticClass(), TComponentSprig::StaticClass());
  RegisterRootSprigType(TComponent::StaticClass(), TRootSprig::StaticClass());
  EXPECT_EQ(FindBestSprigClass(TTestButton::StaticClass()), TComponentSprig::StaticClass());
  EXPECT_EQ(FindBestSprigClass(TTestButton::StaticClass(), TCollectionSprig::StaticClass()),
            nullptr);
  EXPECT_EQ(FindBestRootSprigClass(TTestButton::StaticClass()), TRootSprig::StaticClass());
  EXPECT_EQ(FindBestRootSprigClass(TTestButton::StaticClass(), TCollectionSprig::StaticClass()),
            nullptr);

  const Integer saved = CurrentGroup;
  const Integer group = NewEditorGroup();
  RegisterSprigType(TTestButton::StaticClass(), TTestButtonSprig::StaticClass());
  RegisterRootSprigType(std::vector<TGUID>{}, TTestButtonSprig::StaticClass());
  CurrentGroup = saved;
  EXPECT_EQ(FindBestSprigClass(TTestBitBtn::StaticClass()), TTestButtonSprig::StaticClass());
  EXPECT_EQ(FindBestRootSprigClass(TTestBitBtn::StaticClass()), nullptr)
      << "a match that is no root sprig class is not returned";
  TreeIntfStartup(); // hooks withdrawal
  FreeEditorGroup(group);
  EXPECT_EQ(FindBestSprigClass(TTestBitBtn::StaticClass()), TComponentSprig::StaticClass())
      << "withdrawal clears the cached answer too";
  EXPECT_EQ(FindBestRootSprigClass(TTestButton::StaticClass()), TRootSprig::StaticClass());
  TreeIntfShutdown();
  EXPECT_EQ(SprigTypeList(), nullptr);
}

struct SprigModel : ::testing::Test {
  TTreeDesigner* designer;
  IPtr<IDesigner> keep;
  TOwned<TTestControl> form{New<TTestControl>(nullptr)};
  TOwned<TRootSprig> root;

  void SetUp() override {
    TreeIntfStartup();
    designer = New<TTreeDesigner>();
    keep = IPtr<IDesigner>(static_cast<IDesigner*>(designer));
    designer->Root = form.get();
    form->SetName("Form1");
    root.reset(new TRootSprig(form.get()));
    root->SetDesigner(keep);
  }
  void TearDown() override {
    root.reset();
    form.reset();
    TreeIntfShutdown();
    GShowClassNameInTreeView = false;
  }
  template <class T = TTestControl> T* Make(const String& name, TTestControl* parent = nullptr) {
    auto* c = New<T>(form.get());
    c->SetDesigning(true);
    if (!name.empty()) c->SetName(name);
    c->SetParent(parent);
    return c;
  }
  TSprig* SprigOf(TPersistent* p) { return root->Find(p, true); }
};

TEST_F(SprigModel, CaptionsNamesAndPaths) {
  Make("A");
  Make("B");
  Make("C");
  TTestControl* unnamed = Make<TTestButton>("");
  TTestControl* panel = Make("Panel1");
  TTestControl* button = Make<TTestButton>("Button1", panel);
  auto* item0 = static_cast<TTestItem*>(panel->GetItems()->Add());
  auto* item1 = static_cast<TTestItem*>(panel->GetItems()->Add());
  item1->Label = "Second";
  root->Repopulate();

  EXPECT_EQ(SprigOf(unnamed)->Caption(), "<Components[3]>");
  EXPECT_EQ(SprigOf(button)->Path(), "Form1\\Panel1\\Button1");
  TSprig* coll = SprigOf(panel->GetItems());
  ASSERT_NE(coll, nullptr);
  EXPECT_EQ(coll->Name(), "<Collection.Items>");
  EXPECT_EQ(coll->Caption(), "Items");
  EXPECT_EQ(SprigOf(item0)->Caption(), "0 - TTestItem");
  EXPECT_EQ(SprigOf(item1)->Caption(), "1 - Second");
  EXPECT_EQ(root->FindPath("Form1\\Panel1\\<Collection.Items>\\Second"), SprigOf(item1));
  EXPECT_EQ(root->Find("button1"), SprigOf(button));
  EXPECT_EQ(root->Find("Button1", TCollection::StaticClass()), nullptr);

  GShowClassNameInTreeView = true;
  EXPECT_EQ(SprigOf(button)->Caption(), "Button1 (TTestButton)");
  EXPECT_EQ(SprigOf(button)->CaptionFor("", "tag", "TX"), "<?> {tag} (TX)");
  EXPECT_EQ(SprigOf(item0)->Caption(), "0 - TTestItem (TTestItem)");
}

TEST_F(SprigModel, ImagesStatesAndGhosts) {
  TTestControl* shown = Make("Shown");
  TTestControl* hidden = Make("Hidden");
  designer->HiddenComponents.push_back(hidden);
  root->Repopulate();
  TSprig* s = SprigOf(shown);
  EXPECT_EQ(s->GetImageIndex(), 4);
  EXPECT_EQ(SprigOf(hidden)->GetImageIndex(), 14) << "ghosted";
  EXPECT_EQ(SprigOf(shown->GetItems())->GetImageIndex(), 3) << "property sprigs are never ghosted";

  // A sprig class that reads its parent from a property reports the want of one.
  RegisterSprigType(TTestControl::StaticClass(), TTestControlSprig::StaticClass());
  TOwned<TSprig> withProp(CreateSprig(TTestControlSprig::StaticClass(), shown));
  EXPECT_EQ(withProp->GetStateIndex(), 1);
  shown->SetParent(hidden);
  EXPECT_EQ(withProp->GetStateIndex(), 0);
  TOwned<TSprig> transient(CreateSprig(TTransientCollectionSprig::StaticClass(), nullptr));
  EXPECT_EQ(transient->GetImageIndex(), 1);
  EXPECT_TRUE(transient->Hidden());
  EXPECT_EQ(transient->DeleteStyle(), dsAbort);
}

TEST_F(SprigModel, AddRefusesCyclesAndKeepsIndexOrder) {
  TOwned<TSprig> a(CreateSprig(TTransientSprig::StaticClass(), nullptr));
  TSprig* b = a->Add(CreateSprig(TTransientSprig::StaticClass(), nullptr));
  TSprig* c = b->Add(CreateSprig(TTransientSprig::StaticClass(), nullptr));
  EXPECT_EQ(c->Add(a.get()), a.get());
  EXPECT_EQ(a->Parent(), nullptr) << "a sprig under its own descendant is refused";
  EXPECT_TRUE(a->Parents(c));
  EXPECT_FALSE(c->Parents(a.get()));
  a->Add(c); // moves without freeing
  EXPECT_EQ(b->Count(), 0);
  EXPECT_EQ(a->IndexOf(c), 1);
  a->SetIndexOf(c, -5);
  EXPECT_EQ(a->Items(0), c);
  EXPECT_THROW(a->Items(2), EListError);
  c->SetExpanded(true);
  EXPECT_TRUE(a->Expanded());
  a->ClearUnneededSprigs();
  EXPECT_EQ(a->Count(), 0) << "childless transient sprigs go";

  // A collection sprig keeps its items in index order whatever order they come in.
  TTestControl* panel = Make("Panel1");
  auto* items = panel->GetItems();
  for (int i = 0; i < 4; ++i)
    items->Add();
  TOwned<TSprig> coll(CreateSprig(TCollectionSprig::StaticClass(), items));
  for (int i : {2, 0, 3, 1})
    coll->Add(CreateSprig(TCollectionItemSprig::StaticClass(), items->Items(i)));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(coll->Items(i)->Item(), items->Items(i));
}

TEST_F(SprigModel, IndexFindsSprigsByItem) {
  TTestControl* x = Make("X");
  TTestControl* y = Make("Y");
  TSprigIndex index;
  TOwned<TSprig> s1(CreateSprig(TComponentSprig::StaticClass(), x));
  TOwned<TSprig> s2(CreateSprig(TComponentSprig::StaticClass(), x));
  TOwned<TSprig> s3(CreateSprig(TComponentSprig::StaticClass(), y));
  index.Add(s1.get());
  index.Add(s2.get());
  index.Add(s3.get());
  EXPECT_EQ(index.Find(x), s1.get());
  index.Remove(s1.get());
  EXPECT_EQ(index.Find(x), s2.get());
  index.Remove(s2.get());
  EXPECT_EQ(index.Find(x), nullptr);
  EXPECT_EQ(index.Find(y), s3.get());
  EXPECT_EQ(index.Count(), 1u);
}

TEST_F(SprigModel, InformantLinksAreMutualAndDieWithEitherSide) {
  struct TCounter : TInformant {
    int Told = 0;
    void Changed(TInformant* sender) override {
      ++Told;
      TInformant::Changed(sender);
    }
  };
  TCounter a, b;
  auto* c = new TCounter;
  a.Notify(&b);
  a.Notify(c);
  a.Notify(&b);
  EXPECT_EQ(a.LinkCount(), 2);
  EXPECT_EQ(b.LinkCount(), 1);
  a.DisableNotify();
  a.Notification();
  EXPECT_EQ(b.Told, 0);
  a.EnableNotify();
  EXPECT_EQ(b.Told, 1);
  EXPECT_EQ(c->Told, 1);
  c->Free();
  EXPECT_EQ(a.LinkCount(), 1) << "a destroyed informant leaves no link behind";
  b.Unnotify(&a);
  EXPECT_EQ(a.LinkCount(), 0);
}

TEST_F(SprigModel, DragAndDropFollowTheParentProperty) {
  RegisterSprigType(TTestControl::StaticClass(), TTestControlSprig::StaticClass());
  TTestControl* panel = Make("Panel1");
  TTestControl* button = Make<TTestButton>("Button1");
  root->Repopulate();
  TSprig* p = SprigOf(panel);
  TSprig* b = SprigOf(button);
  EXPECT_TRUE(p->DragOver(b));
  EXPECT_TRUE(root->DragOver(b));
  EXPECT_FALSE(SprigOf(panel->GetItems())->DragOver(b)) << "a collection is no control";
  EXPECT_FALSE(p->DragOver(nullptr));
  EXPECT_TRUE(p->DragDrop(b));
  EXPECT_EQ(button->GetParent(), panel);
  EXPECT_FALSE(p->DragDrop(p)) << "a sprig is not dropped onto itself";
  EXPECT_TRUE(p->PaletteOver(TTestControlSprig::StaticClass(), TTestButton::StaticClass()));
  EXPECT_FALSE(p->PaletteOver(TComponentSprig::StaticClass(), TTestButton::StaticClass()));
  EXPECT_TRUE(root->PaletteOver(TComponentSprig::StaticClass(), TCollection::StaticClass()));
  root->ItemsModified(true);
  root->Repopulate();
  EXPECT_EQ(b->Parent(), p);
  EXPECT_FALSE(p->DragDrop(b)) << "dropping onto the current parent changes nothing";
  EXPECT_TRUE(root->DragDrop(b));
  EXPECT_EQ(button->GetParent(), nullptr);

  TComponent* made = p->Construct(TTestButton::StaticClass());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(static_cast<TTestControl*>(made)->GetParent(), panel);
}

TEST_F(SprigModel, CollectionItemsReorderDeleteAndAdd) {
  TTestControl* panel = Make("Panel1");
  auto* items = panel->GetItems();
  TCollectionItem* first = items->Add();
  TCollectionItem* second = items->Add();
  TCollectionItem* third = items->Add();
  root->Repopulate();
  TSprig* coll = SprigOf(items);
  TSprig* s3 = SprigOf(third);
  EXPECT_TRUE(SprigOf(first)->DragOver(s3));
  EXPECT_FALSE(SprigOf(panel)->DragOver(s3)) << "only onto a sibling";
  EXPECT_TRUE(SprigOf(first)->DragDrop(s3));
  EXPECT_EQ(third->Index(), 0);
  EXPECT_EQ(coll->Items(0), s3);
  EXPECT_EQ(s3->Caption(), "0 - TTestItem");
  EXPECT_FALSE(s3->CanMove(true));
  EXPECT_TRUE(s3->CanMove(false));
  EXPECT_TRUE(s3->Move(false));
  EXPECT_EQ(third->Index(), 1);
  EXPECT_EQ(designer->Selection, std::vector<TPersistent*>{third}) << "a moved item is selected";
  (void)second;

  EXPECT_EQ(s3->AddTypeCount(), 1);
  EXPECT_EQ(s3->GetAddType(0), "Add item");
  s3->AddType(0);
  EXPECT_EQ(items->Count(), 4);
  EXPECT_EQ(designer->Selection, std::vector<TPersistent*>{items->Items(3)});

  EXPECT_EQ(coll->DeleteStyle(), dsCustom);
  EXPECT_TRUE(coll->CustomDelete());
  EXPECT_EQ(items->Count(), 0);
  EXPECT_FALSE(coll->CustomDelete()) << "nothing left to clear";
}

} // namespace
