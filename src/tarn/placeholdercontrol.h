// The control flavour of placeholders: a windowed control that keeps a component of an
// unregistered class as its stream held it and can parent the controls read inside it.
#pragma once

#include "basert/placeholder.h"
#include "tarn/controls.h"

namespace fw {

class TPlaceholderControl : public TWinControl, public TPlaceholder {
  FW_CLASS(TPlaceholderControl)
public:
  explicit TPlaceholderControl(TComponent* owner);
  /// Written from the store; nothing of its own.
  void DefineProperties(TFiler*) override {}
  /// The stored children, then child controls (and, as the root, owned components) added since.
  void GetChildren(const TGetChildProc& proc, TComponent* root) override;
  /// An inline placeholder (a nested module) owns what it reads, as a frame does.
  TComponent* GetChildOwner() override;
  /// Takes the stored Align and Anchors for the layout (an unknown value is left alone); the
  /// store keeps the bounds as read while the parent lays the control out.
  void Loaded() override;

protected:
  /// Left, Top, Width and Height mirror the bounds as last set by hand, not as laid out.
  bool ApplyStoredInteger(std::string_view name, Int64 value) override;
  bool LiveInteger(std::string_view name, Int64& value) override;
};

/// Makes TPlaceholderControl the control flavour of placeholders (and undoes it).
void PlaceholderControlsStartup();
void PlaceholderControlsShutdown();

} // namespace fw
