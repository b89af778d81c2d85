#include "designeditors/storedvalueeditor.h"

#include "basert/classbuilder.h"
#include "basert/placeholder.h"

namespace fw {

namespace {

/// The stored value an entry stands for, or null.
const TStoredProperty* StoredOf(TPersistent* instance, PPropInfo prop) {
  TPlaceholder* p = AsPlaceholder(instance);
  return p && prop ? p->FindStored(prop->Name) : nullptr;
}

} // namespace

TClass TStoredValueProperty::StaticClass() {
  static const TClass cls =
      TClassBuilder<TStoredValueProperty, TStringProperty>("TStoredValueProperty", "DesignEditors")
          .Build();
  return cls;
}

TPropertyAttributes TStoredValueProperty::GetAttributes() {
  TPropertyAttributes attrs = TStringProperty::GetAttributes();
  for (Integer i = 0; i < FPropCount; ++i) {
    const TStoredProperty* s = StoredOf(Entry(i).Instance, Entry(i).PropInfo);
    if (!s || !IsTextKind(StoredKindOf(s->Value)))
      attrs += TPropertyAttributes{paReadOnly, paDisplayReadOnly};
  }
  return attrs;
}

void TStoredValueProperty::SetValue(const String& value) {
  // Every entry's new bytes first, so that a refusal leaves all of them as they were.
  std::vector<std::pair<TPlaceholder*, std::string>> changes;
  for (Integer i = 0; i < FPropCount; ++i) {
    const TInstProp& e = Entry(i);
    const TStoredProperty* s = StoredOf(e.Instance, e.PropInfo);
    if (!s)
      throw EDesignPropertyError(Format(sPropertyNotStored, e.Instance->ClassName(),
                                        e.PropInfo ? e.PropInfo->Name : String()));
    const TStoredKind kind = StoredKindOf(s->Value);
    if (!IsTextKind(kind))
      throw EDesignPropertyError(Format(sStoredValueReadOnly, s->Name,
                                        String(StoredKindNames[static_cast<std::size_t>(kind)])));
    try {
      changes.emplace_back(AsPlaceholder(e.Instance), StoredValueFromText(s->Value, value));
    } catch (const EConvertError& error) {
      throw EDesignPropertyError(error.Message());
    }
  }
  for (Integer i = 0; i < FPropCount; ++i) {
    auto& [placeholder, bytes] = changes[static_cast<std::size_t>(i)];
    placeholder->SetStoredValue(Entry(i).PropInfo->Name, std::move(bytes));
  }
  Modified();
}

} // namespace fw
