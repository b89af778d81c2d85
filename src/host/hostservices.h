// The host's services object behind MarrickIDEServices, headless: the IDE's action list as a set
// of named action components.
#pragma once

#include "basert/classreg.h"
#include "basert/component.h"
#include "basert/object.h"
#include "toolsapi/toolsapi.h"

#include <span>
#include <vector>

namespace fw {

/// One component class on a palette page, with the package group that put it there.
struct TPaletteEntry {
  String Page;
  TClass Class;
  Integer Group;
};

class THostServices : public TInterfacedObject, public INTAServices {
  FW_CLASS(THostServices)
public:
  THostServices();
  ~THostServices() override;
  /// Adds a named action (a plain component owned by the services object) and returns it.
  TComponent* AddAction(const String& name);
  Integer ActionCount() override { return FActions->ComponentCount(); }
  TComponent* Action(Integer index) override { return FActions->Components(index); }

  // The component palette.
  /// Adds the classes to the page, stamped with CurrentGroup; a class already on the page
  /// stays where it is.
  void AddComponents(const String& page, std::span<const TClass> classes);
  /// Withdraws the entries of a package group.
  void RemovePaletteGroup(Integer group);
  const std::vector<TPaletteEntry>& PaletteEntries() const noexcept { return FPalette; }

private:
  TComponent* FActions;
  std::vector<TPaletteEntry> FPalette;
};

/// Installs a services object as MarrickIDEServices for the lifetime of this guard, with the
/// palette hook (RegisterComponentsProc) and its package-group withdrawal pointing at it.
class THostServicesScope {
public:
  THostServicesScope();
  ~THostServicesScope();
  THostServices& Services() { return *FServices; }

private:
  IPtr<THostServices> FServices;
  IPtr<IInterface> FPrevious;
  THostServices* FPreviousActive;
  TRegisterComponentsProc FPreviousRegisterComponents;
};

} // namespace fw
