// The editor of a placeholder's stored properties: the value as the stream held it, set as
// text in the kind of the stored value.
#pragma once

#include "designeditors/valueeditors.h"

namespace fw {

/// Serves StoredValueTypeInfo(). Strings, identifiers, numbers and sets are edited as text that
/// keeps the stored kind (a string stays a string, an identifier an identifier, an integer an
/// integer, a float a float of the same width, a set a set); binary data, lists and collections
/// are read-only.
class TStoredValueProperty : public TStringProperty {
  FW_CLASS(TStoredValueProperty)
public:
  using TStringProperty::TStringProperty;
  /// Read-only when some entry holds binary data, a list or a collection.
  TPropertyAttributes GetAttributes() override;
  Integer GetEditLimit() override { return 0x7FFFFFFF; }
  /// Every entry takes the text in its own stored kind. Raises EDesignPropertyError with the
  /// conversion's message (text of the wrong kind, a read-only kind) and then changes nothing.
  void SetValue(const String& value) override;
  using TStringProperty::SetValue;
};

} // namespace fw
