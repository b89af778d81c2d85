#include "frameworkeditors/frameworksprigs.h"

#include "basert/datamodule.h"
#include "componentdesigner/designedmodules.h"
#include "frameworkeditors/tarneditors.h"
#include "tarn/extctrls.h"
#include "tarn/imglist.h"
#include "tarn/stdctrls.h"
#include "treeintf/sprigtreeview.h"

#include <sstream>

using namespace fw;

namespace {

/// Designed modules with the structure tree running and the form's tree shown in a view.
class FrameworkSprigs : public fwtest::DesignedModules {
protected:
  void SetUp() override {
    DesignedModules::SetUp();
    TreeIntfStartup();
    TarnEditorsStartup();
    View.reset(New<TTreeView>(nullptr));
    Display = IPtr<TSprigTreeView>(New<TSprigTreeView>(View.get()));
  }
  void TearDown() override {
    Display->Show(nullptr);
    Display = nullptr;
    View.reset();
    Designer->CloseRoots();
    TarnEditorsShutdown();
    TreeIntfShutdown();
    DesignedModules::TearDown();
  }
  static TRootSprig* RootOf(THostComponentRoot& module) {
    TRootSprig* root = nullptr;
    RootSprigList().FindRoot(module.GetDesigner(), root);
    return root;
  }
  /// The shown nodes as the command line prints them: two blanks a level.
  std::string Shown() const {
    std::ostringstream out;
    for (TTreeNode* n = View->Items()->GetFirstNode(); n; n = n->GetNext())
      out << std::string(2 * static_cast<std::size_t>(n->Level()), ' ') << n->Text() << "\n";
    return out.str();
  }
  static void Select(THostComponentRoot& module, TPersistent* item) {
    IPtr<IDesignerSelections> list = CreateSelectionList();
    list->Add(item);
    module.SetSelections(list);
  }
  TOwned<TTreeView> View;
  IPtr<TSprigTreeView> Display;
};

// What the frame owns is the frame's, not the form's: it shows under the frame, in its own order,
// and follows every change the frame's module makes until the frame itself goes.
TEST_F(FrameworkSprigs, PlacedFrameShowsItsContentsAndFollowsItsModule) {
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TLabel::StaticClass(), nullptr, 8, 60);
  TComponent* panel = Add(*frame, TPanel::StaticClass());
  Add(*frame, TButton::StaticClass(), panel);
  Add(*frame, TImageList::StaticClass());
  frame->Modified();

  auto form = NewRoot("Form1");
  Add(*form, TButton::StaticClass());
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType(), nullptr, 8, 100);
  ASSERT_TRUE(placed && form->IsFrame(placed));
  Add(*form, TEdit::StaticClass(), nullptr, 8, 300);
  TRootSprig* root = RootOf(*form);
  ASSERT_NE(root, nullptr);
  Display->Show(root);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Button1\n"
                     "  Frame11\n"
                     "    Label1\n"
                     "    Panel1\n"
                     "      Button1\n"
                     "    ImageList1\n"
                     "  Edit1\n");
  TSprig* frameSprig = root->Find(placed);
  ASSERT_NE(frameSprig, nullptr);
  EXPECT_TRUE(frameSprig->Is<TFrameSprig>());
  EXPECT_EQ(root->Find(placed->FindComponent("Label1"))->Owner(), frameSprig);

  // The module gains a check box in its panel, and renames its label.
  Add(*frame, TCheckBox::StaticClass(), panel, 8, 40);
  frame->Modified();
  ASSERT_TRUE(frame->RenameComponent("Label1", "Title"));
  frame->Modified();
  ASSERT_NE(placed->FindComponent("Title"), nullptr);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Button1\n"
                     "  Frame11\n"
                     "    Title\n"
                     "    Panel1\n"
                     "      Button1\n"
                     "      CheckBox1\n"
                     "    ImageList1\n"
                     "  Edit1\n");

  // The module deletes its panel: the placed copy goes with everything on it.
  Select(*frame, panel);
  frame->DeleteSelection(false);
  ASSERT_EQ(frame->GetRoot()->FindComponent("Panel1"), nullptr);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Button1\n"
                     "  Frame11\n"
                     "    Title\n"
                     "    ImageList1\n"
                     "  Edit1\n");
  EXPECT_EQ(root->IndexCount(), 5u);

  // Deleting the placed frame leaves no sprig of it or of what it held.
  Select(*form, placed);
  form->DeleteSelection(false);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Button1\n"
                     "  Edit1\n");
  EXPECT_EQ(root->IndexCount(), 2u);
}

