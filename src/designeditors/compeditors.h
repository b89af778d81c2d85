// Component editors: the registry that picks the editor of a component, the editor base, and
// the default editor whose double-click opens the component's preferred event.
#pragma once

#include "designeditors/propedit.h"
#include "designintf/designintf.h"

#include <vector>

namespace fw {

/// The base of component editors: no verbs; Edit executes verb 0 when there is one.
class TComponentEditor : public TBaseComponentEditor, public IComponentEditor {
  FW_CLASS(TComponentEditor)
public:
  TComponentEditor(TComponent* component, const IPtr<IDesigner>& designer);

  void Edit() override;
  void ExecuteVerb(Integer index) override;
  String GetVerb(Integer index) override;
  Integer GetVerbCount() override;
  void Copy() override;
  void PrepareItem(Integer index, const IPtr<IMenuItem>& item) override;
  /// True when the component's owner is a nested module instance (inline).
  bool IsInInlined() override;
  TComponent* GetComponent() override { return FComponent; }
  IPtr<IDesigner> GetDesigner() override { return FDesigner; }

protected:
  TComponent* FComponent;
  IPtr<IDesigner> FDesigner;
};

/// The editor of components nobody registered one for: a double-click opens the preferred
/// event ("OnCreate", "OnChange", "OnChanged", "OnClick", in that order, else the first event
/// by name).
class TDefaultEditor : public TComponentEditor, public IDefaultEditor {
  FW_CLASS(TDefaultEditor)
public:
  using TComponentEditor::TComponentEditor;
  void Edit() override;
  void ExecuteVerb(Integer index) override { TComponentEditor::ExecuteVerb(index); }
  String GetVerb(Integer index) override { return TComponentEditor::GetVerb(index); }
  Integer GetVerbCount() override { return TComponentEditor::GetVerbCount(); }
  void Copy() override { TComponentEditor::Copy(); }
  void PrepareItem(Integer index, const IPtr<IMenuItem>& item) override {
    TComponentEditor::PrepareItem(index, item);
  }
  bool IsInInlined() override { return TComponentEditor::IsInInlined(); }
  TComponent* GetComponent() override { return FComponent; }
  IPtr<IDesigner> GetDesigner() override { return FDesigner; }

protected:
  /// Called for each property editor while `continueEditing` is true; may clear it to stop.
  virtual void EditProperty(const IPtr<IProperty>& prop, bool& continueEditing);

private:
  void CheckEdit(const IPtr<IProperty>& prop);
  IPtr<IProperty> FFirst;
  IPtr<IProperty> FBest;
  bool FContinue = true;
};

/// One RegisterComponentEditor call.
struct TComponentEditorRec {
  Integer Group;
  TComponentClass ComponentClass;
  TComponentEditorClass EditorClass;
};

/// The editor for a component: the registration of the most derived class it is an instance
/// of (of two for the same class the newer), else TDefaultEditor.
IPtr<IComponentEditor> GetComponentEditor(TComponent* component, const IPtr<IDesigner>& designer);
/// Registrations, most recent first.
std::vector<TComponentEditorRec> ComponentEditorRecords();

/// Start-up fills RegisterComponentEditorProc and the group withdrawal seam; shut-down drops
/// the registrations.
void ComponentEditorsStartup();
void ComponentEditorsShutdown();

} // namespace fw
