// SurfaceIntf: the visual designer's contract with the host's design windows: items on a
// surface, the selection of items, grab handles, drag boxes, tools, guide painting, the surface
// itself and the designer that listens to it. Hosts and module roots implement or hold these;
// the designer folder supplies the stock implementations.
#pragma once

#include "basert/persistent.h"
#include "designintf/designhost.h"
#include "designintf/designintf.h"
#include "designintf/guideintf.h"
#include "tarn/uitypes.h"

namespace fw {

// ---- Enumerations and sets -------------------------------------------------------------------

/// State of the drag state machine.
enum TDragAction : std::uint8_t { daNone, daCreate, daSelect, daMove, daSize };

/// The keys with a meaning on a design surface; dkNone is any other key.
enum TDesignKeyCode : std::uint8_t {
  dkNone,
  dkDelete,
  dkLeft,
  dkUp,
  dkRight,
  dkDown,
  dkTab,
  dkEnter,
  dkEscape,
  dkChar,
};

/// A side a grab handle moves.
enum TMoveAffect : std::uint8_t { gaLeft, gaTop, gaRight, gaBottom };
/// Bit 0 gaLeft .. bit 3 gaBottom; all four (15) is a move.
using TMoveAffects = TSet<TMoveAffect>;
inline constexpr TMoveAffects AllMoveAffects{gaLeft, gaTop, gaRight, gaBottom};

enum TDesignBoxStyle : std::uint8_t { dbsSelection, dbsItem };

enum TZOrder : std::uint8_t { zoFront, zoBack };

// ---- Interfaces ------------------------------------------------------------------------------
// Operations are declared in the order of each interface's method table.

struct IItem;
struct ISelections;
struct IDesignSurfaceListener;

/// What a drag box shows for an item instead of its rectangle; the designer only passes it on.
struct IDragImage : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6986FA99-A57D-4ABF-AD17-9BB36010E898}");
  virtual void Draw(const TRect& rect) = 0;
};

/// One element on a design surface: a control, a non-visual component's icon, the form.
struct IItem : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303AD-CAE3-11D3-AB47-00C04FB17A72}");
  /// True when `item` is this item or lies inside it.
  virtual bool Contains(const IPtr<IItem>& item) = 0;
  virtual void Delete() = 0;
  /// A global (surface-mapped) point to this item's client coordinates.
  virtual TPoint GlobalToLocal(const TPoint& point) = 0;
  virtual TPoint LocalToGlobal(const TPoint& point) = 0;
  virtual bool Equals(const IPtr<IItem>& item) = 0;
  /// In the parent's client coordinates.
  virtual TRect GetBoundsRect() = 0;
  virtual TRect GetExtendedRect() = 0;
  virtual TRect GetClientRect() = 0;
  /// Null for the root.
  virtual IPtr<IItem> GetParent() = 0;
  virtual bool IsContainer() = 0;
  virtual bool HasSelectableChildren() = 0;
  virtual void SetBoundsRect(const TRect& rect) = 0;
  virtual bool Selectable() = 0;
  /// Raises when the item may not be deleted.
  virtual void ValidateDeletable() = 0;
  /// The double-click action.
  virtual void Edit() = 0;
};

struct IItemEx : virtual IItem {
  static constexpr TGUID IID = TGUID::Parse("{1325EA5F-56A8-419A-9A0E-EA314C61BD55}");
  /// May be null.
  virtual IPtr<IDragImage> GetDragImage() = 0;
  virtual IPtr<IItemGuidelines> GetGuidelines() = 0;
  /// The bounds grown by the item's margins.
  virtual TRect GetPaddedBoundsRect() = 0;
  virtual bool SupportsGuidelines() = 0;
};

/// An item the drag boxes draw themselves.
struct IItem2D : virtual IItemEx {
  static constexpr TGUID IID = TGUID::Parse("{FB9FE8E7-0576-47A5-ADD4-B3F9981A1988}");
  virtual TRect GetTransformedRect() = 0;
  virtual void SetTransformedRect(const TRect& rect) = 0;
  virtual Integer GetRotation() = 0;
};

struct IPersistentItem : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303B0-CAE3-11D3-AB47-00C04FB17A72}");
  virtual TPersistent* GetItem() = 0;
  virtual String GetNamePath() = 0;
};

struct ISelectionsListener : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3D642F40-D567-11D3-BA96-0080C78ADCDB}");
  virtual void SelectionChanged(const IPtr<ISelections>& selections) = 0;
};

