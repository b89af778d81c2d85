// Basic value types shared by every layer: strings, integers, floats, dates.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

/// UTF-8 text; the framework's native string.
using String = std::string;
/// UTF-16 text, used where a wide string is asked for.
using WideString = std::u16string;

using Boolean = bool;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using Single = float;
using Double = double;
/// 80-bit extended precision on x86-64, the form streams' float format.
using Extended = long double;
/// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

/// Fixed-point money value: the amount times 10,000, as the framework stores it.
struct Currency {
  Int64 Scaled = 0;
  static constexpr Currency FromScaled(Int64 v) { return Currency{v}; }
  Extended ToExtended() const { return static_cast<Extended>(Scaled) / 10000.0L; }
  static Currency FromExtended(Extended v);
  friend bool operator==(Currency a, Currency b) = default;
};

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  Integer Width() const { return Right - Left; }
  Integer Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

/// Line break used by string lists and text output, as on the framework's home platform.
inline constexpr std::string_view sLineBreak = "\r\n";

/// UTF-8 to UTF-16; invalid sequences become U+FFFD.
WideString Utf8ToWide(std::string_view s);
/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
String WideToUtf8(std::u16string_view s);

} // namespace fw
