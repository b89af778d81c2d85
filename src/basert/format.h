// Formatting of "array of const" arguments with format directives, and the format settings.
#pragma once

#include "basert/fwd.h"
#include "basert/interfaces.h"
#include "basert/types.h"

#include <array>
#include <concepts>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>
#include <type_traits>

namespace fw {

// Resource strings.
inline constexpr std::string_view sInvalidFormat =
    "Format '%s' invalid or incompatible with argument";

/// Type codes of an "array of const" element.
enum TVarRecType : Byte {
  vtInteger = 0,
  vtBoolean = 1,
  vtChar = 2,
  vtExtended = 3,
  vtString = 4,
  vtPointer = 5,
  vtPChar = 6,
  vtObject = 7,
  vtClass = 8,
  vtWideChar = 9,
  vtPWideChar = 10,
  vtAnsiString = 11,
  vtCurrency = 12,
  vtVariant = 13,
  vtInterface = 14,
  vtWideString = 15,
  vtInt64 = 16,
  vtUnicodeString = 17,
};

/// One element of an "array of const": a type code and a value. Strings, wide strings and
/// variants are referenced, not copied, so an element must not outlive its argument (as in a
/// call's argument list). An object pointer is vtObject only where its class is complete;
/// through a mere forward declaration it converts to vtPointer.
struct TVarRec {
  TVarRecType VType;
  union {
    Integer VInteger;
    bool VBoolean;
    char VChar;
    char16_t VWideChar;
    Extended VExtended;
    Int64 VInt64;
    Currency VCurrency;
    const void* VPointer;
    const char* VPChar;
    const char16_t* VPWideChar;
    TObject* VObject;
    TClass VClass;
    IInterface* VInterface;
    const WideString* VWideString;
    const Variant* VVariant;
    /// vtString, vtAnsiString and vtUnicodeString.
    std::string_view VText;
  };

  TVarRec(const TVarRec&) = default;
  TVarRec& operator=(const TVarRec&) = default;

  /// Integers of up to 32 bits (except unsigned 32-bit) are vtInteger, wider ones vtInt64.
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t> &&
           !std::same_as<T, char8_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>)
      TVarRec(T v)
  noexcept {
    if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>)) {
      VType = vtInteger;
      VInteger = static_cast<Integer>(v);
    } else {
      VType = vtInt64;
      VInt64 = static_cast<Int64>(v);
    }
  }
  /// Enumeration values pass their ordinal as vtInteger (vtInt64 for 64-bit enumerations).
  template <class T>
  requires std::is_enum_v<T> TVarRec(T v)
  noexcept {
    if constexpr (sizeof(T) <= 4) {
      VType = vtInteger;
      VInteger = static_cast<Integer>(v);
    } else {
      VType = vtInt64;
      VInt64 = static_cast<Int64>(v);
    }
  }
  TVarRec(bool v) noexcept : VType(vtBoolean), VBoolean(v) {}
  TVarRec(char v) noexcept : VType(vtChar), VChar(v) {}
  TVarRec(char16_t v) noexcept : VType(vtWideChar), VWideChar(v) {}
  TVarRec(float v) noexcept : VType(vtExtended), VExtended(v) {}
  TVarRec(double v) noexcept : VType(vtExtended), VExtended(v) {}
  TVarRec(long double v) noexcept : VType(vtExtended), VExtended(v) {}
  TVarRec(Currency v) noexcept : VType(vtCurrency), VCurrency(v) {}
  TVarRec(const String& s) noexcept : VType(vtUnicodeString), VText(s) {}
  TVarRec(std::string_view s) noexcept : VType(vtUnicodeString), VText(s) {}
  /// A string literal (or char array) is a string, as a literal is in the framework.
  template <std::size_t N>
  TVarRec(const char (&s)[N]) noexcept : VType(vtUnicodeString), VText(s, strnlen(s, N)) {}
  /// A character pointer is vtPChar.
  template <class T>
  requires(std::same_as<T, const char*> || std::same_as<T, char*>) TVarRec(T s)
  noexcept : VType(vtPChar), VPChar(s) {}
  TVarRec(const char16_t* s) noexcept : VType(vtPWideChar), VPWideChar(s) {}
  TVarRec(const WideString& s) noexcept : VType(vtWideString), VWideString(&s) {}
  TVarRec(const void* p) noexcept : VType(vtPointer), VPointer(p) {}
  TVarRec(std::nullptr_t) noexcept : VType(vtPointer), VPointer(nullptr) {}
  TVarRec(const TObject* o) noexcept : VType(vtObject), VObject(const_cast<TObject*>(o)) {}
  TVarRec(TClass c) noexcept : VType(vtClass), VClass(c) {}
  TVarRec(IInterface* i) noexcept : VType(vtInterface), VInterface(i) {}
  template <class T> TVarRec(const IPtr<T>& i) noexcept : VType(vtInterface), VInterface(i.get()) {}
  TVarRec(const Variant& v) noexcept : VType(vtVariant), VVariant(&v) {}
};

