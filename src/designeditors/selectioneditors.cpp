#include "designeditors/selectioneditors.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "designeditors/editorregistry.h"
#include "designintf/designmenus.h"
#include "toolsapi/toolsapi.h"

#include <array>

namespace fw {

TGetTopLevelComponentFunc GetTopLevelComponentFunc = nullptr;

namespace {

std::vector<TSelectionEditorDefinition>& Definitions() {
  static std::vector<TSelectionEditorDefinition> list;
  return list;
}

void DoRegisterSelectionEditor(TClass aClass, TSelectionEditorClass editor) {
  Definitions().push_back({CurrentGroup, aClass, editor});
}

void FreeGroup(Integer group) {
  std::erase_if(Definitions(),
                [group](const TSelectionEditorDefinition& d) { return d.FGroup == group; });
}

IPtr<ISelectionEditorList> FromDesignerAndSelection(const IPtr<IDesigner>& designer,
                                                    const IPtr<IDesignerSelections>& selection) {
  return GetSelectionEditors(designer, selection);
}

// Empty entries are separator lines.
constexpr std::array<const char*, 8> EditCommands = {
    "EditUndoCommand",   "", "EditCutCommand",      "EditCopyCommand", "EditPasteCommand",
    "EditDeleteCommand", "", "EditSelectAllCommand"};
constexpr std::array<const char*, 2> ControlCommands = {"AlignBringToFrontCommand",
                                                        "AlignSendToBackCommand"};

IPtr<IEditHandler> TopLevelHandler() {
  if (!GetTopLevelComponentFunc) return nullptr;
  TComponent* top = GetTopLevelComponentFunc(nullptr);
  IPtr<IEditHandler> handler;
  if (top) Supports(top, &handler);
  return handler;
}

} // namespace

// ---- TSelectionEditor --------------------------------------------------------------------------

TClass TSelectionEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSelectionEditor, TBaseSelectionEditor>("TSelectionEditor", "DesignEditors")
          .Implements<ISelectionEditor>()
          .Build();
  return cls;
}

TSelectionEditor::TSelectionEditor(const IPtr<IDesigner>& designer)
    : TBaseSelectionEditor(designer), FDesigner(designer) {}

void TSelectionEditor::ExecuteVerb(Integer, const IPtr<IDesignerSelections>&) {}
String TSelectionEditor::GetVerb(Integer) { return {}; }
Integer TSelectionEditor::GetVerbCount() { return 0; }
void TSelectionEditor::PrepareItem(Integer, const IPtr<IMenuItem>&) {}
void TSelectionEditor::RequiresUnits(const TGetStrProc&) {}

// ---- TEditActionSelectionEditor ----------------------------------------------------------------

TClass TEditActionSelectionEditor::StaticClass() {
  static const TClass cls = TClassBuilder<TEditActionSelectionEditor, TSelectionEditor>(
                                "TEditActionSelectionEditor", "DesignEditors")
                                .Build();
  return cls;
}

String TEditActionSelectionEditor::GetVerb(Integer index) {
  if (index == 0) return String(sEditSubmenu);
  if (index == 1) return String(sControlSubmenu);
  return {};
}

void TEditActionSelectionEditor::PrepareItem(Integer index, const IPtr<IMenuItem>& item) {
  if (!item) return;
  auto add = [&](const char* command) {
    if (!*command) {
      item->AddLine({});
      return;
    }
    if (TComponent* action = FindIDEAction(command)) item->AddActionItem(action, {});
  };
  if (index == 0)
    for (const char* c : EditCommands)
      add(c);
  else if (index == 1)
    for (const char* c : ControlCommands)
      add(c);
}

void TEditActionSelectionEditor::EditAction(TEditAction action) {
  IPtr<IEditHandler> handler = TopLevelHandler();
  if (!handler) handler = QueryIntf<IEditHandler>(FDesigner);
  if (handler) handler->EditAction(action);
}

TEditStates TEditActionSelectionEditor::GetEditState() {
  IPtr<IEditHandler> handler = QueryIntf<IEditHandler>(FDesigner);
  if (!handler) handler = TopLevelHandler();
  if (handler) return handler->GetEditState();
  return {esCanUndo, esCanRedo, esCanCut, esCanCopy, esCanPaste, esCanDelete};
}

// ---- TSelectionEditorList ----------------------------------------------------------------------

TClass TSelectionEditorList::StaticClass() {
  static const TClass cls = TClassBuilder<TSelectionEditorList, TInterfacedObject>(
                                "TSelectionEditorList", "DesignEditors")
                                .Implements<ISelectionEditorList>()
                                .Build();
  return cls;
}

IPtr<ISelectionEditor> TSelectionEditorList::Get(Integer index) {
  if (index < 0 || index >= GetCount()) throw EListError(Format(sListIndexError, index));
  return FList[static_cast<std::size_t>(index)];
}

// ---- Lookup ------------------------------------------------------------------------------------

IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer,
                                               const IPtr<IDesignerSelections>& selections) {
  IPtr<TSelectionEditorList> result(New<TSelectionEditorList>());
  const Integer count = selections ? selections->GetCount() : 0;
  if (count > 0) {
    TClass common = selections->Get(0)->ClassType();
    for (Integer i = 1; i < count && common != TObject::StaticClass(); ++i) {
      TClass cls = selections->Get(i)->ClassType();
      while (!cls->InheritsFrom(common) && common->Parent)
        common = common->Parent;
    }
    for (const auto& d : Definitions()) {
      if (!common->InheritsFrom(d.FClass)) continue;
      TObject* editor = d.FEditor->Create<IPtr<IDesigner>>(designer);
      void* intf = nullptr;
      if (!editor->GetInterface(ISelectionEditor::IID, &intf)) {
        editor->Free();
        continue;
      }
      result->Add(IPtr<ISelectionEditor>::Adopt(static_cast<ISelectionEditor*>(intf)));
    }
  }
  return QueryIntf<ISelectionEditorList>(result);
}

IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer) {
  IPtr<IDesignerSelections> selections = CreateSelectionList();
  if (designer) designer->GetSelections(selections);
  return GetSelectionEditors(designer, selections);
}

IPtr<ISelectionEditorList> GetSelectionEditors(const IPtr<IDesigner>& designer,
                                               TComponent* component) {
  IPtr<IDesignerSelections> selections = CreateSelectionList();
  selections->Add(component);
  return GetSelectionEditors(designer, selections);
}

const std::vector<TSelectionEditorDefinition>& SelectionEditorDefinitions() {
  return Definitions();
}

void SelectionEditorsStartup() {
  RegisterSelectionEditorProc = &DoRegisterSelectionEditor;
  GetSelectionEditorsProc = &FromDesignerAndSelection;
  FreeSelectionEditorGroupProc = &FreeGroup;
}

void SelectionEditorsShutdown() {
  RegisterSelectionEditorProc = nullptr;
  GetSelectionEditorsProc = nullptr;
  FreeSelectionEditorGroupProc = nullptr;
  Definitions().clear();
}

} // namespace fw
