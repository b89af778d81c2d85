// An in-process clipboard: data under numbered formats, with formats registered by name.
#pragma once

#include "basert/persistent.h"
#include "basert/types.h"

#include <map>
#include <vector>

namespace fw {

using TClipboardFormat = Word;
inline constexpr TClipboardFormat CF_TEXT = 1;
inline constexpr TClipboardFormat CF_BITMAP = 2;
inline constexpr TClipboardFormat CF_METAFILEPICT = 3;
inline constexpr TClipboardFormat CF_UNICODETEXT = 13;
inline constexpr TClipboardFormat CF_ENHMETAFILE = 14;
/// PNG images; registered like any other named format.
TClipboardFormat CF_PNG();

/// The format registered under `name` (ASCII case ignored), made on first use; numbers start
/// at $C000 as the system's do. Raises EArgumentException for an empty name.
TClipboardFormat RegisterClipboardFormat(const String& name);
/// The name of a registered format, or empty (built-in formats have no name).
String GetClipboardFormatName(TClipboardFormat format);

inline constexpr std::string_view sCannotOpenClipboard = "Cannot open clipboard";

class TClipboard : public TPersistent {
  FW_CLASS(TClipboard)
public:
  /// Opens a session: the first data put during it replaces the clipboard's contents, later
  /// data is added beside it. Sessions nest.
  void Open();
  /// Raises EInvalidOperation when not open.
  void Close();
  bool IsOpen() const noexcept { return FOpenCount > 0; }
  void Clear();

  bool HasFormat(TClipboardFormat format) const { return FData.count(format) != 0; }
  Integer FormatCount() const noexcept { return static_cast<Integer>(FData.size()); }
  /// The formats held, in ascending order. Raises EListError for an index out of range.
  TClipboardFormat Formats(Integer index) const;

  /// Puts data under a format (outside a session: replacing everything).
  void SetAsBytes(TClipboardFormat format, std::vector<Byte> data);
  void SetBuffer(TClipboardFormat format, const void* buffer, Integer size);
  /// The data of a format; empty when the clipboard has none.
  const std::vector<Byte>& GetAsBytes(TClipboardFormat format) const;

  /// Text: stored under CF_TEXT with a terminating zero (and as CF_UNICODETEXT); reading
  /// stops at the first zero. Empty when there is no text.
  String AsText() const;
  void SetAsText(const String& text);

  /// Counts every change of contents, so a viewer can tell that something new arrived.
  Integer Sequence() const noexcept { return FSequence; }

  /// Puts a picture or graphic: bitmaps under CF_BITMAP, metafiles under CF_ENHMETAFILE,
  /// PNG images under CF_PNG, icons under a format of their own; each as its file image.
  void Assign(TPersistent* source) override;

protected:
  /// Reads the first graphic found into a TPicture or a TGraphic of the matching class.
  void AssignTo(TPersistent* dest) override;

private:
  void Adding();
  std::map<TClipboardFormat, std::vector<Byte>> FData;
  Integer FOpenCount = 0;
  bool FEmptied = false;
  Integer FSequence = 0;
};

/// The process's clipboard.
TClipboard* Clipboard();

} // namespace fw
