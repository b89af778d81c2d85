#include "componentdesigner/designpackage.h"

#include "componentdesigner/designerevents.h"
#include "componentdesigner/proxies.h"
#include "designeditors/compeditors.h"
#include "designeditors/editorregistry.h"
#include "designeditors/selectioneditors.h"
#include "designintf/designintf.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(DesignPackage, StartupFillsEveryHookAndShutdownEmptiesThemAll) {
  ASSERT_FALSE(DesignPackageRunning());
  DesignPackageStartup();
  DesignPackageStartup(); // a second call changes nothing
  EXPECT_NE(RegisterPropertyEditorProc, nullptr);
  EXPECT_NE(RegisterComponentEditorProc, nullptr);
  EXPECT_NE(RegisterSelectionEditorProc, nullptr);
  EXPECT_NE(RegisterComponentGuidelinesProc, nullptr);
  EXPECT_NE(RegisterDesignNotificationProc, nullptr);
  EXPECT_NE(UnregisterDesignNotificationProc, nullptr);
  EXPECT_NE(GetSelectionEditorsProc, nullptr);
  EXPECT_NE(RegisterPropertyInCategoryProc, nullptr);

  Integer group = NewEditorGroup();
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  EXPECT_EQ(ComponentEditorRecords().size(), 1u);

  DesignPackageShutdown();
  EXPECT_FALSE(DesignPackageRunning());
  EXPECT_EQ(RegisterPropertyEditorProc, nullptr);
  EXPECT_EQ(RegisterComponentEditorProc, nullptr);
  EXPECT_EQ(RegisterSelectionEditorProc, nullptr);
  EXPECT_EQ(RegisterComponentGuidelinesProc, nullptr);
  EXPECT_EQ(RegisterDesignNotificationProc, nullptr);
  EXPECT_EQ(GetSelectionEditorsProc, nullptr);
  EXPECT_EQ(RegisterPropertyInCategoryProc, nullptr);
  EXPECT_TRUE(ComponentEditorRecords().empty());
  // Late registrations are dropped without complaint.
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  RegisterSelectionEditor(TComponent::StaticClass(), TSelectionEditor::StaticClass());
  EXPECT_TRUE(ComponentEditorRecords().empty());
  EXPECT_TRUE(SelectionEditorDefinitions().empty());
  FreeEditorGroup(group);

  // The package can be started again.
  DesignPackageStartup();
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  EXPECT_EQ(ComponentEditorRecords().size(), 1u);
  DesignPackageShutdown();
}
