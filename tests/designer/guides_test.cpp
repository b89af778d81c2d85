#include "designer/guides.h"

#include "designeditors/guidelines.h"
#include "host/guidepainterrec.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

using namespace fw;

namespace {

using TLine = TGuidelinePainterRec::TLine;

/// A control's guides: its four edges, its margins `margin` pixels outside them, and an optional
/// baseline `baseline` pixels below its top.
TGuideItem Control(TRect b, Integer margin = 0, std::optional<Integer> baseline = {}) {
  std::vector<TGuide> g{{b.Left, gtAlignLeft},
                        {b.Top, gtAlignTop},
                        {b.Right, gtAlignRight},
                        {b.Bottom, gtAlignBottom},
                        {b.Left - margin, gtMarginLeft},
                        {b.Top - margin, gtMarginTop},
                        {b.Right + margin, gtMarginRight},
                        {b.Bottom + margin, gtMarginBottom}};
  if (baseline) g.push_back({b.Top + *baseline, gtBaseline});
  TGuideItem item;
  item.Guidelines = IPtr<IItemGuidelines>(New<TItemGuidelines>(std::move(g)));
  item.BoundsRect = b;
  item.PaddedBoundsRect = {b.Left - margin, b.Top - margin, b.Right + margin, b.Bottom + margin};
  item.ClientRect = {0, 0, b.Width(), b.Height()};
  return item;
}

/// A container whose padding guides lie `padding` pixels inside its bounds.
TGuideItem Parent(TRect b, Integer padding) {
  TGuideItem item;
  item.Guidelines = IPtr<IItemGuidelines>(
      New<TItemGuidelines>(std::vector<TGuide>{{b.Left + padding, gtPaddingLeft},
                                               {b.Top + padding, gtPaddingTop},
                                               {b.Right - padding, gtPaddingRight},
                                               {b.Bottom - padding, gtPaddingBottom}}));
  item.BoundsRect = item.PaddedBoundsRect = b;
  item.ClientRect = {0, 0, b.Width(), b.Height()};
  item.IsDragParent = true;
  return item;
}

constexpr TRect Surface{0, 0, 1000, 1000};

struct GuidesFixture : ::testing::Test {
  IPtr<TGuidelinePainterRec> painter{New<TGuidelinePainterRec>()};
  TDragGuides guides;

