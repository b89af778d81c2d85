#include "tarn/forms.h"

#include "basert/filer.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "tarn/mainmenu.h"
#include "tarn/publishing.h"
#include "tarn/screen.h"

#include <algorithm>

namespace fw {

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

// ---- TControlScrollBar -------------------------------------------------------------------------

TClass TControlScrollBar::StaticClass() {
  using B = TControlScrollBar;
  static const TClass cls = TClassBuilder<B, TPersistent>("TControlScrollBar", "Forms")
                                .Property("Increment", &B::Increment, &B::SetIncrement)
                                .Default(8)
                                .Property("Range", &B::Range, &B::SetRange)
                                .Default(0)
                                .Stored(&B::IsRangeStored)
                                .Property("Visible", &B::Visible, &B::SetVisible)
                                .Default(true)
                                .Build();
  return cls;
}

TControlScrollBar::TControlScrollBar(TScrollingWinControl* control, TScrollBarKind kind)
    : FControl(control), FKind(kind) {}

void TControlScrollBar::Assign(TPersistent* source) {
  auto* from = dynamic_cast<TControlScrollBar*>(source);
  if (!from) return TPersistent::Assign(source);
  FIncrement = from->FIncrement;
  FVisible = from->FVisible;
  // A bar following its control's children copies nothing that would stop it following.
  if (from->IsRangeStored()) SetRange(from->Range());
  SetPosition(from->Position());
}

TPersistent* TControlScrollBar::GetOwner() { return FControl; }

Integer TControlScrollBar::ClientSize() const {
  return FKind == sbHorizontal ? FControl->ClientWidth() : FControl->ClientHeight();
}

Integer TControlScrollBar::ChildExtent() const {
  const bool horz = FKind == sbHorizontal;
  const TAlign nearSide = horz ? alLeft : alTop;
  const TAlign farSide = horz ? alRight : alBottom;
  const TAnchorKind nearAnchor = horz ? akLeft : akTop;
  const bool designing = FControl->ComponentState().Contains(stateDesigning);
  Integer extent = 0;
  Integer farAligned = 0;
  for (Integer i = 0; i < FControl->ControlCount(); ++i) {
    const TControl* c = FControl->Controls(i);
    const bool shown =
        c->Visible() || (designing && !c->ControlStyle().Contains(controlNoDesignVisible));
    if (!shown) continue;
    const TMargins* m = c->AlignWithMargins() ? c->Margins() : nullptr;
    if (c->Align() == farSide) {
      farAligned += horz ? c->Width() + (m ? m->Left() + m->Right() : 0)
                         : c->Height() + (m ? m->Top() + m->Bottom() : 0);
    } else if (c->Align() == nearSide ||
               (c->Align() == alNone && c->Anchors().Contains(nearAnchor))) {
      const Integer edge = horz ? c->Left() + c->Width() + (m ? m->Right() : 0)
                                : c->Top() + c->Height() + (m ? m->Bottom() : 0);
      extent = std::max(extent, edge);
    }
  }
  return std::max(extent + Position(), 0) + farAligned;
}

Integer TControlScrollBar::Range() const {
  if (FControl->AutoScroll() && !FControl->AutoRangeDisabled()) return ChildExtent();
  return FRange;
}

void TControlScrollBar::SetRange(Integer value) {
  FControl->SetAutoScroll(false);
  FRange = std::max(value, 0);
  SetPosition(Position()); // back inside the new range
}

Integer TControlScrollBar::Position() const {
  const TPoint p = FControl->ScrollPosition();
  return FKind == sbHorizontal ? p.X : p.Y;
}

void TControlScrollBar::SetPosition(Integer value) {
  value = std::clamp(value, 0, std::max(Range() - ClientSize(), 0));
  const Integer delta = Position() - value;
  if (FKind == sbHorizontal)
    FControl->ScrollBy(delta, 0);
  else
    FControl->ScrollBy(0, delta);
}

bool TControlScrollBar::IsScrollBarVisible() const { return FVisible && Range() > ClientSize(); }

bool TControlScrollBar::IsRangeStored() const { return !FControl->AutoScroll(); }

// ---- TScrollingWinControl ----------------------------------------------------------------------

TClass TScrollingWinControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TScrollingWinControl, TWinControl>("TScrollingWinControl", "Forms").Build();
  return cls;
}

TScrollingWinControl::TScrollingWinControl(TComponent* owner)
    : TWinControl(owner), FHorzScrollBar(New<TControlScrollBar>(this, sbHorizontal)),
      FVertScrollBar(New<TControlScrollBar>(this, sbVertical)) {}

