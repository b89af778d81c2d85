// The host's design window, headless: a design surface over a tarn control tree with
// hit-testing, grab handles and drag boxes that record what the designer asks of them, and a
// surface host over a root component. Tests drive a designer through simulated mouse and key
// input on it.
#pragma once

#include "designer/designobjects.h"
#include "designer/designsurface.h"
#include "tarn/controls.h"

#include <array>
#include <unordered_map>
#include <vector>

namespace fw {

class TRecordingSurface;

/// The item of one component on a recording surface. Once its component is freed the item is
/// dead: it answers neutral values and changes nothing.
class TControlItem : public TPersistentItem, public IItemEx {
  FW_CLASS(TControlItem)
public:
  TControlItem(TRecordingSurface* surface, TComponent* component);
  /// Null when the component is not a control or is gone.
  TControl* Control() const noexcept { return FControl; }
  bool Alive() const noexcept { return FInstance != nullptr; }
  /// Forgets the component without freeing it (it is being freed, or the surface is going).
  void Detach() noexcept {
    FInstance = nullptr;
    FControl = nullptr;
    FSurface = nullptr;
  }
  Integer EditCount() const noexcept { return FEditCount; }

  bool Contains(const IPtr<IItem>& item) override;
  /// Frees the component; the item is dead afterwards.
  void Delete() override {
    FControl = nullptr;
    TPersistentItem::Delete();
  }
  TPoint GlobalToLocal(const TPoint& point) override;
  TPoint LocalToGlobal(const TPoint& point) override;
  TRect GetBoundsRect() override;
  TRect GetClientRect() override;
  IPtr<IItem> GetParent() override;
  bool IsContainer() override;
  bool HasSelectableChildren() override;
  void SetBoundsRect(const TRect& rect) override;
  bool Selectable() override { return Alive(); }
  /// The root may not be deleted; any other component may.
  void ValidateDeletable() override;
  void Edit() override { ++FEditCount; }

  IPtr<IDragImage> GetDragImage() override { return nullptr; }
  /// Its edges, margins and text baseline; a windowed control adds its padding. Surface
  /// coordinates.
  IPtr<IItemGuidelines> GetGuidelines() override;
  /// The bounds grown by the control's margins.
  TRect GetPaddedBoundsRect() override;
  bool SupportsGuidelines() override { return Control() != nullptr; }

private:
  TRecordingSurface* FSurface;
  /// The component as a control, cast once.
  TControl* FControl;
  Integer FEditCount = 0;
};

/// One sizing handle: where it is drawn and which sides dragging it moves.
struct TGrabHandle {
  TRect Rect;
  TMoveAffects Affects;
};

/// The eight handles around `bounds`: 5 x 5 squares centred on the corners, then on the middles
/// of the sides (corners first, so that on a small item a corner wins over a side).
std::array<TGrabHandle, 8> GrabHandlesAround(const TRect& bounds);

/// Grab handles that remember their item and count the designer's calls; they lie as
/// GrabHandlesAround places them around the item's bounds on the surface.
class TRecordingGrabHandles : public TInterfacedObject, public IGrabHandles {
  FW_CLASS(TRecordingGrabHandles)
public:
  explicit TRecordingGrabHandles(TRecordingSurface* surface) : FSurface(surface) {}
  TMoveAffects HitTest(const TPoint& point) override;
  void SetItem(const IPtr<IItem>& item) override;
  IPtr<IItem> GetItem() override { return FItem; }
  void Update() override { ++UpdateCount; }
  void Detach() noexcept { FSurface = nullptr; }

  Integer SetItemCount = 0;
  Integer UpdateCount = 0;

private:
  TRecordingSurface* FSurface;
  IPtr<IItem> FItem;
};

/// Drag boxes that log every XOR rectangle they draw.
class TRecordingDragBoxes : public TXorDragBoxes {
  FW_CLASS(TRecordingDragBoxes)
public:
  void CancelDrag() override { Cancelled = true; }
  /// Every rectangle drawn, in order (a box drawn twice is erased).
  std::vector<TRect> Drawn;
  bool Cancelled = false;

protected:
  void DrawXorRect(const TRect& rect, TDesignBoxStyle) override { Drawn.push_back(rect); }
};

/// A design surface over a tarn control tree. Surface coordinates are the root's client
/// coordinates; global coordinates are the controls' screen coordinates.
class TRecordingSurface : public TDesignSurface {
  FW_CLASS(TRecordingSurface)
public:
  TRecordingSurface(const IPtr<IDesigner>& designer, TWinControl* root,
                    const IPtr<ISurfaceHost>& host);
  ~TRecordingSurface() override;

