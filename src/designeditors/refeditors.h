// The standard editors of object properties, component and interface references, and events.
#pragma once

#include "designeditors/ordinaleditors.h"

namespace fw {

/// Objects owned by the property: shown as "(TypeName)", edited through their own properties.
class TClassProperty : public TPropertyEditor {
  FW_CLASS(TClassProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() override {
    return {paSubProperties, paMultiSelect, paReadOnly};
  }
  /// The editors of every entry's (non-nil) object, for all kinds but events.
  void GetProperties(const TGetPropProc& proc) override;
  String GetValue() override;
};

/// Events: the name of the handler, chosen from or made by the designer.
class TMethodProperty : public TPropertyEditor, public IMethodProperty {
  FW_CLASS(TMethodProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  /// True when every entry's object has a name path.
  virtual bool AllNamed();
  /// The handler name the designer would suggest: the object's name (the root's class name
  /// without its "T" for the root itself) with the event's name minus "On". Raises
  /// EDesignPropertyError (SCannotCreateName) when there is no name to start from.
  virtual String GetFormMethodName();
  /// Every entry has the same code and data.
  bool AllEqual() override;
  /// Shows the current handler, or creates one under the current or suggested name. Raises
  /// EDesignPropertyError (SCannotCreateName) for unnamed objects.
  void Edit() override;
  TPropertyAttributes GetAttributes() override {
    return {paValueList, paMultiSelect, paSortList, paRevertable};
  }
  Integer GetEditLimit() override { return 63; }
  String GetValue() override;
  /// The designer's handlers compatible with the event.
  void GetValues(const TGetStrProc& proc) override;
  /// Renames the current handler when that is possible and it is not inherited; otherwise
  /// points every entry at the handler of that name (made when missing, then chained to the
  /// handler it replaces and shown). Empty text clears the event. Raises EDesignPropertyError
  /// (SCannotCreateName) for unnamed objects.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;
  /// The property name without a leading "On".
  String GetTrimmedEventName();
};

/// References to components of the designed module (or of modules it can link to).
class TComponentProperty : public TPropertyEditor,
                           public IReferenceProperty,
                           public IShowReferenceProperty {
  FW_CLASS(TComponentProperty)
public:
  using TPropertyEditor::TPropertyEditor;
  /// The referenced component of the reference entry.
  TComponent* GetComponentReference() override;
  /// Whether the inspector shows the referenced component's properties beside it: a nil
  /// reference or a sub-component, an owned-by-nobody component, a module's root, or a
  /// component of a data module.
  bool ShowReferenceProperty() override;
  /// Nil unless every entry refers to the same component (see AllEqual); then all of them.
  virtual IPtr<IDesignerSelections> GetSelections();
  /// Every entry refers to the same component, and that one has a root designer that is an
  /// IDesigner. A nil reference never counts as equal.
  bool AllEqual() override;
  /// Ctrl+left click selects the referenced component; otherwise the next value in the list.
  void Edit() override;
  /// paSubProperties and paVolatileSubProperties join when GReferenceExpandable is on and the
  /// reference is a shared non-nil one.
  TPropertyAttributes GetAttributes() override;
  Integer GetEditLimit() override { return 127; }
  /// The referenced component's properties, events included, minus paNotNestable editors.
  void GetProperties(const TGetPropProc& proc) override;
  String GetValue() override;
  /// The designer's names of the components of the property's class.
  void GetValues(const TGetStrProc& proc) override;
  /// Empty text stores nil. Raises EDesignPropertyError (SInvalidPropertyValue) when the
  /// designer has no component of that name or it is not of the property's class.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;

protected:
  /// The component behind entry `index`'s value.
  virtual TComponent* ReferenceAt(Integer index);
  /// True when `component`'s root designer is an IDesigner.
  static bool HasRootDesigner(TComponent* component);
  /// Writes `component` to every entry, then Modified; a failing write restores the entries
  /// already written.
  void SetComponentValue(TComponent* component);
};

/// References held as interfaces: any component of the module that supports the interface.
class TInterfaceProperty : public TComponentProperty {
  FW_CLASS(TInterfaceProperty)
public:
  using TComponentProperty::TComponentProperty;
  /// Every entry holds the same interface reference, and the component behind it has a root
  /// designer that is an IDesigner.
  bool AllEqual() override;
  /// The designer's component names whose components support the property's interface.
  void GetValues(const TGetStrProc& proc) override;
  /// Empty text stores nil. Raises EDesignPropertyError (SInvalidPropertyValue) when there is
  /// no component of that name or it does not support the property's interface.
  void SetValue(const String& value) override;
  using TPropertyEditor::SetValue;

protected:
  /// The component behind the interface value, through the component-reference interface.
  TComponent* ReferenceAt(Integer index) override;

private:
  void ReceiveComponentName(const String& name);
  TGetStrProc FGetValuesStrProc;
};

} // namespace fw