void TScrollingWinControl::FreezeRanges() {
  if (!FAutoScroll || FAutoRangeCount > 0) return;
  for (TControlScrollBar* bar : {FHorzScrollBar.get(), FVertScrollBar.get()})
    bar->FRange = bar->ChildExtent();
}

void TScrollingWinControl::SetAutoScroll(bool value) {
  if (value == FAutoScroll) return;
  if (!value) FreezeRanges();
  FAutoScroll = value;
}

void TScrollingWinControl::ScaleScrollBars(Integer m, Integer d) {
  if (m <= 0 || d <= 0 || m == d) return;
  for (TControlScrollBar* bar : {FHorzScrollBar.get(), FVertScrollBar.get()})
    if (bar->IsRangeStored()) bar->SetRange(MulDiv(bar->FRange, m, d));
}

void TScrollingWinControl::ChangeScale(Integer m, Integer d) {
  if (!ScalingRead()) ScaleScrollBars(m, d);
  TWinControl::ChangeScale(m, d);
}

void TScrollingWinControl::DisableAutoRange() {
  FreezeRanges();
  ++FAutoRangeCount;
}

void TScrollingWinControl::EnableAutoRange() {
  if (FAutoRangeCount > 0) --FAutoRangeCount;
}

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
    b.Property("HorzScrollBar", &TScrollBox::HorzScrollBar, &TScrollBox::SetHorzScrollBar)
        .Property("VertScrollBar", &TScrollBox::VertScrollBar, &TScrollBox::SetVertScrollBar);
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
  Screen()->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (TScreen* screen = LiveScreen()) screen->RemoveForm(this);
}

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
  if (TScreen* screen = LiveScreen()) screen->RemoveForm(this);
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
  if (!Loading()) {
    if (value)
      Screen()->SetActiveForm(this);
    else
      Screen()->FormHidden(this);
  }
  if (ComponentState().Contains(stateDesigning) || Loading()) return;
  if (value)
    OnShow(this);
  else
    OnHide(this);
}

bool TCustomForm::Active() const { return Screen()->ActiveForm() == this; }

void TCustomForm::SetFocus() {
  if (!Visible() || !Enabled()) throw EInvalidOperation(sCannotFocus);
  Screen()->SetActiveForm(this);
}

void TCustomForm::ScaleBy(Integer m, Integer d) {
  if (m <= 0 || d <= 0 || m == d) return;
  DisableAlign();
  TOnExit enable([this] { EnableAlign(); });
  for (Integer i = 0; i < ControlCount(); ++i)
    Controls(i)->ChangeScale(m, d);
  if (!ScalingRead()) ScaleScrollBars(m, d);
  const TScalingFlags flags = TakeScalingFlags();
  if (flags.Contains(sfWidth)) SetClientWidth(MulDiv(ClientWidth(), m, d));
  if (flags.Contains(sfHeight)) SetClientHeight(MulDiv(ClientHeight(), m, d));
  if (!ParentFont() && flags.Contains(sfFont)) Font()->SetHeight(MulDiv(Font()->GetHeight(), m, d));
}

namespace {

void SetScalingReadBelow(TControl* control, bool value) {
  control->SetScalingRead(value);
  if (auto* w = dynamic_cast<TWinControl*>(control))
    for (Integer i = 0; i < w->ControlCount(); ++i)
      SetScalingReadBelow(w->Controls(i), value);
}

} // namespace

void TCustomForm::ReadState(TReader* reader) {
  // A stream without a resolution is taken as laid out for this screen.
  FPixelsPerInch = 0;
  DisableAlign();
  TOnExit enable([this] { EnableAlign(); });
  // What an earlier stream (the ancestor's) left here was scaled from its own resolution: this
  // stream's scaling touches only what this stream sets.
  SetScalingReadBelow(this, true);
  TOnExit endScaling([this] { SetScalingReadBelow(this, false); });
  TScrollingWinControl::ReadState(reader);
  const Integer screenPPI = Screen()->PixelsPerInch;
  if (FPixelsPerInch > 0 && !FScaled) return; // kept as designed
  if (FPixelsPerInch > 0) ScaleBy(screenPPI, FPixelsPerInch);
  FPixelsPerInch = screenPPI;
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
        .Property("HorzScrollBar", &TForm::HorzScrollBar, &TForm::SetHorzScrollBar)
        .Property("VertScrollBar", &TForm::VertScrollBar, &TForm::SetVertScrollBar)
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
        .Property("Scaled", &TForm::Scaled, &TForm::SetScaled)
        .Default(true)
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
    b.Property("HorzScrollBar", &TFrame::HorzScrollBar, &TFrame::SetHorzScrollBar)
        .Property("VertScrollBar", &TFrame::VertScrollBar, &TFrame::SetVertScrollBar);
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
