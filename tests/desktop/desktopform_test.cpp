#include "desktop/desktopform.h"

#include "desktop_fixture.h"
#include "support/testutil.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

using namespace fw;
using namespace fwtest;

namespace {

void ExpectNear(const TRect& got, const TRect& want, Integer tolerance) {
  EXPECT_LE(std::abs(got.Left - want.Left), tolerance) << got.Left << " vs " << want.Left;
  EXPECT_LE(std::abs(got.Top - want.Top), tolerance) << got.Top << " vs " << want.Top;
  EXPECT_LE(std::abs(got.Width() - want.Width()), tolerance);
  EXPECT_LE(std::abs(got.Height() - want.Height()), tolerance);
}

bool OnAMonitor(const TRect& r) {
  return Screen()->MonitorFromPoint({r.Left, r.Top}, mdNull) != nullptr;
}

} // namespace

TEST(DesktopConversion, RoundsBothWaysSurvivesDegenerateExtentsAndReadsHexToTheFirstBadPair) {
  EXPECT_EQ(DesktopActualToRelative(960, 1920), 5000);
  EXPECT_EQ(DesktopRelativeToActual(5000, 1920), 960);
  EXPECT_EQ(DesktopActualToRelative(1, 3), 3333);
  // Every pixel of a screen narrower than 10000 survives the trip.
  for (Integer x = -50; x <= 1920; ++x)
    ASSERT_EQ(DesktopRelativeToActual(DesktopActualToRelative(x, 1920), 1920), x);
  // A screen of no size has no scale; absurd values saturate instead of overflowing.
  EXPECT_EQ(DesktopActualToRelative(123, 0), 123);
  EXPECT_EQ(DesktopActualToRelative(123, -5), 123);
  EXPECT_EQ(DesktopRelativeToActual(123, 0), 123);
  EXPECT_EQ(DesktopActualToRelative(2000000000, 1), std::numeric_limits<Integer>::max());
  EXPECT_EQ(DesktopRelativeToActual(2000000000, 2000000000), std::numeric_limits<Integer>::max());

  // Hex data round-trips and stops at the first bad pair.
  const Byte data[] = {0x00, 0x7F, 0xAB, 0xFF};
  EXPECT_EQ(BinToHex(data, 4), "007FABFF");
  std::vector<Byte> out;
  EXPECT_EQ(HexToBin("007fABFF", out), 4u);
  EXPECT_EQ(out, std::vector<Byte>(std::begin(data), std::end(data)));
  EXPECT_EQ(HexToBin("01G203", out), 1u);
  EXPECT_EQ(HexToBin("012", out), 1u);
}

TEST_F(DesktopTest, SameScreenSaveAndLoadReproducesTheRectangle) {
  // A task bar on the left and on top moves the work area away from the monitor's edge.
  Screen()->SetMonitors(
      {{{0, 0, 1920, 1080}, {48, 30, 1920, 1080}, true}, {{1920, 0, 3200, 1024}, {}, false}});
  for (TFormBorderStyle style : {bsSizeable, bsToolWindow})
    for (const TRect& r : {Rect(100, 80, 640, 480), Rect(2000, 17, 777, 333),
                           Rect(49, 31, 1871, 1049), Rect(1500, 900, 401, 99)}) {
      TMemIniFile ini;
      auto* saved = Window("Saved");
      saved->SetBorderStyle(style);
      saved->SetBoundsRect(r);
      saved->Show();
      saved->SaveWindowState(&ini, false);
      auto* loaded = Window("Loaded");
      loaded->SetBorderStyle(style);
      loaded->SetDeskSection("Saved");
      loaded->LoadWindowState(&ini);
      // Within one unit of 1/10000 of the work area: a pixel here.
      ExpectNear(loaded->BoundsRect(), r, 1);
      EXPECT_TRUE(loaded->Visible());
      EXPECT_TRUE(loaded->LoadedFromDesktop());
      saved->Free();
      loaded->Free();
    }
}

TEST_F(DesktopTest, SavedKeysAreRelativeAndInOrder) {
  auto* f = Window("Inspector");
  f->SetBoundsRect(Rect(192, 104, 960, 520));
  f->Show();
  TMemIniFile ini;
  f->SaveWindowState(&ini, false);
  TStringList values;
  ini.ReadSectionValues("Inspector", values);
  EXPECT_EQ(Lines(values), (std::vector<String>{
                               "PercentageSizes=1", "Create=1", "Visible=1", "Docked=0", "State=0",
                               "Left=1000", "Top=1000", "Width=5000", "Height=5000", "MaxLeft=-5",
                               "MaxTop=-10", "ClientWidth=4917", "ClientHeight=4625"}));
}

