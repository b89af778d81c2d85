// Module roots with the engine's managers: an edit of an ancestor module reaches the open module
// that inherits from it.
#include "update/updatemanager.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostroot.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace fw;

namespace {

class RootUpdate : public ::testing::Test {
protected:
  void SetUp() override {
    DesignPackageStartup();
    UpdateManagerStartup();
    RegisterStandardControls();
    RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
    Env = New<THostDesignEnvironment>();
    Designer = New<THostComponentDesigner>(IPtr<IDesignEnvironment>(Env));
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->RegisterDesigner(IPtr<IComponentDesigner>(Designer));
  }
  void TearDown() override {
    Designer->CloseRoots();
    QueryIntf<IInternalComponentDesigners>(Designers().get())
        ->UnregisterDesigner(IPtr<IComponentDesigner>(Designer));
    UpdateManagerShutdown();
    DesignPackageShutdown();
    UnregisterStandardControls();
  }
  IPtr<THostComponentRoot> NewRoot(const String& name, const String& ancestor = {}) {
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit" + name, name, "TForm")),
        (std::filesystem::temp_directory_path() / (name + ".lyt")).string(), nullptr, name,
        ancestor);
  }
  IPtr<THostDesignEnvironment> Env;
  IPtr<THostComponentDesigner> Designer;
};

TEST_F(RootUpdate, AncestorEditsReachTheInheritingModule) {
  ASSERT_EQ(CreateRootUpdateManagerProc, &NewRootUpdateManager);
  auto base = NewRoot("Form1");
  auto derived = NewRoot("Form2", "Form1");
  auto manager = QueryIntf<IUpdateManager>(derived->GetUpdateManager());
  ASSERT_TRUE(manager);
  EXPECT_EQ(manager->GetAncestor(), base->GetRoot());

  auto* button = base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 8, 75, 25);
  SetStrProp(button, "Caption", "From the ancestor");
  base->Modified();
  TComponent* copy = derived->GetRoot()->FindComponent(button->Name());
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(GetStrProp(copy, "Caption"), "From the ancestor");

  SetStrProp(copy, "Caption", "Own");
  derived->Modified();
  SetStrProp(button, "Caption", "Changed");
  SetOrdProp(button, "Width", 120);
  base->Modified();
  EXPECT_EQ(GetStrProp(copy, "Caption"), "Own");
  EXPECT_EQ(GetOrdProp(copy, "Width"), 120);

  UpdateManagerShutdown();
  EXPECT_EQ(CreateRootUpdateManagerProc, nullptr);
}

} // namespace
