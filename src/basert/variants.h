// Variants: self-describing values of the framework's variant types, with conversions.
#pragma once

#include "basert/format.h"
#include "basert/interfaces.h"
#include "basert/types.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

namespace fw {

// Resource strings.
inline constexpr std::string_view sVarTypeCouldNotConvert =
    "Could not convert variant of type (%s) into type (%s)";
inline constexpr std::string_view sVarOverflow = "Variant overflow";

using TVarType = Word;
inline constexpr TVarType varEmpty = 0;
inline constexpr TVarType varNull = 1;
inline constexpr TVarType varSmallint = 2;
inline constexpr TVarType varInteger = 3;
inline constexpr TVarType varSingle = 4;
inline constexpr TVarType varDouble = 5;
inline constexpr TVarType varCurrency = 6;
inline constexpr TVarType varDate = 7;
inline constexpr TVarType varOleStr = 8;
inline constexpr TVarType varDispatch = 9;
inline constexpr TVarType varError = 10;
inline constexpr TVarType varBoolean = 11;
inline constexpr TVarType varVariant = 12;
inline constexpr TVarType varUnknown = 13;
inline constexpr TVarType varShortInt = 16;
inline constexpr TVarType varByte = 17;
inline constexpr TVarType varWord = 18;
inline constexpr TVarType varLongWord = 19;
inline constexpr TVarType varInt64 = 20;
inline constexpr TVarType varString = 0x0100;
inline constexpr TVarType varUString = 0x0102;
inline constexpr TVarType varTypeMask = 0x0FFF;
inline constexpr TVarType varArray = 0x2000;
inline constexpr TVarType varByRef = 0x4000;

/// A value of one of the variant types: empty, null, integers of every width, single, double,
/// currency, date, Boolean, error code, strings (OleStr, String and UnicodeString are all held
/// as UTF-8) and interfaces (Unknown, Dispatch). A plain value type.
///
/// Conversions (As..., VarAsType) follow these rules: empty becomes 0, "" or false; null
/// converts to nothing; true is -1 as a number; floats become integers by rounding halves to
/// even; strings are read with the sysutils/datetime parsers and the global FormatSettings
/// (a number string can become a Boolean, "True"/"False" a number); values are written with
/// FloatToStr (7 digits for Single), CurrToStr, DateTimeToStr and "True"/"False". A conversion
/// that is impossible raises EVariantTypeCastError (sVarTypeCouldNotConvert with the two
/// type names); a value outside the target's range raises EVariantOverflowError.
class Variant {
public:
  Variant() noexcept = default;
  Variant(bool v) noexcept : FType(varBoolean), FInt(v ? 1 : 0) {}
  /// Integers take the variant type of their width and signedness (Int8 varShortInt, Byte
  /// varByte, Int16 varSmallint, Word varWord, Int32 varInteger, UInt32 varLongWord, 64-bit
  /// varInt64; an unsigned 64-bit value above the Int64 range raises EVariantOverflowError).
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char> && !std::same_as<T, char16_t> &&
           !std::same_as<T, char8_t> && !std::same_as<T, char32_t> && !std::same_as<T, wchar_t>)
      Variant(T v)
      : FType(IntegerTypeOf<T>()), FInt(static_cast<Int64>(v)) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8)
      if (v > static_cast<T>(INT64_MAX)) RaiseOverflow();
  }
  Variant(float v) noexcept : FType(varSingle), FDouble(v) {}
  Variant(double v) noexcept : FType(varDouble), FDouble(v) {}
  Variant(Currency v) noexcept : FType(varCurrency), FInt(v.Scaled) {}
  Variant(const String& s) : FType(varUString), FString(s) {}
  Variant(String&& s) noexcept : FType(varUString), FString(std::move(s)) {}
  Variant(std::string_view s) : FType(varUString), FString(s) {}
  Variant(const char* s) : FType(varUString), FString(s ? s : "") {}
  /// A character is a one-character string.
  Variant(char c) : FType(varUString), FString(1, c) {}
  Variant(const WideString& s) : FType(varOleStr), FString(WideToUtf8(s)) {}
  /// Interfaces are held counted, as varUnknown.
  template <class T>
  Variant(const IPtr<T>& i) noexcept
      : FType(varUnknown), FIntf(static_cast<IInterface*>(i.get())) {}
  Variant(IInterface* i) noexcept : FType(varUnknown), FIntf(i) {}
  Variant(std::nullptr_t) = delete;

  static Variant FromDate(TDateTime d) noexcept;
  static Variant FromDispatch(IPtr<IInterface> i) noexcept;
  static Variant FromError(Integer code) noexcept;
  /// A string of one of the string types (varString, varUString, varOleStr).
  static Variant FromString(std::string_view s, TVarType stringType = varUString);
  static Variant MakeNull() noexcept;

  TVarType VarType() const noexcept { return FType; }
  bool IsEmpty() const noexcept { return FType == varEmpty; }
  bool IsNull() const noexcept { return FType == varNull; }

  Integer AsInteger() const;
  Int64 AsInt64() const;
  Double AsDouble() const;
  Currency AsCurrency() const;
  bool AsBoolean() const;
  String AsString() const;
  WideString AsWideString() const { return Utf8ToWide(AsString()); }
  TDateTime AsDate() const;
  /// The held interface of varUnknown or varDispatch; null for empty.
  IPtr<IInterface> AsInterface() const;
  /// The code of varError.
  Integer AsError() const;

  /// Same type and same value (strings case-sensitively, interfaces by identity, floats by
  /// value so NaN is unequal to itself). Values of different types are never equal, even
  /// numerically equal ones.
  friend bool operator==(const Variant& a, const Variant& b) noexcept;

