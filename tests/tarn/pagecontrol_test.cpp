#include "tarn/docktabset.h"

#include "basert/exceptions.h"
#include "tarn/forms.h"
#include "tarn/pagecontrol.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(PageControlDocking, EachDockedControlGetsASheetThatGoesWithIt) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* host = New<TForm>(owner.get());
  auto* pages = New<TPageControl>(owner.get());
  pages->SetParent(host);
  pages->SetDockSite(true);
  std::vector<String> log;
  pages->OnDockClientAdded = [&](TPageControl*, TControl* c) { log.push_back("+" + c->Caption()); };
  pages->OnDockClientRemoved = [&](TPageControl*, TControl* c) {
    log.push_back("-" + c->Caption());
  };
  auto* a = New<TForm>(owner.get());
  a->SetCaption("A");
  auto* b = New<TForm>(owner.get());
  b->SetCaption("B");
  a->ManualDock(pages);
  b->ManualDock(pages);
  ASSERT_EQ(pages->PageCount(), 2);
  EXPECT_EQ(pages->Pages(0)->Caption(), "A");
  EXPECT_EQ(pages->Pages(1)->DockedControl(), b);
  EXPECT_EQ(pages->ActivePage(), pages->Pages(1));
  EXPECT_FALSE(pages->Pages(0)->Visible());
  EXPECT_EQ(a->Align(), alClient);
  EXPECT_EQ(pages->PageForClient(a), pages->Pages(0));

  pages->MovePage(pages->Pages(1), 0);
  EXPECT_EQ(pages->Pages(0)->DockedControl(), b);
  EXPECT_EQ(pages->PageForClient(b)->PageIndex(), 0);

  // Leaving takes the sheet away; the next one becomes active.
  b->ManualFloat({10, 10, 110, 110});
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(pages->PageCount(), 1);
  EXPECT_EQ(pages->ActivePage()->DockedControl(), a);
  // A control freed while docked takes its sheet along.
  a->Free();
  EXPECT_EQ(pages->PageCount(), 0);
  EXPECT_EQ(pages->ActivePage(), nullptr);
  EXPECT_EQ(log, (std::vector<String>{"+A", "+B", "-B", "-A"}));

  // Freeing the page control with a control docked frees that control as its child.
  b->ManualDock(pages);
  host->Free();
  EXPECT_EQ(owner->ComponentCount(), 0);
}

TEST(DockTabSet, DockedWindowsHideBehindNumberedTabs) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* tabs = New<TDockTabSet>(owner.get());
  auto* a = New<TForm>(owner.get());
  auto* b = New<TForm>(owner.get());
  a->Show();
  a->ManualDock(tabs);
  b->ManualDock(tabs);
  EXPECT_FALSE(a->Visible());
  EXPECT_EQ(tabs->TabIndexOf(a), 0);
  EXPECT_EQ(tabs->TabIndexOf(b), 1);
  tabs->SetTabIndexOf(a, 5);
  EXPECT_EQ(tabs->TabOrder(), (std::vector<TControl*>{b, a}));
  a->ManualFloat({0, 0, 10, 10});
  EXPECT_EQ(tabs->TabCount(), 1);
  EXPECT_EQ(tabs->TabIndexOf(a), -1);
  EXPECT_THROW(tabs->TabClient(1), EListError);
}
