#include "tarn/imglist.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"

#include <algorithm>
#include <cstring>

namespace fw {

// "Bitmap" layout, little-endian: "FWIL", version (uint32 = 1), width and height (int32),
// image count (uint32), then per image its length (uint32) and a bitmap file image.

namespace {

constexpr char Magic[4] = {'F', 'W', 'I', 'L'};
constexpr std::uint32_t Version = 1;

std::uint32_t ReadU32(TStream& s) {
  std::uint32_t v = 0;
  if (s.Read(&v, 4) != 4) throw EInvalidGraphic(sInvalidImageList);
  return v;
}

void WriteU32(TStream& s, std::uint32_t v) { s.WriteBuffer(&v, 4); }

} // namespace

TClass TCustomImageList::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCustomImageList, TComponent>("TCustomImageList", "ImgList").Build();
  return cls;
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks)
    link->FSender = nullptr;
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (link->FSender == this) return;
  if (link->FSender) link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  if (link->FSender != this) return;
  std::erase(FLinks, link);
  link->FSender = nullptr;
}

TClass TChangeLink::StaticClass() {
  static const TClass cls = TClassBuilder<TChangeLink, TObject>("TChangeLink", "ImgList").Build();
  return cls;
}

TChangeLink::~TChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

void TCustomImageList::SetSize(Integer width, Integer height) {
  if (width < 1 || height < 1 || width > 32767 || height > 32767)
    throw EInvalidOperation(sInvalidImageSize);
  if (width == FWidth && height == FHeight) return;
  FWidth = width;
  FHeight = height;
  FImages.clear();
  Change();
}

std::vector<Byte> TCustomImageList::Checked(TBitmap* image) const {
  if (!image || image->Width() != FWidth || image->Height() != FHeight)
    throw EInvalidOperation(sInvalidImageSize);
  return image->SaveToBytes();
}

void TCustomImageList::CheckIndex(Integer index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation(sImageIndexError);
}

Integer TCustomImageList::Add(TBitmap* image) {
  FImages.push_back(Checked(image));
  Change();
  return Count() - 1;
}

void TCustomImageList::Replace(Integer index, TBitmap* image) {
  CheckIndex(index);
  FImages[static_cast<std::size_t>(index)] = Checked(image);
  Change();
}

void TCustomImageList::Delete(Integer index) {
  CheckIndex(index);
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Move(Integer curIndex, Integer newIndex) {
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (curIndex == newIndex) return;
  auto img = std::move(FImages[static_cast<std::size_t>(curIndex)]);
  FImages.erase(FImages.begin() + curIndex);
  FImages.insert(FImages.begin() + newIndex, std::move(img));
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

bool TCustomImageList::GetBitmap(Integer index, TBitmap* image) const {
  if (index < 0 || index >= Count() || !image) return false;
  image->LoadFromBytes(FImages[static_cast<std::size_t>(index)]);
  return true;
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
  for (TChangeLink* link : std::vector<TChangeLink*>(FLinks))
    link->Change();
}

void TCustomImageList::DefineProperties(TFiler* filer) {
  TComponent::DefineProperties(filer);
  bool hasData = !FImages.empty();
  if (auto* a = dynamic_cast<TCustomImageList*>(filer->Ancestor()))
    hasData = a->FImages != FImages || a->FWidth != FWidth || a->FHeight != FHeight;
  filer->DefineBinaryProperty(
      "Bitmap", [this](TStream* s) { ReadData(*s); }, [this](TStream* s) { WriteData(*s); },
      hasData);
}

void TCustomImageList::ReadData(TStream& stream) {
  char magic[4];
  if (stream.Read(magic, 4) != 4 || std::memcmp(magic, Magic, 4) != 0 || ReadU32(stream) != Version)
    throw EInvalidGraphic(sInvalidImageList);
  const auto width = static_cast<Integer>(ReadU32(stream));
  const auto height = static_cast<Integer>(ReadU32(stream));
  const std::uint32_t count = ReadU32(stream);
  if (width < 1 || height < 1 || width > 32767 || height > 32767)
    throw EInvalidGraphic(sInvalidImageList);
  std::vector<std::vector<Byte>> images;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t len = ReadU32(stream);
    if (len > stream.Size() - stream.Position()) throw EInvalidGraphic(sInvalidImageList);
    std::vector<Byte> bytes(len);
    if (len) stream.ReadBuffer(bytes.data(), len);
    const TImageSize size = ReadBmpHeader(bytes);
    if (size.Width != width || size.Height != height) throw EInvalidGraphic(sInvalidImageList);
    images.push_back(std::move(bytes));
  }
  FWidth = width;
  FHeight = height;
  FImages = std::move(images);
  Change();
}

void TCustomImageList::WriteData(TStream& stream) const {
  stream.WriteBuffer(Magic, 4);
  WriteU32(stream, Version);
  WriteU32(stream, static_cast<std::uint32_t>(FWidth));
  WriteU32(stream, static_cast<std::uint32_t>(FHeight));
  WriteU32(stream, static_cast<std::uint32_t>(FImages.size()));
  for (const auto& img : FImages) {
    WriteU32(stream, static_cast<std::uint32_t>(img.size()));
    stream.WriteBuffer(img.data(), static_cast<Int64>(img.size()));
  }
}

TClass TImageList::StaticClass() {
  using L = TImageList;
  static const TClass cls = TClassBuilder<TImageList, TCustomImageList>("TImageList", "Controls")
                                .Property("Height", &L::GetHeight, &L::SetHeight)
                                .Default(16)
                                .Property("Width", &L::GetWidth, &L::SetWidth)
                                .Default(16)
                                .Build();
  return cls;
}

TImageList::TImageList(TComponent* owner) : TCustomImageList(owner) {}

} // namespace fw
