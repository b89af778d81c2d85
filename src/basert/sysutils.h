// String and number helpers of the run-time library: comparison, case, identifiers, number
// and Boolean text.
#pragma once

#include "basert/format.h"
#include "basert/types.h"

#include <concepts>
#include <cstddef>
#include <string_view>
#include <type_traits>

namespace fw {

// Resource strings.
inline constexpr std::string_view SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view SInvalidFloat = "'%s' is not a valid floating point value";
inline constexpr std::string_view sInvalidCurrency = "'%s' is not a valid currency value";
inline constexpr std::string_view sInvalidBoolean = "'%s' is not a valid boolean value";
inline constexpr std::string_view sTrueBoolStr = "True";
inline constexpr std::string_view sFalseBoolStr = "False";

/// ASCII upper/lower case; other bytes are left alone.
String UpperCase(std::string_view s);
String LowerCase(std::string_view s);

/// Equality ignoring ASCII case.
bool SameText(std::string_view a, std::string_view b) noexcept;
/// Ordering ignoring ASCII case: negative, zero or positive.
int CompareText(std::string_view a, std::string_view b) noexcept;
/// Byte-wise ordering: negative, zero or positive.
int CompareStr(std::string_view a, std::string_view b) noexcept;

/// True for a Pascal identifier: a letter or underscore, then letters, digits or underscores.
/// With AllowDots, dot-separated identifiers are accepted ("Unit.Name").
bool IsValidIdent(std::string_view ident, bool allowDots = false) noexcept;

/// Hash and equality that ignore ASCII case, for hashed name indexes.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept;
};
struct TextEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return SameText(a, b); }
};
/// Ordering that ignores ASCII case, for sorted containers.
struct TextLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return CompareText(a, b) < 0;
  }
};

/// Removes leading and/or trailing spaces and control characters (bytes up to 32).
String Trim(std::string_view s);
String TrimLeft(std::string_view s);
String TrimRight(std::string_view s);

/// 1-based position of `sub` in `s` at or after `offset`; 0 when absent or `sub` is empty.
std::size_t Pos(std::string_view sub, std::string_view s, std::size_t offset = 1) noexcept;

enum TReplaceFlags : unsigned { rfNone = 0, rfReplaceAll = 1, rfIgnoreCase = 2 };
constexpr TReplaceFlags operator|(TReplaceFlags a, TReplaceFlags b) {
  return static_cast<TReplaceFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
/// Replaces the first (or, with rfReplaceAll, every) occurrence of `oldPattern`; matches do
/// not overlap and replaced text is not searched again. An empty pattern changes nothing.
String StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                     TReplaceFlags flags);

/// `s` between single quotes, inner quotes doubled.
String QuotedStr(std::string_view s);
/// `s` between `quote` characters, inner quote characters doubled.
String AnsiQuotedStr(std::string_view s, char quote);
/// Undoes AnsiQuotedStr; text not starting with `quote` is returned unchanged, and an
/// unterminated quote keeps everything after the opening quote.
String AnsiDequotedStr(std::string_view s, char quote);

namespace detail {
String SignedToStr(Int64 v);
String UnsignedToStr(UInt64 v);
String UnsignedToHex(UInt64 v, int digits);
} // namespace detail

/// Decimal text of any integer.
template <std::integral T> String IntToStr(T v) {
  if constexpr (std::is_signed_v<T>)
    return detail::SignedToStr(static_cast<Int64>(v));
  else
    return detail::UnsignedToStr(static_cast<UInt64>(v));
}
inline String UIntToStr(UInt64 v) { return detail::UnsignedToStr(v); }
/// Upper-case hexadecimal of the value as its own type's unsigned bits (so a negative Integer
/// gives 8 digits, a negative Int64 16), zero-padded to at least `digits`.
template <std::integral T> String IntToHex(T v, int digits) {
  return detail::UnsignedToHex(static_cast<UInt64>(static_cast<std::make_unsigned_t<T>>(v)),
                               digits);
}

