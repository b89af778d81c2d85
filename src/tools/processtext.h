// The text side of console processes: splitting a command line, decoding a child's output.
#pragma once

#include "basert/strings.h"
#include "basert/types.h"

#include <cstdint>
#include <span>
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
///
/// The bytes are best written straight into Space and then committed: well-formed UTF-8 lines
/// are handed to the target with AddShared, so a list can keep them where they were read.
class TOutputDecoder {
public:
  TOutputDecoder() = default;
  ~TOutputDecoder();
  TOutputDecoder(const TOutputDecoder&) = delete;
  TOutputDecoder& operator=(const TOutputDecoder&) = delete;

  /// Null keeps the lines for TakeLines.
  void SetTarget(TStrings* target) noexcept { FTarget = target; }
  /// Room for the next bytes, at most `max` (at least one) long; valid until Commit.
  std::span<char> Space(std::size_t max);
  /// Decodes the first `n` bytes written into the last Space.
  void Commit(std::size_t n);
  /// Space, copy and Commit.
  void Feed(std::string_view bytes);
  /// Ends the text: an unterminated last line becomes a line.
  void Finish();
  /// The complete lines kept so far (moved out).
  std::vector<String> TakeLines() { return std::exchange(FLines, {}); }
  /// Lines delivered since the start.
  Int64 LineCount() const noexcept { return FLineCount; }

private:
  enum class TEncoding : std::uint8_t { Unknown, Utf8, Utf16LE, Utf16BE };
  void Scan(bool final);
  void ScanUtf8(bool final);
  void ScanUtf16(bool final);
  void AppendText(std::string_view text);
  void EmitLine(std::string_view line, bool inBlock);
  void ReleaseBlock() noexcept;

  // The bytes read: [FLineStart, FScan) is the checked start of the line being assembled (kept
  // in FPending instead while it needs repairs), [FScan, FEnd) what is still to be checked.
  TTextBlock* FBlock = nullptr;
  std::size_t FLineStart = 0, FScan = 0, FEnd = 0;
  std::size_t FNextBlockSize = 0;
  TEncoding FEncoding = TEncoding::Unknown;
  bool FAfterCR = false;
  bool FRepairing = false;
  String FPending; // decoded start of the line being assembled, when not in the block
  TStrings* FTarget = nullptr;
  Int64 FLineCount = 0;
  std::vector<String> FLines;
};

} // namespace fw
