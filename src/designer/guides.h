// Alignment guides: while a control is moved or sized, its moving edges snap to the edges,
// baselines and margins of the other controls, and thin lines show which alignment holds.
//
// The designer hands the guides snapshots of its items (TGuideItem, in surface coordinates), so
// this unit needs nothing of the surface's item interfaces. One drag, as the designer runs it:
//
//   TDragGuides guides;                         // one per designer, lives as long as it
//   guides.SetGridSize({8, 8});
//   guides.BeginDrag(drag, candidates);         // sorts every candidate guide once, paints
//   // each mouse move of a move drag, with delta the raw mouse delta:
//   guides.SetOffset(delta);
//   Integer dx = delta.X;
//   if (!guides.SnapMoveX(dx)) dx = <grid snap of delta.X>;   // likewise Y with SnapMoveY
//   guides.SetOffset({dx, dy});
//   guides.GenerateGuidelines();
//   // a size drag instead gives SetOffset(delta), SetBoundsRect(unsnapped rectangle), snaps
//   // each moved side with SnapLeft/SnapTop/SnapRight/SnapBottom, and SetBoundsRect(result)
//   guides.EndDrag();                           // empties the lists, erases the lines
//
// Candidate guides are kept sorted by value, so a snap looks only at the guides within the grid
// step of the moving edge (binary search) and painting only at the guides equal to it.
#pragma once

#include "basert/exceptions.h"
#include "basert/object.h"
#include "designintf/guideintf.h"

#include <span>
#include <vector>

namespace fw {

/// A fixed list of guides; what an item that knows its guides up front hands out.
class TItemGuidelines : public TInterfacedObject, public IItemGuidelines {
  FW_CLASS(TItemGuidelines)
public:
  explicit TItemGuidelines(std::vector<TGuide> guides = {}) : FGuides(std::move(guides)) {}
  Integer GetCount() override { return static_cast<Integer>(FGuides.size()); }
  TGuideType GetGuideType(Integer index) override { return At(index).GuideType; }
  Integer GetGuide(Integer index) override { return At(index).Guide; }
  const std::vector<TGuide>& Guides() const noexcept { return FGuides; }

protected:
  const TGuide& At(Integer index) const;
  std::vector<TGuide> FGuides;
};

/// The guides of another list with every baseline first (in source order), then the rest (in
/// source order), so that a dragged item tries its baseline before its edges. A nil source
/// gives no guides.
class TItemGuidelinesSorter : public TItemGuidelines {
  FW_CLASS(TItemGuidelinesSorter)
public:
  explicit TItemGuidelinesSorter(const IPtr<IItemGuidelines>& source);
};

/// The guides a component's registered guidelines report (offsets in its container), moved by
/// `origin` (where the container's origin lies on the surface); "no guide" offsets are dropped.
IPtr<IItemGuidelines> ItemGuidelinesOf(const IPtr<IComponentGuidelines>& guidelines, TPoint origin);

/// One item as the guides see it: a snapshot in surface coordinates, taken at drag begin.
struct TGuideItem {
  /// The designer's own item; only handed back by IItemWrapper::GetItem.
  IPtr<IInterface> Item;
  /// Nil offers no guides.
  IPtr<IItemGuidelines> Guidelines;
  TRect BoundsRect;
  /// The bounds grown by the item's margins.
  TRect PaddedBoundsRect;
  TRect ClientRect;
  /// Where the origin of the item's parent lies on the surface: maps a rectangle given in the
  /// parent's coordinates (SetBoundsRect during a size) to the surface.
  TPoint ParentOrigin;
  /// A candidate that is the dragged item's parent: its padding guides match the dragged
  /// item's margins, and it may overlap the dragged item.
  bool IsDragParent = false;
};

/// The dragged item with its current drag offset.
struct IItemWrapper : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{9176628C-79F0-47AD-865D-6EB4F70D9D6A}");
  /// Edges of the bounds; during a move shifted by the offset, like every rectangle below.
  virtual Integer Left() = 0;
  virtual Integer Top() = 0;
  virtual Integer Right() = 0;
  virtual Integer Bottom() = 0;
  virtual TPoint GetOffset() = 0;
  virtual Integer PaddedLeft() = 0;
  virtual Integer PaddedTop() = 0;
  virtual Integer PaddedRight() = 0;
  virtual Integer PaddedBottom() = 0;
  virtual IPtr<IInterface> GetItem() = 0;
  virtual TRect GetBoundsRect() = 0;
  virtual TRect GetPaddedBoundsRect() = 0;
  virtual TRect GetClientRect() = 0;
  virtual void SetOffset(TPoint offset) = 0;
  /// During a size: the new bounds in the parent's coordinates; the padded bounds keep the
  /// margins they had.
  virtual void SetBoundsRect(const TRect& rect) = 0;
};

