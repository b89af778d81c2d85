// Desktops at scale: saving and loading the layout of N tool windows, one in ten of them on the
// tabs of a host.
#include "basert/threads.h"
#include "desktop/dockforms.h"
#include "tarn/screen.h"

#include <benchmark/benchmark.h>

#include <map>

using namespace fw;

namespace {

class TDesk {
public:
  explicit TDesk(Integer n) {
    FinalizeDesktop();
    Owner.reset(New<TComponent>(nullptr));
    DesktopHost().FormOwner = Owner.get();
    DesktopHost().GetFieldAddress = [this](const String& name) -> TCustomForm** {
      auto it = Fields.find(name);
      return it == Fields.end() ? nullptr : &it->second;
    };
    RegisterDesktopProcs(LoadDockHostForms, SaveDockHostForms);
    TDockableForm* previous = nullptr;
    for (Integer i = 0; i < n; ++i) {
      const String section = "Window" + IntToStr(i);
      RegisterDesktopFormClass(TDockableForm::StaticClass(), section, section);
      auto* f = New<TDockableForm>(Owner.get());
      f->SetName(section);
      f->SetDeskSection(section);
      f->SetCaption(section);
      f->SetBounds((i * 37) % 1500, (i * 23) % 800, 300 + i % 200, 200 + i % 100);
      f->Show();
      Fields[section] = f;
      AddLoadedDesktopForm(f);
      if (i % 20 == 1) DropDockable(f, previous, {previous->Left() + 150, previous->Top() + 100});
      previous = f;
    }
  }
  ~TDesk() {
    Application->ProcessMessages();
    Owner.reset();
    FinalizeDesktop();
  }
  void Save(TMemIniFile& ini) {
    SaveDesktopFormClasses(&ini, false);
    DoDesktopSaveProcs(&ini, false);
  }
  void Load(TMemIniFile& ini) {
    BeginDesktopUpdate();
    LoadDesktopFormClasses(&ini);
    DoDesktopLoadProcs(&ini);
    EndDesktopUpdate();
  }

private:
  TOwned<TComponent> Owner;
  std::map<String, TCustomForm*> Fields;
};

void BM_SaveDesktop(benchmark::State& state) {
  TDesk desk(static_cast<Integer>(state.range(0)));
  for (auto _ : state) {
    TMemIniFile ini;
    desk.Save(ini);
    TStringList text;
    ini.GetStrings(text);
    benchmark::DoNotOptimize(text.Text());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SaveDesktop)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

void BM_LoadDesktop(benchmark::State& state) {
  TDesk desk(static_cast<Integer>(state.range(0)));
  TMemIniFile saved;
  desk.Save(saved);
  TStringList text;
  saved.GetStrings(text);
  for (auto _ : state) {
    TMemIniFile ini;
    ini.SetStrings(text);
    desk.Load(ini);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadDesktop)->Arg(10)->Arg(100)->Arg(1000)->Complexity(benchmark::oN);

} // namespace
