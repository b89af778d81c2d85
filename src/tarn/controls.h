// Controls: TControl and TWinControl. Bounds and client areas, the parent/child tree with its
// z-order and tab order, alignment and anchors, hit-testing, streaming of children through their
// parent, and the docking primitives dock hosts are built on.
#pragma once

#include "basert/component.h"
#include "tarn/actions.h"
#include "tarn/graphics.h"
#include "tarn/uitypes.h"

#include <memory>
#include <vector>

namespace fw {

class TControl;
class TWinControl;
class TDragDockObject;
class TStream;

// Resource strings of the controls.
inline constexpr std::string_view sControlParentSetToSelf =
    "Control '%s' can't have itself as a parent";
inline constexpr std::string_view sControlNotAccepting = "Control '%s' does not accept controls";

enum TControlStyleFlag : std::uint8_t {
  controlAcceptsControls,
  controlCaptureMouse,
  controlDesignInteractive,
  controlClickEvents,
  controlFramed,
  controlSetCaption,
  controlOpaque,
  controlDoubleClicks,
  controlFixedWidth,
  controlFixedHeight,
  controlNoDesignVisible,
  controlReplicatable,
  controlNoStdEvents,
  controlDisplayDragImage,
  controlReflector,
  controlActionClient,
  controlMenuEvents,
  controlParentBackground,
  controlAlignWithMargins,
};
using TControlStyle = TSet<TControlStyleFlag>;

enum TDragKind : std::uint8_t { dkDrag, dkDock };
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };
enum TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };
PTypeInfo TypeInfoOf(std::type_identity<TDragKind>);
PTypeInfo TypeInfoOf(std::type_identity<TDragMode>);
PTypeInfo TypeInfoOf(std::type_identity<TTextLayout>);

/// What scaling a control for a stream's resolution may change. A stream read into a control
/// that an earlier stream made (an ancestor's) scales only what it set itself.
enum TScalingFlag : std::uint8_t { sfLeft, sfTop, sfWidth, sfHeight, sfFont, sfMargins };
using TScalingFlags = TSet<TScalingFlag>;
inline constexpr TScalingFlags AllScalingFlags = {sfLeft,   sfTop,  sfWidth,
                                                  sfHeight, sfFont, sfMargins};

/// The space around a control (TMargins, used when AlignWithMargins is on) or inside a windowed
/// control (TPadding, shrinking the area its children are aligned in).
class TMargins : public TPersistent {
  FW_CLASS(TMargins)
public:
  /// `control` is told of every change (it realigns); `defaultValue` is each side's default.
  TMargins(TControl* control, Integer defaultValue = 3);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() override;

  Integer Left() const noexcept { return FLeft; }
  Integer Top() const noexcept { return FTop; }
  Integer Right() const noexcept { return FRight; }
  Integer Bottom() const noexcept { return FBottom; }
  void SetLeft(Integer v) { SetSide(FLeft, v); }
  void SetTop(Integer v) { SetSide(FTop, v); }
  void SetRight(Integer v) { SetSide(FRight, v); }
  void SetBottom(Integer v) { SetSide(FBottom, v); }
  void SetBounds(Integer left, Integer top, Integer right, Integer bottom);
  /// `rect` grown (or, for padding, shrunk when `inward`) by the four sides.
  TRect Apply(TRect rect, bool inward) const;

protected:
  void SetSide(Integer& side, Integer value);
  void Changed();
  TControl* FControl;
  Integer FLeft, FTop, FRight, FBottom;
};

class TPadding : public TMargins {
  FW_CLASS(TPadding)
public:
  explicit TPadding(TControl* control) : TMargins(control, 0) {}
};

class TControl : public TComponent {
  FW_CLASS(TControl)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TControl(TComponent* owner);
  ~TControl() override;
  /// Leaves the parent and the dock host while the control is still whole.
  void BeforeDestruction() override;

  // ---- parent and tree
  TWinControl* Parent() const noexcept { return FParent; }
  /// Moves the control to another parent (null: none). Raises EInvalidOperation with
  /// sControlParentSetToSelf when `parent` is the control itself or one of its children.
  virtual void SetParent(TWinControl* parent);
  /// True when `control` is this control or lies somewhere below it.
  bool ContainsControl(const TControl* control) const;
  bool HasParent() override { return true; }
  /// Children read inside a control come to it (so that one which cannot take them refuses).
  TComponent* GetChildParent() override { return this; }
  TComponent* GetParentComponent() override;
  /// A windowed `value` becomes the parent; anything else is ignored.
  void SetParentComponent(TComponent* value) override;
  /// Takes the reader's parent first; refuses (EReadError, sControlNotAccepting) a parent that
  /// is not a windowed control with controlAcceptsControls in its style.
  void ReadState(TReader* reader) override;
  void Loaded() override;

