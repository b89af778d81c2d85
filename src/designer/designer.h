// Designer: the drag state machine of a design surface. It turns presses, moves, releases and
// design keys into selections, rubber-band selection, creation with a palette tool, moves and
// resizes by grab handle or keyboard, snapping offsets to the grid (and, while the guides are
// on, to the edges and margins of other items). It changes items only through IItem.
#pragma once

#include "designer/guides.h"
#include "designintf/surfaceintf.h"

#include <vector>

namespace fw {

class TDesigner : public TInterfacedObject, public ISurfaceDesigner, public IDesignSurfaceListener {
  FW_CLASS(TDesigner)
public:
  /// Registers with `surface` and reads its grab handles (when there is a surface). Grid 8 x 8,
  /// snapping and guides on.
  TDesigner(const IPtr<IDesignSurface>& surface, const IPtr<ISelections>& selections,
            const IPtr<ITools>& tools);
  ~TDesigner() override;

  // ISurfaceDesigner
  /// Cancels any drag, unregisters from the surface and drops it; every later call that needs
  /// the surface does nothing.
  void Close() override;
  /// Ends the drag without its finishing step (IDesignSurfaceListener too).
  void CancelDragging() override { DragCancel(); }
  bool GetLocked() override { return FLocked; }
  TPoint GetGridSize() override { return FGridSize; }
  /// No moves or sizes while locked; rubber band and selection still work.
  void Lock() override;
  /// Redraws the grab handles and tells the surface the module changed.
  void Modified() override;
  TPoint PointToGrid(const TPoint& point, bool force) override;
  void SetGridSize(const TPoint& size) override { FGridSize = size; }
  void Unlock() override;
  bool GetGridAligned() override { return FGridAlign; }
  void SetGridAligned(bool value) override { FGridAlign = value; }
  bool GetGuidelines() override { return FGuidelines; }
  void SetGuidelines(bool value) override { FGuidelines = value; }
  IPtr<ISelections> GetSelections() override { return FSelections; }
  TDragAction GetDragAction() override { return FDragAction; }

  // IDesignSurfaceListener
  /// Cancels any drag first. A null item (no item under the mouse) counts as the root. If
  /// anything raises, the drag action is daNone and the exception passes on.
  void MouseDown(const IPtr<IItem>& item, TShiftState shift, Integer x, Integer y, bool doubleClick,
                 TMoveAffects affects, bool noDrag) override;
  void MouseMove(Integer x, Integer y) override;
  /// Ends the drag and runs its finishing step.
  void MouseUp(Integer x, Integer y) override;
  void Key(TDesignKeyCode code, TShiftState shift, bool keyUp) override;

  // Selection operations.
  void BeginSelect();
  void EndSelect();
  void ClearSelection();
  /// The selected item when exactly one is selected, else null.
  IPtr<IItem> SelectedItem();
  /// Null does nothing. `extend` toggles the item, otherwise it becomes the only selection.
  /// Outside a drag the grab handles follow (on the single selected item, else none).
  void Select(const IPtr<IItem>& item, bool extend);
  /// Deselects every item whose parent is not `parent`.
  void ForceCommonSelectParent(const IPtr<IItem>& parent);
  /// True when the surface's root item is selected.
  bool IsDesignerSelected();
  void Edit(const IPtr<IItem>& item);
  /// Cancels any drag and lets the surface delete the selection.
  void DeleteSelection();

  /// Snaps `value` to the nearest line offset + k * grid (halfway to the higher one). Unless
  /// `force`, returns `value` while snapping is off or disabled by the surface; a grid step
  /// below 1 never snaps.
  Integer SnapToGrid(Integer value, Integer offset, Integer grid, bool force);
  /// The keyboard move (or, with `resize`, size by the right and bottom edges) of the
  /// selection. Nothing when nothing is selected or controls are locked; the surface's
  /// ValidateModification may raise before anything changes. No minimum size is enforced here.
  void MoveBy(const TPoint& delta, bool resize);
  /// The nearest sibling of `item` in the arrow's direction; null when none qualifies.
  IPtr<IItem> FindNearestItem(const IPtr<IItem>& item, TDesignKeyCode code);

  // State, for hosts and tests.
  const TRect& DragRect() const noexcept { return FDragRect; }
  const TPoint& Anchor() const noexcept { return FAnchor; }
  const IPtr<IItem>& DragParent() const noexcept { return FDragParent; }
  const IPtr<IDesignSurface>& DesignSurface() const noexcept { return FDesignSurface; }
  const TDragGuides& Guides() const noexcept { return FGuides; }

private:
  void DragBegin(Integer x, Integer y);
  void DragTo(Integer x, Integer y);
  void DragEnd(Integer x, Integer y, bool accept);
  void DragCancel() { DragEnd(0, 0, false); }
  TRect GetDragRect(const TPoint& point, bool gridOnly);
  Integer SnapEdge(Integer edge, Integer delta, Integer bias, Integer origin, Integer grid);
  void DragBoxesOn();
  void DragBoxesMoveTo(const TRect& rect);
  void DragBoxesOff();
  void DoDragCreate();
  void DoDragSelect();
  void DoDragMove();
  void DoDragSize();
  void SetGrabHandles(const IPtr<IItem>& item);
  void ShowHandlesOnSingle();
  void MakeFirstSelection(const IPtr<IItem>& item);
  void ArrowAction(TDesignKeyCode code, TShiftState shift);
  void EscapeAction();

  // Alignment guides: snapping to other items' edges and painting the lines.
  TGuideItem GuideItemOf(const IPtr<IDesignSurface>& surface, const IPtr<IItem>& item,
                         const IPtr<IItemEx>& itemEx, bool isParent);
  /// The dragged (first selected) item and the candidates: the items the selection does not
  /// cover, then the container item. False when the first item offers no guides.
  bool CollectGuides(TGuideDrag& drag, std::vector<TGuideItem>& candidates);
  void GuidesBegin();
  bool GuideSnapMoveX(Integer& dx);
  bool GuideSnapMoveY(Integer& dy);
  bool GuideSnapSide(TMoveAffect side, Integer& edge);
  void GuidesSetOffset(const TPoint& offset);
  void GuidesSetBounds(const TRect& rect);
  void GuidesRepaint();
  void GuidesEnd();
  void GuidesAtRest();
  void GuidesKeyUp();

  IPtr<IDesignSurface> FDesignSurface;
  IPtr<ISelections> FSelections;
  IPtr<IGrabHandles> FGrabHandles;
  IPtr<ITools> FTools;
  TPoint FGridSize{8, 8};
  TPoint FAnchor;
  TRect FDragRect;
  TMoveAffects FDragAffects = AllMoveAffects;
  TDragAction FDragAction = daNone;
  TRect FOriginalBounds;
  bool FLocked = false;
  bool FGridAlign = true;
  bool FGuidelines = true;
  IPtr<IItem> FDragParent;
  IPtr<IDragBoxes> FBoxes;
  IPtr<IDragBoxesEx> FBoxesEx;
  TDragGuides FGuides;
  /// The guide lines are painted (during a drag, or at rest while a modifier is held).
  bool FGuidesPainted = false;
  /// Re-entrance guard of Close.
  bool FClosing = false;
};

} // namespace fw
