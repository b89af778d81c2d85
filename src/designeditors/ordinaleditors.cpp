#include "designeditors/ordinaleditors.h"

#include "basert/sysutils.h"

#include <algorithm>

namespace fw {

namespace {

constexpr std::string_view sUnitName = "DesignEditors";

bool IsWritable(PPropInfo p) { return p && p->HasWrite(); }

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// A character code from text: empty is 0, a single unit its own code, else "#" and digits.
/// `units` is the text's length in code units, `first` its first unit.
Int64 ParseCharCode(PTypeInfo type, const String& text, std::size_t units, Int64 first) {
  Int64 code = 0;
  if (units == 1) {
    code = first;
  } else if (units > 1) {
    Integer n = 0;
    if (text[0] != '#' || !AllDigits(std::string_view(text).substr(1)) ||
        !TryStrToInt(std::string_view(text).substr(1), n))
      detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
    code = n;
  }
  const TTypeData* d = GetTypeData(type);
  if (code < d->MinValue || code > d->MaxValue)
    detail::RaiseDesignError(rtlconsts::SOutOfRange, d->MinValue, d->MaxValue);
  return code;
}

/// The character code of an ordinal value. A property backed by a signed C++ char reads codes
/// above 127 as negative; the type's unsigned width gives them back.
Int64 CharCode(PTypeInfo type, Int64 value) {
  const TTypeData* d = GetTypeData(type);
  if (value >= 0 || d->MinValue < 0) return value;
  if (d->OrdType == otUByte) return static_cast<Byte>(value);
  if (d->OrdType == otUWord) return static_cast<Word>(value);
  return value;
}

String CharCodeText(Int64 code) {
  if (code >= 33 && code <= 127) return String(1, static_cast<char>(code));
  return Format(sCharCodeFormat, code);
}

/// Lowest ordinal of a set type's element type.
Int64 SetLowest(PTypeInfo setType) {
  PTypeInfo comp = GetTypeData(setType)->CompType;
  return comp ? GetTypeData(comp)->MinValue : 0;
}

} // namespace

// ---- TOrdinalProperty --------------------------------------------------------------------------

TClass TOrdinalProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TOrdinalProperty, TPropertyEditor>("TOrdinalProperty", sUnitName).Build();
  return cls;
}

bool TOrdinalProperty::AllEqual() {
  if (FPropCount <= 1) return true;
  const Int64 v = GetOrdValue();
  for (Integer i = 1; i < FPropCount; ++i)
    if (GetOrdValueAt(i) != v) return false;
  return true;
}

// ---- TIntegerProperty --------------------------------------------------------------------------

TClass TIntegerProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TIntegerProperty, TOrdinalProperty>("TIntegerProperty", sUnitName).Build();
  return cls;
}

String TIntegerProperty::GetValue() {
  const Int64 v = GetOrdValue();
  if (GetTypeData(GetPropType())->OrdType == otULong) return UIntToStr(static_cast<Cardinal>(v));
  return IntToStr(v);
}

void TIntegerProperty::SetValue(const String& value) {
  Int64 l = 0;
  if (!TryStrToInt64(value, l)) detail::RaiseDesignError(SInvalidInteger, value);
  const TTypeData* d = GetTypeData(GetPropType());
  Int64 lo = d->MinValue, hi = d->MaxValue;
  if (d->OrdType == otULong) {
    lo = static_cast<Cardinal>(lo);
    hi = static_cast<Cardinal>(hi);
  }
  if (l < lo || l > hi) detail::RaiseDesignError(rtlconsts::SOutOfRange, lo, hi);
  SetOrdValue(l);
}

// ---- TCharProperty / TWideCharProperty ---------------------------------------------------------

TClass TCharProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCharProperty, TOrdinalProperty>("TCharProperty", sUnitName).Build();
  return cls;
}

String TCharProperty::GetValue() { return CharCodeText(CharCode(GetPropType(), GetOrdValue())); }

void TCharProperty::SetValue(const String& value) {
  const Int64 first = value.empty() ? 0 : static_cast<unsigned char>(value[0]);
  SetOrdValue(ParseCharCode(GetPropType(), value, value.size(), first));
}

TClass TWideCharProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWideCharProperty, TOrdinalProperty>("TWideCharProperty", sUnitName)
          .Implements<IWideProperty>()
          .Build();
  return cls;
}

String TWideCharProperty::GetValue() {
  return CharCodeText(CharCode(GetPropType(), GetOrdValue()));
}

WideString TWideCharProperty::GetValueW() {
  const Int64 code = CharCode(GetPropType(), GetOrdValue());
  if (code < 33) return Utf8ToWide(Format(sCharCodeFormat, code));
  return WideString(1, static_cast<char16_t>(code));
}

void TWideCharProperty::SetValue(const WideString& value) {
  const Int64 first = value.empty() ? 0 : value[0];
  // Only the "#nn" form needs the text itself, and it is plain ASCII either way.
  SetOrdValue(ParseCharCode(GetPropType(), WideToUtf8(value), value.size(), first));
}

void TWideCharProperty::SetValue(const String& value) { SetValue(Utf8ToWide(value)); }

// ---- TEnumProperty -----------------------------------------------------------------------------

TClass TEnumProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEnumProperty, TOrdinalProperty>("TEnumProperty", sUnitName).Build();
  return cls;
}

TPropertyAttributes TEnumProperty::GetAttributes() {
  if (IsWritable(GetPropInfo())) return {paValueList, paMultiSelect, paSortList, paRevertable};
  return {paMultiSelect, paSortList, paReadOnly, paDisplayReadOnly};
}