private:
  TVarType FType = varEmpty;
  union {
    Int64 FInt = 0; // integers, Boolean (0/1), error codes, currency (scaled)
    double FDouble; // single, double, date
  };
  String FString;
  IPtr<IInterface> FIntf;

  template <class T> static constexpr TVarType IntegerTypeOf() {
    if constexpr (sizeof(T) == 1)
      return std::is_signed_v<T> ? varShortInt : varByte;
    else if constexpr (sizeof(T) == 2)
      return std::is_signed_v<T> ? varSmallint : varWord;
    else if constexpr (sizeof(T) == 4)
      return std::is_signed_v<T> ? varInteger : varLongWord;
    else
      return varInt64;
  }
  [[noreturn]] static void RaiseOverflow();
  [[noreturn]] void RaiseCast(TVarType target) const;
  /// The value as a number, or false when it has none.
  bool NumberOf(long double& v) const;

  friend Variant VarAsType(const Variant& v, TVarType type);
};

inline Variant Unassigned() noexcept { return Variant(); }
inline Variant Null() noexcept { return Variant::MakeNull(); }
inline Variant VarFromDateTime(TDateTime d) noexcept { return Variant::FromDate(d); }

inline TVarType VarType(const Variant& v) noexcept { return v.VarType(); }
inline bool VarIsNull(const Variant& v) noexcept { return v.IsNull(); }
inline bool VarIsEmpty(const Variant& v) noexcept { return v.IsEmpty(); }
/// True for the integer types, the float types, currency and date.
bool VarIsNumeric(const Variant& v) noexcept;
/// True for the three string types.
bool VarIsStr(const Variant& v) noexcept;

/// The value converted to `type` (one of the codes above except varVariant; varEmpty and
/// varNull give empty and null). Raises EVariantTypeCastError for any other code or an
/// impossible conversion, EVariantOverflowError when the value is out of range.
Variant VarAsType(const Variant& v, TVarType type);
/// The string form; null gives "".
String VarToStr(const Variant& v);
/// The string form; null gives `def`.
String VarToStrDef(const Variant& v, std::string_view def);
/// The name of a variant type: "Empty", "Null", "Integer", ..., "String", "UnicodeString";
/// unknown codes as "$" and four hex digits; the array and by-reference flags as the prefixes
/// "Array " and "ByRef ".
String VarTypeAsText(TVarType type);

} // namespace fw