class TDragGuides;

/// IItemWrapper over a TGuideItem snapshot. Shifts by the offset only while its owner moves.
class TItemWrapper : public TInterfacedObject, public IItemWrapper {
  FW_CLASS(TItemWrapper)
public:
  /// `owner` (not counted) tells whether the drag is a move; nil counts as never moving.
  TItemWrapper(const TDragGuides* owner, const TGuideItem& item);
  Integer Left() override { return GetBoundsRect().Left; }
  Integer Top() override { return GetBoundsRect().Top; }
  Integer Right() override { return GetBoundsRect().Right; }
  Integer Bottom() override { return GetBoundsRect().Bottom; }
  TPoint GetOffset() override { return FOffset; }
  Integer PaddedLeft() override { return GetPaddedBoundsRect().Left; }
  Integer PaddedTop() override { return GetPaddedBoundsRect().Top; }
  Integer PaddedRight() override { return GetPaddedBoundsRect().Right; }
  Integer PaddedBottom() override { return GetPaddedBoundsRect().Bottom; }
  IPtr<IInterface> GetItem() override { return FItem; }
  TRect GetBoundsRect() override { return Shifted(FBoundsRect); }
  TRect GetPaddedBoundsRect() override { return Shifted(FPaddedBoundsRect); }
  TRect GetClientRect() override { return Shifted(FClientRect); }
  void SetOffset(TPoint offset) override { FOffset = offset; }
  void SetBoundsRect(const TRect& rect) override;

private:
  TRect Shifted(const TRect& r) const;
  const TDragGuides* FOwner;
  IPtr<IInterface> FItem;
  TRect FClientRect;
  TRect FBoundsRect;
  TRect FPaddedBoundsRect;
  TPoint FParentOrigin;
  TPoint FOffset;
};

/// One candidate guide of another item. Its item is a record of the owning TDragGuides, valid
/// until the lists are emptied.
struct TGuideInstance {
  Integer FGuide = 0;
  TGuideType FGuideType = gtAlignLeft;
  const TGuideItem* FItem = nullptr;
  /// The item's padded bounds in surface coordinates.
  TRect FGuideRect;
};

/// What the designer knows of a drag when it begins.
struct TGuideDrag {
  /// The dragged item: the first selected one.
  TGuideItem Item;
  /// The client rectangle of the dragged item's parent, as the parent reports it: align
  /// guides outside it on the axis are ignored.
  TRect ParentClientRect;
  /// The client rectangle of the surface's container item, as it reports it.
  TRect ContainerClientRect;
  /// The kinds painted during the drag.
  TGuideTypes AllowedHorz;
  TGuideTypes AllowedVert;
  /// A move (the offset shifts the dragged item) rather than a size.
  bool Moving = true;
  /// The surface's painter; without one nothing snaps to a guide and nothing is painted.
  IPtr<IGuidelinePainter> Painter;
};

/// The guide state of one designer: the candidate guides of the other items, the dragged item
/// and its guides, the snapping rules and the painting of the lines.
class TDragGuides {
public:
  TDragGuides() = default;
  TDragGuides(const TDragGuides&) = delete;
  TDragGuides& operator=(const TDragGuides&) = delete;
  ~TDragGuides() = default;

  /// Guides on (the designer's switch); True at creation.
  bool GetGuidelines() const noexcept { return FGuidelines; }
  void SetGuidelines(bool value) noexcept { FGuidelines = value; }
  /// The grid step per axis: a guide snaps within that distance.
  TPoint GetGridSize() const noexcept { return FGridSize; }
  void SetGridSize(TPoint size) noexcept { FGridSize = size; }
  /// The surface's grid-snap switch: True turns snapping to guides off.
  void SetGridSnapDisabled(bool value) noexcept { FGridSnapDisabled = value; }
  bool GetGridSnapDisabled() const noexcept { return FGridSnapDisabled; }

