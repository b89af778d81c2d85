#include "tarn/picture.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "basert/safesave.h"
#include "basert/sysutils.h"
#include "tarn/canvas.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace fw {

// ---- Header readers ------------------------------------------------------------------------

namespace {

/// Bounds-checked little- and big-endian reads over a file image.
class TBytes {
public:
  TBytes(std::span<const Byte> data, std::string_view format) : FData(data), FFormat(format) {}
  void Need(std::size_t size) const {
    if (FData.size() < size) throw EInvalidGraphic(Format(sTruncatedImage, {FFormat}));
  }
  std::uint32_t LE(std::size_t at, int bytes) const {
    Need(at + bytes);
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
      v = (v << 8) | FData[at + i];
    return v;
  }
  std::uint32_t BE32(std::size_t at) const {
    Need(at + 4);
    return (std::uint32_t{FData[at]} << 24) | (std::uint32_t{FData[at + 1]} << 16) |
           (std::uint32_t{FData[at + 2]} << 8) | FData[at + 3];
  }
  std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(LE(at, 4)); }
  std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(LE(at, 2)); }
  std::size_t Size() const { return FData.size(); }
  std::span<const Byte> Data() const { return FData; }

private:
  std::span<const Byte> FData;
  std::string_view FFormat;
};

[[noreturn]] void Invalid(std::string_view message) { throw EInvalidGraphic(message); }

Integer At96Dpi(Int64 units, Int64 unitsPerInch) {
  if (unitsPerInch <= 0) return 0;
  return static_cast<Integer>((std::abs(units) * 96 + unitsPerInch / 2) / unitsPerInch);
}

std::uint32_t Crc32(std::span<const Byte> data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (Byte b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

} // namespace

TImageSize ReadBmpHeader(std::span<const Byte> data) {
  TBytes b(data, "Bitmap");
  b.Need(2);
  if (data[0] != 'B' || data[1] != 'M') Invalid(sInvalidBitmap);
  const std::uint32_t offBits = b.LE(10, 4);
  const std::uint32_t dibSize = b.LE(14, 4);
  Int64 width, height;
  unsigned planes, bits, compression = 0;
  if (dibSize == 12) {
    width = b.LE(18, 2);
    height = b.LE(20, 2);
    planes = b.LE(22, 2);
    bits = b.LE(24, 2);
  } else if (dibSize >= 40 && dibSize <= 124) {
    width = b.I32(18);
    height = b.I32(22);
    planes = b.LE(26, 2);
    bits = b.LE(28, 2);
    compression = b.LE(30, 4);
    b.Need(14 + std::size_t{dibSize});
  } else {
    Invalid(sInvalidBitmap);
  }
  const bool knownDepth =
      bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
  if (planes != 1 || !knownDepth || width <= 0 || height == 0 || compression > 6)
    Invalid(sInvalidBitmap);
  height = std::abs(height); // negative: rows stored top-down
  if (offBits < 14 + dibSize || offBits > b.Size()) Invalid(sInvalidBitmap);
  if (compression == 0) { // uncompressed rows must all be there
    const Int64 stride = ((width * bits + 31) / 32) * 4;
    // Divide rather than multiply: a hostile header overflows stride * height.
    if (height > static_cast<Int64>(b.Size() - offBits) / stride)
      throw EInvalidGraphic(Format(sTruncatedImage, {"Bitmap"}));
  }
  return {static_cast<Integer>(width), static_cast<Integer>(height)};
}

TImageSize ReadPngHeader(std::span<const Byte> data) {
  static constexpr std::array<Byte, 8> sig = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  TBytes b(data, "PNG image");
  b.Need(8);
  if (!std::equal(sig.begin(), sig.end(), data.begin())) Invalid(sInvalidPng);
  b.Need(33);
  if (b.BE32(8) != 13 || std::memcmp(&data[12], "IHDR", 4) != 0) Invalid(sInvalidPng);
  if (Crc32(data.subspan(12, 17)) != b.BE32(29)) Invalid(sInvalidPng);
  const std::uint32_t w = b.BE32(16), h = b.BE32(20);
  const Byte depth = data[24], colour = data[25];
  const bool depthOk = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
  const bool colourOk = colour == 0 || colour == 2 || colour == 3 || colour == 4 || colour == 6;
  if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu || !depthOk || !colourOk)
    Invalid(sInvalidPng);
  return {static_cast<Integer>(w), static_cast<Integer>(h)};
}

