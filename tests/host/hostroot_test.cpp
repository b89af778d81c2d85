#include "host/hostroot.h"

#include "componentdesigner/designers.h"
#include "componentdesigner/designpackage.h"
#include "treeintf/rootsprig.h"
#include "treeintf/sprigs.h"

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
