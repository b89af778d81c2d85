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

} // namespace fw
