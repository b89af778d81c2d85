// The module root: one designed module (form, data module, frame) as a live instance of a class
// made at run time, with its form file, its dormant state, its selection and the designer
// operations editors call on it.
//
//   IPtr<THostRoot> root = New<THostRoot>(designer, module, "unit1.lyt");
//   root->Open(nullptr, "Form1", "");     // a new module: Form1 of class TForm1
//   root->Save();                          // through the designer's file operations
#pragma once

#include "basert/component.h"
#include "componentdesigner/ancestornotifier.h"
#include "componentdesigner/componentcreation.h"
#include "componentdesigner/componentnaming.h"
#include "componentdesigner/otawrappers.h"
#include "componentdesigner/rootintf.h"
#include "componentdesigner/rootselections.h"

#include <memory>
#include <unordered_set>
#include <vector>

namespace fw {

class TMemoryStream;
class TReader;
class TWriter;
class TStrings;
class TEvents;
class TRenames;

/// Base class of a module root; the host derives the concrete class, supplying the abstract
/// operations (its windows and questions), and calls Open once after constructing it.
class TComponentRoot : public TInterfacedObject,
                       public IInternalRoot,
                       public IDesigner,
                       public IDesignerHook,
                       public IUpdateManagerCallback,
                       public IUpdateManagerReaderSetup,
                       public IImplementation,
                       public IFlipChildren,
                       public IOTAAlignable {
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
  /// Records which other roots the live module refers to, and makes them know it; nothing while
  /// the records are up to date (Modified, and any module coming alive, make them stale).
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
  /// Reads `stream` (binary) into `instance`, creating handler methods by name. Read errors go
  /// to ReadError, inherited components missing from the ancestor to QueryInheritanceRecovery.
  virtual void ReadObjectFromStream(TComponent* instance, TStream& stream);

  // ---- selection
  /// Adds `instance` to the selection (replacing it unless `extend`); nothing for null.
  void Select(TPersistent* instance, bool extend);
  virtual void SelectComponent(TPersistent* instance, bool extend);
  /// True when the root is selected, or nothing is and NoSelection did not empty it.
  bool IsRootSelected();
  bool FindSelection(TPersistent* instance);
  /// True when `instance` is the first selected object (the reference of layout commands).
  bool IsAnchorSelection(TPersistent* instance);
  /// The first selected object; the root when nothing is selected (unless NoSelection).
  TPersistent* SelectedPersistent();
  TComponent* SelectedComponent();
  IPtr<IDesignerSelections> GetSelection();
  void SetSelection(const String& name);
  /// Changes inside a bracket are published once, when the outermost bracket ends.
  void BeginSelectionUpdate();
  void EndSelectionUpdate();
  /// The selection as items (one per selected object, in selection order).
  TSelections& Selections() noexcept { return *FSelections; }

  // ---- clipboard streams
  /// Nothing when nothing is selected; else the selection, under one parent, with handler
  /// source and bounds.
  void CopySelectionToStream(TMemoryStream& stream, TStrings* units);
  /// Writes the selected components in the clipboard stream layout; `units` (may be null)
  /// collects the units of nested modules written.
  void StreamSelection(TStream& stream, bool withSource, bool withBounds, TStrings* units);
  /// Reads a clipboard stream into `parent` (null: the root), placing what was read at `rect`,
  /// selects it and marks the module modified.
  void PasteSelectionFromStream(TMemoryStream& stream, TComponent* parent, const TRect& rect);
  /// Clears the selection, reads the stream and selects what was read.
  void SelectReadStream(TStream& stream, TComponent* parent, bool adjust, const TRect& rect);
  /// Reads the components of a clipboard stream (binary or text form): taken names are made
  /// unique and references follow, handlers become methods of the module (with the source the
  /// stream carries). A stream that cannot be read raises the reader's error and leaves the
  /// module as it was.
  void ReadStream(TStream& stream, TComponent* parent, bool adjust, const TRect& rect);
  /// The binary stream to read `stream` as: itself when binary, else its conversion held in
  /// `converted`. With `setTextFlag` the module is stored as text exactly when it was text.
  TStream& PrepareInputStream(TStream& stream, bool setTextFlag,
                              std::unique_ptr<TMemoryStream>& converted);
  /// The target rectangle and the stream's bounds of the last read.
  const TRect& AdjustmentRect() const noexcept { return FAdjustmentRect; }
  const TRect& AdjustmentBounds() const noexcept { return FAdjustmentBounds; }
  /// The classes named in a binary form stream: its root's class and, from the source module
  /// or the ancestor given at Open, the ancestor's ("TFORM" for a module that is not marked
  /// inherited and whose ancestor is no root base class), and with `rootName` the root's name.
  /// The position is kept.
  void GetCreateInfoFrom(TStream& stream, String& className, String& ancestorName,
                         String* rootName = nullptr);
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

  /// Commands of the design menu.
  void Command(TDesignCommand command);

  // ---- layout commands over the selection, cut down to the first selected item's siblings.
  // None does anything while nothing is selected or controls are locked; each raises
  // EComponentDesignerException (sReadOnlySource) with nothing moved while the source is
  // read-only, and calls Modified once.
  /// Nothing either while the root itself is selected.
  void Align(TOTAAffect affect) override;
  void Size(TOTASizeAffect affect, Integer value) override;
  /// Through the surface's designer; without one, on the grid of the designer options.
  void AlignToGrid();
  /// Moves the selected controls to the front (back) among their siblings, in selection order.
  void ZOrder(bool front);
  void BringToFront() { ZOrder(true); }
  void SendToBack() { ZOrder(false); }
  /// Drops from the selection what does not share the first selected item's parent.
  void ForceCommonParent();
  /// Mirrors the controls of the whole module, or those inside the selected controls.
  void FlipChildren(bool allChildren) override;
  void Dialog(TDesignDialog dialog);
  bool CanRevert(TPersistent* instance, PPropInfo propInfo);

  /// Opens the modules `root` links to (through the environment).
  void LoadDependentModules(TComponent* root);
  void ResurrectDependentModules(TComponent* root);
  void AddImportedRoot(const String& name);

  // ---- IUpdateManagerCallback
  /// During an ancestor's or a nested module's `Modified`, the module is announced as modified
  /// once the change has spread.
  void Updating(const IPtr<IUpdateManager>& manager) override;
  /// Unless `manager` is this root's own, this module's descendants hear of the change.
  void Updated(const IPtr<IUpdateManager>& manager) override;
  void Deleting(const IPtr<IUpdateManager>& manager, TPersistent* item) override;
  /// A designing component of the class, owned by `owner` (or the root).
  TComponent* UpdateManagerCreateComponent(TClass componentClass, TComponent* owner) override;
  void WriteComponent(TWriter* writer, TComponent* component) override;
  /// The root component's class group.
  TClass ClassGroup() override;
  void SetUpUpdateReader(TReader* reader) override;

  /// Update managers of nested modules placed in this one; they hear Modified too.
  void AddUpdateManager(const IPtr<IUpdateManager>& manager);
  /// The update managers' `Modified`; then each module the change reached broadcasts
  /// ItemsModified, once, in the order the change reached them.
  void ModifiedUpdateNotification();

  // ---- IDesigner
  void Activate() override;
  /// The nil method for an empty name. Otherwise the source module must allow the change
  /// (raising as ValidateModification does) and create the handler; only then does the
  /// module's class get its method entry.
  TMethod CreateMethod(const String& name, const TTypeData* typeData) override;
  TMethod CreateMethod(const String& name, const IPtr<IEventInfo>& eventInfo);
  /// Empty unless the method's data is the root and its code one of the root's class.
  String GetMethodName(const TMethod& method) override;
  void GetMethods(const TTypeData* typeData, const TGetStrProc& proc) override;
  void GetMethods(const IPtr<IEventInfo>& eventInfo, const TGetStrProc& proc);
  String GetPathAndBaseExeName() override { return {}; }
  String GetPrivateDirectory() override { return {}; }
  String GetBaseRegKey() override { return {}; }
  TCustomIniFile* GetIDEOptions() override { return nullptr; }
  void GetSelections(const IPtr<IDesignerSelections>& list) override;
  bool MethodExists(const String& name) override;
  /// Asks the source module only; the host answers a rename of the source with
  /// RenameRootMethod.
  void RenameMethod(const String& curName, const String& newName) override;
  /// Renames the module class's own method entry `curName` and calls Modified; nothing when the
  /// class has no such entry of its own.
  void RenameRootMethod(const String& curName, const String& newName);
  void SelectComponent(TPersistent* instance) override;
  void SetSelections(const IPtr<IDesignerSelections>& list) override;
  void ShowMethod(const String& name) override;
  void GetComponentNames(const TTypeData* typeData, const TGetStrProc& proc) override;
  TComponent* GetComponent(const String& name) override;
  String GetComponentName(TComponent* component) override;
  TPersistent* GetObject(const String& name) override;
  String GetObjectName(TPersistent* instance) override;
  void GetObjectNames(const TTypeData* typeData, const TGetStrProc& proc) override;
  /// True when the ancestor's class (the parent of the module's class) has a method entry at
  /// the method's code address.
  bool MethodFromAncestor(const TMethod& method) override;
  /// The tools-API creation: DoCreateComponent with the point (`left`, `top`) of `parent`
  /// mapped into the container that receives the component and snapped to the grid. Null
  /// when the custom module refuses the class.
  TComponent* CreateComponent(TComponentClass componentClass, TComponent* parent, Integer left,
                              Integer top, Integer width, Integer height) override;
  /// A component of the environment's selected palette item, made in `parent` with `rect`
  /// (DoCreateComponent); the environment then hears that its item was used. Null when no item
  /// is selected or the item makes nothing.
  TComponent* CreateCurrentComponent(TComponent* parent, const TRect& rect) override;
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
  void ChainCall(const String& methodName, const String& instanceName, const String& instanceMethod,
                 const IPtr<IEventInfo>& eventInfo);
  /// The selection onto the clipboard (component stream and its text form).
  void CopySelection() override;
  /// Copies, then deletes the selection.
  void CutSelection() override;
  /// True when the clipboard holds components and the source may change.
  bool CanPaste() override;
  /// Pastes the clipboard's components into the selected container (or the root).
  void PasteSelection() override;
  void SelectAll() override;
  /// Frees the selected components that share the first one's parent, keeping them for
  /// DoUndelete. Nothing when nothing or the root is selected. Raises sCantDeleteComponent
  /// for a read-only source, sCantDeleteAncestor for an inherited component and
  /// ECannotDeleteNonComponentException for another object, leaving everything as it was.
  void DeleteSelection(bool doAll) override;
  /// Selects the root.
  void ClearSelection() override;
  /// Empties the selection so that not even the root counts as selected.
  void NoSelection() override;
  void ModuleFileNames(String& implFileName, String& intfFileName, String& formFileName) override;
  /// The stem of `baseName` (see UniqueNameStem) with the smallest number >= 1 that names no
  /// component of this module or of a loaded descendant module, nor the module itself.
  String UniqueName(const String& baseName) override;
  TShiftState GetShiftState() override { return {}; }
  void ModalEdit(char, const IPtr<IActivatable>&) override {}
  /// Selects the component of that name (nothing when there is none).
  void SelectItemName(const String& name) override;
  TPersistentClass GetActiveClassGroup() override;
  /// The root component of the open module of that class, or null.
  TComponent* FindAncestorRoot(const String& className) override;
  TComponent* CreateChild(TComponentClass componentClass, TComponent* parent) override;
  TComponent* GetCurrentParent() override { return FindCurrentParent(); }
  bool SpecialPropertyHelp(TPersistent*, const String&, String&, String&) override { return false; }
  String GetDesignerExtension() override;
  String GetAppDataDirectory(bool) override { return {}; }
  void ShowHelp(const String&) override {}

  // ---- IDesignerHook
  void Notification(TPersistent* object, TOperation operation) override;
  /// Called before a name changes (`component` null or the root for the module's name). Raises
  /// EComponentDesignerException, leaving the old name: sRenamingAncestor for a component
  /// introduced in an ancestor (also inside a nested module), sComponentAlreadyExists for a
  /// name a descendant module uses or "Owner", sRootMustHaveName and sAncestorClassName for the
  /// module. An accepted rename reaches the source module, the descendant modules, the
  /// modules linking to this one, the rename event and the environment.
  void ValidateRename(TComponent* component, const String& curName, const String& newName) override;

  // ---- naming and creation (componentnaming.cpp, componentcreation.cpp)
  /// Renames the root's component `curName`; false when there is none. Raises as SetName, and
  /// EComponentError (sInvalidName) for an empty name.
  bool RenameComponent(const String& curName, const String& newName);
  /// Who owns a component made or pasted into `parent`: the parent's child owner, else the
  /// nearest frame placed inline at or above it, else the root. A placed frame writes only
  /// what it owns, so anything else inside it would be lost on saving.
  TComponent* OwnerForChildOf(TComponent* parent);
  /// UniqueName for a component owned by `owner`; a placed frame's names are its own.
  String UniqueNameIn(TComponent* owner, const String& baseName);
  /// Creates a component of the palette item (a nested module instance for a designed frame
  /// class), owned as OwnerForChildOf says, inside the container at or above `parent`, named by
  /// UniqueNameIn and placed by PlaceCreatedItem from `rect` (parent coordinates; an empty one
  /// without `parent` takes the parent of the single selected item, or the root). Selects it and
  /// marks the module modified. Null when nothing is made (no item, a disabled palette item).
  /// Raises what the source module's ValidateModification raises, the custom module's
  /// refusal and sCannotInherit; the component is freed again. Without an item it makes
  /// `checkedClass`, a class the custom module has accepted already.
  TComponent* DoCreateComponent(const IPtr<IInternalPaletteItem>& item, TComponent* parent,
                                TRect& rect, TComponentClass checkedClass = nullptr);
  TComponent* CreateComponent(const IPtr<IInternalPaletteItem>& item);
  /// A drop at (`x`, `y`) of the root's client area: into the innermost container there.
  TComponent* CreateComponentPos(const IPtr<IInternalPaletteItem>& item, Integer x, Integer y);
  /// An instance of the designed module whose (run-time made) class is `componentClass`,
  /// owned by `owner`, holding that module's components as inherited ones; null for any other
  /// class or when the module cannot be opened. Raises sCannotPasteForm for a module that is
  /// not nestable, sNestedInsertedInSelf when `owner` is (inside) that module, and
  /// ValidateInheritence's errors.
  TComponent* FrameCreateComponent(TComponentClass componentClass, TComponent* owner);
  void ValidateComponent(TComponent* component);
  /// The container at or above `item` (or a container child of a control that is none).
  TComponent* FindItemParent(TComponent* item);
  TComponent* FindCurrentParent();
  /// Raises sCantDeleteAncestor for an inherited component and sCannotDeleteNonComponent
  /// (ECannotDeleteNonComponentException) for anything but a component.
  void ValidateDeletable(TPersistent* instance);
  bool CanUndelete();
  /// Reads the last deleted components back into their parent, with their names where still
  /// free, and selects them.
  void DoUndelete();
  void InstanceInserted(TPersistent* instance);
  /// Announces `component` inserted, then everything it holds, containers first.
  void ComponentInserted(TComponent* component);
  /// ComponentInserted for each in turn; what several of them hold (a panel and a control on
  /// it) is announced once, where it is first reached.
  void ComponentsInserted(const std::vector<TComponent*>& components);
  /// Announces `instance` as deleted, after everything that is freed with it (child controls,
  /// a frame's components), innermost first; each leaves the selection and the frame lists.
  /// Called before the instance is freed.
  void InstanceRemoved(TPersistent* instance);
  bool IsFrame(TPersistent* instance);
  bool ModifiableFrame(TComponent* component);

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
  /// Places a pasted component: `pasteRect` is where the paste goes, `streamRect` the bounds the
  /// stream recorded (empty when none).
  virtual void AdjustPastedComponent(TComponent* component, const TRect& pasteRect,
                                     const TRect& streamRect) = 0;
  /// Whether a designed module's class may be instantiated inside this module.
  virtual bool AcceptsNestedClass(TClass componentClass) = 0;
  /// A component that the stream marks inherited is missing from module `ancestorName`:
  /// delete the reference, take a candidate (`componentName` may be changed to one of the
  /// comma-separated `candidates`), create it, or cancel.
  virtual TRecoveryResult QueryInheritanceRecovery(const String& rootName,
                                                   const String& ancestorName,
                                                   String& componentName, const String& candidates,
                                                   bool nested) = 0;

  // ---- reading and writing streams
  void ReaderSetName(TReader* reader, TComponent* component, String& name);
  void ReaderReferenceName(TReader* reader, String& name);
  void ReaderFindMethod(TReader* reader, const String& methodName, void*& address, bool& error);
  void FindObjectMethod(TReader* reader, const String& methodName, void*& address, bool& error);
  void ReaderFindComponentClass(TReader* reader, const String& className, TClass& componentClass);
  void ReaderCreateComponent(TReader* reader, TClass componentClass, TComponent*& component);
  void ReaderAncestorNotFound(TReader* reader, const String& componentName, TClass componentClass,
                              TComponent*& component);
  void ReaderObjectError(TReader* reader, const String& message, bool& handled);
  /// Raises sPasteError for a no-icon component (unless undeleting) and sCannotInheritControl
  /// for one that cannot be inherited while the module has descendants; selects it.
  void ComponentRead(TComponent* component);
  void ComponentReadAdjust(TComponent* component);
  void WriterFindAncestor(TWriter* writer, TComponent* component, const String& name,
                          TComponent*& ancestor, TComponent*& rootAncestor);
  /// The root of the module whose class `className` is, opened when needed; its unit counts
  /// among the unit dependencies being collected. Null when there is no such module.
  TComponent* NestedModuleRoot(const String& className);
  /// The ancestor class the source module declares for `className`; empty when unknown.
  virtual String GetSourceAncestorName(const String& className) = 0;
  /// The host's say in how the module's stream is read (placeholders for classes no package
  /// registers, say), once the root's own handlers are set; nothing by default.
  virtual void PrepareReader(TReader& reader) { (void)reader; }
  /// A nested module instance, and each component it holds once marked inherited.
  virtual void InlineComponentAdded(TComponent* component) = 0;

  /// Drops the root component and what belongs to it; the module stays known.
  void InternalDeinitializeDesigner(bool goingDormant);
  void InternalInitializeDesigner(bool resurrecting);
  void CreateFromStream(TStream& stream);
  void CreateRootAs(const String& className, const String& ancestorName);
  void CreateRootInstance(const String& className);
  void SetCreateInfo(const String& ancestorName);
  void ValidateInheritence(TComponent* ancestor);
  /// Reads `ancestor` (written as a descendant stream) into `instance`, without update managers
  /// for the nested modules that brings.
  void ReadAncestorCopy(TComponent* ancestor, TComponent* instance);

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
  IPtr<TSelections> FSelections;
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
  bool FIgnoreNext = false;
  bool FAllowNoSelection = false;
  std::unique_ptr<TEvents> FEvents;   ///< while a stream is read
  std::unique_ptr<TRenames> FRenames; ///< while a stream is read
  /// While a stream is read: who owns what it holds, and the names given to what went into a
  /// placed frame (references to them go through the frame).
  TComponent* FPasteOwner = nullptr;
  std::unordered_set<String, TextHash, TextEqual> FPastedIntoFrame;
  TRect FAdjustmentRect;
  TRect FAdjustmentBounds;
  TStrings* FUnitDependencies = nullptr; ///< while the selection is streamed
  bool FResurrecting = false;
  bool FIgnoreRename = false;
  bool FClosing = false;
  IPtr<TOTAFormEditor> FOTAFormEditor;
  // naming and creation
  std::unique_ptr<TUniqueNameIndex> FNameIndex;
  std::vector<TComponent*> FModifiableFrames;
  std::unique_ptr<TMemoryStream> FUndoStream;
  TComponent* FUndoParent = nullptr;
  bool FInUndo = false; ///< set while an undelete runs
  bool FCreateContainers = true;
  bool FSettingRootName = false;

private:
  friend class TOTAFormEditor; // replaces the content through the dormant stream
  /// The copies of this module placed in other open modules; none unless it can be placed. A
  /// naming walks them once for all the names it tries.
  std::vector<TComponent*> PlacedCopiesOfModule();
  bool NameTaken(const String& name, const std::vector<TComponent*>& copies);
  /// Whether `owner`, a placed frame, or its copy in a descendant module or in a placed copy of
  /// this module (`copies`) has `name`.
  bool NameTakenIn(TComponent* owner, const String& name, const std::vector<TComponent*>& copies);
  IPtr<IInternalRoot> Internal() { return IPtr<IInternalRoot>(static_cast<IInternalRoot*>(this)); }
  /// The selection when a layout command may run on it: something other than the root (or
  /// also the root, with `rootAllowed`) is selected and controls are not locked; else empty.
  std::vector<TPersistent*> LayoutSelection(bool rootAllowed);
  void WriteFormFile(TStream& stream);
  void DropAncestorNotifier();
  /// Without `withAncestor`, or while the ancestor module is not live, the new manager follows
  /// no ancestor.
  void RemakeUpdateManager(bool withAncestor);
  /// The open modules whose ancestor module this is.
  std::vector<TComponentRoot*> Descendants();
  /// Publishes the selection to the design notifications and the designer; nothing while the
  /// module is closing or has no live root.
  void SelectionsChanged(TObject* sender);
  /// Takes `instance` out of the selection, when it is in it.
  void Deselect(TPersistent* instance);
  /// InstanceRemoved for `instance` alone.
  void InstanceLeaving(TPersistent* instance);
  void RemoveDependent(IInternalRoot* root);
  IPtr<IRoot> Self() { return IPtr<IRoot>(static_cast<IInternalRoot*>(this)); }
};

} // namespace fw
