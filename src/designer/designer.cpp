#include "designer/designer.h"

#include "basert/classbuilder.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace fw {

TClass TDesigner::StaticClass() {
  static const TClass cls = TClassBuilder<TDesigner, TInterfacedObject>("TDesigner", "Designer")
                                .Implements<ISurfaceDesigner, IDesignSurfaceListener>()
                                .Build();
  return cls;
}

namespace {

bool Same(const IPtr<IItem>& a, const IPtr<IItem>& b) {
  if (a == b) return true;
  return a && b && a->Equals(b);
}

TRect Ordered(TPoint a, TPoint b) {
  return {std::min(a.X, b.X), std::min(a.Y, b.Y), std::max(a.X, b.X), std::max(a.Y, b.Y)};
}

TRect Offset(const TRect& r, Integer dx, Integer dy) {
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

bool Intersects(const TRect& a, const TRect& b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

/// Distance between the extents [lo1, hi1] and [lo2, hi2] on one axis; 0 when they overlap.
Integer Gap(Integer lo1, Integer hi1, Integer lo2, Integer hi2) {
  if (lo1 > hi2) return lo1 - hi2;
  if (hi1 < lo2) return lo2 - hi1;
  return 0;
}

TPoint ArrowStep(TDesignKeyCode code) {
  switch (code) {
  case dkLeft:
    return {-1, 0};
  case dkUp:
    return {0, -1};
  case dkRight:
    return {1, 0};
  case dkDown:
    return {0, 1};
  default:
    return {0, 0};
  }
}

} // namespace

TDesigner::TDesigner(const IPtr<IDesignSurface>& surface, const IPtr<ISelections>& selections,
                     const IPtr<ITools>& tools)
    : FDesignSurface(surface), FSelections(selections), FTools(tools) {
  if (FDesignSurface) {
    FDesignSurface->AddListener(IPtr<IDesignSurfaceListener>(this));
    FGrabHandles = FDesignSurface->GetGrabHandles();
  }
}

TDesigner::~TDesigner() { Close(); }

void TDesigner::Close() {
  if (FClosing || !FDesignSurface) return;
  // Declared first, released last: keeps this object alive while the surface lets go of it.
  // From the destructor there is no count left to hold.
  IPtr<IDesignSurfaceListener> self;
  if (RefCount() > 0) self = IPtr<IDesignSurfaceListener>(this);
  FClosing = true;
  DragCancel();
  IPtr<IDesignSurface> surface = std::move(FDesignSurface);
  if (self) surface->RemoveListener(self);
  FClosing = false;
}

// ---- Selection -------------------------------------------------------------------------------

void TDesigner::BeginSelect() {
  if (FSelections) FSelections->BeginSelections();
}

void TDesigner::EndSelect() {
  if (FSelections) FSelections->EndSelections();
}

void TDesigner::ClearSelection() {
  if (FSelections) FSelections->Clear();
}

IPtr<IItem> TDesigner::SelectedItem() {
  return FSelections && FSelections->GetCount() == 1 ? FSelections->GetItems(0) : nullptr;
}

void TDesigner::Select(const IPtr<IItem>& item, bool extend) {
  if (!item || !FSelections) return;
  BeginSelect();
  try {
    if (extend) {
      FSelections->Toggle(item);
    } else {
      FSelections->Clear();
      FSelections->Add(item);
    }
  } catch (...) {
    EndSelect();
    throw;
  }
  EndSelect();
  if (FDragAction == daNone) SetGrabHandles(SelectedItem());
}

void TDesigner::ForceCommonSelectParent(const IPtr<IItem>& parent) {
  if (!FSelections) return;
  for (Integer i = FSelections->GetCount() - 1; i >= 0; --i)
    if (!Same(FSelections->GetItems(i)->GetParent(), parent)) FSelections->Remove(i);
}

bool TDesigner::IsDesignerSelected() {
  return FDesignSurface && FSelections && FSelections->Selected(FDesignSurface->GetRoot());
}

void TDesigner::Edit(const IPtr<IItem>& item) {
  if (item) item->Edit();
}

void TDesigner::DeleteSelection() {
  DragCancel();
  if (FDesignSurface) FDesignSurface->DeleteSelection();
}

void TDesigner::Modified() {
  if (FGrabHandles) FGrabHandles->Update();
  if (FDesignSurface) FDesignSurface->Modified();
}

void TDesigner::Lock() {
  FLocked = true;
  if (FGrabHandles) FGrabHandles->Update();
}

void TDesigner::Unlock() {
  FLocked = false;
  if (FGrabHandles) FGrabHandles->Update();
}

void TDesigner::SetGrabHandles(const IPtr<IItem>& item) {
  if (FGrabHandles) FGrabHandles->SetItem(item);
}

void TDesigner::ShowHandlesOnSingle() {
  if (IPtr<IItem> single = SelectedItem()) SetGrabHandles(single);
}

// ---- Grid ------------------------------------------------------------------------------------

Integer TDesigner::SnapToGrid(Integer value, Integer offset, Integer grid, bool force) {
  if (!force && (!FGridAlign || (FDesignSurface && FDesignSurface->GridSnapDisabled())))
    return value;
  if (grid < 1) return value;
  Integer t = value + grid / 2 - offset;
  if (t < 0) t -= grid - 1;
  return t - t % grid + offset;
}

TPoint TDesigner::PointToGrid(const TPoint& point, bool force) {
  const TPoint origin = FDesignSurface ? FDesignSurface->GetGridOrigin() : TPoint{};
  return {SnapToGrid(point.X, origin.X, FGridSize.X, force),
          SnapToGrid(point.Y, origin.Y, FGridSize.Y, force)};
}

// ---- Mouse -----------------------------------------------------------------------------------

void TDesigner::MakeFirstSelection(const IPtr<IItem>& item) {
  // The others are taken out from the last to the first and appended in that order, so the
  // clicked item leads and the rest follow reversed.
  BeginSelect();
  try {
    std::vector<IPtr<IItem>> removed;
    for (Integer i = FSelections->GetCount() - 1; i >= 0; --i) {
      IPtr<IItem> other = FSelections->GetItems(i);
      if (Same(other, item)) continue;
      FSelections->Remove(i);
      removed.push_back(std::move(other));
    }
    for (const auto& other : removed)
      FSelections->Add(other);
  } catch (...) {
    EndSelect();
    throw;
  }
  EndSelect();
}

void TDesigner::MouseDown(const IPtr<IItem>& pressed, TShiftState shift, Integer x, Integer y,
                          bool doubleClick, TMoveAffects affects, bool noDrag) {
  IPtr<IItem> item = pressed; // held for the whole call
  try {
    DragCancel();
    FDragParent = nullptr;
    // A callout (activation, editing, the context menu) may close the designer: the surface is
    // held here, and nothing starts once it has gone.
    const IPtr<IDesignSurface> surface = FDesignSurface;
    if (!surface || !FSelections) return;
    surface->Activate();
    const IPtr<IItem> root = surface->GetRoot();
    if (!item) item = root;
    if (!item) return;

    const bool withShift = shift.Contains(ssShift);
    const bool withCtrl = shift.Contains(ssCtrl);
    if (withShift && FSelections->GetCount() == 1 && !Same(item, root)) {
      IPtr<IItem> parent = FSelections->GetItems(0)->GetParent();
      FDragParent = parent && parent->Contains(item) ? parent : item;
    } else {
      FDragParent = item;
    }
    while (FDragParent->GetParent() && !FDragParent->IsContainer())
      FDragParent = FDragParent->GetParent();
    while (item && !item->Selectable())
      item = item->GetParent();
    if (!item) item = root;
    if (!item) return;

    FDragAffects = AllMoveAffects;
    if (!affects.Empty()) {
      if (FLocked) return;
      FDragAffects = affects;
      FDragAction = affects == AllMoveAffects ? daMove : daSize;
    } else if (!FLocked) {
      FDragAction = daMove;
    }

    if (FTools && FTools->ToolSelected() && !noDrag) {
      FDragAction = daCreate;
      ClearSelection();
    } else if (doubleClick && !withShift && !withCtrl) {
      FDragAction = daNone;
      if (Same(item, root) || (FSelections->GetCount() != 1 && !FSelections->Selected(item)))
        Select(item, false);
      Edit(item);
    } else if (Same(item, root) || withCtrl) {
      FDragAction = daSelect;
      if (!Same(item, FDragParent) && item->HasSelectableChildren()) FDragParent = item;
      if (!withShift) Select(root, false);
    } else if (withShift) {
      FDragAction = daNone;
      Select(item, true);
    } else {
      FDragParent = item->GetParent();
      const Integer count = FSelections->GetCount();
      if (FSelections->Selected(item)) {
        if (count > 1 && !Same(FSelections->GetItems(0), item)) MakeFirstSelection(item);
      } else {
        Select(item, false);
      }
      if (!FLocked) ForceCommonSelectParent(FDragParent);
    }

    if (shift.Contains(ssRight)) {
      FDragAction = daNone;
      ShowHandlesOnSingle();
      surface->ContextClick();
    }
    if (noDrag || !FDesignSurface) FDragAction = daNone;
    if (FDragAction != daNone) DragBegin(x, y);
  } catch (...) {
    if (FBoxes) DragBoxesOff();
    GuidesEnd();
    FDragAction = daNone;
    throw;
  }
}

void TDesigner::MouseMove(Integer x, Integer y) {
  if (FDragAction != daNone) DragTo(x, y);
}

void TDesigner::MouseUp(Integer x, Integer y) {
  if (FDragAction != daNone) DragEnd(x, y, true);
}

// ---- Dragging --------------------------------------------------------------------------------

void TDesigner::DragBegin(Integer x, Integer y) {
  SetGrabHandles(nullptr);
  const IPtr<IDesignSurface> surface = FDesignSurface;
  FBoxes = surface->CreateDragBoxes(FDragParent, {x, y});
  FBoxesEx = QueryIntf<IDragBoxesEx>(FBoxes);
  FAnchor = {x, y};
  const Integer count = FSelections->GetCount();
  const IPtr<IItem> first = count > 0 ? FSelections->GetItems(0) : nullptr;
  if ((FDragAction == daMove || FDragAction == daSize) && first && Supports<IItemEx>(first)) {
    if (FGuidelines) GuidesBegin();
    FOriginalBounds = first->GetBoundsRect();
  } else if (count == 1) {
    FOriginalBounds = first->GetBoundsRect();
  }
  FDragRect = GetDragRect(FAnchor, true);
  if (FDragAction == daMove) GuidesSetOffset({FDragRect.Left, FDragRect.Top});
  DragBoxesOn();
}

Integer TDesigner::SnapEdge(Integer edge, Integer delta, Integer bias, Integer origin,
                            Integer grid) {
  const Integer moved = edge + delta;
  const Integer s = SnapToGrid(moved - bias, origin, grid, false) + bias;
  if (std::abs(edge - s) >= grid) return s;
  if (std::abs(delta) > std::abs(s - moved)) return s;
  return edge;
}

TRect TDesigner::GetDragRect(const TPoint& point, bool gridOnly) {
  const IPtr<IDesignSurface> surface = FDesignSurface;
  if (!surface) return FDragRect;
  switch (FDragAction) {
  case daCreate:
  case daSelect: {
    TPoint a = FDragParent->GlobalToLocal(surface->MapFromSurface(FAnchor));
    TPoint p = FDragParent->GlobalToLocal(surface->MapFromSurface(point));
    if (FDragAction == daCreate) {
      a = PointToGrid(a, false);
      p = PointToGrid(p, false);
    }
    TRect r = Ordered(a, p);
    if (FDragAction == daCreate) {
      ++r.Right;
      ++r.Bottom;
    }
    return r;
  }
  case daMove: {
    Integer dx = point.X - FAnchor.X;
    Integer dy = point.Y - FAnchor.Y;
    if (gridOnly || !GuideSnapMoveX(dx)) dx = SnapToGrid(dx, 0, FGridSize.X, false);
    if (gridOnly || !GuideSnapMoveY(dy)) dy = SnapToGrid(dy, 0, FGridSize.Y, false);
    return {dx, dy, 0, 0};
  }
  case daSize: {
    TRect r = FOriginalBounds;
    TPoint d{point.X - FAnchor.X, point.Y - FAnchor.Y};
    const TPoint origin = surface->GetGridOrigin();
    GuidesSetOffset(d);
    GuidesSetBounds({FDragAffects.Contains(gaLeft) ? r.Left + d.X : r.Left,
                     FDragAffects.Contains(gaTop) ? r.Top + d.Y : r.Top,
                     FDragAffects.Contains(gaRight) ? r.Right + d.X : r.Right,
                     FDragAffects.Contains(gaBottom) ? r.Bottom + d.Y : r.Bottom});
    struct TSide {
      TMoveAffect Side;
      Integer TRect::*Edge;
      Integer TPoint::*Axis;
      Integer Bias;
    };
    static constexpr TSide sides[] = {{gaLeft, &TRect::Left, &TPoint::X, 0},
                                      {gaTop, &TRect::Top, &TPoint::Y, 0},
                                      {gaRight, &TRect::Right, &TPoint::X, 1},
                                      {gaBottom, &TRect::Bottom, &TPoint::Y, 1}};
    for (const TSide& s : sides) {
      if (!FDragAffects.Contains(s.Side)) continue;
      const Integer edge = FOriginalBounds.*s.Edge;
      Integer snapped = edge + d.*s.Axis;
      if (gridOnly || !GuideSnapSide(s.Side, snapped))
        snapped = SnapEdge(edge, d.*s.Axis, s.Bias, origin.*s.Axis, FGridSize.*s.Axis);
      r.*s.Edge = snapped;
      d.*s.Axis = snapped - edge;
    }
    r = Ordered({r.Left, r.Top}, {r.Right, r.Bottom});
    GuidesSetBounds(r);
    return r;
  }
  case daNone:
    break;
  }
  return {};
}

void TDesigner::DragTo(Integer x, Integer y) {
  const TPoint delta{x - FAnchor.X, y - FAnchor.Y};
  if (FDragAction == daMove) GuidesSetOffset(delta);
  const TRect r = GetDragRect({x, y}, delta == TPoint{0, 0});
  if (r == FDragRect) return;
  DragBoxesMoveTo(r);
  if (FDragAction == daMove) GuidesSetOffset({r.Left, r.Top});
  GuidesRepaint();
  FDragRect = r;
}

void TDesigner::DragEnd(Integer, Integer, bool accept) {
  if (FDragAction == daNone) return;
  GuidesEnd();
  if (!accept && FBoxesEx) FBoxesEx->CancelDrag();
  DragBoxesOff();
  const TDragAction action = FDragAction;
  FDragAction = daNone;
  if (!FSelections) return;
  BeginSelect();
  try {
    if (accept && FDesignSurface) {
      switch (action) {
      case daCreate:
        DoDragCreate();
        break;
      case daSelect:
        DoDragSelect();
        break;
      case daMove:
        DoDragMove();
        break;
      case daSize:
        DoDragSize();
        break;
      case daNone:
        break;
      }
    }
  } catch (...) {
    EndSelect();
    throw;
  }
  EndSelect();
  ShowHandlesOnSingle();
}

void TDesigner::DoDragCreate() {
  const IPtr<IDesignSurface> surface = FDesignSurface;
  Select(surface->CreateItem(FDragParent, FDragRect), false);
}

void TDesigner::DoDragSelect() {
  const TRect r{FDragRect.Left, FDragRect.Top, FDragRect.Right + 1, FDragRect.Bottom + 1};
  bool first = true;
  const IPtr<IDesignSurface> surface = FDesignSurface;
  const Integer count = surface->GetItemsCount();
  for (Integer i = 0; i < count; ++i) {
    IPtr<IItem> item = surface->GetItems(i);
    if (!item || !Same(item->GetParent(), FDragParent) || !Intersects(item->GetBoundsRect(), r))
      continue;
    Select(item, !first);
    first = false;
  }
}

void TDesigner::DoDragMove() {
  if (FDragRect.Left == 0 && FDragRect.Top == 0) return;
  for (Integer i = 0; i < FSelections->GetCount(); ++i) {
    IPtr<IItem> item = FSelections->GetItems(i);
    item->SetBoundsRect(Offset(item->GetBoundsRect(), FDragRect.Left, FDragRect.Top));
  }
  Modified();
}

void TDesigner::DoDragSize() {
  if (FDragRect == FOriginalBounds || FSelections->GetCount() != 1) return;
  FSelections->GetItems(0)->SetBoundsRect(FDragRect);
  Modified();
}

void TDesigner::DragBoxesOn() {
  if (!FBoxes) return;
  switch (FDragAction) {
  case daCreate:
    FBoxes->Add(FDragRect, dbsItem, daCreate);
    break;
  case daSelect:
    FBoxes->Add(FDragRect, dbsSelection, daSelect);
    break;
  case daSize: {
    IPtr<IItem> single = SelectedItem();
    if (!single) break;
    IPtr<IItem2D> item2D = QueryIntf<IItem2D>(single);
    if (item2D && FBoxesEx)
      FBoxesEx->Add(item2D, dbsItem, daSize);
    else
      FBoxes->Add(FDragRect, dbsItem, daSize);
    break;
  }
  case daMove:
    for (Integer i = 0; i < FSelections->GetCount(); ++i) {
      IPtr<IItem> item = FSelections->GetItems(i);
      if (!Same(item->GetParent(), FDragParent)) continue;
      IPtr<IItem2D> item2D = QueryIntf<IItem2D>(item);
      if (item2D) {
        if (FBoxesEx) FBoxesEx->Add(item2D, dbsItem, daMove);
        continue;
      }
      const TRect r = Offset(item->GetBoundsRect(), FDragRect.Left, FDragRect.Top);
      IPtr<IItemEx> itemEx = QueryIntf<IItemEx>(item);
      if (itemEx && FBoxesEx)
        FBoxesEx->Add(r, itemEx->GetDragImage(), dbsItem, daMove);
      else
        FBoxes->Add(r, dbsItem, daMove);
    }
    break;
  case daNone:
    break;
  }
}

void TDesigner::DragBoxesMoveTo(const TRect& rect) {
  if (!FBoxes) return;
  if (FDragAction == daMove)
    FBoxes->MoveBy(rect.Left - FDragRect.Left, rect.Top - FDragRect.Top, daMove);
  else
    FBoxes->Change(0, rect, FDragAction);
}

void TDesigner::DragBoxesOff() {
  if (FBoxes) FBoxes->Done();
  FBoxes = nullptr;
  FBoxesEx = nullptr;
}

// ---- Keys ------------------------------------------------------------------------------------

void TDesigner::Key(TDesignKeyCode code, TShiftState shift, bool keyUp) {
  if (keyUp) {
    if (code == dkNone && FGuidelines) GuidesKeyUp();
    return;
  }
  switch (code) {
  case dkNone:
    if (FGuidelines && !IsDesignerSelected() &&
        (shift.Contains(ssShift) || shift.Contains(ssCtrl)) && !FGuidesPainted)
      GuidesAtRest();
    break;
  case dkDelete:
    DeleteSelection();
    break;
  case dkLeft:
  case dkUp:
  case dkRight:
  case dkDown:
    ArrowAction(code, shift);
    break;
  case dkTab:
    if (const IPtr<IDesignSurface> surface = FDesignSurface)
      Select(surface->NextItem(SelectedItem(), !shift.Contains(ssShift)), false);
    break;
  case dkEscape:
    EscapeAction();
    break;
  case dkEnter:
  case dkChar:
    break;
  }
}

void TDesigner::ArrowAction(TDesignKeyCode code, TShiftState shift) {
  if (!FSelections || IsDesignerSelected()) return;
  const TPoint step = ArrowStep(code);
  const bool withShift = shift.Contains(ssShift);
  const bool withCtrl = shift.Contains(ssCtrl);
  if (withCtrl || withShift) {
    if (withCtrl && withShift)
      MoveBy({step.X * FGridSize.X, step.Y * FGridSize.Y}, false);
    else
      MoveBy(step, !withCtrl);
    GuidesAtRest();
    return;
  }
  if (FSelections->GetCount() == 0) return;
  Select(FindNearestItem(FSelections->GetItems(0), code), false);
}

void TDesigner::MoveBy(const TPoint& delta, bool resize) {
  const IPtr<IDesignSurface> surface = FDesignSurface;
  if (!FSelections || FSelections->GetCount() == 0 || FLocked || !surface) return;
  surface->ValidateModification();
  ForceCommonSelectParent(FSelections->GetItems(0)->GetParent());
  for (Integer i = 0; i < FSelections->GetCount(); ++i) {
    IPtr<IItem> item = FSelections->GetItems(i);
    TRect r = item->GetBoundsRect();
    if (resize) {
      r.Right += delta.X;
      r.Bottom += delta.Y;
    } else {
      r = Offset(r, delta.X, delta.Y);
    }
    item->SetBoundsRect(r);
  }
  Modified();
}

IPtr<IItem> TDesigner::FindNearestItem(const IPtr<IItem>& item, TDesignKeyCode code) {
  const IPtr<IDesignSurface> surface = FDesignSurface;
  if (!item || !surface) return nullptr;
  const TRect r = item->GetBoundsRect();
  const TPoint c{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
  const IPtr<IItem> parent = item->GetParent();
  const bool horizontal = code == dkLeft || code == dkRight;
  IPtr<IItem> best;
  long long bestDistance = 0;
  const Integer count = surface->GetItemsCount();
  for (Integer i = 0; i < count; ++i) {
    IPtr<IItem> candidate = surface->GetItems(i);
    if (!candidate || Same(candidate, item) || !Same(candidate->GetParent(), parent)) continue;
    const TRect r2 = candidate->GetBoundsRect();
    const Integer dx = (r2.Left + r2.Right) / 2 - c.X;
    const Integer dy = (r2.Top + r2.Bottom) / 2 - c.Y;
    Integer gapX = Gap(r.Left, r.Right, r2.Left, r2.Right);
    Integer gapY = Gap(r.Top, r.Bottom, r2.Top, r2.Bottom);
    bool qualifies = false;
    switch (code) {
    case dkLeft:
      qualifies = dx < 0 && gapX >= gapY;
      break;
    case dkRight:
      qualifies = dx > 0 && gapX >= gapY;
      break;
    case dkUp:
      qualifies = dy < 0 && gapX <= gapY;
      break;
    case dkDown:
      qualifies = dy > 0 && gapX <= gapY;
      break;
    default:
      break;
    }
    if (!qualifies) continue;
    if (horizontal)
      gapY = Gap(r2.Top, r2.Bottom, c.Y, c.Y);
    else
      gapX = Gap(r2.Left, r2.Right, c.X, c.X);
    const long long distance =
        static_cast<long long>(gapX) * gapX + static_cast<long long>(gapY) * gapY;
    if (!best || distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

void TDesigner::EscapeAction() {
  const TDragAction action = FDragAction;
  DragCancel();
  if (action != daNone && action != daMove) return;
  const IPtr<IDesignSurface> surface = FDesignSurface;
  if (!surface || !FSelections) return;
  const IPtr<IItem> root = surface->GetRoot();
  const IPtr<IItem> first = FSelections->GetCount() > 0 ? FSelections->GetItems(0) : nullptr;
  IPtr<IItem> parent;
  if (first && first->GetParent() && !Same(first, root)) {
    parent = first->GetParent();
    while (parent && !parent->Selectable() && !Same(parent, root))
      parent = parent->GetParent();
  }
  if (parent && !Same(parent, root)) {
    Select(parent, false);
    if (action == daMove) {
      const TPoint p = surface->GetMousePoint();
      MouseDown(parent, TShiftState(), p.X, p.Y, false, TMoveAffects(), false);
    }
  } else if (action == daNone) {
    ClearSelection();
    SetGrabHandles(nullptr);
  }
}

// ---- Alignment guides ------------------------------------------------------------------------

TGuideItem TDesigner::GuideItemOf(const IPtr<IDesignSurface>& surface, const IPtr<IItem>& item,
                                  const IPtr<IItemEx>& itemEx, bool isParent) {
  const IPtr<IItem> parent = item->GetParent();
  auto toSurface = [&](const TRect& r) -> TRect {
    if (!parent) return r;
    const TPoint tl = surface->MapToSurface(parent->LocalToGlobal({r.Left, r.Top}));
    const TPoint br = surface->MapToSurface(parent->LocalToGlobal({r.Right, r.Bottom}));
    return {tl.X, tl.Y, br.X, br.Y};
  };
  TGuideItem g;
  g.Item = IPtr<IInterface>(item.get());
  g.Guidelines = itemEx->GetGuidelines();
  g.BoundsRect = toSurface(item->GetBoundsRect());
  g.PaddedBoundsRect = toSurface(itemEx->GetPaddedBoundsRect());
  g.ClientRect = toSurface(item->GetClientRect());
  if (parent) g.ParentOrigin = surface->MapToSurface(parent->LocalToGlobal({0, 0}));
  g.IsDragParent = isParent;
  return g;
}

bool TDesigner::CollectGuides(TGuideDrag& drag, std::vector<TGuideItem>& candidates) {
  const IPtr<IDesignSurface> surface = FDesignSurface;
  if (!surface || !FSelections || FSelections->GetCount() == 0) return false;
  const IPtr<IItem> first = FSelections->GetItems(0);
  const IPtr<IItemEx> firstEx = QueryIntf<IItemEx>(first);
  if (!firstEx) return false;
  const IPtr<IItem> parent = first->GetParent();
  const IPtr<IItem> container = surface->GetContainerItem();
  drag.Item = GuideItemOf(surface, first, firstEx, false);
  drag.ParentClientRect = parent ? parent->GetClientRect() : TRect{};
  drag.ContainerClientRect = container ? container->GetClientRect() : TRect{};
  drag.Painter = surface->GetGuidelinePainter();
  auto offer = [&](const IPtr<IItem>& item) {
    IPtr<IItemEx> ex = QueryIntf<IItemEx>(item);
    if (ex && ex->SupportsGuidelines())
      candidates.push_back(GuideItemOf(surface, item, ex, Same(item, parent)));
  };
  const Integer count = surface->GetItemsCount();
  candidates.reserve(static_cast<std::size_t>(count) + 1);
  for (Integer i = 0; i < count; ++i) {
    IPtr<IItem> item = surface->GetItems(i);
    if (item && !surface->ItemInSelections(FSelections, item)) offer(item);
  }
  if (container) offer(container);
  FGuides.SetGridSize(FGridSize);
  FGuides.SetGridSnapDisabled(surface->GridSnapDisabled());
  FGuides.SetGuidelines(FGuidelines);
  return true;
}

void TDesigner::GuidesBegin() {
  TGuideDrag drag;
  std::vector<TGuideItem> candidates;
  if (!CollectGuides(drag, candidates)) return;
  if (FDragAffects.Contains(gaLeft)) drag.AllowedVert += TGuideTypes{gtAlignLeft, gtMarginLeft};
  if (FDragAffects.Contains(gaRight)) drag.AllowedVert += TGuideTypes{gtAlignRight, gtMarginRight};
  if (FDragAffects.Contains(gaTop)) drag.AllowedHorz += TGuideTypes{gtAlignTop, gtMarginTop};
  if (FDragAffects.Contains(gaBottom))
    drag.AllowedHorz += TGuideTypes{gtAlignBottom, gtMarginBottom};
  if (FDragAction == daMove) drag.AllowedHorz.Include(gtBaseline);
  drag.Moving = FDragAction == daMove;
  FGuides.BeginDrag(drag, candidates);
  FGuidesPainted = FGuides.Painter() != nullptr;
}

bool TDesigner::GuideSnapMoveX(Integer& dx) { return FGuides.Dragging() && FGuides.SnapMoveX(dx); }

bool TDesigner::GuideSnapMoveY(Integer& dy) { return FGuides.Dragging() && FGuides.SnapMoveY(dy); }

bool TDesigner::GuideSnapSide(TMoveAffect side, Integer& edge) {
  if (!FGuides.Dragging()) return false;
  switch (side) {
  case gaLeft:
    return FGuides.SnapLeft(edge);
  case gaTop:
    return FGuides.SnapTop(edge);
  case gaRight:
    return FGuides.SnapRight(edge);
  case gaBottom:
    return FGuides.SnapBottom(edge);
  }
  return false;
}

void TDesigner::GuidesSetOffset(const TPoint& offset) {
  if (FGuides.Dragging()) FGuides.SetOffset(offset);
}

void TDesigner::GuidesSetBounds(const TRect& rect) {
  if (FGuides.Dragging()) FGuides.SetBoundsRect(rect);
}

void TDesigner::GuidesRepaint() {
  if (FGuides.Dragging() && FGuidelines) FGuides.GenerateGuidelines();
}

void TDesigner::GuidesEnd() {
  FGuides.EndDrag();
  FGuidesPainted = false;
}

void TDesigner::GuidesAtRest() {
  if (!FGuidelines) return;
  TGuideDrag drag;
  std::vector<TGuideItem> candidates;
  if (!CollectGuides(drag, candidates) || !drag.Painter) return;
  drag.AllowedHorz = HorzGuideTypes;
  drag.AllowedVert = VertGuideTypes;
  drag.Moving = false;
  FGuides.PaintAtRest(drag, candidates);
  FGuidesPainted = true;
}

void TDesigner::GuidesKeyUp() {
  FGuides.ClearGuidelines();
  FGuidesPainted = false;
}

} // namespace fw
