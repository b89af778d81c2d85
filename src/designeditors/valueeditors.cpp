#include "designeditors/valueeditors.h"

#include "basert/datetime.h"
#include "basert/exceptions.h"
#include "basert/sysutils.h"
#include "basert/variants.h"

#include <cfloat>
#include <cmath>

namespace fw {

const std::array<const char*, 21> VariantTypeNames = {
    "Unassigned", "Null",   "Smallint", "Integer", "Single",  "Double",   "Currency",
    "Date",       "OleStr", "",         "",        "Boolean", "",         "",
    "",           "",       "Shortint", "Byte",    "Word",    "LongWord", "Int64"};

namespace {

constexpr std::string_view sUnitName = "DesignEditors";

/// Display precision and largest magnitude of each float type, in TFloatType order.
struct TFloatTypeInfo {
  int Precision;
  long double Max;
};
constexpr std::array<TFloatTypeInfo, 5> FloatTypes = {{
    {SinglePrecision, FLT_MAX},                  // ftSingle
    {DoublePrecision, DBL_MAX},                  // ftDouble
    {ExtendedPrecision, LDBL_MAX},               // ftExtended
    {ExtendedPrecision, 9223372036854775807.0L}, // ftComp
    {CurrencyPrecision, 922337203685477.5807L},  // ftCurr
}};

const TFloatTypeInfo& FloatTypeOf(PTypeInfo t) {
  return FloatTypes[static_cast<std::size_t>(GetTypeData(t)->FloatType)];
}

String BoolIdent(bool b) { return GetEnumName(TypeInfo<bool>(), b ? 1 : 0); }

/// A variant as the inspector shows it.
String VariantText(const Variant& v) {
  switch (VarType(v) & varTypeMask) {
  case varDispatch:
    return String(sVariantDispatchText);
  case varCurrency:
    return CurrToStrF(v.AsCurrency(), ffCurrency, FormatSettings.CurrencyDecimals);
  case varBoolean:
    return BoolIdent(v.AsBoolean());
  default:
    return VarToStrDef(v, SNull);
  }
}

/// A currency text in the settings' currency layout; false when it has no currency string or
/// no number.
bool TryCurrencyText(const String& text, Currency& out) {
  const TFormatSettings& fs = FormatSettings;
  if (fs.CurrencyString.empty() || text.find(fs.CurrencyString) == String::npos) return false;
  String s = StringReplace(text, fs.CurrencyString, "", rfReplaceAll);
  s = StringReplace(s, String(1, fs.ThousandSeparator), "", rfReplaceAll);
  s = Trim(s);
  bool negative = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = Trim(s.substr(1, s.size() - 2));
  }
  if (!s.empty() && s.back() == '-') {
    negative = !negative;
    s = Trim(s.substr(0, s.size() - 1));
  }
  if (!TryStrToCurr(s, out)) return false;
  if (negative) out = Currency::FromScaled(-out.Scaled);
  return true;
}

/// `text` in the type of `current`, or nothing when that conversion is not faithful.
bool TryFaithful(const String& text, const Variant& current, Variant& out) {
  const TVarType type = VarType(current);
  try {
    if ((type & varTypeMask) == varCurrency) {
      Currency c;
      if (!TryCurrencyText(text, c)) return false;
      out = Variant(c);
    } else {
      out = VarAsType(Variant(text), type);
    }
    if ((type & varTypeMask) == varDate) return true;
    return VariantText(out) == text;
  } catch (const std::exception&) {
    return false;
  }
}

} // namespace

// ---- TFloatProperty ----------------------------------------------------------------------------

TClass TFloatProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFloatProperty, TPropertyEditor>("TFloatProperty", sUnitName).Build();
  return cls;
}

bool TFloatProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const Extended v = GetFloatValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (!(GetFloatValueAt(i) == v)) return false;
  return true;
}

String TFloatProperty::GetValue() {
  return FloatToStrF(GetFloatValue(), ffGeneral, FloatTypeOf(GetPropType()).Precision, 0);
}

void TFloatProperty::SetValue(const String& value) {
  Extended v = 0;
  if (!TryStrToFloat(value, v)) detail::RaiseDesignError(SInvalidFloat, value);
  const TFloatTypeInfo& ft = FloatTypeOf(GetPropType());
  const bool exact = GetTypeData(GetPropType())->FloatType >= ftComp;
  if ((std::isfinite(v) && std::fabs(v) > ft.Max) || (exact && !std::isfinite(v)))
    detail::RaiseDesignError(SInvalidFloat, value);
  SetFloatValue(v);
}

// ---- Strings -----------------------------------------------------------------------------------

TClass TStringProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TStringProperty, TPropertyEditor>("TStringProperty", sUnitName).Build();
  return cls;
}

bool TStringProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const String v = GetStrValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (GetStrValueAt(i) != v) return false;
  return true;
}

Integer TStringProperty::GetEditLimit() {
  PTypeInfo t = GetPropType();
  if (t && t->Kind == kindShortString) return GetTypeData(t)->MaxLength;
  return TPropertyEditor::GetEditLimit();
}

