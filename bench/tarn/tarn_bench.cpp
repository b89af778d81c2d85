// Control trees at scale: realigning, hit-testing and streaming forms of N controls.
#include "basert/filer.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

using namespace fw;

namespace {

/// A form with n controls: panels aligned to every side in turn, or buttons on a grid.
TOwned<TForm> MakeForm(Integer n, bool aligned) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetName("Form1");
  f->SetClientWidth(1000);
  f->SetClientHeight(1000);
  f->DisableAlign();
  const TAlign sides[] = {alTop, alLeft, alBottom, alRight};
  for (Integer i = 0; i < n; ++i) {
    TWinControl* c = aligned ? static_cast<TWinControl*>(New<TPanel>(f.get()))
                             : static_cast<TWinControl*>(New<TButton>(f.get()));
    c->SetName((aligned ? "Panel" : "Button") + std::to_string(i + 1));
    c->SetParent(f.get());
    c->SetBounds((i % 100) * 10, (i / 100) * 10, 10, 10);
    if (aligned) c->SetAlign(sides[i % 4]);
    c->SetCaption("Item " + std::to_string(i));
  }
  f->EnableAlign();
  return f;
}

String Write(TComponent* root) {
  TMemoryStream m;
  {
    TWriter w(&m, 4096);
    w.WriteRootComponent(root);
  }
  return String(m.View());
}

void BM_Realign(benchmark::State& state) {
  auto f = MakeForm(static_cast<Integer>(state.range(0)), true);
  Integer width = 1000;
  for (auto _ : state) {
    width = width == 1000 ? 1200 : 1000;
    f->SetClientWidth(width);
    benchmark::DoNotOptimize(f->Controls(0)->Width());
  }
  state.SetComplexityN(state.range(0));
}

void BM_ControlAtPos(benchmark::State& state) {
  auto f = MakeForm(static_cast<Integer>(state.range(0)), false);
  // The first control is the bottom-most: every sibling above it is tried first.
  for (auto _ : state)
    benchmark::DoNotOptimize(f->ControlAtPos({5, 5}, false, true));
  state.SetComplexityN(state.range(0));
}

void BM_WriteForm(benchmark::State& state) {
  auto f = MakeForm(static_cast<Integer>(state.range(0)), false);
  for (auto _ : state)
    benchmark::DoNotOptimize(Write(f.get()));
  state.SetComplexityN(state.range(0));
}

void BM_ReadForm(benchmark::State& state) {
  RegisterStandardControls();
  const String bytes = Write(MakeForm(static_cast<Integer>(state.range(0)), true).get());
  for (auto _ : state) {
    TStringStream m(bytes);
    TReader r(&m, 4096);
    TOwned<TComponent> root(r.ReadRootComponent(nullptr));
    benchmark::DoNotOptimize(root.get());
  }
  state.SetComplexityN(state.range(0));
}

// Frees every other control of a panel of N buttons, from the bottom of the z-order up: each
// one leaves the middle of its parent's lists.
void BM_DeleteControlsOneByOne(benchmark::State& state) {
  const auto n = static_cast<Integer>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto f = MakeForm(0, false);
    auto* panel = New<TPanel>(f.get());
    panel->SetParent(f.get());
    std::vector<TControl*> doomed;
    for (Integer i = 0; i < n; ++i) {
      auto* b = New<TButton>(f.get());
      b->SetParent(panel);
      if (i % 2 == 0) doomed.push_back(b);
    }
    state.ResumeTiming();
    for (TControl* c : doomed)
      c->Free();
    benchmark::DoNotOptimize(panel->ControlCount());
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Realign)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_ControlAtPos)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_WriteForm)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_ReadForm)->RangeMultiplier(10)->Range(100, 10000)->Complexity();
BENCHMARK(BM_DeleteControlsOneByOne)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
