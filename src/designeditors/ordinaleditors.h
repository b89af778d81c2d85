// The standard editors of ordinal properties (integers, characters, enumerations, sets and
// their elements) and of 64-bit integers, and the base of nested editors.
#pragma once

#include "designeditors/propedit.h"
#include "designeditors/stdeditors_consts.h"

namespace fw {

/// Base of the editors of ordinal types: entries are equal when their ordinal values are.
class TOrdinalProperty : public TPropertyEditor {
  FW_CLASS(TOrdinalProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  bool AllEqual() override;
  Integer GetEditLimit() override { return 63; }
};

/// Integers and subranges, shown in decimal (unsigned for an unsigned 32-bit type).
class TIntegerProperty : public TOrdinalProperty {
  FW_CLASS(TIntegerProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
  String GetValue() override;
  /// Raises EDesignPropertyError: SInvalidInteger for text that is no 64-bit integer,
  /// SOutOfRange (with the type's bounds) for a number outside the type.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Characters: codes 33 to 127 as themselves, any other code as "#nn".
class TCharProperty : public TOrdinalProperty {
  FW_CLASS(TCharProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
  String GetValue() override;
  /// Empty text is code 0, one character its own code, otherwise "#" and decimal digits.
  /// Raises EDesignPropertyError: SInvalidPropertyValue for any other text, SOutOfRange for a
  /// code outside the type.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// Wide characters; the wide value shows every code from 33 up as the character itself.
class TWideCharProperty : public TOrdinalProperty, public IWideProperty {
  FW_CLASS(TWideCharProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
  String GetValue() override;
  WideString GetValueW() override;
  bool GetEditValue(WideString& value) override { return TPropertyEditor::GetEditValue(value); }
  using TPropertyEditor::GetEditValue;
  /// Both forms parse as TCharProperty does, a single character being one UTF-16 unit.
  void SetValue(const String& value) override;
  void SetValue(const WideString& value) override;
};

/// Enumerations: the identifier of the value, and the list of the type's identifiers.
class TEnumProperty : public TOrdinalProperty {
  FW_CLASS(TEnumProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override;
  /// A value outside the type shows the identifier of the highest value.
  String GetValue() override;
  /// Identifiers from the lowest to the highest value; only those of 0 and 1 for a type whose
  /// lowest value is negative.
  void GetValues(const TGetStrProc& proc) override;
  /// Raises EDesignPropertyError (SInvalidPropertyValue) for an identifier the type lacks.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

class TBoolProperty : public TEnumProperty {
  FW_CLASS(TBoolProperty)
public:
  using TEnumProperty::TEnumProperty;
};

/// Sets: "[a,b]", edited through one sub-property per element.
class TSetProperty : public TOrdinalProperty {
  FW_CLASS(TSetProperty)
public:
  using TOrdinalProperty::TOrdinalProperty;
  TPropertyAttributes GetAttributes() override;
  /// Bit i is the element of ordinal lowest+i, for bits 0 to 31.
  String GetValue() override;
  /// One TSetElementProperty per element, lowest first (at most 32).
  void GetProperties(const TGetPropProc& proc) override;
};

class TInt64Property : public TPropertyEditor {
  FW_CLASS(TInt64Property)
public:
  using TPropertyEditor::TPropertyEditor;
  bool AllEqual() override;
  Integer GetEditLimit() override { return 63; }
  String GetValue() override;
  /// Raises EDesignPropertyError (SInvalidInteger) for text that is no 64-bit integer.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
};

/// An editor of a part of its parent's property: it shares the parent's designer and entries
/// (which stay valid while either editor lives).
class TNestedProperty : public TPropertyEditor {
  FW_CLASS(TNestedProperty)
public:
  explicit TNestedProperty(TPropertyEditor* parent);
};

/// One element of a set: "True" when the element is in the set.
class TSetElementProperty : public TNestedProperty {
  FW_CLASS(TSetElementProperty)
public:
  TSetElementProperty(TPropertyEditor* parent, Integer element);
  bool AllEqual() override;
  TPropertyAttributes GetAttributes() override;
  /// The element's identifier.
  String GetName() override;
  String GetValue() override;
  void GetValues(const TGetStrProc& proc) override;
  /// Text equal to the true identifier (ignoring case) includes the element, any other text
  /// excludes it; the reference entry's set so changed goes to every entry.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
  Integer Element() const noexcept { return FElement; }

private:
  Integer FElement;
  Byte FBit;
};

namespace detail {
/// Raises EDesignPropertyError with `fmt` formatted with the arguments.
template <class... Args>
[[noreturn]] void RaiseDesignError(std::string_view fmt, const Args&... args) {
  throw EDesignPropertyError(Format(fmt, args...));
}
} // namespace detail

} // namespace fw
