#include "desktop/dockforms.h"

#include "desktop_fixture.h"

using namespace fw;
using namespace fwtest;

namespace {

class DockFormsTest : public DesktopTest {
protected:
  TDockableForm* Tool(const String& section, const TRect& bounds) {
    auto* f = Window<TDockableForm>(section);
    f->SetName(section);
    f->SetCaption(section + " caption");
    f->SetBoundsRect(bounds);
    f->Show();
    AddLoadedDesktopForm(f);
    return f;
  }
  static TPoint Center(const TRect& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }
};

} // namespace

TEST_F(DockFormsTest, DropInTheMiddleMakesTabsAndNearAnEdgeJoins) {
  auto* target = Tool("Target", Rect(100, 100, 700, 500));
  auto* dragged = Tool("Dragged", Rect(900, 100, 300, 200));
  // The tab zone: the client area less a seventh of its width and a fifth of its height.
  const TPoint o = target->ClientOrigin();
  const Integer cw = target->ClientWidth(), ch = target->ClientHeight();
  EXPECT_EQ(target->TabZone(),
            (TRect{o.X + cw / 7, o.Y + ch / 5, o.X + cw - cw / 7, o.Y + ch - ch / 5}));

  TDragDockObject probe(dragged);
  ASSERT_TRUE(target->DockOver(&probe, {o.X + 5, 350}));
  EXPECT_FALSE(target->DropOnTabs());
  EXPECT_EQ(target->DropAlign(), alLeft);
  EXPECT_EQ(probe.DockRect, Rect(100, 100, 350, 500));
  ASSERT_TRUE(target->DockOver(&probe, {450, 598}));
  EXPECT_EQ(target->DropAlign(), alBottom);
  EXPECT_EQ(probe.DockRect, Rect(100, 350, 700, 250));
  EXPECT_FALSE(target->DockOver(&probe, {50, 50}));     // outside the window
  EXPECT_FALSE(dragged->DockOver(&probe, {1000, 200})); // onto itself

  TBaseDockHostForm* tabs = DropDockable(dragged, target, Center(target->TabZone()));
  auto* tabHost = dynamic_cast<TTabDockHostForm*>(tabs);
  ASSERT_NE(tabHost, nullptr);
  EXPECT_EQ(tabHost->BoundsRect(), Rect(100, 100, 700, 500));
  EXPECT_TRUE(tabHost->Visible());
  ASSERT_EQ(tabHost->ClientCount(), 2);
  EXPECT_EQ(tabHost->PageControl()->PageCount(), 2);
  EXPECT_EQ(target->HostDockSite(), tabHost->PageControl());
  EXPECT_EQ(tabHost->ActiveClient(), dragged);
  EXPECT_EQ(tabHost->Caption(), "Dragged caption");
  EXPECT_EQ(tabHost->DeskSection(), "TabDockHost1");

  auto* left = Tool("Left", Rect(100, 700, 600, 300));
  auto* right = Tool("Right", Rect(900, 700, 300, 200));
  TBaseDockHostForm* join = DropDockable(right, left, {690, 850});
  auto* joinHost = dynamic_cast<TJoinDockForm*>(join);
  ASSERT_NE(joinHost, nullptr);
  EXPECT_EQ(right->HostDockSite(), joinHost);
  EXPECT_EQ(right->Align(), alRight);
  EXPECT_EQ(left->HostDockSite(), joinHost);
  EXPECT_EQ(joinHost->Caption(), "Left caption, Right caption");
  EXPECT_EQ(joinHost->DeskSection(), "JoinDockHost1");

  // A docked window's host takes its place in the site.
  auto* site = Window<TDesktopForm>("Site");
  site->SetDockSite(true);
  auto* docked = Tool("Docked", Rect(0, 0, 200, 200));
  docked->ManualDock(site, nullptr, alLeft);
  auto* other = Tool("Other", Rect(0, 0, 200, 200));
  TDragDockObject drop(other);
  TBaseDockHostForm* inSite = docked->CreateDockParent(&drop);
  EXPECT_EQ(inSite->HostDockSite(), site);
  EXPECT_EQ(inSite->Align(), alLeft);
  EXPECT_EQ(docked->HostDockSite(), inSite);
  EXPECT_EQ(other->HostDockSite(), inSite);
  EXPECT_EQ(site->DockClientCount(), 1);
}