/// The ordered selection of items of one module; the first entry is the reference item.
struct ISelections : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303AC-CAE3-11D3-AB47-00C04FB17A72}");
  virtual Integer GetCount() = 0;
  /// Raises EListError for an index out of range.
  virtual IPtr<IItem> GetItems(Integer index) = 0;
  /// The nesting depth of BeginSelections.
  virtual Integer GetSelectionLevel() = 0;
  virtual void Add(const IPtr<IItem>& item) = 0;
  virtual void AddListener(const IPtr<ISelectionsListener>& listener) = 0;
  virtual void BeginSelections() = 0;
  virtual void Clear() = 0;
  virtual void EndSelections() = 0;
  virtual void Remove(const IPtr<IItem>& item) = 0;
  /// Raises EListError for an index out of range.
  virtual void Remove(Integer index) = 0;
  virtual void RemoveListener(const IPtr<ISelectionsListener>& listener) = 0;
  virtual bool Selected(const IPtr<IItem>& item) = 0;
  virtual void Toggle(const IPtr<IItem>& item) = 0;
};

/// Tells whether a palette tool (a component class to create) is selected.
struct ITools : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303AF-CAE3-11D3-AB47-00C04FB17A72}");
  virtual bool ToolSelected() = 0;
};

/// The eight sizing handles of a design window.
struct IGrabHandles : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303A9-CAE3-11D3-AB47-00C04FB17A72}");
  /// The handle sides under a surface point; empty when no handle is there.
  virtual TMoveAffects HitTest(const TPoint& point) = 0;
  /// Shows the handles around `item`, or none for null.
  virtual void SetItem(const IPtr<IItem>& item) = 0;
  virtual IPtr<IItem> GetItem() = 0;
  /// Redraws the handles (after locking, after a change of the item).
  virtual void Update() = 0;
};

/// The rectangles drawn while a drag is in progress.
struct IDragBoxes : virtual IInterface {
  /// Answers the new box's index.
  virtual Integer Add(const TRect& rect, TDesignBoxStyle style, TDragAction action) = 0;
  virtual void Change(Integer index, const TRect& rect, TDragAction action) = 0;
  virtual void MoveBy(Integer dx, Integer dy, TDragAction action) = 0;
  /// Erases every box.
  virtual void Done() = 0;
};

struct IItem2D;

struct IDragBoxesEx : IDragBoxes {
  static constexpr TGUID IID = TGUID::Parse("{D09A9465-C694-4A0A-9090-EC7C07677F31}");
  using IDragBoxes::Add;
  virtual Integer Add(const TRect& rect, const IPtr<IDragImage>& image, TDesignBoxStyle style,
                      TDragAction action) = 0;
  virtual Integer Add(const IPtr<IItem2D>& item, TDesignBoxStyle style, TDragAction action) = 0;
  /// The drag ends without being accepted.
  virtual void CancelDrag() = 0;
};

/// Lets a custom module make the items of its components itself.
struct ICustomModuleItemCreator : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{DDA32E0C-AB72-4AC5-9FD5-CC6055569D70}");
  /// Null to leave the item to the surface.
  virtual IPtr<IItem> CreateItem(TComponent* component) = 0;
};

