#include "tarn/forms.h"

#include "basert/format.h"
#include "tarn/mainmenu.h"
#include "tarn/publishing.h"

namespace fw {

inline constexpr std::string_view sCannotFocus = "Cannot focus a disabled or invisible window";

PTypeInfo TypeInfoOf(std::type_identity<TFormBorderStyle>) {
  static PTypeInfo t = MakeEnumType(
      "TFormBorderStyle",
      {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}, "Forms");
  return t;
}
PTypeInfo BorderStyleTypeInfo() {
  static PTypeInfo t =
      MakeEnumSubrange("TBorderStyle", TypeInfo<TFormBorderStyle>(), bsNone, bsSingle);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TFormStyle>) {
  static PTypeInfo t =
      MakeEnumType("TFormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, "Forms");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TPosition>) {
  static PTypeInfo t =
      MakeEnumType("TPosition",
                   {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                    "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
                   "Forms");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TWindowState>) {
  static PTypeInfo t =
      MakeEnumType("TWindowState", {"wsNormal", "wsMinimized", "wsMaximized"}, "Forms");
  return t;
}

// ---- TScrollingWinControl ----------------------------------------------------------------------

TClass TScrollingWinControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TScrollingWinControl, TWinControl>("TScrollingWinControl", "Forms").Build();
  return cls;
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner) : TWinControl(owner) {}

void TScrollingWinControl::ScrollBy(Integer dx, Integer dy) {
  if (dx == 0 && dy == 0) return;
  DisableAlign();
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  FScrollPos.X -= dx;
  FScrollPos.Y -= dy;
  EnableAlign();
}

// ---- TScrollBox --------------------------------------------------------------------------------

TClass TScrollBox::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TScrollBox, TScrollingWinControl> b("TScrollBox", "Forms");
    detail::PublishPlacement(b);
    b.Property("AutoScroll", &TScrollBox::AutoScroll, &TScrollBox::SetAutoScroll)
        .Default(true)
        .Property("BorderStyle", &BorderStyleTypeInfo, &TScrollBox::BorderStyle,
                  &TScrollBox::SetBorderStyle)
        .Default(bsSingle);
    detail::PublishColor(b, clBtnFace);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b);
    detail::PublishTabs(b, false);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TScrollBox::TScrollBox(TComponent* owner) : TScrollingWinControl(owner) {
  FControlStyle.Include(controlAcceptsControls);
  SetBounds(0, 0, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  Realign();
}

TRect TScrollBox::NonClientExtent() const {
  return FBorderStyle == bsSingle ? TRect{2, 2, 2, 2} : TRect{};
}

// ---- TCustomForm -------------------------------------------------------------------------------

TClass TCustomForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomForm, TScrollingWinControl>("TCustomForm", "Forms").Build();
  return cls;
}

TCustomForm::TCustomForm(TComponent* owner) : TScrollingWinControl(owner) {
  FControlStyle.Include(controlAcceptsControls);
  SetParentFont(false);
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() = default;

void TCustomForm::AfterConstruction() {
  TScrollingWinControl::AfterConstruction();
  // Handlers run only in the running program, never while the form is designed.
  if (!ComponentState().Contains(stateDesigning)) OnCreate(this);
}

void TCustomForm::BeforeDestruction() {
  if (!FDestroyFired && !ComponentState().Contains(stateDesigning)) {
    FDestroyFired = true;
    OnDestroy(this);
  }
  TScrollingWinControl::BeforeDestruction();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  if (FBorderStyle == value) return;
  // The outer size stays; the client area follows the frame.
  FBorderStyle = value;
  Realign();
}

TRect TCustomForm::NonClientExtent() const {
  // Headless frame metrics: a fixed border and caption bar per style.
  switch (FBorderStyle) {
  case bsNone:
    return {};
  case bsSingle:
  case bsDialog:
    return {3, 3 + 22, 3, 3};
  case bsSizeable:
    return {8, 8 + 23, 8, 8};
  case bsToolWindow:
    return {3, 3 + 17, 3, 3};
  case bsSizeToolWin:
    return {8, 8 + 17, 8, 8};
  }
  return {};
}

void TCustomForm::SetMenu(TMainMenu* value) {
  if (FMenu == value) return;
  if (FMenu) FMenu->RemoveFreeNotification(this);
  FMenu = value;
  if (FMenu) FMenu->FreeNotification(this);
}

void TCustomForm::SetActiveControl(TWinControl* value) {
  if (FActiveControl == value) return;
  if (value) {
    bool focusable = value != this && GetParentForm(value) == this;
    if (focusable && !Loading())
      for (TControl* c = value; c && c != this; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) focusable = false;
    if (!focusable) throw EInvalidOperation(sCannotFocus);
  }
  if (FActiveControl) FActiveControl->RemoveFreeNotification(this);
  FActiveControl = value;
  if (FActiveControl) FActiveControl->FreeNotification(this);
}

Integer TCustomForm::TextHeight() const { return Font()->TextHeight(); }

void TCustomForm::SetVisible(bool value) {
  if (Visible() == value) return;
  TScrollingWinControl::SetVisible(value);
  if (ComponentState().Contains(stateDesigning) || Loading()) return;
  if (value)
    OnShow(this);
  else
    OnHide(this);
}

void TCustomForm::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TScrollingWinControl::GetChildren(proc, root);
  if (root == this)
    for (TComponent* c : ComponentList())
      if (!c->HasParent()) proc(c);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TScrollingWinControl::Notification(component, operation);
  if (operation != notifyRemove) return;
  if (component == FMenu) FMenu = nullptr;
  if (component == FActiveControl) FActiveControl = nullptr;
}

// ---- TForm -------------------------------------------------------------------------------------

TClass TForm::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TForm, TCustomForm> b("TForm", "Forms");
    // The frame is the window system's: a form streams its client size instead.
    b.Property("Width", &TForm::Width, &TForm::SetWidth)
        .Stored(false)
        .Property("Height", &TForm::Height, &TForm::SetHeight)
        .Stored(false)
        .Property("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl);
    detail::PublishPlacement(b);
    b.Property("AutoScroll", &TForm::AutoScroll, &TForm::SetAutoScroll)
        .Default(true)
        .Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle)
        .Default(bsSizeable)
        .Property("Caption", &TForm::Caption, &TForm::SetCaption)
        .Property("ClientHeight", &TForm::GetClientHeightProp, &TForm::SetClientHeight)
        .NoDefault()
        .Property("ClientWidth", &TForm::GetClientWidthProp, &TForm::SetClientWidth)
        .NoDefault();
    detail::PublishColor(b, clBtnFace);
    b.Property("DockSite", &TForm::DockSite, &TForm::SetDockSite).Default(false);
    detail::PublishStateAndFont(b);
    b.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle)
        .Default(fsNormal)
        .Property("Menu", &TForm::Menu, &TForm::SetMenu)
        .Property("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder)
        .NoDefault();
    detail::PublishParents(b, false, false);
    b.Property("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
        .NoDefault()
        .Property("Position", &TForm::Position, &TForm::SetPosition)
        .Default(poDefaultPosOnly)
        .Property("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight)
        .NoDefault()
        .Property("UseDockManager", &TForm::UseDockManager, &TForm::SetUseDockManager)
        .Default(false)
        .Property("Visible", &TForm::Visible, &TForm::SetVisible)
        .Default(false)
        .Property("WindowState", &TForm::WindowState, &TForm::SetWindowState)
        .Default(wsNormal)
        .Property("OnClick", &TForm::OnClick, &TForm::OnClick)
        .Property("OnCreate", &TForm::OnCreate, &TForm::OnCreate)
        .Property("OnDestroy", &TForm::OnDestroy, &TForm::OnDestroy)
        .Property("OnHide", &TForm::OnHide, &TForm::OnHide)
        .Property("OnResize", &TForm::OnResize, &TForm::OnResize)
        .Property("OnShow", &TForm::OnShow, &TForm::OnShow);
    return b.Build();
  }();
  return cls;
}

TForm::TForm(TComponent* owner) : TCustomForm(owner) {}

// ---- TCustomFrame ------------------------------------------------------------------------------

TClass TCustomFrame::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomFrame, TScrollingWinControl>("TCustomFrame", "Forms").Build();
  return cls;
}

TCustomFrame::TCustomFrame(TComponent* owner) : TScrollingWinControl(owner) {
  FControlStyle.Include(controlAcceptsControls);
  SetBounds(0, 0, 320, 240);
}

void TCustomFrame::GetChildren(const TGetChildProc& proc, TComponent* root) {
  TScrollingWinControl::GetChildren(proc, root);
  if (root == this)
    for (TComponent* c : ComponentList())
      if (!c->HasParent()) proc(c);
}

TClass TFrame::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TFrame, TCustomFrame> b("TFrame", "Forms");
    detail::PublishPlacement(b);
    b.Property("AutoScroll", &TFrame::AutoScroll, &TFrame::SetAutoScroll).Default(true);
    detail::PublishColor(b, clBtnFace);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b, true);
    detail::PublishTabs(b, false);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TFrame::TFrame(TComponent* owner) : TCustomFrame(owner) { SetParentColor(true); }

TCustomForm* GetParentForm(TControl* control) {
  while (control && control->Parent())
    control = control->Parent();
  return dynamic_cast<TCustomForm*>(control);
}

} // namespace fw
