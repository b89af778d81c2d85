// Live roots opened under the host's start-up get a design window: a surface with a designer.
#include "host/hostsurface.h"

#include "componentdesigner/designers.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostpalette.h"
#include "host/hostroot.h"
#include "host/hoststartup.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

class HostSurface_ : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Env = New<THostDesignEnvironment>();
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env));
    Registry()->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
    Module = New<THostDesignerModule>("Unit1", "Form1", "TForm");
    Root = THostComponentRoot::Make(IPtr<IComponentDesigner>(Designer),
                                    IPtr<IDesignerModule>(Module), "Form1.lyt", nullptr, "Form1");
    Button = static_cast<TButton*>(
        Root->CreateComponent(TButton::StaticClass(), Root->GetRoot(), 0, 0, 0, 0));
    Button->SetBounds(16, 16, 75, 25);
    Root->ResetDiskAge();
  }
  void TearDown() override {
    Designer->CloseRoots();
    Registry()->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    UnregisterStandardControls();
  }
  static IPtr<IInternalComponentDesigners> Registry() {
    return QueryIntf<IInternalComponentDesigners>(Designers().get());
  }
  THostRootSurface* Window() { return THostRootSurface::Of(*Root); }

  THostStartupScope Host;
  IPtr<THostDesignEnvironment> Env;
  IPtr<THostComponentDesigner> Designer;
  IPtr<THostDesignerModule> Module;
  IPtr<THostComponentRoot> Root;
  TButton* Button = nullptr;
};

} // namespace

TEST_F(HostSurface_, DragOnTheDesignerMovesTheControlAndModifiesTheModuleOnce) {
  ASSERT_NE(Window(), nullptr);
  const IPtr<THostDesignSurface> surface = Window()->Surface();
  const Integer modifiedBefore = Module->ModifiedCount();
  surface->Drag({20, 20}, {{30, 26}, {36, 36}});
  EXPECT_EQ(Button->BoundsRect(), (TRect{32, 32, 107, 57})); // moved by 16 on the grid of 8
  EXPECT_EQ(Module->ModifiedCount(), modifiedBefore + 1);
  // The root's selection follows the designer's.
  IPtr<IDesignerSelections> selection = CreateSelectionList();
  Root->GetSelections(selection);
  ASSERT_EQ(selection->GetCount(), 1);
  EXPECT_EQ(selection->Get(0), Button);

  // And the designer's follows the root's, grab handles included.
  Root->ClearSelection();
  const IPtr<IItem> rootItem = surface->GetRoot();
  EXPECT_TRUE(Window()->Designer()->SelectedItem() == rootItem);
  EXPECT_TRUE(surface->GetGrabHandles()->GetItem() == rootItem);
  Root->SelectComponent(Button);

  // Deleting on the surface deletes through the root, which forgets the component.
  surface->KeyDown(dkDelete);
  EXPECT_EQ(Root->GetComponent("Button1"), nullptr);
  EXPECT_EQ(surface->GetItemsCount(), 0);
}

TEST_F(HostSurface_, ASelectedPaletteItemTurnsADragIntoACreation) {
  Root->SelectComponent(Button);
  Env->PaletteItem =
      IPtr<IInternalPaletteItem>(New<THostPaletteItem>("Standard", TButton::StaticClass(), 0));
  Window()->Surface()->Drag({20, 20}, {{60, 52}});
  EXPECT_EQ(Button->BoundsRect(), (TRect{16, 16, 91, 41})) << "not moved";
  auto* created = dynamic_cast<TButton*>(Root->GetComponent("Button2"));
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->BoundsRect(), (TRect{24, 24, 65, 57})); // the dragged box on the grid
  IPtr<IDesignerSelections> selection = CreateSelectionList();
  Root->GetSelections(selection);
  ASSERT_EQ(selection->GetCount(), 1);
  EXPECT_EQ(selection->Get(0), created);
  EXPECT_FALSE(Env->PaletteItemSelected()); // one creation per palette click
}

TEST_F(HostSurface_, DesignWindowFollowsOptionsLocksActivationAndWindows) {
  Env->Options.GridSizeX = 5;
  Env->Options.SnapToGrid = false;
  Env->Options.UseDesignerGuidelines = false;
  Env->Options.DisplayGrid = false;
  Designer->DesignerOptionsChanged();
  const IPtr<TDesigner> designer = Window()->Designer();
  EXPECT_EQ(designer->GetGridSize(), (TPoint{5, 8}));
  EXPECT_FALSE(designer->GetGridAligned() || designer->GetGuidelines());
  EXPECT_EQ(Window()->Surface()->Options().GridSize, (TPoint{5, 8}));
  EXPECT_FALSE(Window()->Surface()->Options().DisplayGrid);

  Root->SetActive(true);
  EXPECT_TRUE(Window()->Active());
  Designer->SetControlsLocked(true);
  Root->SetActive(true);
  EXPECT_FALSE(Window()->Active()); // locked controls keep the window inactive
  Window()->Surface()->Drag({20, 20}, {{40, 40}});
  EXPECT_EQ(Button->Left(), 16); // no moves while locked
  EXPECT_FALSE(Root->IsModified());

  Designer->HideWindows();
  EXPECT_FALSE(Window()->Visible());
  Designer->ShowWindows();
  EXPECT_TRUE(Window()->Visible());
}

TEST_F(HostSurface_, DormancyAndClosingLetTheDesignWindowGo) {
  IPtr<THostRootSurface> first(Window());
  IPtr<THostDesignSurface> surface = first->Surface();
  Root->GoDormant();
  EXPECT_TRUE(first->Closed());
  EXPECT_TRUE(surface->Closed);
  EXPECT_FALSE(surface->Listener());
  EXPECT_FALSE(Root->Surface());

  Root->Resurrect();
  IPtr<THostRootSurface> second(Window());
  ASSERT_TRUE(second && second != first);
  EXPECT_EQ(second->Surface()->GetItemsCount(), 1); // the woken module's components
  Root->Close();
  EXPECT_TRUE(second->Closed());
  EXPECT_FALSE(second->Designer() || second->Surface());
}

TEST_F(HostSurface_, LayoutCommandsSnapOnTheDesignersGridAndFlipItsSwitch) {
  const IPtr<TDesigner> designer = Window()->Designer();
  designer->SetGridSize({10, 10});
  designer->SetGridAligned(false);
  Button->SetBounds(13, 27, 75, 25);
  Root->SelectComponent(Button);
  Root->Command(dmAlignToGrid); // aligning asks for the grid even while snapping is off
  EXPECT_EQ(Button->BoundsRect(), (TRect{10, 30, 85, 55}));
  Root->Align(afSnapToGrid);
  EXPECT_TRUE(designer->GetGridAligned());
  Root->Align(afSnapToGrid);
  EXPECT_FALSE(designer->GetGridAligned());
}
