// The text form of component streams: the parser, binary<->text conversion and format detection.
#include "basert/formtext.h"

#include "basert/format.h"

#include "basert/exceptions.h"
#include "basert/formstream.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <locale.h>

namespace fw {

namespace {

using namespace std::literals;

constexpr bool IsIdentStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
constexpr bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr int HexValue(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                : -1;
}
// Output goes out in blocks this large: a file takes them without another copy, and they still
// stay in the cache.
constexpr int kOutputBlock = 1 << 18;

// The words that the text maps to their own value tags.
constexpr std::pair<std::string_view, TValueType> kWordTags[] = {
    {"False", vaFalse}, {"True", vaTrue}, {"nil", vaNil}, {"Null", vaNull}};

// The word's own spelling, or empty when `s` is no word.
std::string_view WordOf(std::string_view s) {
  for (const auto& w : kWordTags)
    if (SameText(w.first, s)) return w.first;
  return {};
}
bool IsWord(std::string_view s) { return !WordOf(s).empty(); }

// Value kinds that the exact syntax writes as Tag(value) when the plain text would map elsewhere.
constexpr TValueType kAnnotations[] = {vaInt8,    vaInt16,   vaInt32,      vaInt64, vaString,
                                       vaLString, vaWString, vaUTF8String, vaIdent, vaDouble};

locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
  return loc;
}

// Parses a whole decimal float; false when the text is not one or overflows.
template <class T> bool ParseFloat(std::string_view text, T& value) {
  auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec == std::errc() && r.ptr == text.data() + text.size()) return std::isfinite(value);
  // from_chars refuses results that underflow to subnormals; the C library rounds them.
  String s(text);
  char* end = nullptr;
  T v;
  if constexpr (std::is_same_v<T, float>)
    v = strtof_l(s.c_str(), &end, CLocale());
  else if constexpr (std::is_same_v<T, double>)
    v = strtod_l(s.c_str(), &end, CLocale());
  else
    v = strtold_l(s.c_str(), &end, CLocale());
  if (end != s.c_str() + s.size() || !std::isfinite(v)) return false;
  value = v;
  return true;
}

template <class T> void AppendFloat(String& out, T v) {
  char buf[64];
  char* end = nullptr;
  if constexpr (std::is_same_v<T, Extended>) end = detail::ShortestDecimal(v, buf);
  if (!end) end = std::to_chars(buf, buf + sizeof buf, v).ptr;
  bool point = false;
  for (char* p = buf; p < end; ++p) {
    if (*p == 'e') *p = 'E';
    if (*p == '.' || *p == 'E') point = true;
  }
  out.append(buf, end);
  if (!point) out += ".0";
}

void AppendCurrency(String& out, Int64 scaled) {
  UInt64 u = scaled < 0 ? UInt64{0} - static_cast<UInt64>(scaled) : static_cast<UInt64>(scaled);
  if (scaled < 0) out += '-';
  out += std::to_string(u / 10000);
  char frac[5];
  UInt64 f = u % 10000;
  for (int i = 3; i >= 0; --i, f /= 10)
    frac[i] = static_cast<char>('0' + f % 10);
  int n = 4;
  while (n > 1 && frac[n - 1] == '0')
    --n;
  out += '.';
  out.append(frac, static_cast<std::size_t>(n));
}

WideString UnitsOfLE(std::string_view le) {
  WideString w(le.size() / 2, u'\0');
  for (std::size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<char16_t>(static_cast<Byte>(le[2 * i]) |
                                 (static_cast<Byte>(le[2 * i + 1]) << 8));
  return w;
}

} // namespace

namespace detail {

char* ShortestDecimal(Extended v, char* buf) noexcept {
  // A decimal m / 10^k with m below 2^53 and k at most 19 is exact in extended arithmetic up to
  // the one division, which rounds as the parser does: so it reads back to v exactly when
  // m / 10^k == v. Trying k upwards finds the fewest digits. Below 2^53 an m that reads back lies
  // within 2^-11 of the exact a * 10^k, and the rounded product is off by less than that, so
  // rounding the product finds it.
  static constexpr Extended kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                        1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                        1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
  constexpr Extended kLimit = 9007199254740992.0L; // 2^53
  const Extended a = v < 0 ? -v : v;
  if (!(a >= 1e-5L && a < 1e15L)) return nullptr; // zero, tiny, huge, NaN: the library decides
  UInt64 m = 0;
  int k = 0;
  for (;; ++k) {
    if (k == static_cast<int>(std::size(kPow10))) return nullptr;
    const Extended scaled = a * kPow10[k];
    if (scaled >= kLimit) return nullptr;
    m = static_cast<UInt64>(scaled + 0.5L); // exact below 2^53; a tie never reads back anyway
    if (static_cast<Extended>(m) / kPow10[k] == a) break;
  }
  // The digits, and where the point goes: value = digits * 10^(exp10 - digits + 1).
  char digits[24];
  const int n = static_cast<int>(std::to_chars(digits, digits + sizeof digits, m).ptr - digits);
  int sig = n;
  while (sig > 1 && digits[sig - 1] == '0')
    --sig;
  const int exp10 = n - 1 - k;
  // As the library chooses: fixed or scientific, whichever is shorter, fixed on a tie.
  const int absExp = exp10 < 0 ? -exp10 : exp10;
  const int sciLength = sig + (sig > 1) + 2 + (absExp >= 100 ? 3 : 2);
  const int fixedLength = k == 0 ? n : (n > k ? n + 1 : k + 2);
  char* p = buf;
  if (v < 0) *p++ = '-';
  if (fixedLength <= sciLength) {
    if (k == 0) {
      std::memcpy(p, digits, static_cast<std::size_t>(n));
      return p + n;
    }
    if (n > k) {
      std::memcpy(p, digits, static_cast<std::size_t>(n - k));
      p += n - k;
      *p++ = '.';
      std::memcpy(p, digits + n - k, static_cast<std::size_t>(k));
      return p + k;
    }
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', static_cast<std::size_t>(k - n));
    p += k - n;
    std::memcpy(p, digits, static_cast<std::size_t>(n));
    return p + n;
  }
  *p++ = digits[0];
  if (sig > 1) {
    *p++ = '.';
    std::memcpy(p, digits + 1, static_cast<std::size_t>(sig - 1));
    p += sig - 1;
  }
  *p++ = 'e';
  *p++ = exp10 < 0 ? '-' : '+';
  if (absExp < 10) *p++ = '0';
  return std::to_chars(p, p + 4, absExp).ptr;
}

} // namespace detail

