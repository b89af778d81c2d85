// The seam between a module root and the engine that carries an ancestor module's changes into
// the modules inheriting from it: the two interfaces they talk through, and the factory hook the
// engine fills at start-up (the root's folder may not include the engine's).
#pragma once

#include "basert/component.h"
#include "basert/filer.h"

namespace fw {

/// One module's update manager, as its module root sees it.
struct IUpdateManager : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{7ED7BF35-E349-11D3-AB4A-00C04FB17A72}");
  /// True when `instance` has an ancestor counterpart that stores `propInfo`, so reverting it
  /// means something.
  virtual bool CanRevert(TPersistent* instance, PPropInfo propInfo) = 0;
  virtual TComponent* GetComponent() = 0;
  /// The ancestor module's root component, or null.
  virtual TComponent* GetAncestor() = 0;
  virtual bool GetHasDescendents() = 0;
  virtual bool GetIsDescendent() = 0;
  /// The module changed: re-record what still follows the ancestor, then update every open
  /// descendant module.
  virtual void Modified() = 0;
  /// True when this module or any module below it has a component of that name (a dotted one
  /// names a component inside a placed frame).
  virtual bool NameExists(const String& name) = 0;
  /// Forgets what it knew of a removed component.
  virtual void Notification(TPersistent* component, TOperation operation) = 0;
  /// Renames the inherited component `currentName` here and in every generation below. A dotted
  /// `currentName` names a component inside a placed frame; `newName` is its own new name.
  virtual void RenameComponent(const String& currentName, const String& newName) = 0;
  virtual void RenameDescendents(const String& currentName, const String& newName) = 0;
  /// Makes the property follow the ancestor again and updates.
  virtual void Revert(TPersistent* instance, PPropInfo propInfo) = 0;
  /// Applies the ancestor's changes to this module and every module below it.
  virtual void Update() = 0;
};

/// What only the module root knows, asked by its update manager.
struct IUpdateManagerCallback : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{ABBE7254-5495-11D1-9FB5-0020AF3D82DA}");
  /// An update run (or a rename) of this manager begins.
  virtual void Updating(const IPtr<IUpdateManager>& updateManager) = 0;
  /// It ends (also when it failed).
  virtual void Updated(const IPtr<IUpdateManager>& updateManager) = 0;
  /// `component` is about to be freed because its ancestor component is gone: drop every
  /// reference to it.
  virtual void Deleting(const IPtr<IUpdateManager>& updateManager, TPersistent* component) = 0;
  /// A component of `componentClass` owned by `owner`, or null to let the manager construct it.
  virtual TComponent* UpdateManagerCreateComponent(TClass componentClass, TComponent* owner) = 0;
  /// Streams the ancestor's `component` with `writer`, whose root is the ancestor root.
  virtual void WriteComponent(TWriter* writer, TComponent* component) = 0;
  /// A component copied from the ancestor has been read and its children marked inherited.
  virtual void ComponentCreated(TComponent* component) = 0;
  /// The class group to activate while a copied component is read; null for none.
  virtual TClass ClassGroup() = 0;
};

/// Asked of a manager's notifier beside IUpdateManagerCallback, when it has it: components copied
/// from the ancestor may be of designed modules' classes (frames) only the root can find and make.
struct IUpdateManagerReaderSetup : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5B0E7C2A-9D41-4F63-8A1E-2C7D3B6F9E14}");
  /// Gives `reader` the root's class-finding and component-making hooks.
  virtual void SetUpUpdateReader(TReader* reader) = 0;
};

/// Makes the update manager of a module whose root is `component`, inheriting from `ancestor`
/// (null for none) whose module's manager is `ancestorManager` (null when not open).
using TCreateUpdateManagerProc = IPtr<IUpdateManager> (*)(
    TComponent* component, TComponent* ancestor, const IPtr<IUpdateManager>& ancestorManager,
    const IPtr<IUpdateManagerCallback>& notifier);
/// Filled by the update engine's start-up, emptied at its shut-down.
extern TCreateUpdateManagerProc CreateUpdateManagerProc;

} // namespace fw