// A frame placed on a frame that is placed on the form: each frame shows what it holds.
TEST_F(FrameworkSprigs, FramesNestInsideFramesAndGoTogether) {
  auto inner = NewRoot("Frame1", "Frame");
  Add(*inner, TEdit::StaticClass());
  inner->Modified();
  auto outer = NewRoot("Frame2", "Frame");
  Add(*outer, TLabel::StaticClass());
  Add(*outer, inner->GetRoot()->ClassType(), nullptr, 8, 40);
  outer->Modified();
  auto form = NewRoot("Form1");
  TRootSprig* root = RootOf(*form);
  ASSERT_NE(root, nullptr);
  Display->Show(root);
  // Placed while the tree is shown: only the insert notifications bring the contents.
  TComponent* placed = Add(*form, outer->GetRoot()->ClassType());
  ASSERT_NE(placed, nullptr);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Frame21\n"
                     "    Label1\n"
                     "    Frame11\n"
                     "      Edit1\n");
  Select(*form, placed);
  form->DeleteSelection(false);
  EXPECT_EQ(Shown(), "Form1\n");
  EXPECT_EQ(root->IndexCount(), 0u);
}

// A designer that announces only what it adds or removes itself: a component the frame gains
// shows at once, and what the frame owned is forgotten with it, not kept to be shown again.
TEST_F(FrameworkSprigs, AnnouncedFrameContentsShowAtOnceAndGoWithTheFrame) {
  auto form = NewRoot("Form1");
  TRootSprig* root = RootOf(*form);
  ASSERT_NE(root, nullptr);
  Display->Show(root);
  const IPtr<IDesigner> designer = form->GetDesigner();
  auto* frame = New<TFrame>(form->GetRoot());
  frame->SetName("Bare");
  frame->SetParent(static_cast<TWinControl*>(form->GetRoot()));
  frame->SetDesigning(true);
  RootSprigList().ItemInserted(designer, frame);
  auto* button = New<TButton>(frame);
  button->SetName("Inner");
  button->SetParent(frame);
  button->SetDesigning(true);
  RootSprigList().ItemInserted(designer, button);
  EXPECT_EQ(Shown(), "Form1\n"
                     "  Bare\n"
                     "    Inner\n");
  Display->Show(nullptr); // nothing refreshes between the announcement and the free
  RootSprigList().ItemDeleted(designer, frame);
  frame->Free();
  Display->Show(root);
  EXPECT_EQ(Shown(), "Form1\n");
  EXPECT_EQ(root->IndexCount(), 0u);
}

