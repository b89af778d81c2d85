#include "basert/sysutils.h"

namespace fw {

namespace {
constexpr unsigned char LowerAscii(unsigned char c) noexcept {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
constexpr unsigned char UpperAscii(unsigned char c) noexcept {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}
constexpr bool IsIdentStart(unsigned char c) noexcept {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
constexpr bool IsIdentChar(unsigned char c) noexcept {
  return IsIdentStart(c) || (c >= '0' && c <= '9');
}
} // namespace

String UpperCase(std::string_view s) {
  String r(s);
  for (char& c : r) c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
  return r;
}

String LowerCase(std::string_view s) {
  String r(s);
  for (char& c : r) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
  return r;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(static_cast<unsigned char>(a[i])) != LowerAscii(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int CompareText(std::string_view a, std::string_view b) noexcept {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    int ca = UpperAscii(static_cast<unsigned char>(a[i]));
    int cb = UpperAscii(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareStr(std::string_view a, std::string_view b) noexcept {
  int r = a.compare(b);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

bool IsValidIdent(std::string_view ident, bool allowDots) noexcept {
  if (ident.empty()) return false;
  bool expectStart = true;
  for (char ch : ident) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (expectStart) {
      if (!IsIdentStart(c)) return false;
      expectStart = false;
    } else if (c == '.' && allowDots) {
      expectStart = true;
    } else if (!IsIdentChar(c)) {
      return false;
    }
  }
  return !expectStart;
}

std::size_t TextHash::operator()(std::string_view s) const noexcept {
  // FNV-1a over lower-cased bytes.
  std::size_t h = 14695981039346656037ull;
  for (char ch : s) {
    h ^= LowerAscii(static_cast<unsigned char>(ch));
    h *= 1099511628211ull;
  }
  return h;
}

} // namespace fw