String TStringProperty::GetValue() { return GetStrValue(); }

void TStringProperty::SetValue(const String& value) { SetStrValue(value); }

TClass TComponentNameProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TComponentNameProperty, TStringProperty>("TComponentNameProperty", sUnitName)
          .Build();
  return cls;
}

TClass TWideStringProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWideStringProperty, TPropertyEditor>("TWideStringProperty", sUnitName)
          .Implements<IWideProperty, IWideProperty10>()
          .Build();
  return cls;
}

bool TWideStringProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const WideString v = GetWideStrValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (GetWideStrValueAt(i) != v) return false;
  return true;
}

String TWideStringProperty::GetValue() { return WideToUtf8(GetWideStrValue()); }

WideString TWideStringProperty::GetValueW() { return GetWideStrValue(); }

void TWideStringProperty::SetValue(const WideString& value) { SetWideStrValue(value); }

// ---- Dates and times ---------------------------------------------------------------------------

const TDateTimeForm DateForm = {[](TDateTime v) { return DateToStr(v); },
                                [](std::string_view s, TDateTime& v) { return TryStrToDate(s, v); },
                                SInvalidDate};
const TDateTimeForm TimeForm = {[](TDateTime v) { return TimeToStr(v); },
                                [](std::string_view s, TDateTime& v) { return TryStrToTime(s, v); },
                                SInvalidTime};
const TDateTimeForm DateTimeForm = {
    [](TDateTime v) { return DateTimeToStr(v); },
    [](std::string_view s, TDateTime& v) { return TryStrToDateTime(s, v); }, SInvalidDateTime};

template <const TDateTimeForm& Form> String detail::TDateTimeEditor<Form>::GetValue() {
  const TDateTime v = static_cast<TDateTime>(GetFloatValue());
  return v == 0 ? String() : Form.Show(v);
}

template <const TDateTimeForm& Form>
void detail::TDateTimeEditor<Form>::SetValue(const String& value) {
  TDateTime v = 0;
  if (!value.empty() && !Form.Parse(value, v)) detail::RaiseDesignError(Form.Error, value);
  SetFloatValue(v);
}

template class detail::TDateTimeEditor<DateForm>;
template class detail::TDateTimeEditor<TimeForm>;
template class detail::TDateTimeEditor<DateTimeForm>;

TClass TDateProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDateProperty, TPropertyEditor>("TDateProperty", sUnitName).Build();
  return cls;
}

TClass TTimeProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTimeProperty, TPropertyEditor>("TTimeProperty", sUnitName).Build();
  return cls;
}

TClass TDateTimeProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDateTimeProperty, TPropertyEditor>("TDateTimeProperty", sUnitName).Build();
  return cls;
}

// ---- Variants ----------------------------------------------------------------------------------

TClass TVariantProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TVariantProperty, TPropertyEditor>("TVariantProperty", sUnitName).Build();
  return cls;
}

String TVariantProperty::GetValue() { return VariantText(GetVarValue()); }

void TVariantProperty::GetProperties(const TGetPropProc& proc) {
  proc(IPtr<IProperty>(New<TVariantTypeProperty>(this)));
}

void TVariantProperty::SetValue(const String& value) {
  Variant v;
  if (value.empty())
    v = Unassigned();
  else if (SameText(value, SNull))
    v = Null();
  else if (!TryFaithful(value, GetVarValue(), v))
    v = Variant(value);
  SetVarValue(v);
}

TClass TVariantTypeProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TVariantTypeProperty, TNestedProperty>("TVariantTypeProperty", sUnitName)
          .Build();
  return cls;
}

bool TVariantTypeProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const Variant v = GetVarValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (!(GetVarValueAt(i) == v)) return false;
  return true;
}

String TVariantTypeProperty::GetValue() {
  const TVarType code = VarType(GetVarValue()) & varTypeMask;
  if (code < VariantTypeNames.size()) return VariantTypeNames[code];
  if (code == varUString) return String(SString);
  return String(rtlconsts::SUnknown);
}

void TVariantTypeProperty::GetValues(const TGetStrProc& proc) {
  for (const char* name : VariantTypeNames)
    if (*name) proc(name);
  proc(String(SString));
}

void TVariantTypeProperty::SetValue(const String& value) {
  TVarType code = varTypeMask + 1; // none yet
  for (std::size_t i = 0; i < VariantTypeNames.size(); ++i)
    if (*VariantTypeNames[i] && value == VariantTypeNames[i]) code = static_cast<TVarType>(i);
  if (code > varTypeMask) {
    if (value != SString) detail::RaiseDesignError(SUnknownType);
    code = varUString;
  }
  Variant v;
  if (code == varNull) {
    v = Null();
  } else if (code != varEmpty) {
    try {
      v = VarAsType(GetVarValue(), code);
    } catch (const Exception&) {
      v = VarAsType(Variant(), code);
    }
  }
  SetVarValue(v);
}

} // namespace fw
