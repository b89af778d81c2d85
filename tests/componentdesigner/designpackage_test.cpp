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
  auto filled = [] {
    return std::vector<bool>{
        RegisterPropertyEditorProc != nullptr,     RegisterComponentEditorProc != nullptr,
        RegisterSelectionEditorProc != nullptr,    RegisterComponentGuidelinesProc != nullptr,
        RegisterDesignNotificationProc != nullptr, UnregisterDesignNotificationProc != nullptr,
        GetSelectionEditorsProc != nullptr,        RegisterPropertyInCategoryProc != nullptr};
  };
  ASSERT_FALSE(DesignPackageRunning());
  DesignPackageStartup();
  DesignPackageStartup(); // a second call changes nothing
  EXPECT_EQ(filled(), std::vector<bool>(8, true));

  Integer group = NewEditorGroup();
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  EXPECT_EQ(ComponentEditorRecords().size(), 1u);

  DesignPackageShutdown();
  EXPECT_FALSE(DesignPackageRunning());
  EXPECT_EQ(filled(), std::vector<bool>(8, false));
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
