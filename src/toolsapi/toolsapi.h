// The IDE host's tools interfaces, as far as the package and add-ins call them, and the global
// through which they are reached. The host implements them; add-ins implement the notifiers.
#pragma once

#include "basert/component.h"
#include "basert/interfaces.h"
#include "basert/propvalue.h"
#include "basert/sets.h"
#include "basert/streams.h"
#include "basert/strings.h"
#include "basert/variants.h"
#include "designintf/designintf.h"

#include <memory>

namespace fw {

// ---- Notifiers ---------------------------------------------------------------------------------

/// What every tools-interface notifier hears.
struct IOTANotifier : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{8B10B7DF-A72D-4E8F-B555-8A6A59DA315E}");
  virtual void AfterSave() = 0;
  virtual void BeforeSave() = 0;
  /// The object the notifier is attached to goes away; drop every reference to it.
  virtual void Destroyed() = 0;
  virtual void Modified() = 0;
};

struct IOTAModuleNotifier : virtual IOTANotifier {
  static constexpr TGUID IID = TGUID::Parse("{7B2892D0-4462-4CE2-836E-6425E47116E9}");
  /// False stops the module from overwriting a file changed elsewhere.
  virtual bool CheckOverwrite() = 0;
  virtual void ModuleRenamed(const String& newName) = 0;
};

struct IOTAModuleNotifier80 : virtual IOTAModuleNotifier {
  static constexpr TGUID IID = TGUID::Parse("{576803B4-7526-4F0F-B166-8A40F1C0008E}");
  virtual bool AllowSave() = 0;
  /// Further files written with the module, which the host checks for overwriting too.
  virtual Integer GetOverwriteFileNameCount() = 0;
  virtual String GetOverwriteFileName(Integer index) = 0;
  virtual void SetSaveFileName(const String& fileName) = 0;
};

/// What a form editor's listeners hear.
struct IOTAFormNotifier : virtual IOTANotifier {
  static constexpr TGUID IID = TGUID::Parse("{9B18531E-F781-4924-937B-2074FB001469}");
  virtual void FormActivated() = 0;
  virtual void FormSaving() = 0;
  virtual void ComponentRenamed(TComponent* component, const String& oldName,
                                const String& newName) = 0;
};

// ---- Files and strings -------------------------------------------------------------------------

/// Source text handed to the host, with its date (-1: none).
struct IOTAFile : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6F018600-A191-4905-9603-C69655C8BEFC}");
  virtual String GetSource() = 0;
  virtual TDateTime GetAge() = 0;
};

/// A string list across the tools interface: items, their integer data, name=value access.
struct IOTAStrings : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{0F945BC5-7970-4925-84DF-D6F3124AC50F}");
  virtual Integer GetCount() = 0;
  virtual String GetItem(Integer index) = 0;
  virtual void SetItem(Integer index, const String& value) = 0;
  virtual Integer GetData(Integer index) = 0;
  virtual void SetData(Integer index, Integer value) = 0;
  virtual String GetName(Integer index) = 0;
  virtual String GetValue(const String& name) = 0;
  virtual void SetValue(const String& name, const String& value) = 0;
  virtual String GetValueFromIndex(Integer index) = 0;
  virtual void SetValueFromIndex(Integer index, const String& value) = 0;
  virtual void Assign(const IPtr<IOTAStrings>& source) = 0;
};

/// The native side of IOTAStrings: the string list itself.
struct INTAStrings : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{88C7A802-BCBE-4F98-B0E2-915E0D974066}");
  virtual TStrings* GetStrings() = 0;
};

// ---- Modules, projects, file systems -----------------------------------------------------------

/// One editor of a module (source, form, ...).
struct IOTAEditor : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C905AC23-EBD8-4E3F-8C3C-91D82A24046A}");
  virtual String GetFileName() = 0;
  /// Attaches a notifier; the index removes it again.
  virtual Integer AddNotifier(const IPtr<IOTANotifier>& notifier) = 0;
  virtual void RemoveNotifier(Integer index) = 0;
  virtual void MarkModified() = 0;
  /// True while the editor's content differs from its file.
  virtual bool GetModified() = 0;
  /// Brings the editor up.
  virtual void Show() = 0;
};

