#include "host/hostservices.h"

#include "basert/classbuilder.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"

#include <algorithm>

namespace fw {

namespace {

// The services object of the innermost scope: the palette hook and the group withdrawal are
// plain procedures and find it here.
THostServices* gActive = nullptr;

void HostRegisterComponents(const String& page, std::span<const TClass> classes) {
  if (gActive) gActive->AddComponents(page, classes);
}

void HostGroupFreed(Integer group) {
  if (gActive) gActive->RemovePaletteGroup(group);
}

} // namespace

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

void THostServices::AddComponents(const String& page, std::span<const TClass> classes) {
  for (TClass cls : classes) {
    const bool present = std::any_of(FPalette.begin(), FPalette.end(), [&](const auto& e) {
      return e.Class == cls && SameText(e.Page, page);
    });
    if (!present) FPalette.push_back({page, cls, CurrentGroup});
  }
}

void THostServices::RemovePaletteGroup(Integer group) {
  std::erase_if(FPalette, [group](const TPaletteEntry& e) { return e.Group == group; });
}

THostServicesScope::THostServicesScope()
    : FServices(New<THostServices>()), FPrevious(MarrickIDEServices), FPreviousActive(gActive),
      FPreviousRegisterComponents(RegisterComponentsProc) {
  MarrickIDEServices = QueryIntf<IInterface>(FServices);
  gActive = FServices.get();
  RegisterComponentsProc = &HostRegisterComponents;
  NotifyGroupChange(&HostGroupFreed);
}

THostServicesScope::~THostServicesScope() {
  if (!FPreviousActive) UnnotifyGroupChange(&HostGroupFreed);
  RegisterComponentsProc = FPreviousRegisterComponents;
  gActive = FPreviousActive;
  MarrickIDEServices = FPrevious;
}

} // namespace fw