  // ---- bounds
  Integer Left() const noexcept { return FLeft; }
  Integer Top() const noexcept { return FTop; }
  Integer Width() const noexcept { return FWidth; }
  Integer Height() const noexcept { return FHeight; }
  void SetLeft(Integer v) {
    NoteScaling(sfLeft);
    SetBounds(v, FTop, FWidth, FHeight);
  }
  void SetTop(Integer v) {
    NoteScaling(sfTop);
    SetBounds(FLeft, v, FWidth, FHeight);
  }
  void SetWidth(Integer v) {
    NoteScaling(sfWidth);
    SetBounds(FLeft, FTop, v, FHeight);
  }
  void SetHeight(Integer v) {
    NoteScaling(sfHeight);
    SetBounds(FLeft, FTop, FWidth, v);
  }
  /// In the parent's client coordinates (screen coordinates without a parent). An aligned or
  /// anchored control may be moved back at once by its parent's realignment.
  virtual void SetBounds(Integer left, Integer top, Integer width, Integer height);
  TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  /// Scales position and size, margins and (unless it follows the parent's) the font by
  /// m / d, rounding each value. A windowed control scales its children and padding as well.
  /// Nothing for a zero or negative factor. After SetScalingRead, only what was set while
  /// loading since is scaled, once.
  virtual void ChangeScale(Integer m, Integer d);
  /// Until the next ChangeScale (or a call with false), scaling touches only the values set
  /// while loading: for a stream read into a control an earlier stream already scaled.
  void SetScalingRead(bool value) {
    FScalingRead = value;
    FScalingFlags = {};
  }
  bool ScalingRead() const noexcept { return FScalingRead; }

  // ---- client area and coordinates
  /// The client area in the control's own coordinates: (0, 0, client width, client height).
  TRect ClientRect() const;
  Integer ClientWidth() const { return ClientRect().Right; }
  Integer ClientHeight() const { return ClientRect().Bottom; }
  /// Sets the width (height) so that the client area gets `value`.
  void SetClientWidth(Integer value);
  void SetClientHeight(Integer value);
  /// Thickness of the frame around the client area (left, top, right, bottom); none here.
  virtual TRect NonClientExtent() const { return {}; }
  /// Screen position of the client area's top-left corner.
  TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;
  /// A point of the client area in the parent's client coordinates, and back.
  TPoint ClientToParent(TPoint p) const;
  TPoint ParentToClient(TPoint p) const;
  /// Baseline of the control's text from its top edge, or -1 for a control without text.
  virtual Integer GetTextBaseline() const { return -1; }

  // ---- state
  bool Visible() const noexcept { return FVisible; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const noexcept { return FEnabled; }
  virtual void SetEnabled(bool value);
  TAlign Align() const noexcept { return FAlign; }
  void SetAlign(TAlign value);
  TAnchors Anchors() const noexcept { return FAnchors; }
  void SetAnchors(TAnchors value);
  bool AlignWithMargins() const noexcept { return FAlignWithMargins; }
  void SetAlignWithMargins(bool value);
  TMargins* Margins() const noexcept { return FMargins.get(); }
  void SetMargins(TMargins* value) { FMargins->Assign(value); }
  TControlStyle ControlStyle() const noexcept { return FControlStyle; }
  void SetControlStyle(TControlStyle value) { FControlStyle = value; }
  TCursor Cursor() const noexcept { return FCursor; }
  void SetCursor(TCursor value) { FCursor = value; }
  const String& Hint() const noexcept { return FHint; }
  void SetHint(const String& value) { FHint = value; }

  // ---- text, font and colour
  /// Caption and Text are the same string; a class publishes the one it shows.
  const String& GetText() const noexcept { return FText; }
  virtual void SetText(const String& value);
  /// A control whose caption still reads as its name follows a rename (unless it is being read).
  void SetName(const String& newName) override;
  const String& Caption() const noexcept { return FText; }
  void SetCaption(const String& value) { SetText(value); }
  TFont* Font() const noexcept { return FFont.get(); }
  void SetFont(TFont* value) { FFont->Assign(value); }
  /// While set, the font follows the parent's; changing the font clears it.
  bool ParentFont() const noexcept { return FParentFont; }
  void SetParentFont(bool value);
  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor value);
  bool ParentColor() const noexcept { return FParentColor; }
  void SetParentColor(bool value);

