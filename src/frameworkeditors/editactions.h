// The IDE's edit actions (undo, cut, copy, paste, delete, select all) applied to a one-line
// edit control, such as the inspector's in-place editor, and the actions its state allows.
#pragma once

#include "designintf/designintf.h"
#include "tarn/clipbrd.h"

#include <concepts>

namespace fw {

/// What an edit control must offer to take the IDE's edit actions.
template <class E>
concept TEditActionTarget = requires(E& e, const E& ce) {
  { ce.CanUndo() } -> std::convertible_to<bool>;
  { ce.SelLength() } -> std::convertible_to<Integer>;
  { ce.GetText() } -> std::convertible_to<String>;
  e.Undo();
  e.CutToClipboard();
  e.CopyToClipboard();
  e.PasteFromClipboard();
  e.ClearSelection();
  e.SelectAll();
};

/// Carries out `action` on `edit`: undo, cut, copy, paste, clear the selection or select all.
/// False (nothing done) for a null edit and for the actions an edit has no counterpart of.
template <TEditActionTarget E> bool EditActionFor(E* edit, TEditAction action) {
  if (!edit) return false;
  switch (action) {
  case eaUndo:
    edit->Undo();
    return true;
  case eaCut:
    edit->CutToClipboard();
    return true;
  case eaCopy:
    edit->CopyToClipboard();
    return true;
  case eaPaste:
    edit->PasteFromClipboard();
    return true;
  case eaDelete:
    edit->ClearSelection();
    return true;
  case eaSelectAll:
    edit->SelectAll();
    return true;
  case eaRedo:
  case eaPrint:
  case eaElide:
    return false;
  }
  return false;
}

/// Undo when the edit can undo; cut, copy and delete with a selection; paste when the
/// clipboard holds text; select all unless everything is selected. None for a null edit.
template <TEditActionTarget E> TEditStates GetEditStateFor(const E* edit) {
  TEditStates states;
  if (!edit) return states;
  if (edit->CanUndo()) states.Include(esCanUndo);
  const Integer selected = edit->SelLength();
  if (selected > 0) states += TEditStates{esCanCut, esCanCopy, esCanDelete};
  if (Clipboard()->HasFormat(CF_TEXT)) states.Include(esCanPaste);
  if (selected < static_cast<Integer>(edit->GetText().size())) states.Include(esCanSelectAll);
  return states;
}

} // namespace fw
