// Image lists: equally sized images addressed by index, streamed as one binary property.
#pragma once

#include "basert/component.h"
#include "tarn/picture.h"

#include <functional>
#include <vector>

namespace fw {

inline constexpr std::string_view sInvalidImageSize = "Invalid image size";
inline constexpr std::string_view sImageIndexError = "Invalid ImageList Index";
inline constexpr std::string_view sInvalidImageList = "Image list data is not valid";

class TCustomImageList;

/// Tells its owner when an image list it watches changes; leaves the list's watchers when freed.
class TChangeLink : public TObject {
  FW_CLASS(TChangeLink)
public:
  ~TChangeLink() override;
  TCustomImageList* Sender() const noexcept { return FSender; }
  std::function<void(TObject* sender)> OnChange;
  void Change();

private:
  friend class TCustomImageList;
  TCustomImageList* FSender = nullptr;
};

class TCustomImageList : public TComponent {
  FW_CLASS(TCustomImageList)
public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  Integer GetWidth() const noexcept { return FWidth; }
  Integer GetHeight() const noexcept { return FHeight; }
  /// Changing the size drops every image. Sizes below 1 raise EInvalidOperation.
  void SetWidth(Integer value) { SetSize(value, FHeight); }
  void SetHeight(Integer value) { SetSize(FWidth, value); }
  void SetSize(Integer width, Integer height);
  Integer Count() const noexcept { return static_cast<Integer>(FImages.size()); }

  /// Adds a copy of `image`, which must have the list's size (EInvalidOperation otherwise);
  /// answers its index.
  Integer Add(TBitmap* image);
  /// Replaces one image; same size rule. Raises EInvalidOperation for a bad index.
  void Replace(Integer index, TBitmap* image);
  void Delete(Integer index);
  void Move(Integer curIndex, Integer newIndex);
  void Clear();
  /// Loads image `index` into `image`; false for a bad index.
  bool GetBitmap(Integer index, TBitmap* image) const;

  std::function<void(TObject* sender)> OnChange;
  /// Adds a link told of every change after OnChange; a link watches one list at a time.
  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

  /// "Bitmap": the images in the list's own data layout (see imglist.cpp).
  void DefineProperties(TFiler* filer) override;
  void ReadData(TStream& stream);
  void WriteData(TStream& stream) const;

private:
  std::vector<Byte> Checked(TBitmap* image) const;
  void CheckIndex(Integer index) const;
  void Change();
  Integer FWidth = 16;
  Integer FHeight = 16;
  std::vector<std::vector<Byte>> FImages; ///< each a bitmap file image
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
  FW_CLASS(TImageList)
public:
  explicit TImageList(TComponent* owner);
};

} // namespace fw