  // Simulated input: each finds what is under the mouse and tells the listener.
  void MouseDown(Integer x, Integer y, TShiftState shift = {}, bool doubleClick = false,
                 bool noDrag = false);
  void MouseMove(Integer x, Integer y);
  void MouseUp(Integer x, Integer y);
  /// A press, moves to each point in turn, and a release at the last one.
  void Drag(TPoint from, std::initializer_list<TPoint> path, TShiftState shift = {});
  void KeyDown(TDesignKeyCode code, TShiftState shift = {});
  void KeyUp(TDesignKeyCode code, TShiftState shift = {});

  /// The innermost visible control under a surface point (the root when no child is).
  IPtr<IItem> ItemAt(const TPoint& point);
  /// The item of a component, one per component for the surface's life.
  IPtr<IItem> ComponentToItem(TComponent* component) override;
  /// An item's bounds in surface coordinates.
  TRect SurfaceBounds(const IPtr<IItem>& item);

  // What the designer asked.
  Integer ActivateCount = 0;
  Integer ContextClickCount = 0;
  Integer RefreshCount = 0;
  bool Closed = false;
  bool SnapDisabled = false;
  TPoint GridOrigin;
  /// The drag boxes of the latest drag.
  IPtr<TRecordingDragBoxes> LastBoxes;
  IPtr<TRecordingGrabHandles> Handles() const { return FHandles; }
  TWinControl* RootControl() const noexcept { return FRootControl; }

  IPtr<IDragBoxes> CreateDragBoxes(const IPtr<IItem>& parent, const TPoint& p) override;
  /// Cancels the listener's drag and closes it (when it is a surface designer).
  void Close() override;
  TPoint GetMousePoint() override { return FMouse; }
  TPoint MapFromSurface(const TPoint& point) override;
  TPoint MapToSurface(const TPoint& point) override;
  /// Windowed siblings follow their parent's tab order, wrapping; a null item starts at the
  /// root's first.
  IPtr<IItem> NextItem(const IPtr<IItem>& item, bool goForward) override;
  void Activate() override { ++ActivateCount; }
  TPoint GetGridOrigin() override { return GridOrigin; }
  bool GridSnapDisabled() override { return SnapDisabled; }
  void Refresh() override { ++RefreshCount; }
  void ContextClick() override { ++ContextClickCount; }

private:
  class TWatcher;
  friend class TWatcher;
  /// A watched component is being freed: its item dies, any drag is cancelled and it leaves
  /// the selection.
  void ComponentGone(TComponent* component);

  TWinControl* FRootControl;
  IPtr<TRecordingGrabHandles> FHandles;
  std::unordered_map<TComponent*, IPtr<TControlItem>> FItems;
  TComponent* FWatcher;
  TPoint FMouse;
};

/// A surface host over a root component: its components are the root's, in creation order.
class TRecordingSurfaceHost : public TInterfacedObject, public ISurfaceHost {
  FW_CLASS(TRecordingSurfaceHost)
public:
  explicit TRecordingSurfaceHost(TComponent* root) : FRoot(root) {}
  Integer GetComponentCount() override;
  TComponent* GetComponent(Integer index) override;
  /// Frees the component of every selected item but the root's.
  void DeleteSelection() override;
  void Modified() override { ++ModifiedCount; }
  /// Raises EInvalidOperation while ReadOnly.
  void ValidateModification() override;
  String UniqueName(const String& baseName) override;
  void InstanceInserted(TPersistent*) override {}
  void InstanceRemoved(TPersistent*) override {}
  void Dialog(TDesignDialog dialog) override { Dialogs.push_back(dialog); }
  void Command(TDesignCommand command) override { Commands.push_back(command); }
  void ConvertToTessellineUI() override { ++ConvertCount; }

  /// The selection DeleteSelection deletes.
  IPtr<ISelections> Selections;
  bool ReadOnly = false;
  Integer ModifiedCount = 0;
  Integer ConvertCount = 0;
  std::vector<TDesignDialog> Dialogs;
  std::vector<TDesignCommand> Commands;

private:
  TComponent* FRoot;
};

inline constexpr std::string_view sReadOnlyModule = "Module is read-only";

} // namespace fw
