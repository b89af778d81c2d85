// Benchmarks of the layout commands: spacing and sizing a selection of N buttons on one form.
#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <benchmark/benchmark.h>

namespace {

using namespace fw;

/// A form of `count` selected buttons at scattered places, with the package around it.
class TSelectedButtons {
public:
  explicit TSelectedButtons(std::int64_t count) {
    DesignPackageStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(New<THostDesignEnvironment>()));
    Registry()->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
    Root = THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit1", "Form1", "TForm")), "Form1.lyt",
        nullptr, "Form1");
    IPtr<IDesignerSelections> list = CreateSelectionList();
    for (std::int64_t i = 0; i < count; ++i) {
      auto* b = New<TButton>(Root->GetRoot());
      b->SetDesigning(true);
      b->SetParentComponent(Root->GetRoot());
      b->SetBounds(static_cast<Integer>(i * 7919 % 2000), static_cast<Integer>(i % 61) * 8,
                   50 + static_cast<Integer>(i % 30), 25);
      list->Add(b);
    }
    Root->SetSelections(list);
  }
  ~TSelectedButtons() {
    Root = nullptr;
    Designer->CloseRoots();
    Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    DesignPackageShutdown();
    UnregisterStandardControls();
  }
  static IPtr<IInternalComponentDesigners> Registry() {
    return QueryIntf<IInternalComponentDesigners>(Designers().get());
  }

  IPtr<THostComponentDesigner> Designer;
  IPtr<THostComponentRoot> Root;
};

void BM_AlignSelection(benchmark::State& state) {
  TSelectedButtons form(state.range(0));
  bool spread = false;
  for (auto _ : state) {
    // Both sort the items; alternating them keeps every run moving all but the outermost.
    form.Root->Align((spread = !spread) ? afHSpace : afHSpaceInc);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AlignSelection)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SizeSelection(benchmark::State& state) {
  TSelectedButtons form(state.range(0));
  Integer width = 60;
  for (auto _ : state)
    form.Root->Size(asHAbsolute, width ^= 1);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SizeSelection)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

} // namespace
