#include "host/hostservices.h"

#include "basert/classbuilder.h"

namespace fw {

TClass THostServices::StaticClass() {
  static const TClass cls = TClassBuilder<THostServices, TInterfacedObject>("THostServices", "Host")
                                .Implements<INTAServices>()
                                .Build();
  return cls;
}

THostServices::THostServices() : FActions(New<TComponent>(nullptr)) {}

THostServices::~THostServices() { FActions->Free(); }

TComponent* THostServices::AddAction(const String& name) {
  auto* action = New<TComponent>(FActions);
  action->SetName(name);
  return action;
}

THostServicesScope::THostServicesScope()
    : FServices(New<THostServices>()), FPrevious(MarrickIDEServices) {
  MarrickIDEServices = QueryIntf<IInterface>(FServices);
}

THostServicesScope::~THostServicesScope() { MarrickIDEServices = FPrevious; }

} // namespace fw
