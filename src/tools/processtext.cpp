#include "tools/processtext.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fw {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the UTF-8 sequence a lead byte starts (0: not a lead byte).
constexpr std::size_t SequenceLength(unsigned char c) {
  return c < 0x80             ? 1
         : (c & 0xE0) == 0xC0 ? 2
         : (c & 0xF0) == 0xE0 ? 3
         : (c & 0xF8) == 0xF0 ? 4
                              : 0;
}

// Whether s[0..n) is a valid start of an n-byte sequence (checked as far as it goes).
bool ValidPrefix(std::string_view s, std::size_t len) {
  const auto c0 = static_cast<unsigned char>(s[0]);
  for (std::size_t k = 1; k < s.size() && k < len; ++k)
    if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) return false;
  if (s.size() < 2) return c0 >= 0xC2 && c0 <= 0xF4;
  const auto c1 = static_cast<unsigned char>(s[1]);
  switch (c0) { // overlong forms, surrogates and values past U+10FFFF
  case 0xE0:
    return c1 >= 0xA0;
  case 0xED:
    return c1 < 0xA0;
  case 0xF0:
    return c1 >= 0x90;
  case 0xF4:
    return c1 < 0x90;
  default:
    return c0 >= 0xC2 && c0 <= 0xF4;
  }
}

} // namespace

// --- SplitCommandLine ---

std::vector<String> SplitCommandLine(std::string_view s) {
  std::vector<String> args;
  String cur;
  bool inToken = false;
  const std::size_t n = s.size();
  std::size_t i = 0;
  // k backslashes before a double quote stand for k/2 backslashes; an odd one escapes the quote.
  auto backslashes = [&](bool& escapedQuote) {
    std::size_t k = 0;
    while (i + k < n && s[i + k] == '\\')
      ++k;
    escapedQuote = false;
    if (i + k < n && s[i + k] == '"') {
      cur.append(k / 2, '\\');
      escapedQuote = k % 2 == 1;
      i += k + (escapedQuote ? 1 : 0);
      if (escapedQuote) cur += '"';
    } else {
      cur.append(k, '\\');
      i += k;
    }
  };
  while (i < n) {
    const char c = s[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (inToken) args.push_back(std::exchange(cur, String()));
      inToken = false;
      ++i;
      continue;
    }
    inToken = true;
    bool escaped;
    if (c == '\\') {
      backslashes(escaped);
    } else if (c == '\'') {
      const std::size_t end = s.find('\'', i + 1);
      const std::size_t stop = end == std::string_view::npos ? n : end;
      cur.append(s.substr(i + 1, stop - i - 1));
      i = stop == n ? n : stop + 1;
    } else if (c == '"') {
      ++i;
      while (i < n) {
        if (s[i] == '\\') {
          backslashes(escaped);
        } else if (s[i] == '"') {
          if (i + 1 < n && s[i + 1] == '"') {
            cur += '"';
            i += 2;
          } else {
            ++i;
            break;
          }
        } else {
          cur += s[i++];
        }
      }
    } else {
      cur += c;
      ++i;
    }
  }
  if (inToken) args.push_back(std::move(cur));
  return args;
}

// --- TOutputDecoder ---

