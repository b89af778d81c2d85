#include "basert/sysutils.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "basert/exceptions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

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
  for (char& c : r)
    c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
  return r;
}

String LowerCase(std::string_view s) {
  String r(s);
  for (char& c : r)
    c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
  return r;
}

bool SameText(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(static_cast<unsigned char>(a[i])) !=
        LowerAscii(static_cast<unsigned char>(b[i])))
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
  // Per byte: bit 1 may start a name, bit 2 may go on with one. Form streams check every name.
  static constexpr auto kClass = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
      t[c] = static_cast<std::uint8_t>((IsIdentStart(static_cast<unsigned char>(c)) ? 1 : 0) |
                                       (IsIdentChar(static_cast<unsigned char>(c)) ? 2 : 0));
    return t;
  }();
  const auto* p = reinterpret_cast<const unsigned char*>(ident.data());
  const auto* end = p + ident.size();
  for (;;) {
    if (p == end || !(kClass[*p] & 1)) return false;
    ++p;
    while (p < end && (kClass[*p] & 2))
      ++p;
    if (p == end) return true;
    if (*p != '.' || !allowDots) return false;
    ++p;
  }
}

std::size_t TextHash::operator()(std::string_view s) const noexcept {
  // Eight bytes at a time: ASCII capitals are folded to small letters inside the word (bytes
  // above 0x7F are left alone, as SameText leaves them), then the word is mixed in.
  constexpr std::uint64_t ones = 0x0101010101010101ull;
  constexpr std::uint64_t highs = 0x8080808080808080ull;
  auto fold = [](std::uint64_t x) {
    const std::uint64_t low7 = x & ~highs;
    const std::uint64_t aboveA = low7 + ones * (0x80 - 'A');
    const std::uint64_t aboveZ = low7 + ones * (0x80 - 'Z' - 1);
    const std::uint64_t capitals = aboveA & ~aboveZ & ~x & highs;
    return x | (capitals >> 2);
  };
  auto mix = [](std::uint64_t h, std::uint64_t w) {
    h = (h ^ w) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
  };
  std::uint64_t h = 0x243F6A8885A308D3ull ^ s.size();
  const char* p = s.data();
  std::size_t n = s.size();
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    h = mix(h, fold(w));
  }
  if (n) {
    std::uint64_t w = 0;
    std::memcpy(&w, p, n);
    h = mix(h, fold(w));
  }
  return static_cast<std::size_t>(h);
}

} // namespace fw

// ---- Trimming, searching, quoting ----

namespace fw {

namespace {
constexpr bool IsBlank(char c) noexcept { return static_cast<unsigned char>(c) <= ' '; }
} // namespace

String Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b]))
    ++b;
  while (e > b && IsBlank(s[e - 1]))
    --e;
  return String(s.substr(b, e - b));
}

String TrimLeft(std::string_view s) {
  std::size_t b = 0;
  while (b < s.size() && IsBlank(s[b]))
    ++b;
  return String(s.substr(b));
}

String TrimRight(std::string_view s) {
  std::size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1]))
    --e;
  return String(s.substr(0, e));
}

std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset) noexcept {
  if (sub.empty() || offset == 0 || offset > s.size()) return 0;
  std::size_t p = s.find(sub, offset - 1);
  return p == std::string_view::npos ? 0 : p + 1;
}

String StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                     TReplaceFlags flags) {
  if (oldPattern.empty()) return String(s);
  const bool all = (flags & rfReplaceAll) != 0;
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  String r;
  r.reserve(s.size());
  std::size_t i = 0;
  while (i + oldPattern.size() <= s.size()) {
    std::string_view here = s.substr(i, oldPattern.size());
    if (ignoreCase ? SameText(here, oldPattern) : here == oldPattern) {
      r.append(newPattern);
      i += oldPattern.size();
      if (!all) break;
    } else {
      r.push_back(s[i++]);
    }
  }
  r.append(s.substr(i));
  return r;
}

String QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

String AnsiQuotedStr(std::string_view s, char quote) {
  String r;
  r.reserve(s.size() + 2);
  r.push_back(quote);
  for (char c : s) {
    r.push_back(c);
    if (c == quote) r.push_back(c);
  }
  r.push_back(quote);
  return r;
}

String AnsiDequotedStr(std::string_view s, char quote) {
  if (s.empty() || s[0] != quote) return String(s);
  String r;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        r.push_back(quote);
        ++i;
      } else {
        break;
      }
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}

// ---- Integers ----

String detail::SignedToStr(Int64 v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return String(buf, res.ptr);
}

