// Graphics kept as their file data (bitmaps, PNG images, icons, metafiles), the picture that
// holds one graphic of any registered class, and the header readers that size them.
#pragma once

#include "basert/exceptions.h"
#include "basert/persistent.h"
#include "basert/streams.h"

#include <functional>
#include <span>
#include <vector>

namespace fw {

class TCanvas;

class EInvalidGraphic : public Exception {
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
  using Exception::Exception;
};

inline constexpr std::string_view sInvalidBitmap = "Bitmap image is not valid";
inline constexpr std::string_view sInvalidIcon = "Icon image is not valid";
inline constexpr std::string_view sInvalidMetafile = "Metafile is not valid";
inline constexpr std::string_view sInvalidPng = "PNG image is not valid";
inline constexpr std::string_view sTruncatedImage = "%s: the data ends before its header does";
inline constexpr std::string_view sUnknownExtension = "Unknown picture file extension (.%s)";
inline constexpr std::string_view sUnknownPictureClass = "Unknown picture format %s";
inline constexpr std::string_view sBitmapTooLarge = "Bitmap of %d x %d pixels is too large";

// ---- Header readers ------------------------------------------------------------------------
// Each reads only the header of a complete file image; it raises EInvalidGraphic (with the
// format's message, or sTruncatedImage when the data is cut short) and never reads outside
// `data`.

struct TImageSize {
  Integer Width = 0;
  Integer Height = 0;
};
TImageSize ReadBmpHeader(std::span<const Byte> data);
TImageSize ReadPngHeader(std::span<const Byte> data);
/// The size of the first image in the directory (0 in a directory entry means 256).
TImageSize ReadIcoHeader(std::span<const Byte> data);
/// The frame in pixels at 96 dots per inch.
TImageSize ReadEmfHeader(std::span<const Byte> data);
/// A placeable metafile's bounding box at 96 dots per inch; 0 x 0 for a plain one.
TImageSize ReadWmfHeader(std::span<const Byte> data);

// ---- Graphics ------------------------------------------------------------------------------

/// A graphic: width, height, loading and saving its file format. Streams as the binary
/// property "Data".
class TGraphic : public TPersistent {
  FW_CLASS(TGraphic)
public:
  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual Integer Height() const = 0;
  /// Reads a whole file image from the stream's position to its end; raises EInvalidGraphic
  /// and keeps the current image when the data is not one.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName);
  /// The file image as bytes (empty for an empty graphic).
  std::vector<Byte> SaveToBytes();
  /// The media type an SVG or a browser knows the file image by.
  virtual String MimeType() const = 0;
  /// True when both graphics are of one class and save the same bytes.
  bool Equals(TGraphic* other);

  std::function<void(TObject* sender)> OnChange;

