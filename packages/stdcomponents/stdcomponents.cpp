#include "stdcomponents.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/inifiles.h"
#include "basert/strings.h"
#include "basert/sysutils.h"
#include "designintf/designintf.h"

#if STDCOMPONENTS_WITH_TARN
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/mainmenu.h"
#include "tarn/stdctrls.h"
#endif

#include <array>

namespace stdcomponents {

namespace {
constexpr const char* SystemPage = "System";
constexpr const char* StandardPage = "Standard";
constexpr const char* AdditionalPage = "Additional";
constexpr const char* TimingCategory = "Timing";
constexpr const char* SettingsCategory = "Settings";
constexpr std::array<Cardinal, 5> CommonIntervals = {100, 250, 500, 1000, 5000};
} // namespace

TClass TTicker::StaticClass() {
  static const TClass cls = TClassBuilder<TTicker, TComponent>("TTicker", "StdComponents")
                                .Property("Enabled", &TTicker::FEnabled, &TTicker::FEnabled)
                                .Default(1)
                                .Property("Interval", &TTicker::FInterval, &TTicker::FInterval)
                                .Default(1000)
                                .Property("OnTimer", &TTicker::FOnTimer, &TTicker::FOnTimer)
                                .Build();
  return cls;
}

TClass TSettingsStore::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSettingsStore, TComponent>("TSettingsStore", "StdComponents")
          .Property("AutoSave", &TSettingsStore::FAutoSave, &TSettingsStore::FAutoSave)
          .Default(0)
          .Property("FileName", &TSettingsStore::FFileName, &TSettingsStore::FFileName)
          .Property("Section", &TSettingsStore::FSection, &TSettingsStore::FSection)
          .Build();
  return cls;
}

TClass TTickerIntervalProperty::StaticClass() {
  static const TClass cls = TClassBuilder<TTickerIntervalProperty, TIntegerProperty>(
                                "TTickerIntervalProperty", "StdComponentsReg")
                                .Build();
  return cls;
}

TPropertyAttributes TTickerIntervalProperty::GetAttributes() {
  TPropertyAttributes attributes = TIntegerProperty::GetAttributes();
  attributes.Include(paValueList);
  return attributes;
}

void TTickerIntervalProperty::GetValues(const TGetStrProc& proc) {
  for (Cardinal interval : CommonIntervals)
    proc(IntToStr(interval));
}

TClass TSettingsSectionProperty::StaticClass() {
  static const TClass cls = TClassBuilder<TSettingsSectionProperty, TStringProperty>(
                                "TSettingsSectionProperty", "StdComponentsReg")
                                .Build();
  return cls;
}

TPropertyAttributes TSettingsSectionProperty::GetAttributes() {
  TPropertyAttributes attributes = TStringProperty::GetAttributes();
  attributes.Include(paValueList);
  attributes.Include(paSortList);
  return attributes;
}

void TSettingsSectionProperty::GetValues(const TGetStrProc& proc) {
  auto* store = dynamic_cast<TSettingsStore*>(GetComponent(0));
  if (!store || store->FFileName.empty()) return;
  TStringList sections;
  try {
    TMemIniFile ini(store->FFileName);
    ini.ReadSections(sections);
  } catch (const EIniFileException&) {
    return; // an unreadable file has no sections to offer
  }
  for (Integer i = 0; i < sections.Count(); ++i)
    proc(sections.Get(i));
}

} // namespace stdcomponents

void Register() {
  using namespace stdcomponents;
#if STDCOMPONENTS_WITH_TARN
  RegisterComponents(StandardPage,
                     {TMainMenu::StaticClass(), TPopupMenu::StaticClass(), TLabel::StaticClass(),
                      TEdit::StaticClass(), TMemo::StaticClass(), TButton::StaticClass(),
                      TCheckBox::StaticClass(), TListBox::StaticClass(), TPanel::StaticClass()});
  RegisterComponents(AdditionalPage, {TImage::StaticClass(), TScrollBox::StaticClass()});
  // Not on the palette, but streamed inside forms: menu items, and frames placed on forms.
  RegisterClasses({TMenuItem::StaticClass(), TForm::StaticClass(), TFrame::StaticClass()});
#endif
  RegisterComponents(SystemPage, {TTicker::StaticClass(), TSettingsStore::StaticClass()});
  RegisterPropertyEditor(TypeInfoOf(std::type_identity<Cardinal>{}), TTicker::StaticClass(),
                         "Interval", TTickerIntervalProperty::StaticClass());
  RegisterPropertyEditor(TypeInfoOf(std::type_identity<String>{}), TSettingsStore::StaticClass(),
                         "Section", TSettingsSectionProperty::StaticClass());
  RegisterPropertiesInCategory(TimingCategory, TTicker::StaticClass(),
                               {String("Enabled"), String("Interval"), String("OnTimer")});
  RegisterPropertiesInCategory(SettingsCategory, TSettingsStore::StaticClass(),
                               {String("AutoSave"), String("FileName"), String("Section")});
}
