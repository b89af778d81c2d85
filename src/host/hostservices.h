// The host's services object behind MarrickIDEServices, headless: the IDE's actions, its
// environment options, module services, structure view, action services, personalities and
// component palette, each an in-memory stand-in that records what it is asked. Tests reach
// each part directly and can withhold any interface to see the package do without it.
#pragma once

#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/object.h"
#include "host/hostmodules.h"
#include "host/hostpalette.h"
#include "host/hoststructureview.h"
#include "toolsapi/toolsapi.h"

#include <map>
#include <vector>

namespace fw {

/// Options by name, ignoring case. "InternalEmbeddedDesigner" starts False.
class THostEnvironmentOptions : public TInterfacedObject, public IOTAEnvironmentOptions {
  FW_CLASS(THostEnvironmentOptions)
public:
  THostEnvironmentOptions();
  Variant GetOptionValue(const String& name) override;
  void SetOptionValue(const String& name, const Variant& value) override;

private:
  std::map<String, Variant, TextLess> FValues;
};

/// Records the files it is asked to open, close, save and reload; answers `Answer`.
class THostActionServices : public TInterfacedObject, public IOTAActionServices {
  FW_CLASS(THostActionServices)
public:
  bool Answer = true;
  /// "OpenFile <name>", "CloseFile <name>", ... in order.
  const std::vector<String>& Calls() const noexcept { return FCalls; }
  bool OpenFile(const String& fileName) override { return Record("OpenFile", fileName); }
  bool CloseFile(const String& fileName) override { return Record("CloseFile", fileName); }
  bool SaveFile(const String& fileName) override { return Record("SaveFile", fileName); }
  bool ReloadFile(const String& fileName) override { return Record("ReloadFile", fileName); }

private:
  bool Record(const char* what, const String& fileName);
  std::vector<String> FCalls;
};

/// The personalities the IDE serves; the first is current unless another is chosen.
class THostPersonalityServices : public TInterfacedObject, public IOTAPersonalityServices {
  FW_CLASS(THostPersonalityServices)
public:
  std::vector<String> Personalities{"Pascal", "C++"};
  String Current = "Pascal";
  String GetCurrentPersonality() override { return Current; }
  Integer GetPersonalityCount() override { return static_cast<Integer>(Personalities.size()); }
  /// Raises EListError for an index out of range.
  String GetPersonality(Integer index) override;
  bool PersonalityExists(const String& personality) override;
};

class THostServices : public TInterfacedObject, public INTAServices, public IOTAServices {
  FW_CLASS(THostServices)
public:
  THostServices();
  ~THostServices() override;
  /// Answers the interfaces of its parts too, except withheld ones.
  HResult QueryInterface(const TGUID& iid, void** obj) override;
  /// Makes QueryInterface deny (or offer again) an interface.
  void Withhold(const TGUID& iid, bool withheld = true);

  /// Adds a named action (a plain component owned by the services object) and returns it.
  TComponent* AddAction(const String& name);
  Integer ActionCount() override { return FActions->ComponentCount(); }
  TComponent* Action(Integer index) override { return FActions->Components(index); }

  IPtr<IOTAEnvironmentOptions> GetEnvironmentOptions() override;
  String GetBaseRegistryKey() override { return BaseRegistryKey; }
  String BaseRegistryKey = "Software\\Formwright\\Design";

  THostEnvironmentOptions& Options() { return *FOptions; }
  THostModuleServices& Modules() { return *FModules; }
  THostStructureView& StructureView() { return *FStructureView; }
  THostActionServices& ActionServices() { return *FActionServices; }
  THostPersonalityServices& Personalities() { return *FPersonalities; }
  THostPalette& Palette() { return *FPalette; }

private:
  TComponent* FActions;
  IPtr<THostEnvironmentOptions> FOptions;
  IPtr<THostModuleServices> FModules;
  IPtr<THostStructureView> FStructureView;
  IPtr<THostActionServices> FActionServices;
  IPtr<THostPersonalityServices> FPersonalities;
  IPtr<THostPalette> FPalette;
  std::vector<TGUID> FWithheld;
};

/// Installs a services object as MarrickIDEServices for the lifetime of this guard, with the
/// palette hook (RegisterComponentsProc) and its package-group withdrawal pointing at it.
class THostServicesScope {
public:
  THostServicesScope();
  ~THostServicesScope();
  THostServicesScope(const THostServicesScope&) = delete;
  THostServicesScope& operator=(const THostServicesScope&) = delete;
  THostServices& Services() { return *FServices; }

private:
  IPtr<THostServices> FServices;
  IPtr<IInterface> FPrevious;
  THostServices* FPreviousActive;
  TRegisterComponentsProc FPreviousRegisterComponents;
};

} // namespace fw
