// Benchmarks of naming: creating N uniquely named buttons in a module (the time per creation
// should not grow with N), and renaming a component of a module with three open descendants.
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"
#include "update/updatemanager.h"

#include <benchmark/benchmark.h>

namespace {

using namespace fw;

class TNamingSession {
public:
  TNamingSession() {
    DesignPackageStartup();
    UpdateManagerStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Env = New<THostDesignEnvironment>();
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env));
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
  }
  ~TNamingSession() {
    Designer->CloseRoots();
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    UnregisterStandardControls();
    UpdateManagerShutdown();
    DesignPackageShutdown();
  }
  IPtr<THostComponentRoot> Open(const String& name, const String& ancestor = {}) {
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit" + name, name, "TForm")),
        name + ".lyt", nullptr, name, ancestor);
  }

  IPtr<THostDesignEnvironment> Env;
  IPtr<THostComponentDesigner> Designer;
};

void BM_CreateComponent(benchmark::State& state) {
  TNamingSession session;
  const auto count = static_cast<Integer>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto root = session.Open("Form1");
    state.ResumeTiming();
    for (Integer i = 0; i < count; ++i)
      root->CreateComponent(TButton::StaticClass(), root->GetRoot(), (i % 97) * 8, (i % 61) * 8, 75,
                            25);
    state.PauseTiming();
    root->Close();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_CreateComponent)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RenameComponent(benchmark::State& state) {
  TNamingSession session;
  auto base = session.Open("Form1");
  for (Integer i = 0, n = static_cast<Integer>(state.range(0)); i < n; ++i)
    base->CreateComponent(TButton::StaticClass(), base->GetRoot(), (i % 97) * 8, (i % 61) * 8, 75,
                          25);
  auto a = session.Open("Form2", "Form1");
  auto b = session.Open("Form3", "Form1");
  auto c = session.Open("Form4", "Form1");
  bool flip = false;
  for (auto _ : state) {
    flip = !flip;
    base->RenameComponent(flip ? "Button1" : "OkButton", flip ? "OkButton" : "Button1");
  }
  if (!c->GetComponent(flip ? "OkButton" : "Button1")) state.SkipWithError("not followed");
}
BENCHMARK(BM_RenameComponent)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