  /// Starts a drag: with guides on, collects the candidates' guides (GetGuides), sorts the
  /// dragged item's guides baseline first, wraps the dragged item and paints. With guides off
  /// it only remembers that a drag runs. Candidates are the surface's items not covered by the
  /// selection, then the container item; those without guidelines add nothing. What an item
  /// or the painter raises passes on, with the drag ended.
  void BeginDrag(const TGuideDrag& drag, std::span<const TGuideItem> candidates);
  /// Ends the drag: empties both lists, erases the painted lines and drops the dragged item and
  /// the painter. Nothing when no drag runs.
  void EndDrag();
  bool Dragging() const noexcept { return FDragging; }
  /// A move rather than a size is running: the wrapper shifts by its offset.
  bool Moving() const noexcept { return FDragging && FMoving; }

  /// The dragged item's offset (the mouse delta, then the snapped offset for painting).
  void SetOffset(TPoint offset);
  /// During a size: the dragged item's rectangle in its parent's coordinates.
  void SetBoundsRect(const TRect& rect);

  /// A move: snaps the X offset to a margin guide, else to an align guide; False (the value
  /// unchanged) when none is within the grid step and the grid decides.
  bool SnapMoveX(Integer& dx);
  /// A move: snaps the Y offset to a margin guide, else to an align guide (baselines first).
  bool SnapMoveY(Integer& dy);
  /// A size: snaps one moved edge (its coordinate in the parent) to a margin guide of that side,
  /// else to an align guide of that side.
  bool SnapLeft(Integer& left);
  bool SnapTop(Integer& top);
  bool SnapRight(Integer& right);
  bool SnapBottom(Integer& bottom);

  /// The guides of the candidates, sorted by value per axis. Empties the lists first.
  void GetGuides(std::span<const TGuideItem> candidates);
  /// Moves `value` by the distance between a guide of the dragged item whose kind is in
  /// `allowed` and the nearest candidate of the same kind in `list` within the grid step; at
  /// equal distance the later candidate wins, and a baseline match ends the search at once.
  bool SnapToAlignGuide(Integer& value, const std::vector<TGuideInstance>& list,
                        TGuideTypes allowed);
  /// Like SnapToAlignGuide for margins: a candidate's opposite margin (not overlapping the
  /// dragged item), or the parent's padding on the same side, within the grid step.
  bool SnapToMarginGuide(Integer& value, const std::vector<TGuideInstance>& list,
                         TGuideTypes allowed);
  /// Repaints the lines of every alignment that holds exactly at the current offset.
  void GenerateGuidelines();
  /// Paints the lines of `drag.Item` at rest (every kind allowed) and forgets everything but
  /// the painter, which keeps the lines until ClearGuidelines.
  void PaintAtRest(const TGuideDrag& drag, std::span<const TGuideItem> candidates);
  /// Erases the painted lines; outside a drag also drops the painter.
  void ClearGuidelines();

  const std::vector<TGuideInstance>& HorzGuides() const noexcept { return FHorzGuides; }
  const std::vector<TGuideInstance>& VertGuides() const noexcept { return FVertGuides; }
  TGuideTypes AllowedHorzGuides() const noexcept { return FAllowedHorzGuides; }
  TGuideTypes AllowedVertGuides() const noexcept { return FAllowedVertGuides; }
  /// Nil outside a drag with guides.
  const IPtr<IItemWrapper>& DragItem() const noexcept { return FDragItem; }
  const IPtr<IItemGuidelines>& DragGuide() const noexcept { return FDragGuide; }
  const IPtr<IGuidelinePainter>& Painter() const noexcept { return FPainter; }

private:
  /// Guides on, snapping allowed and a painter present.
  bool CanSnap() const noexcept;
  void SetUp(const TGuideDrag& drag, std::span<const TGuideItem> candidates);
  void Forget();
  void AddLines(bool horz);

  bool FGuidelines = true;
  bool FGridSnapDisabled = false;
  TPoint FGridSize{8, 8};
  bool FDragging = false;
  bool FMoving = false;
  std::vector<TGuideItem> FItems;
  std::vector<TGuideInstance> FHorzGuides;
  std::vector<TGuideInstance> FVertGuides;
  IPtr<IItemGuidelines> FDragGuide;
  /// FDragGuide's guides, read without a virtual call per snap.
  std::vector<TGuide> FDragGuides;
  IPtr<IItemWrapper> FDragItem;
  TItemWrapper* FDragWrapper = nullptr;
  TGuideTypes FAllowedHorzGuides;
  TGuideTypes FAllowedVertGuides;
  TRect FParentClientRect;
  TRect FContainerClientRect;
  IPtr<IGuidelinePainter> FPainter;
};

} // namespace fw
