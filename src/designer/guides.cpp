#include "designer/guides.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "designeditors/guidelines.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace fw {

namespace {

constexpr TGuideTypes HorzAlignTypes{gtAlignTop, gtAlignBottom, gtBaseline};
constexpr TGuideTypes VertAlignTypes{gtAlignLeft, gtAlignRight};
constexpr TGuideTypes HorzMarginTypes{gtMarginTop, gtMarginBottom};

/// Which candidate kind meets which kind of the dragged item at a margin: a sibling's opposite
/// margin, or (the parent only) its padding on the same side.
struct TMarginPair {
  TGuideType Candidate;
  TGuideType Dragged;
  bool ParentOnly;
};
constexpr std::array<TMarginPair, 8> MarginPairs{{
    {gtMarginLeft, gtMarginRight, false},
    {gtMarginRight, gtMarginLeft, false},
    {gtMarginTop, gtMarginBottom, false},
    {gtMarginBottom, gtMarginTop, false},
    {gtPaddingLeft, gtMarginLeft, true},
    {gtPaddingTop, gtMarginTop, true},
    {gtPaddingRight, gtMarginRight, true},
    {gtPaddingBottom, gtMarginBottom, true},
}};

bool MarginPairHolds(TGuideType candidate, TGuideType dragged, bool isParent) {
  for (const TMarginPair& p : MarginPairs)
    if (p.Candidate == candidate && p.Dragged == dragged) return isParent || !p.ParentOnly;
  return false;
}

bool Intersects(const TRect& a, const TRect& b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

/// A candidate's margin guide may meet the dragged item's when the two do not overlap, or when
/// the candidate is the parent (whose padding lies inside it).
bool MarginQualifies(const TGuideInstance& g, TGuideType dragged, const TRect& dragBounds) {
  const bool isParent = g.FItem->IsDragParent;
  if (!isParent && Intersects(g.FItem->BoundsRect, dragBounds)) return false;
  return MarginPairHolds(g.FGuideType, dragged, isParent);
}

/// The extent of `r` across the axis of a guide: Left..Right for a horizontal guide.
std::pair<Integer, Integer> Across(const TRect& r, bool horz) {
  return horz ? std::pair{r.Left, r.Right} : std::pair{r.Top, r.Bottom};
}
/// The extent of `r` along the axis of a guide: Top..Bottom for a horizontal guide.
std::pair<Integer, Integer> Along(const TRect& r, bool horz) {
  return horz ? std::pair{r.Top, r.Bottom} : std::pair{r.Left, r.Right};
}

bool Inside(Int64 v, std::pair<Integer, Integer> range) {
  return v >= range.first && v <= range.second;
}

/// Coordinates of items far off the surface must not overflow: results saturate.
Integer Clamp32(Int64 v) {
  return static_cast<Integer>(std::clamp<Int64>(v, INT32_MIN, INT32_MAX));
}

/// The middle of a..b, rounded toward a.
Integer Mid(Integer a, Integer b) { return Clamp32(a + (Int64{b} - a) / 2); }

/// The first candidate whose guide is at least `value`.
std::vector<TGuideInstance>::const_iterator LowerBound(const std::vector<TGuideInstance>& list,
                                                       Int64 value) {
  return std::partition_point(list.begin(), list.end(),
                              [value](const TGuideInstance& g) { return g.FGuide < value; });
}

TRect Offset(const TRect& r, TPoint d) {
  return {Clamp32(Int64{r.Left} + d.X), Clamp32(Int64{r.Top} + d.Y), Clamp32(Int64{r.Right} + d.X),
          Clamp32(Int64{r.Bottom} + d.Y)};
}

} // namespace

// ---- guide lists ------------------------------------------------------------------------------

TClass TItemGuidelines::StaticClass() {
  static const TClass cls =
      TClassBuilder<TItemGuidelines, TInterfacedObject>("TItemGuidelines", "Guides")
          .Implements<IItemGuidelines>()
          .Build();
  return cls;
}

const TGuide& TItemGuidelines::At(Integer index) const {
  if (index < 0 || index >= static_cast<Integer>(FGuides.size()))
    throw EListError(Format(sListIndexError, index));
  return FGuides[static_cast<std::size_t>(index)];
}

TClass TItemGuidelinesSorter::StaticClass() {
  static const TClass cls =
      TClassBuilder<TItemGuidelinesSorter, TItemGuidelines>("TItemGuidelinesSorter", "Guides")
          .Build();
  return cls;
}

TItemGuidelinesSorter::TItemGuidelinesSorter(const IPtr<IItemGuidelines>& source) {
  if (!source) return;
  const Integer count = source->GetCount();
  FGuides.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (Integer i = 0; i < count; ++i)
    FGuides.push_back({source->GetGuide(i), source->GetGuideType(i)});
  std::stable_partition(FGuides.begin(), FGuides.end(),
                        [](const TGuide& g) { return g.GuideType == gtBaseline; });
}

IPtr<IItemGuidelines> ItemGuidelinesOf(const IPtr<IComponentGuidelines>& guidelines,
                                       TPoint origin) {
  std::vector<TGuide> guides;
  if (guidelines) {
    const Integer count = guidelines->GetCount();
    for (Integer i = 0; i < count; ++i) {
      const Integer offset = guidelines->GetDesignerGuideOffset(i);
      if (offset == NoGuideOffset) continue;
      const TGuideType type = guidelines->GetDesignerGuideType(i);
      guides.push_back({Clamp32(Int64{offset} + (IsHorzGuide(type) ? origin.Y : origin.X)), type});
    }
  }
  return IPtr<IItemGuidelines>(New<TItemGuidelines>(std::move(guides)));
}

// ---- the dragged item -------------------------------------------------------------------------

TClass TItemWrapper::StaticClass() {
  static const TClass cls = TClassBuilder<TItemWrapper, TInterfacedObject>("TItemWrapper", "Guides")
                                .Implements<IItemWrapper>()
                                .Build();
  return cls;
}

TItemWrapper::TItemWrapper(const TDragGuides* owner, const TGuideItem& item)
    : FOwner(owner), FItem(item.Item), FClientRect(item.ClientRect), FBoundsRect(item.BoundsRect),
      FPaddedBoundsRect(item.PaddedBoundsRect), FParentOrigin(item.ParentOrigin) {}

TRect TItemWrapper::Shifted(const TRect& r) const {
  return FOwner && FOwner->Moving() ? Offset(r, FOffset) : r;
}

void TItemWrapper::SetBoundsRect(const TRect& rect) {
  const TRect bounds = Offset(rect, FParentOrigin);
  auto keep = [](Integer edge, Integer oldEdge, Integer oldPadded) {
    return Clamp32(Int64{edge} + (Int64{oldPadded} - oldEdge));
  };
  FPaddedBoundsRect = {keep(bounds.Left, FBoundsRect.Left, FPaddedBoundsRect.Left),
                       keep(bounds.Top, FBoundsRect.Top, FPaddedBoundsRect.Top),
                       keep(bounds.Right, FBoundsRect.Right, FPaddedBoundsRect.Right),
                       keep(bounds.Bottom, FBoundsRect.Bottom, FPaddedBoundsRect.Bottom)};
  FBoundsRect = bounds;
}

// ---- the guide state --------------------------------------------------------------------------

bool TDragGuides::CanSnap() const noexcept {
  return FGuidelines && !FGridSnapDisabled && FPainter && FDragWrapper;
}

void TDragGuides::BeginDrag(const TGuideDrag& drag, std::span<const TGuideItem> candidates) {
  EndDrag();
  FDragging = true;
  FMoving = drag.Moving;
  if (!FGuidelines) return;
  FPainter = drag.Painter;
  FAllowedHorzGuides = drag.AllowedHorz;
  FAllowedVertGuides = drag.AllowedVert;
  try {
    SetUp(drag, candidates);
    GenerateGuidelines();
  } catch (...) {
    EndDrag();
    throw;
  }
}

void TDragGuides::SetUp(const TGuideDrag& drag, std::span<const TGuideItem> candidates) {
  FParentClientRect = drag.ParentClientRect;
  FContainerClientRect = drag.ContainerClientRect;
  GetGuides(candidates);
  auto* sorter = New<TItemGuidelinesSorter>(drag.Item.Guidelines);
  FDragGuide = IPtr<IItemGuidelines>(sorter);
  FDragGuides = sorter->Guides();
  FDragWrapper = New<TItemWrapper>(this, drag.Item);
  FDragItem = IPtr<IItemWrapper>(FDragWrapper);
}

void TDragGuides::Forget() {
  FHorzGuides.clear();
  FVertGuides.clear();
  FItems.clear();
  FDragGuide = nullptr;
  FDragGuides.clear();
  FDragItem = nullptr;
  FDragWrapper = nullptr;
}

void TDragGuides::EndDrag() {
  if (!FDragging) return;
  FDragging = false;
  FMoving = false;
  Forget();
  IPtr<IGuidelinePainter> painter = std::move(FPainter);
  FPainter = nullptr;
  if (painter) painter->Clear();
}

void TDragGuides::SetOffset(TPoint offset) {
  if (FDragWrapper) FDragWrapper->SetOffset(offset);
}

void TDragGuides::SetBoundsRect(const TRect& rect) {
  if (FDragWrapper) FDragWrapper->SetBoundsRect(rect);
}

bool TDragGuides::SnapMoveX(Integer& dx) {
  return SnapToMarginGuide(dx, FVertGuides, {gtMarginLeft, gtMarginRight}) ||
         SnapToAlignGuide(dx, FVertGuides, {gtAlignLeft, gtAlignRight});
}

bool TDragGuides::SnapMoveY(Integer& dy) {
  return SnapToMarginGuide(dy, FHorzGuides, {gtMarginTop, gtMarginBottom}) ||
         SnapToAlignGuide(dy, FHorzGuides, {gtAlignTop, gtAlignBottom, gtBaseline});
}

bool TDragGuides::SnapLeft(Integer& left) {
  return SnapToMarginGuide(left, FVertGuides, {gtMarginLeft}) ||
         SnapToAlignGuide(left, FVertGuides, {gtAlignLeft});
}

bool TDragGuides::SnapTop(Integer& top) {
  return SnapToMarginGuide(top, FHorzGuides, {gtMarginTop}) ||
         SnapToAlignGuide(top, FHorzGuides, {gtAlignTop});
}

bool TDragGuides::SnapRight(Integer& right) {
  return SnapToMarginGuide(right, FVertGuides, {gtMarginRight}) ||
         SnapToAlignGuide(right, FVertGuides, {gtAlignRight});
}

bool TDragGuides::SnapBottom(Integer& bottom) {
  return SnapToMarginGuide(bottom, FHorzGuides, {gtMarginBottom}) ||
         SnapToAlignGuide(bottom, FHorzGuides, {gtAlignBottom});
}

void TDragGuides::GetGuides(std::span<const TGuideItem> candidates) {
  FHorzGuides.clear();
  FVertGuides.clear();
  FItems.clear();
  FItems.reserve(candidates.size());
  for (const TGuideItem& c : candidates)
    if (c.Guidelines) FItems.push_back(c);
  // FItems does not grow from here on, so the instances may point into it.
  for (const TGuideItem& item : FItems) {
    const Integer count = item.Guidelines->GetCount();
    for (Integer j = 0; j < count; ++j) {
      TGuideInstance g{item.Guidelines->GetGuide(j), item.Guidelines->GetGuideType(j), &item,
                       item.PaddedBoundsRect};
      (IsHorzGuide(g.FGuideType) ? FHorzGuides : FVertGuides).push_back(g);
    }
  }
  auto byValue = [](const TGuideInstance& a, const TGuideInstance& b) {
    return a.FGuide < b.FGuide;
  };
  std::stable_sort(FHorzGuides.begin(), FHorzGuides.end(), byValue);
  std::stable_sort(FVertGuides.begin(), FVertGuides.end(), byValue);
}

// Only candidates within the threshold of a guide can snap, and the threshold never grows, so
// each guide of the dragged item scans just the sorted run around its own value; within that
// run the candidates are tried in list order, which keeps "the later one wins" at a tie.
bool TDragGuides::SnapToAlignGuide(Integer& value, const std::vector<TGuideInstance>& list,
                                   TGuideTypes allowed) {
  if (!CanSnap()) return false;
  const bool horz = !(allowed * HorzAlignTypes).Empty();
  const Int64 base = value;
  Int64 threshold = horz ? FGridSize.Y : FGridSize.X;
  const Int64 offset = horz ? FDragWrapper->GetOffset().Y : FDragWrapper->GetOffset().X;
  const auto client = Along(FParentClientRect, horz);
  bool snapped = false;
  for (const TGuide& guide : FDragGuides) {
    if (!allowed.Contains(guide.GuideType)) continue;
    const Int64 p = guide.Guide + offset;
    for (auto it = LowerBound(list, std::max(p - threshold, Int64{client.first}));
         it != list.end() && it->FGuide <= client.second && it->FGuide - p <= threshold; ++it) {
      if (it->FGuideType != guide.GuideType) continue;
      const Int64 distance = std::llabs(it->FGuide - p);
      if (distance > threshold) continue;
      snapped = true;
      threshold = distance;
      value = Clamp32(base + (it->FGuide - p));
      if (distance == 0 || guide.GuideType == gtBaseline) return true;
    }
  }
  return snapped;
}

bool TDragGuides::SnapToMarginGuide(Integer& value, const std::vector<TGuideInstance>& list,
                                    TGuideTypes allowed) {
  if (!CanSnap()) return false;
  const bool horz = !(allowed * HorzMarginTypes).Empty();
  const Int64 base = value;
  Int64 threshold = horz ? FGridSize.Y : FGridSize.X;
  const Int64 offset = horz ? FDragWrapper->GetOffset().Y : FDragWrapper->GetOffset().X;
  const auto dragAcross = Across(FDragWrapper->GetPaddedBoundsRect(), horz);
  const TRect dragBounds = FDragWrapper->GetBoundsRect();
  const auto container = Along(FContainerClientRect, horz);
  bool snapped = false;
  for (const TGuide& guide : FDragGuides) {
    if (!allowed.Contains(guide.GuideType)) continue;
    const Int64 p = guide.Guide + offset;
    for (auto it = LowerBound(list, p - threshold); it != list.end() && it->FGuide - p <= threshold;
         ++it) {
      const TGuideInstance& g = *it;
      if (!MarginQualifies(g, guide.GuideType, dragBounds)) continue;
      const auto across = Across(g.FGuideRect, horz);
      if (across.first > dragAcross.second || dragAcross.first > across.second) continue;
      const Int64 distance = std::llabs(g.FGuide - p);
      if (distance > threshold) continue;
      if (g.FItem->IsDragParent &&
          !(Inside(p, container) && Inside(p, Along(g.FItem->BoundsRect, horz))))
        continue;
      snapped = true;
      threshold = distance;
      value = Clamp32(base + (g.FGuide - p));
      if (distance == 0) return true;
    }
  }
  return snapped;
}

void TDragGuides::GenerateGuidelines() {
  if (!FPainter || !FDragWrapper) return;
  IPtr<IGuidelinePainter> painter = FPainter;
  painter->BeginUpdate();
  TOnExit end([&] { painter->EndUpdate(); });
  painter->Clear();
  AddLines(true);
  AddLines(false);
}

void TDragGuides::AddLines(bool horz) {
  const std::vector<TGuideInstance>& list = horz ? FHorzGuides : FVertGuides;
  const TGuideTypes allowed = horz ? FAllowedHorzGuides : FAllowedVertGuides;
  const TGuideTypes alignTypes = horz ? HorzAlignTypes : VertAlignTypes;
  // The margin kinds whose line runs from the dragged item onwards rather than towards it.
  const TGuideTypes fromDragged =
      horz ? TGuideTypes{gtMarginTop, gtPaddingBottom} : TGuideTypes{gtMarginLeft, gtPaddingRight};
  const Int64 offset = horz ? FDragWrapper->GetOffset().Y : FDragWrapper->GetOffset().X;
  const TRect drag = FDragWrapper->GetBoundsRect();
  const TRect padded = FDragWrapper->GetPaddedBoundsRect();
  const auto dragAcross = Across(padded, horz);
  const auto container = Along(FContainerClientRect, horz);
  // Lines are built in (along, across) terms and turned into rectangles at the end.
  auto line = [horz](Integer at, Integer from, Integer to) {
    return horz ? TRect{from, at, to, at} : TRect{at, from, at, to};
  };
  auto crossLine = [horz](Integer at, Integer from, Integer to) {
    return horz ? TRect{at, from, at, to} : TRect{from, at, to, at};
  };
  for (const TGuide& guide : FDragGuides) {
    if (!allowed.Contains(guide.GuideType)) continue;
    const Int64 p = guide.Guide + offset;
    if (p < INT32_MIN || p > INT32_MAX) continue;
    const auto at = static_cast<Integer>(p);
    for (auto it = LowerBound(list, p); it != list.end() && it->FGuide == p; ++it) {
      const TGuideInstance& g = *it;
      const TRect& other = g.FItem->BoundsRect;
      const auto [dragLo, dragHi] = Across(drag, horz);
      const auto [otherLo, otherHi] = Across(other, horz);
      if (alignTypes.Contains(g.FGuideType)) {
        if (g.FGuideType != guide.GuideType || !Inside(g.FGuide, container)) continue;
        FPainter->AddGuide(otherLo >= dragLo ? line(at, dragLo, otherHi)
                                             : line(at, otherLo, dragHi),
                           g.FGuideType);
        continue;
      }
      if (!MarginQualifies(g, guide.GuideType, drag)) continue;
      const auto across = Across(g.FGuideRect, horz);
      if (across.first > dragAcross.second || dragAcross.first > across.second) continue;
      const bool isParent = g.FItem->IsDragParent;
      const Integer mid = isParent ? Mid(dragLo, dragHi)
                                   : Mid(std::max(dragAcross.first, across.first),
                                         std::min(dragAcross.second, across.second));
      const auto [dragStart, dragEnd] = Along(drag, horz);
      const auto [otherStart, otherEnd] = Along(other, horz);
      const bool onward = fromDragged.Contains(g.FGuideType);
      TRect r;
      if (isParent)
        r = onward ? crossLine(mid, dragEnd, otherEnd) : crossLine(mid, otherStart, dragStart);
      else
        r = onward ? crossLine(mid, dragEnd, otherStart) : crossLine(mid, otherEnd, dragStart);
      FPainter->AddGuide(r, g.FGuideType);
    }
  }
}

void TDragGuides::PaintAtRest(const TGuideDrag& drag, std::span<const TGuideItem> candidates) {
  if (!FGuidelines || FDragging || !drag.Painter) return;
  FPainter = drag.Painter;
  IPtr<IGuidelinePainter> painter = FPainter;
  painter->BeginUpdate();
  TOnExit end([&] {
    Forget();
    painter->EndUpdate();
  });
  painter->Clear();
  FAllowedHorzGuides = HorzGuideTypes;
  FAllowedVertGuides = VertGuideTypes;
  SetUp(drag, candidates);
  GenerateGuidelines();
}

void TDragGuides::ClearGuidelines() {
  if (!FPainter) return;
  IPtr<IGuidelinePainter> painter = FPainter;
  if (!FDragging) FPainter = nullptr;
  painter->Clear();
}

} // namespace fw
