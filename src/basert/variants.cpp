#include "basert/variants.h"

#include "basert/datetime.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace fw {

namespace {

struct TVarTypeName {
  TVarType Type;
  const char* Name;
};
constexpr TVarTypeName kVarTypeNames[] = {
    {varEmpty, "Empty"},       {varNull, "Null"},       {varSmallint, "Smallint"},
    {varInteger, "Integer"},   {varSingle, "Single"},   {varDouble, "Double"},
    {varCurrency, "Currency"}, {varDate, "Date"},       {varOleStr, "OleStr"},
    {varDispatch, "Dispatch"}, {varError, "Error"},     {varBoolean, "Boolean"},
    {varVariant, "Variant"},   {varUnknown, "Unknown"}, {varShortInt, "ShortInt"},
    {varByte, "Byte"},         {varWord, "Word"},       {varLongWord, "LongWord"},
    {varInt64, "Int64"},       {varString, "String"},   {varUString, "UnicodeString"},
};

struct TIntegerRange {
  TVarType Type;
  Int64 Min, Max;
};
constexpr TIntegerRange kIntegerRanges[] = {
    {varShortInt, INT8_MIN, INT8_MAX},   {varByte, 0, UINT8_MAX},
    {varSmallint, INT16_MIN, INT16_MAX}, {varWord, 0, UINT16_MAX},
    {varInteger, INT32_MIN, INT32_MAX},  {varLongWord, 0, UINT32_MAX},
    {varInt64, INT64_MIN, INT64_MAX},
};

const TIntegerRange* IntegerRangeOf(TVarType t) {
  for (const TIntegerRange& r : kIntegerRanges)
    if (r.Type == t) return &r;
  return nullptr;
}

constexpr bool IsStringType(TVarType t) {
  return t == varString || t == varUString || t == varOleStr;
}

/// A string's numeric value: an integer, a float, or "True"/"False" (-1/0).
bool StringToNumber(const String& s, long double& v) {
  Int64 i;
  if (TryStrToInt64(s, i)) {
    v = static_cast<long double>(i);
    return true;
  }
  Extended e;
  if (TryStrToFloat(s, e)) {
    v = e;
    return true;
  }
  const String t = Trim(s);
  if (SameText(t, sTrueBoolStr))
    v = -1;
  else if (SameText(t, sFalseBoolStr))
    v = 0;
  else
    return false;
  return true;
}

} // namespace

Variant Variant::FromDate(TDateTime d) noexcept {
  Variant v;
  v.FType = varDate;
  v.FDouble = d;
  return v;
}

Variant Variant::FromDispatch(IPtr<IInterface> i) noexcept {
  Variant v;
  v.FType = varDispatch;
  v.FIntf = std::move(i);
  return v;
}

Variant Variant::FromError(Integer code) noexcept {
  Variant v;
  v.FType = varError;
  v.FInt = code;
  return v;
}

Variant Variant::FromString(std::string_view s, TVarType stringType) {
  Variant v(s);
  if (!IsStringType(stringType)) v.RaiseCast(stringType);
  v.FType = stringType;
  return v;
}

Variant Variant::MakeNull() noexcept {
  Variant v;
  v.FType = varNull;
  return v;
}

void Variant::RaiseOverflow() { throw EVariantOverflowError(sVarOverflow); }

void Variant::RaiseCast(TVarType target) const {
  throw EVariantTypeCastError(
      Format(sVarTypeCouldNotConvert, VarTypeAsText(FType), VarTypeAsText(target)));
}

bool Variant::NumberOf(long double& v) const {
  if (FType == varEmpty) {
    v = 0;
    return true;
  }
  if (IntegerRangeOf(FType)) {
    v = static_cast<long double>(FInt);
    return true;
  }
  switch (FType) {
  case varBoolean:
    v = FInt ? -1 : 0;
    return true;
  case varCurrency:
    v = Currency{FInt}.ToExtended();
    return true;
  case varSingle:
  case varDouble:
  case varDate:
    v = FDouble;
    return true;
  default:
    return false;
  }
}