String detail::UnsignedToStr(UInt64 v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return String(buf, res.ptr);
}

String detail::UnsignedToHex(UInt64 v, int digits) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v, 16);
  String r(buf, res.ptr);
  for (char& c : r)
    c = static_cast<char>(UpperAscii(static_cast<unsigned char>(c)));
  if (digits > 32) digits = 32;
  if (static_cast<int>(r.size()) < digits)
    r.insert(0, static_cast<std::size_t>(digits) - r.size(), '0');
  return r;
}

namespace {

/// Parses integer text into the bits of a type whose signed maximum is `maxSigned` and whose
/// hexadecimal range ends at `maxHex`.
bool ParseInteger(std::string_view s, UInt64 maxSigned, UInt64 maxHex, Int64& out) noexcept {
  std::size_t i = 0;
  const std::size_t n = s.size();
  while (i < n && (s[i] == ' ' || s[i] == '\t'))
    ++i;
  bool negative = false;
  if (i < n && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < n && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  } else if (i < n && (s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  }
  if (i == n) return false;
  const UInt64 base = hex ? 16 : 10;
  const UInt64 limit = hex ? maxHex : (negative ? maxSigned + 1 : maxSigned);
  UInt64 v = 0;
  for (; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    UInt64 d;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (hex && c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (hex && c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return false;
    if (v > (limit - d) / base) return false;
    v = v * base + d;
  }
  out = static_cast<Int64>(negative ? UInt64{0} - v : v);
  return true;
}

} // namespace

bool TryStrToInt(std::string_view s, Integer& value) noexcept {
  Int64 v;
  if (!ParseInteger(s, 0x7FFFFFFFull, 0xFFFFFFFFull, v)) return false;
  value = static_cast<Integer>(static_cast<std::uint32_t>(static_cast<UInt64>(v)));
  return true;
}

Integer StrToInt(std::string_view s) {
  Integer v;
  if (!TryStrToInt(s, v)) throw EConvertError(Format(SInvalidInteger, s));
  return v;
}

Integer StrToIntDef(std::string_view s, Integer def) noexcept {
  Integer v;
  return TryStrToInt(s, v) ? v : def;
}

bool TryStrToInt64(std::string_view s, Int64& value) noexcept {
  return ParseInteger(s, 0x7FFFFFFFFFFFFFFFull, ~UInt64{0}, value);
}

Int64 StrToInt64(std::string_view s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) throw EConvertError(Format(SInvalidInteger, s));
  return v;
}

Int64 StrToInt64Def(std::string_view s, Int64 def) noexcept {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}

// ---- Float text ----

namespace {

constexpr int kMaxFloatDigits = 18;
constexpr int kMaxCurrencyDigits = 19;

/// A decimal value 0.D1D2...Dn * 10^Exponent without trailing zeros; no digits means zero.
struct TDecimal {
  bool Negative = false;
  int Exponent = 0;
  int Count = 0;
  char Digits[24] = {};
};

TDecimal DecimalOf(Extended v) {
  TDecimal d;
  d.Negative = std::signbit(v);
  v = std::fabs(v);
  if (v == 0) return d;
  char buf[64];
  // The double conversion is several times faster, and exact for values a double holds.
  const double asDouble = static_cast<double>(v);
  const auto res = static_cast<Extended>(asDouble) == v
                       ? std::to_chars(buf, buf + sizeof buf, asDouble,
                                       std::chars_format::scientific, kMaxFloatDigits - 1)
                       : std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific,
                                       kMaxFloatDigits - 1);
  const char* p = buf;
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p != '.') d.Digits[d.Count++] = *p;
  int e = 0;
  std::from_chars(p + 1 + (p[1] == '+'), res.ptr, e);
  d.Exponent = e + 1;
  while (d.Count > 0 && d.Digits[d.Count - 1] == '0')
    --d.Count;
  return d;
}

TDecimal DecimalOf(Currency c) {
  TDecimal d;
  d.Negative = c.Scaled < 0;
  UInt64 mag =
      d.Negative ? UInt64{0} - static_cast<UInt64>(c.Scaled) : static_cast<UInt64>(c.Scaled);
  if (mag == 0) return d;
  auto res = std::to_chars(d.Digits, d.Digits + sizeof d.Digits, mag);
  d.Count = static_cast<int>(res.ptr - d.Digits);
  d.Exponent = d.Count - 4;
  while (d.Count > 0 && d.Digits[d.Count - 1] == '0')
    --d.Count;
  return d;
}

/// Keeps `keep` significant digits, rounding halves away from zero.
void RoundDecimal(TDecimal& d, int keep) {
  if (d.Count == 0 || keep >= d.Count) return;
  if (keep < 0) {
    d.Count = 0;
    d.Exponent = 0;
    return;
  }
  const bool up = d.Digits[keep] >= '5';
  d.Count = keep;
  if (up) {
    int i = keep - 1;
    while (i >= 0 && d.Digits[i] == '9')
      --i;
    if (i < 0) {
      d.Digits[0] = '1';
      d.Count = 1;
      ++d.Exponent;
    } else {
      ++d.Digits[i];
      d.Count = i + 1;
    }
  }
  while (d.Count > 0 && d.Digits[d.Count - 1] == '0')
    --d.Count;
  if (d.Count == 0) d.Exponent = 0;
}

void AppendExponent(String& r, int e, bool plusSign, int minDigits) {
  r.push_back('E');
  if (e < 0)
    r.push_back('-');
  else if (plusSign)
    r.push_back('+');
  String digits = detail::UnsignedToStr(static_cast<UInt64>(e < 0 ? -e : e));
  if (static_cast<int>(digits.size()) < minDigits)
    r.append(static_cast<std::size_t>(minDigits) - digits.size(), '0');
  r.append(digits);
}

String FormatGeneral(TDecimal d, int precision, int expDigits, const TFormatSettings& fs) {
  RoundDecimal(d, precision);
  if (d.Count == 0) return "0";
  String r;
  if (d.Negative) r.push_back('-');
  if (d.Exponent > precision || d.Exponent < -3) {
    r.push_back(d.Digits[0]);
    if (d.Count > 1) {
      r.push_back(fs.DecimalSeparator);
      r.append(d.Digits + 1, static_cast<std::size_t>(d.Count - 1));
    }
    AppendExponent(r, d.Exponent - 1, false, expDigits);
  } else if (d.Exponent <= 0) {
    r.push_back('0');
    r.push_back(fs.DecimalSeparator);
    r.append(static_cast<std::size_t>(-d.Exponent), '0');
    r.append(d.Digits, static_cast<std::size_t>(d.Count));
  } else {
    const int intLen = d.Exponent;
    r.append(d.Digits, static_cast<std::size_t>(std::min(d.Count, intLen)));
    if (d.Count < intLen) r.append(static_cast<std::size_t>(intLen - d.Count), '0');
    if (d.Count > intLen) {
      r.push_back(fs.DecimalSeparator);
      r.append(d.Digits + intLen, static_cast<std::size_t>(d.Count - intLen));
    }
  }
  return r;
}

String FormatExponent(TDecimal d, int precision, int expDigits, const TFormatSettings& fs) {
  RoundDecimal(d, precision);
  String r;
  if (d.Negative && d.Count > 0) r.push_back('-');
  for (int i = 0; i < precision; ++i) {
    r.push_back(i < d.Count ? d.Digits[i] : '0');
    if (i == 0 && precision > 1) r.push_back(fs.DecimalSeparator);
  }
  AppendExponent(r, d.Count == 0 ? 0 : d.Exponent - 1, true, expDigits);
  return r;
}

// Currency layouts: '$' stands for the currency string, '1' for the number.
constexpr std::string_view kCurrencyFormats[] = {"$1", "1$", "$ 1", "1 $"};
constexpr std::string_view kNegCurrFormats[] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                                "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                                "$ -1", "1- $", "($ 1)", "(1 $)"};

/// Fixed text of the magnitude with `decimals` decimals, optionally grouped in thousands.
String FixedMagnitude(const TDecimal& d, int decimals, bool thousands, const TFormatSettings& fs) {
  String r;
  if (d.Exponent <= 0 || d.Count == 0) {
    r.push_back('0');
  } else {
    for (int i = 0; i < d.Exponent; ++i) {
      if (thousands && i > 0 && (d.Exponent - i) % 3 == 0 && fs.ThousandSeparator != '\0')
        r.push_back(fs.ThousandSeparator);
      r.push_back(i < d.Count ? d.Digits[i] : '0');
    }
  }
  if (decimals > 0) {
    r.push_back(fs.DecimalSeparator);
    for (int k = 0; k < decimals; ++k) {
      const int idx = (d.Count == 0 ? 0 : d.Exponent) + k;
      r.push_back(idx >= 0 && idx < d.Count ? d.Digits[idx] : '0');
    }
  }
  return r;
}

String FormatDecimal(const TDecimal& raw, TFloatFormat format, int precision, int digits,
                     int maxPrecision, const TFormatSettings& fs) {
  precision = std::clamp(precision, 1, maxPrecision);
  switch (format) {
  case ffGeneral:
    return FormatGeneral(raw, precision, std::clamp(digits, 0, 4), fs);
  case ffExponent:
    return FormatExponent(raw, precision, std::clamp(digits, 0, 4), fs);
  case ffFixed:
  case ffNumber:
  case ffCurrency:
    break;
  }
  digits = std::clamp(digits, 0, 18);
  if (raw.Exponent > precision) return FormatGeneral(raw, precision, 0, fs);
  TDecimal d = raw;
  RoundDecimal(d, std::min(precision, d.Exponent + digits));
  if (d.Exponent > precision) return FormatGeneral(raw, precision, 0, fs);
  String number = FixedMagnitude(d, digits, format != ffFixed, fs);
  const bool negative = d.Negative && d.Count > 0;
  if (format != ffCurrency) return negative ? "-" + number : number;
  std::string_view layout = negative
                                ? kNegCurrFormats[fs.NegCurrFormat < 16 ? fs.NegCurrFormat : 0]
                                : kCurrencyFormats[fs.CurrencyFormat < 4 ? fs.CurrencyFormat : 0];
  String r;
  for (char c : layout) {
    if (c == '$')
      r.append(fs.CurrencyString);
    else if (c == '1')
      r.append(number);
    else
      r.push_back(c);
  }
  return r;
}

} // namespace