namespace {

// Blocks grow with the output, so that a short one keeps a small block alive and a long one
// needs few; a read never gets less room than kMinRoom unless it asks for less.
constexpr std::size_t kFirstBlock = 16 * 1024;
constexpr std::size_t kLastBlock = 4 * 1024 * 1024;
constexpr std::size_t kMinRoom = 4096;

// The end of the run of well-formed UTF-8 in d[i, end): `end`, or where a sequence is invalid or
// cut off by `end`.
std::size_t WellFormedRun(const char* d, std::size_t i, std::size_t end) {
  while (i < end) {
    // Eight ASCII bytes at a time: the usual case.
    if (i + 8 <= end) {
      std::uint64_t word;
      std::memcpy(&word, d + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(d[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = SequenceLength(c);
    if (len < 2 || i + len > end || !ValidPrefix(std::string_view(d + i, len), len)) return i;
    i += len;
  }
  return end;
}

// Where the first CR or LF of d[0, n) is, or n. Line feeds are the usual break; a carriage
// return only matters before the next one.
std::size_t LineBreakIn(const char* d, std::size_t n) {
  const auto* lf = static_cast<const char*>(std::memchr(d, '\n', n));
  const std::size_t lfAt = lf ? static_cast<std::size_t>(lf - d) : n;
  const auto* cr = static_cast<const char*>(std::memchr(d, '\r', lfAt));
  return cr ? static_cast<std::size_t>(cr - d) : lfAt;
}

// No carriage return and nothing but ASCII in d[0, n).
bool PlainAscii(const char* d, std::size_t n) {
  if (std::memchr(d, '\r', n)) return false;
  std::uint64_t any = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, d + i, 8);
    any |= word;
  }
  for (; i < n; ++i)
    any |= static_cast<unsigned char>(d[i]);
  return (any & 0x8080808080808080ull) == 0;
}

} // namespace

TOutputDecoder::~TOutputDecoder() { ReleaseBlock(); }

void TOutputDecoder::ReleaseBlock() noexcept {
  if (FBlock) FBlock->Release();
  FBlock = nullptr;
  FLineStart = FScan = FEnd = 0;
}

std::span<char> TOutputDecoder::Space(std::size_t max) {
  max = std::max<std::size_t>(max, 1);
  const std::size_t want = std::min(max, kMinRoom);
  if (!FBlock || FBlock->Capacity() - FEnd < want) {
    // What is not yet a line moves to the start of a new block.
    const std::size_t keepFrom = FRepairing ? FScan : FLineStart;
    const std::size_t keep = FEnd - keepFrom;
    if (FBlock && keepFrom == 0 && FBlock->Unshared()) {
      // One unfinished line fills the block: grow it (a large one by remapping, not copying).
      FBlock->Resize(std::max(2 * FBlock->Capacity(), keep + want));
    } else {
      FNextBlockSize = std::clamp(2 * FNextBlockSize, kFirstBlock, kLastBlock);
      TTextBlock* block = TTextBlock::Create(std::max(FNextBlockSize, keep + want));
      if (keep) std::memcpy(block->Data(), FBlock->Data() + keepFrom, keep);
      if (FBlock) FBlock->Release();
      FBlock = block;
      FLineStart = FLineStart > keepFrom ? FLineStart - keepFrom : 0;
      FScan -= keepFrom;
      FEnd = keep;
    }
  }
  return {FBlock->Data() + FEnd, std::min(max, FBlock->Capacity() - FEnd)};
}

void TOutputDecoder::Commit(std::size_t n) {
  FEnd += n;
  Scan(false);
}

void TOutputDecoder::Feed(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::span<char> room = Space(bytes.size());
    std::memcpy(room.data(), bytes.data(), room.size());
    bytes.remove_prefix(room.size());
    Commit(room.size());
  }
}

void TOutputDecoder::Scan(bool final) {
  if (!FBlock || FEnd == 0) return; // nothing read since the last Finish
  if (FEncoding == TEncoding::Unknown) {
    const std::string_view h(FBlock->Data(), FEnd);
    if (h.starts_with("\xFF\xFE") || h.starts_with("\xFE\xFF")) {
      FEncoding = h[0] == '\xFF' ? TEncoding::Utf16LE : TEncoding::Utf16BE;
      FLineStart = FScan = 2;
    } else {
      // Wait for the rest of what may still become a byte-order mark.
      if (!final && h.size() < 3 &&
          (std::string_view("\xEF\xBB\xBF").starts_with(h) ||
           (h.size() == 1 && (h[0] == '\xFF' || h[0] == '\xFE'))))
        return;
      FEncoding = TEncoding::Utf8;
      if (h.starts_with("\xEF\xBB\xBF")) FLineStart = FScan = 3;
    }
  }
  if (FEncoding == TEncoding::Utf8)
    ScanUtf8(final);
  else
    ScanUtf16(final);
}

void TOutputDecoder::ScanUtf8(bool final) {
  const char* d = FBlock->Data();
  std::size_t i = FScan;
  if (!FRepairing && PlainAscii(d + i, FEnd - i)) {
    // The usual case: nothing to check or repair, only line feeds to find.
    if (FAfterCR && i < FEnd) {
      FAfterCR = false;
      if (d[i] == '\n') FLineStart = ++i;
    }
    while (const auto* lf = static_cast<const char*>(std::memchr(d + i, '\n', FEnd - i))) {
      const auto at = static_cast<std::size_t>(lf - d);
      EmitLine({d + FLineStart, at - FLineStart}, true);
      FLineStart = i = at + 1;
    }
    FScan = FEnd;
    return;
  }
  while (i < FEnd) {
    if (FAfterCR) {
      FAfterCR = false;
      if (d[i] == '\n') {
        FLineStart = ++i;
        continue;
      }
    }
    const std::size_t br = i + LineBreakIn(d + i, FEnd - i);
    const std::size_t ok = WellFormedRun(d, i, br);
    if (FRepairing) FPending.append(d + i, ok - i);
    if (ok < br) {
      const auto c = static_cast<unsigned char>(d[ok]);
      const std::size_t len = SequenceLength(c);
      const std::size_t have = std::min(len, FEnd - ok);
      const bool cut = len >= 2 && ok + len > FEnd && ValidPrefix({d + ok, have}, len);
      if (cut && br == FEnd && !final) { // the rest of the character is still to come
        i = ok;
        break;
      }
      if (!FRepairing) {
        FPending.assign(d + FLineStart, ok - FLineStart);
        FRepairing = true;
      }
      FPending.append(kReplacement);
      // A character cut off by the end of the output is one bad character, not several.
      i = cut && br == FEnd ? FEnd : ok + 1;
      continue;
    }
    if (br == FEnd) {
      i = FEnd;
      break;
    }
    EmitLine(FRepairing ? std::string_view(FPending)
                        : std::string_view(d + FLineStart, br - FLineStart),
             !FRepairing);
    FAfterCR = d[br] == '\r';
    FLineStart = i = br + 1;
  }
  FScan = i;
}

void TOutputDecoder::ScanUtf16(bool final) {
  const char* d = FBlock->Data();
  const bool le = FEncoding == TEncoding::Utf16LE;
  auto unitAt = [&](std::size_t k) {
    const auto a = static_cast<unsigned char>(d[FScan + 2 * k]);
    const auto b = static_cast<unsigned char>(d[FScan + 2 * k + 1]);
    return static_cast<char16_t>(le ? (b << 8 | a) : (a << 8 | b));
  };
  std::size_t units = (FEnd - FScan) / 2;
  // A high surrogate at the end waits for its partner.
  if (!final && units > 0 && unitAt(units - 1) >= 0xD800 && unitAt(units - 1) <= 0xDBFF) --units;
  WideString w(units, u'\0');
  for (std::size_t k = 0; k < units; ++k)
    w[k] = unitAt(k);
  FScan += units * 2;
  AppendText(WideToUtf8(w));
  if (final) { // half a unit left over
    for (std::size_t k = FScan; k < FEnd; k += 2)
      AppendText(kReplacement);
    FScan = FEnd;
  }
  // The block is only a read buffer here: what is left of it moves to the front.
  const std::size_t rest = FEnd - FScan;
  std::memmove(FBlock->Data(), d + FScan, rest);
  FLineStart = FScan = 0;
  FEnd = rest;
}

void TOutputDecoder::EmitLine(std::string_view line, bool inBlock) {
  ++FLineCount;
  if (!FTarget)
    FLines.emplace_back(line);
  else if (inBlock)
    FTarget->AddShared(line, *FBlock);
  else
    FTarget->Add(line);
  FPending.clear(); // keeps its capacity for the next long line
  FRepairing = false;
}

// Decoded text (UTF-16 input): lines are assembled in FPending.
void TOutputDecoder::AppendText(std::string_view text) {
  while (!text.empty()) {
    if (FAfterCR) {
      FAfterCR = false;
      if (text.front() == '\n') {
        text.remove_prefix(1);
        continue;
      }
    }
    const std::size_t br = LineBreakIn(text.data(), text.size());
    FPending.append(text.substr(0, br));
    if (br == text.size()) return;
    EmitLine(FPending, false);
    FAfterCR = text[br] == '\r';
    text.remove_prefix(br + 1);
  }
}

void TOutputDecoder::Finish() {
  Scan(true);
  if (FRepairing || (FEncoding == TEncoding::Utf8 && FEnd > FLineStart))
    EmitLine(FRepairing ? std::string_view(FPending)
                        : std::string_view(FBlock->Data() + FLineStart, FEnd - FLineStart),
             !FRepairing);
  else if (!FPending.empty())
    EmitLine(FPending, false);
  ReleaseBlock();
  FPending = String();
  FAfterCR = false;
  FRepairing = false;
}

} // namespace fw
