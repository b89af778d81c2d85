// Desktop files: any bytes load without harm, and a desktop saved after loading loads back into
// the same layout (windows, hosts, dock panel and auto-hide tabs).
#include "basert/threads.h"
#include "desktop/dockpanel.h"
#include "tarn/screen.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string_view>

using namespace fw;

namespace {

constexpr const char* Sections[] = {"W0", "W1", "W2", "W3", "W4", "W5"};

// One IDE session: the registered tool windows, a main window with a left dock panel and a tab
// set, and the host's variables.
class TSession {
public:
  TSession() {
    FinalizeDesktop();
    Owner.reset(New<TComponent>(nullptr));
    DesktopHost().FormOwner = Owner.get();
    DesktopHost().GetFieldAddress = [this](const String& name) -> TCustomForm** {
      auto it = Fields.find(name);
      return it == Fields.end() ? nullptr : &it->second;
    };
    for (const char* s : Sections) {
      Fields[s] = nullptr;
      RegisterDesktopFormClass(TDockableForm::StaticClass(), s, s);
    }
    RegisterDesktopProcs(LoadDockHostForms, SaveDockHostForms);
    Main = New<TDesktopForm>(Owner.get());
    Main->SetDeskSection("Main");
    Main->SetBounds(0, 0, 1200, 900);
    Main->Show();
    Panel = New<TEditorDockPanel>(Owner.get());
    Panel->SetParent(Main);
    Panel->SetAlign(alLeft);
    Panel->SetWidth(0); // empty panels are collapsed
    Tabs = New<TIDEDockTabSet>(Owner.get());
    Tabs->SetParent(Main);
    Tabs->SetAlign(alRight);
  }
  ~TSession() {
    Application->ProcessMessages();
    Owner.reset();
    FinalizeDesktop();
  }

  void Load(TCustomIniFile* ini) {
    BeginDesktopUpdate();
    LoadDesktopFormClasses(ini);
    DoDesktopLoadProcs(ini);
    Panel->LoadState(ini, "LeftSize", "LeftClients", "LeftStream", Main);
    Tabs->LoadState(ini, "Tabs", Main);
    EndDesktopUpdate();
    Application->ProcessMessages();
  }

  void Save(TCustomIniFile* ini) {
    SaveDesktopFormClasses(ini, false);
    DoDesktopSaveProcs(ini, false);
    Main->SaveWindowState(ini, false);
    Panel->SaveState(ini, false, "LeftSize", "LeftClients", "LeftStream", Main);
    Tabs->SaveState(ini, false, "Tabs", Main);
  }

  // Where every window is, by section: what the user sees of the layout.
  String Layout() {
    String r = "panel " + IntToStr(Panel->Width()) + "\n";
    for (const char* s : Sections) {
      auto* f = dynamic_cast<TDesktopForm*>(Fields[s]);
      r += String(s) + ": ";
      if (!f) {
        r += "none\n";
        continue;
      }
      r += Describe(f) + "\n";
    }
    return r;
  }

private:
  String Place(TControl* c) {
    TWinControl* site = c->HostDockSite();
    if (!site) return "floating";
    if (site == Panel) return "panel";
    if (site == Tabs) return "tabs " + IntToStr(Tabs->TabIndexOf(c));
    TControl* host = site;
    while (host && !dynamic_cast<TBaseDockHostForm*>(host))
      host = host->Parent();
    auto* h = dynamic_cast<TBaseDockHostForm*>(host);
    if (!h) return "elsewhere";
    String r = h->ClassName() + "(";
    for (Integer i = 0; i < h->ClientCount(); ++i) {
      auto* f = dynamic_cast<TDesktopForm*>(h->Clients(i));
      r += (f ? f->DeskSection() : String("?")) + " ";
    }
    return r + ") in " + Place(h);
  }

  String Describe(TDesktopForm* f) {
    String r = Place(f) + (f->Visible() ? " shown" : " hidden");
    if (f->Floating()) {
      const TRect b = f->RestoredBounds();
      r += " " + IntToStr(b.Left) + "," + IntToStr(b.Top) + " " + IntToStr(b.Width()) + "x" +
           IntToStr(b.Height()) + " state " + IntToStr(Integer{f->WindowState()});
    } else {
      r += " align " + IntToStr(Integer{f->Align()});
    }
    return r;
  }

  TOwned<TComponent> Owner;
  std::map<String, TCustomForm*> Fields;
  TDesktopForm* Main = nullptr;
  TEditorDockPanel* Panel = nullptr;
  TIDEDockTabSet* Tabs = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool screen = [] {
    Screen()->SetMonitors(
        {{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true}, {{1920, 0, 3200, 800}, {}, false}});
    return true;
  }();
  (void)screen;
  TStringList lines;
  lines.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  TMemIniFile input;
  input.SetStrings(lines);

  TMemIniFile saved;
  String first;
  {
    TSession session;
    session.Load(&input);
    first = session.Layout();
    session.Save(&saved);
  }
  TSession again;
  again.Load(&saved);
  if (again.Layout() != first) {
    TStringList text;
    saved.GetStrings(text);
    std::fprintf(stderr, "first:\n%s\nagain:\n%s\nsaved:\n%s\n", first.c_str(),
                 again.Layout().c_str(), text.Text().c_str());
    std::abort();
  }
  return 0;
}
