#include "tools/processtext.h"

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

void TOutputDecoder::Feed(std::string_view bytes) {
  if (FEncoding == TEncoding::Unknown) {
    FHeld.append(bytes);
    const std::string_view h = FHeld;
    if (h.starts_with("\xFF\xFE") || h.starts_with("\xFE\xFF")) {
      FEncoding = h[0] == '\xFF' ? TEncoding::Utf16LE : TEncoding::Utf16BE;
      String rest = FHeld.substr(2);
      FHeld.clear();
      FeedUtf16(rest);
      return;
    }
    if (h.size() < 3 && std::string_view("\xEF\xBB\xBF").starts_with(h)) return; // wait for more
    FEncoding = TEncoding::Utf8;
    String all = std::move(FHeld);
    FHeld.clear();
    FeedUtf8(std::string_view(all).substr(all.starts_with("\xEF\xBB\xBF") ? 3 : 0));
    return;
  }
  if (FEncoding == TEncoding::Utf8)
    FeedUtf8(bytes);
  else
    FeedUtf16(bytes);
}

void TOutputDecoder::FeedUtf8(std::string_view bytes) {
  String joined;
  if (!FHeld.empty()) {
    joined = std::move(FHeld);
    FHeld.clear();
    joined.append(bytes);
    bytes = joined;
  }
  std::size_t run = 0, i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    // Eight ASCII bytes at a time: the usual case.
    if (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = SequenceLength(c);
    const std::string_view seq = bytes.substr(i, len == 0 ? 1 : len);
    if (len >= 2 && ValidPrefix(seq, len)) {
      if (seq.size() == len) {
        i += len;
        continue;
      }
      // A character cut at the end of this piece: keep it for the next one.
      AppendText(bytes.substr(run, i - run));
      FHeld.assign(seq);
      return;
    }
    AppendText(bytes.substr(run, i - run));
    AppendText(kReplacement);
    run = ++i;
  }
  AppendText(bytes.substr(run));
}

void TOutputDecoder::FeedUtf16(std::string_view bytes) {
  String joined = std::move(FHeld);
  FHeld.clear();
  joined.append(bytes);
  const bool le = FEncoding == TEncoding::Utf16LE;
  std::size_t units = joined.size() / 2;
  auto unitAt = [&](std::size_t k) {
    const auto a = static_cast<unsigned char>(joined[2 * k]);
    const auto b = static_cast<unsigned char>(joined[2 * k + 1]);
    return static_cast<char16_t>(le ? (b << 8 | a) : (a << 8 | b));
  };
  // A high surrogate at the end waits for its partner.
  if (units > 0 && unitAt(units - 1) >= 0xD800 && unitAt(units - 1) <= 0xDBFF) --units;
  WideString w(units, u'\0');
  for (std::size_t k = 0; k < units; ++k)
    w[k] = unitAt(k);
  FHeld = joined.substr(units * 2);
  AppendText(WideToUtf8(w));
}

void TOutputDecoder::EmitLine(std::string_view tail) {
  ++FLineCount;
  std::string_view line = tail;
  if (!FPending.empty()) {
    FPending.append(tail);
    line = FPending;
  }
  if (FTarget)
    FTarget->Add(line);
  else
    FLines.emplace_back(line);
  FPending.clear(); // keeps its capacity for the next long line
}

void TOutputDecoder::AppendText(std::string_view text) {
  while (!text.empty()) {
    if (FAfterCR) {
      FAfterCR = false;
      if (text.front() == '\n') {
        text.remove_prefix(1);
        continue;
      }
    }
    // Line feeds are the usual break; a carriage return can only come before the next one.
    const char* data = text.data();
    const auto* lf = static_cast<const char*>(std::memchr(data, '\n', text.size()));
    const std::size_t lfAt = lf ? static_cast<std::size_t>(lf - data) : text.size();
    const auto* cr = static_cast<const char*>(std::memchr(data, '\r', lfAt));
    const std::size_t br = cr ? static_cast<std::size_t>(cr - data) : lfAt;
    if (br == text.size()) {
      FPending.append(text);
      return;
    }
    EmitLine(text.substr(0, br));
    FAfterCR = text[br] == '\r';
    text.remove_prefix(br + 1);
  }
}

void TOutputDecoder::Finish() {
  if (FEncoding == TEncoding::Unknown && !FHeld.empty()) {
    FEncoding = TEncoding::Utf8;
    String all = std::move(FHeld);
    FHeld.clear();
    FeedUtf8(all);
  }
  // Whatever is still held cannot be completed any more.
  for (std::size_t k = 0; k < FHeld.size(); k += FEncoding == TEncoding::Utf8 ? FHeld.size() : 2)
    AppendText(kReplacement);
  FHeld.clear();
  if (!FPending.empty()) EmitLine({});
  FPending = String();
  FAfterCR = false;
}

} // namespace fw