TEST_F(DesktopTest, LargerScreenDesktopScalesPixelDesktopsStayPixelsAndEmptyMonitorsAreRefused) {
  auto ini = IniFrom("[Big]\nPercentageSizes=1\nCreate=1\nVisible=1\nLeft=2500\nTop=5000\n"
                     "Width=5000\nHeight=2500\n"
                     "[Pixels]\nCreate=1\nVisible=1\nLeft=300\nTop=200\nWidth=400\nHeight=100\n");
  // Saved on a 3840 x 2160 screen; this one is half of it.
  Screen()->SetMonitors({{{0, 0, 1920, 1080}, {}, true}});
  auto* big = Window("Big");
  big->LoadWindowState(ini.get());
  EXPECT_EQ(big->BoundsRect(), Rect(480, 540, 960, 270));
  auto* pixels = Window("Pixels");
  pixels->LoadWindowState(ini.get());
  EXPECT_EQ(pixels->BoundsRect(), Rect(300, 200, 400, 100));

  // Monitors of no size are refused and the layout still loads against the old ones.
  EXPECT_THROW(Screen()->SetMonitors({{{0, 0, 0, 1080}, {}, true}}), EInvalidOperation);
  EXPECT_THROW(Screen()->SetMonitors({{{0, 0, 1920, -10}, {}, true}}), EInvalidOperation);
  big->LoadWindowState(ini.get());
  EXPECT_EQ(big->BoundsRect(), Rect(480, 540, 960, 270));
}

TEST_F(DesktopTest, WindowOffEveryMonitorLandsAtTheFirstMonitorsTopLeft) {
  // The second monitor is shorter: its lower part of the virtual desktop is on no monitor.
  Screen()->SetMonitors(
      {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}, {{1920, 0, 3840, 600}, {}, false}});
  auto ini = IniFrom("[Lost]\nCreate=1\nVisible=1\nLeft=2500\nTop=800\nWidth=300\nHeight=200\n"
                     "[Far]\nCreate=1\nVisible=0\nLeft=-90000\nTop=90000\nWidth=300\n"
                     "Height=200\n");
  BeginDesktopUpdate();
  auto* lost = Window("Lost");
  lost->LoadWindowState(ini.get());
  EXPECT_TRUE(lost->Locked());
  EndDesktopUpdate();
  EXPECT_FALSE(lost->Locked());
  EXPECT_EQ(lost->BoundsRect(), Rect(0, 0, 300, 200));

  // Clamped into the virtual desktop when read, and brought onto a monitor when shown.
  auto* far = Window("Far");
  far->LoadWindowState(ini.get());
  EXPECT_FALSE(far->Visible());
  far->Show();
  EXPECT_TRUE(OnAMonitor(far->BoundsRect()));
  EXPECT_EQ(far->Width(), 300);
}

TEST_F(DesktopTest, MaximisedWindowKeepsItsRestoredRectangle) {
  auto* f = Window("Editor");
  f->SetBoundsRect(Rect(200, 150, 800, 600));
  f->Show();
  f->ChangeWindowState(wsMaximized);
  EXPECT_EQ(f->BoundsRect(), Screen()->WorkAreaRect());
  TMemIniFile ini;
  f->SaveWindowState(&ini, false);
  EXPECT_EQ(ini.ReadInteger("Editor", "State", -1), 2);
  EXPECT_TRUE(ini.ValueExists("Editor", "MaxWidth"));

  auto* g = Window("Other");
  g->SetDeskSection("Editor");
  g->Show();
  g->LoadWindowState(&ini);
  EXPECT_EQ(g->WindowState(), wsMaximized);
  EXPECT_EQ(g->BoundsRect(), Screen()->WorkAreaRect());
  g->ChangeWindowState(wsNormal);
  ExpectNear(g->BoundsRect(), Rect(200, 150, 800, 600), 1);
}

TEST_F(DesktopTest, DamagedFileLoadsWhatItCanAndKeepsWindowsOnScreen) {
  auto ini = IniFrom("[Bad]\nPercentageSizes=yes please\nCreate=1\nVisible=1\nState=9\n"
                     "Left=abc\nTop=$7FFFFFFF\nWidth=2147483647\nHeight=-40\n"
                     "[Huge]\nPercentageSizes=1\nCreate=true\nVisible=1\nLeft=-2147483648\n"
                     "Top=2000000000\nWidth=99999999\nHeight=0\n"
                     "[NoCreate]\nVisible=1\nLeft=5\n");
  auto* bad = Window("Bad");
  bad->SetBoundsRect(Rect(10, 20, 300, 200));
  bad->LoadWindowState(ini.get());
  EXPECT_EQ(bad->WindowState(), wsNormal);
  // Left is unreadable and kept; Top is far below every monitor, so the window comes back.
  EXPECT_EQ((TPoint{bad->Left(), bad->Top()}), (TPoint{0, 0}));
  EXPECT_LE(bad->Width(), 1920);
  EXPECT_EQ(bad->Height(), 200); // a negative size keeps the current one

  auto* huge = Window("Huge");
  huge->SetBoundsRect(Rect(10, 20, 300, 200));
  huge->LoadWindowState(ini.get());
  EXPECT_TRUE(OnAMonitor(huge->BoundsRect()));
  EXPECT_LE(huge->Width(), 1920);
  EXPECT_EQ(huge->Height(), 200);

  auto* absent = Window("NoCreate");
  absent->SetBoundsRect(Rect(10, 20, 300, 200));
  absent->LoadWindowState(ini.get());
  EXPECT_FALSE(absent->LoadedFromDesktop());
  EXPECT_EQ(absent->Left(), 10);
  auto* missing = Window("NoSuchSection");
  missing->LoadWindowState(ini.get());
  EXPECT_FALSE(missing->LoadedFromDesktop());
  missing->LoadWindowState(nullptr);
  missing->SaveWindowState(nullptr, false);
}