TEST_F(DockFormsTest, UndockingTheSecondLastClientDissolvesTheHost) {
  auto* a = Tool("A", Rect(100, 100, 600, 400));
  auto* b = Tool("B", Rect(800, 100, 300, 250));
  auto* host = DropDockable(b, a, {105, 300});
  ASSERT_NE(host, nullptr);
  host->SetBounds(50, 60, 640, 480);
  EXPECT_EQ(TBaseDockHostForm::Hosts().size(), 1u);
  b->ManualFloat(Rect(900, 500, 300, 250));
  EXPECT_EQ(TBaseDockHostForm::Hosts().size(), 1u); // only on the posted check
  Application->ProcessMessages();
  EXPECT_TRUE(TBaseDockHostForm::Hosts().empty());
  EXPECT_TRUE(a->Floating());
  EXPECT_TRUE(a->Visible());
  // At the host's place, with the size it had when it floated.
  EXPECT_EQ(a->BoundsRect(), Rect(50, 60, 600, 400));

  // An undock size larger than the screen (a desktop file once gave one) is cut to fit.
  auto* e = Tool("E", Rect(100, 100, 600, 400));
  auto* f = Tool("F", Rect(800, 100, 300, 250));
  ASSERT_NE(DropDockable(f, e, {105, 300}), nullptr);
  e->SetUndockWidth(5000);
  e->SetUndockHeight(3000);
  f->Free();
  Application->ProcessMessages();
  EXPECT_EQ(e->BoundsRect(), Rect(100, 100, 1920, 1040));

  // A docked host is replaced in its site by its last client.
  auto* site = Window<TDesktopForm>("Site");
  site->SetDockSite(true);
  auto* c = Tool("C", Rect(100, 100, 600, 400));
  auto* d = Tool("D", Rect(800, 100, 300, 250));
  auto* tabs = DropDockable(d, c, Center(c->TabZone()));
  ASSERT_NE(tabs, nullptr);
  tabs->ManualDock(site, nullptr, alLeft);
  tabs->SetWidth(222);
  c->Free();
  Application->ProcessMessages();
  EXPECT_TRUE(TBaseDockHostForm::Hosts().empty());
  EXPECT_EQ(d->HostDockSite(), site);
  EXPECT_EQ(d->Align(), alLeft);
  EXPECT_EQ(site->DockClientCount(), 1);
}

TEST_F(DockFormsTest, HostsRoundTripThroughTheDesktopAndKeepTheActiveTab) {
  auto* a = Tool("A", Rect(100, 100, 600, 400));
  auto* b = Tool("B", Rect(800, 100, 300, 250));
  auto* c = Tool("C", Rect(800, 500, 300, 250));
  auto* tabs = dynamic_cast<TTabDockHostForm*>(DropDockable(b, a, Center(a->TabZone())));
  ASSERT_NE(tabs, nullptr);
  DropDockable(c, a, Center(tabs->TabZone())); // a dockable in a host cannot take drops
  tabs->SetActiveClient(a);
  auto* d = Tool("D", Rect(100, 600, 600, 300));
  auto* e = Tool("E", Rect(800, 800, 300, 150));
  auto* join = DropDockable(e, d, {105, 750});
  ASSERT_NE(join, nullptr);
  for (const char* n : {"A", "B", "C", "D", "E"})
    RegisterDesktopFormClass(TDockableForm::StaticClass(), n, String(n) + "Var");

  TMemIniFile ini;
  ini.WriteString("TabDockHost9", "Create", "1"); // a host that is gone
  SaveDesktopFormClasses(&ini, false);
  SaveDockHostForms(&ini, false);
  EXPECT_FALSE(ini.SectionExists("TabDockHost9"));
  EXPECT_EQ(ini.ReadString("TabDockHost1", "TabDockClients", ""), "A,B");
  EXPECT_EQ(ini.ReadString("TabDockHost1", "ActiveTabID", ""), "A");
  EXPECT_EQ(ini.ReadInteger("TabDockHost1", "TabPosition", -1), 1);
  EXPECT_EQ(ini.ReadString("JoinDockHost1", "DockClients", ""), "D,E");
  EXPECT_FALSE(ini.ReadString("JoinDockHost1", "DockSiteData", "").empty());

  // Everything goes; the desktop brings it back.
  Owner.reset(New<TComponent>(nullptr));
  DesktopHost().FormOwner = Owner.get();
  ASSERT_TRUE(TBaseDockHostForm::Hosts().empty());
  LoadDesktopFormClasses(&ini);
  LoadDockHostForms(&ini);
  ASSERT_EQ(TBaseDockHostForm::Hosts().size(), 2u);
  auto* tabs2 = dynamic_cast<TTabDockHostForm*>(FindLoadedDesktopForm("TabDockHost1"));
  auto* join2 = dynamic_cast<TJoinDockForm*>(FindLoadedDesktopForm("JoinDockHost1"));
  ASSERT_NE(tabs2, nullptr);
  ASSERT_NE(join2, nullptr);
  EXPECT_EQ(tabs2->ClientCount(), 2);
  EXPECT_EQ(tabs2->ActiveClient(), FindLoadedDesktopForm("A"));
  EXPECT_EQ(tabs2->PageControl()->Pages(1)->DockedControl(), FindLoadedDesktopForm("B"));
  EXPECT_EQ(tabs2->BoundsRect(), Rect(100, 100, 600, 400));
  EXPECT_TRUE(FindLoadedDesktopForm("C")->Floating());
  EXPECT_EQ(FindLoadedDesktopForm("E")->HostDockSite(), join2);
  EXPECT_EQ(FindLoadedDesktopForm("E")->Align(), alLeft);
}