/// One object of a designed module: a component or another persistent (a collection item).
/// A wrapper outlives its object safely: once the object is freed, or its module closed or sent
/// dormant, every operation raises.
struct IOTAComponent : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{E0A5C0BB-ED67-4920-A622-4862E4A3E4C2}");
  /// The class name of the object.
  virtual String GetComponentType() = 0;
  /// The control's parent, or a component's parent component; null when none.
  virtual IPtr<IOTAComponent> GetParent() = 0;
  virtual bool IsTControl() = 0;
  /// The published properties, in declaration order.
  virtual Integer GetPropCount() = 0;
  /// Empty out of range.
  virtual String GetPropName(Integer index) = 0;
  /// kindUnknown out of range or for an unknown name.
  virtual TTypeKind GetPropType(Integer index) = 0;
  virtual TTypeKind GetPropTypeByName(const String& name) = 0;
  /// The value in its value class's type; false (and `value` untouched) out of range or for an
  /// unknown name. A property that cannot be read raises the runtime's error.
  virtual bool GetPropValue(Integer index, TPropValue& value) = 0;
  virtual bool GetPropValueByName(const String& name, TPropValue& value) = 0;
  /// Writes the value and marks the module modified; false out of range or for an unknown
  /// name. A value the property refuses raises the runtime's error and changes nothing.
  virtual bool SetProp(Integer index, const TPropValue& value) = 0;
  virtual bool SetPropByName(const String& name, const TPropValue& value) = 0;
  /// The components the object owns; null out of range.
  virtual Integer GetComponentCount() = 0;
  virtual IPtr<IOTAComponent> GetComponent(Integer index) = 0;
  /// The child controls of a windowed control; null out of range.
  virtual Integer GetControlCount() = 0;
  virtual IPtr<IOTAComponent> GetControl(Integer index) = 0;
  /// Selects the component (added to the selection with `addToSelection`); the root component
  /// clears the selection. False for an object that is not a component.
  virtual bool Select(bool addToSelection) = 0;
  /// Shows the designer for the root component, else selects the component.
  virtual bool Focus(bool addToSelection) = 0;
  /// Frees a component the module's root owns and that is not inherited; false otherwise.
  virtual bool Delete() = 0;
};

/// The native side of IOTAComponent: the object itself (null once it is gone).
struct INTAComponent : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{B4F09EF2-D7BF-4779-9591-438A1BDAD3FB}");
  virtual TPersistent* GetPersistent() = 0;
  /// Null also for an object that is not a component.
  virtual TComponent* GetComponent() = 0;
};

/// The form editor of a module with a designed root.
struct IOTAFormEditor : virtual IOTAEditor {
  static constexpr TGUID IID = TGUID::Parse("{896C93FC-7D5C-4357-A31D-106884EE3439}");
  virtual String GetRootName() = 0;
  /// Null while the module has no live root component.
  virtual IPtr<IOTAComponent> GetRootComponent() = 0;
  /// The root's owned component of that name (ignoring case), or null.
  virtual IPtr<IOTAComponent> FindComponent(const String& name) = 0;
  virtual Integer GetSelCount() = 0;
  /// The selected object at `index`; with nothing selected or `index` out of range, index 0
  /// is the root component and any other index null.
  virtual IPtr<IOTAComponent> GetSelComponent(Integer index) = 0;
  /// A component of the class registered as `typeName` inside the container's component (the
  /// root when `container` is null or no component); null for a name that is not a
  /// registered component class, or when the module refuses the class.
  virtual IPtr<IOTAComponent> CreateComponent(const IPtr<IOTAComponent>& container,
                                              const String& typeName, Integer x, Integer y,
                                              Integer w, Integer h) = 0;
};

/// The native side of a form editor: the designer of the module's root (null while none is
/// open).
struct INTAFormEditor : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{101C806E-DA9A-4772-86D4-727BD8E0BD6D}");
  virtual IPtr<IDesigner> GetFormDesigner() = 0;
};

/// An editor that brings the module's form designer up before the code editor shows it
/// embedded.
struct IOTAFormDesignerEditor : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{E2AC438B-C284-462C-8738-2D5C23BC0AFE}");
  virtual void ShowFormDesigner() = 0;
};

/// Asked of an editor view's context: whether the IDE shows its designer inside the code
/// editor.
struct IOTAEmbeddedDesignerQuery : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3CF53BBF-C982-478E-8F44-72D48A31BF03}");
  virtual bool IsEmbeddedDesigner() = 0;
};

