// The standard component package: a few non-visual components of its own, their design-time
// editors, and (with the GUI framework) the standard controls, all registered by Register.
#pragma once

#include "basert/component.h"
#include "designeditors/ordinaleditors.h"

namespace stdcomponents {

using namespace fw;

/// A non-visual component that fires OnTimer every Interval milliseconds while Enabled; the
/// host's message loop drives it through Tick.
class TTicker : public TComponent {
  FW_CLASS(TTicker)
public:
  explicit TTicker(TComponent* owner) : TComponent(owner) {}
  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  /// Lets `elapsed` milliseconds pass; fires OnTimer once per whole interval, never while
  /// disabled or with a zero interval or while designed.
  void Tick(Cardinal elapsed);

private:
  Cardinal FPending = 0;
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

} // namespace stdcomponents

/// The package's entry point, called by the host under a fresh package group.
extern "C" __attribute__((visibility("default"))) void Register();
