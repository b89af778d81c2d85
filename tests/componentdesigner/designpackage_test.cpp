#include "componentdesigner/designpackage.h"

#include "basert/classreg.h"
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/proxies.h"
#include "designeditors/compeditors.h"
#include "designeditors/custommodules.h"
#include "designeditors/editorregistry.h"
#include "designeditors/guidelines.h"
#include "designeditors/propcategories.h"
#include "designeditors/selectioneditors.h"
#include "designeditors/valueeditors.h"
#include "designintf/designintf.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

TEST(DesignPackage, StartupIsCountedAndTheLastShutdownEmptiesEveryGlobal) {
  auto filled = [] {
    return std::vector<bool>{
        RegisterPropertyEditorProc != nullptr,     RegisterComponentEditorProc != nullptr,
        RegisterSelectionEditorProc != nullptr,    RegisterComponentGuidelinesProc != nullptr,
        RegisterDesignNotificationProc != nullptr, UnregisterDesignNotificationProc != nullptr,
        GetSelectionEditorsProc != nullptr,        RegisterPropertyInCategoryProc != nullptr,
        RegisterCustomModuleProc != nullptr,       RegisterNoIconProc != nullptr,
        EvRootActivatedEvent != nullptr,           EvDesignerDeactivated != nullptr,
        DesignNotificationList() != nullptr,       Designers() != nullptr};
  };
  const std::vector<bool> all(14, true), none(14, false);
  ASSERT_FALSE(DesignPackageRunning());
  DesignPackageStartup();
  DesignPackageStartup(); // counted: a second start needs a second stop
  EXPECT_EQ(filled(), all);
  // The package's own editors are there from the start.
  PPropInfo name = GetPropInfo(TComponent::StaticClass()->TypeInfo, "Name");
  TComponent probe(nullptr);
  EXPECT_EQ(GetEditorClass(name, &probe), TComponentNameProperty::StaticClass());

  Integer group = NewEditorGroup();
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
  EXPECT_EQ(ComponentEditorRecords().size(), 1u);

  DesignPackageShutdown();
  EXPECT_TRUE(DesignPackageRunning());
  EXPECT_EQ(filled(), all);
  EXPECT_EQ(CustomModuleRegistrations().size(), 1u);
  DesignPackageShutdown();
  EXPECT_FALSE(DesignPackageRunning());
  EXPECT_EQ(filled(), none);
  EXPECT_FALSE(ActiveDesigner());
  EXPECT_FALSE(ActiveRoot());
  EXPECT_TRUE(ComponentEditorRecords().empty());
  EXPECT_TRUE(CustomModuleRegistrations().empty());
  // Late registrations are dropped without complaint.
  RegisterComponentEditor(TComponent::StaticClass(), TComponentEditor::StaticClass());
  RegisterSelectionEditor(TComponent::StaticClass(), TSelectionEditor::StaticClass());
  RegisterCustomModule(TForm::StaticClass(), TCustomModule::StaticClass());
  RegisterNoIcon({TButton::StaticClass()});
  EXPECT_TRUE(ComponentEditorRecords().empty());
  EXPECT_TRUE(SelectionEditorDefinitions().empty());
  EXPECT_TRUE(CustomModuleRegistrations().empty());
  FreeEditorGroup(group);
  DesignPackageShutdown(); // an unmatched stop is harmless
  EXPECT_FALSE(DesignPackageRunning());

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
