// Forms, frames and scroll boxes: the windowed roots modules are designed as, and the scrolling
// container they share.
#pragma once

#include "tarn/controls.h"

namespace fw {

class TMainMenu;
class TScrollingWinControl;

inline constexpr std::string_view sCannotFocus = "Cannot focus a disabled or invisible window";

enum TFormBorderStyle : std::uint8_t {
  bsNone,
  bsSingle,
  bsSizeable,
  bsDialog,
  bsToolWindow,
  bsSizeToolWin,
};
/// bsNone or bsSingle: the border of an ordinary windowed control.
using TBorderStyle = TFormBorderStyle;
enum TFormStyle : std::uint8_t { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition : std::uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter,
};
enum TWindowState : std::uint8_t { wsNormal, wsMinimized, wsMaximized };
PTypeInfo TypeInfoOf(std::type_identity<TFormBorderStyle>);
PTypeInfo TypeInfoOf(std::type_identity<TFormStyle>);
PTypeInfo TypeInfoOf(std::type_identity<TPosition>);
PTypeInfo TypeInfoOf(std::type_identity<TWindowState>);
/// The subrange "TBorderStyle" (bsNone..bsSingle) that ordinary controls publish.
PTypeInfo BorderStyleTypeInfo();

enum TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };

/// One scroll bar of a scrolling control: the extent of its content (Range) and how far it is
/// scrolled (Position).
class TControlScrollBar : public TPersistent {
  FW_CLASS(TControlScrollBar)
public:
  TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() override;

  TScrollBarKind Kind() const noexcept { return FKind; }
  /// While the control scrolls automatically (and its automatic range is not suspended) the
  /// extent of its children: the farthest right (bottom) edge of the children placed from the
  /// left (top), scroll position included, plus the children aligned to the right (bottom).
  /// Otherwise the value last set.
  Integer Range() const;
  /// Turns the control's AutoScroll off: the range is the control's from now on.
  void SetRange(Integer value);
  Integer Position() const;
  /// Scrolls the content; clamped to 0 .. Range less the client size.
  void SetPosition(Integer value);
  Integer Increment() const noexcept { return FIncrement; }
  void SetIncrement(Integer value) { FIncrement = value; }
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  /// Visible and the range exceeds the client size.
  bool IsScrollBarVisible() const;
  bool IsRangeStored() const;

private:
  friend class TScrollingWinControl;
  Integer ClientSize() const;
  Integer ChildExtent() const;
  TScrollingWinControl* FControl;
  TScrollBarKind FKind;
  Integer FRange = 0;
  Integer FIncrement = 8;
  bool FVisible = true;
};

/// A windowed control whose children can lie beyond its client area.
class TScrollingWinControl : public TWinControl {
  FW_CLASS(TScrollingWinControl)
public:
  explicit TScrollingWinControl(TComponent* owner);
  bool AutoScroll() const noexcept { return FAutoScroll; }
  /// Turned off, both ranges keep the values they had.
  void SetAutoScroll(bool value);
  /// The scroll offset: how far the content has been moved up and left.
  TPoint ScrollPosition() const noexcept { return FScrollPos; }
  /// Moves every child by (dx, dy) and the scroll offset the other way.
  void ScrollBy(Integer dx, Integer dy);
  TControlScrollBar* HorzScrollBar() const noexcept { return FHorzScrollBar.get(); }
  void SetHorzScrollBar(TControlScrollBar* value) { FHorzScrollBar->Assign(value); }
  TControlScrollBar* VertScrollBar() const noexcept { return FVertScrollBar.get(); }
  void SetVertScrollBar(TControlScrollBar* value) { FVertScrollBar->Assign(value); }
  /// Freezes the automatic ranges at their current values (nested); EnableAutoRange lets
  /// them follow the children again when the last suspension ends.
  void DisableAutoRange();
  void EnableAutoRange();
  bool AutoRangeDisabled() const noexcept { return FAutoRangeCount > 0; }
  /// Fixed ranges scale with the children.
  void ChangeScale(Integer m, Integer d) override;

protected:
  /// Scales the ranges that do not follow the children.
  void ScaleScrollBars(Integer m, Integer d);
  bool FAutoScroll = true;

private:
  /// The bars keep the ranges the children give them now.
  void FreezeRanges();
  TPoint FScrollPos;
  TOwned<TControlScrollBar> FHorzScrollBar;
  TOwned<TControlScrollBar> FVertScrollBar;
  Integer FAutoRangeCount = 0;
};

