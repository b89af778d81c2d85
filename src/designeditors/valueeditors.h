// The standard editors of floats, strings, dates and times, and variants.
#pragma once

#include "designeditors/ordinaleditors.h"

#include <array>

namespace fw {

/// Floats in general format with the precision of their float type (single 7, double 15,
/// extended, comp and currency 18 digits) and the current format settings.
class TFloatProperty : public TPropertyEditor {
  FW_CLASS(TFloatProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  /// Exact equality of every entry's value.
  bool AllEqual() override;
  String GetValue() override;
  /// Raises EDesignPropertyError (SInvalidFloat) for text the current format settings do not
  /// read as a number, or a number the property's float type cannot hold.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

class TStringProperty : public TPropertyEditor {
  FW_CLASS(TStringProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  /// Case-sensitive equality of every entry's value.
  bool AllEqual() override;
  /// A short string's declared maximum length, else the base limit.
  Integer GetEditLimit() override;
  String GetValue() override;
  /// Written to every entry that has write access.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// The "Name" of a component: not offered inside another property's sub-properties.
class TComponentNameProperty : public TStringProperty {
  FW_CLASS(TComponentNameProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override { return {paNotNestable}; }
  Integer GetEditLimit() override { return 63; }
};

/// Wide strings: only the wide form of SetValue writes.
class TWideStringProperty : public TPropertyEditor, public IWideProperty, public IWideProperty10 {
  FW_CLASS(TWideStringProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  bool AllEqual() override;
  String GetValue() override;
  WideString GetValueW() override;
  bool GetEditValue(WideString& value) override { return TPropertyEditor::GetEditValue(value); }
  using TPropertyEditor::GetEditValue;
  /// Does nothing: the value is written through the wide form only.
  void SetValue(const String&) override {}
  void SetValue(const WideString& value) override;
  WideString GetNameW() override { return Utf8ToWide(GetName()); }
  /// No value list.
  void GetValues(const TGetWideStrProc&) override {}
  using TPropertyEditor::GetValues;
};

/// How one of the date and time editors shows its value and reads text back.
struct TDateTimeForm {
  String (*Show)(TDateTime value);
  bool (*Parse)(std::string_view text, TDateTime& value);
  std::string_view Error; ///< the message for text that Parse refuses
};
extern const TDateTimeForm DateForm;     ///< short date format; SInvalidDate
extern const TDateTimeForm TimeForm;     ///< long time format; SInvalidTime
extern const TDateTimeForm DateTimeForm; ///< date, time or both; SInvalidDateTime

namespace detail {
/// The date, time and date-time editors: zero shows as empty text, anything else in `Form`'s
/// format. Empty text stores zero; other text that `Form` cannot read raises
/// EDesignPropertyError with its message.
template <const TDateTimeForm& Form> class TDateTimeEditor : public TPropertyEditor {
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  String GetValue() override;
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};
extern template class TDateTimeEditor<DateForm>;
extern template class TDateTimeEditor<TimeForm>;
extern template class TDateTimeEditor<DateTimeForm>;
} // namespace detail

class TDateProperty : public detail::TDateTimeEditor<DateForm> {
  FW_CLASS(TDateProperty)
public:
  using TDateTimeEditor::TDateTimeEditor;
};

class TTimeProperty : public detail::TDateTimeEditor<TimeForm> {
  FW_CLASS(TTimeProperty)
public:
  using TDateTimeEditor::TDateTimeEditor;
};

class TDateTimeProperty : public detail::TDateTimeEditor<DateTimeForm> {
  FW_CLASS(TDateTimeProperty)
public:
  using TDateTimeEditor::TDateTimeEditor;
};

/// Variants: the value as text, kept in the variant's type when the text converts back
/// faithfully, else stored as a string; the type is edited through a sub-property.
class TVariantProperty : public TPropertyEditor {
  FW_CLASS(TVariantProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paSubProperties, paMultiSelect}; }
  /// "ERROR" for a dispatch value, the settings' currency text for a currency, "True" or
  /// "False" for a Boolean, SNull for null, otherwise the string form.
  String GetValue() override;
  /// One TVariantTypeProperty.
  void GetProperties(const TGetPropProc& proc) override;
  /// Empty text stores unassigned, SNull (ignoring case) null. Other text is converted to the
  /// current type when that is faithful: it must not raise, a currency text must hold the
  /// settings' currency string, and (except for dates) the converted value must show as the
  /// very same text. Otherwise the text is stored as a string.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// The "Type" of a variant property: the name of its variant type.
class TVariantTypeProperty : public TNestedProperty {
  FW_CLASS(TVariantTypeProperty)
public:
  using TNestedProperty::TNestedProperty;
  /// Every entry holds an equal variant.
  bool AllEqual() override;
  TPropertyAttributes GetAttributes() override { return {paValueList, paMultiSelect, paSortList}; }
  String GetName() override { return String(sVariantTypeName); }
  /// The type's name; empty for an unnamed code, SString for a Unicode string and SUnknown
  /// for codes beyond the table.
  String GetValue() override;
  /// The named types in code order, then SString.
  void GetValues(const TGetStrProc& proc) override;
  /// Unassigned, Null, or the reference entry's value converted to the named type (when that
  /// raises, an empty value converted instead), written to every entry. Raises
  /// EDesignPropertyError (SUnknownType) for a name that is not in the list, compared exactly.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Names of the variant type codes below 21 ("" where a code has none).
extern const std::array<const char*, 21> VariantTypeNames;

} // namespace fw
