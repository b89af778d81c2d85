#include "host/hostroot.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
#include "host/hostmodules.h"
#include "support/hostsession.h"
#include "tarn/forms.h"
#include "tarn/standardcontrols.h"
#include "tarn/stdctrls.h"
#include "treeintf/rootsprig.h"
#include "treeintf/sprigs.h"
#include "update/updatemanager.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(HostRoot, PluggedStructureTreeComesAndGoesWithThePackage) {
  PlugStructureTree();
  DesignPackageStartup();
  EXPECT_EQ(FindBestSprigClass(TComponent::StaticClass()), TComponentSprig::StaticClass());
  EXPECT_EQ(FindBestRootSprigClass(TComponent::StaticClass()), TRootSprig::StaticClass());
  DesignPackageShutdown();
  StructureTreeUnit = {};
  EXPECT_EQ(FindBestSprigClass(TComponent::StaticClass()), nullptr);
}

namespace {

using HostRootWithUpdates = fwtest::HostSession;

} // namespace

TEST_F(HostRootWithUpdates, InheritedModuleReceivesTheAncestorsEdits) {
  auto base = NewRoot("Form1");
  auto* button = static_cast<TButton*>(
      base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 8, 75, 25));
  button->SetCaption("Before");
  base->Modified();
  auto derived = NewRoot("Form2", "Form1");
  auto* inherited = dynamic_cast<TButton*>(derived->GetComponent("Button1"));
  ASSERT_NE(inherited, nullptr);
  ASSERT_TRUE(derived->GetUpdateManager());
  EXPECT_TRUE(derived->GetUpdateManager()->GetIsDescendent());

  button->SetCaption("After");
  base->Modified();
  EXPECT_EQ(inherited->Caption(), "After");

  // A component added to the ancestor appears in the descendant.
  base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 40, 75, 25);
  EXPECT_NE(derived->GetComponent("Button2"), nullptr);

  // What the descendant changed itself stays.
  inherited->SetCaption("Own");
  derived->Modified();
  button->SetCaption("Later");
  base->Modified();
  EXPECT_EQ(inherited->Caption(), "Own");
}

TEST_F(HostRootWithUpdates, ComponentFreedInTheDescendantLeavesNoUpdateObjectBehind) {
  auto base = NewRoot("Form1");
  base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 8, 75, 25);
  auto* second = static_cast<TButton*>(
      base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 40, 75, 25));
  auto derived = NewRoot("Form2", "Form1");
  auto* manager = dynamic_cast<TUpdateManager*>(
      QueryIntf<IImplementation>(derived->GetUpdateManager().get())->GetInstance());
  ASSERT_NE(manager, nullptr);
  TComponent* inherited = derived->GetComponent("Button1");
  ASSERT_NE(manager->ComponentUpdate()->FindObject(inherited), nullptr);

  inherited->Free(); // the designer refuses to; a host or a package may still do it
  EXPECT_EQ(manager->ComponentUpdate()->FindObject(inherited), nullptr);
  // The ancestor's next edit reaches what is left without touching the freed component.
  second->SetCaption("After");
  base->Modified();
  EXPECT_EQ(static_cast<TButton*>(derived->GetComponent("Button2"))->Caption(), "After");
}

TEST_F(HostRootWithUpdates, ClosingTheAncestorModuleLeavesNoReferenceInItsDescendants) {
  auto services = IPtr<THostModuleServices>(New<THostModuleServices>());
  IPtr<THostModule> module = services->OpenModule("Unit1.pas", "Form1");
  auto base = NewRoot("Form1");
  base->ToolsModule = IPtr<IOTAModule>(module.get());
  base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 8, 75, 25);
  auto derived = NewRoot("Form2", "Form1");
  auto closedFirst = NewRoot("Form3", "Form1");
  EXPECT_EQ(module->NotifierCount(), 2);
  closedFirst->Close();
  EXPECT_EQ(module->NotifierCount(), 1);

  module->SetFileName("Unit9.pas");       // a rename changes nothing
  ASSERT_TRUE(module->Save(false, true)); // nor does saving: overwriting is allowed
  EXPECT_EQ(derived->AncestorRoot().get(), static_cast<IInternalRoot*>(base.get()));

  module->Close();
  EXPECT_EQ(module->NotifierCount(), 0);
  EXPECT_FALSE(derived->AncestorRoot());
  EXPECT_FALSE(derived->GetUpdateManager()->GetIsDescendent());
  // The ancestor root goes; the descendant keeps its components and sleeps and wakes alone.
  base->Close();
  derived->Modified();
  derived->GoDormant();
  derived->Resurrect();
  EXPECT_NE(derived->GetComponent("Button1"), nullptr);
}

TEST_F(HostRootWithUpdates, DescendantsFollowAnAncestorThatSleepsAndWakes) {
  auto base = NewRoot("Form1");
  base->CreateComponent(TButton::StaticClass(), base->GetRoot(), 8, 8, 75, 25);
  auto derived = NewRoot("Form2", "Form1");
  base->GoDormant();
  auto* inherited = static_cast<TButton*>(derived->GetComponent("Button1"));
  inherited->SetCaption("Own");
  derived->Modified();
  base->Resurrect();
  auto* button = static_cast<TButton*>(base->GetComponent("Button1"));
  button->SetCaption("Later");
  button->SetLeft(40);
  base->Modified();
  EXPECT_EQ(inherited->Caption(), "Own");
  EXPECT_EQ(inherited->Left(), 40);

  // Closed without a tools-API module to tell them, the ancestor still lets its descendants go.
  base->Close();
  EXPECT_FALSE(derived->AncestorRoot());
  derived->Modified();
}
