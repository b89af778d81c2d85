#include "desktop/dockpanel.h"

#include "desktop_fixture.h"
#include "support/testutil.h"

using namespace fw;
using namespace fwtest;

namespace {

// A main window with, from the left edge: a palette, the dock panel, its splitter, the editor.
class DockPanelTest : public DesktopTest {
protected:
  void SetUp() override {
    DesktopTest::SetUp();
    Main = Window<TDesktopForm>("Main");
    Main->SetBounds(0, 0, 1016, 839);
    Main->Show();
    Palette = Child<TPanel>(alLeft, 0, 40);
    Panel = Child<TEditorDockPanel>(alLeft, 50, 100);
    Split = Child<TSplitter>(alLeft, 160, 3);
    Editor = Child<TPanel>(alClient, 200, 100);
    Panel->SetNextControl(Palette);
    Panel->SetSplitter(Split);
    Panel->SetWidth(0);
    Panel->AdjustPosition();
  }
  template <class T> T* Child(TAlign align, Integer left, Integer width) {
    auto* c = New<T>(Owner.get());
    c->SetParent(Main);
    c->SetBounds(left, 0, width, 100);
    c->SetAlign(align);
    return c;
  }
  TDockableForm* Tool(const String& section, Integer lr, Integer tb) {
    auto* f = Window<TDockableForm>(section);
    f->SetName(section);
    f->SetCaption(section);
    f->SetLRDockWidth(lr);
    f->SetTBDockHeight(tb);
    f->Show();
    AddLoadedDesktopForm(f);
    return f;
  }
  TDesktopForm* Main = nullptr;
  TPanel* Palette = nullptr;
  TEditorDockPanel* Panel = nullptr;
  TSplitter* Split = nullptr;
  TPanel* Editor = nullptr;
};

} // namespace

TEST_F(DockPanelTest, NeighboursMustSitOnTheirSides) {
  // Open, so that the sides are told apart by more than a tie.
  Panel->SetWidth(100);
  Panel->AdjustPosition();
  auto* other = Child<TSplitter>(alTop, 0, 3);
  EXPECT_EQ(MessageOf([&] { Panel->SetSplitter(other); }),
            "Splitter control is not configured correctly");
  EXPECT_EQ(MessageOf([&] { Panel->SetNextControl(Split); }),
            "NextControl is not configured correctly"); // inner side, not the far one
  EXPECT_EQ(MessageOf([&] { Panel->SetSplitter(Child<TSplitter>(alLeft, 10, 3)); }),
            "Splitter control is not configured correctly");
  EXPECT_EQ(Panel->Splitter(), Split);
  auto* floating = New<TEditorDockPanel>(Owner.get());
  EXPECT_EQ(MessageOf([&] { floating->SetSplitter(Split); }),
            "Align property is not set correctly");
  EXPECT_EQ(MessageOf([&] { floating->SetNextControl(Palette); }),
            "Align property is not set correctly");
  floating->SetSplitter(nullptr);
  // Freed neighbours are forgotten.
  Split->Free();
  EXPECT_EQ(Panel->Splitter(), nullptr);
  Palette->Free();
  EXPECT_EQ(Panel->NextControl(), nullptr);
}

TEST_F(DockPanelTest, EmptyPanelTakesTheDockSizeAndCollapsesWhenTheLastClientLeaves) {
  EXPECT_EQ(dynamic_cast<TPercentageDockTree*>(Panel->DockManager().get())->Proportional(), true);
  auto* a = Tool("A", 230, 150);
  auto* b = Tool("B", 300, 150);
  a->ManualDock(Panel);
  EXPECT_EQ(Panel->Width(), 230); // the dock width, not the window's 320
  EXPECT_TRUE(Split->Visible());
  // Palette, panel and splitter stay in that order, one after the other.
  EXPECT_EQ(Panel->Left(), Palette->Left() + Palette->Width());
  EXPECT_EQ(Split->Left(), Panel->Left() + Panel->Width());
  b->ManualDock(Panel, a, alBottom);
  EXPECT_EQ(Panel->Width(), 230); // not empty any more

  a->ManualFloat({0, 0, 100, 100});
  EXPECT_EQ(Panel->Width(), 230);
  Panel->SetResizeSuspended(true);
  b->ManualFloat({0, 0, 100, 100});
  EXPECT_EQ(Panel->Width(), 230); // held while suspended
  Panel->SetResizeSuspended(false);
  a->ManualDock(Panel);
  a->ManualFloat({0, 0, 100, 100});
  EXPECT_EQ(Panel->Width(), 0);
  EXPECT_FALSE(Split->Visible());

  // A drop takes the drop rectangle's width, or the dock width when it has none.
  TIDEDragDockObject drop(b);
  drop.DockRect = {0, 0, 2000, 400};
  Panel->DockOver(&drop);
  EXPECT_EQ(drop.DockRect.Width(), Main->ClientWidth() / 2);
  Panel->DockDrop(&drop, 0, 0);
  EXPECT_EQ(Panel->Width(), Main->ClientWidth() / 2);
}