/// Locale-dependent settings of number, currency and date text.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  String CurrencyString = "$";
  /// Positive currency layout: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
  Byte CurrencyFormat = 0;
  /// Negative currency layout, 0 to 15: 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)",
  /// 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1", 10 "1 $-", 11 "$ 1-", 12 "$ -1",
  /// 13 "1- $", 14 "($ 1)", 15 "(1 $)".
  Byte NegCurrFormat = 0;
  Byte CurrencyDecimals = 2;
  char DateSeparator = '/';
  char TimeSeparator = ':';
  String ShortDateFormat = "M/d/yyyy";
  String LongDateFormat = "dddd, mmmm d, yyyy";
  String ShortTimeFormat = "hh:nn";
  String LongTimeFormat = "hh:nn:ss";
  String TimeAMString = "AM";
  String TimePMString = "PM";
  /// Two-digit years are placed in the century that keeps them within this many years
  /// before the current year (0 leaves them in the current century).
  Word TwoDigitYearCenturyWindow = 50;
  char ListSeparator = ',';
  /// Month names, January first; day names, Sunday first.
  std::array<String, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<String, 12> LongMonthNames{"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  std::array<String, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<String, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
};

/// The fixed default settings (a default-constructed TFormatSettings).
const TFormatSettings& DefaultFormatSettings() noexcept;
/// The process-wide settings used by every function that takes none; starts as the default.
extern TFormatSettings FormatSettings;

/// Formats `args` by the directives of `fmt`: `%[index:][-][width][.precision]type`, `*` for an
/// index, width or precision taken from the next (integer) argument, `%%` for a percent sign.
/// Types, in either case:
/// - d: integer, precision = minimum digits ("-005"); u: unsigned (an Integer as 32 bits);
///   x: upper-case hexadecimal of the argument's own width, precision = minimum digits;
/// - e: "-d.dddE+ddd", precision = digits (default 15), at least 3 exponent digits;
///   f, n (with thousand separators): precision = decimals (default 2); m: currency layout of
///   the settings, decimals default CurrencyDecimals; g: general, precision = significant
///   digits (default 15); floats, currencies (exactly, except for e and g);
/// - p: pointer-like arguments as all their hex digits; s: strings, characters and wide
///   strings, precision = maximum characters.
/// Width pads with spaces on the left, with "-" on the right (a negative `*` width too); width
/// and precision count UTF-8 characters for s. A variant argument serves s (as VarToStr),
/// d u x when it holds an integer type, and e f g n m when it is numeric. Raises
/// EConvertError (sInvalidFormat) for a malformed directive, a width or precision above 65536,
/// a missing argument or an argument the directive cannot take (Booleans serve none).
String Format(std::string_view fmt, std::span<const TVarRec> args, const TFormatSettings& settings);
String Format(std::string_view fmt, std::span<const TVarRec> args);
String Format(std::string_view fmt, std::initializer_list<TVarRec> args,
              const TFormatSettings& settings);
String Format(std::string_view fmt, std::initializer_list<TVarRec> args);

template <class... Args> String Format(std::string_view fmt, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return Format(fmt, std::span<const TVarRec>());
  } else {
    const TVarRec recs[] = {TVarRec(args)...};
    return Format(fmt, std::span<const TVarRec>(recs));
  }
}

} // namespace fw