String FloatToStrF(Extended value, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return FormatDecimal(DecimalOf(value), format, precision, digits, kMaxFloatDigits, settings);
}

String FloatToStr(Extended value, const TFormatSettings& settings) {
  return FloatToStrF(value, ffGeneral, DoublePrecision, 0, settings);
}

String CurrToStrF(Currency value, TFloatFormat format, int digits,
                  const TFormatSettings& settings) {
  return FormatDecimal(DecimalOf(value), format, kMaxCurrencyDigits, digits, kMaxCurrencyDigits,
                       settings);
}

String CurrToStr(Currency value, const TFormatSettings& settings) {
  return CurrToStrF(value, ffGeneral, 0, settings);
}

namespace {

/// Float text split into its parts, blanks removed and separators checked.
struct TNumberText {
  bool Negative = false;
  bool NaN = false;
  bool Inf = false;
  String Mantissa;  // digits only, point removed
  int PointPos = 0; // digits before the decimal point
  Int64 Exp = 0;    // saturated at +-1e9
  /// The text in the form std::from_chars reads.
  String Normalized;
};

bool ScanFloat(std::string_view s, const TFormatSettings& fs, TNumberText& t) {
  std::size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b]))
    ++b;
  while (e > b && IsBlank(s[e - 1]))
    --e;
  s = s.substr(b, e - b);
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) t.Negative = s[i++] == '-';
  std::string_view rest = s.substr(i);
  if (SameText(rest, "NAN") && i == 0) return t.NaN = true;
  if (SameText(rest, "INF")) return t.Inf = true;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c >= '0' && c <= '9') {
      t.Mantissa.push_back(c);
      if (!point) ++t.PointPos;
    } else if (c == fs.DecimalSeparator && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (t.Mantissa.empty()) return false;
  if (i < s.size()) {
    if (s[i] != 'e' && s[i] != 'E') return false;
    ++i;
    bool negExp = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negExp = s[i++] == '-';
    if (i == s.size()) return false;
    for (; i < s.size(); ++i) {
      if (s[i] < '0' || s[i] > '9') return false;
      if (t.Exp < 1000000000) t.Exp = t.Exp * 10 + (s[i] - '0');
    }
    if (negExp) t.Exp = -t.Exp;
  }
  t.Normalized.reserve(t.Mantissa.size() + 16);
  if (t.Negative) t.Normalized.push_back('-');
  t.Normalized.append(t.Mantissa, 0, static_cast<std::size_t>(t.PointPos));
  if (t.PointPos == 0) t.Normalized.push_back('0');
  t.Normalized.push_back('.');
  t.Normalized.append(t.Mantissa, static_cast<std::size_t>(t.PointPos));
  t.Normalized.push_back('e');
  t.Normalized.append(detail::SignedToStr(t.Exp));
  return true;
}

