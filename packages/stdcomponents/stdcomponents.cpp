#include "stdcomponents.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/sysutils.h"
#include "designintf/designintf.h"

#include <array>

namespace stdcomponents {

namespace {
constexpr const char* SystemPage = "System";
constexpr const char* TimingCategory = "Timing";
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

void TTicker::Tick(Cardinal elapsed) {
  if (!FEnabled || FInterval == 0 || ComponentState().Contains(stateDesigning)) return;
  FPending += elapsed;
  while (FPending >= FInterval) {
    FPending -= FInterval;
    FOnTimer(this);
  }
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

} // namespace stdcomponents

void Register() {
  using namespace stdcomponents;
  RegisterComponents(SystemPage, {TTicker::StaticClass(), TSettingsStore::StaticClass()});
  RegisterPropertyEditor(TypeInfoOf(std::type_identity<Cardinal>{}), TTicker::StaticClass(),
                         "Interval", TTickerIntervalProperty::StaticClass());
  RegisterPropertiesInCategory(TimingCategory, TTicker::StaticClass(),
                               {String("Enabled"), String("Interval"), String("OnTimer")});
}