String TEnumProperty::GetValue() {
  const TTypeData* d = GetTypeData(GetPropType());
  Int64 v = GetOrdValue();
  if (v < d->MinValue || v > d->MaxValue) v = d->MaxValue;
  return GetEnumName(GetPropType(), static_cast<Integer>(v));
}

void TEnumProperty::GetValues(const TGetStrProc& proc) {
  PTypeInfo t = GetPropType();
  const TTypeData* d = GetTypeData(t);
  Int64 lo = d->MinValue, hi = d->MaxValue;
  if (lo < 0) {
    lo = 0;
    hi = 1;
  }
  for (Int64 v = lo; v <= hi; ++v)
    proc(GetEnumName(t, static_cast<Integer>(v)));
}

void TEnumProperty::SetValue(const String& value) {
  PTypeInfo t = GetPropType();
  const TTypeData* d = GetTypeData(t);
  const Integer v = GetEnumValue(t, value);
  if (v < d->MinValue || v > d->MaxValue)
    detail::RaiseDesignError(rtlconsts::SInvalidPropertyValue);
  SetOrdValue(v);
}

TClass TBoolProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBoolProperty, TEnumProperty>("TBoolProperty", sUnitName).Build();
  return cls;
}

// ---- TSetProperty ------------------------------------------------------------------------------

TClass TSetProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSetProperty, TOrdinalProperty>("TSetProperty", sUnitName).Build();
  return cls;
}

TPropertyAttributes TSetProperty::GetAttributes() {
  TPropertyAttributes a{paSubProperties, paMultiSelect, paReadOnly, paRevertable};
  if (!IsWritable(GetPropInfo())) a.Include(paDisplayReadOnly);
  return a;
}

String TSetProperty::GetValue() { return SetToString(GetPropType(), GetOrdValue(), true); }

void TSetProperty::GetProperties(const TGetPropProc& proc) {
  PTypeInfo comp = GetTypeData(GetPropType())->CompType;
  if (!comp) return;
  const TTypeData* d = GetTypeData(comp);
  const Int64 hi = d->MinValue + SetElementCount(GetPropType()) - 1;
  for (Int64 e = d->MinValue; e <= hi; ++e)
    proc(IPtr<IProperty>(New<TSetElementProperty>(this, static_cast<Integer>(e))));
}

// ---- TInt64Property ----------------------------------------------------------------------------

TClass TInt64Property::StaticClass() {
  static const TClass cls =
      TClassBuilder<TInt64Property, TPropertyEditor>("TInt64Property", sUnitName).Build();
  return cls;
}

bool TInt64Property::AllEqual() {
  if (FPropCount <= 1) return true;
  const Int64 v = GetInt64Value();
  for (Integer i = 1; i < FPropCount; ++i)
    if (GetInt64ValueAt(i) != v) return false;
  return true;
}

String TInt64Property::GetValue() { return IntToStr(GetInt64Value()); }

void TInt64Property::SetValue(const String& value) {
  Int64 v = 0;
  if (!TryStrToInt64(value, v)) detail::RaiseDesignError(SInvalidInteger, value);
  SetInt64Value(v);
}

// ---- Nested editors ----------------------------------------------------------------------------

TClass TNestedProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TNestedProperty, TPropertyEditor>("TNestedProperty", sUnitName).Build();
  return cls;
}

TNestedProperty::TNestedProperty(TPropertyEditor* parent) : TPropertyEditor(parent->Designer(), 0) {
  FPropList = parent->PropList();
  FPropCount = parent->PropCount();
}

TClass TSetElementProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSetElementProperty, TNestedProperty>("TSetElementProperty", sUnitName).Build();
  return cls;
}

TSetElementProperty::TSetElementProperty(TPropertyEditor* parent, Integer element)
    : TNestedProperty(parent), FElement(element),
      FBit(static_cast<Byte>(element - SetLowest(parent->GetPropType()))) {}

bool TSetElementProperty::AllEqual() {
  const auto mask = std::uint64_t{1} << FBit;
  const bool v = (static_cast<std::uint64_t>(GetOrdValue()) & mask) != 0;
  for (Integer i = 1; i < FPropCount; ++i)
    if (((static_cast<std::uint64_t>(GetOrdValueAt(i)) & mask) != 0) != v) return false;
  return true;
}

TPropertyAttributes TSetElementProperty::GetAttributes() {
  TPropertyAttributes a{paValueList, paMultiSelect, paSortList};
  if (!IsWritable(GetPropInfo())) a += TPropertyAttributes{paReadOnly, paDisplayReadOnly};
  return a;
}

String TSetElementProperty::GetName() {
  return GetEnumName(GetTypeData(GetPropType())->CompType, FElement);
}

String TSetElementProperty::GetValue() {
  const bool in = (static_cast<std::uint64_t>(GetOrdValue()) & (std::uint64_t{1} << FBit)) != 0;
  return GetEnumName(TypeInfo<bool>(), in ? 1 : 0);
}

void TSetElementProperty::GetValues(const TGetStrProc& proc) {
  proc(GetEnumName(TypeInfo<bool>(), 0));
  proc(GetEnumName(TypeInfo<bool>(), 1));
}

void TSetElementProperty::SetValue(const String& value) {
  auto bits = static_cast<std::uint64_t>(GetOrdValue());
  const auto mask = std::uint64_t{1} << FBit;
  if (SameText(value, GetEnumName(TypeInfo<bool>(), 1)))
    bits |= mask;
  else
    bits &= ~mask;
  SetOrdValue(static_cast<Int64>(bits));
}

} // namespace fw