  // ---- z-order
  /// Index among the parent's controls (graphic controls first, then windowed ones), or -1.
  Integer ZOrderPosition() const;
  /// Moves the control within its kind (graphic or windowed) to `position` of the parent's
  /// combined list, clamped to its kind's range.
  virtual void SetZOrderPosition(Integer position);
  void BringToFront() { SetZOrder(true); }
  void SendToBack() { SetZOrder(false); }
  virtual void SetZOrder(bool topMost);

  // ---- docking
  TDragKind DragKind() const noexcept { return FDragKind; }
  void SetDragKind(TDragKind value) { FDragKind = value; }
  TDragMode DragMode() const noexcept { return FDragMode; }
  void SetDragMode(TDragMode value) { FDragMode = value; }
  /// The dock site the control is docked in, or null.
  TWinControl* HostDockSite() const noexcept { return FHostDockSite; }
  /// Not docked anywhere and without a parent.
  bool Floating() const noexcept { return !FHostDockSite && !FParent; }
  Integer UndockWidth() const noexcept { return FUndockWidth; }
  Integer UndockHeight() const noexcept { return FUndockHeight; }
  void SetUndockWidth(Integer v) { FUndockWidth = v; }
  void SetUndockHeight(Integer v) { FUndockHeight = v; }
  Integer LRDockWidth() const noexcept { return FLRDockWidth; }
  Integer TBDockHeight() const noexcept { return FTBDockHeight; }
  void SetLRDockWidth(Integer v) { FLRDockWidth = v; }
  void SetTBDockHeight(Integer v) { FTBDockHeight = v; }
  /// Docks into `newDockSite` beside `dropControl` on side `controlSide`; a null site floats
  /// the control at its undock size. A control that was floating remembers its size as the
  /// undock size. False when the old host refused the undock; raises EInvalidOperation
  /// (sControlParentSetToSelf) for a site inside the control.
  bool ManualDock(TWinControl* newDockSite, TControl* dropControl = nullptr,
                  TAlign controlSide = alNone);
  /// Undocks, leaves the parent and takes `screenPos` as its bounds. False when the old host
  /// refused.
  bool ManualFloat(const TRect& screenPos);

  // ---- action
  /// The action whose caption, enabled state, hint and visibility the control takes and which
  /// Click runs; null when none. Freeing the action clears it.
  TBasicAction* Action() const noexcept { return FActionLink ? FActionLink->Action() : nullptr; }
  void SetAction(TBasicAction* value);
  TBasicActionLink* ActionLink() const noexcept { return FActionLink.get(); }

  TNotifyEvent OnClick;
  TNotifyEvent OnResize;
  /// Fires OnClick, or runs the action when OnClick is not set or is the action's own handler
  /// (never while designing).
  virtual void Click();

protected:
  friend class TWinControl;
  friend class TMargins;
  /// Called after the size changed.
  virtual void Resize();
  /// The parent's font or colour changed (and this control follows it).
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  /// The margins or padding changed.
  virtual void MarginsChanged(TMargins* which);
  /// Takes the action's properties; with `checkDefaults` (while loading) only those the
  /// control still has at their defaults.
  virtual void ActionChange(TBasicAction* sender, bool checkDefaults);
  /// Asks the parent to realign when this control takes part in alignment.
  void RequestAlign();
  void UpdateAnchorRules();
  /// Some parent up the chain is still loading or waits for its children to finish loading
  /// before it realigns: this control's bounds are not final yet.
  bool AwaitsLoadedAlign() const;
  bool Loading() const { return ComponentState().Contains(stateLoading); }
  /// Whether a rename should carry `text` (what the control shows) along with the name.
  bool TextFollowsName(const String& text) const;
  /// Detaches from the dock host; false when the host refused.
  bool Undock(TWinControl* newTarget);
  /// What the next ChangeScale scales (everything unless SetScalingRead is on); ends the mode.
  TScalingFlags TakeScalingFlags();
  void NoteScaling(TScalingFlag flag) {
    if (FScalingRead && Loading()) FScalingFlags.Include(flag);
  }
  /// The bounds last set by hand (not by alignment or anchors).
  const TRect& ExplicitBounds() const noexcept { return FExplicitBounds; }

  TControlStyle FControlStyle{controlCaptureMouse, controlClickEvents, controlSetCaption,
                              controlDoubleClicks};
  TColor FColor = clBtnFace;

public:
  // Stored tests of the published properties.
  bool IsFontStored() const { return !FParentFont; }
  bool IsColorStored() const { return !FParentColor; }
  /// Anchors are stored when they differ from what the alignment implies.
  bool IsAnchorsStored() const;
  // What equals the action's value is the action's: stored with the action, not the control.
  bool IsCaptionStored() const;
  bool IsEnabledStored() const;
  bool IsHintStored() const;
  bool IsVisibleStored() const;

private:
  void FontChanged();

