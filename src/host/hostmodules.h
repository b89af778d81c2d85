// The host's open modules, headless: modules with a source editor and (for designed modules) a
// form editor, each keeping its notifiers in reusable slots, the active project, and the
// registered file systems. What module services answer and which notifications the modules
// send can be driven and observed by tests.
#pragma once

#include "basert/intflist.h"
#include "basert/object.h"
#include "toolsapi/toolsapi.h"

#include <functional>
#include <vector>

namespace fw {

/// One editor of a module; notifiers sit in slots that removal empties and addition reuses.
class THostEditor : public TInterfacedObject, public virtual IOTAEditor {
  FW_CLASS(THostEditor)
public:
  explicit THostEditor(String fileName);
  String GetFileName() override { return FFileName; }
  Integer AddNotifier(const IPtr<IOTANotifier>& notifier) override;
  void RemoveNotifier(Integer index) override;
  void MarkModified() override;
  bool GetModified() override { return FModified; }
  /// Counts the requests (ShowCount).
  void Show() override { ++FShowCount; }
  bool Modified() const noexcept { return FModified; }
  Integer NotifierCount() const;
  Integer ShowCount() const noexcept { return FShowCount; }

protected:
  String FFileName;
  bool FModified = false;
  Integer FShowCount = 0;
  IPtr<TInterfaceList> FNotifiers;
};

/// The form editor of a designed module: tells its IOTAFormNotifier listeners what happens,
/// hands out the designer set for it, and counts the requests to show that designer. Its
/// components are those of the module root behind that designer (none while it has none).
class THostFormEditor : public THostEditor,
                        public IOTAFormEditor,
                        public INTAFormEditor,
                        public IOTAFormDesignerEditor {
  FW_CLASS(THostFormEditor)
public:
  THostFormEditor(String fileName, String rootName);
  String GetRootName() override { return FRootName; }
  IPtr<IDesigner> Designer;
  IPtr<IDesigner> GetFormDesigner() override { return Designer; }
  void ShowFormDesigner() override { ++FShowCount; }
  IPtr<IOTAComponent> GetRootComponent() override;
  IPtr<IOTAComponent> FindComponent(const String& name) override;
  Integer GetSelCount() override;
  IPtr<IOTAComponent> GetSelComponent(Integer index) override;
  IPtr<IOTAComponent> CreateComponent(const IPtr<IOTAComponent>& container, const String& typeName,
                                      Integer x, Integer y, Integer w, Integer h) override;
  void FormActivated();
  void FormSaving();
  void ComponentRenamed(TComponent* component, const String& oldName, const String& newName);

private:
  String FRootName;
};

class THostModule : public TInterfacedObject,
                    public virtual IOTAModule,
                    public IOTAEmbeddedDesignerQuery {
  FW_CLASS(THostModule)
public:
  /// What IsEmbeddedDesigner answers: whether the code editor shows this module's designer.
  bool EmbeddedDesigner = true;
  bool IsEmbeddedDesigner() override { return EmbeddedDesigner; }
  /// A module with a source editor; with a root name also a form editor (file name with the
  /// extension ".fwf" in place of the module's).
  THostModule(String fileName, const String& rootName = {});
  String GetFileName() override { return FFileName; }
  /// Renames the module; module notifiers hear ModuleRenamed with the new name.
  void SetFileName(const String& fileName) override;
  Integer GetModuleFileCount() override { return static_cast<Integer>(FEditors.size()); }
  IPtr<IOTAEditor> GetModuleFileEditor(Integer index) override;
  Integer AddNotifier(const IPtr<IOTAModuleNotifier>& notifier) override;
  void RemoveNotifier(Integer index) override;
  /// BeforeSave, then every IOTAModuleNotifier80 is asked AllowSave (one false refuses the
  /// save, and AfterSave is not sent), then AfterSave. Unmodified modules save only when forced.
  bool Save(bool changeName, bool forceSave) override;
  /// Notifiers hear Destroyed; the module services forget the module.
  bool Close() override;

  /// The form editor, or null for a module without a designed root.
  THostFormEditor* FormEditor() const noexcept { return FFormEditor; }
  void MarkModified() { FModified = true; }
  Integer SaveCount() const noexcept { return FSaveCount; }
  Integer NotifierCount() const;
  /// Called by Close (the services' removal).
  std::function<void(THostModule*)> OnClose;

private:
  String FFileName;
  std::vector<IPtr<IOTAEditor>> FEditors;
  THostFormEditor* FFormEditor = nullptr;
  IPtr<TInterfaceList> FNotifiers;
  bool FModified = false;
  Integer FSaveCount = 0;
};

class THostProject : public THostModule, public IOTAProject {
  FW_CLASS(THostProject)
public:
  THostProject(String fileName, String platform)
      : THostModule(std::move(fileName)), FPlatform(std::move(platform)) {}
  String GetPlatform() override { return FPlatform; }
  void SetPlatform(const String& value) { FPlatform = value; }
  String GetFrameworkType() override { return FrameworkType; }
  String FrameworkType = "TARN";

private:
  String FPlatform;
};

/// The open modules, the active project and the file systems of the host.
class THostModuleServices : public TInterfacedObject, public IOTAModuleServices {
  FW_CLASS(THostModuleServices)
public:
  THostModuleServices() = default;
  ~THostModuleServices() override;
  /// Opens a module (or answers the open one of that file name).
  IPtr<THostModule> OpenModule(const String& fileName, const String& rootName = {});
  /// Opens a project and makes it the active one.
  IPtr<THostProject> OpenProject(const String& fileName, const String& platform = "Win32");
  void SetActiveProject(const IPtr<IOTAProject>& project) { FActiveProject = project; }
  /// The registered file systems, an empty slot where one was removed.
  const std::vector<IPtr<IOTAFileSystem>>& FileSystems() const noexcept { return FFileSystems; }

  IPtr<IOTAProject> GetActiveProject() override { return FActiveProject; }
  Integer GetModuleCount() override { return static_cast<Integer>(FModules.size()); }
  /// Raises EListError for an index out of range.
  IPtr<IOTAModule> GetModule(Integer index) override;
  IPtr<IOTAModule> FindModule(const String& fileName) override;
  /// -1 for a null file system or one whose id is registered already.
  Integer AddFileSystem(const IPtr<IOTAFileSystem>& fileSystem) override;
  void RemoveFileSystem(Integer index) override;
  IPtr<IOTAFileSystem> FindFileSystem(const String& name) override;

private:
  void Forget(THostModule* module);
  std::vector<IPtr<THostModule>> FModules;
  IPtr<IOTAProject> FActiveProject;
  std::vector<IPtr<IOTAFileSystem>> FFileSystems;
};

} // namespace fw