  void Begin(const TGuideItem& dragged, std::vector<TGuideItem> others, bool moving = true) {
    TGuideDrag drag;
    drag.Item = dragged;
    drag.ParentClientRect = drag.ContainerClientRect = Surface;
    drag.AllowedHorz = HorzGuideTypes;
    drag.AllowedVert = VertGuideTypes;
    drag.Moving = moving;
    drag.Painter = IPtr<IGuidelinePainter>(painter.get());
    guides.BeginDrag(drag, others);
  }
  /// One mouse move of a move drag by `delta`; nullopt where the grid decides.
  std::pair<std::optional<Integer>, std::optional<Integer>> MoveBy(TPoint delta) {
    guides.SetOffset(delta);
    Integer dx = delta.X, dy = delta.Y;
    std::optional<Integer> x, y;
    if (guides.SnapMoveX(dx)) x = dx;
    if (guides.SnapMoveY(dy)) y = dy;
    guides.SetOffset({x.value_or(delta.X), y.value_or(delta.Y)});
    guides.GenerateGuidelines();
    return {x, y};
  }
};

TEST_F(GuidesFixture, LeftEdgeSnapsWithinTheGridStepAndLeavesTheRestToTheGrid) {
  // Tops far apart so only the left edges can meet.
  Begin(Control({50, 300, 90, 320}), {Control({100, 10, 140, 30})});
  EXPECT_EQ(MoveBy({42, 0}).first, 50) << "8 pixels short of the sibling's left edge";
  EXPECT_EQ(MoveBy({58, 0}).first, 50) << "8 pixels past it";
  EXPECT_EQ(MoveBy({41, 0}).first, std::nullopt) << "9 pixels short: the grid decides";
  EXPECT_EQ(MoveBy({59, 0}).first, std::nullopt);

  guides.SetGridSize({3, 3});
  EXPECT_EQ(MoveBy({46, 0}).first, std::nullopt) << "the threshold is the grid step";
  EXPECT_EQ(MoveBy({47, 0}).first, 50);
}

TEST_F(GuidesFixture, NothingSnapsWhenGuidesAreOffOrSnappingIsDisabledOrNothingPaints) {
  const auto dragged = Control({50, 300, 90, 320});
  const auto sibling = Control({100, 10, 140, 30});

  guides.SetGridSnapDisabled(true);
  Begin(dragged, {sibling});
  EXPECT_EQ(MoveBy({50, 0}).first, std::nullopt) << "even an exact match";
  guides.SetGridSnapDisabled(false);
  EXPECT_EQ(MoveBy({50, 0}).first, 50);
  guides.EndDrag();

  guides.SetGuidelines(false);
  const Integer painted = painter->PaintCount();
  Begin(dragged, {sibling});
  EXPECT_TRUE(guides.Dragging());
  EXPECT_TRUE(guides.HorzGuides().empty() && guides.VertGuides().empty());
  EXPECT_EQ(MoveBy({50, 0}).first, std::nullopt);
  EXPECT_EQ(painter->PaintCount(), painted);
  guides.EndDrag();

  guides.SetGuidelines(true);
  TGuideDrag drag;
  drag.Item = dragged;
  drag.ParentClientRect = drag.ContainerClientRect = Surface;
  drag.AllowedVert = VertGuideTypes;
  const std::vector<TGuideItem> others{sibling};
  guides.BeginDrag(drag, others);
  EXPECT_FALSE(guides.VertGuides().empty());
  Integer dx = 50;
  guides.SetOffset({dx, 0});
  EXPECT_FALSE(guides.SnapMoveX(dx)) << "a surface without a painter shows no guides";
}

TEST_F(GuidesFixture, BaselineWinsOverACloserOrEqualEdgeAndOnlyExactAlignmentsPaint) {
  // The dragged label's baseline is 10 below its top; the sibling's is 12 below its top.
  const auto dragged = Control({0, 500, 40, 520}, 0, 10);
  const auto sibling = Control({300, 100, 340, 124}, 0, 12);
  Begin(dragged, {sibling});
  // Delta -397: top at 103 (3 from the sibling's top), baseline at 113 (1 from its baseline).
  EXPECT_EQ(MoveBy({0, -397}).second, -398) << "the baseline is nearer anyway";
  // Only exact alignments paint: the baseline at 112, from the dragged left edge to the sibling's
  // right.
  EXPECT_EQ(painter->UpdateDepth(), 0);
  EXPECT_EQ(painter->Lines(), (std::vector<TLine>{{{0, 112, 340, 112}, gtBaseline}}));
  // Moved right of the sibling: the line starts at the sibling.
  MoveBy({400, -400});
  EXPECT_EQ(painter->Lines(), (std::vector<TLine>{{{300, 112, 440, 112}, gtBaseline}}));
  // Delta -401: top at 99 (1 from its top), baseline at 109 (3 from its baseline).
  EXPECT_EQ(MoveBy({0, -401}).second, -398) << "a baseline match ends the search";
  guides.EndDrag();

  EXPECT_TRUE(painter->Lines().empty());
  EXPECT_TRUE(guides.HorzGuides().empty());
  EXPECT_FALSE(guides.DragItem());
  EXPECT_FALSE(guides.Painter());

  // Baseline and top equally far: the baseline decides.
  Begin(Control({0, 500, 40, 520}, 0, 10), {Control({300, 100, 340, 124}, 0, 6)});
  // Delta -402: top 98 (2 short of 100), baseline 108 (2 past 106).
  EXPECT_EQ(MoveBy({0, -402}).second, -404);
}

TEST_F(GuidesFixture, AtEqualDistanceTheLaterAlignGuideWinsAndGuidesOutsideTheParentAreIgnored) {
  // Left edges at 100 and 106, the dragged left edge moved to 103.
  // Right edges far away, so that only the left edges compete.
  Begin(Control({0, 500, 20, 520}), {Control({100, 0, 200, 20}), Control({106, 40, 250, 60})});
  EXPECT_EQ(MoveBy({103, 0}).first, 106);
  guides.EndDrag();

  TGuideDrag drag;
  drag.Item = Control({0, 500, 20, 520});
  drag.ParentClientRect = {0, 0, 104, 1000};
  drag.ContainerClientRect = Surface;
  drag.Painter = IPtr<IGuidelinePainter>(painter.get());
  const std::vector<TGuideItem> others{Control({100, 0, 200, 20}), Control({106, 40, 250, 60})};
  guides.BeginDrag(drag, others);
  Integer dx = 103;
  guides.SetOffset({dx, 0});
  ASSERT_TRUE(guides.SnapMoveX(dx));
  EXPECT_EQ(dx, 100) << "106 lies outside the parent's client area";
}

TEST_F(GuidesFixture, MarginsMeetOnlyBetweenSeparateNeighbours) {
  // Both controls keep 6 pixels of margin; the sibling stands right of the dragged control at the
  // same height.
  const auto sibling = Control({200, 100, 260, 130}, 6);
  Begin(Control({0, 100, 40, 130}, 6), {sibling});
  // Right margin at 46 + dx meets the sibling's left margin at 194 when dx = 148.
  EXPECT_EQ(MoveBy({143, 0}).first, 148);
  // The margin line runs at the middle of their common height, from one to the other; the tops
  // and bottoms line up too.
  ASSERT_EQ(painter->Lines().size(), 3u);
  EXPECT_EQ(painter->Lines()[2], (TLine{{188, 115, 200, 115}, gtMarginLeft}));
  guides.EndDrag();

  // Far below, their horizontal extents never overlap: no margin snap.
  Begin(Control({0, 500, 40, 530}, 6), {sibling});
  EXPECT_EQ(MoveBy({143, 0}).first, std::nullopt);
  guides.EndDrag();

  // An item may report a margin inside itself: margins of overlapping items never meet, those
  // of items that just touch do.
  TGuideItem odd = Control({100, 100, 200, 130});
  odd.Guidelines =
      IPtr<IItemGuidelines>(New<TItemGuidelines>(std::vector<TGuide>{{150, gtMarginLeft}}));
  Begin(Control({0, 100, 40, 130}), {odd});
  EXPECT_EQ(MoveBy({108, 0}).first, std::nullopt);
  guides.EndDrag();
  Begin(Control({0, 130, 40, 160}), {odd});
  EXPECT_EQ(MoveBy({108, 0}).first, 110);
}

TEST_F(GuidesFixture, TheParentsPaddingMeetsTheDraggedMarginFromInside) {
  const auto parent = Parent({0, 0, 400, 400}, 10);
  // The control keeps a margin of 3: its margin meets the padding when its left edge is at 13.
  Begin(Control({100, 100, 140, 130}, 3), {parent});
  EXPECT_EQ(MoveBy({-85, 0}).first, -87);
  EXPECT_EQ(MoveBy({0, -92}).second, -87);
  guides.EndDrag();

  // Padding of another container (not the parent) never meets a margin.
  auto stranger = Parent({0, 0, 400, 400}, 10);
  stranger.IsDragParent = false;
  Begin(Control({500, 100, 540, 130}, 3), {stranger});
  EXPECT_EQ(MoveBy({-487, 0}).first, std::nullopt);
}

TEST_F(GuidesFixture, SizingSnapsTheMovedEdgeOnly) {
  Begin(Control({0, 0, 40, 20}), {Control({100, 200, 150, 220})}, false);
  // The right edge dragged from 40 to 145: it snaps to the sibling's right edge at 150.
  guides.SetOffset({105, 0});
  guides.SetBoundsRect({0, 0, 145, 20});
  Integer right = 145;
  ASSERT_TRUE(guides.SnapRight(right));
  EXPECT_EQ(right, 150);
  EXPECT_EQ(guides.DragItem()->GetBoundsRect(), (TRect{0, 0, 145, 20}))
      << "a size drag does not shift the wrapper by its offset";
}

TEST_F(GuidesFixture, MarginLinesRunBetweenTheTwoItems) {
  // A sibling above with a 4-pixel margin; the dragged control (margin 4) below it, overlapping
  // it horizontally from 20 to 60.
  Begin(Control({20, 200, 100, 230}, 4), {Control({0, 100, 60, 120}, 4)});
  MoveBy({0, -72}); // top margin 124 meets the sibling's bottom margin 124
  const TLine margin{{40, 120, 40, 128}, gtMarginBottom};
  EXPECT_EQ(painter->Lines(), std::vector<TLine>{margin})
      << "at the middle of the overlap, from the sibling's bottom to the dragged top";
  guides.EndDrag();

  // Inside a parent with padding 10: the top margin meets the padding; the line runs from the
  // parent's top down to the control, at the control's middle.
  Begin(Control({100, 100, 140, 130}, 3), {Parent({0, 0, 400, 400}, 10)});
  MoveBy({0, -87});
  EXPECT_EQ(painter->Lines(), (std::vector<TLine>{{{120, 0, 120, 13}, gtPaddingTop}}));
  EXPECT_EQ(MoveBy({0, 240}).second, std::nullopt);
  EXPECT_TRUE(painter->Lines().empty());
  EXPECT_EQ(MoveBy({0, 255}).second, 257);
  EXPECT_EQ(painter->Lines(), (std::vector<TLine>{{{120, 387, 120, 400}, gtPaddingBottom}}));
}

TEST_F(GuidesFixture, AtRestPaintsEveryKindAndKeepsOnlyTheLines) {
  TGuideDrag drag;
  drag.Item = Control({100, 10, 140, 30});
  drag.ParentClientRect = drag.ContainerClientRect = Surface;
  drag.Painter = IPtr<IGuidelinePainter>(painter.get());
  const std::vector<TGuideItem> others{Control({100, 200, 160, 220}), Control({300, 10, 330, 40})};
  guides.PaintAtRest(drag, others);
  EXPECT_EQ(painter->UpdateDepth(), 0);
  EXPECT_EQ(painter->Lines(), (std::vector<TLine>{{{100, 10, 330, 10}, gtAlignTop},
                                                  {{100, 10, 100, 220}, gtAlignLeft}}));
  EXPECT_TRUE(guides.HorzGuides().empty() && guides.VertGuides().empty());
  EXPECT_FALSE(guides.DragItem());
  EXPECT_FALSE(guides.Dragging());
  guides.ClearGuidelines();
  EXPECT_TRUE(painter->Lines().empty());
  EXPECT_FALSE(guides.Painter());
}

TEST_F(GuidesFixture, ItemsFarOffTheSurfaceDoNotOverflow) {
  constexpr Integer far = 2147483600;
  Begin(Control({far, far, far + 40, far + 20}, 6, 10),
        {Control({-far, -far, -far + 40, -far + 20}, 6), Control({0, 0, 40, 20}, 6)});
  for (const TPoint d : {TPoint{far, far}, TPoint{-far - 40, 0}})
    EXPECT_EQ(MoveBy(d), std::pair(std::optional<Integer>(), std::optional<Integer>()));
  EXPECT_EQ(MoveBy({-far + 3, -far - 2}), std::pair(std::optional(-far), std::optional(-far)))
      << "onto the control at the origin";
  EXPECT_EQ(painter->UpdateDepth(), 0);
}

TEST_F(GuidesFixture, AnItemThatFailsToTellItsGuidesEndsTheDrag) {
  struct TFailing : TItemGuidelines {
    using TItemGuidelines::TItemGuidelines;
    Integer GetGuide(Integer index) override {
      if (index == 1) throw EListError("gone");
      return TItemGuidelines::GetGuide(index);
    }
  };
  TGuideItem broken = Control({0, 0, 10, 10});
  broken.Guidelines = IPtr<IItemGuidelines>(new TFailing({{1, gtAlignLeft}, {2, gtAlignTop}}));
  EXPECT_THROW(Begin(Control({50, 50, 60, 60}), {Control({0, 50, 10, 60}), broken}), EListError);
  EXPECT_FALSE(guides.Dragging());
  EXPECT_TRUE(guides.VertGuides().empty());
  EXPECT_FALSE(guides.DragItem());

  Begin(Control({50, 50, 60, 60}), {Control({0, 50, 10, 60})});
  EXPECT_EQ(MoveBy({-47, 0}).first, -50) << "the next drag works";
}

TEST(GuideListsTest, SorterPutsBaselinesFirstAndAdapterDropsMissingGuides) {
  auto source = IPtr<IItemGuidelines>(New<TItemGuidelines>(
      std::vector<TGuide>{{1, gtAlignLeft}, {2, gtBaseline}, {3, gtAlignTop}, {4, gtBaseline}}));
  auto sorted = IPtr<TItemGuidelinesSorter>(New<TItemGuidelinesSorter>(source));
  EXPECT_EQ(
      sorted->Guides(),
      (std::vector<TGuide>{{2, gtBaseline}, {4, gtBaseline}, {1, gtAlignLeft}, {3, gtAlignTop}}));
  EXPECT_THROW(sorted->GetGuide(4), EListError);
  EXPECT_EQ(IPtr<TItemGuidelinesSorter>(New<TItemGuidelinesSorter>(nullptr))->GetCount(), 0);

  struct TTwoGuides : TComponentGuidelines {
    using TComponentGuidelines::TComponentGuidelines;
    Integer GetCount() override { return 3; }
    TDesignerGuideType GetDesignerGuideType(Integer i) override {
      return i == 1 ? gtAlignTop : gtAlignLeft;
    }
    Integer DesignerGuideOffset(Integer i) override { return i == 2 ? NoGuideOffset : 5; }
  };
  auto component = IPtr<IComponentGuidelines>(new TTwoGuides(nullptr));
  auto adapted = ItemGuidelinesOf(component, {100, 200});
  ASSERT_EQ(adapted->GetCount(), 2);
  EXPECT_EQ(adapted->GetGuide(0), 105);
  EXPECT_EQ(adapted->GetGuide(1), 205);
}

// ---- the sorted search against the plain one ------------------------------------------------

/// The plain rule: every candidate of the list tried in order.
std::optional<Integer> PlainAlignSnap(const std::vector<TGuide>& dragged, Integer offset,
                                      const std::vector<TGuideInstance>& list, TGuideTypes allowed,
                                      Integer grid, Integer value) {
  Integer threshold = grid, base = value;
  std::optional<Integer> result;
  for (const TGuide& g : dragged) {
    if (!allowed.Contains(g.GuideType)) continue;
    const Integer p = g.Guide + offset;
    for (const TGuideInstance& c : list) {
      if (c.FGuide < Surface.Left || c.FGuide > Surface.Right || c.FGuideType != g.GuideType)
        continue;
      if (std::abs(c.FGuide - p) <= threshold) {
        threshold = std::abs(c.FGuide - p);
        result = base + (c.FGuide - p);
        if (threshold == 0 || g.GuideType == gtBaseline) return result;
      }
    }
  }
  return result;
}

/// The plain margin rule, every candidate tried in order; `drag` is the dragged item as moved.
std::optional<Integer> PlainMarginSnap(const std::vector<TGuide>& dragged, Integer offset,
                                       const std::vector<TGuideInstance>& list, TGuideTypes allowed,
                                       IItemWrapper& drag, Integer grid, Integer value) {
  const bool horz = allowed.Contains(gtMarginTop) || allowed.Contains(gtMarginBottom);
  const TRect padded = drag.GetPaddedBoundsRect(), bounds = drag.GetBoundsRect();
  const Integer lo = horz ? padded.Left : padded.Top, hi = horz ? padded.Right : padded.Bottom;
  auto opposite = [](TGuideType a, TGuideType b) {
    return (a == gtMarginLeft && b == gtMarginRight) || (a == gtMarginRight && b == gtMarginLeft) ||
           (a == gtMarginTop && b == gtMarginBottom) || (a == gtMarginBottom && b == gtMarginTop);
  };
  auto padding = [](TGuideType a, TGuideType b) {
    return (a == gtPaddingLeft && b == gtMarginLeft) || (a == gtPaddingTop && b == gtMarginTop) ||
           (a == gtPaddingRight && b == gtMarginRight) ||
           (a == gtPaddingBottom && b == gtMarginBottom);
  };
  Integer threshold = grid, base = value;
  std::optional<Integer> result;
  for (const TGuide& g : dragged) {
    if (!allowed.Contains(g.GuideType)) continue;
    const Integer p = g.Guide + offset;
    for (const TGuideInstance& c : list) {
      const bool isParent = c.FItem->IsDragParent;
      const TRect& cb = c.FItem->BoundsRect;
      const bool apart = std::max(cb.Left, bounds.Left) >= std::min(cb.Right, bounds.Right) ||
                         std::max(cb.Top, bounds.Top) >= std::min(cb.Bottom, bounds.Bottom);
      if (!(apart || isParent)) continue;
      if (!(opposite(c.FGuideType, g.GuideType) ||
            (isParent && padding(c.FGuideType, g.GuideType))))
        continue;
      const Integer clo = horz ? c.FGuideRect.Left : c.FGuideRect.Top;
      const Integer chi = horz ? c.FGuideRect.Right : c.FGuideRect.Bottom;
      if (clo > hi || lo > chi) continue;
      if (std::abs(c.FGuide - p) > threshold) continue;
      const Integer alo = horz ? cb.Top : cb.Left, ahi = horz ? cb.Bottom : cb.Right;
      if (isParent && !(p >= Surface.Top && p <= Surface.Bottom && p >= alo && p <= ahi)) continue;
      threshold = std::abs(c.FGuide - p);
      result = base + (c.FGuide - p);
      if (threshold == 0) return result;
    }
  }
  return result;
}

TEST_F(GuidesFixture, SortedSearchAgreesWithTryingEveryCandidate) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<Integer> pos(0, 900), size(5, 60), margin(0, 6);
  std::vector<TGuideItem> others;
  for (int i = 0; i < 300; ++i) {
    const Integer l = pos(rng), t = pos(rng);
    others.push_back(Control({l, t, l + size(rng), t + size(rng)}, margin(rng), 7));
  }
  others.push_back(Parent({0, 0, 1000, 1000}, 12));
  const auto dragged = Control({400, 400, 450, 420}, 3, 7);
  Begin(dragged, others);
  const auto draggedGuides =
      IPtr<TItemGuidelinesSorter>(New<TItemGuidelinesSorter>(dragged.Guidelines))->Guides();
  std::uniform_int_distribution<Integer> delta(-400, 400);
  int snaps = 0, marginSnaps = 0;
  for (int move = 0; move < 500; ++move) {
    const TPoint d{delta(rng), delta(rng)};
    guides.SetOffset(d);
    Integer dx = d.X, dy = d.Y;
    const bool snappedX =
        guides.SnapToAlignGuide(dx, guides.VertGuides(), {gtAlignLeft, gtAlignRight});
    const bool snappedY =
        guides.SnapToAlignGuide(dy, guides.HorzGuides(), {gtAlignTop, gtAlignBottom, gtBaseline});
    const auto plainX = PlainAlignSnap(draggedGuides, d.X, guides.VertGuides(),
                                       {gtAlignLeft, gtAlignRight}, 8, d.X);
    const auto plainY = PlainAlignSnap(draggedGuides, d.Y, guides.HorzGuides(),
                                       {gtAlignTop, gtAlignBottom, gtBaseline}, 8, d.Y);
    ASSERT_EQ(snappedX ? std::optional(dx) : std::nullopt, plainX) << "move " << move;
    ASSERT_EQ(snappedY ? std::optional(dy) : std::nullopt, plainY) << "move " << move;
    snaps += snappedX + snappedY;

    for (const bool horz : {false, true}) {
      const TGuideTypes allowed = horz ? TGuideTypes{gtMarginTop, gtMarginBottom}
                                       : TGuideTypes{gtMarginLeft, gtMarginRight};
      const auto& list = horz ? guides.HorzGuides() : guides.VertGuides();
      Integer v = horz ? d.Y : d.X;
      const bool snapped = guides.SnapToMarginGuide(v, list, allowed);
      const auto plain = PlainMarginSnap(draggedGuides, horz ? d.Y : d.X, list, allowed,
                                         *guides.DragItem(), 8, horz ? d.Y : d.X);
      ASSERT_EQ(snapped ? std::optional(v) : std::nullopt, plain) << "move " << move;
      marginSnaps += snapped;
    }
  }
  EXPECT_GT(snaps, 100) << "the layout is dense enough to snap often";
  EXPECT_GT(marginSnaps, 50);
}

} // namespace