/// Integer text: optional leading blanks, an optional sign, then decimal digits or a
/// hexadecimal number introduced by "$", "0x" or "x" (any case). Hexadecimal text may use the
/// type's full unsigned range (so "$FFFFFFFF" is -1). StrToInt* raise EConvertError
/// (SInvalidInteger) for anything else, including trailing characters and overflow.
Integer StrToInt(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer def) noexcept;
bool TryStrToInt(std::string_view s, Integer& value) noexcept;
Int64 StrToInt64(std::string_view s);
Int64 StrToInt64Def(std::string_view s, Int64 def) noexcept;
bool TryStrToInt64(std::string_view s, Int64& value) noexcept;

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

/// Significant digits used for the float types when showing them in general format.
inline constexpr int SinglePrecision = 7;
inline constexpr int DoublePrecision = 15;
inline constexpr int ExtendedPrecision = 18;
inline constexpr int CurrencyPrecision = 18;

/// Float text. `precision` (1 to 18) counts significant digits; the value is first rounded to
/// 18 significant digits, then to the requested ones with halves rounded away from zero.
/// - ffGeneral: the shorter of fixed and scientific without trailing zeros; scientific when
///   the integer part has more than `precision` digits or the value is below 0.0001, written
///   "1.5E-10" with at least `digits` (0 to 4) exponent digits and no plus sign.
/// - ffExponent: "-d.dddE+ddd" with `precision` digits and at least `digits` exponent digits.
/// - ffFixed, ffNumber (with thousand separators), ffCurrency (with the currency string and
///   layout of the settings): `digits` (0 to 18) decimals; general format when the integer
///   part has more than `precision` digits.
/// NaN, +infinity and -infinity are "NAN", "INF" and "-INF"; a value that shows as zero has
/// no sign.
String FloatToStrF(Extended value, TFloatFormat format, int precision, int digits,
                   const TFormatSettings& settings = FormatSettings);
/// General format with 15 significant digits.
String FloatToStr(Extended value, const TFormatSettings& settings = FormatSettings);
/// As FloatToStrF, from the exact decimal value of a currency (up to 19 significant digits).
String CurrToStrF(Currency value, TFloatFormat format, int digits,
                  const TFormatSettings& settings = FormatSettings);
/// General format of the exact currency value ("1.5", "-0.0001").
String CurrToStr(Currency value, const TFormatSettings& settings = FormatSettings);

/// Float text: surrounding blanks, an optional sign, digits with at most one decimal separator
/// of the settings (at least one digit overall), and an optional exponent "E[sign]digits";
/// also "NAN" and "[sign]INF" in any case. Thousand separators are not accepted. A value too
/// large for the type fails; one too small for it becomes zero. StrToFloat raises
/// EConvertError (SInvalidFloat).
Extended StrToFloat(std::string_view s, const TFormatSettings& settings = FormatSettings);
Extended StrToFloatDef(std::string_view s, Extended def,
                       const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToFloat(std::string_view s, Extended& value,
                   const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToFloat(std::string_view s, Double& value,
                   const TFormatSettings& settings = FormatSettings) noexcept;
/// Currency text as float text, rounded exactly to 4 decimals (halves away from zero); "NAN",
/// "INF" and values outside the currency range fail. StrToCurr raises EConvertError
/// (sInvalidCurrency).
Currency StrToCurr(std::string_view s, const TFormatSettings& settings = FormatSettings);
Currency StrToCurrDef(std::string_view s, Currency def,
                      const TFormatSettings& settings = FormatSettings) noexcept;
bool TryStrToCurr(std::string_view s, Currency& value,
                  const TFormatSettings& settings = FormatSettings) noexcept;

/// "True"/"False" with `useBoolStrs`, otherwise "-1"/"0".
String BoolToStr(bool b, bool useBoolStrs = false);
/// "True"/"False" in any case, or a number (non-zero is true); else EConvertError
/// (sInvalidBoolean).
bool StrToBool(std::string_view s);
bool StrToBoolDef(std::string_view s, bool def) noexcept;
bool TryStrToBool(std::string_view s, bool& value) noexcept;

} // namespace fw