TImageSize ReadIcoHeader(std::span<const Byte> data) {
  TBytes b(data, "Icon");
  b.Need(6);
  const unsigned type = b.LE(2, 2), count = b.LE(4, 2);
  if (b.LE(0, 2) != 0 || (type != 1 && type != 2) || count == 0) Invalid(sInvalidIcon);
  b.Need(6 + 16 * std::size_t{count});
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t e = 6 + 16 * std::size_t{i};
    const Int64 bytes = b.LE(e + 8, 4), offset = b.LE(e + 12, 4);
    if (bytes == 0 || offset < 6 + 16 * Int64{count}) Invalid(sInvalidIcon);
    if (offset + bytes > static_cast<Int64>(b.Size()))
      throw EInvalidGraphic(Format(sTruncatedImage, {"Icon"}));
  }
  const Integer w = data[6] ? data[6] : 256, h = data[7] ? data[7] : 256;
  return {w, h};
}

TImageSize ReadEmfHeader(std::span<const Byte> data) {
  TBytes b(data, "Metafile");
  b.Need(4);
  if (b.LE(0, 4) != 1) Invalid(sInvalidMetafile);
  b.Need(88);
  const std::uint32_t headerSize = b.LE(4, 4);
  if (b.LE(40, 4) != 0x464D4520u || headerSize < 88 || headerSize > b.Size())
    Invalid(sInvalidMetafile);
  if (b.LE(48, 4) > b.Size()) throw EInvalidGraphic(Format(sTruncatedImage, {"Metafile"}));
  // The frame is in hundredths of a millimetre, inclusive.
  const Int64 w = Int64{b.I32(32)} - b.I32(24), h = Int64{b.I32(36)} - b.I32(28);
  if (w < 0 || h < 0) Invalid(sInvalidMetafile);
  return {At96Dpi(w, 2540), At96Dpi(h, 2540)};
}

TImageSize ReadWmfHeader(std::span<const Byte> data) {
  TBytes b(data, "Metafile");
  b.Need(4);
  std::size_t at = 0;
  TImageSize size;
  if (b.LE(0, 4) == 0x9AC6CDD7u) {
    b.Need(22);
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
      sum ^= static_cast<std::uint16_t>(b.LE(i, 2));
    const Integer inch = b.LE(14, 2);
    if (sum != b.LE(20, 2) || inch == 0) Invalid(sInvalidMetafile);
    size = {At96Dpi(Int64{b.I16(10)} - b.I16(6), inch), At96Dpi(Int64{b.I16(12)} - b.I16(8), inch)};
    at = 22;
  }
  b.Need(at + 18);
  const unsigned type = b.LE(at, 2), headerWords = b.LE(at + 2, 2);
  if ((type != 1 && type != 2) || headerWords != 9) Invalid(sInvalidMetafile);
  if (Int64{b.LE(at + 6, 4)} * 2 > static_cast<Int64>(b.Size() - at))
    throw EInvalidGraphic(Format(sTruncatedImage, {"Metafile"}));
  return size;
}

// ---- TGraphic ------------------------------------------------------------------------------

TClass TGraphic::StaticClass() {
  static const TClass cls = TClassBuilder<TGraphic, TPersistent>("TGraphic", "Graphics").Build();
  return cls;
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TGraphic::SaveToFile(const String& fileName) {
  TMemoryStream m;
  SaveToStream(m);
  SaveAtomically(fileName, std::string_view(reinterpret_cast<const char*>(m.Memory()),
                                            static_cast<std::size_t>(m.Size())));
}

std::vector<Byte> TGraphic::SaveToBytes() {
  TMemoryStream m;
  if (!Empty()) SaveToStream(m);
  const Byte* p = static_cast<const Byte*>(m.Memory());
  return std::vector<Byte>(p, p + m.Size());
}

bool TGraphic::Equals(TGraphic* other) {
  if (!other || other->ClassType() != ClassType()) return false;
  if (Empty() || other->Empty()) return Empty() == other->Empty();
  return SaveToBytes() == other->SaveToBytes();
}

void TGraphic::DefineProperties(TFiler* filer) {
  bool hasData = !Empty();
  if (auto* a = dynamic_cast<TGraphic*>(filer->Ancestor())) hasData = !Equals(a);
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(*s); }, [this](TStream* s) { WriteData(*s); }, hasData);
}