  TWinControl* FParent = nullptr;
  Integer FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TAlign FAlign = alNone;
  TAnchors FAnchors = AnchorsDefault;
  bool FAlignWithMargins = false;
  TOwned<TMargins> FMargins;
  TCursor FCursor = crDefault;
  String FText;
  String FHint;
  TOwned<TFont> FFont;
  bool FParentFont = true;
  bool FParentColor = false;
  bool FSettingParentFont = false;
  TDragKind FDragKind = dkDrag;
  TDragMode FDragMode = dmManual;
  TWinControl* FHostDockSite = nullptr;
  Integer FUndockWidth = 0, FUndockHeight = 0, FLRDockWidth = 0, FTBDockHeight = 0;
  // Anchor rules: bounds and parent client size when the control was last placed by hand.
  TRect FAnchorBounds;
  TPoint FOriginalParentSize;
  bool FAnchorMove = false; // set while the parent places the control
  bool FHasAnchorRules = false;
  bool FScalingRead = false;
  TScalingFlags FScalingFlags;
  TRect FExplicitBounds;   // the bounds last set by hand, restored when the alignment goes
  bool FWindowed = false;  // a TWinControl: kept in the parent's windowed list
  Integer FListIndex = -1; // slot in the parent's list of its kind
  std::unique_ptr<TBasicActionLink> FActionLink;
};

/// A control without a window of its own: always below its windowed siblings.
class TGraphicControl : public TControl {
  FW_CLASS(TGraphicControl)
public:
  explicit TGraphicControl(TComponent* owner);
};

/// What a dock site's manager does with the clients docked into it.
struct IDockManager : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{8B0A5E21-4C3D-4F6B-9E37-1D2C5A7B9F10}");
  /// `control` docks beside `dropCtl` (null: the whole site) on `insertAt`.
  virtual void InsertControl(TControl* control, TAlign insertAt, TControl* dropCtl) = 0;
  virtual void RemoveControl(TControl* control) = 0;
  /// The site's size changed: lay the clients out again (with `force`, even at the same size).
  virtual void ResetBounds(bool force) = 0;
  /// The layout of the clients, as the manager's own binary data.
  virtual void SaveToStream(TStream& stream) = 0;
  virtual void LoadFromStream(TStream& stream) = 0;
};

/// The drop of a control onto a dock site, as the site's DockDrop sees it.
class TDragDockObject : public TObject {
  FW_CLASS(TDragDockObject)
public:
  explicit TDragDockObject(TControl* control) : FControl(control) {}
  TControl* Control() const noexcept { return FControl; }
  TRect DockRect;
  TAlign DropAlign = alNone;
  TControl* DropOnControl = nullptr;
  bool Floating = false;

private:
  TControl* FControl;
};

class TWinControl : public TControl {
  FW_CLASS(TWinControl)
public:
  explicit TWinControl(TComponent* owner);
  /// Frees every child control, topmost first.
  ~TWinControl() override;

