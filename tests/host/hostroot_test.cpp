#include "host/hostroot.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "designeditors/custommodules.h"
#include "host/designenvironment.h"
#include "host/designermodule.h"
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
