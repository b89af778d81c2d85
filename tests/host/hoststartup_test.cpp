// The host's start-up order: the structure tree runs on top of the design package, and both go
// again in reverse.
#include "host/hoststartup.h"

#include "componentdesigner/designnotification.h"
#include "componentdesigner/designpackage.h"
#include "componentdesigner/updateintf.h"
#include "designeditors/editorregistry.h"
#include "designeditors/valueeditors.h"
#include "support/testdesigner.h"
#include "tarn/actions.h"
#include "treeintf/rootsprig.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace fw;

namespace {

/// Opens a designer on a fresh root; answers whether the structure tree gave it a root sprig.
bool OpenedDesignerGetsARootSprig() {
  TOwned<TComponent> form(New<TComponent>(nullptr));
  fwtest::TTestDesigner* designer;
  IPtr<IDesigner> keep = fwtest::MakeTestDesigner(designer);
  designer->Root = form.get();
  DesignNotificationDesignerOpened(keep, false);
  TRootSprig* root = nullptr;
  const bool found = RootSprigList().FindRoot(keep, root);
  DesignNotificationDesignerClosed(keep, false);
  return found;
}

/// How many registrations the package's own editor for component names has.
std::size_t NameEditorRegistrations() {
  const auto records = PropertyEditorRegistry().Records();
  return std::count_if(records.begin(), records.end(), [](const TPropertyClassRec* r) {
    return r->EditorClass == TComponentNameProperty::StaticClass();
  });
}

TEST(HostStartup, TheTreeRunsOnTopOfTheDesignPackageAndGoesFirst) {
  ASSERT_FALSE(HostStarted());
  HostStartup();
  EXPECT_TRUE(HostStarted());
  EXPECT_TRUE(DesignPackageRunning());
  EXPECT_EQ(FindBestSprigClass(TComponent::StaticClass()), TComponentSprig::StaticClass());
  EXPECT_NE(GSprigClipboardFormat, 0u);
  EXPECT_NE(RegisterActionsProc, nullptr) << "packages can register actions";
  EXPECT_NE(CreateUpdateManagerProc, nullptr) << "inherited roots follow their ancestors";
  EXPECT_TRUE(OpenedDesignerGetsARootSprig());
  EXPECT_EQ(NameEditorRegistrations(), 1u);

  // Started twice, or the tree's start-up reached again from elsewhere: still one listener.
  const Integer listeners = DesignNotificationList()->Count();
  HostStartup();
  TreeIntfStartup();
  EXPECT_EQ(DesignNotificationList()->Count(), listeners);

  HostShutdown();
  EXPECT_FALSE(HostStarted());
  EXPECT_FALSE(DesignPackageRunning());
  EXPECT_FALSE(TreeIntfRunning());
  EXPECT_EQ(DesignNotificationList(), nullptr);
  EXPECT_EQ(FindBestSprigClass(TComponent::StaticClass()), nullptr);
  EXPECT_EQ(GSprigClipboardFormat, 0u);
  EXPECT_EQ(RegisterActionsProc, nullptr);
  EXPECT_EQ(CreateUpdateManagerProc, nullptr);
  EXPECT_FALSE(OpenedDesignerGetsARootSprig()) << "nobody listens after shut-down";
  EXPECT_EQ(NameEditorRegistrations(), 0u) << "the package's own editors are withdrawn";
  HostShutdown(); // not started: nothing happens

  // And again from the start.
  {
    THostStartupScope scope;
    EXPECT_TRUE(OpenedDesignerGetsARootSprig());
    EXPECT_EQ(NameEditorRegistrations(), 1u);
    {
      THostStartupScope nested;
      EXPECT_TRUE(HostStarted());
    }
    EXPECT_TRUE(HostStarted()) << "only the scope that started it shuts it down";
  }
  EXPECT_FALSE(HostStarted());
}

TEST(HostStartup, APackageStartedBeforeGetsTheTreeAndKeepsRunningWithoutIt) {
  DesignPackageStartup(); // another holder, before the host
  EXPECT_FALSE(TreeIntfRunning());
  HostStartup();
  EXPECT_TRUE(TreeIntfRunning());
  EXPECT_TRUE(OpenedDesignerGetsARootSprig());
  HostShutdown();
  EXPECT_FALSE(TreeIntfRunning());
  EXPECT_TRUE(DesignPackageRunning());
  EXPECT_FALSE(OpenedDesignerGetsARootSprig());
  DesignPackageShutdown();
  EXPECT_FALSE(DesignPackageRunning());
}

} // namespace
