// Benchmarks of the alignment guides among N controls laid out in rows and columns: collecting
// and sorting every candidate guide at drag begin, and one mouse move of a move drag (snap both
// axes, then repaint the lines).
#include "designer/guides.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

using namespace fw;

/// Counts lines instead of drawing them.
class TCountingPainter : public TInterfacedObject, public IGuidelinePainter {
public:
  void AddGuide(const TRect&, TGuideType) override { ++Lines; }
  void BeginUpdate() override {}
  void Clear() override { Lines = 0; }
  void EndUpdate() override {}
  Integer Lines = 0;
};

/// A control with its edges, margins of 3 and a baseline, as an edit box reports them.
TGuideItem Control(TRect b) {
  constexpr Integer m = 3;
  TGuideItem item;
  item.Guidelines =
      IPtr<IItemGuidelines>(New<TItemGuidelines>(std::vector<TGuide>{{b.Left, gtAlignLeft},
                                                                     {b.Top, gtAlignTop},
                                                                     {b.Right, gtAlignRight},
                                                                     {b.Bottom, gtAlignBottom},
                                                                     {b.Left - m, gtMarginLeft},
                                                                     {b.Top - m, gtMarginTop},
                                                                     {b.Right + m, gtMarginRight},
                                                                     {b.Bottom + m, gtMarginBottom},
                                                                     {b.Top + 17, gtBaseline}}));
  item.BoundsRect = b;
  item.PaddedBoundsRect = {b.Left - m, b.Top - m, b.Right + m, b.Bottom + m};
  item.ClientRect = {0, 0, b.Width(), b.Height()};
  return item;
}

/// N controls of about 75 x 25 in a square of rows and columns, a few pixels off the grid so
/// that guide values spread.
std::vector<TGuideItem> Layout(int n) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<Integer> jitter(-4, 4);
  int columns = 1;
  while (columns * columns < n)
    ++columns;
  std::vector<TGuideItem> items;
  items.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const Integer l = (i % columns) * 90 + jitter(rng), t = (i / columns) * 36 + jitter(rng);
    items.push_back(Control({l, t, l + 75 + jitter(rng), t + 25}));
  }
  return items;
}

TGuideDrag DragOf(const TGuideItem& item, Integer extent, const IPtr<IGuidelinePainter>& painter) {
  TGuideDrag drag;
  drag.Item = item;
  drag.ParentClientRect = drag.ContainerClientRect = {0, 0, extent, extent};
  drag.AllowedHorz = HorzGuideTypes;
  drag.AllowedVert = VertGuideTypes;
  drag.Painter = painter;
  return drag;
}

void BM_GuideBuild(benchmark::State& state) {
  const auto items = Layout(static_cast<int>(state.range(0)));
  IPtr<IGuidelinePainter> painter(new TCountingPainter);
  const TGuideDrag drag = DragOf(Control({0, 0, 75, 25}), 100000, painter);
  TDragGuides guides;
  for (auto _ : state) {
    guides.BeginDrag(drag, items);
    benchmark::DoNotOptimize(guides.HorzGuides().data());
    guides.EndDrag();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_GuideSnap(benchmark::State& state) {
  const auto items = Layout(static_cast<int>(state.range(0)));
  IPtr<IGuidelinePainter> painter(new TCountingPainter);
  TDragGuides guides;
  guides.BeginDrag(DragOf(Control({0, 0, 75, 25}), 100000, painter), items);
  // A path across the whole layout, so that the moves meet both crowded and empty places.
  Integer extent = 0;
  for (const TGuideItem& item : items)
    extent = std::max(extent, item.BoundsRect.Right);
  std::mt19937 rng(5);
  std::uniform_int_distribution<Integer> pos(0, extent);
  std::vector<TPoint> path(1024);
  for (TPoint& p : path)
    p = {pos(rng), pos(rng) * 2 / 5};
  std::size_t step = 0;
  for (auto _ : state) {
    const TPoint delta = path[step++ % path.size()];
    guides.SetOffset(delta);
    Integer dx = delta.X, dy = delta.Y;
    guides.SnapMoveX(dx);
    guides.SnapMoveY(dy);
    guides.SetOffset({dx, dy});
    guides.GenerateGuidelines();
    benchmark::DoNotOptimize(dx);
    benchmark::DoNotOptimize(dy);
  }
  guides.EndDrag();
}

BENCHMARK(BM_GuideBuild)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GuideSnap)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
