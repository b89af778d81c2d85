#include "basert/masks.h"

#include "basert/exceptions.h"
#include "basert/format.h"

#include <cstdint>

namespace fw {

namespace {

constexpr char32_t FoldCase(char32_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

/// Decodes UTF-8 leniently: a byte that does not start a valid sequence stands for itself.
void CodePointsInto(std::string_view s, std::u32string& r) {
  r.clear();
  r.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80             ? 1
                      : (c & 0xE0) == 0xC0 ? 2
                      : (c & 0xF0) == 0xE0 ? 3
                      : (c & 0xF8) == 0xF0 ? 4
                                           : 0;
    char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool ok = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      ok = (cc & 0xC0) == 0x80;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // An overlong form must not turn into '*', '?' or '[' behind the caller's back.
    constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (ok && (cp < least[len] || cp > 0x10FFFF)) ok = false;
    if (!ok) {
      cp = c;
      len = 1;
    }
    r.push_back(cp);
    i += len;
  }
}

std::u32string CodePoints(std::string_view s) {
  std::u32string r;
  CodePointsInto(s, r);
  return r;
}

} // namespace

TMask::TMask(std::string_view mask) {
  const std::u32string m = CodePoints(mask);
  for (std::size_t i = 0; i < m.size(); ++i) {
    const char32_t c = m[i];
    if (c == '*') {
      if (FElements.empty() || FElements.back().Kind != TKind::AnyRun)
        FElements.push_back({TKind::AnyRun});
    } else if (c == '?') {
      FElements.push_back({TKind::AnyChar});
    } else if (c == '[') {
      TElement e{TKind::Set};
      e.FirstRange = FRanges.size();
      std::size_t j = i + 1;
      if (j < m.size() && m[j] == '!') {
        e.Negated = true;
        ++j;
      }
      while (j < m.size() && m[j] != ']') {
        char32_t low = m[j], high = low;
        if (j + 2 < m.size() && m[j + 1] == '-' && m[j + 2] != ']') {
          high = m[j + 2];
          j += 2;
        }
        FRanges.push_back({low, high});
        ++j;
      }
      if (j >= m.size())
        throw EMaskException(
            Format(sInvalidMask, String(mask), static_cast<Integer>(m.size() + 1)));
      e.RangeCount = FRanges.size() - e.FirstRange;
      FElements.push_back(e);
      i = j;
    } else {
      TElement e{TKind::Literal};
      e.Char = FoldCase(c);
      FElements.push_back(e);
    }
  }
}

bool TMask::MatchesOne(const TElement& e, char32_t c) const {
  switch (e.Kind) {
  case TKind::Literal:
    return FoldCase(c) == e.Char;
  case TKind::AnyChar:
    return true;
  case TKind::AnyRun:
    return false;
  case TKind::Set: {
    const char32_t lower = FoldCase(c);
    const char32_t upper = lower >= 'a' && lower <= 'z' ? lower - 32 : lower;
    bool in = false;
    for (std::size_t k = 0; k < e.RangeCount && !in; ++k) {
      const TRange& r = FRanges[e.FirstRange + k];
      in = (lower >= r.Low && lower <= r.High) || (upper >= r.Low && upper <= r.High);
    }
    return in != e.Negated;
  }
  }
  return false;
}

bool TMask::Matches(std::string_view name) const {
  // Names are matched often (every property against every category); reuse the buffer.
  thread_local std::u32string buffer;
  CodePointsInto(name, buffer);
  const std::u32string& s = buffer;
  // Greedy match that, on a mismatch, lets the most recent "*" swallow one more character.
  // Single-character elements make this exact, and the work is bounded by |s| * |mask|.
  std::size_t si = 0, ei = 0;
  std::size_t starElement = SIZE_MAX, starPos = 0;
  while (si < s.size()) {
    if (ei < FElements.size() && FElements[ei].Kind == TKind::AnyRun) {
      starElement = ei++;
      starPos = si;
    } else if (ei < FElements.size() && MatchesOne(FElements[ei], s[si])) {
      ++ei;
      ++si;
    } else if (starElement != SIZE_MAX) {
      ei = starElement + 1;
      si = ++starPos;
    } else {
      return false;
    }
  }
  while (ei < FElements.size() && FElements[ei].Kind == TKind::AnyRun)
    ++ei;
  return ei == FElements.size();
}

bool MatchesMask(std::string_view name, std::string_view mask) { return TMask(mask).Matches(name); }

} // namespace fw