Variant VarAsType(const Variant& v, TVarType type) {
  if (type == v.FType) return v;
  if (type == varEmpty) return Variant();
  if (type == varNull) return Null();
  if (v.FType == varNull) v.RaiseCast(type);

  const bool fromString = IsStringType(v.FType);
  long double number = 0;
  auto requireNumber = [&] {
    if (!(fromString ? StringToNumber(v.FString, number) : v.NumberOf(number))) v.RaiseCast(type);
  };

  if (const TIntegerRange* range = IntegerRangeOf(type)) {
    requireNumber();
    if (!std::isfinite(number)) v.RaiseCast(type);
    const long double r = std::nearbyint(number);
    if (r < static_cast<long double>(range->Min) || r > static_cast<long double>(range->Max))
      Variant::RaiseOverflow();
    Variant out;
    out.FType = type;
    out.FInt = static_cast<Int64>(r);
    return out;
  }
  if (IsStringType(type)) {
    String text;
    switch (v.FType) {
    case varEmpty:
      break;
    case varBoolean:
      text = BoolToStr(v.FInt != 0, true);
      break;
    case varSingle:
      text = FloatToStrF(v.FDouble, ffGeneral, SinglePrecision, 0);
      break;
    case varDouble:
      text = FloatToStr(v.FDouble);
      break;
    case varCurrency:
      text = CurrToStr(Currency{v.FInt});
      break;
    case varDate:
      text = DateTimeToStr(v.FDouble);
      break;
    default:
      if (fromString)
        text = v.FString;
      else if (IntegerRangeOf(v.FType))
        text = IntToStr(v.FInt);
      else
        v.RaiseCast(type);
    }
    return Variant::FromString(text, type);
  }
  Variant out;
  out.FType = type;
  switch (type) {
  case varBoolean: {
    bool b = false;
    if (fromString) {
      if (!TryStrToBool(v.FString, b)) v.RaiseCast(type);
    } else {
      requireNumber();
      b = number != 0;
    }
    out.FInt = b ? 1 : 0;
    return out;
  }
  case varSingle:
  case varDouble: {
    requireNumber();
    const long double limit = type == varSingle ? FLT_MAX : DBL_MAX;
    if (std::isfinite(number) && std::fabs(number) > limit) Variant::RaiseOverflow();
    out.FDouble = type == varSingle ? static_cast<float>(number) : static_cast<double>(number);
    return out;
  }
  case varDate: {
    TDateTime d;
    if (fromString && TryStrToDateTime(v.FString, d)) {
      out.FDouble = d;
      return out;
    }
    requireNumber();
    if (!std::isfinite(number) || std::fabs(number) > DBL_MAX) v.RaiseCast(type);
    out.FDouble = static_cast<double>(number);
    return out;
  }
  case varCurrency: {
    Currency c;
    if (fromString && TryStrToCurr(v.FString, c)) {
      out.FInt = c.Scaled;
      return out;
    }
    requireNumber();
    if (!std::isfinite(number)) v.RaiseCast(type);
    const long double scaled = std::nearbyint(number * 10000.0L);
    if (scaled < -9223372036854775808.0L || scaled >= 9223372036854775808.0L)
      Variant::RaiseOverflow();
    out.FInt = static_cast<Int64>(scaled);
    return out;
  }
  case varUnknown:
  case varDispatch:
    if (v.FType != varEmpty && v.FType != varUnknown && v.FType != varDispatch) v.RaiseCast(type);
    out.FIntf = v.FIntf;
    return out;
  default:
    v.RaiseCast(type);
  }
}

Integer Variant::AsInteger() const {
  return static_cast<Integer>(VarAsType(*this, varInteger).FInt);
}
Int64 Variant::AsInt64() const { return VarAsType(*this, varInt64).FInt; }
Double Variant::AsDouble() const { return VarAsType(*this, varDouble).FDouble; }
Currency Variant::AsCurrency() const { return Currency{VarAsType(*this, varCurrency).FInt}; }
bool Variant::AsBoolean() const { return VarAsType(*this, varBoolean).FInt != 0; }
TDateTime Variant::AsDate() const { return VarAsType(*this, varDate).FDouble; }

String Variant::AsString() const {
  if (IsStringType(FType)) return FString;
  return VarAsType(*this, varUString).FString;
}

IPtr<IInterface> Variant::AsInterface() const {
  if (FType == varDispatch) return FIntf;
  return VarAsType(*this, varUnknown).FIntf;
}

Integer Variant::AsError() const {
  if (FType != varError) RaiseCast(varError);
  return static_cast<Integer>(FInt);
}

bool operator==(const Variant& a, const Variant& b) noexcept {
  if (a.FType != b.FType) return false;
  switch (a.FType) {
  case varEmpty:
  case varNull:
    return true;
  case varSingle:
  case varDouble:
  case varDate:
    return a.FDouble == b.FDouble;
  case varUnknown:
  case varDispatch:
    return a.FIntf == b.FIntf;
  default:
    return IsStringType(a.FType) ? a.FString == b.FString : a.FInt == b.FInt;
  }
}

bool VarIsNumeric(const Variant& v) noexcept {
  const TVarType t = v.VarType();
  return IntegerRangeOf(t) || t == varSingle || t == varDouble || t == varCurrency || t == varDate;
}

bool VarIsStr(const Variant& v) noexcept { return IsStringType(v.VarType()); }

String VarToStr(const Variant& v) { return v.IsNull() ? String() : v.AsString(); }

String VarToStrDef(const Variant& v, std::string_view def) {
  return v.IsNull() ? String(def) : v.AsString();
}

String VarTypeAsText(TVarType type) {
  String prefix;
  if (type & varArray) prefix += "Array ";
  if (type & varByRef) prefix += "ByRef ";
  const TVarType base = type & varTypeMask;
  for (const TVarTypeName& n : kVarTypeNames)
    if (n.Type == base) return prefix + n.Name;
  return prefix + "$" + IntToHex(base, 4);
}

} // namespace fw