template <class F> bool ParseFloat(std::string_view s, F& value, const TFormatSettings& fs) {
  TNumberText t;
  if (!ScanFloat(s, fs, t)) return false;
  if (t.NaN) {
    value = std::numeric_limits<F>::quiet_NaN();
    return true;
  }
  if (t.Inf) {
    value = t.Negative ? -std::numeric_limits<F>::infinity() : std::numeric_limits<F>::infinity();
    return true;
  }
  F v{};
  const char* first = t.Normalized.data();
  auto res = std::from_chars(first, first + t.Normalized.size(), v);
  if (res.ec == std::errc::result_out_of_range) {
    // Decimal exponent of the leading digit decides overflow against underflow.
    const std::size_t lead = t.Mantissa.find_first_not_of('0');
    const Int64 mag = t.PointPos - static_cast<Int64>(lead) - 1 + t.Exp;
    if (mag >= 0) return false;
    v = t.Negative ? -F(0) : F(0);
  } else if (res.ec != std::errc() || res.ptr != first + t.Normalized.size()) {
    return false;
  }
  value = v;
  return true;
}

} // namespace

bool TryStrToFloat(std::string_view s, Extended& value, const TFormatSettings& settings) noexcept {
  try {
    return ParseFloat(s, value, settings);
  } catch (...) {
    return false;
  }
}

