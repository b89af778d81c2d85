#include "frameworkeditors/editactions.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

/// An edit control reduced to its text, a selection at the end and one level of undo.
struct TLineEdit {
  String Text, Undone;
  Integer Selected = 0;
  bool CanUndo() const { return Undone != Text; }
  Integer SelLength() const { return Selected; }
  String GetText() const { return Text; }
  void Change(String text) {
    Undone = Text;
    Text = std::move(text);
    Selected = 0;
  }
  void Undo() { Change(Undone); }
  String Selection() const { return Text.substr(Text.size() - Selected); }
  String Rest() const { return Text.substr(0, Text.size() - Selected); }
  void CopyToClipboard() { Clipboard()->SetAsText(Selection()); }
  void CutToClipboard() {
    CopyToClipboard();
    ClearSelection();
  }
  void PasteFromClipboard() { Change(Rest() + Clipboard()->AsText()); }
  void ClearSelection() { Change(Rest()); }
  void SelectAll() { Selected = static_cast<Integer>(Text.size()); }
};

TEST(EditActions, ActionsReachTheEditAndStatesFollowIt) {
  Clipboard()->Clear();
  TLineEdit edit{.Text = "clRed", .Undone = "clRed"};
  EXPECT_EQ(GetEditStateFor(&edit), TEditStates{esCanSelectAll});
  EXPECT_TRUE(EditActionFor(&edit, eaSelectAll));
  EXPECT_EQ(GetEditStateFor(&edit), (TEditStates{esCanCut, esCanCopy, esCanDelete}));
  EXPECT_TRUE(EditActionFor(&edit, eaCut));
  EXPECT_EQ(edit.Text, "");
  EXPECT_EQ(GetEditStateFor(&edit), (TEditStates{esCanUndo, esCanPaste}));
  EXPECT_TRUE(EditActionFor(&edit, eaPaste));
  EXPECT_TRUE(EditActionFor(&edit, eaPaste));
  EXPECT_EQ(edit.Text, "clRedclRed");
  EXPECT_TRUE(EditActionFor(&edit, eaUndo));
  EXPECT_EQ(edit.Text, "clRed");
  edit.Selected = 2;
  EXPECT_TRUE(EditActionFor(&edit, eaDelete));
  EXPECT_EQ(edit.Text, "clR");
  EXPECT_FALSE(EditActionFor(&edit, eaRedo));
  EXPECT_FALSE(EditActionFor<TLineEdit>(nullptr, eaUndo));
  EXPECT_TRUE(GetEditStateFor<TLineEdit>(nullptr).Empty());
  Clipboard()->Clear();
}

} // namespace