/// A module open in the IDE: its file, its editors and its notifiers.
struct IOTAModule : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{2BD6A600-9FE1-49F2-8FD4-F82B2EB722FA}");
  virtual String GetFileName() = 0;
  virtual void SetFileName(const String& fileName) = 0;
  virtual Integer GetModuleFileCount() = 0;
  /// Raises EListError for an index out of range.
  virtual IPtr<IOTAEditor> GetModuleFileEditor(Integer index) = 0;
  virtual Integer AddNotifier(const IPtr<IOTAModuleNotifier>& notifier) = 0;
  virtual void RemoveNotifier(Integer index) = 0;
  /// Saves the module (false when a notifier refused); `forceSave` ignores the modified flag.
  virtual bool Save(bool changeName, bool forceSave) = 0;
  virtual bool Close() = 0;
};

struct IOTAProject : virtual IOTAModule {
  static constexpr TGUID IID = TGUID::Parse("{0C9B70AA-5511-4A00-AF60-E4BFDA1962A5}");
  /// The platform the project builds for ("Win32", "OSX32", "iOSDevice", ...).
  virtual String GetPlatform() = 0;
  /// The GUI framework the project's modules are designed with (its registered type name).
  virtual String GetFrameworkType() = 0;
};

/// A file system the host's editor opens files through (file names it claims by its id).
struct IOTAFileSystem : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6A9E387F-2C25-4891-8BFC-BF7514A36E13}");
  /// A stream over the file; writing to it and destroying it stores the text.
  virtual std::unique_ptr<TStream> GetFileStream(const String& fileName, Integer mode) = 0;
  /// -1 when the file does not exist.
  virtual Integer FileAge(const String& fileName) = 0;
  virtual bool RenameFile(const String& oldName, const String& newName) = 0;
  virtual bool IsReadonly(const String& fileName) = 0;
  virtual bool IsFileBased() = 0;
  virtual bool DeleteFile(const String& fileName) = 0;
  virtual bool FileExists(const String& fileName) = 0;
  virtual String GetTempFileName(const String& fileName) = 0;
  virtual String GetBackupFileName(const String& fileName) = 0;
  virtual String GetIDString() = 0;
};

struct IOTAModuleServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6AFD0F76-D327-4D64-B09E-27D110C3D173}");
  /// Null when no project is open.
  virtual IPtr<IOTAProject> GetActiveProject() = 0;
  virtual Integer GetModuleCount() = 0;
  virtual IPtr<IOTAModule> GetModule(Integer index) = 0;
  /// The open module of that file name (ignoring case), or null.
  virtual IPtr<IOTAModule> FindModule(const String& fileName) = 0;
  /// Registers a file system; a negative index means the host refused it (another one has its
  /// id).
  virtual Integer AddFileSystem(const IPtr<IOTAFileSystem>& fileSystem) = 0;
  virtual void RemoveFileSystem(Integer index) = 0;
  virtual IPtr<IOTAFileSystem> FindFileSystem(const String& name) = 0;
};

// ---- Services ----------------------------------------------------------------------------------

/// The IDE's environment options by name ("InternalEmbeddedDesigner", ...); unknown names read
/// as an unassigned variant.
struct IOTAEnvironmentOptions : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3C6E976C-A66F-4E42-A379-2F875645B08D}");
  virtual Variant GetOptionValue(const String& name) = 0;
  virtual void SetOptionValue(const String& name, const Variant& value) = 0;
};

struct IOTAServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{A622D4E8-57DE-4E31-B8F5-F432A98A3EF7}");
  virtual IPtr<IOTAEnvironmentOptions> GetEnvironmentOptions() = 0;
  /// The key under which the IDE keeps its settings.
  virtual String GetBaseRegistryKey() = 0;
};

/// The native services of the IDE: its action list, among others. Found through
/// MarrickIDEServices.
struct INTAServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C17B3DF1-DFE5-11D2-A8C7-00C04FA32F53}");
  /// The number of the IDE's actions and one of them (actions are components with names).
  virtual Integer ActionCount() = 0;
  virtual TComponent* Action(Integer index) = 0;
};

/// Opening, saving and closing files in the IDE, by file name.
struct IOTAActionServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{8943B48A-D766-455C-B7C1-3E00AA8A55C2}");
  virtual bool OpenFile(const String& fileName) = 0;
  virtual bool CloseFile(const String& fileName) = 0;
  virtual bool SaveFile(const String& fileName) = 0;
  virtual bool ReloadFile(const String& fileName) = 0;
};

/// The language personalities the IDE serves, by identifier.
struct IOTAPersonalityServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{C3F20838-5415-4006-A62F-AE33CADCE108}");
  virtual String GetCurrentPersonality() = 0;
  virtual Integer GetPersonalityCount() = 0;
  virtual String GetPersonality(Integer index) = 0;
  virtual bool PersonalityExists(const String& personality) = 0;
};

