#include "basert/collection.h"

#include "basert/exceptions.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {
TItem* ItemAt(TCollection* c, Integer i) { return static_cast<TItem*>(c->Items(i)); }
} // namespace

TEST(Collections, AddInsertDeleteAndMoveKeepIdsAndOrder) {
  TOwned<TWithItems> owner(New<TWithItems>(nullptr));
  owner->SetName("Grid");
  TCollection* c = owner->FItems;
  auto* a = static_cast<TItem*>(c->Add());
  auto* b = static_cast<TItem*>(c->Add());
  auto* x = static_cast<TItem*>(c->Insert(0));
  EXPECT_EQ(ItemAt(c, 0), x);
  EXPECT_EQ(x->ID(), 2);
  EXPECT_EQ(b->Index(), 2);
  b->SetIndex(0);
  EXPECT_EQ(ItemAt(c, 0), b);
  EXPECT_THROW(b->SetIndex(3), EListError);
  EXPECT_EQ(c->FindItemID(0), a);
  EXPECT_EQ(c->FindItemID(9), nullptr);
  EXPECT_EQ(a->GetNamePath(), "Grid.Items[2]");
  EXPECT_EQ(a->DisplayName(), "TItem");
  c->Delete(0);
  EXPECT_EQ(c->Count(), 2);
  EXPECT_EQ(c->Add()->ID(), 3); // IDs are never reused
  EXPECT_THROW(c->Delete(7), EListError);
  c->Clear();
  EXPECT_EQ(c->Count(), 0);
}

TEST(Collections, ItemsLeaveTheirCollectionWhenFreedAndAssignCopies) {
  TOwned<TCollection> c(New<TCollection>(TItem::StaticClass()));
  auto* a = static_cast<TItem*>(c->Add());
  a->FText = "one";
  static_cast<TItem*>(c->Add())->FText = "two";
  a->Free();
  ASSERT_EQ(c->Count(), 1);
  EXPECT_EQ(ItemAt(c.get(), 0)->FText, "two");
  TOwned<TCollection> copy(New<TCollection>(TItem::StaticClass()));
  copy->Add();
  copy->Assign(c.get());
  ASSERT_EQ(copy->Count(), 1);
  EXPECT_EQ(ItemAt(copy.get(), 0)->FText, "two");
  EXPECT_EQ(copy->GetNamePath(), "TCollection");
  TOwned<TFont> font(New<TFont>());
  EXPECT_THROW(copy->Assign(font.get()), EConvertError);
  EXPECT_EQ(copy->Count(), 1);
  EXPECT_THROW(New<TCollection>(TFont::StaticClass()), EInvalidOperation);
}

namespace {
struct TCountingCollection : TCollection {
  using TCollection::TCollection;
  void Update(TCollectionItem* item) override {
    ++Updates;
    LastItem = item;
  }
  int Updates = 0;
  TCollectionItem* LastItem = nullptr;
};
} // namespace

TEST(Collections, UpdatesAreBatchedByBeginAndEndUpdate) {
  TCountingCollection c(TItem::StaticClass());
  c.Add();
  EXPECT_EQ(c.Updates, 1);
  c.BeginUpdate();
  c.Add();
  c.Add();
  c.Items(0)->SetIndex(2);
  EXPECT_EQ(c.Updates, 1);
  c.EndUpdate();
  EXPECT_EQ(c.Updates, 2);
  EXPECT_EQ(c.LastItem, nullptr);
  c.Clear();
}