// ---- TFileGraphic --------------------------------------------------------------------------

TClass TFileGraphic::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFileGraphic, TGraphic>("TFileGraphic", "Graphics").Build();
  return cls;
}

void TFileGraphic::LoadFromStream(TStream& stream) {
  const Int64 n = stream.Size() - stream.Position();
  std::vector<Byte> bytes(static_cast<std::size_t>(std::max<Int64>(n, 0)));
  if (!bytes.empty()) stream.ReadBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  LoadFromBytes(std::move(bytes));
}

void TFileGraphic::LoadFromBytes(std::vector<Byte> data) {
  const TImageSize size = ReadHeader(data);
  FData = std::move(data);
  FSize = size;
  Changed();
}

void TFileGraphic::SaveToStream(TStream& stream) {
  if (!FData.empty()) stream.WriteBuffer(FData.data(), static_cast<Int64>(FData.size()));
}

void TFileGraphic::Assign(TPersistent* source) {
  if (auto* g = dynamic_cast<TFileGraphic*>(source); g && g->ClassType() == ClassType()) {
    if (g == this) return;
    FData = g->FData;
    FSize = g->FSize;
    Changed();
    return;
  }
  if (!source) {
    Clear();
    return;
  }
  TGraphic::Assign(source);
}

void TFileGraphic::Clear() {
  FData.clear();
  FSize = {};
  Changed();
}

// ---- TBitmap -------------------------------------------------------------------------------

TClass TBitmap::StaticClass() {
  static const TClass cls = TClassBuilder<TBitmap, TFileGraphic>("TBitmap", "Graphics").Build();
  return cls;
}

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() {
  if (FCanvas) FCanvas->Free();
}

void TBitmap::SetSize(Integer width, Integer height) {
  if (width < 0 || height < 0 || width > 32767 || height > 32767)
    throw EInvalidGraphic(Format(sBitmapTooLarge, {width, height}));
  if (width == FSize.Width && height == FSize.Height) return;
  FData.clear();
  FSize = {width, height};
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
  if (!FData.empty() || Empty()) return TFileGraphic::SaveToStream(stream);
  // A blank 32-bit bottom-up bitmap of the current size.
  const std::uint32_t pixels =
      4u * static_cast<std::uint32_t>(FSize.Width) * static_cast<std::uint32_t>(FSize.Height);
  std::vector<Byte> h(54, 0);
  auto put = [&](std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
      h[at + i] = static_cast<Byte>(v >> (8 * i));
  };
  h[0] = 'B';
  h[1] = 'M';
  put(2, 54 + pixels, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(FSize.Width), 4);
  put(22, static_cast<std::uint32_t>(FSize.Height), 4);
  put(26, 1, 2);
  put(28, 32, 2);
  put(34, pixels, 4);
  stream.WriteBuffer(h.data(), 54);
  const std::vector<Byte> row(4u * static_cast<std::uint32_t>(FSize.Width), 0);
  for (Integer y = 0; y < FSize.Height; ++y)
    stream.WriteBuffer(row.data(), static_cast<Int64>(row.size()));
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = New<TCanvas>();
  return FCanvas;
}

void TBitmap::ReadData(TStream& stream) {
  std::uint32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size > stream.Size() - stream.Position())
    throw EInvalidGraphic(Format(sTruncatedImage, {"Bitmap"}));
  std::vector<Byte> bytes(size);
  if (size) stream.ReadBuffer(bytes.data(), size);
  LoadFromBytes(std::move(bytes));
}

void TBitmap::WriteData(TStream& stream) {
  TMemoryStream m;
  SaveToStream(m);
  const auto size = static_cast<std::uint32_t>(m.Size());
  stream.WriteBuffer(&size, 4);
  stream.WriteBuffer(m.Memory(), m.Size());
}

// ---- TPngImage, TIcon, TMetafile -----------------------------------------------------------