TEST_F(DesktopTest, ClassItemsCreatePositionAndHideTheirWindows) {
  RegisterDesktopFormClass(TTestDeskForm::StaticClass(), "Palette", "PaletteVar");
  RegisterDesktopFormClass(TTestDeskForm::StaticClass(), "Gone", "GoneVar");
  RegisterDesktopFormClass(TTestDeskForm::StaticClass(), "Unknown", "NoSuchVariable");
  EXPECT_EQ(GetInstanceName(TTestDeskForm::StaticClass(), ""), "PaletteVar");
  EXPECT_EQ(GetInstanceName(TTestDeskForm::StaticClass(), "gone"), "GoneVar");
  EXPECT_EQ(GetInstanceName(TDesktopForm::StaticClass(), ""), "");
  Field("PaletteVar");
  auto* gone = Window("Gone");
  gone->Show();

  auto ini = IniFrom("[Palette]\nPercentageSizes=1\nCreate=1\nVisible=1\nLeft=1000\nTop=1000\n"
                     "Width=1000\nHeight=1000\n[Gone]\nCreate=0\n[Unknown]\nCreate=1\n");
  LoadDesktopFormClasses(ini.get());
  auto* palette = dynamic_cast<TTestDeskForm*>(Field("PaletteVar"));
  ASSERT_NE(palette, nullptr);
  EXPECT_EQ(palette->Owner(), Owner.get());
  EXPECT_EQ(palette->CreatedFor, "Palette");
  EXPECT_EQ(palette->BoundsRect(), Rect(192, 104, 192, 104));
  EXPECT_FALSE(gone->Visible());
  EXPECT_EQ(FindLoadedDesktopForm("palette"), palette);
  EXPECT_EQ(FindLoadedDesktopForm("Gone"), gone);
  EXPECT_EQ(FindLoadedDesktopForm("Unknown"), nullptr);

  // Freeing a window clears the host's variable and the loaded list.
  gone->Free();
  EXPECT_EQ(Field("GoneVar"), nullptr);
  EXPECT_EQ(FindLoadedDesktopForm("Gone"), nullptr);

  TMemIniFile out;
  palette->SetAutoSave(false);
  SaveDesktopFormClasses(&out, false);
  EXPECT_FALSE(out.SectionExists("Palette"));
  palette->SetAutoSave(true);
  SaveDesktopFormClasses(&out, false);
  EXPECT_TRUE(out.SectionExists("Palette"));
}

namespace {
std::vector<String> procLog;
void LoadA(TCustomIniFile*) { procLog.push_back("load A"); }
void SaveA(TCustomIniFile*, bool) { procLog.push_back("save A"); }
void LoadB(TCustomIniFile*) { procLog.push_back("load B"); }
void SaveB(TCustomIniFile*, bool project) { procLog.push_back(project ? "save B project" : "x"); }
} // namespace

TEST_F(DesktopTest, ProceduresRunInOrderOnceEachAndCanComeBack) {
  procLog.clear();
  RegisterDesktopProcs(LoadA, SaveA);
  RegisterDesktopProcs(LoadB, SaveB);
  RegisterDesktopProcs(LoadA, SaveA);
  EXPECT_EQ(DesktopProcCount(), 2);
  TMemIniFile ini;
  DoDesktopLoadProcs(&ini);
  DoDesktopSaveProcs(&ini, true);
  EXPECT_EQ(procLog, (std::vector<String>{"load A", "load B", "save A", "save B project"}));
  UnregisterDesktopProcs(LoadA, SaveA);
  RegisterDesktopProcs(LoadA, SaveA);
  procLog.clear();
  DoDesktopLoadProcs(&ini);
  EXPECT_EQ(procLog, (std::vector<String>{"load B", "load A"}));
}

