// Panels and images.
#pragma once

#include "tarn/controls.h"
#include "tarn/forms.h"
#include "tarn/picture.h"
#include "tarn/stdctrls.h"

namespace fw {

enum TBevelCut : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };
PTypeInfo TypeInfoOf(std::type_identity<TBevelCut>);

/// A container with a caption and bevels; the bevels and border width inset the area its
/// children are aligned in.
class TPanel : public TWinControl {
  FW_CLASS(TPanel)
public:
  explicit TPanel(TComponent* owner);
  TAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TAlignment value) { FAlignment = value; }
  TBevelCut BevelInner() const noexcept { return FBevelInner; }
  void SetBevelInner(TBevelCut value) { SetInset(FBevelInner, value); }
  TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value) { SetInset(FBevelOuter, value); }
  Integer BevelWidth() const noexcept { return FBevelWidth; }
  void SetBevelWidth(Integer value) { SetInset(FBevelWidth, std::max(value, 1)); }
  Integer BorderWidth() const noexcept { return FBorderWidth; }
  void SetBorderWidth(Integer value) { SetInset(FBorderWidth, std::max(value, 0)); }
  TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  TRect NonClientExtent() const override;
  TRect AdjustClientRect() const override;
  Integer GetTextBaseline() const override { return TextBaseline(this, tlCenter); }

private:
  template <class V> void SetInset(V& field, V value) {
    if (field == value) return;
    field = value;
    Realign();
  }
  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  Integer FBevelWidth = 1;
  Integer FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
};

class TImage : public TGraphicControl {
  FW_CLASS(TImage)
public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  TPicture* Picture() const noexcept { return FPicture.get(); }
  void SetPicture(TPicture* value) { FPicture->Assign(value); }
  /// With AutoSize the image takes the size of its picture (when it has one).
  bool AutoSize() const noexcept { return FAutoSize; }
  void SetAutoSize(bool value);
  bool Center() const noexcept { return FCenter; }
  void SetCenter(bool value) { FCenter = value; }
  bool Proportional() const noexcept { return FProportional; }
  void SetProportional(bool value) { FProportional = value; }
  bool Stretch() const noexcept { return FStretch; }
  void SetStretch(bool value) { FStretch = value; }
  bool Transparent() const noexcept { return FTransparent; }
  void SetTransparent(bool value) { FTransparent = value; }

private:
  void PictureChanged();
  TOwned<TPicture> FPicture;
  bool FAutoSize = false;
  bool FCenter = false;
  bool FProportional = false;
  bool FStretch = false;
  bool FTransparent = false;
};

/// A bar between an aligned control and the rest of its parent; moving it resizes that control.
class TSplitter : public TGraphicControl {
  FW_CLASS(TSplitter)
public:
  explicit TSplitter(TComponent* owner);
  bool Beveled() const noexcept { return FBeveled; }
  void SetBeveled(bool value) { FBeveled = value; }
  /// The smallest size the resized control keeps.
  Integer MinSize() const noexcept { return FMinSize; }
  void SetMinSize(Integer value) { FMinSize = std::max(value, 1); }
  /// The visible sibling with the same alignment whose edge touches the splitter, or null.
  TControl* FindControl() const;
  /// Moves the splitter by `delta` pixels (right or down), resizing its control within MinSize;
  /// answers whether a control was resized.
  bool MoveBy(Integer delta);

private:
  bool FBeveled = false;
  Integer FMinSize = 30;
};

} // namespace fw