/// The host's design window as the designer drives it. Positions are fixed (the `// n` comments).
struct IDesignSurface : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{37C644AA-6B33-4D7E-B18A-53D57E48010F}");
  virtual void AddListener(const IPtr<IDesignSurfaceListener>& listener) = 0;               // 0
  virtual IPtr<IDragBoxes> CreateDragBoxes(const IPtr<IItem>& parent, const TPoint& p) = 0; // 1
  virtual void Close() = 0;                                                                 // 2
  /// Creates the selected tool's component in `parent` with bounds `rect`; null when none.
  virtual IPtr<IItem> CreateItem(const IPtr<IItem>& parent, const TRect& rect) = 0; // 3
  /// The current mouse position in surface coordinates.
  virtual TPoint GetMousePoint() = 0; // 4
  virtual void DeleteSelection() = 0; // 5
  /// A surface point to the global coordinates IItem::GlobalToLocal expects.
  virtual TPoint MapFromSurface(const TPoint& point) = 0; // 6
  virtual void DestroyItem(const IPtr<IItem>& item) = 0;  // 7
  /// The next (or previous) item in tab order after `item`; null when none.
  virtual IPtr<IItem> NextItem(const IPtr<IItem>& item, bool goForward) = 0; // 8
  virtual void Activate() = 0;                                               // 9
  virtual IPtr<IGrabHandles> GetGrabHandles() = 0;                           // 10
  /// Null when the host paints no guides.
  virtual IPtr<IGuidelinePainter> GetGuidelinePainter() = 0; // 11
  /// Every item of the module, containers and their children alike.
  virtual IPtr<IItem> GetItems(Integer index) = 0; // 12
  virtual Integer GetItemsCount() = 0;             // 13
  /// The point grid lines pass through.
  virtual TPoint GetGridOrigin() = 0; // 14
  /// The item of the module root.
  virtual IPtr<IItem> GetRoot() = 0; // 15
  /// The item whose client area holds the design.
  virtual IPtr<IItem> GetContainerItem() = 0; // 16
  /// A global point of an item to surface coordinates.
  virtual TPoint MapToSurface(const TPoint& point) = 0; // 17
  /// True turns grid snapping and guides off, whatever the designer's switches say.
  virtual bool GridSnapDisabled() = 0; // 18
  /// Repaints the surface.
  virtual void Refresh() = 0;                                                    // 19
  virtual void RemoveListener(const IPtr<IDesignSurfaceListener>& listener) = 0; // 20
  /// After a right-button press has updated the selection.
  virtual void ContextClick() = 0; // 21
  /// Raises to forbid a change of the module.
  virtual void ValidateModification() = 0; // 22
  virtual void Modified() = 0;             // 23
  /// True when `item` or one of its parents below the container item is selected.
  virtual bool ItemInSelections(const IPtr<ISelections>& selections,
                                const IPtr<IItem>& item) = 0; // 24
};

/// What the designer hears from a design window.
struct IDesignSurfaceListener : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C41303AA-CAE3-11D3-AB47-00C04FB17A72}");
  /// `item` is the item under the mouse (may be null), `affects` the grab-handle sides under it
  /// (empty off the handles); `noDrag` selects without ever starting a drag.
  virtual void MouseDown(const IPtr<IItem>& item, TShiftState shift, Integer x, Integer y,
                         bool doubleClick, TMoveAffects affects, bool noDrag) = 0;
  virtual void MouseMove(Integer x, Integer y) = 0;
  virtual void MouseUp(Integer x, Integer y) = 0;
  virtual void Key(TDesignKeyCode code, TShiftState shift, bool keyUp) = 0;
  virtual void CancelDragging() = 0;
};

/// The designer of one surface as the host drives it.
struct ISurfaceDesigner : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{BC9760BF-249C-433A-B2C9-85B59B2D3A9F}");
  /// Leaves the surface; the designer then ignores it.
  virtual void Close() = 0;
  virtual void CancelDragging() = 0;
  virtual bool GetLocked() = 0;
  virtual TPoint GetGridSize() = 0;
  virtual void Lock() = 0;
  virtual void Modified() = 0;
  /// Snaps both coordinates to the grid through the surface's grid origin; unless `force`, only
  /// while snapping is on.
  virtual TPoint PointToGrid(const TPoint& point, bool force) = 0;
  virtual void SetGridSize(const TPoint& size) = 0;
  virtual void Unlock() = 0;
  virtual bool GetGridAligned() = 0;
  virtual void SetGridAligned(bool value) = 0;
  virtual bool GetGuidelines() = 0;
  virtual void SetGuidelines(bool value) = 0;
  virtual IPtr<ISelections> GetSelections() = 0;
  virtual TDragAction GetDragAction() = 0;
};

/// What a design surface forwards to the module root that owns it.
struct ISurfaceHost : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5B0B6C1E-2F7A-4E61-9D3C-8A41E07C2D95}");
  /// The components shown on the surface, in surface order.
  virtual Integer GetComponentCount() = 0;
  virtual TComponent* GetComponent(Integer index) = 0;
  virtual void DeleteSelection() = 0;
  virtual void Modified() = 0;
  /// Raises when the module may not change.
  virtual void ValidateModification() = 0;
  virtual String UniqueName(const String& baseName) = 0;
  virtual void InstanceInserted(TPersistent* instance) = 0;
  virtual void InstanceRemoved(TPersistent* instance) = 0;
  virtual void Dialog(TDesignDialog dialog) = 0;
  virtual void Command(TDesignCommand command) = 0;
  /// The surface's own conversion command (not one of TDesignCommand).
  virtual void ConvertToTessellineUI() = 0;
};

} // namespace fw
