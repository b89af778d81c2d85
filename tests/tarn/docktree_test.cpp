#include "tarn/docktree.h"

#include "basert/streams.h"
#include "tarn/forms.h"

#include <gtest/gtest.h>

using namespace fw;

// A desktop's pane layout once named the same (empty) name twice: the client matched twice
// stayed in the tree after it was freed.
TEST(DockTreeLayout, EachClientTakesOneZoneEvenWhenNamesRepeat) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* site = New<TForm>(owner.get());
  site->SetDockSite(true);
  site->SetUseDockManager(true);
  auto* tree = New<TDockTree>(site);
  site->SetDockManager(IPtr<IDockManager>(tree));
  auto* a = New<TForm>(owner.get());
  auto* b = New<TForm>(owner.get());
  a->ManualDock(site);
  b->ManualDock(site, a, alLeft);
  TMemoryStream layout;
  tree->SaveToStream(layout);
  layout.SetPosition(0);
  tree->LoadFromStream(layout);
  EXPECT_EQ(tree->Clients().size(), 2u);
  a->Free();
  EXPECT_EQ(tree->Clients(), std::vector<TControl*>{b});
  TMemoryStream again;
  tree->SaveToStream(again);
  EXPECT_GT(again.Size(), 0);
}