TClass TPngImage::StaticClass() {
  static const TClass cls = TClassBuilder<TPngImage, TFileGraphic>("TPngImage", "Graphics").Build();
  return cls;
}

TClass TIcon::StaticClass() {
  static const TClass cls = TClassBuilder<TIcon, TFileGraphic>("TIcon", "Graphics").Build();
  return cls;
}

TClass TMetafile::StaticClass() {
  static const TClass cls = TClassBuilder<TMetafile, TFileGraphic>("TMetafile", "Graphics").Build();
  return cls;
}

bool TMetafile::Enhanced() const { return FData.size() >= 4 && FData[0] == 1 && FData[1] == 0; }

TImageSize TMetafile::ReadHeader(std::span<const Byte> data) const {
  if (data.size() >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0 && data[3] == 0)
    return ReadEmfHeader(data);
  return ReadWmfHeader(data);
}

void TMetafile::ReadData(TStream& stream) {
  std::uint32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size > stream.Size() - stream.Position())
    throw EInvalidGraphic(Format(sTruncatedImage, {"Metafile"}));
  std::vector<Byte> bytes(size);
  if (size) stream.ReadBuffer(bytes.data(), size);
  LoadFromBytes(std::move(bytes));
}

void TMetafile::WriteData(TStream& stream) {
  const auto size = static_cast<std::uint32_t>(FData.size());
  stream.WriteBuffer(&size, 4);
  SaveToStream(stream);
}

// ---- File formats --------------------------------------------------------------------------

namespace {

struct TFileFormat {
  String Extension;
  String Description;
  TGraphicClass GraphicClass;
};

std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> formats = {
      {"png", "Portable Network Graphics", TPngImage::StaticClass()},
      {"bmp", "Bitmaps", TBitmap::StaticClass()},
      {"ico", "Icons", TIcon::StaticClass()},
      {"emf", "Enhanced Metafiles", TMetafile::StaticClass()},
      {"wmf", "Metafiles", TMetafile::StaticClass()},
  };
  return formats;
}

String ExtensionOf(const String& fileName) {
  const auto dot = fileName.find_last_of('.');
  const auto slash = fileName.find_last_of("/\\");
  if (dot == String::npos || (slash != String::npos && dot < slash)) return {};
  return fileName.substr(dot + 1);
}

TGraphic* NewGraphic(TGraphicClass cls) { return static_cast<TGraphic*>(cls->Create<>()); }

} // namespace

void TPicture::RegisterFileFormat(const String& extension, const String& description,
                                  TGraphicClass graphicClass) {
  auto& f = FileFormats();
  f.insert(f.begin(), TFileFormat{LowerCase(extension), description, graphicClass});
}

void TPicture::UnregisterGraphicClass(TGraphicClass graphicClass) {
  std::erase_if(FileFormats(),
                [&](const TFileFormat& f) { return f.GraphicClass == graphicClass; });
}

TGraphicClass TPicture::FindGraphicClass(const String& extension) {
  for (const auto& f : FileFormats())
    if (SameText(f.Extension, extension)) return f.GraphicClass;
  return nullptr;
}

String GraphicFileMask(TGraphicClass graphicClass) {
  String mask;
  for (const auto& f : FileFormats())
    if (f.GraphicClass->InheritsFrom(graphicClass)) {
      if (!mask.empty()) mask += ';';
      mask += "*." + f.Extension;
    }
  return mask;
}

String GraphicFilter(TGraphicClass graphicClass) {
  const String all = GraphicFileMask(graphicClass);
  String filter = "All (" + all + ")|" + all;
  for (const auto& f : FileFormats())
    if (f.GraphicClass->InheritsFrom(graphicClass))
      filter += "|" + f.Description + " (*." + f.Extension + ")|*." + f.Extension;
  return filter;
}

String GraphicExtension(TGraphicClass graphicClass) {
  for (const auto& f : FileFormats())
    if (f.GraphicClass->InheritsFrom(graphicClass)) return f.Extension;
  return {};
}

// ---- TPicture ------------------------------------------------------------------------------

TClass TPicture::StaticClass() {
  static const TClass cls = TClassBuilder<TPicture, TPersistent>("TPicture", "Graphics").Build();
  return cls;
}

