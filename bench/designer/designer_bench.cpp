// The designer's gestures on a form of N buttons, with guides painted by a recording painter.
#include "designer/designer.h"
#include "designer/selections.h"
#include "host/designsurfacerec.h"
#include "host/guidepainterrec.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace fw;

namespace {

/// N buttons 40 x 20 in rows of 100, 50 x 30 apart, on a form; the designer listens to it.
struct TBenchForm {
  TForm* Form = new TForm(nullptr);
  std::vector<TButton*> Buttons;
  IPtr<TRecordingSurface> Surface;
  IPtr<ISelections> Sel{new TSimpleSelections()};
  IPtr<TDesigner> D;

  explicit TBenchForm(Integer n) {
    Form->SetBounds(0, 0, 5200, 3200);
    for (Integer i = 0; i < n; ++i) {
      auto* b = new TButton(Form);
      b->SetParent(Form);
      const Integer x = 10 + (i % 100) * 50, y = 10 + (i / 100) * 30;
      b->SetBounds(x, y, 40, 20);
      Buttons.push_back(b);
    }
    Surface = new TRecordingSurface(nullptr, Form, new TRecordingSurfaceHost(Form));
    Surface->SetGuidelinePainter(new TGuidelinePainterRec());
    D = new TDesigner(Surface.get(), Sel, new TNullTools());
  }
  ~TBenchForm() {
    D->Close();
    Surface = nullptr;
    Form->Free();
  }
  /// Selects the first `k` buttons, the first of them leading.
  void Select(Integer k) {
    Sel->BeginSelections();
    Sel->Clear();
    for (Integer i = 0; i < k; ++i)
      Sel->Add(Surface->ComponentToItem(Buttons[i]));
    Sel->EndSelections();
  }
};

void BM_DragBegin(benchmark::State& state) {
  TBenchForm f(static_cast<Integer>(state.range(0)));
  f.Select(1);
  for (auto _ : state) {
    f.Surface->MouseDown(20, 20);
    state.PauseTiming();
    f.D->CancelDragging();
    state.ResumeTiming();
  }
}

void MouseMoveWith(benchmark::State& state, Integer selected) {
  TBenchForm f(static_cast<Integer>(state.range(0)));
  f.Select(selected);
  f.Surface->MouseDown(20, 20);
  Integer step = 0;
  for (auto _ : state) {
    // Wanders over a few dozen pixels so that the rectangle, the snaps and the lines change.
    const Integer dx = (step * 7) % 97, dy = (step * 5) % 61;
    f.Surface->MouseMove(20 + dx, 20 + dy);
    ++step;
  }
  f.D->CancelDragging();
}

void BM_MouseMove1(benchmark::State& state) { MouseMoveWith(state, 1); }
void BM_MouseMove100(benchmark::State& state) { MouseMoveWith(state, 100); }

void BM_DragEnd(benchmark::State& state) {
  TBenchForm f(static_cast<Integer>(state.range(0)));
  f.Select(1);
  Integer dir = 1;
  for (auto _ : state) {
    state.PauseTiming();
    f.Surface->MouseDown(20, 20);
    f.Surface->MouseMove(20 + 16 * dir, 20);
    state.ResumeTiming();
    f.Surface->MouseUp(20 + 16 * dir, 20);
    dir = -dir; // back and forth, so the layout stays the same
  }
}

void BM_RubberBand(benchmark::State& state) {
  TBenchForm f(static_cast<Integer>(state.range(0)));
  for (auto _ : state) {
    f.Surface->Drag({5, 5}, {{2600, 1600}, {5150, 3150}});
    if (f.Sel->GetCount() != static_cast<Integer>(state.range(0)))
      state.SkipWithError("the band did not select every button");
  }
}

} // namespace

BENCHMARK(BM_DragBegin)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MouseMove1)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MouseMove100)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragEnd)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RubberBand)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
