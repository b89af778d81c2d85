// The text side of console processes: splitting a command line, decoding a child's output.
#pragma once

#include "basert/strings.h"
#include "basert/types.h"

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace fw {

/// Splits a command line into program and arguments. Blanks and tabs separate; "..." groups,
/// with \" for a quote and backslashes doubled before a quote (backslashes elsewhere are
/// literal) and "" inside quotes for a quote; '...' groups literally.
std::vector<String> SplitCommandLine(std::string_view commandLine);

/// Turns a child's output bytes into lines: the encoding is taken from a byte-order mark (UTF-8,
/// UTF-16 LE or BE) at the start, else UTF-8 with each invalid byte read as U+FFFD; lines end at
/// CR LF, LF or CR. Bytes may arrive in pieces of any size. Lines go to the target list when one
/// is set, else they are kept for TakeLines.
class TOutputDecoder {
public:
  /// Null keeps the lines for TakeLines.
  void SetTarget(TStrings* target) noexcept { FTarget = target; }
  void Feed(std::string_view bytes);
  /// Ends the text: an unterminated last line becomes a line.
  void Finish();
  /// The complete lines kept so far (moved out).
  std::vector<String> TakeLines() { return std::exchange(FLines, {}); }
  /// Lines delivered since the start.
  Int64 LineCount() const noexcept { return FLineCount; }

private:
  enum class TEncoding : std::uint8_t { Unknown, Utf8, Utf16LE, Utf16BE };
  void FeedUtf8(std::string_view bytes);
  void FeedUtf16(std::string_view bytes);
  void AppendText(std::string_view text);
  void EmitLine(std::string_view tail);
  TEncoding FEncoding = TEncoding::Unknown;
  String FHeld;    // bytes of an incomplete character or byte-order mark
  String FPending; // start of the line being assembled
  bool FAfterCR = false;
  TStrings* FTarget = nullptr;
  Int64 FLineCount = 0;
  std::vector<String> FLines;
};

} // namespace fw
