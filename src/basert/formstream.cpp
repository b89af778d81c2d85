// The binary form-stream layer: value tags, prefix flags, and the buffered value reader and writer.
#include "basert/formstream.h"

#include "basert/format.h"

#include "basert/exceptions.h"
#include "basert/sysutils.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

namespace fw {

namespace detail {

bool IsAscii(std::string_view s) noexcept {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view s) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned c = *p;
    if (c < 0x80) {
      ++p;
      continue;
    }
    int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (len == 0 || c > 0xF4 || end - p < len) return false;
    char32_t cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
      if ((p[k] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[k] & 0x3F);
    }
    static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += len;
  }
  return true;
}

Int64 Utf8LengthOf(std::u16string_view units) noexcept {
  Int64 n = 0;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char16_t u = units[i];
    if (u < 0x80)
      n += 1;
    else if (u < 0x800)
      n += 2;
    else if (u >= 0xD800 && u <= 0xDBFF) {
      if (i + 1 >= units.size() || units[i + 1] < 0xDC00 || units[i + 1] > 0xDFFF) return -1;
      n += 4;
      ++i;
    } else if (u >= 0xDC00 && u <= 0xDFFF)
      return -1;
    else
      n += 3;
  }
  return n;
}

std::array<Byte, 10> ExtendedToBytesPortable(Extended value) noexcept {
  std::array<Byte, 10> b{};
  UInt64 mant = 0;
  unsigned exp = 0;
  const bool neg = std::signbit(value);
  if (std::isnan(value)) {
    exp = 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    exp = 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (value != 0) {
    int e = 0;
    Extended f = std::frexp(std::fabs(value), &e); // value = f * 2^e, f in [0.5, 1)
    int biased = e - 1 + 16383;
    int shift = 64;
    if (biased <= 0) { // denormal: the integer bit moves right
      shift += biased - 1;
      biased = 0;
    }
    if (biased >= 0x7FFF) {
      exp = 0x7FFF;
      mant = 0x8000000000000000ull;
    } else {
      Extended scaled = std::nearbyint(std::ldexp(f, shift));
      if (scaled >= 18446744073709551616.0L) { // rounding carried into a new bit
        scaled /= 2;
        ++biased;
      }
      mant = shift > 0 ? static_cast<UInt64>(scaled) : 0;
      exp = static_cast<unsigned>(biased);
    }
  }
  for (int i = 0; i < 8; ++i)
    b[i] = static_cast<Byte>(mant >> (8 * i));
  unsigned se = exp | (neg ? 0x8000u : 0u);
  b[8] = static_cast<Byte>(se);
  b[9] = static_cast<Byte>(se >> 8);
  return b;
}

Extended BytesToExtendedPortable(const std::array<Byte, 10>& b) noexcept {
  UInt64 mant = 0;
  for (int i = 0; i < 8; ++i)
    mant |= static_cast<UInt64>(b[i]) << (8 * i);
  unsigned se = b[8] | (b[9] << 8);
  const bool neg = se & 0x8000;
  const int exp = static_cast<int>(se & 0x7FFF);
  Extended v;
  if (exp == 0x7FFF) {
    v = (mant << 1) == 0 ? std::numeric_limits<Extended>::infinity()
                         : std::numeric_limits<Extended>::quiet_NaN();
  } else if (exp != 0 && !(mant >> 63)) {
    v = std::numeric_limits<Extended>::quiet_NaN(); // unnormal: no valid value
  } else {
    v = std::ldexp(static_cast<Extended>(mant), (exp == 0 ? 1 : exp) - 16383 - 63);
  }
  return neg ? -v : v;
}

} // namespace detail

