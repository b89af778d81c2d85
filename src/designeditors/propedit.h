// The property editor base: one published property of one or more selected objects, read
// from the first object and written to all of them.
#pragma once

#include "basert/ancestorlookup.h"
#include "designintf/designintf.h"

#include <memory>
#include <vector>

namespace fw {

// ---- Resource strings ------------------------------------------------------------------------

/// What the base editor shows for a value it cannot render.
inline constexpr std::string_view srUnknown = "(Unknown)";
/// Edit text of a property that cannot be read.
inline constexpr std::string_view sNotAvailable = "(Not available)";
/// Edit text of a property whose reading raised: the message in parentheses.
inline constexpr std::string_view sValueErrorFormat = "(%s)";

/// A value a property editor refuses.
class EDesignPropertyError : public ENonAIRException {
  using ENonAIRException::ENonAIRException;
};

/// One selected object and the property of it that an editor stands for.
struct TInstProp {
  TPersistent* Instance = nullptr;
  PPropInfo PropInfo = nullptr;
};
/// An editor's entries: filled by the editor, then shared read-only with the nested editors
/// made for it (set elements, variant types), which keep them alive.
using PInstPropList = std::shared_ptr<const std::vector<TInstProp>>;

class TPropertyEditor : public TBasePropertyEditor, public IProperty70, public IPropertyKind {
  FW_CLASS(TPropertyEditor)
public:
  /// Allocates `propCount` empty entries; a negative count counts as none.
  TPropertyEditor(const IPtr<IDesigner>& designer, Integer propCount);

  // ---- overridable operations
  void Initialize() override {}
  /// Raises EListError for an index outside the entries. Entries shared with a nested editor
  /// are copied first: what the nested editor sees does not change under it.
  void SetPropEntry(Integer index, TPersistent* instance, PPropInfo propInfo) override;
  /// True when the value equals what the module's ancestor (or the declared default) has, so
  /// the inspector need not highlight it. True with no designer or no entries; false when the
  /// entries differ.
  bool GetIsDefault() override;
  void Activate() override {}
  /// True only for a single entry; editors that can compare values override it.
  bool AllEqual() override;
  bool AutoFill() override;
  /// Double-click: sets the value after the current one in the value list (wrapping).
  void Edit() override;
  TPropertyAttributes GetAttributes() override;
  Integer GetEditLimit() override { return 2047; }
  String GetName() override;
  void GetProperties(const TGetPropProc&) override {}
  PPropInfo GetPropInfo() override;
  String GetValue() override { return String(srUnknown); }
  virtual WideString GetValueW();
  void GetValues(const TGetStrProc&) override {}
  void SetValue(const String&) override {}
  virtual void SetValue(const WideString&) {}

  // ---- fixed operations
  bool HasInstance(TPersistent* instance) final;
  PTypeInfo GetPropType() final;
  TTypeKind GetKind() final;
  /// Asks the designer to restore the inherited value of every entry; no Modified.
  void Revert() final;
  /// False when the first component with styleCheckPropAvail cannot produce its value.
  bool ValueAvailable() final;
  /// The value and whether it can be edited. A write-only property gives sNotAvailable, any
  /// other failure the message in parentheses; both answer false.
  bool GetEditValue(String& value) final;
  bool GetEditValue(WideString& value);

  Integer PropCount() const noexcept { return FPropCount; }
  /// The entries, for an editor that works on the same objects (a nested editor).
  const PInstPropList& PropList() const noexcept { return FPropList; }
  const IPtr<IDesigner>& Designer() const noexcept { return FDesigner; }
  /// The instance of entry `index`; raises EListError outside the entries.
  TPersistent* GetComponent(Integer index) const;
  String GetPrivateDirectory();
  /// GetValue when AllEqual, else empty: what a multi-selection shows.
  String GetVisualValue();
  /// Tells the designer (when there is one) that the module changed.
  void Modified();

  // Typed readers: entry 0, or entry `index`. They pass the run-time library's errors on.
  Int64 GetOrdValue() const { return GetOrdValueAt(0); }
  Int64 GetOrdValueAt(Integer index) const;
  Extended GetFloatValue() const { return GetFloatValueAt(0); }
  Extended GetFloatValueAt(Integer index) const;
  String GetStrValue() const { return GetStrValueAt(0); }
  String GetStrValueAt(Integer index) const;
  WideString GetWideStrValue() const { return GetWideStrValueAt(0); }
  WideString GetWideStrValueAt(Integer index) const;
  Variant GetVarValue() const;
  Variant GetVarValueAt(Integer index) const;
  TMethod GetMethodValue() const { return GetMethodValueAt(0); }
  TMethod GetMethodValueAt(Integer index) const;
  Int64 GetInt64Value() const { return GetInt64ValueAt(0); }
  Int64 GetInt64ValueAt(Integer index) const;
  IPtr<IInterface> GetIntfValue() const { return GetIntfValueAt(0); }
  IPtr<IInterface> GetIntfValueAt(Integer index) const;

  // Typed writers: every entry in index order, then Modified once. When a write fails, the
  // entries already written get their old values back, the error passes on and Modified is
  // not called. The string writers skip entries without write access.
  void SetOrdValue(Int64 value);
  void SetFloatValue(Extended value);
  void SetMethodValue(const TMethod& value);
  void SetVarValue(const Variant& value);
  void SetInt64Value(Int64 value);
  void SetIntfValue(const IPtr<IInterface>& value);
  void SetStrValue(const String& value);
  void SetWideStrValue(const WideString& value);

  /// Where `instance`'s inherited values come from, as the writer would pair it in the
  /// designer's module: its counterpart in the ancestor module for an inherited component,
  /// else no ancestor. Needs a designer.
  TAncestorLookup AncestorLookupOf(TPersistent* instance) const;

protected:
  const TInstProp& Entry(Integer index) const;
  template <class V, class Write> void WriteAll(const V& value, Write write, bool skipReadOnly);

  IPtr<IDesigner> FDesigner;
  PInstPropList FPropList;
  Integer FPropCount = 0;
};

} // namespace fw