  // ---- children
  /// Graphic controls first (back to front), then windowed ones (back to front).
  Integer ControlCount() const noexcept {
    return static_cast<Integer>(FControls.Count() + FWinControls.Count());
  }
  /// Raises EListError for an index out of range.
  TControl* Controls(Integer index) const;
  /// Adds `control` as the topmost child of its kind; SetParent is the public way.
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  /// The topmost visible child at `pos` (client coordinates): windowed children only with
  /// `allowWinControls`, disabled ones only with `allowDisabled`; with `allLevels` the search
  /// goes on into the windowed child found.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false,
                         bool allLevels = false) const;

  // ---- tab order
  /// Position in the parent's tab list, or -1 without a parent.
  Integer TabOrder() const;
  /// Moves the control in its parent's tab list (clamped); while loading, the value waits until
  /// Loaded.
  void SetTabOrder(Integer value);
  bool TabStop() const noexcept { return FTabStop; }
  void SetTabStop(bool value) { FTabStop = value; }
  /// The type "TTabOrder" the TabOrder property is published with.
  static PTypeInfo TabOrderTypeInfo();
  /// The windowed children in tab order.
  const std::vector<TWinControl*>& TabList() const;

  // ---- alignment
  TPadding* Padding() const noexcept { return FPadding.get(); }
  void SetPadding(TPadding* value) { FPadding->Assign(value); }
  /// Lays out the children by Align and Anchors (nothing while loading or alignment is off).
  void Realign();
  void DisableAlign() { ++FAlignLevel; }
  /// Realigns when the last DisableAlign is undone.
  void EnableAlign();
  bool AlignDisabled() const noexcept { return FAlignLevel > 0; }
  /// The area children are aligned in: the client rectangle less the padding.
  virtual TRect AdjustClientRect() const;

  // ---- streaming
  /// The child controls owned by `root`, in z-order.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  TComponent* GetChildParent() override { return this; }
  void SetChildOrder(TComponent* child, Integer order) override;
  void Loaded() override;

  void SetZOrderPosition(Integer position) override;
  void SetZOrder(bool topMost) override;
  void ChangeScale(Integer m, Integer d) override;

  // ---- docking
  bool DockSite() const noexcept { return FDockSite; }
  void SetDockSite(bool value) { FDockSite = value; }
  bool UseDockManager() const noexcept { return FUseDockManager; }
  void SetUseDockManager(bool value) { FUseDockManager = value; }
  const IPtr<IDockManager>& DockManager() const noexcept { return FDockManager; }
  void SetDockManager(IPtr<IDockManager> value) { FDockManager = std::move(value); }
  Integer DockClientCount() const noexcept { return static_cast<Integer>(FDockClients.size()); }
  /// Raises EListError for an index out of range.
  TControl* DockClients(Integer index) const;
  /// Places a control dropped onto this site (through the dock manager when there is one) and
  /// adds it to the dock clients.
  virtual void DockDrop(TDragDockObject* source, Integer x, Integer y);
  /// Asked before `client` leaves for `newTarget` (null: floating); false refuses.
  virtual bool DoUnDock(TWinControl* newTarget, TControl* client);
  /// Told after a client joined or left.
  virtual void DoAddDockClient(TControl* client, const TRect& rect);
  virtual void DoRemoveDockClient(TControl* client);

protected:
  friend class TControl;
  /// Positions the children; `control` (may be null) wins ties among equally placed ones.
  virtual void AlignControls(TControl* control, TRect& rect);
  void Resize() override;
  void ParentFontChanged() override;
  void ParentColorChanged() override;
  void MarginsChanged(TMargins* which) override;
  void AlignFor(TControl* control);

private:
  void NotifyFontChanged();
  void NotifyColorChanged();
  void RenumberTabs(std::size_t from, std::size_t to);
  /// Moves `child` to `value` in the tab list (clamped) and renumbers the range it crossed.
  void MoveTab(TWinControl* child, Integer value);
  /// Applies the tab orders loaded children left queued, in the order they were loaded.
  void SettleTabs() const;
  /// The realignment that follows loading; once nothing above waits any more, the controls
  /// below take their anchor rules from the bounds it left them.
  void RealignLoaded();

  /// The children of one kind, back to front, with their bounds beside them so that
  /// hit-testing scans one compact array. Each child knows its slot. A removal leaves a hole
  /// (null, empty bounds) that the next look by position packs away: deleting many children one
  /// by one would otherwise shift and renumber every later sibling each time.
  struct TChildList {
    std::vector<TControl*> Items; // the last slot is never a hole
    std::vector<TRect> Bounds;
    std::size_t Holes = 0;
    std::size_t Count() const noexcept { return Items.size() - Holes; }
    void Add(TControl* c);
    void Remove(TControl* c);
    /// Both positions in the packed list.
    void Move(std::size_t from, std::size_t to);
    void Pack();
  };
  TChildList& ListOf(const TControl* c) { return c->FWindowed ? FWinControls : FControls; }
  /// Packs both lists, so that slots are positions.
  void PackControls() const;
  mutable TChildList FControls;
  mutable TChildList FWinControls;
  /// Holes (null) as in TChildList, packed by SettleTabs and every reader of positions.
  std::vector<TWinControl*> FTabList;
  std::size_t FTabHoles = 0;
  void PackTabs() const;
  // Loaded children's stored tab orders, applied together on the next look at the tab list: one
  // by one, each would shift every sibling behind it.
  std::vector<std::pair<TWinControl*, Integer>> FTabMoves;
  std::vector<TControl*> FDockClients;
  TOwned<TPadding> FPadding;
  Integer FTabOrder = -1;
  Integer FPendingTabOrder = -1;
  Integer FLoadingChildren = 0; // children whose Loaded is still to come
  bool FTabStop = false;
  Integer FAlignLevel = 0;
  bool FAligning = false;
  bool FDockSite = false;
  bool FUseDockManager = false;
  IPtr<IDockManager> FDockManager;
};

} // namespace fw
