// The custom module of data modules: roots that hold only non-visual components.
#pragma once

#include "designeditors/custommodules.h"

namespace fw {

/// Refuses what a data module cannot hold. Its host window is not made here: a data module is
/// designed without one.
class TDataModuleCustomModule : public TCustomModule {
  FW_CLASS(TDataModuleCustomModule)
public:
  using TCustomModule::TCustomModule;
  /// The base rule, then false for a class that inherits from one of the registered designers'
  /// invalid data-module classes (their frameworks' control base classes).
  bool ValidateComponentClass(TComponentClass componentClass) override;
};

} // namespace fw