TEST_F(DockPanelTest, TopPanelAddsTheCaptionForHorizontalCaptions) {
  auto* top = Child<TEditorDockPanel>(alTop, 0, 0);
  top->SetHeight(0);
  auto* a = Tool("A", 230, 150);
  a->ManualDock(top);
  EXPECT_EQ(top->Height(), 166);
  a->ManualFloat({0, 0, 100, 100});
  EXPECT_EQ(top->Height(), 0);
  top->SetDockCaptionOrientation(dcoVertical);
  EXPECT_EQ(dynamic_cast<TPercentageDockTree*>(top->DockManager().get()), nullptr);
  a->ManualDock(top);
  EXPECT_EQ(top->Height(), 150);
  auto* tree = dynamic_cast<TCaptionedDockTree*>(top->DockManager().get());
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->Clients(), std::vector<TControl*>{a});
}

TEST_F(DockPanelTest, StateScalesWithTheMonitorsFullSize) {
  auto* a = Tool("A", 230, 150);
  auto* b = Tool("B", 300, 150);
  a->ManualDock(Panel);
  b->ManualDock(Panel, a, alBottom);
  Panel->SetWidth(480);
  TMemIniFile ini;
  Main->SaveWindowState(&ini, false);
  Panel->SaveState(&ini, false, "LeftSize", "LeftClients", "LeftStream", Main);
  EXPECT_EQ(ini.ReadInteger("Main", "LeftSize", 0), 2500); // of 1920, not the work area
  EXPECT_EQ(ini.ReadString("Main", "LeftClients", ""), "A,B");

  a->ManualFloat({0, 0, 100, 100});
  b->ManualFloat({0, 0, 100, 100});
  ASSERT_EQ(Panel->Width(), 0);
  Screen()->SetMonitors({{{0, 0, 3840, 2160}, {0, 0, 3840, 2100}, true}});
  Panel->LoadState(&ini, "LeftSize", "LeftClients", "LeftStream", Main);
  EXPECT_EQ(Panel->Width(), 960);
  EXPECT_EQ(a->HostDockSite(), Panel);
  EXPECT_EQ(b->HostDockSite(), Panel);
  EXPECT_TRUE(Split->Visible());

  // Nothing visible comes back: the panel collapses, keeping the hidden window for later.
  a->Hide();
  auto hidden = IniFrom("[Main]\nPercentageSizes=1\nLeftSize=2500\nLeftClients=A\n");
  Panel->LoadState(hidden.get(), "LeftSize", "LeftClients", "LeftStream", Main);
  EXPECT_EQ(Panel->DockClientCount(), 1);
  EXPECT_EQ(a->HostDockSite(), Panel);
  EXPECT_EQ(Panel->Width(), 0);
  EXPECT_FALSE(Split->Visible());
  // No section for the owner: nothing changes.
  Panel->SetWidth(77);
  Panel->LoadState(IniFrom("[Other]\nX=1\n").get(), "LeftSize", "LeftClients", "LeftStream", Main);
  EXPECT_EQ(Panel->Width(), 77);
}

TEST_F(DockPanelTest, AutoHiddenWindowsComeBackInTabOrder) {
  auto* tabs = Child<TIDEDockTabSet>(alLeft, 0, 20);
  auto* a = Tool("A", 100, 100);
  auto* b = Tool("B", 100, 100);
  auto* c = Tool("C", 100, 100);
  for (TDockableForm* f : {a, b, c})
    f->ManualDock(tabs);
  EXPECT_FALSE(a->Visible());
  tabs->SetTabIndexOf(a, 2);
  tabs->SetTabIndexOf(c, 0);
  TMemIniFile ini;
  Main->SaveWindowState(&ini, false);
  tabs->SaveState(&ini, false, "LeftTabs", Main);
  EXPECT_EQ(ini.ReadString("Main", "LeftTabs", ""), "A=2,B=1,C=0");

  // B is gone; D's number cannot be read and keeps the index it was given, which A has.
  ini.WriteString("Main", "LeftTabs", "A=2,Gone=1,C=0,D=x");
  b->Free();
  auto* d = Tool("D", 100, 100);
  tabs->LoadState(&ini, "LeftTabs", Main);
  EXPECT_EQ(tabs->DockClientCount(), 3);
  EXPECT_EQ(tabs->TabOrder(), (std::vector<TControl*>{c, d, a}));
  EXPECT_FALSE(d->Visible());

  EXPECT_EQ(tabs->GetDockCaption(a), "A");
  a->SetCaption("");
  EXPECT_EQ(tabs->GetDockCaption(a), "Untitled");
  auto* host = New<TTabDockHostForm>(Owner.get());
  c->ManualDock(host->PageControl());
  d->ManualDock(host->PageControl());
  EXPECT_EQ(tabs->GetDockCaption(host), "C, D");
  EXPECT_TRUE(tabs->AutoHide(Palette));
  EXPECT_TRUE(tabs->AutoHide(d));
}
