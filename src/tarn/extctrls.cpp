#include "tarn/extctrls.h"

#include "tarn/publishing.h"

namespace fw {

PTypeInfo TypeInfoOf(std::type_identity<TBevelCut>) {
  static PTypeInfo t =
      MakeEnumType("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}, "ExtCtrls");
  return t;
}

// ---- TPanel ------------------------------------------------------------------------------------

TClass TPanel::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TPanel, TWinControl> b("TPanel", "ExtCtrls");
    detail::PublishPlacement(b);
    b.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment)
        .Default(taCenter)
        .Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner)
        .Default(bvNone)
        .Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter)
        .Default(bvRaised)
        .Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
        .Default(1)
        .Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
        .Default(0)
        .Property("BorderStyle", &BorderStyleTypeInfo, &TPanel::BorderStyle,
                  &TPanel::SetBorderStyle)
        .Default(bsNone)
        .Property("Caption", &TPanel::Caption, &TPanel::SetCaption);
    detail::PublishColor(b, clBtnFace);
    b.Property("DockSite", &TPanel::DockSite, &TPanel::SetDockSite).Default(false);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b);
    detail::PublishTabs(b, false);
    b.Property("UseDockManager", &TPanel::UseDockManager, &TPanel::SetUseDockManager).Default(true);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TPanel::TPanel(TComponent* owner) : TWinControl(owner) {
  FControlStyle = {controlAcceptsControls, controlCaptureMouse, controlClickEvents,
                   controlSetCaption,      controlOpaque,       controlDoubleClicks,
                   controlReplicatable};
  SetUseDockManager(true);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetBorderStyle(TBorderStyle value) {
  if (FBorderStyle == value) return;
  FBorderStyle = value;
  Realign();
}

TRect TPanel::NonClientExtent() const {
  return FBorderStyle == bsSingle ? TRect{2, 2, 2, 2} : TRect{};
}

TRect TPanel::AdjustClientRect() const {
  Integer inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  TRect r = TWinControl::AdjustClientRect();
  return {r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset};
}

// ---- TImage ------------------------------------------------------------------------------------

TClass TImage::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TImage, TGraphicControl> b("TImage", "ExtCtrls");
    detail::PublishPlacement(b);
    b.Property("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
        .Default(false)
        .Property("Center", &TImage::Center, &TImage::SetCenter)
        .Default(false)
        .Property("DragKind", &TImage::DragKind, &TImage::SetDragKind)
        .Default(dkDrag)
        .Property("DragMode", &TImage::DragMode, &TImage::SetDragMode)
        .Default(dmManual)
        .Property("Enabled", &TImage::Enabled, &TImage::SetEnabled)
        .Default(true)
        .Property("Picture", &TImage::Picture, &TImage::SetPicture);
    b.Property("Proportional", &TImage::Proportional, &TImage::SetProportional)
        .Default(false)
        .Property("Stretch", &TImage::Stretch, &TImage::SetStretch)
        .Default(false)
        .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent)
        .Default(false);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), FPicture(new TPicture) {
  FControlStyle.Include(controlReplicatable);
  FPicture->OnChange = [this](TObject*) { PictureChanged(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

void TImage::SetAutoSize(bool value) {
  FAutoSize = value;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
}

// ---- TSplitter ---------------------------------------------------------------------------------

TClass TSplitter::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TSplitter, TGraphicControl> b("TSplitter", "ExtCtrls");
    b.Property("Cursor", &TSplitter::Cursor, &TSplitter::SetCursor).Default(crHSplit);
    detail::PublishPlacement(b);
    b.Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled)
        .Default(false)
        .Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize)
        .Default(30);
    detail::PublishColor(b, clBtnFace);
    detail::PublishParents(b, true);
    b.Property("Visible", &TSplitter::Visible, &TSplitter::SetVisible).Default(true);
    return b.Build();
  }();
  return cls;
}

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetCursor(crHSplit);
  SetParentColor(true);
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
}

TControl* TSplitter::FindControl() const {
  TWinControl* p = Parent();
  if (!p) return nullptr;
  for (Integer i = 0; i < p->ControlCount(); ++i) {
    TControl* c = p->Controls(i);
    if (c == this || c->Align() != Align() || !c->Visible()) continue;
    const TRect r = c->BoundsRect();
    const bool touches = (Align() == alLeft && r.Right == Left()) ||
                         (Align() == alRight && r.Left == Left() + Width()) ||
                         (Align() == alTop && r.Bottom == Top()) ||
                         (Align() == alBottom && r.Top == Top() + Height());
    if (touches) return c;
  }
  return nullptr;
}

bool TSplitter::MoveBy(Integer delta) {
  TControl* c = FindControl();
  if (!c) return false;
  switch (Align()) {
  case alLeft:
    c->SetWidth(std::max(c->Width() + delta, FMinSize));
    break;
  case alRight:
    c->SetWidth(std::max(c->Width() - delta, FMinSize));
    break;
  case alTop:
    c->SetHeight(std::max(c->Height() + delta, FMinSize));
    break;
  case alBottom:
    c->SetHeight(std::max(c->Height() - delta, FMinSize));
    break;
  default:
    return false;
  }
  return true;
}

} // namespace fw
