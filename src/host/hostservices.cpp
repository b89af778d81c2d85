#include "host/hostservices.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/sysutils.h"
#include "designeditors/editorregistry.h"

#include <algorithm>
#include <array>

namespace fw {

namespace {

// The services object of the innermost scope: the palette hook and the group withdrawal are
// plain procedures and find it here.
THostServices* gActive = nullptr;

void HostRegisterComponents(const String& page, std::span<const TClass> classes) {
  if (gActive) gActive->Palette().AddComponents(page, classes);
}

void HostGroupFreed(Integer group) {
  if (gActive) gActive->Palette().RemoveGroup(group);
}

} // namespace

// ---- Small services ----------------------------------------------------------------------------

TClass THostEnvironmentOptions::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostEnvironmentOptions, TInterfacedObject>("THostEnvironmentOptions", "Host")
          .Implements<IOTAEnvironmentOptions>()
          .Build();
  return cls;
}

THostEnvironmentOptions::THostEnvironmentOptions() {
  FValues["InternalEmbeddedDesigner"] = Variant(false);
}

Variant THostEnvironmentOptions::GetOptionValue(const String& name) {
  auto it = FValues.find(name);
  return it == FValues.end() ? Variant() : it->second;
}

void THostEnvironmentOptions::SetOptionValue(const String& name, const Variant& value) {
  FValues[name] = value;
}

TClass THostActionServices::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostActionServices, TInterfacedObject>("THostActionServices", "Host")
          .Implements<IOTAActionServices>()
          .Build();
  return cls;
}

bool THostActionServices::Record(const char* what, const String& fileName) {
  FCalls.push_back(String(what) + " " + fileName);
  return Answer;
}

TClass THostPersonalityServices::StaticClass() {
  static const TClass cls =
      TClassBuilder<THostPersonalityServices, TInterfacedObject>("THostPersonalityServices", "Host")
          .Implements<IOTAPersonalityServices>()
          .Build();
  return cls;
}

String THostPersonalityServices::GetPersonality(Integer index) {
  if (index < 0 || index >= GetPersonalityCount()) throw EListError(Format(sListIndexError, index));
  return Personalities[static_cast<std::size_t>(index)];
}

bool THostPersonalityServices::PersonalityExists(const String& personality) {
  return std::any_of(Personalities.begin(), Personalities.end(),
                     [&](const String& p) { return SameText(p, personality); });
}

// ---- THostServices -----------------------------------------------------------------------------

TClass THostServices::StaticClass() {
  static const TClass cls = TClassBuilder<THostServices, TInterfacedObject>("THostServices", "Host")
                                .Implements<INTAServices, IOTAServices>()
                                .Build();
  return cls;
}

THostServices::THostServices()
    : FActions(New<TComponent>(nullptr)), FOptions(New<THostEnvironmentOptions>()),
      FModules(New<THostModuleServices>()), FStructureView(New<THostStructureView>()),
      FActionServices(New<THostActionServices>()), FPersonalities(New<THostPersonalityServices>()),
      FPalette(New<THostPalette>()) {}

THostServices::~THostServices() { FActions->Free(); }

HResult THostServices::QueryInterface(const TGUID& iid, void** obj) {
  if (std::find(FWithheld.begin(), FWithheld.end(), iid) != FWithheld.end()) {
    *obj = nullptr;
    return E_NOINTERFACE;
  }
  if (TInterfacedObject::QueryInterface(iid, obj) == S_OK) return S_OK;
  // The parts answer for themselves, as aggregated objects.
  const std::array<IInterface*, 5> parts = {
      static_cast<IOTAModuleServices*>(FModules.get()),
      static_cast<IOTAStructureView*>(FStructureView.get()),
      static_cast<IOTAActionServices*>(FActionServices.get()),
      static_cast<IOTAPersonalityServices*>(FPersonalities.get()),
      static_cast<IOTAPaletteServices*>(FPalette.get())};
  for (IInterface* part : parts)
    if (part->QueryInterface(iid, obj) == S_OK) return S_OK;
  return E_NOINTERFACE;
}

void THostServices::Withhold(const TGUID& iid, bool withheld) {
  std::erase(FWithheld, iid);
  if (withheld) FWithheld.push_back(iid);
}

TComponent* THostServices::AddAction(const String& name) {
  auto* action = New<TComponent>(FActions);
  action->SetName(name);
  return action;
}

IPtr<IOTAEnvironmentOptions> THostServices::GetEnvironmentOptions() {
  return QueryIntf<IOTAEnvironmentOptions>(FOptions);
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
