// The module root: one designed module (form, data module, frame) as a live instance of a class
// made at run time, with its form file, its dormant state, its selection and the designer
// operations editors call on it.
//
//   IPtr<THostRoot> root = New<THostRoot>(designer, module, "unit1.lyt");
//   root->Open(nullptr, "Form1", "");     // a new module: Form1 of class TForm1
//   root->Save();                          // through the designer's file operations
#pragma once

#include "basert/component.h"
#include "componentdesigner/otawrappers.h"
#include "componentdesigner/ancestornotifier.h"
#include "componentdesigner/rootintf.h"

#include <memory>
#include <vector>

namespace fw {

class TMemoryStream;
class TReader;
class TWriter;

/// Base class of a module root; the host derives the concrete class, supplying the abstract
/// operations (its windows and questions), and calls Open once after constructing it.
class TComponentRoot : public TInterfacedObject,
                       public IInternalRoot,
                       public IDesigner,
                       public IDesignerHook,
                       public IUpdateManagerCallback,
                       public IImplementation {
  FW_CLASS(TComponentRoot)
public:
  TComponentRoot(const IPtr<IComponentDesigner>& designer, const IPtr<IDesignerModule>& module,
                 const String& fileName, const String& fileSystem = {});
  ~TComponentRoot() override;

  /// Makes the module: with `formStream` null a new module "T" + `rootName` inheriting from
  /// "T" + `ancestor` (an open module or a registered root base class; none: the designer's
  /// default base class), else the module stored in `formStream` (binary or text). Registers
  /// the root with its designer and broadcasts DesignerOpened(..., false). On failure nothing
  /// stays registered or alive and the error is raised: a stream that cannot be read gives
  /// EComponentDesignerException (sFormFileReadError, with the file and the reader's message),
  /// an unknown base class sRootClassNotFound, an ancestor with components that cannot be
  /// inherited sCannotInheritFrom(s), an ancestor that is not open EClassNotFound.
  void Open(TStream* formStream, const String& rootName, const String& ancestor);

  // ---- IFile
  bool CheckFileDate() override;
  /// A TRootStream: the module's form stream dated with its modification time.
  IPtr<IStream> FormFileOpen() override;
  String GetFileName() override { return FFileName; }
  Integer GetModifyTime() override { return FModifyTime; }
  Integer GetTimeAtLoad() override { return FDiskAge; }
  /// Keeps the form file's extension; renames the live class's unit to the module's unit.
  void Rename(const String& newFileName) override;
  /// Writes the form file through the designer. A module linking to modules that are not
  /// loaded raises sCantSaveModuleWithAFixup / sCantSaveModuleWithFixups unless the host
  /// redirects the links; a read-only file raises sReadOnlyError; any failure leaves the
  /// module modified and the file as it was.
  void Save() override;

  // ---- IRoot
  TComponent* GetRoot() override { return FRoot; }
  String GetRootName() override;
  String GetRootClassName() override;
  String GetAncestorName() override;
  IPtr<IDesigner> GetDesigner() override { return IPtr<IDesigner>(this); }
  IPtr<IComponentDesigner> GetComponentDesigner() override;
  IPtr<IDesignerModule> GetModule() override { return FModule; }
  IPtr<ICustomModule> GetCustomModule() override { return FCustomModule; }
  /// Keeps the module as its stream and frees the live instance; nothing when dormant.
  void GoDormant() override;
  /// Brings a dormant module back from its stream; nothing when live, closing or already
  /// resurrecting.
  void Resurrect() override;
  bool IsDormant() override { return FDormantStream != nullptr; }
  /// Leaves the designer's list and frees the module; the object lives on until released.
  void Close() override;
  /// The module changed: tells the source module, the designer, the listeners and the update
  /// managers, and drops the cached stream.
  void Modified() override;
  TStream* GetRootStream() override;
  bool IsModified() override { return FModifyTime != FDiskAge; }
  void ResetDiskAge() override { FDiskAge = FModifyTime; }

  // ---- IInternalRoot
  IPtr<IUpdateManager> GetUpdateManager() override { return FRootUpdateManager; }
  void UpdateOptions() override;
  void SetControlsLocked(bool locked) override;
  void SetActive(bool active) override;
  /// Records which other roots the live module refers to, and makes them know it.
  void UpdateDependencies() override;
  void ClearDependencies() override;
  void ClearDependents() override;
  /// Drops the links to the root of `component`'s module.
  void RemoveDependenciesOn(TComponent* component) override;
  void GetDependencies(const TRootProc& proc) override;
  void GetDependentRoots(const TRootProc& proc) override;
  bool IsUnavailable() override { return FClosing || !FRoot; }
  void HideWindow() override;
  void ShowWindow() override;
  TComponentRoot* Implementor() override { return this; }

  // ---- IImplementation
  TObject* GetInstance() override { return this; }

  // ---- module roots and files
  /// Writes the live module (against its ancestor module, when it has one) in binary, or as
  /// text when the module is stored as text. Raises for unresolved module links (see Save).
  void WriteRootStream(TStream& stream);
  /// Reads `stream` (binary) into `instance`, creating handler methods by name.
  virtual void ReadObjectFromStream(TComponent* instance, TStream& stream);
  /// The classes named in a binary form stream: its root's class and, from the source module
  /// or the ancestor given at Open, the ancestor's ("TFORM" for a module that is not marked
  /// inherited and whose ancestor is no root base class). The position is kept.
  void GetCreateInfoFrom(TStream& stream, String& className, String& ancestorName);
  /// The registered base class for the root; raises sRootClassNotFound.
  TClass GetRootClass();
  const String& GetRootBaseClass() const noexcept { return FRootBaseClass; }
  /// The base class name, or empty for a plain form class the designer accepts.
  String GetDesignClassName();
  TClass GetCustomModuleClass() const noexcept { return FCustomModuleClass; }
  IPtr<IComponentEditor> GetComponentEditor() { return FRootEditor; }
  IPtr<IDesignEnvironment> GetEnvironment();
  /// The module's tools-interface form editor, made on first use; null before Open and after
  /// Close.
  IPtr<TOTAFormEditor> GetFormEditor();
  /// The host's tools-API module of this module (the source module's, when it is one); null
  /// when the host has none. A descendant watches its ancestor's to forget it when it closes.
  virtual IPtr<IOTAModule> GetToolsModule();
  /// The ancestor's module is gone: the module no longer has an ancestor module, and its update
  /// manager (made again without one) keeps nothing of the ancestor's.
  void AncestorModuleDestroyed();
  const IPtr<IInternalRoot>& AncestorRoot() const noexcept { return FAncestorRoot; }
  /// The open module a module of class `className` inherits from: null for a root base class;
  /// raises EClassNotFound when it is neither.
  IPtr<IInternalRoot> FindAncestorModule(const String& className);
  /// The stored format (lytUnknown, lytBinary, lytText, lytUTF8Text) of the form file.
  Byte OrigLYTFormat() const noexcept { return FOrigLYTFormat; }
  bool GetTextLYT() const noexcept { return FLYTToText; }
  Integer DiskAge() const noexcept { return FDiskAge; }
  const IPtr<IRootSurface>& Surface() const noexcept { return FSurface; }

  /// False while the source module is read-only.
  bool CanModify();
  /// Raises EComponentDesignerException (sReadOnlySource) while the source is read-only, and
  /// whatever the source module raises.
  void ValidateModification();

  /// Commands of the design menu. Aligning to the grid and flipping children are left to the
  /// surface's designer.
  void Command(TDesignCommand command);
  void Dialog(TDesignDialog dialog);
  bool CanRevert(TPersistent* instance, PPropInfo propInfo);

  /// Opens the modules `root` links to (through the environment).
  void LoadDependentModules(TComponent* root);
  void ResurrectDependentModules(TComponent* root);
  void AddImportedRoot(const String& name);

  // ---- IUpdateManagerCallback
  void Updating(const IPtr<IUpdateManager>& manager) override;
  /// Unless `manager` is this root's own, this module's descendants hear of the change.
  void Updated(const IPtr<IUpdateManager>& manager) override;
  void Deleting(const IPtr<IUpdateManager>& manager, TPersistent* item) override;
  /// A designing component of the class, owned by `owner` (or the root).
  TComponent* UpdateManagerCreateComponent(TClass componentClass, TComponent* owner) override;
  void WriteComponent(TWriter* writer, TComponent* component) override;
  /// The root component's class group.
  TClass ClassGroup() override;

  /// Update managers of nested modules placed in this one; they hear Modified too.
  void AddUpdateManager(const IPtr<IUpdateManager>& manager);
  void ModifiedUpdateNotification();

  // ---- IDesigner
  void Activate() override;
  TMethod CreateMethod(const String& name, const TTypeData* typeData) override;
  String GetMethodName(const TMethod& method) override;
  void GetMethods(const TTypeData* typeData, const TGetStrProc& proc) override;
  String GetPathAndBaseExeName() override { return {}; }
  String GetPrivateDirectory() override { return {}; }
  String GetBaseRegKey() override { return {}; }
  TCustomIniFile* GetIDEOptions() override { return nullptr; }
  void GetSelections(const IPtr<IDesignerSelections>& list) override;
  bool MethodExists(const String& name) override;
  void RenameMethod(const String& curName, const String& newName) override;
  void SelectComponent(TPersistent* instance) override;
  void SetSelections(const IPtr<IDesignerSelections>& list) override;
  void ShowMethod(const String& name) override;
  void GetComponentNames(const TTypeData* typeData, const TGetStrProc& proc) override;
  TComponent* GetComponent(const String& name) override;
  String GetComponentName(TComponent* component) override;
  TPersistent* GetObject(const String& name) override;
  String GetObjectName(TPersistent* instance) override;
  void GetObjectNames(const TTypeData* typeData, const TGetStrProc& proc) override;
  bool MethodFromAncestor(const TMethod& method) override;
  /// A component of the class owned by the root, named uniquely, inside `parent` (or the
  /// root); ItemInserted is broadcast and the module is modified.
  TComponent* CreateComponent(TComponentClass componentClass, TComponent* parent, Integer left,
                              Integer top, Integer width, Integer height) override;
  TComponent* CreateCurrentComponent(TComponent*, const TRect&) override { return nullptr; }
  bool IsComponentLinkable(TComponent* component) override;
  bool IsComponentHidden(TComponent* component) override;
  void MakeComponentLinkable(TComponent*) override {}
  /// Restores the inherited value through the update managers; Modified when one could.
  void Revert(TPersistent* instance, PPropInfo propInfo) override;
  bool GetIsDormant() override { return IsDormant(); }
  void GetProjectModules(const TGetStrProc& proc) override;
  IPtr<IDesigner> GetAncestorDesigner() override;
  bool IsSourceReadOnly() override;
  TPoint GetScrollRanges(const TPoint& scrollPosition) override { return scrollPosition; }
  void Edit(TComponent* component) override;
  void ChainCall(const String& methodName, const String& instanceName, const String& instanceMethod,
                 const TTypeData* typeData) override;
  void CopySelection() override {}
  void CutSelection() override {}
  bool CanPaste() override { return false; }
  void PasteSelection() override {}
  void SelectAll() override;
  /// Frees the selected components the root owns (inherited ones only with `doAll`).
  void DeleteSelection(bool doAll) override;
  /// Selects the root.
  void ClearSelection() override;
  void NoSelection() override;
  void ModuleFileNames(String& implFileName, String& intfFileName, String& formFileName) override;
  String UniqueName(const String& baseName) override;
  TShiftState GetShiftState() override { return {}; }
  void ModalEdit(char, const IPtr<IActivatable>&) override {}
  void SelectItemName(const String&) override {}
  TPersistentClass GetActiveClassGroup() override;
  /// The root component of the open module of that class, or null.
  TComponent* FindAncestorRoot(const String& className) override;
  TComponent* CreateChild(TComponentClass componentClass, TComponent* parent) override;
  TComponent* GetCurrentParent() override { return FRoot; }
  bool SpecialPropertyHelp(TPersistent*, const String&, String&, String&) override { return false; }
  String GetDesignerExtension() override;
  String GetAppDataDirectory(bool) override { return {}; }
  void ShowHelp(const String&) override {}

  // ---- IDesignerHook
  void Notification(TPersistent* object, TOperation operation) override;
  void ValidateRename(TComponent* component, const String& curName, const String& newName) override;

protected:
  // ---- supplied by the host's concrete root
  /// A component was made for the module (by the update manager or a creation request).
  void ComponentCreated(TComponent* component) override = 0;
  virtual bool AcceptsBlankName(TComponent* component) = 0;
  virtual void BeginReadStream() = 0;
  virtual void EndReadStream() = 0;
  virtual void BeforeReadRoot(TComponent* instance) = 0;
  virtual void DesignerInitialized() = 0;
  virtual void DesignerDeinitializing() = 0;
  /// Frees the root component (last step of unloading the module).
  virtual void DestroyRootInstance(TComponent* root) = 0;
  virtual void RootInstanceCreated(TComponent* instance) = 0;
  virtual void RootInstanceReady() = 0;
  /// A new module without ancestor module.
  virtual void InitializeNewRoot(TComponent* root, const String& ancestorName) = 0;
  virtual void NewRootCreated(TComponent* root, const String& ancestorName) = 0;
  /// Asked while saving a module that links to module `missingModule` which is not loaded.
  virtual TQueryRedirectLinksResult QueryRedirectLinks(const String& moduleName,
                                                       const String& missingModule) = 0;
  /// Must remove or redirect every link of `root` to `missingModule`.
  virtual void RedirectLinks(TComponent* root, const String& missingModule) = 0;
  /// An error while a module is read: rerOK skips it, rerIgnoreAll skips it and every later
  /// one, rerCancel ends the reading.
  virtual TRootReadErrorResult ReadError(const String& message) = 0;
  /// The ancestor class the source module declares for `className`; empty when unknown.
  virtual String GetSourceAncestorName(const String& className) = 0;

  /// Drops the root component and what belongs to it; the module stays known.
  void InternalDeinitializeDesigner(bool goingDormant);
  void InternalInitializeDesigner(bool resurrecting);
  void CreateFromStream(TStream& stream);
  void CreateRootAs(const String& className, const String& ancestorName);
  void CreateRootInstance(const String& className);
  void SetCreateInfo(const String& ancestorName);
  void ValidateInheritence(TComponent* ancestor);

  IPtr<IInternalComponentDesigner> FDesigner;
  IPtr<IDesignerModule> FModule;
  IPtr<IRootSurface> FSurface;
  IPtr<IUpdateManager> FRootUpdateManager;
  std::vector<IPtr<IUpdateManager>> FUpdateManagers;
  IPtr<IInternalRoot> FAncestorRoot;
  IPtr<TAncestorNotifier> FAncestorRootNotifier;
  IPtr<IComponentEditor> FRootEditor;
  IPtr<ICustomModule> FCustomModule;
  String FFileSystem;
  String FFileName;
  String FRootBaseClass;
  String FRootName;
  String FAncestorName; ///< as given to Open, "T" added
  TComponent* FRoot = nullptr;
  TClass FRootClass = nullptr;
  TCustomModuleClass FCustomModuleClass = nullptr;
  std::vector<TPersistent*> FSelection;
  std::vector<String> FImportedRootList;
  std::unique_ptr<TMemoryStream> FRootStream;
  std::unique_ptr<TMemoryStream> FDormantStream;
  std::vector<IInternalRoot*> FDependencies; ///< not counted: each link is undone on both sides
  std::vector<IInternalRoot*> FDependents;
  Integer FModifyTime = 0;
  Integer FDiskAge = 0;
  Int64 FReadStreamSize = 0;
  Byte FOrigLYTFormat = lytUnknown;
  bool FLYTToText = false;
  bool FControlsLocked = false;
  bool FOpened = false;
  bool FReadError = false;
  bool FRevertingComponent = false;
  bool FDependenciesUpToDate = false;
  bool FCreateFrameManagers = true;
  bool FIgnoringErrors = false;
  bool FResurrecting = false;
  bool FIgnoreRename = false;
  bool FClosing = false;
  IPtr<TOTAFormEditor> FOTAFormEditor;

private:
  friend class TOTAFormEditor; // replaces the content through the dormant stream
  void WriteFormFile(TStream& stream);
  void DropAncestorNotifier();
  /// Without `withAncestor`, or while the ancestor module is not live, the new manager follows
  /// no ancestor.
  void RemakeUpdateManager(bool withAncestor);
  /// The open modules whose ancestor module this is.
  std::vector<TComponentRoot*> Descendants();
  void SelectionChanged();
  void RemoveDependent(IInternalRoot* root);
  IPtr<IRoot> Self() { return IPtr<IRoot>(static_cast<IInternalRoot*>(this)); }
};

} // namespace fw
