#include "componentdesigner/designpackage.h"

#include "componentdesigner/designerevents.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/proxies.h"
#include "designeditors/compeditors.h"
#include "designeditors/editorregistry.h"
#include "designeditors/guidelines.h"
#include "designeditors/propcategories.h"
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
  DesignPackageStartup(); // counted: a second start needs a second stop
  EXPECT_EQ(filled(), std::vector<bool>(8, true));

  Integer group = NewEditorGroup();
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  EXPECT_EQ(ComponentEditorRecords().size(), 1u);

  DesignPackageShutdown();
  EXPECT_TRUE(DesignPackageRunning());
  EXPECT_EQ(filled(), std::vector<bool>(8, true));
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

TEST(DesignPackage, EachUnitsShutdownEmptiesOnlyItsOwnHooks) {
  struct TUnitHooks {
    void (*Startup)();
    void (*Shutdown)();
    bool (*Filled)();
  };
  const TUnitHooks units[] = {
      {&DesignEditorsStartup, &DesignEditorsShutdown,
       [] { return RegisterPropertyEditorProc && RegisterPropertyMapperProc; }},
      {&ComponentEditorsStartup, &ComponentEditorsShutdown,
       [] { return RegisterComponentEditorProc && FreeComponentEditorGroupProc; }},
      {&SelectionEditorsStartup, &SelectionEditorsShutdown,
       [] { return RegisterSelectionEditorProc && GetSelectionEditorsProc; }},
      {&GuidelinesStartup, &GuidelinesShutdown,
       [] { return RegisterComponentGuidelinesProc && FreeComponentGuidelinesGroupProc; }},
      {&PropertyCategoriesStartup, &PropertyCategoriesShutdown,
       [] { return RegisterPropertyInCategoryProc != nullptr; }},
      {&DesignerEventsStartup, &DesignerEventsShutdown,
       [] { return EvRootActivatedEvent != nullptr; }},
      {&DesignNotificationsStartup, &DesignNotificationsShutdown,
       [] { return RegisterDesignNotificationProc && UnregisterDesignNotificationProc; }},
  };
  DesignPackageStartup();
  for (std::size_t shut = 0; shut < std::size(units); ++shut) {
    units[shut].Shutdown();
    for (std::size_t i = 0; i < std::size(units); ++i)
      EXPECT_EQ(units[i].Filled(), i != shut) << "unit " << i << " after shutting unit " << shut;
    units[shut].Startup();
  }
  DesignPackageShutdown();
}