// Inherited controls keep their parent: moved, they would be saved as new components of the same
// name. What the form itself put into a placed frame moves between the frame's containers (and
// stays there when saved), but never out of the frame, whose copy is all that is saved of it.
TEST_F(FrameworkSprigs, OnlyControlsTheModuleMadeMoveAndPlacedFramesKeepWhatTheyHold) {
  auto frame = NewRoot("Frame1", "Frame");
  static_cast<TControl*>(Add(*frame, TPanel::StaticClass()))->SetBounds(8, 8, 150, 100);
  Add(*frame, TButton::StaticClass(), nullptr, 8, 150);
  frame->Modified();
  auto form = NewRoot("Form1");
  TComponent* formPanel = Add(*form, TPanel::StaticClass(), nullptr, 300, 8);
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType());
  static_cast<TControl*>(placed)->SetBounds(8, 8, 280, 200);
  TComponent* mine = Add(*form, TEdit::StaticClass(), placed, 200, 8);
  ASSERT_EQ(mine->Owner(), placed);
  auto* inheritedPanel = static_cast<TWinControl*>(placed->FindComponent("Panel1"));
  ASSERT_NE(inheritedPanel, nullptr);
  TRootSprig* root = RootOf(*form);
  ASSERT_NE(root, nullptr);
  root->Repopulate();
  TSprig* mineSprig = root->Find(mine);
  TSprig* panelSprig = root->Find(inheritedPanel);
  TSprig* inheritedButton = root->Find(placed->FindComponent("Button1"));
  ASSERT_TRUE(mineSprig && panelSprig && inheritedButton);

  EXPECT_FALSE(panelSprig->DragOver(inheritedButton));
  EXPECT_FALSE(panelSprig->DragDrop(inheritedButton));
  EXPECT_TRUE(root->Find(formPanel)->DragOver(root->Find(placed))); // the frame is the form's
  EXPECT_FALSE(root->Find(formPanel)->DragOver(mineSprig));
  EXPECT_FALSE(root->DragOver(mineSprig));
  ASSERT_TRUE(panelSprig->DragOver(mineSprig));
  ASSERT_TRUE(panelSprig->DragDrop(mineSprig));
  EXPECT_EQ(static_cast<TControl*>(mine)->Parent(), inheritedPanel);
  EXPECT_EQ(mineSprig->Parent(), panelSprig);
  EXPECT_EQ(static_cast<TControl*>(mine)->Left(), inheritedPanel->ClientWidth() - 75);

  TMemoryStream saved;
  form->WriteRootStream(saved);
  form->Close();
  form = nullptr;
  saved.SetPosition(0);
  auto reopened = THostComponentRoot::Make(
      IPtr<IComponentDesigner>(Designer),
      IPtr<IDesignerModule>(New<THostDesignerModule>("UnitForm1", "Form1", "TForm")), "Form1.lyt",
      &saved, "Form1");
  TComponent* again = reopened->GetComponent("Frame11");
  ASSERT_NE(again, nullptr);
  auto* edit = dynamic_cast<TControl*>(again->FindComponent("Edit1"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Parent(), again->FindComponent("Panel1"));

  // The same in a module inheriting from another: its own controls move, inherited ones stay.
  auto base = NewRoot("Base");
  static_cast<TControl*>(Add(*base, TPanel::StaticClass()))->SetBounds(8, 8, 150, 100);
  Add(*base, TButton::StaticClass(), nullptr, 8, 150);
  base->Modified();
  auto heir = NewRoot("Heir", "Base");
  TComponent* own = Add(*heir, TButton::StaticClass(), nullptr, 200, 150);
  TRootSprig* heirRoot = RootOf(*heir);
  ASSERT_NE(heirRoot, nullptr);
  heirRoot->Repopulate();
  TSprig* basePanel = heirRoot->Find(heir->GetComponent("Panel1"));
  TSprig* baseButton = heirRoot->Find(heir->GetComponent("Button1"));
  ASSERT_TRUE(basePanel && baseButton);
  EXPECT_FALSE(basePanel->DragOver(baseButton));
  EXPECT_FALSE(basePanel->DragDrop(baseButton));
  EXPECT_EQ(static_cast<TControl*>(heir->GetComponent("Button1"))->Parent(), heir->GetRoot());
  EXPECT_TRUE(basePanel->DragDrop(heirRoot->Find(own)));
  EXPECT_EQ(static_cast<TControl*>(own)->Parent(), heir->GetComponent("Panel1"));
}