/// One entry of the component palette.
struct IOTABasePaletteItem : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{4432CE56-9227-4385-B0CD-1F454A91FB4E}");
  virtual String GetName() = 0;
  /// Whether the item can be used now (false stops it from creating anything).
  virtual bool GetEnabled() = 0;
};

struct IOTAPaletteServices : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{A2F83592-5DE9-42EB-AA7A-3337241B2079}");
  virtual Integer GetItemCount() = 0;
  /// Raises EListError for an index out of range.
  virtual IPtr<IOTABasePaletteItem> GetItem(Integer index) = 0;
  /// The palette item of a component class (by class name, ignoring case), or null.
  virtual IPtr<IOTABasePaletteItem> FindItem(const String& className) = 0;
};

// ---- Structure view ----------------------------------------------------------------------------

struct IOTAStructureNode : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{D457EE2A-05A2-4043-972D-1F1BF43C55AC}");
  virtual String GetCaption() = 0;
};

/// What the structure view shows: one designed module's tree, say.
struct IOTAStructureContext : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{41CAFB42-6045-422E-B6BE-526AE03F741B}");
  virtual String GetContextIdent() = 0;
  /// Whether `context` shows the same thing as this one.
  virtual bool SameContext(const IPtr<IOTAStructureContext>& context) = 0;
};

struct IOTAStructureView : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{626B6237-F903-4397-952C-6B4A9E8E8111}");
  virtual IPtr<IOTAStructureContext> GetStructureContext() = 0;
  virtual void SetStructureContext(const IPtr<IOTAStructureContext>& context) = 0;
  /// Rebuilds the view of `context` from its nodes.
  virtual void StructureChanged(const IPtr<IOTAStructureContext>& context) = 0;
  virtual Integer GetSelectedCount() = 0;
  /// Raises EListError for an index out of range.
  virtual IPtr<IOTAStructureNode> GetSelectedNode(Integer index) = 0;
  virtual void ClearSelection() = 0;
  virtual void SelectNode(const IPtr<IOTAStructureNode>& node) = 0;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

struct IOTAStructureView110 : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{CF977C58-D054-46D8-86B4-8FB3FC915670}");
  /// True while the view is changing its own selection, when the designer must not follow.
  virtual bool IsSelectionLocked() = 0;
};

// ---- Alignment ---------------------------------------------------------------------------------

/// What an alignment command does to the selected controls of a form.
enum TOTAAffect : std::uint8_t {
  afNothing,
  afTop,
  afLeft,
  afBottom,
  afRight,
  afHCenter,
  afVCenter,
  afHSpace,
  afVSpace,
  afHWinCenter,
  afVWinCenter,
  afHSpaceInc,
  afHSpaceDec,
  afHSpaceDel,
  afVSpaceInc,
  afVSpaceDec,
  afVSpaceDel,
  afAlignToGrid,
  afSnapToGrid,
  afSendToBack,
  afBringToFront,
};

/// What a sizing command does to the selected controls of a form.
enum TOTASizeAffect : std::uint8_t {
  asNothing,
  asHGrow,
  asHShrink,
  asHAbsolute,
  asVGrow,
  asVShrink,
  asVAbsolute,
  asWidths,
  asHeights,
  asWidthHeight,
  asSizeToGrid,
};

/// The alignment and size commands of a form designer.
struct IOTAAlignable : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{5E1A7C43-2B9D-4F08-A6C1-93D4E0B7F215}");
  virtual void Align(TOTAAffect affect) = 0;
  /// `value` is the width or height of asHAbsolute / asVAbsolute.
  virtual void Size(TOTASizeAffect affect, Integer value) = 0;
};

// ---- Wizards -----------------------------------------------------------------------------------

enum TWizardStateFlag { wsEnabled, wsChecked };
using TWizardState = TSet<TWizardStateFlag>;

struct IOTAWizard : virtual IOTANotifier {
  static constexpr TGUID IID = TGUID::Parse("{C95C77E9-5F89-41C1-969C-EE7EB3210994}");
  virtual String GetIDString() = 0;
  virtual String GetName() = 0;
  virtual TWizardState GetState() = 0;
  virtual void Execute() = 0;
};

// ---- The host's services object ----------------------------------------------------------------

/// The IDE's service object; the host sets it before loading the package and clears it at the
/// end. Null when there is no host.
extern IPtr<IInterface> MarrickIDEServices;

/// The IDE action of that component name (ignoring case), or null (also without a host).
TComponent* FindIDEAction(const String& name);

} // namespace fw