// --- TParser ---

TParser::TParser(TStream& stream) : FStream(&stream) {
  FStreamBase = stream.Position();
  if (auto* m = dynamic_cast<TMemoryStream*>(&stream)) {
    FText = m->View().substr(std::min(static_cast<std::size_t>(FStreamBase), m->View().size()));
  } else {
    Int64 n = std::max<Int64>(stream.Size() - FStreamBase, 0);
    FOwned.resize(static_cast<std::size_t>(n));
    if (n) stream.ReadBuffer(FOwned.data(), n);
    FText = FOwned;
  }
  Init();
}

TParser::TParser(std::string_view text) : FText(text) { Init(); }

TParser::~TParser() {
  if (!FStream) return;
  try {
    FStream->SetPosition(FStreamBase + static_cast<Int64>(FTokenStart));
  } catch (...) {
  }
}

void TParser::Init() {
  if (FText.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = FLineStart = 3;
  NextToken();
}

void TParser::Error(std::string_view message) const { ErrorAt(message, FTokenLine, FTokenColumn); }

void TParser::ErrorAt(std::string_view message, int line, int column) const {
  throw EParserError(Format(sParseError, message, line, column));
}

void TParser::SkipBlanks() {
  const std::size_t n = FText.size();
  while (FPos < n && static_cast<unsigned char>(FText[FPos]) <= ' ') {
    if (FText[FPos] == '\n') {
      ++FLine;
      FLineStart = FPos + 1;
    }
    ++FPos;
  }
}

char TParser::PeekNonBlank() const {
  std::size_t p = FPos;
  while (p < FText.size() && static_cast<unsigned char>(FText[p]) <= ' ')
    ++p;
  return p < FText.size() ? FText[p] : '\0';
}

char TParser::NextToken() {
  SkipBlanks();
  FTokenStart = FPos;
  FTokenLine = FLine;
  FTokenColumn = static_cast<int>(FPos - FLineStart) + 1;
  FFloatType = 0;
  const std::size_t n = FText.size();
  if (FPos >= n) return FToken = toEOF;
  char c = FText[FPos];
  if (IsIdentStart(c)) {
    std::size_t start = FPos;
    for (;;) {
      while (FPos < n && IsIdentChar(FText[FPos]))
        ++FPos;
      if (FPos + 1 < n && FText[FPos] == '.' && IsIdentStart(FText[FPos + 1])) {
        ++FPos;
        continue;
      }
      break;
    }
    FSymbol = std::string_view(FText).substr(start, FPos - start);
    return FToken = toSymbol;
  }
  if (c == '\'' || c == '#') {
    ScanString();
    return FToken;
  }
  if (IsDigit(c) || c == '$' ||
      (c == '-' && FPos + 1 < n && (IsDigit(FText[FPos + 1]) || FText[FPos + 1] == '$'))) {
    ScanNumber();
    return FToken;
  }
  ++FPos;
  return FToken = c;
}

void TParser::AppendUnit(char32_t unit) {
  if (FToken == toString && unit < 0x80) {
    FStrBytes += static_cast<char>(unit);
    return;
  }
  if (FToken == toString) {
    FToken = toWString;
    FStrWide.assign(FStrBytes.begin(), FStrBytes.end());
  }
  if (unit > 0xFFFF) {
    unit -= 0x10000;
    FStrWide += static_cast<char16_t>(0xD800 + (unit >> 10));
    FStrWide += static_cast<char16_t>(0xDC00 + (unit & 0x3FF));
  } else {
    FStrWide += static_cast<char16_t>(unit);
  }
}

void TParser::ScanString() {
  FStrBytes.clear();
  FStrWide.clear();
  FToken = toString;
  const std::size_t n = FText.size();
  for (;;) {
    char c = FPos < n ? FText[FPos] : '\0';
    if (c == '\'') {
      ++FPos;
      for (;;) {
        if (FPos >= n || FText[FPos] == '\n' || FText[FPos] == '\r') Error(SInvalidString);
        char ch = FText[FPos];
        if (ch == '\'') {
          if (FPos + 1 < n && FText[FPos + 1] == '\'') {
            AppendUnit('\'');
            FPos += 2;
            continue;
          }
          ++FPos;
          break;
        }
        // Copy a run of plain ASCII at once; decode anything wider.
        std::size_t run = FPos;
        while (run < n && static_cast<unsigned char>(FText[run]) < 0x80 && FText[run] != '\'' &&
               FText[run] != '\n' && FText[run] != '\r')
          ++run;
        if (run > FPos) {
          if (FToken == toString)
            FStrBytes.append(FText, FPos, run - FPos);
          else
            for (std::size_t i = FPos; i < run; ++i)
              FStrWide += static_cast<char16_t>(FText[i]);
          FPos = run;
          continue;
        }
        // One UTF-8 sequence, or a lone byte taken as Latin-1.
        std::size_t len = 1;
        unsigned char lead = static_cast<unsigned char>(ch);
        std::size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (want > 1 && FPos + want <= n &&
            detail::IsValidUtf8(std::string_view(FText).substr(FPos, want)))
          len = want;
        char32_t cp = lead;
        if (len > 1) {
          cp = lead & (0x7F >> len);
          for (std::size_t k = 1; k < len; ++k)
            cp = (cp << 6) | (FText[FPos + k] & 0x3F);
        }
        AppendUnit(cp);
        FPos += len;
      }
    } else if (c == '#') {
      ++FPos;
      UInt64 v = 0;
      std::size_t start = FPos;
      if (FPos < n && FText[FPos] == '$') {
        ++start;
        ++FPos;
        while (FPos < n && HexValue(FText[FPos]) >= 0 && v <= 0xFFFF)
          v = v * 16 + static_cast<UInt64>(HexValue(FText[FPos++]));
      } else {
        while (FPos < n && IsDigit(FText[FPos]) && v <= 0xFFFF)
          v = v * 10 + static_cast<UInt64>(FText[FPos++] - '0');
      }
      if (FPos == start || v > 0xFFFF) Error(sInvalidCharCode);
      AppendUnit(static_cast<char32_t>(v)); // a code is one UTF-16 unit
    } else {
      return;
    }
  }
}

void TParser::ScanNumber() {
  const std::size_t n = FText.size();
  std::size_t start = FPos;
  if (FText[FPos] == '-') ++FPos;
  FToken = toInteger;
  FHex = FText[FPos] == '$';
  if (FHex) {
    ++FPos;
    std::size_t digits = FPos;
    while (FPos < n && HexValue(FText[FPos]) >= 0)
      ++FPos;
    if (FPos == digits) Error(sNumberExpected);
  } else {
    while (FPos < n && IsDigit(FText[FPos]))
      ++FPos;
    if (FPos + 1 < n && FText[FPos] == '.' && IsDigit(FText[FPos + 1])) {
      FToken = toFloat;
      ++FPos;
      while (FPos < n && IsDigit(FText[FPos]))
        ++FPos;
    }
    if (FPos < n && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
      std::size_t e = FPos + 1;
      if (e < n && (FText[e] == '+' || FText[e] == '-')) ++e;
      if (e < n && IsDigit(FText[e])) {
        FToken = toFloat;
        FPos = e;
        while (FPos < n && IsDigit(FText[FPos]))
          ++FPos;
      }
    }
  }
  FNumber = std::string_view(FText).substr(start, FPos - start);
  if (!FHex && FPos < n) {
    char s = static_cast<char>(FText[FPos] | 0x20);
    if (s == 's' || s == 'c' || s == 'd') {
      FFloatType = s;
      FToken = toFloat;
      ++FPos;
    }
  }
}

String TParser::TokenString() const {
  switch (FToken) {
  case toSymbol:
    return String(FSymbol);
  case toString:
    return FStrBytes;
  case toWString:
    return WideToUtf8(FStrWide);
  case toInteger:
  case toFloat:
    return String(FNumber);
  default:
    return FToken == toEOF ? String() : String(1, FToken);
  }
}

WideString TParser::TokenWideString() const {
  if (FToken == toWString) return FStrWide;
  return WideString(FStrBytes.begin(), FStrBytes.end());
}

Int64 TParser::TokenInt() const {
  if (FToken != toInteger) CheckToken(toInteger);
  std::string_view t = FNumber;
  bool neg = !t.empty() && t[0] == '-';
  if (neg) t.remove_prefix(1);
  UInt64 v = 0;
  if (FHex) {
    t.remove_prefix(1);
    std::size_t first = t.find_first_not_of('0');
    if (first != std::string_view::npos && t.size() - first > 16) Error(sNumberOutOfRange);
    for (char c : t)
      v = v * 16 + static_cast<UInt64>(HexValue(c));
    return neg ? static_cast<Int64>(UInt64{0} - v) : static_cast<Int64>(v);
  }
  const UInt64 limit = neg ? UInt64{1} << 63 : (UInt64{1} << 63) - 1;
  for (char c : t) {
    UInt64 d = static_cast<UInt64>(c - '0');
    if (v > (limit - d) / 10) Error(sNumberOutOfRange);
    v = v * 10 + d;
  }
  return neg ? static_cast<Int64>(UInt64{0} - v) : static_cast<Int64>(v);
}

Extended TParser::TokenFloat() const {
  if (FToken == toInteger) return static_cast<Extended>(TokenInt());
  if (FToken != toFloat) CheckToken(toFloat);
  Extended v;
  if (!ParseFloat(FNumber, v)) Error(sNumberOutOfRange);
  return v;
}

bool TParser::TokenSymbolIs(std::string_view s) const {
  return FToken == toSymbol && SameText(FSymbol, s);
}

void TParser::CheckToken(char t) const {
  if (FToken == t || (t == toString && FToken == toWString)) return;
  switch (t) {
  case toSymbol:
    Error(sIdentifierExpected);
  case toString:
  case toWString:
    Error(sStringExpected);
  case toInteger:
  case toFloat:
    Error(sNumberExpected);
  default:
    Error(Format(sCharExpected, std::string_view(&t, 1)));
  }
}

void TParser::CheckTokenSymbol(std::string_view s) const {
  if (!TokenSymbolIs(s)) Error(Format(sCharExpected, s));
}

void TParser::HexToBinary(std::vector<Byte>& out) {
  CheckToken('{');
  const std::size_t n = FText.size();
  for (;;) {
    SkipBlanks();
    FTokenLine = FLine;
    FTokenColumn = static_cast<int>(FPos - FLineStart) + 1;
    if (FPos < n && FText[FPos] == '}') {
      ++FPos;
      break;
    }
    int hi = FPos < n ? HexValue(FText[FPos]) : -1;
    int lo = FPos + 1 < n ? HexValue(FText[FPos + 1]) : -1;
    if (hi < 0 || lo < 0) Error(sInvalidBinary);
    out.push_back(static_cast<Byte>(hi * 16 + lo));
    FPos += 2;
  }
  NextToken();
}

// --- Text to binary ---

namespace {

/// A string value being assembled from '+'-joined pieces: ASCII bytes until a wider
/// character appears, then UTF-16 units.
struct TextString {
  bool Wide = false;
  String Bytes;
  WideString Units;

  void Append(const TParser& p) {
    if (!Wide && p.Token() == toString) {
      Bytes += p.TokenAsciiString();
      return;
    }
    if (!Wide) {
      Units.assign(Bytes.begin(), Bytes.end());
      Wide = true;
    }
    Units += p.TokenWideString();
  }
  std::size_t Size() const { return Wide ? Units.size() : Bytes.size(); }
};

class TextToBinary {
public:
  TextToBinary(TParser& parser, TBinaryWriterCore& writer, TTextSyntax syntax)
      : P(parser), W(writer), FExact(syntax == TTextSyntax::Exact) {}

  void Run() {
    W.WriteSignature();
    ParseObject();
  }

private:
  TParser& P;
  TBinaryWriterCore& W;
  const bool FExact;
  int FDepth = 0;

  void Enter() {
    if (++FDepth > kMaxNesting) P.Error(sNestingTooDeepText);
  }

  // True at Tag( in the exact syntax. The standard syntax refuses the known tags there with a
  // message that says why; any other identifier stays an identifier, as other readers take it.
  bool AtAnnotation() const {
    if (P.Token() != toSymbol || !P.NextCharIs('(')) return false;
    if (FExact) return true;
    for (TValueType t : kAnnotations)
      if (P.TokenSymbolIs(ValueTypeNames[t])) P.Error(Format(sAnnotationRefused, P.TokenString()));
    return false;
  }

  // The name is a view of the parsed text, which outlives this conversion.
  std::string_view TakeName() {
    P.CheckToken(toSymbol);
    std::string_view s = P.TokenSymbol();
    if (s.size() > 255) P.Error(sNameTooLong);
    P.NextToken();
    return s;
  }

  // True when the identifier token is the keyword `word` rather than a property called so.
  bool AtKeyword(std::string_view word) const {
    return P.TokenSymbolIs(word) && P.PeekNonBlank() != '=';
  }

  void ParseObject() {
    Enter();
    TFilerFlags flags = 0;
    if (P.TokenSymbolIs("inherited"))
      flags = ffInherited;
    else if (P.TokenSymbolIs("inline"))
      flags = ffInline;
    else
      P.CheckTokenSymbol("object");
    P.NextToken();
    if (flags == ffInherited && P.TokenSymbolIs("inline") && IsIdentStart(P.PeekNonBlank())) {
      flags |= ffInline;
      P.NextToken();
    }
    std::string_view name, cls = TakeName();
    if (P.Token() == ':') {
      P.NextToken();
      name = cls;
      cls = TakeName();
    }
    Int64 childPos = 0;
    TValueType childTag = vaNull;
    if (P.Token() == '[') {
      P.NextToken();
      childTag = ParseInteger(childPos);
      if (childPos < std::numeric_limits<Integer>::min() ||
          childPos > std::numeric_limits<Integer>::max())
        P.Error(sNumberOutOfRange);
      flags |= ffChildPos;
      P.CheckToken(']');
      P.NextToken();
    }
    if (flags) W.WriteByte(static_cast<Byte>(0xF0 | flags));
    if (flags & ffChildPos) W.WriteIntegerAs(childTag, childPos);
    W.WriteStr(cls);
    W.WriteStr(name);
    bool children = false;
    for (;;) {
      if (AtKeyword("end")) break;
      if (AtKeyword("object") || AtKeyword("inherited") || AtKeyword("inline")) {
        if (!children) W.WriteListEnd();
        children = true;
        ParseObject();
        continue;
      }
      if (P.Token() != toSymbol) P.CheckTokenSymbol("end");
      if (children) P.Error(sPropertyAfterChild);
      ParseProperty();
    }
    P.NextToken();
    if (!children) W.WriteListEnd();
    W.WriteListEnd();
    --FDepth;
  }

  void ParseProperty() {
    W.WriteStr(TakeName());
    P.CheckToken('=');
    P.NextToken();
    ParseValue(false);
  }

  // An integer, plain or annotated with its tag; answers the tag to write it with.
  TValueType ParseInteger(Int64& value) {
    if (AtAnnotation()) {
      TValueType tag = AnnotationTag();
      if (!detail::IsIntTag(tag)) P.Error(sNumberExpected);
      P.NextToken();
      P.NextToken();
      value = IntegerToken(tag);
      P.CheckToken(')');
      P.NextToken();
      return tag;
    }
    P.CheckToken(toInteger);
    value = P.TokenInt();
    P.NextToken();
    return CanonicalIntegerType(value);
  }

  Int64 IntegerToken(TValueType tag) {
    P.CheckToken(toInteger);
    Int64 v = P.TokenInt();
    static constexpr int kBits[] = {0, 0, 8, 16, 32};
    int bits = tag == vaInt64 ? 64 : kBits[tag];
    if (bits < 64 && (v < -(Int64{1} << (bits - 1)) || v >= (Int64{1} << (bits - 1))))
      P.Error(sNumberOutOfRange);
    P.NextToken();
    return v;
  }

  TValueType AnnotationTag() const {
    for (TValueType t : kAnnotations)
      if (P.TokenSymbolIs(ValueTypeNames[t])) return t;
    P.Error(Format(sUnknownValueKind, P.TokenString()));
  }

  TextString ParseStringExpr() {
    P.CheckToken(toString);
    TextString s;
    s.Append(P);
    while (P.NextToken() == '+') {
      P.NextToken();
      P.CheckToken(toString);
      s.Append(P);
    }
    return s;
  }

  void ParseValue(bool inList) {
    switch (P.Token()) {
    case toInteger:
      W.WriteInteger(P.TokenInt());
      P.NextToken();
      return;
    case toFloat:
      WriteFloatToken();
      P.NextToken();
      return;
    case toString:
    case toWString: {
      TextString s = ParseStringExpr();
      if (s.Wide)
        W.WriteWideString(s.Units);
      else
        W.WriteStringAs(s.Bytes.size() <= 255 ? vaString : vaLString, s.Bytes);
      return;
    }
    case toSymbol: {
      if (AtAnnotation()) return ParseAnnotated();
      if (inList && P.TokenSymbolIs("Null")) P.Error(sNullInList);
      std::string_view s = P.TokenSymbol();
      if (s.size() > 255) P.Error(sNameTooLong);
      W.WriteIdent(s);
      P.NextToken();
      return;
    }
    case '[':
      return ParseSet();
    case '(':
      return ParseList();
    case '{': {
      std::vector<Byte> data;
      P.HexToBinary(data);
      W.WriteBinary(data.data(), data.size());
      return;
    }
    case '<':
      return ParseCollection();
    default:
      P.Error(sValueExpected);
    }
  }

  void WriteFloatToken() {
    std::string_view text = P.TokenNumberText();
    switch (P.FloatType()) {
    case 's': {
      float f;
      if (!ParseFloat(text, f)) P.Error(sNumberOutOfRange);
      W.WriteSingle(f);
      return;
    }
    case 'd': {
      double d;
      if (!ParseFloat(text, d)) P.Error(sNumberOutOfRange);
      W.WriteDate(d);
      return;
    }
    case 'c':
      W.WriteCurrency(Currency::FromScaled(CurrencyToken(text)));
      return;
    default:
      W.WriteFloat(P.TokenFloat());
      return;
    }
  }

  Int64 CurrencyToken(std::string_view text) {
    // Exact for plain decimals with up to four places, rounded otherwise.
    bool neg = !text.empty() && text[0] == '-';
    std::string_view t = neg ? text.substr(1) : text;
    std::size_t dot = t.find('.');
    std::string_view ip = t.substr(0, dot);
    std::string_view fp = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    if (t.find_first_of("eE") == std::string_view::npos && fp.size() <= 4) {
      UInt64 v = 0;
      const UInt64 limit = neg ? UInt64{1} << 63 : (UInt64{1} << 63) - 1;
      String digits = String(ip) + String(fp) + String(4 - fp.size(), '0');
      for (char c : digits) {
        UInt64 d = static_cast<UInt64>(c - '0');
        if (v > (limit - d) / 10) P.Error(sNumberOutOfRange);
        v = v * 10 + d;
      }
      return neg ? static_cast<Int64>(UInt64{0} - v) : static_cast<Int64>(v);
    }
    Extended x;
    if (!ParseFloat(text, x)) P.Error(sNumberOutOfRange);
    x = std::nearbyint(x * 10000.0L);
    if (!(x > -9.2233720368547758e18L && x < 9.2233720368547758e18L)) P.Error(sNumberOutOfRange);
    return static_cast<Int64>(x);
  }

  void ParseAnnotated() {
    TValueType tag = AnnotationTag();
    P.NextToken(); // '('
    P.NextToken();
    if (detail::IsIntTag(tag)) {
      W.WriteIntegerAs(tag, IntegerToken(tag));
    } else if (tag == vaDouble) {
      if (P.Token() != toInteger && !(P.Token() == toFloat && P.FloatType() == 0))
        P.Error(sNumberExpected);
      double d;
      if (P.Token() == toInteger)
        d = static_cast<double>(P.TokenInt());
      else if (!ParseFloat(P.TokenNumberText(), d))
        P.Error(sNumberOutOfRange);
      W.WriteDouble(d);
      P.NextToken();
    } else {
      const int line = P.SourceLine(), column = P.SourceColumn();
      TextString s = ParseStringExpr();
      if (tag == vaWString) {
        W.WriteWideChars(s.Wide ? WideString(s.Units) : WideString(s.Bytes.begin(), s.Bytes.end()));
      } else {
        String bytes = s.Bytes;
        if (s.Wide) {
          bytes.clear();
          for (char16_t u : s.Units) {
            if (u > 0xFF) P.ErrorAt(sInvalidCharCode, line, column);
            bytes += static_cast<char>(u);
          }
        }
        if ((tag == vaString || tag == vaIdent) && bytes.size() > 255)
          P.ErrorAt(sNameTooLong, line, column);
        W.WriteStringAs(tag, bytes);
      }
    }
    P.CheckToken(')');
    P.NextToken();
  }

  void ParseSet() {
    W.WriteValue(vaSet);
    P.NextToken();
    if (P.Token() != ']') {
      for (;;) {
        W.WriteStr(TakeName());
        if (P.Token() != ',') break;
        P.NextToken();
      }
    }
    P.CheckToken(']');
    P.NextToken();
    W.WriteStr("");
  }

  void ParseList() {
    Enter();
    W.WriteListBegin();
    P.NextToken();
    while (P.Token() != ')') {
      if (P.Token() == toEOF) P.CheckToken(')');
      ParseValue(true);
    }
    P.NextToken();
    W.WriteListEnd();
    --FDepth;
  }

  void ParseCollection() {
    Enter();
    W.WriteCollectionBegin();
    P.NextToken();
    while (P.Token() != '>') {
      P.CheckTokenSymbol("item");
      P.NextToken();
      if (P.Token() == '[') {
        P.NextToken();
        Int64 index;
        TValueType tag = ParseInteger(index);
        W.WriteIntegerAs(tag, index);
        P.CheckToken(']');
        P.NextToken();
      }
      W.WriteListBegin();
      while (!AtKeyword("end")) {
        if (P.Token() != toSymbol) P.CheckTokenSymbol("end");
        ParseProperty();
      }
      P.NextToken();
      W.WriteListEnd();
    }
    P.NextToken();
    W.WriteListEnd();
    --FDepth;
  }
};

// --- Binary to text ---

class BinaryToText {
public:
  BinaryToText(TBinaryReaderCore& reader, TStream& output, TTextSyntax syntax)
      : R(reader), Out(output), FExact(syntax == TTextSyntax::Exact) {
    S.reserve(kFlushAt + 4096);
  }

  void Run() {
    R.ReadSignature();
    ConvertObject(0);
    Flush();
  }

private:
  static constexpr std::size_t kFlushAt = kOutputBlock;
  static constexpr std::size_t kLineLength = 64;
  TBinaryReaderCore& R;
  TStream& Out;
  const bool FExact;
  String S;
  int FDepth = 0;

  void Flush() {
    Out.WriteBuffer(S.data(), static_cast<Int64>(S.size()));
    S.clear();
  }
  void Indent(int level) { S.append(static_cast<std::size_t>(2 * level), ' '); }
  void EndLine() {
    S += "\r\n";
    if (S.size() >= kFlushAt) Flush();
  }
  void NewLine(int level) {
    EndLine();
    Indent(level);
  }
  void Enter() {
    if (++FDepth > kMaxNesting) R.ErrorAt(sNestingTooDeep);
  }
  [[noreturn]] void Fail(std::string_view message, Int64 pos) {
    throw EReadError(Format(message, pos));
  }

  void AppendInteger(Int64 v, TValueType tag) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    if (!FExact || tag == CanonicalIntegerType(v)) {
      S.append(buf, r.ptr);
      return;
    }
    S += ValueTypeNames[tag];
    S += '(';
    S.append(buf, r.ptr);
    S += ')';
  }

  void ConvertObject(int level) {
    Enter();
    Int64 pos = R.Position();
    Byte b = R.PeekByte();
    TFilerFlags flags = 0;
    Int64 childPos = 0;
    TValueType childTag = vaNull;
    if ((b & 0xF0) == 0xF0) {
      R.ReadByte();
      flags = b & 0x0F;
      if (flags == 0 || (flags & ~ffAllFlags)) Fail(sInvalidPrefix, pos);
      if (flags & ffChildPos) {
        childTag = R.ReadValue();
        if (!detail::IsIntTag(childTag)) R.PropValueError("Integer");
        childPos = R.ReadIntegerBody(childTag);
        if (childPos < std::numeric_limits<Integer>::min() ||
            childPos > std::numeric_limits<Integer>::max())
          R.ErrorAt(sValueOutOfRange);
      }
    }
    pos = R.Position();
    String cls(R.ReadStrView());
    if (!IsValidIdent(cls, true)) Fail(sInvalidNameAt, pos);
    pos = R.Position();
    std::string_view name = R.ReadStrView();
    if (!name.empty() && !IsValidIdent(name, true)) Fail(sInvalidNameAt, pos);
    Indent(level);
    S += flags & ffInherited ? (flags & ffInline ? "inherited inline " : "inherited ")
         : flags & ffInline  ? "inline "
                             : "object ";
    if (!name.empty()) {
      S += name;
      S += ": ";
    }
    S += cls;
    if (flags & ffChildPos) {
      S += " [";
      AppendInteger(childPos, childTag);
      S += ']';
    }
    EndLine();
    while (!R.EndOfList())
      ConvertProperty(level + 1);
    R.ReadListEnd();
    while (!R.EndOfList())
      ConvertObject(level + 1);
    R.ReadListEnd();
    Indent(level);
    S += "end";
    EndLine();
    --FDepth;
  }

  void ConvertProperty(int level) {
    Int64 pos = R.Position();
    std::string_view name = R.ReadStrView();
    if (!IsValidIdent(name, true)) Fail(sInvalidNameAt, pos);
    Indent(level);
    S += name;
    S += " = ";
    ConvertValue(level, false);
    EndLine();
  }

  template <class T> static char16_t At(const T& s, std::size_t i) {
    return static_cast<char16_t>(static_cast<std::make_unsigned_t<typename T::value_type>>(s[i]));
  }

  // A string as quoted runs and #codes, 64 characters to a line.
  template <class T> void AppendChars(const T& s, int level) {
    const std::size_t n = s.size();
    if (n == 0) {
      S += "''";
      return;
    }
    if (n > kLineLength) NewLine(level + 1);
    std::size_t i = 0, lineStart = 0;
    while (i < n) {
      char16_t c = At(s, i);
      if (c >= 0x20 && c < 0x7F) {
        S += '\'';
        while (i < n && i - lineStart < kLineLength) {
          c = At(s, i);
          if (c < 0x20 || c >= 0x7F) break;
          if (c == '\'') S += '\'';
          S += static_cast<char>(c);
          ++i;
        }
        S += '\'';
      } else {
        S += '#';
        S += std::to_string(c);
        ++i;
      }
      if (i - lineStart >= kLineLength && i < n) {
        S += " +";
        NewLine(level + 1);
        lineStart = i;
      }
    }
  }

  // The characters that the reader takes from the string, whatever its tag.
  void ConvertPlainString(TValueType t, std::string_view body, int level) {
    if (t == vaWString) return AppendChars(UnitsOfLE(body), level);
    if (detail::IsAscii(body)) return AppendChars(body, level);
    if ((t == vaString || t == vaLString) && !detail::IsValidUtf8(body)) // Latin-1
      return AppendChars(body, level);
    AppendChars(Utf8ToWide(body), level);
  }

  template <class T> void AppendAnnotated(TValueType tag, const T& s, int level) {
    S += ValueTypeNames[tag];
    S += '(';
    AppendChars(s, level);
    S += ')';
  }

  void ConvertString(TValueType t, int level) {
    std::string_view body = R.ReadStringBody(t);
    if (!FExact) return ConvertPlainString(t, body, level);
    switch (t) {
    case vaString:
      if (detail::IsAscii(body)) return AppendChars(body, level);
      break;
    case vaLString:
      if (detail::IsAscii(body) && body.size() > 255) return AppendChars(body, level);
      break;
    case vaUTF8String:
      if (!detail::IsAscii(body) && detail::IsValidUtf8(body)) {
        WideString units = Utf8ToWide(body);
        if (body.size() < 2 * units.size()) return AppendChars(units, level);
      }
      break;
    default: { // vaWString
      WideString units = UnitsOfLE(body);
      if (CanonicalStringType(units) == vaWString) return AppendChars(units, level);
      return AppendAnnotated(t, units, level);
    }
    }
    AppendAnnotated(t, body, level);
  }

  void ConvertValue(int level, bool inList) {
    TValueType t = R.ReadValue();
    Int64 pos = R.ValuePosition();
    switch (t) {
    case vaNull:
      S += "Null";
      return;
    case vaFalse:
      S += "False";
      return;
    case vaTrue:
      S += "True";
      return;
    case vaNil:
      S += "nil";
      return;
    case vaList:
      Enter();
      S += '(';
      while (!R.EndOfList()) {
        NewLine(level + 1);
        ConvertValue(level + 1, true);
      }
      R.ReadListEnd();
      S += ')';
      --FDepth;
      return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      AppendInteger(R.ReadIntegerBody(t), t);
      return;
    case vaExtended: {
      auto bytes = R.ReadExtendedBytes();
      Extended v = BytesToExtended(bytes);
      if (!IsCanonicalExtended(bytes) || ExtendedToBytes(v) != bytes) Fail(sInvalidFloatAt, pos);
      AppendFloat(S, v);
      return;
    }
    case vaSingle: {
      float f;
      R.Read(&f, 4);
      if (!std::isfinite(f)) Fail(sInvalidFloatAt, pos);
      AppendFloat(S, f);
      S += 's';
      return;
    }
    case vaDouble:
    case vaDate: {
      double d;
      R.Read(&d, 8);
      if (!std::isfinite(d)) Fail(sInvalidFloatAt, pos);
      if (t == vaDate) {
        AppendFloat(S, d);
        S += 'd';
      } else if (FExact) {
        S += "Double(";
        AppendFloat(S, d);
        S += ')';
      } else { // an Extended of the same value
        AppendFloat(S, static_cast<Extended>(d));
      }
      return;
    }
    case vaCurrency: {
      Int64 c;
      R.Read(&c, 8);
      AppendCurrency(S, c);
      S += 'c';
      return;
    }
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      ConvertString(t, level);
      return;
    case vaIdent: {
      std::string_view id = R.ReadStringBody(t);
      if (FExact && (!IsValidIdent(id, true) || IsWord(id)))
        return AppendAnnotated(vaIdent, id, level);
      // A word reads back as its own tag, which the reader takes for the same identifier; but
      // Null would end a list.
      if (!IsValidIdent(id, true) || (inList && SameText(id, "Null"))) Fail(sInvalidNameAt, pos);
      std::string_view word = WordOf(id);
      S += word.empty() ? id : word;
      return;
    }
    case vaBinary: {
      std::string_view data = R.ReadStringBody(vaLString); // same layout: 32-bit length, bytes
      S += '{';
      static constexpr char kHex[] = "0123456789ABCDEF";
      for (std::size_t i = 0; i < data.size(); ++i) {
        if (i % (kLineLength / 2) == 0) NewLine(level + 1);
        Byte b = static_cast<Byte>(data[i]);
        S += kHex[b >> 4];
        S += kHex[b & 15];
      }
      S += '}';
      return;
    }
    case vaSet: {
      S += '[';
      for (bool first = true;; first = false) {
        Int64 at = R.Position();
        std::string_view e = R.ReadStrView();
        if (e.empty()) break;
        if (!IsValidIdent(e, true)) Fail(sInvalidNameAt, at);
        if (!first) S += ", ";
        S += e;
      }
      S += ']';
      return;
    }
    case vaCollection:
      Enter();
      S += '<';
      while (!R.EndOfList()) {
        NewLine(level + 1);
        S += "item";
        if (detail::IsIntTag(R.PeekByte())) {
          TValueType it = R.ReadValue();
          S += " [";
          AppendInteger(R.ReadIntegerBody(it), it);
          S += ']';
        }
        EndLine();
        R.ReadListBegin();
        while (!R.EndOfList())
          ConvertProperty(level + 2);
        R.ReadListEnd();
        Indent(level + 1);
        S += "end";
      }
      R.ReadListEnd();
      S += '>';
      --FDepth;
      return;
    }
  }
};

void ConvertBinaryToText(TStream& input, TStream& output, TTextSyntax syntax) {
  // Memory streams are read in place; others through the reader's buffer.
  if (auto* m = dynamic_cast<TMemoryStream*>(&input)) {
    Int64 pos = std::min(m->Position(), m->Size());
    TBinaryReaderCore r(m->Memory() + pos, static_cast<std::size_t>(m->Size() - pos), pos);
    BinaryToText(r, output, syntax).Run();
    m->SetPosition(r.Position());
    return;
  }
  TBinaryReaderCore r(input, 1 << 16);
  BinaryToText(r, output, syntax).Run();
}

} // namespace

