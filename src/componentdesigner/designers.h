// The designer registry and the package-wide lists of the designed-modules subsystem: custom
// module registrations (the root base classes), no-icon classes and designer initialisers, with
// the subsystem's start-up and shut-down.
#pragma once

#include "componentdesigner/rootintf.h"

#include <vector>

namespace fw {

/// One RegisterCustomModule call, stamped with the package group current then.
struct TCustomModuleReg {
  Integer Group = 0;
  TCustomModuleClass CustomModuleClass = nullptr;
  TComponentClass BaseClass = nullptr;
};

/// The registrations in registration order (searches walk them from the last); empty outside
/// the package's lifetime.
const std::vector<TCustomModuleReg>& CustomModuleRegistrations();

/// The last registration whose base class has that name (ignoring case) and satisfies `accept`;
/// null when none.
const TCustomModuleReg* FindCustomModuleReg(const String& className,
                                            const std::function<bool(TClass)>& accept);

/// True for nil and for an instance of a class registered through RegisterNoIcon.
bool IsNoIconComponent(TComponent* component);

using TInitializeDesigner = void (*)(const IPtr<IDesignEnvironment>& environment);
/// Appends `proc` once; answers its index (the existing one when it is listed already).
Integer RegisterInitializeDesigner(TInitializeDesigner proc);
/// Calls every registered initialiser, first registered first.
void InitializeDesigners(const IPtr<IDesignEnvironment>& environment);
/// Holds a counted reference to the environment until package shut-down.
void ProtectEnvironment(const IPtr<IDesignEnvironment>& environment);

/// The registry of component designers: one per GUI framework, with the active designer and
/// its active root.
class TDesigners : public TInterfacedObject, public IInternalComponentDesigners {
  FW_CLASS(TDesigners)
public:
  bool DesignerActive() override;
  void DesignerOptionsChanged() override;
  IPtr<IComponentDesigner> GetActiveDesigner() override { return FActiveDesigner; }
  IPtr<IRoot> GetActiveRoot() override { return FActiveRoot; }
  void HideWindows() override;
  void ShowWindows() override;
  void SetControlsLocked(bool locked) override;
  /// True when the active designer's controls are locked.
  bool GetControlsLocked() override;
  IPtr<IOTAAlignable> GetAlignable() override { return QueryIntf<IOTAAlignable>(FActiveRoot); }
  IPtr<IDesignerSelections> GetSelection() override;
  std::vector<String> RegisteredExtensions() override { return FExtensions; }
  std::vector<TClass> InvalidDataModuleClasses() override;
  IPtr<IComponentDesigner> DesignerFromExtension(const String& extension) override;
  /// Clears the active designer; fires EvDesignerDeactivated when there was one and withdraws
  /// the native-designer palette context.
  void DeactivateDesigner() override;
  void ForEachDesigner(const std::function<bool(const IPtr<IComponentDesigner>&)>& func) override;
  Integer DesignerCount() override { return static_cast<Integer>(FDesigners.size()); }

  /// Appends the designer with its extension and data-module class; activates it when no
  /// designer is active. Registering it again does nothing.
  void RegisterDesigner(const IPtr<IComponentDesigner>& designer) override;
  /// Removes it keeping the order of the rest; clears active designer and root when it was
  /// active.
  void UnregisterDesigner(const IPtr<IComponentDesigner>& designer) override;
  /// Makes `designer` active with its active root and fires EvRootActivatedEvent for that root.
  void ActivateDesigner(const IPtr<IComponentDesigner>& designer) override;
  void RootRemoved(const IPtr<IRoot>& root) override;

private:
  Integer IndexOf(IComponentDesigner* designer) const;
  IPtr<IComponentDesigner> FActiveDesigner;
  IPtr<IRoot> FActiveRoot;
  std::vector<IPtr<IComponentDesigner>> FDesigners;
  std::vector<String> FExtensions;
  std::vector<TClass> FDataModuleClasses;
};

/// The package's registry; null outside the package's lifetime.
IPtr<IComponentDesigners> Designers();
/// The registry's active designer, or null.
IPtr<IComponentDesigner> ActiveDesigner();
/// The active designer's active root, or null.
IPtr<IRoot> ActiveRoot();

/// The structure tree's start-up and shut-down (its default sprig types), which the host plugs
/// in before the package starts; the designers' start-up runs them last and first.
struct TStructureTreeUnit {
  void (*Startup)() = nullptr;
  void (*Shutdown)() = nullptr;
};
extern TStructureTreeUnit StructureTreeUnit;

/// The subsystem's start-up: no-icon list and hook, registry, custom-module list and hook, the
/// group subscription, then the package's own editors (component references, component names,
/// dates and times, interfaces, the edit-action selection editor) and the structure tree's
/// default sprig types. Needs the editor registries started.
void DesignersStartup();
/// Undoes it in reverse: every list, hook and global is empty afterwards.
void DesignersShutdown();

} // namespace fw