class TScrollBox : public TScrollingWinControl {
  FW_CLASS(TScrollBox)
public:
  explicit TScrollBox(TComponent* owner);
  TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  /// A single border is two pixels on each side.
  TRect NonClientExtent() const override;

private:
  TBorderStyle FBorderStyle = bsSingle;
};

/// A top-level window: a module's root while designed. Its Left and Top are screen coordinates
/// and its frame (caption and borders) follows BorderStyle.
class TCustomForm : public TScrollingWinControl {
  FW_CLASS(TCustomForm)
public:
  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TFormBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TFormStyle FormStyle() const noexcept { return FFormStyle; }
  void SetFormStyle(TFormStyle value) { FFormStyle = value; }
  TPosition Position() const noexcept { return FPosition; }
  void SetPosition(TPosition value) { FPosition = value; }
  TWindowState WindowState() const noexcept { return FWindowState; }
  void SetWindowState(TWindowState value) { FWindowState = value; }
  /// The frame: borders on every side, the caption bar on top.
  TRect NonClientExtent() const override;

  TMainMenu* Menu() const noexcept { return FMenu; }
  void SetMenu(TMainMenu* value);
  TWinControl* ActiveControl() const noexcept { return FActiveControl; }
  /// Raises EInvalidOperation when `value` is not on this form.
  void SetActiveControl(TWinControl* value);
  TModalResult ModalResult() const noexcept { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }
  bool OldCreateOrder() const noexcept { return FOldCreateOrder; }
  void SetOldCreateOrder(bool value) { FOldCreateOrder = value; }
  /// The resolution the form is laid out for. A form read with another value than the
  /// screen's (and Scaled on) is scaled to the screen's and then has the screen's.
  Integer PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer value) { FPixelsPerInch = value; }
  bool Scaled() const noexcept { return FScaled; }
  void SetScaled(bool value) { FScaled = value; }
  /// Scales the children's bounds and own fonts, the client size, the font and the fixed
  /// scroll ranges by m / d; the form keeps its position.
  void ScaleBy(Integer m, Integer d);
  void ReadState(TReader* reader) override;
  /// The font's line height (what the form was designed with); streamed for scaling.
  Integer TextHeight() const;
  void SetTextHeight(Integer value) { FTextHeight = value; }
  Integer GetClientWidthProp() const { return ClientWidth(); }
  Integer GetClientHeightProp() const { return ClientHeight(); }

  /// The child controls owned by `root`, then (when `root` is the form) the owned components
  /// without a parent.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  void Notification(TComponent* component, TOperation operation) override;
  /// Hides the form.
  void Close() { SetVisible(false); }
  /// The screen's active form is this one.
  bool Active() const;
  /// Makes the form the screen's active form. Raises EInvalidOperation (sCannotFocus) when it
  /// is hidden or disabled.
  void SetFocus();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;

  void SetVisible(bool value) override;

private:
  TFormBorderStyle FBorderStyle = bsSizeable;
  TFormStyle FFormStyle = fsNormal;
  TPosition FPosition = poDefaultPosOnly;
  TWindowState FWindowState = wsNormal;
  TMainMenu* FMenu = nullptr;
  TWinControl* FActiveControl = nullptr;
  TModalResult FModalResult = mrNone;
  bool FOldCreateOrder = false;
  Integer FPixelsPerInch = DefaultPixelsPerInch;
  bool FScaled = true;
  Integer FTextHeight = 0;
  bool FDestroyFired = false;
};

class TForm : public TCustomForm {
  FW_CLASS(TForm)
public:
  explicit TForm(TComponent* owner);
};

/// A reusable group of controls, designed as a module of its own and placed inline on forms
/// and other frames; it owns its components.
class TCustomFrame : public TScrollingWinControl {
  FW_CLASS(TCustomFrame)
public:
  explicit TCustomFrame(TComponent* owner);
  TComponent* GetChildOwner() override { return this; }
  /// The child controls owned by `root`, then (when `root` is the frame) its components
  /// without a parent.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
};

class TFrame : public TCustomFrame {
  FW_CLASS(TFrame)
public:
  explicit TFrame(TComponent* owner);
};

/// The form `control` lies on (itself when it is one), or null.
TCustomForm* GetParentForm(TControl* control);

} // namespace fw