void ObjectBinaryToText(TStream& input, TStream& output, TTextSyntax syntax) {
  ConvertBinaryToText(input, output, syntax);
}

void ObjectTextToBinary(TStream& input, TStream& output, TTextSyntax syntax) {
  TParser parser(input);
  TBinaryWriterCore writer(output, kOutputBlock);
  TextToBinary(parser, writer, syntax).Run();
  writer.FlushBuffer();
}

std::size_t ObjectBinaryToText(std::string_view binary, TStream& output, TTextSyntax syntax,
                               Int64 base) {
  TBinaryReaderCore r(binary.data(), binary.size(), base);
  BinaryToText(r, output, syntax).Run();
  return static_cast<std::size_t>(r.Position() - base);
}

std::size_t ObjectTextToBinary(std::string_view text, TStream& output, TTextSyntax syntax) {
  TParser parser(text);
  TBinaryWriterCore writer(output, kOutputBlock);
  TextToBinary(parser, writer, syntax).Run();
  writer.FlushBuffer();
  return parser.SourcePos();
}

void ObjectResourceToText(TStream& input, TStream& output, TTextSyntax syntax) {
  ReadResourceHeader(input);
  ObjectBinaryToText(input, output, syntax);
}

void ObjectTextToResource(TStream& input, TStream& output, TTextSyntax syntax) {
  TMemoryStream binary;
  ObjectTextToBinary(input, binary, syntax);
  // The resource is named after the root's class, which follows the signature and prefix.
  TBinaryReaderCore r(binary.Memory(), static_cast<std::size_t>(binary.Size()));
  r.ReadSignature();
  TFilerFlags flags;
  Integer childPos;
  r.ReadPrefix(flags, childPos);
  WriteResourceHeader(output, r.ReadStrView(), binary.Size());
  binary.SaveToStream(output);
}