bool TryStrToFloat(std::string_view s, Double& value, const TFormatSettings& settings) noexcept {
  try {
    return ParseFloat(s, value, settings);
  } catch (...) {
    return false;
  }
}

Extended StrToFloat(std::string_view s, const TFormatSettings& settings) {
  Extended v;
  if (!TryStrToFloat(s, v, settings)) throw EConvertError(Format(SInvalidFloat, s));
  return v;
}

Extended StrToFloatDef(std::string_view s, Extended def, const TFormatSettings& settings) noexcept {
  Extended v;
  return TryStrToFloat(s, v, settings) ? v : def;
}

bool TryStrToCurr(std::string_view s, Currency& value, const TFormatSettings& settings) noexcept {
  try {
    TNumberText t;
    if (!ScanFloat(s, settings, t) || t.NaN || t.Inf) return false;
    // value = Mantissa * 10^(Exp - fraction digits); scaled by 10^4.
    String digits = t.Mantissa;
    const std::size_t lead = digits.find_first_not_of('0');
    if (lead == String::npos) {
      value = Currency{};
      return true;
    }
    digits.erase(0, lead);
    const Int64 fracDigits = static_cast<Int64>(t.Mantissa.size()) - t.PointPos;
    const Int64 shift = t.Exp - fracDigits + 4;
    bool roundUp = false;
    if (shift >= 0) {
      if (static_cast<Int64>(digits.size()) + shift > 19) return false;
      digits.append(static_cast<std::size_t>(shift), '0');
    } else if (-shift > static_cast<Int64>(digits.size())) {
      digits.assign(1, '0');
    } else {
      const std::size_t keep = digits.size() - static_cast<std::size_t>(-shift);
      roundUp = digits[keep] >= '5';
      digits.resize(keep);
      if (digits.empty()) digits.assign(1, '0');
    }
    if (digits.size() > 19) return false;
    UInt64 mag = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), mag);
    if (roundUp) {
      if (mag == ~UInt64{0}) return false;
      ++mag;
    }
    const UInt64 limit = t.Negative ? (UInt64{1} << 63) : (UInt64{1} << 63) - 1;
    if (mag > limit) return false;
    value = Currency{static_cast<Int64>(t.Negative ? UInt64{0} - mag : mag)};
    return true;
  } catch (...) {
    return false;
  }
}

Currency StrToCurr(std::string_view s, const TFormatSettings& settings) {
  Currency v;
  if (!TryStrToCurr(s, v, settings)) throw EConvertError(Format(sInvalidCurrency, s));
  return v;
}

Currency StrToCurrDef(std::string_view s, Currency def, const TFormatSettings& settings) noexcept {
  Currency v;
  return TryStrToCurr(s, v, settings) ? v : def;
}

// ---- Booleans ----

String BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return String(b ? sTrueBoolStr : sFalseBoolStr);
  return b ? "-1" : "0";
}

bool TryStrToBool(std::string_view s, bool& value) noexcept {
  Extended f;
  if (TryStrToFloat(s, f) && !std::isnan(f)) {
    value = f != 0;
    return true;
  }
  const String t = Trim(s);
  if (SameText(t, sTrueBoolStr))
    value = true;
  else if (SameText(t, sFalseBoolStr))
    value = false;
  else
    return false;
  return true;
}

bool StrToBool(std::string_view s) {
  bool v;
  if (!TryStrToBool(s, v)) throw EConvertError(Format(sInvalidBoolean, s));
  return v;
}

bool StrToBoolDef(std::string_view s, bool def) noexcept {
  bool v;
  return TryStrToBool(s, v) ? v : def;
}

} // namespace fw
