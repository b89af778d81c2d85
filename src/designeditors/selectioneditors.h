// Selection editors: verbs for a whole selection and filters of its property list, found for
// the common class of the selected objects.
#pragma once

#include "designintf/designintf.h"

#include <vector>

namespace fw {

/// The base of selection editors: no verbs, nothing required.
class TSelectionEditor : public TBaseSelectionEditor, public ISelectionEditor {
  FW_CLASS(TSelectionEditor)
public:
  explicit TSelectionEditor(const IPtr<IDesigner>& designer);
  void ExecuteVerb(Integer index, const IPtr<IDesignerSelections>& list) override;
  String GetVerb(Integer index) override;
  Integer GetVerbCount() override;
  void PrepareItem(Integer index, const IPtr<IMenuItem>& item) override;
  void RequiresUnits(const TGetStrProc& proc) override;
  const IPtr<IDesigner>& Designer() const noexcept { return FDesigner; }

protected:
  IPtr<IDesigner> FDesigner;
};

inline constexpr std::string_view sEditSubmenu = "Edit";
inline constexpr std::string_view sControlSubmenu = "Control";

/// The component whose edit handler takes edit actions before the designer's; set by the host.
using TGetTopLevelComponentFunc = TComponent* (*)(TComponent* component);
extern TGetTopLevelComponentFunc GetTopLevelComponentFunc;

/// "Edit" and "Control" submenus filled with the IDE's edit and z-order actions.
class TEditActionSelectionEditor : public TSelectionEditor {
  FW_CLASS(TEditActionSelectionEditor)
public:
  using TSelectionEditor::TSelectionEditor;
  String GetVerb(Integer index) override;
  Integer GetVerbCount() override { return 2; }
  /// Verb 0: undo, line, cut, copy, paste, delete, line, select all; verb 1: bring to front,
  /// send to back. Actions the IDE does not have are left out.
  void PrepareItem(Integer index, const IPtr<IMenuItem>& item) override;
  /// Sends the action to the top-level component's edit handler, else the designer's.
  void EditAction(TEditAction action);
  /// The designer's handler's state, else the top-level component's, else every "can" state
  /// from undo to delete.
  TEditStates GetEditState();
  void HandleUndo(TObject*) { EditAction(eaUndo); }
  void HandleCut(TObject*) { EditAction(eaCut); }
  void HandleCopy(TObject*) { EditAction(eaCopy); }
  void HandlePaste(TObject*) { EditAction(eaPaste); }
  void HandleDelete(TObject*) { EditAction(eaDelete); }
  void HandleSelectAll(TObject*) { EditAction(eaSelectAll); }
};

/// A list of selection editors.
class TSelectionEditorList : public TInterfacedObject, public ISelectionEditorList {
  FW_CLASS(TSelectionEditorList)
public:
  IPtr<ISelectionEditor> Get(Integer index) override;
  Integer GetCount() override { return static_cast<Integer>(FList.size()); }
  void Add(const IPtr<ISelectionEditor>& editor) { FList.push_back(editor); }

private:
  std::vector<IPtr<ISelectionEditor>> FList;
};

/// One RegisterSelectionEditor call.
struct TSelectionEditorDefinition {
  Integer FGroup;
  TClass FClass;
  TSelectionEditorClass FEditor;
};

/// Every selection editor registered for the common class of the selection or an ancestor of
/// it, in registration order; empty for an empty selection.
IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer,
                                               const IPtr<IDesignerSelections>& selections);
/// The same for the designer's current selection.
IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer);
/// The same for one component.
IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer,
                                               TComponent* component);
const std::vector<TSelectionEditorDefinition>& SelectionEditorDefinitions();

/// Start-up fills RegisterSelectionEditorProc and the seams of the property listing and the
/// group withdrawal; shut-down drops the definitions.
void SelectionEditorsStartup();
void SelectionEditorsShutdown();

} // namespace fw