void WriteResourceHeader(TStream& stream, std::string_view name, Int64 size) {
  String h;
  h += '\xFF';
  h += '\x0A'; // RT_RCDATA
  h += '\0';
  h += UpperCase(name);
  h += '\0';
  h += '\x30'; // memory flags $1030: moveable, pure, discardable
  h += '\x10';
  for (int i = 0; i < 4; ++i)
    h += static_cast<char>(static_cast<UInt64>(size) >> (8 * i));
  stream.WriteBuffer(h.data(), static_cast<Int64>(h.size()));
}

void ReadResourceHeader(TStream& stream) {
  auto byte = [&] {
    Byte b;
    if (stream.Read(&b, 1) != 1) throw EInvalidImage(sInvalidImage);
    return b;
  };
  auto dword = [&] {
    UInt64 v = 0;
    for (int i = 0; i < 4; ++i)
      v |= static_cast<UInt64>(byte()) << (8 * i);
    return v;
  };
  Byte first = byte();
  if (first == 0xFF) { // form-file header
    if (byte() != 0x0A || byte() != 0) throw EInvalidImage(sInvalidImage);
    for (int n = 0; byte() != 0; ++n)
      if (n > 255) throw EInvalidImage(sInvalidImage);
    byte();
    byte();
    dword();
    return;
  }
  // A 32-bit resource file: an empty 32-byte entry, then the entry that holds the data.
  stream.Seek(-1, soCurrent);
  if (dword() != 0 || dword() != 32) throw EInvalidImage(sInvalidImage);
  stream.Seek(24, soCurrent);
  dword(); // data size
  UInt64 headerSize = dword();
  if (headerSize < 16 || headerSize > 4096) throw EInvalidImage(sInvalidImage);
  if (dword() != 0x000AFFFF) throw EInvalidImage(sInvalidImage); // ordinal type RT_RCDATA
  stream.Seek(static_cast<Int64>(headerSize) - 12, soCurrent);
}

TStreamOriginalFormat TestStreamFormat(TStream& stream) {
  Int64 pos = stream.Position();
  char buf[64];
  Int64 n = stream.Read(buf, sizeof buf);
  stream.SetPosition(pos);
  std::string_view s(buf, static_cast<std::size_t>(std::max<Int64>(n, 0)));
  if (s.starts_with(FilerSignature) || s.starts_with("\xFF\x0A\x00"sv) ||
      s.starts_with("\0\0\0\0\x20\0\0\0"sv))
    return sofBinary;
  if (s.starts_with("\xEF\xBB\xBF")) return sofUTF8Text;
  std::size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
    ++i;
  for (std::string_view word : {"object", "inherited", "inline"}) {
    if (s.size() > i + word.size() && SameText(s.substr(i, word.size()), word) &&
        static_cast<unsigned char>(s[i + word.size()]) <= ' ')
      return sofText;
  }
  return sofUnknown;
}

} // namespace fw