  void DefineProperties(TFiler* filer) override;
  /// The "Data" property's layout; by default the file image itself.
  virtual void ReadData(TStream& stream) { LoadFromStream(stream); }
  virtual void WriteData(TStream& stream) { SaveToStream(stream); }

protected:
  void Changed();
};
using TGraphicClass = TClass;

/// A graphic kept as the bytes of its file, sized by its header reader.
class TFileGraphic : public TGraphic {
  FW_CLASS(TFileGraphic)
public:
  bool Empty() const override { return FData.empty(); }
  Integer Width() const override { return FSize.Width; }
  Integer Height() const override { return FSize.Height; }
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;
  void Assign(TPersistent* source) override;
  /// Loads a file image from memory (same checks as LoadFromStream).
  void LoadFromBytes(std::vector<Byte> data);
  void Clear();

protected:
  virtual TImageSize ReadHeader(std::span<const Byte> data) const = 0;
  std::vector<Byte> FData;
  TImageSize FSize;
};

/// A device-independent bitmap. A bitmap sized in code (SetSize) saves as a blank 32-bit one.
class TBitmap : public TFileGraphic {
  FW_CLASS(TBitmap)
public:
  TBitmap();
  ~TBitmap() override;
  Integer Width() const override { return FSize.Width; }
  Integer Height() const override { return FSize.Height; }
  bool Empty() const override { return FSize.Width == 0 || FSize.Height == 0; }
  /// Raises EInvalidGraphic for a negative size or one past 32767 pixels a side.
  void SetSize(Integer width, Integer height);
  void SetWidth(Integer value) { SetSize(value, FSize.Height); }
  void SetHeight(Integer value) { SetSize(FSize.Width, value); }
  void SaveToStream(TStream& stream) override;
  String MimeType() const override { return "image/bmp"; }
  /// A canvas that records what is drawn on the bitmap.
  TCanvas* Canvas();
  /// "Data" holds a 32-bit length before the bitmap file.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

protected:
  TImageSize ReadHeader(std::span<const Byte> data) const override { return ReadBmpHeader(data); }

private:
  TCanvas* FCanvas = nullptr;
};

class TPngImage : public TFileGraphic {
  FW_CLASS(TPngImage)
public:
  String MimeType() const override { return "image/png"; }

protected:
  TImageSize ReadHeader(std::span<const Byte> data) const override { return ReadPngHeader(data); }
};

class TIcon : public TFileGraphic {
  FW_CLASS(TIcon)
public:
  String MimeType() const override { return "image/x-icon"; }

protected:
  TImageSize ReadHeader(std::span<const Byte> data) const override { return ReadIcoHeader(data); }
};

/// An enhanced (EMF) or a Windows (WMF) metafile, told apart by its first bytes.
class TMetafile : public TFileGraphic {
  FW_CLASS(TMetafile)
public:
  bool Enhanced() const;
  String MimeType() const override { return Enhanced() ? "image/emf" : "image/wmf"; }
  /// "Data" holds a 32-bit length before the metafile.
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) override;

protected:
  TImageSize ReadHeader(std::span<const Byte> data) const override;
};

// ---- Picture -------------------------------------------------------------------------------

/// Holds one graphic of any registered class; loads by file extension and streams its graphic
/// as "Data" (the class name as a short string, then the graphic's data).
class TPicture : public TPersistent {
  FW_CLASS(TPicture)
public:
  TPicture();
  ~TPicture() override;

  TGraphic* Graphic() const noexcept { return FGraphic; }
  /// Takes a copy of `value` (null clears).
  void SetGraphic(TGraphic* value);
  Integer Width() const { return FGraphic ? FGraphic->Width() : 0; }
  Integer Height() const { return FGraphic ? FGraphic->Height() : 0; }
  /// The graphic as a bitmap, replacing any other kind with a new empty bitmap.
  TBitmap* Bitmap();

  /// Picks the graphic class by extension; raises EInvalidGraphic for an unknown extension and
  /// whatever the graphic raises (the current graphic is then kept).
  void LoadFromFile(const String& fileName);
  /// Raises EInvalidGraphicOperation when there is no graphic.
  void SaveToFile(const String& fileName);
  /// A TPicture, a TGraphic or null.
  void Assign(TPersistent* source) override;

  std::function<void(TObject* sender)> OnChange;

  void DefineProperties(TFiler* filer) override;

  // File formats: extension (without dot, case ignored), description and class. The newest
  // registration comes first.
  static void RegisterFileFormat(const String& extension, const String& description,
                                 TGraphicClass graphicClass);
  /// Removes every format of that class.
  static void UnregisterGraphicClass(TGraphicClass graphicClass);
  /// The class for an extension, or null.
  static TGraphicClass FindGraphicClass(const String& extension);

protected:
  void AssignTo(TPersistent* dest) override;

private:
  void Changed(TObject* sender);
  void ReadData(TStream& stream);
  void WriteData(TStream& stream);
  TGraphic* FGraphic = nullptr;
};

/// "All (*.a;*.b)|*.a;*.b|Desc A (*.a)|*.a|..." over the formats whose class is or descends
/// from `graphicClass`.
String GraphicFilter(TGraphicClass graphicClass);
/// The extension of the first format of that class (or a descendant), or empty.
String GraphicExtension(TGraphicClass graphicClass);
/// "*.a;*.b" over the formats of that class.
String GraphicFileMask(TGraphicClass graphicClass);

} // namespace fw
