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

/// Dates: zero shows as empty text, anything else in the short date format.
class TDateProperty : public TPropertyEditor {
  FW_CLASS(TDateProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  String GetValue() override;
  /// Empty text stores zero. Raises EDesignPropertyError (SInvalidDate) for text that is no
  /// date in the current format settings.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Times of day: zero shows as empty text, anything else in the long time format.
class TTimeProperty : public TPropertyEditor {
  FW_CLASS(TTimeProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  String GetValue() override;
  /// Empty text stores zero; raises EDesignPropertyError (SInvalidTime) for any non-time.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Dates with times: zero shows as empty text.
class TDateTimeProperty : public TPropertyEditor {
  FW_CLASS(TDateTimeProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override { return {paMultiSelect, paRevertable}; }
  String GetValue() override;
  /// Empty text stores zero; raises EDesignPropertyError (SInvalidDateTime) for other text
  /// that is neither a date, a time nor both.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
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
  String GetName() override { return SVariantTypeName; }
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