// Controls go by drag only onto windowed controls that take children, and stay inside them.
TEST_F(FrameworkSprigs, ControlsDragOntoWindowedControlsThatTakeThem) {
  auto form = NewRoot("Form1");
  auto* panel = static_cast<TPanel*>(Add(*form, TPanel::StaticClass(), nullptr, 8, 8));
  panel->SetBounds(8, 8, 100, 50);
  auto* closed = static_cast<TPanel*>(Add(*form, TPanel::StaticClass(), nullptr, 8, 100));
  closed->SetControlStyle(closed->ControlStyle() - controlAcceptsControls);
  auto* button = static_cast<TButton*>(Add(*form, TButton::StaticClass(), nullptr, 300, 200));
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TButton::StaticClass());
  Add(*frame, TPanel::StaticClass(), nullptr, 8, 40);
  frame->Modified();
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType(), nullptr, 200, 8);
  TRootSprig* root = RootOf(*form);
  ASSERT_NE(root, nullptr);
  root->Repopulate();
  TSprig* buttonSprig = root->Find(button);
  TSprig* panelSprig = root->Find(panel);
  TSprig* closedSprig = root->Find(closed);
  ASSERT_TRUE(buttonSprig && panelSprig && closedSprig);
  EXPECT_TRUE(buttonSprig->Is<TControlSprig>());
  EXPECT_EQ(panelSprig->GetImageIndex(), CUIControlImageIndex[true]);
  EXPECT_EQ(closedSprig->GetImageIndex(), CUIControlImageIndex[false]);

  EXPECT_FALSE(closedSprig->DragOver(buttonSprig));
  EXPECT_FALSE(closedSprig->DragDrop(buttonSprig));
  EXPECT_EQ(button->Parent(), form->GetRoot());
  // What a placed frame holds stays in it.
  TSprig* inFrame = root->Find(placed->FindComponent("Button1"));
  ASSERT_NE(inFrame, nullptr);
  EXPECT_FALSE(panelSprig->DragOver(inFrame));
  EXPECT_FALSE(root->DragOver(inFrame));
  TSprig* framePanel = root->Find(placed->FindComponent("Panel1"));
  ASSERT_NE(framePanel, nullptr);
  EXPECT_FALSE(framePanel->DragOver(inFrame));
  EXPECT_FALSE(framePanel->DragDrop(inFrame));

  ASSERT_TRUE(panelSprig->DragOver(buttonSprig));
  ASSERT_TRUE(panelSprig->DragDrop(buttonSprig));
  EXPECT_EQ(button->Parent(), panel);
  EXPECT_EQ(button->BoundsRect(), (TRect{panel->ClientWidth() - 75, panel->ClientHeight() - 25,
                                         panel->ClientWidth(), panel->ClientHeight()}));
  EXPECT_EQ(buttonSprig->Parent(), panelSprig);
  EXPECT_FALSE(panelSprig->DragDrop(buttonSprig)); // already there
  ASSERT_TRUE(root->DragDrop(buttonSprig));
  EXPECT_EQ(button->Parent(), form->GetRoot());
  EXPECT_EQ(buttonSprig->Parent(), root);

  // A data module's tree takes no controls, from the palette or otherwise.
  TOwned<TDataModule> module(New<TDataModule>(nullptr));
  TOwned<TSprig> moduleRoot(CreateSprig(TDataModuleRootSprig::StaticClass(), module.get()));
  auto* dataRoot = static_cast<TDataModuleRootSprig*>(moduleRoot.get());
  EXPECT_FALSE(dataRoot->AcceptsClass(TButton::StaticClass()));
  EXPECT_TRUE(dataRoot->AcceptsClass(TImageList::StaticClass()));
  EXPECT_FALSE(dataRoot->PaletteOver(TControlSprig::StaticClass(), TButton::StaticClass()));
  EXPECT_TRUE(dataRoot->PaletteOver(TComponentSprig::StaticClass(), TImageList::StaticClass()));
}

} // namespace