namespace {

constexpr bool kNativeExtended = std::numeric_limits<long double>::digits == 64 &&
                                 std::numeric_limits<long double>::max_exponent == 16384 &&
                                 std::endian::native == std::endian::little;

template <class... Args> [[noreturn]] void Raise(std::string_view fmt, const Args&... args) {
  throw EReadError(Format(fmt, args...));
}

String Latin1ToUtf8(std::string_view s) {
  String out;
  out.reserve(s.size() * 2);
  for (unsigned char c : s) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

} // namespace

std::array<Byte, 10> ExtendedToBytes(Extended value) noexcept {
  if constexpr (kNativeExtended) {
    std::array<Byte, 10> b;
    std::memcpy(b.data(), &value, 10);
    return b;
  } else {
    return detail::ExtendedToBytesPortable(value);
  }
}

Extended BytesToExtended(const std::array<Byte, 10>& bytes) noexcept {
  if constexpr (kNativeExtended) {
    // The hardware would misread an unnormal (exponent set, integer bit clear); it has no value.
    if ((bytes[8] | (bytes[9] & 0x7F)) != 0 && !(bytes[7] & 0x80))
      return std::numeric_limits<Extended>::quiet_NaN();
    Extended v = 0;
    std::memcpy(&v, bytes.data(), 10);
    return v;
  } else {
    return detail::BytesToExtendedPortable(bytes);
  }
}

bool IsCanonicalExtended(const std::array<Byte, 10>& bytes) noexcept {
  unsigned exp = bytes[8] | ((bytes[9] & 0x7F) << 8);
  bool integerBit = bytes[7] & 0x80;
  return exp == 0 ? !integerBit : exp != 0x7FFF && integerBit;
}

TValueType CanonicalStringType(std::u16string_view units) noexcept {
  bool ascii = std::all_of(units.begin(), units.end(), [](char16_t u) { return u < 0x80; });
  if (ascii) return units.size() <= 255 ? vaString : vaLString;
  Int64 n = detail::Utf8LengthOf(units);
  return n >= 0 && n < 2 * static_cast<Int64>(units.size()) ? vaUTF8String : vaWString;
}

TValueType CanonicalIntegerType(Int64 v) noexcept {
  if (v >= -128 && v <= 127) return vaInt8;
  if (v >= -32768 && v <= 32767) return vaInt16;
  if (v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max())
    return vaInt32;
  return vaInt64;
}

// --- TBinaryReaderCore ---

TBinaryReaderCore::TBinaryReaderCore(TStream& stream, int bufSize)
    : FStream(&stream), FBuffer(static_cast<std::size_t>(std::max(bufSize, 16))) {
  FStart = FCur = FEnd = FBuffer.data();
  FBufPos = FValuePos = stream.Position();
}

TBinaryReaderCore::TBinaryReaderCore(const void* data, std::size_t size, Int64 basePosition) {
  FStart = FCur = static_cast<const Byte*>(data);
  FEnd = FStart + size;
  FBufPos = FValuePos = basePosition;
}

TBinaryReaderCore::~TBinaryReaderCore() {
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void TBinaryReaderCore::FlushBuffer() {
  if (!FStream) return;
  FStream->SetPosition(Position());
  FBufPos = Position();
  FStart = FCur = FEnd = FBuffer.data();
}

void TBinaryReaderCore::SetPosition(Int64 position) {
  if (!FStream) {
    // A memory block: move within it.
    const Int64 size = FEnd - FStart;
    if (position < FBufPos || position > FBufPos + size) ErrorAt(sReadPastEnd);
    FCur = FStart + (position - FBufPos);
    return;
  }
  FStream->SetPosition(position);
  FBufPos = position;
  FStart = FCur = FEnd = FBuffer.data();
}

void TBinaryReaderCore::Truncated() const { Raise(sReadPastEnd, Position()); }

inline void TBinaryReaderCore::Need(std::size_t count) {
  if (static_cast<std::size_t>(FEnd - FCur) < count) Refill(count);
}

void TBinaryReaderCore::Refill(std::size_t count) {
  if (!FStream) Raise(sReadPastEnd, FBufPos + (FEnd - FStart));
  std::size_t have = static_cast<std::size_t>(FEnd - FCur);
  // Physical stream position is at FEnd; refuse a length that the stream cannot hold before
  // allocating for it.
  Int64 physical = FBufPos + (FEnd - FStart);
  if (count > FBuffer.size()) {
    Int64 left = FStream->Size() - physical;
    if (static_cast<Int64>(count - have) > left)
      Raise(sReadPastEnd, physical + std::max<Int64>(left, 0));
  }
  FBufPos += FCur - FStart;
  std::memmove(FBuffer.data(), FCur, have);
  if (count > FBuffer.size()) FBuffer.resize(count);
  FStart = FCur = FBuffer.data();
  std::size_t filled = have;
  while (filled < count) {
    Int64 n = FStream->Read(FBuffer.data() + filled, static_cast<Int64>(FBuffer.size() - filled));
    if (n <= 0) break;
    filled += static_cast<std::size_t>(n);
  }
  FEnd = FStart + filled;
  if (filled < count) Raise(sReadPastEnd, FBufPos + static_cast<Int64>(filled));
}

bool TBinaryReaderCore::AtEnd() {
  if (FCur < FEnd) return false;
  if (!FStream) return true;
  FBufPos += FCur - FStart;
  FStart = FCur = FEnd = FBuffer.data();
  Int64 n = FStream->Read(FBuffer.data(), static_cast<Int64>(FBuffer.size()));
  if (n > 0) FEnd = FStart + n;
  return n <= 0;
}

void TBinaryReaderCore::Read(void* buffer, std::size_t count) {
  if (count == 0) return;
  if (FStream && count > FBuffer.size()) { // large blocks bypass the buffer
    std::size_t have = static_cast<std::size_t>(FEnd - FCur);
    std::memcpy(buffer, FCur, have);
    FCur = FEnd;
    Int64 physical = FBufPos + (FEnd - FStart);
    Int64 n = FStream->Read(static_cast<Byte*>(buffer) + have, static_cast<Int64>(count - have));
    FBufPos = physical + std::max<Int64>(n, 0);
    FStart = FCur = FEnd = FBuffer.data();
    if (n < static_cast<Int64>(count - have)) Raise(sReadPastEnd, FBufPos);
    return;
  }
  Need(count);
  std::memcpy(buffer, FCur, count);
  FCur += count;
}

Byte TBinaryReaderCore::ReadByte() {
  Need(1);
  return *FCur++;
}

Byte TBinaryReaderCore::PeekByte() {
  Need(1);
  return *FCur;
}

std::string_view TBinaryReaderCore::ReadView(std::size_t count) {
  Need(count);
  std::string_view v(reinterpret_cast<const char*>(FCur), count);
  FCur += count;
  return v;
}

void TBinaryReaderCore::ReadSignature() {
  FValuePos = Position();
  if (static_cast<std::size_t>(FEnd - FCur) < 4 && FStream) {
    try {
      Refill(4);
    } catch (const EReadError&) {
      Raise(sInvalidSignature, FValuePos);
    }
  }
  if (FEnd - FCur < 4 || std::memcmp(FCur, FilerSignature.data(), 4) != 0)
    Raise(sInvalidSignature, FValuePos);
  FCur += 4;
}

TValueType TBinaryReaderCore::ReadValue() {
  FValuePos = Position();
  Byte b = ReadByte();
  if (b >= kValueTypeCount) Raise(sInvalidValueType, b, FValuePos);
  return static_cast<TValueType>(b);
}

TValueType TBinaryReaderCore::NextValue() {
  Byte b = PeekByte();
  if (b >= kValueTypeCount) Raise(sInvalidValueType, b, Position());
  return static_cast<TValueType>(b);
}

void TBinaryReaderCore::CheckValue(TValueType expected) {
  if (ReadValue() != expected) PropValueError(ValueTypeNames[expected]);
}

void TBinaryReaderCore::PropValueError(std::string_view expected) const {
  Raise(SInvalidPropertyValue, FValuePos, expected);
}

void TBinaryReaderCore::ErrorAt(std::string_view message) const { Raise(message, FValuePos); }

void TBinaryReaderCore::ReadPrefix(TFilerFlags& flags, Integer& childPos) {
  flags = 0;
  childPos = -1;
  Byte b = PeekByte();
  if ((b & 0xF0) != 0xF0) return;
  ++FCur;
  flags = b & 0x0F;
  if (flags & ffChildPos) childPos = ReadInteger();
}

Int64 TBinaryReaderCore::ReadIntegerBody(TValueType tag) {
  static constexpr int kWidth[] = {0, 0, 1, 2, 4};
  int w = tag == vaInt64 ? 8 : kWidth[tag];
  Need(static_cast<std::size_t>(w));
  UInt64 v = 0;
  for (int i = 0; i < w; ++i)
    v |= static_cast<UInt64>(FCur[i]) << (8 * i);
  FCur += w;
  if (w < 8) { // sign-extend
    UInt64 sign = UInt64{1} << (8 * w - 1);
    v = (v ^ sign) - sign;
  }
  return static_cast<Int64>(v);
}

Int64 TBinaryReaderCore::ReadInt64() {
  TValueType t = ReadValue();
  if (!detail::IsIntTag(t)) PropValueError("Integer");
  return ReadIntegerBody(t);
}

Integer TBinaryReaderCore::ReadInteger() {
  Int64 v = ReadInt64();
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
    ErrorAt(sValueOutOfRange);
  return static_cast<Integer>(v);
}

std::array<Byte, 10> TBinaryReaderCore::ReadExtendedBytes() {
  std::array<Byte, 10> b;
  Read(b.data(), 10);
  return b;
}

namespace {
template <class T> T ReadRaw(TBinaryReaderCore& r) {
  static_assert(std::endian::native == std::endian::little, "little-endian host expected");
  T v;
  r.Read(&v, sizeof v);
  return v;
}
} // namespace

Extended TBinaryReaderCore::ReadFloat() {
  TValueType t = ReadValue();
  switch (t) {
  case vaExtended:
    return BytesToExtended(ReadExtendedBytes());
  case vaDouble:
  case vaDate:
    return ReadRaw<double>(*this);
  case vaSingle:
    return ReadRaw<float>(*this);
  case vaCurrency:
    return static_cast<Extended>(ReadRaw<Int64>(*this)) / 10000.0L;
  default:
    if (!detail::IsIntTag(t)) PropValueError("Float");
    return static_cast<Extended>(ReadIntegerBody(t));
  }
}

Single TBinaryReaderCore::ReadSingle() {
  TValueType t = ReadValue();
  if (t == vaSingle) return ReadRaw<float>(*this);
  if (!detail::IsIntTag(t)) PropValueError("Single");
  return static_cast<Single>(ReadIntegerBody(t));
}

Double TBinaryReaderCore::ReadDouble() {
  TValueType t = ReadValue();
  if (t == vaDouble) return ReadRaw<double>(*this);
  if (t == vaSingle) return ReadRaw<float>(*this);
  if (!detail::IsIntTag(t)) PropValueError("Double");
  return static_cast<Double>(ReadIntegerBody(t));
}

Currency TBinaryReaderCore::ReadCurrency() {
  TValueType t = ReadValue();
  if (t == vaCurrency) return Currency::FromScaled(ReadRaw<Int64>(*this));
  if (!detail::IsIntTag(t)) PropValueError("Currency");
  Int64 v = ReadIntegerBody(t);
  if (v > std::numeric_limits<Int64>::max() / 10000 ||
      v < std::numeric_limits<Int64>::min() / 10000)
    ErrorAt(sValueOutOfRange);
  return Currency::FromScaled(v * 10000);
}

TDateTime TBinaryReaderCore::ReadDate() {
  TValueType t = ReadValue();
  if (t == vaDate) return ReadRaw<double>(*this);
  if (!detail::IsIntTag(t)) PropValueError("Date");
  return static_cast<TDateTime>(ReadIntegerBody(t));
}

Int64 TBinaryReaderCore::ReadLength() {
  Int64 pos = Position();
  Need(4);
  UInt64 n = 0;
  for (int i = 0; i < 4; ++i)
    n |= static_cast<UInt64>(FCur[i]) << (8 * i);
  FCur += 4;
  if (n > 0x7FFFFFFF) Raise(sInvalidLength, static_cast<Int64>(n), pos);
  return static_cast<Int64>(n);
}

std::string_view TBinaryReaderCore::ReadStringBody(TValueType tag) {
  switch (tag) {
  case vaString:
  case vaIdent:
    return ReadView(ReadByte());
  case vaLString:
  case vaUTF8String:
    return ReadView(static_cast<std::size_t>(ReadLength()));
  case vaWString: {
    Int64 n = ReadLength();
    if (n > 0x3FFFFFFF) Raise(sInvalidLength, n, FValuePos);
    return ReadView(static_cast<std::size_t>(n) * 2);
  }
  default:
    PropValueError("String");
  }
}

namespace {
WideString UnitsOf(std::string_view le) {
  WideString w(le.size() / 2, u'\0');
  for (std::size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<char16_t>(static_cast<Byte>(le[2 * i]) |
                                 (static_cast<Byte>(le[2 * i + 1]) << 8));
  return w;
}
String SingleByteToUtf8(std::string_view s) {
  return detail::IsAscii(s) || detail::IsValidUtf8(s) ? String(s) : Latin1ToUtf8(s);
}
} // namespace

String TBinaryReaderCore::ReadString() {
  TValueType t = ReadValue();
  switch (t) {
  case vaString:
  case vaLString:
    return SingleByteToUtf8(ReadStringBody(t));
  case vaUTF8String:
    return String(ReadStringBody(t));
  case vaWString:
    return WideToUtf8(UnitsOf(ReadStringBody(t)));
  default:
    PropValueError("String");
  }
}

WideString TBinaryReaderCore::ReadWideString() {
  TValueType t = ReadValue();
  switch (t) {
  case vaString:
  case vaLString:
    return Utf8ToWide(SingleByteToUtf8(ReadStringBody(t)));
  case vaUTF8String:
    return Utf8ToWide(ReadStringBody(t));
  case vaWString:
    return UnitsOf(ReadStringBody(t));
  default:
    PropValueError("String");
  }
}

String TBinaryReaderCore::ReadIdent() {
  TValueType t = ReadValue();
  switch (t) {
  case vaIdent:
    return String(ReadStringBody(t));
  case vaFalse:
    return "False";
  case vaTrue:
    return "True";
  case vaNil:
    return "nil";
  case vaNull:
    return "Null";
  default:
    PropValueError("Identifier");
  }
}

std::string_view TBinaryReaderCore::ReadStrView() { return ReadView(ReadByte()); }
String TBinaryReaderCore::ReadStr() { return String(ReadStrView()); }

bool TBinaryReaderCore::ReadBoolean() {
  TValueType t = ReadValue();
  if (t != vaTrue && t != vaFalse) PropValueError("Boolean");
  return t == vaTrue;
}

std::vector<String> TBinaryReaderCore::ReadSet() {
  CheckValue(vaSet);
  std::vector<String> names;
  for (;;) {
    std::string_view s = ReadStrView();
    if (s.empty()) return names;
    names.emplace_back(s);
  }
}

std::vector<Byte> TBinaryReaderCore::ReadBinary() {
  CheckValue(vaBinary);
  Int64 n = ReadLength();
  std::vector<Byte> data;
  Int64 left = FEnd - FCur;
  if (FStream) left += FStream->Size() - (FBufPos + (FEnd - FStart));
  if (n > left) Raise(sReadPastEnd, Position() + std::max<Int64>(left, 0));
  data.resize(static_cast<std::size_t>(n));
  Read(data.data(), data.size());
  return data;
}

void TBinaryReaderCore::SkipProperty() {
  ReadStrView();
  SkipValue();
}

namespace {
/// Counts a level of nesting for as long as it lives.
struct TNesting {
  explicit TNesting(TBinaryReaderCore& in) : In(in) {
    if (++In.Depth() > kMaxNesting) In.ErrorAt(sNestingTooDeep);
  }
  ~TNesting() { --In.Depth(); }
  TNesting(const TNesting&) = delete;
  TNesting& operator=(const TNesting&) = delete;
  TBinaryReaderCore& In;
};
} // namespace

void TBinaryReaderCore::SkipValue(std::string* copy) {
  const auto take = [copy](std::string_view bytes) {
    if (copy) copy->append(bytes);
  };
  const auto takeByte = [copy](Byte b) {
    if (copy) copy->push_back(static_cast<char>(b));
  };
  const TValueType t = ReadValue();
  takeByte(t);
  switch (t) {
  case vaNull:
  case vaFalse:
  case vaTrue:
  case vaNil:
    return;
  case vaList:
  case vaCollection: {
    TNesting nesting(*this);
    while (!EndOfList()) {
      if (t == vaList) {
        SkipValue(copy);
        continue;
      }
      if (detail::IsIntTag(PeekByte())) SkipValue(copy); // the item's ordinal
      ReadListBegin();
      takeByte(vaList);
      while (!EndOfList()) {
        const Byte n = ReadByte();
        takeByte(n);
        take(ReadView(n));
        SkipValue(copy);
      }
      ReadListEnd();
      takeByte(vaNull);
    }
    ReadListEnd();
    takeByte(vaNull);
    return;
  }
  case vaInt8:
    take(ReadView(1));
    return;
  case vaInt16:
    take(ReadView(2));
    return;
  case vaInt32:
  case vaSingle:
    take(ReadView(4));
    return;
  case vaInt64:
  case vaCurrency:
  case vaDate:
  case vaDouble:
    take(ReadView(8));
    return;
  case vaExtended:
    take(ReadView(10));
    return;
  case vaString:
  case vaIdent: {
    const Byte n = ReadByte();
    takeByte(n);
    take(ReadView(n));
    return;
  }
  case vaLString:
  case vaUTF8String:
  case vaWString:
  case vaBinary: {
    const Int64 at = Position();
    const std::string_view length = ReadView(4);
    take(length);
    Int64 n = 0;
    for (int i = 0; i < 4; ++i)
      n |= static_cast<Int64>(static_cast<Byte>(length[i])) << (8 * i);
    if (n > (t == vaWString ? 0x3FFFFFFF : 0x7FFFFFFF)) Raise(sInvalidLength, n, at);
    if (t == vaWString) n *= 2;
    if (!FStream && n > FEnd - FCur) Truncated();
    while (n > 0) { // in pieces, so a big blob never needs a big buffer
      const auto piece = static_cast<std::size_t>(std::min<Int64>(n, 1 << 16));
      take(ReadView(piece));
      n -= static_cast<Int64>(piece);
    }
    return;
  }
  case vaSet:
    for (;;) {
      const Byte n = ReadByte();
      takeByte(n);
      if (n == 0) return;
      take(ReadView(n));
    }
  }
}

// --- TBinaryWriterCore ---

TBinaryWriterCore::TBinaryWriterCore(TStream& stream, int bufSize)
    : FStream(stream), FBuffer(static_cast<std::size_t>(std::max(bufSize, 16))),
      FBasePos(stream.Position()) {}

TBinaryWriterCore::~TBinaryWriterCore() {
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void TBinaryWriterCore::FlushBuffer() {
  if (!FCount) return;
  std::size_t n = std::exchange(FCount, 0);
  FBasePos += static_cast<Int64>(n);
  FStream.WriteBuffer(FBuffer.data(), static_cast<Int64>(n));
}

bool TBinaryWriterCore::Rewind(Int64 position) noexcept {
  if (position < FBasePos || position > Position()) return false;
  FCount = static_cast<std::size_t>(position - FBasePos);
  return true;
}

void TBinaryWriterCore::SetPosition(Int64 position) {
  FlushBuffer();
  FStream.SetPosition(position);
  FBasePos = position;
}

void TBinaryWriterCore::Write(const void* buffer, std::size_t count) {
  if (count == 0) return;
  if (FCount + count > FBuffer.size()) {
    FlushBuffer();
    if (count > FBuffer.size()) {
      FStream.WriteBuffer(buffer, static_cast<Int64>(count));
      FBasePos += static_cast<Int64>(count);
      return;
    }
  }
  std::memcpy(FBuffer.data() + FCount, buffer, count);
  FCount += count;
}

void TBinaryWriterCore::WriteLE(UInt64 v, int bytes) {
  Byte b[8];
  for (int i = 0; i < bytes; ++i)
    b[i] = static_cast<Byte>(v >> (8 * i));
  Write(b, static_cast<std::size_t>(bytes));
}

void TBinaryWriterCore::WritePrefix(TFilerFlags flags, Integer childPos) {
  if (!flags) return;
  WriteByte(static_cast<Byte>(0xF0 | (flags & 0x0F)));
  if (flags & ffChildPos) WriteInteger(childPos);
}

void TBinaryWriterCore::WriteInteger(Int64 value) {
  WriteIntegerAs(CanonicalIntegerType(value), value);
}

void TBinaryWriterCore::WriteIntegerAs(TValueType tag, Int64 value) {
  static constexpr int kWidth[] = {0, 0, 1, 2, 4};
  if (!detail::IsIntTag(tag))
    throw EWriteError(Format(sIntegerTagTooSmall, value, ValueTypeNames[tag]));
  int w = tag == vaInt64 ? 8 : kWidth[tag];
  if (w < 8) {
    Int64 lim = Int64{1} << (8 * w - 1);
    if (value < -lim || value >= lim)
      throw EWriteError(Format(sIntegerTagTooSmall, value, ValueTypeNames[tag]));
  }
  Byte b[9];
  b[0] = tag;
  for (int i = 0; i < w; ++i)
    b[1 + i] = static_cast<Byte>(static_cast<UInt64>(value) >> (8 * i));
  Write(b, static_cast<std::size_t>(w + 1));
}

void TBinaryWriterCore::WriteFloat(Extended value) { WriteExtendedBytes(ExtendedToBytes(value)); }

void TBinaryWriterCore::WriteExtendedBytes(const std::array<Byte, 10>& bytes) {
  WriteValue(vaExtended);
  Write(bytes.data(), 10);
}

void TBinaryWriterCore::WriteSingle(Single value) {
  WriteValue(vaSingle);
  WriteLE(std::bit_cast<std::uint32_t>(value), 4);
}

void TBinaryWriterCore::WriteDouble(Double value) {
  WriteValue(vaDouble);
  WriteLE(std::bit_cast<UInt64>(value), 8);
}

void TBinaryWriterCore::WriteCurrency(Currency value) {
  WriteValue(vaCurrency);
  WriteLE(static_cast<UInt64>(value.Scaled), 8);
}

void TBinaryWriterCore::WriteDate(TDateTime value) {
  WriteValue(vaDate);
  WriteLE(std::bit_cast<UInt64>(value), 8);
}

void TBinaryWriterCore::WriteString(std::string_view utf8) {
  if (detail::IsAscii(utf8)) {
    WriteStringAs(utf8.size() <= 255 ? vaString : vaLString, utf8);
    return;
  }
  if (detail::IsValidUtf8(utf8)) {
    // UTF-8 is the shorter form exactly when it is shorter than twice the UTF-16 unit count.
    Int64 units = 0;
    for (unsigned char c : utf8)
      units += (c & 0xC0) != 0x80 ? (c >= 0xF0 ? 2 : 1) : 0;
    if (static_cast<Int64>(utf8.size()) < 2 * units) {
      WriteStringAs(vaUTF8String, utf8);
      return;
    }
  }
  WriteWideString(Utf8ToWide(utf8));
}

void TBinaryWriterCore::WriteWideString(std::u16string_view units) {
  TValueType t = CanonicalStringType(units);
  if (t == vaWString) {
    WriteWideChars(units);
    return;
  }
  String bytes;
  if (t == vaUTF8String) {
    bytes = WideToUtf8(units);
  } else {
    bytes.resize(units.size());
    for (std::size_t i = 0; i < units.size(); ++i)
      bytes[i] = static_cast<char>(units[i]);
  }
  WriteStringAs(t, bytes);
}

void TBinaryWriterCore::WriteUTF8Str(std::string_view utf8) { WriteStringAs(vaUTF8String, utf8); }

void TBinaryWriterCore::WriteStringAs(TValueType tag, std::string_view bytes) {
  if (tag == vaString || tag == vaIdent) {
    if (bytes.size() > 255) throw EWriteError(Format(sShortStringTooLong, bytes.size()));
    WriteValue(tag);
    WriteByte(static_cast<Byte>(bytes.size()));
  } else {
    if (bytes.size() > 0x7FFFFFFF) throw EWriteError(sWriteError);
    WriteValue(tag);
    WriteLE(bytes.size(), 4);
  }
  Write(bytes.data(), bytes.size());
}

void TBinaryWriterCore::WriteWideChars(std::u16string_view units) {
  if (units.size() > 0x3FFFFFFF) throw EWriteError(sWriteError);
  WriteValue(vaWString);
  WriteLE(units.size(), 4);
  for (char16_t u : units)
    WriteLE(u, 2);
}

void TBinaryWriterCore::WriteIdent(std::string_view ident) {
  static constexpr std::pair<std::string_view, TValueType> kWords[] = {
      {"False", vaFalse}, {"True", vaTrue}, {"nil", vaNil}, {"Null", vaNull}};
  for (const auto& [word, tag] : kWords)
    if (SameText(ident, word)) return WriteValue(tag);
  WriteStringAs(vaIdent, ident);
}

void TBinaryWriterCore::WriteStr(std::string_view s) {
  if (s.size() > 255) throw EWriteError(Format(sShortStringTooLong, s.size()));
  WriteByte(static_cast<Byte>(s.size()));
  Write(s.data(), s.size());
}

void TBinaryWriterCore::WriteSet(const std::vector<String>& elements) {
  WriteValue(vaSet);
  for (const auto& e : elements)
    WriteStr(e);
  WriteStr("");
}

void TBinaryWriterCore::WriteBinary(const void* data, std::size_t count) {
  if (count > 0x7FFFFFFF) throw EWriteError(sWriteError);
  WriteValue(vaBinary);
  WriteLE(count, 4);
  Write(data, count);
}

} // namespace fw