TEST_F(DockFormsTest, TabHostLoadingPicksTheTabAndHidesALoneStrip) {
  auto* a = Tool("A", Rect(100, 100, 600, 400));
  auto* b = Tool("B", Rect(800, 100, 300, 250));
  auto* host = New<TTabDockHostForm>(Owner.get());
  host->SetDeskSection("Host");
  auto ini = IniFrom("[Host]\nCreate=1\nVisible=1\nTabDockClients=A,Gone,B\n"
                     "ActiveTab=b CAPTION\n[A]\nCreate=1\nDocked=1\n[B]\nCreate=1\nDocked=1\n"
                     "[Lone]\nCreate=1\nVisible=1\nTabDockClients=Gone,A\nActiveTabID=a\n"
                     "[Empty]\nCreate=1\nTabDockClients=\n[Nobody]\nCreate=1\n"
                     "TabDockClients=Gone\n");
  host->LoadWindowState(ini.get());
  EXPECT_EQ(host->ClientCount(), 2);
  EXPECT_EQ(host->ActiveClient(), b); // by caption, the older way
  EXPECT_EQ(host->PageControl()->VisibleTabCount(), 2);

  host->SetDeskSection("Lone");
  host->LoadWindowState(ini.get());
  EXPECT_EQ(host->ClientCount(), 1);
  EXPECT_TRUE(b->Floating());
  EXPECT_EQ(host->PageControl()->VisibleTabCount(), 0);
  // "ActiveTabID" names a section exactly: "a" is not "A".
  EXPECT_EQ(host->ActiveClient(), a);

  for (const char* section : {"Empty", "Nobody"}) {
    host->SetDeskSection(section);
    EXPECT_THROW(host->LoadWindowState(ini.get()), EAbort);
  }
  EXPECT_EQ(a->HostDockSite(), host->PageControl());
}