TEST_F(DesktopTest, DisablingTheDesktopIsNestedAndRestoresTheCursor) {
  auto* a = Window("A");
  auto* b = Window("B");
  b->SetEnabled(false);
  const TCursor before = Screen()->Cursor;
  auto list = DisableDesktop();
  EXPECT_EQ(list, std::vector<TControl*>{a});
  EXPECT_TRUE(DisableDesktop().empty());
  EXPECT_EQ(Screen()->Cursor, crHourGlass);
  int ran = 0;
  Application->Post([&] { ++ran; });
  DesktopProcessMessages();
  EXPECT_EQ(ran, 1);
  EnableDesktop({});
  EXPECT_FALSE(a->Enabled());
  EnableDesktop(list);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_EQ(Screen()->Cursor, before);
  Application->Post([&] { ++ran; });
  DesktopProcessMessages(); // not while the desktop is enabled
  EXPECT_EQ(ran, 1);
  Application->ProcessMessages();
}

TEST_F(DesktopTest, FileLoadsInAPlainIniReaderAndKeepsWhatItDoesNotKnow) {
  const auto path = std::filesystem::temp_directory_path() / "k1a_desktop_test.dsk";
  {
    std::ofstream out(path);
    out << "; written by a newer version\n[Other Tool]\nSetting=42\n"
           "[Main]\nFutureKey=keep me\nLeft=1\n";
  }
  auto* f = Window("Main");
  f->SetCaption("Main");
  f->SetBoundsRect(Rect(10, 10, 500, 400));
  {
    TMemIniFile ini(path.string());
    f->SaveWindowState(&ini, false);
    ini.UpdateFile();
  }
  std::ifstream in(path, std::ios::binary);
  const String text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  EXPECT_NE(text.find("[Other Tool]\r\nSetting=42\r\n"), String::npos);
  EXPECT_NE(text.find("FutureKey=keep me"), String::npos);
  // Nothing but comments, section headers and plain key=value lines.
  const std::regex line(R"((;.*|\[[^\]\r\n]+\]|[A-Za-z][A-Za-z0-9 ]*=[^\r\n]*|))");
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, String::npos) << "every line ends in CRLF";
    EXPECT_TRUE(std::regex_match(text.substr(start, end - start), line))
        << text.substr(start, end - start);
    start = end + 2;
  }
}

TEST_F(DesktopTest, DockClientsFollowTheListAndMissingWindowsAreSkipped) {
  auto* site = Window("Site");
  site->SetDockSite(true);
  auto* a = Window("A");
  auto* b = Window("B");
  auto* stray = Window("Stray");
  for (TDesktopForm* f : {a, b})
    AddLoadedDesktopForm(f);
  stray->ManualDock(site);
  a->ManualDock(site);
  b->ManualDock(site);
  TMemIniFile ini;
  site->SaveDockClients(&ini, false, "Clients", site);
  EXPECT_EQ(ini.ReadString("Site", "Clients", ""), "Stray,A,B");

  ini.WriteString("Site", "Clients", "B,Vanished,,A,Site");
  BeginDesktopUpdate();
  EXPECT_TRUE(site->LoadDockClients(&ini, "Clients", site));
  EXPECT_EQ(stray->HostDockSite(), nullptr);
  EXPECT_TRUE(stray->Locked());
  EXPECT_EQ(a->HostDockSite(), site);
  EXPECT_EQ(b->HostDockSite(), site);
  EndDesktopUpdate();
  EXPECT_FALSE(stray->Locked());
  ini.WriteString("Site", "Clients", "");
  EXPECT_FALSE(site->LoadDockClients(&ini, "Clients", site));
}

TEST_F(DesktopTest, FailingDockClientIsReportedWithFileAndWindowAndLoadingGoesOn) {
  class TFailingForm : public TDesktopForm {
  public:
    using TDesktopForm::TDesktopForm;
    void LoadWindowState(TCustomIniFile*) override { throw EInvalidOperation("no way"); }
  };
  auto* site = Window("Site");
  site->SetDockSite(true);
  auto* bad = new TFailingForm(Owner.get());
  bad->SetName("BadForm");
  bad->SetDeskSection("Bad");
  auto* good = Window("Good");
  AddLoadedDesktopForm(bad);
  AddLoadedDesktopForm(good);
  std::vector<String> shown;
  ShowExceptionsIn(shown);
  auto ini = IniFrom("[Site]\nClients=Bad,Good\nLayout=0102ZZ\n"
                     "[Good]\nCreate=1\nDocked=1\nVisible=1\n");
  site->LoadDockClients(ini.get(), "Clients", site);
  site->LoadDockStream(ini.get(), "Layout", site);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], "Loading the desktop from \"\" for dock host window \"BadForm\" failed with "
                      "message: \r\n\r\n\"EInvalidOperation: no way\"");
  EXPECT_TRUE(good->LoadedFromDesktop());
}
