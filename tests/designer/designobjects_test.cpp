#include "designer/designobjects.h"
#include "designer/selections.h"

#include "basert/component.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace fw;

namespace {

/// An item over a component that reports fixed bounds.
class TBoxItem : public TPersistentItem {
public:
  TBoxItem(TPersistent* instance, TRect bounds) : TPersistentItem(instance), FBounds(bounds) {}
  TRect GetBoundsRect() override { return FBounds; }

private:
  TRect FBounds;
};

class TCountingListener : public TInterfacedObject, public ISelectionsListener {
public:
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == ISelectionsListener::IID) {
      _AddRef();
      *obj = static_cast<ISelectionsListener*>(this);
      return S_OK;
    }
    return TInterfacedObject::QueryInterface(iid, obj);
  }
  void SelectionChanged(const IPtr<ISelections>& selections) override {
    Counts.push_back(selections->GetCount());
  }
  std::vector<Integer> Counts;
};

struct SelectionsFixture : ::testing::Test {
  TComponent Owner{nullptr};
  TComponent* A = new TComponent(&Owner);
  TComponent* B = new TComponent(&Owner);
  TComponent* C = new TComponent(&Owner);
  IPtr<ISelections> Sel{new TSimpleSelections()};
  IPtr<TCountingListener> Listener{new TCountingListener()};
  IPtr<IItem> Item(TComponent* c) { return IPtr<IItem>(new TPersistentItem(c)); }
  SelectionsFixture() { Sel->AddListener(Listener.get()); }
};

} // namespace

TEST_F(SelectionsFixture, AddKeepsOrderAndRefusesAnItemWrappingTheSameObject) {
  Sel->Add(Item(A));
  Sel->Add(Item(B));
  Sel->Add(Item(A)); // another wrapper of A: Equals says it is the same item
  Sel->Add(nullptr);
  ASSERT_EQ(Sel->GetCount(), 2);
  EXPECT_TRUE(Sel->Selected(Item(A)));
  EXPECT_FALSE(Sel->Selected(Item(C)));
  EXPECT_EQ(QueryIntf<IPersistentItem>(Sel->GetItems(1))->GetItem(), B);
  EXPECT_EQ(Listener->Counts, (std::vector<Integer>{1, 2}));
  EXPECT_THROW(Sel->GetItems(2), EListError);
  EXPECT_THROW(Sel->Remove(Integer{-1}), EListError);
}

TEST_F(SelectionsFixture, ChangesInsideBeginEndAreSignalledOnceWhenTheOutermostPairEnds) {
  Sel->BeginSelections();
  Sel->Add(Item(A));
  Sel->BeginSelections();
  Sel->Add(Item(B));
  Sel->EndSelections();
  Sel->Add(Item(C));
  EXPECT_EQ(Sel->GetSelectionLevel(), 1);
  EXPECT_TRUE(Listener->Counts.empty());
  Sel->EndSelections();
  EXPECT_EQ(Listener->Counts, (std::vector<Integer>{3}));
  // A pair without a change says nothing; an unmatched end is harmless.
  Sel->BeginSelections();
  Sel->EndSelections();
  Sel->EndSelections();
  EXPECT_EQ(Sel->GetSelectionLevel(), 0);
  EXPECT_EQ(Listener->Counts.size(), 1u);
}

TEST_F(SelectionsFixture, ToggleRemoveAndClear) {
  Sel->Toggle(Item(A));
  Sel->Toggle(Item(B));
  Sel->Toggle(Item(A));
  ASSERT_EQ(Sel->GetCount(), 1);
  EXPECT_TRUE(Sel->Selected(Item(B)));
  Sel->Remove(Item(C)); // absent: no change, no signal
  EXPECT_EQ(Listener->Counts, (std::vector<Integer>{1, 2, 1}));
  Sel->Clear();
  EXPECT_EQ(Sel->GetCount(), 0);
  EXPECT_EQ(Listener->Counts.back(), 0);
  Sel->RemoveListener(Listener.get());
  Sel->Add(Item(A));
  EXPECT_EQ(Listener->Counts.size(), 4u);
}

TEST_F(SelectionsFixture, ItemsWithoutAPersistentObjectAreComparedByEquals) {
  // Two distinct wrappers of nothing are not the same item; one reference is.
  IPtr<IItem> x = Item(nullptr);
  IPtr<IItem> y = Item(nullptr);
  Sel->Add(x);
  Sel->Add(x);
  EXPECT_EQ(Sel->GetCount(), 1);
  Sel->Add(Item(A));
  Sel->Remove(x);
  ASSERT_EQ(Sel->GetCount(), 1);
  EXPECT_TRUE(Sel->Selected(Item(A)));
  (void)y;
}

TEST(PersistentItem, NeutralAnswersAndDeletion) {
  TComponent owner(nullptr);
  auto* c = new TComponent(&owner);
  c->SetName("Comp1");
  IPtr<TBoxItem> item(new TBoxItem(c, {10, 20, 40, 35}));
  EXPECT_EQ(item->GetClientRect(), (TRect{0, 0, 30, 15}));
  EXPECT_EQ(item->GetExtendedRect(), (TRect{10, 20, 40, 35}));
  EXPECT_FALSE(item->IsContainer());
  EXPECT_EQ(item->GetParent(), nullptr);
  EXPECT_EQ(item->GetNamePath(), "Comp1");
  EXPECT_EQ(fwtest::MessageOf([&] { item->ValidateDeletable(); }), sCannotDeletePersistentRef);
  EXPECT_TRUE(Supports<IItem>(IPtr<IPersistentItem>(item.get())));
  item->Delete();
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(item->GetItem(), nullptr);
  EXPECT_EQ(item->GetNamePath(), "");
  item->Delete(); // nothing left to free
}

namespace {

class TLoggingBoxes : public TXorDragBoxes {
public:
  std::vector<TRect> Drawn;

protected:
  void DrawXorRect(const TRect& rect, TDesignBoxStyle) override { Drawn.push_back(rect); }
};

} // namespace

TEST(XorDragBoxes, EveryDrawIsUndoneByDone) {
  IPtr<TLoggingBoxes> boxes(new TLoggingBoxes());
  EXPECT_EQ(boxes->Add({0, 0, 1, 1}, dbsItem, daMove), 0);
  boxes->Add({1, 1, 2, 2}, dbsItem, daMove);
  EXPECT_EQ(boxes->Add({2, 2, 3, 3}, dbsItem, daMove), 2);
  EXPECT_EQ(boxes->BoundingRect(), (TRect{0, 0, 3, 3}));
  boxes->Drawn.clear();
  boxes->MoveBy(5, 1, daMove);
  // Erased at the old place, drawn at the new one.
  ASSERT_EQ(boxes->Drawn.size(), 6u);
  EXPECT_EQ(boxes->Drawn[0], (TRect{0, 0, 1, 1}));
  EXPECT_EQ(boxes->Drawn[3], (TRect{5, 1, 6, 2}));
  boxes->Drawn.clear();
  boxes->Change(1, {9, 9, 10, 10}, daMove);
  boxes->Change(7, {0, 0, 0, 0}, daMove); // out of range: ignored
  EXPECT_EQ(boxes->Drawn, (std::vector<TRect>{{6, 2, 7, 3}, {9, 9, 10, 10}}));
  boxes->Drawn.clear();
  boxes->Done();
  EXPECT_EQ(boxes->Drawn.size(), 3u);
  EXPECT_EQ(boxes->Used(), 0);
  EXPECT_EQ(boxes->BoundingRect().Left, std::numeric_limits<Integer>::max());
}
