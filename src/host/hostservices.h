// The host's services object behind MarrickIDEServices, headless: the IDE's action list as a set
// of named action components.
#pragma once

#include "basert/component.h"
#include "basert/object.h"
#include "toolsapi/toolsapi.h"

namespace fw {

class THostServices : public TInterfacedObject, public INTAServices {
  FW_CLASS(THostServices)
public:
  THostServices();
  ~THostServices() override;
  /// Adds a named action (a plain component owned by the services object) and returns it.
  TComponent* AddAction(const String& name);
  Integer ActionCount() override { return FActions->ComponentCount(); }
  TComponent* Action(Integer index) override { return FActions->Components(index); }

private:
  TComponent* FActions;
};

/// Installs a services object as MarrickIDEServices for the lifetime of this guard.
class THostServicesScope {
public:
  THostServicesScope();
  ~THostServicesScope();
  THostServices& Services() { return *FServices; }

private:
  IPtr<THostServices> FServices;
  IPtr<IInterface> FPrevious;
};

} // namespace fw