TPicture::TPicture() = default;
TPicture::~TPicture() {
  if (FGraphic) FGraphic->Free();
}

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* value) {
  TGraphic* copy = nullptr;
  if (value) {
    copy = NewGraphic(value->ClassType());
    try {
      copy->Assign(value);
    } catch (...) {
      copy->Free();
      throw;
    }
    copy->OnChange = [this](TObject* s) { Changed(s); };
  }
  if (FGraphic) FGraphic->Free();
  FGraphic = copy;
  Changed(this);
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic)) return b;
  auto* b = New<TBitmap>();
  b->OnChange = [this](TObject* s) { Changed(s); };
  if (FGraphic) FGraphic->Free();
  FGraphic = b;
  Changed(this);
  return b;
}

void TPicture::LoadFromFile(const String& fileName) {
  const String ext = ExtensionOf(fileName);
  TGraphicClass cls = FindGraphicClass(ext);
  if (!cls) throw EInvalidGraphic(Format(sUnknownExtension, {ext}));
  TOwned<TGraphic> g(NewGraphic(cls));
  g->LoadFromFile(fileName);
  g->OnChange = [this](TObject* s) { Changed(s); };
  if (FGraphic) FGraphic->Free();
  FGraphic = g.release();
  Changed(this);
}

void TPicture::SaveToFile(const String& fileName) {
  if (!FGraphic) throw EInvalidGraphicOperation("The picture has no graphic to save");
  FGraphic->SaveToFile(fileName);
}

void TPicture::Assign(TPersistent* source) {
  if (!source)
    SetGraphic(nullptr);
  else if (auto* p = dynamic_cast<TPicture*>(source)) {
    if (p != this) SetGraphic(p->FGraphic);
  } else if (auto* g = dynamic_cast<TGraphic*>(source))
    SetGraphic(g);
  else
    TPersistent::Assign(source);
}

void TPicture::AssignTo(TPersistent* dest) {
  if (auto* g = dynamic_cast<TGraphic*>(dest); g && FGraphic) {
    g->Assign(FGraphic);
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::DefineProperties(TFiler* filer) {
  bool hasData = FGraphic != nullptr;
  if (auto* a = dynamic_cast<TPicture*>(filer->Ancestor())) {
    if (!a->FGraphic || !FGraphic)
      hasData = a->FGraphic != FGraphic;
    else
      hasData = !FGraphic->Equals(a->FGraphic);
  }
  filer->DefineBinaryProperty(
      "Data", [this](TStream* s) { ReadData(*s); }, [this](TStream* s) { WriteData(*s); }, hasData);
}

namespace {

/// A class name from picture data as a message can show it: bytes that are not printable ASCII
/// (a length that runs into the graphic's own data) as #nnn character codes.
String ShownClassName(std::string_view name) {
  String shown;
  for (const unsigned char c : name)
    if (c >= 0x20 && c < 0x7F)
      shown += static_cast<char>(c);
    else
      shown.append("#").append(std::to_string(c));
  return shown;
}

} // namespace

void TPicture::ReadData(TStream& stream) {
  Byte len = 0;
  stream.ReadBuffer(&len, 1);
  String name(len, '\0');
  if (len) stream.ReadBuffer(name.data(), len);
  if (name.empty()) return SetGraphic(nullptr);
  TGraphicClass cls = nullptr;
  for (const auto& f : FileFormats())
    if (SameText(f.GraphicClass->ClassName, name)) cls = f.GraphicClass;
  if (!cls) throw EInvalidGraphic(Format(sUnknownPictureClass, {ShownClassName(name)}));
  TOwned<TGraphic> g(NewGraphic(cls));
  g->ReadData(stream);
  g->OnChange = [this](TObject* s) { Changed(s); };
  if (FGraphic) FGraphic->Free();
  FGraphic = g.release();
  Changed(this);
}

void TPicture::WriteData(TStream& stream) {
  const String name = FGraphic ? FGraphic->ClassName() : String();
  const Byte len = static_cast<Byte>(name.size());
  stream.WriteBuffer(&len, 1);
  stream.WriteBuffer(name.data(), len);
  if (FGraphic) FGraphic->WriteData(stream);
}

} // namespace fw
