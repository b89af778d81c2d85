// The component designer service of one GUI framework: its module roots, most recently
// activated first, the active one, the selection it publishes, the root base classes it
// accepts, and the file operations roots save through.
#pragma once

#include "componentdesigner/rootintf.h"

#include <vector>

namespace fw {

class TMemoryStream;
class TStrings;

/// Base class of a framework's component designer; the host derives the concrete class and
/// supplies OwnsRootClass (and, for file systems other than the disk, the file operations).
class TComponentDesigner : public TInterfacedObject,
                           public IInternalComponentDesigner,
                           public IRootListUpdate,
                           public IDesignerRegistrationInterface {
  FW_CLASS(TComponentDesigner)
public:
  explicit TComponentDesigner(IPtr<IDesignEnvironment> environment, String extension = ".lyt");
  ~TComponentDesigner() override;

  // IRootListUpdate
  /// Adds at the end (a new root is not yet the most recent).
  void RootListAdd(const IPtr<IRoot>& root) override;
  /// Tells the registry when it was the active root.
  void RootListRemove(const IPtr<IRoot>& root) override;
  void RootGoingDormant(const IPtr<IRoot>& root) override;
  /// Fires EvActiveRootModifiedEvent for the active root; broadcasts ItemsModified for any.
  void RootModified(const IPtr<IRoot>& root) override;

  // IBaseComponentDesigner
  IPtr<IDesignEnvironment> GetEnvironment() override { return FEnvironment; }
  String GetExtension() override { return FExtension; }
  /// The framework's control base class: data modules hold no controls.
  TClass GetDataModuleClass() override;
  bool IsActive() override { return FActiveRoot != nullptr; }

  // IComponentDesigner
  /// Moves the root to the front and publishes its selection; null clears the active root.
  /// Then the registry makes this designer active.
  void RootActivated(const IPtr<IRoot>& root) override;
  IPtr<IRoot> GetActiveRoot() override { return FActiveRoot; }
  IPtr<IRoot> GetRoots(Integer index) override;
  Integer GetRootsCount() override { return static_cast<Integer>(FRootList.size()); }
  void GetRootNames(const TGetStrProc& proc) override;
  IPtr<IRoot> FindRoot(const String& name) override;
  IPtr<IRoot> FindRootFor(TComponent* component) override;
  IPtr<IRoot> OpenRootClass(const String& className) override;
  bool IsRootBaseClass(const String& className) override;
  String FindBaseClass(const String& className) override;
  TCustomModuleClass FindCustomModuleClass(const String& className) override;
  bool IsNestable(const String& className) override;
  bool OwnsRootClass(TClass rootClass) override = 0;
  void RemoveDependenciesOn(TComponent* component) override;
  void UpdateRootDependents() override;
  void SetControlsLocked(bool locked) override;
  bool GetControlsLocked() override { return FControlsLocked; }
  void DesignerOptionsChanged() override;
  void HideWindows() override;
  void ShowWindows() override;
  void UpdateSelections() override;
  IPtr<IDesignerSelections> GetSelection() override { return FSelections; }

  // IInternalComponentDesigner: the disk; other file systems raise EComponentDesignerException.
  Integer GetFileAge(const String& fileSystem, const String& fileName) override;
  bool FileExists(const String& fileSystem, const String& fileName) override;
  /// True for an existing file without any write permission bit.
  bool IsFileReadOnly(const String& fileSystem, const String& fileName) override;
  bool RenameFile(const String& fileSystem, const String& oldName, const String& newName) override;
  /// Through the safe-saving unit.
  void WriteFile(const String& fileSystem, const String& fileName, std::string_view data) override;

  /// The own roots only, ignoring case; null when none.
  IPtr<IRoot> FindOwnRoot(const String& name);

  /// The active root's clipboard operations; nothing without an active root.
  void CopySelectionToStream(TMemoryStream& stream, TStrings* units);
  void PasteSelectionFromStream(TMemoryStream& stream, TComponent* parent, const TRect& rect);

protected:
  /// Publishes `selection` as the designer's selection (the root that has it is `designer`).
  virtual void SetSelection(const IPtr<IDesigner>& designer,
                            const IPtr<IDesignerSelections>& selection);

  /// The first root of another registered designer that `match` accepts.
  IPtr<IRoot> FindInOthers(const std::function<bool(const IPtr<IRoot>&)>& match);

  std::vector<IPtr<IRoot>> FRootList;
  IPtr<IRoot> FActiveRoot;
  IPtr<IDesignEnvironment> FEnvironment;
  IPtr<IDesignerSelections> FSelections;
  String FExtension;
  bool FControlsLocked = false;
  bool FInUpdateSelections = false;
};

} // namespace fw
