// Forms, frames and scroll boxes: the windowed roots modules are designed as, and the scrolling
// container they share.
#pragma once

#include "tarn/controls.h"

namespace fw {

class TMainMenu;

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

/// A windowed control whose children can lie beyond its client area.
class TScrollingWinControl : public TWinControl {
  FW_CLASS(TScrollingWinControl)
public:
  explicit TScrollingWinControl(TComponent* owner);
  bool AutoScroll() const noexcept { return FAutoScroll; }
  void SetAutoScroll(bool value) { FAutoScroll = value; }
  /// The scroll offset: how far the content has been moved up and left.
  TPoint ScrollPosition() const noexcept { return FScrollPos; }
  /// Moves every child by (dx, dy) and the scroll offset the other way.
  void ScrollBy(Integer dx, Integer dy);

protected:
  bool FAutoScroll = true;

private:
  TPoint FScrollPos;
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
  Integer PixelsPerInch() const noexcept { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer value) { FPixelsPerInch = value; }
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