TEST_F(DockFormsTest, DockableKeysAreRelativeAndHaveDefaults) {
  auto* f = Tool("Tool", Rect(100, 100, 400, 300));
  f->SetLRDockWidth(192);
  f->SetTBDockHeight(104);
  f->SetStayOnTop(true);
  TMemIniFile ini;
  f->SaveWindowState(&ini, false);
  EXPECT_EQ(ini.ReadInteger("Tool", "LRDockWidth", 0), 1000);
  EXPECT_EQ(ini.ReadInteger("Tool", "TBDockHeight", 0), 1000);
  EXPECT_TRUE(ini.ReadBool("Tool", "StayOnTop", false));

  auto* g = Window<TDockableForm>("Tool");
  g->SetDockable(false);
  g->LoadWindowState(&ini);
  EXPECT_EQ(g->LRDockWidth(), 192);
  EXPECT_EQ(g->TBDockHeight(), 104);
  EXPECT_TRUE(g->StayOnTop());
  EXPECT_TRUE(g->Dockable());

  // Pixels without "PercentageSizes"; a docked hidden window takes its dock size.
  auto px = IniFrom("[P]\nCreate=1\nLRDockWidth=250\nTBDockHeight=bad\n"
                    "[Q]\nPercentageSizes=1\nCreate=1\nDocked=1\nVisible=0\nWidth=5000\n"
                    "Height=5000\nLRDockWidth=1000\nTBDockHeight=1000\nDockable=0\n");
  auto* p = Window<TDockableForm>("P");
  p->SetBoundsRect(Rect(0, 0, 333, 222));
  p->LoadWindowState(px.get());
  EXPECT_EQ(p->LRDockWidth(), 250);
  EXPECT_EQ(p->TBDockHeight(), 222);
  EXPECT_FALSE(p->StayOnTop());
  auto* q = Window<TDockableForm>("Q");
  q->LoadWindowState(px.get());
  EXPECT_EQ(q->UndockWidth(), 960);
  EXPECT_EQ(q->UndockHeight(), 520);
  EXPECT_EQ(q->Width(), 192);
  EXPECT_EQ(q->Height(), 104);
  EXPECT_FALSE(q->Dockable());
}

TEST_F(DockFormsTest, DropIndicatorShowsTheRectangleTranslucently) {
  auto* f = Tool("F", Rect(0, 0, 100, 100));
  TIDEDragDockObject drag(f);
  TBlendForm* blend = drag.BlendForm();
  EXPECT_FALSE(blend->Visible());
  EXPECT_TRUE(blend->AlphaBlend());
  drag.DrawDragDockImage(); // empty rectangle
  EXPECT_FALSE(blend->Visible());
  drag.DockRect = Rect(10, 20, 300, 200);
  drag.DrawDragDockImage();
  EXPECT_TRUE(blend->Visible());
  EXPECT_EQ(blend->BoundsRect(), Rect(10, 20, 300, 200));
  drag.EraseDragDockImage();
  EXPECT_FALSE(blend->Visible());
}

TEST_F(DockFormsTest, CorruptPaneLayoutIsReportedAndTheClientsStay) {
  auto* a = Tool("A", Rect(100, 100, 600, 400));
  auto* b = Tool("B", Rect(800, 100, 300, 250));
  auto* host = New<TJoinDockForm>(Owner.get());
  host->SetDeskSection("Join");
  std::vector<String> shown;
  ShowExceptionsIn(shown);
  // Version 1, two panes, then the data stops.
  auto ini = IniFrom("[Join]\nCreate=1\nVisible=1\nDockClients=A,B\n"
                     "DockSiteData=0100000002000000FF\n[Gone]\nCreate=1\n");
  host->LoadWindowState(ini.get());
  EXPECT_EQ(shown, std::vector<String>{"Dock layout data is corrupt"});
  EXPECT_EQ(a->HostDockSite(), host);
  EXPECT_EQ(b->HostDockSite(), host);
  host->SetDeskSection("Gone");
  EXPECT_THROW(host->LoadWindowState(ini.get()), EAbort);
}

TEST_F(DockFormsTest, HostSectionsKeepTheirSpellingAndHostsNamingEachOtherLoad) {
  Tool("A", Rect(100, 100, 600, 400));
  Tool("B", Rect(800, 100, 300, 250));
  Tool("C", Rect(800, 500, 300, 250));
  // Each host names the other; the second spelling of the first one's number is another host.
  auto ini = IniFrom("[JoinDockHost1]\nCreate=1\nVisible=1\nDockClients=A,JoinDockHost01\n"
                     "DockSiteData=00\n"
                     "[JoinDockHost01]\nCreate=1\nVisible=1\nDocked=1\n"
                     "DockClients=B,C,JoinDockHost1\nDockSiteData=00\n");
  LoadDockHostForms(ini.get());
  auto* outer = dynamic_cast<TJoinDockForm*>(FindLoadedDesktopForm("JoinDockHost1"));
  auto* inner = dynamic_cast<TJoinDockForm*>(FindLoadedDesktopForm("JoinDockHost01"));
  ASSERT_NE(outer, nullptr);
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->DeskSection(), "JoinDockHost01");
  EXPECT_EQ(inner->HostDockSite(), outer);
  EXPECT_EQ(inner->ClientCount(), 2);
  EXPECT_EQ(outer->HostDockSite(), nullptr);
}
