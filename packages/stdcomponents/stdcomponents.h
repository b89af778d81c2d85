// The standard component package: a few non-visual components of its own, their design-time
// editors, and (when built with the GUI framework) the standard controls on the palette, all
// registered by Register.
#pragma once

#include "basert/component.h"
#include "designeditors/ordinaleditors.h"
#include "designeditors/valueeditors.h"

namespace stdcomponents {

using namespace fw;

/// A timer as the designer sees it: whether it runs, its interval in milliseconds and the
/// handler it calls. Running it is the program's business, not the designer's.
class TTicker : public TComponent {
  FW_CLASS(TTicker)
public:
  explicit TTicker(TComponent* owner) : TComponent(owner) {}
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
};

/// Names a settings file and section that a program reads its options from.
class TSettingsStore : public TComponent {
  FW_CLASS(TSettingsStore)
public:
  explicit TSettingsStore(TComponent* owner) : TComponent(owner) {}
  String FFileName;
  String FSection = "Settings";
  bool FAutoSave = false;
};

/// Interval: an integer editor that also offers the usual intervals as a list.
class TTickerIntervalProperty : public TIntegerProperty {
  FW_CLASS(TTickerIntervalProperty)
public:
  using TIntegerProperty::TIntegerProperty;
  TPropertyAttributes GetAttributes() override;
  void GetValues(const TGetStrProc& proc) override;
};

/// Section: a string editor that offers the sections of the store's settings file (of the
/// first selected store) as a list; a missing or unreadable file offers none.
class TSettingsSectionProperty : public TStringProperty {
  FW_CLASS(TSettingsSectionProperty)
public:
  using TStringProperty::TStringProperty;
  TPropertyAttributes GetAttributes() override;
  void GetValues(const TGetStrProc& proc) override;
};

} // namespace stdcomponents

/// The package's entry point, called by the host under a fresh package group.
extern "C" __attribute__((visibility("default"))) void Register();
