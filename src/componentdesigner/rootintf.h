// Designed modules as the rest of the system sees them: the interfaces module roots and
// component designers implement, their option records and messages, and the seams through which
// the update subsystem and the visual designer attach to a root without this folder knowing
// them.
#pragma once

#include "basert/exceptions.h"
#include "basert/streams.h"
#include "componentdesigner/updateintf.h"
#include "designintf/designhost.h"
#include "designintf/surfaceintf.h"
#include "toolsapi/toolsapi.h"

#include <functional>
#include <string_view>

namespace fw {

class TComponentRoot;
struct IRoot;
struct IComponentDesigner;

// ---- Resource strings --------------------------------------------------------------------------

inline constexpr std::string_view sRootClassNotFound = "Root class not found: \"%s\"";
inline constexpr std::string_view sCannotInheritFrom =
    "Cannot inherit from '%s'.  Contains a component '%s' that does not support inheritance";
inline constexpr std::string_view sCannotInheritFroms =
    "Cannot inherit from '%s'.  Contains components '%s' that do not support inheritance";
inline constexpr std::string_view sBlankName =
    "Cannot inherit from form '%s'. It contains a component with a blank name property";
inline constexpr std::string_view sCantSaveModuleWithAFixup =
    "Module \"%s\" references another module and cannot be saved until %s is loaded";
inline constexpr std::string_view sCantSaveModuleWithFixups =
    "Module \"%s\" references other modules and cannot be saved until the following modules are "
    "loaded: %s";
inline constexpr std::string_view sReadOnlyError = "'%s' is a read-only file";
inline constexpr std::string_view sCantRename = "Unable to rename '%s' to '%s'";
inline constexpr std::string_view sReadOnlySource = "Source is read-only";
/// A form file that cannot be read: the file, then the reader's message (which gives the byte).
inline constexpr std::string_view sFormFileReadError = "Error reading form file '%s': %s";

// Texts of the host's design menu and questions.
inline constexpr std::string_view sMenuAlignToGrid = "Align To &Grid";
inline constexpr std::string_view sMenuBringToFront = "Bring To &Front";
inline constexpr std::string_view sMenuSendToBack = "Send To &Back";
inline constexpr std::string_view sMenuRevert = "Revert to &Inherited";
inline constexpr std::string_view sMenuAlign = "&Align...";
inline constexpr std::string_view sMenuSize = "&Size...";
inline constexpr std::string_view sMenuScale = "Scal&e...";
inline constexpr std::string_view sMenuTabOrder = "Tab &Order...";
inline constexpr std::string_view sMenuCreatOrder = "&Creation Order...";
inline constexpr std::string_view sPositionItems = "Position";
inline constexpr std::string_view sMenuFlipChildren = "Flip C&hildren";
inline constexpr std::string_view sSubMenuFlipChildrenAll = "&All";
inline constexpr std::string_view sSubMenuFlipChidrenSelected = "&Selected";
inline constexpr std::string_view sMenuSaveAsTemplate = "Add to &Repository...";
inline constexpr std::string_view sMenuViewAsText = "&View as Text";
inline constexpr std::string_view sMenuTextLYT = "Text LYT";
inline constexpr std::string_view sRedirectLinks =
    "Module '%s' links to module '%s' which cannot be found in the current project.  Do you wish "
    "to remove/redirect the links to another module?";
inline constexpr std::string_view sAncestorDeleteWarning =
    "Reverting '%s' deletes all contained components not found in the ancestor and will delete "
    "the following: %s.  Continue?";

// ---- Enumerations, options, exceptions ---------------------------------------------------------

enum TQueryRedirectLinksResult : std::uint8_t { qrYes, qrNo, qrCancel };
enum TRootReadErrorResult : std::uint8_t { rerOK, rerCancel, rerIgnoreAll };
/// What to do with an inherited component that its ancestor no longer has.
enum TRecoveryResult : std::uint8_t { rrDelete, rrRename, rrCreate, rrCancel };

/// The stored format of a form file: unknown, binary, text, UTF-8 text.
inline constexpr Byte lytUnknown = 0;
inline constexpr Byte lytBinary = 1;
inline constexpr Byte lytText = 2;
inline constexpr Byte lytUTF8Text = 3;

struct TDesignerOptions {
  bool DisplayGrid = true;
  bool SnapToGrid = true;
  bool UseDesignerGuidelines = true;
  Integer GridSizeX = 8;
  Integer GridSizeY = 8;
  bool ShowComponentCaptions = false;
  bool ShowDesignerHints = true;
  /// New form files are stored as text.
  bool LYTFormat = true;
  bool ShowNonVisualComponents = true;
  bool ShowExtendedControlHints = false;
};

struct TDesignSurfaceOptions {
  bool DisplayGrid = true;
  TPoint GridSize{8, 8};
  bool ShowComponentCaptions = false;
  bool ShowDesignerHints = true;
  bool ShowNonVisualComponents = true;
  bool ShowExtendedControlHints = false;
};

/// What an environment answers about the designer options; an environment without it leaves
/// the defaults.
struct IDesignerOptionsProvider : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C03}");
  virtual TDesignerOptions GetDesignerOptions() = 0;
};

class EComponentDesignerException : public Exception {
public:
  using Exception::Exception;
};
class ECannotDeleteNonComponentException : public EComponentDesignerException {
public:
  using EComponentDesignerException::EComponentDesignerException;
};

using TRootProc = std::function<void(const IPtr<IRoot>& root)>;

// ---- Seams -------------------------------------------------------------------------------------

/// The design surface of a live root, with its visual designer; the visual-designer side (or
/// the host) supplies it through CreateRootSurfaceProc.
struct IRootSurface : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C02}");
  /// Bracket the DesignerOpened broadcast.
  virtual void NotificationsStarting() = 0;
  virtual void NotificationsDone() = 0;
  virtual void SetActive(bool active) = 0;
  virtual void SetOptions(const TDesignSurfaceOptions& options) = 0;
  virtual void SetGrid(TPoint gridSize, bool snapToGrid, bool useGuidelines) = 0;
  virtual void SetControlsLocked(bool locked) = 0;
  /// The module changed; repaint when convenient.
  virtual void Modified() = 0;
  virtual void GoingDormant() = 0;
  virtual void Hide() = 0;
  virtual void Show() = 0;
  /// The root is going away: drop every reference to its components.
  virtual void Close() = 0;
  /// The surface's designer, whose grid and snap switch the layout commands use; may be null.
  virtual IPtr<ISurfaceDesigner> GetSurfaceDesigner() = 0;
};

/// Makes the surface of `root` once its root component exists; may answer null.
using TCreateRootSurfaceProc = IPtr<IRootSurface> (*)(TComponentRoot& root);
/// Empty: roots run without a surface.
extern TCreateRootSurfaceProc CreateRootSurfaceProc;

// ---- Interfaces --------------------------------------------------------------------------------

/// The module's form file.
struct IFile : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C10}");
  /// True (and the disk age moved) when the form file changed on disk since it was read or
  /// written.
  virtual bool CheckFileDate() = 0;
  /// The module's form stream, with the module's modification time.
  virtual IPtr<IStream> FormFileOpen() = 0;
  virtual String GetFileName() = 0;
  virtual Integer GetModifyTime() = 0;
  virtual Integer GetTimeAtLoad() = 0;
  /// The module moves to `newFileName` (its form file keeps its extension).
  virtual void Rename(const String& newFileName) = 0;
  virtual void Save() = 0;
};

/// One designed module.
struct IRoot : IFile {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C11}");
  /// Null while dormant.
  virtual TComponent* GetRoot() = 0;
  /// Also while dormant.
  virtual String GetRootName() = 0;
  virtual String GetRootClassName() = 0;
  virtual String GetAncestorName() = 0;
  virtual IPtr<IDesigner> GetDesigner() = 0;
  virtual IPtr<IComponentDesigner> GetComponentDesigner() = 0;
  virtual IPtr<IDesignerModule> GetModule() = 0;
  virtual IPtr<ICustomModule> GetCustomModule() = 0;
  virtual void GoDormant() = 0;
  virtual void Resurrect() = 0;
  virtual bool IsDormant() = 0;
  virtual void Close() = 0;
  virtual void Modified() = 0;
  /// The module's form stream (binary, or text for a text form file), rewound; owned by the
  /// root and valid until the module next changes.
  virtual TStream* GetRootStream() = 0;
  /// True while the module differs from its form file.
  virtual bool IsModified() = 0;
  /// Marks the module as not modified without saving.
  virtual void ResetDiskAge() = 0;
};

/// Operations of a root used inside the package.
struct IInternalRoot : IRoot {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C12}");
  virtual IPtr<IUpdateManager> GetUpdateManager() = 0;
  virtual void UpdateOptions() = 0;
  virtual void SetControlsLocked(bool locked) = 0;
  virtual void SetActive(bool active) = 0;
  virtual void UpdateDependencies() = 0;
  virtual void ClearDependencies() = 0;
  virtual void ClearDependents() = 0;
  virtual void RemoveDependenciesOn(TComponent* component) = 0;
  /// The roots this one refers to, and those that refer to it.
  virtual void GetDependencies(const TRootProc& proc) = 0;
  virtual void GetDependentRoots(const TRootProc& proc) = 0;
  /// True when the root cannot give a selection (dormant or closing).
  virtual bool IsUnavailable() = 0;
  virtual void HideWindow() = 0;
  virtual void ShowWindow() = 0;
  virtual TComponentRoot* Implementor() = 0;
};

/// Mirrors controls left to right within their parents.
struct IFlipChildren : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C1A}");
  /// `allChildren`: every control of the module; otherwise what the selected controls hold.
  virtual void FlipChildren(bool allChildren) = 0;
};

/// The roots of a designer tell it of their lifecycle.
struct IRootListUpdate : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C13}");
  virtual void RootListAdd(const IPtr<IRoot>& root) = 0;
  virtual void RootListRemove(const IPtr<IRoot>& root) = 0;
  virtual void RootGoingDormant(const IPtr<IRoot>& root) = 0;
  virtual void RootModified(const IPtr<IRoot>& root) = 0;
};

/// Marker under which a component designer is handed to the registry.
struct IDesignerRegistrationInterface : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C14}");
};

struct IBaseComponentDesigner : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C15}");
  virtual IPtr<IDesignEnvironment> GetEnvironment() = 0;
  /// The form-file extension of this framework's modules (".lyt").
  virtual String GetExtension() = 0;
  /// A class the registry reports through InvalidDataModuleClasses; may be null.
  virtual TClass GetDataModuleClass() = 0;
  /// True while one of its roots is the active window.
  virtual bool IsActive() = 0;
};

/// The component designer of one GUI framework: keeps that framework's module roots.
struct IComponentDesigner : IBaseComponentDesigner {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C16}");
  virtual void RootActivated(const IPtr<IRoot>& root) = 0;
  virtual IPtr<IRoot> GetActiveRoot() = 0;
  /// Most recently activated first; raises EListError out of range.
  virtual IPtr<IRoot> GetRoots(Integer index) = 0;
  virtual Integer GetRootsCount() = 0;
  virtual void GetRootNames(const TGetStrProc& proc) = 0;
  /// Ignoring case; its own roots first, then those of the other registered designers.
  virtual IPtr<IRoot> FindRoot(const String& name) = 0;
  virtual IPtr<IRoot> FindRootFor(TComponent* component) = 0;
  /// The open (resurrected) module of that class ("TForm2" finds root "Form2"), opening it
  /// through the environment when needed; null when there is none.
  virtual IPtr<IRoot> OpenRootClass(const String& className) = 0;
  virtual bool IsRootBaseClass(const String& className) = 0;
  /// The class name of the accepted registration of that name; "TForm" when there is none.
  virtual String FindBaseClass(const String& className) = 0;
  virtual TCustomModuleClass FindCustomModuleClass(const String& className) = 0;
  virtual bool IsNestable(const String& className) = 0;
  /// Whether a registered root base class belongs to this designer's framework.
  virtual bool OwnsRootClass(TClass rootClass) = 0;
  virtual void RemoveDependenciesOn(TComponent* component) = 0;
  virtual void UpdateRootDependents() = 0;
  virtual void SetControlsLocked(bool locked) = 0;
  virtual bool GetControlsLocked() = 0;
  virtual void DesignerOptionsChanged() = 0;
  virtual void HideWindows() = 0;
  virtual void ShowWindows() = 0;
  /// Publishes the selection of the foremost available root.
  virtual void UpdateSelections() = 0;
  virtual IPtr<IDesignerSelections> GetSelection() = 0;
};

/// The file operations a root saves through (file system '' is the disk).
struct IInternalComponentDesigner : IComponentDesigner {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C17}");
  /// The file's time; -1 when it does not exist.
  virtual Integer GetFileAge(const String& fileSystem, const String& fileName) = 0;
  virtual bool FileExists(const String& fileSystem, const String& fileName) = 0;
  virtual bool IsFileReadOnly(const String& fileSystem, const String& fileName) = 0;
  virtual bool RenameFile(const String& fileSystem, const String& oldName,
                          const String& newName) = 0;
  /// Replaces the file by `data` as a whole, or leaves it as it was and raises.
  virtual void WriteFile(const String& fileSystem, const String& fileName,
                         std::string_view data) = 0;
};

/// The registry of component designers.
struct IComponentDesigners : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C18}");
  virtual bool DesignerActive() = 0;
  virtual void DesignerOptionsChanged() = 0;
  virtual IPtr<IComponentDesigner> GetActiveDesigner() = 0;
  virtual IPtr<IRoot> GetActiveRoot() = 0;
  virtual void HideWindows() = 0;
  virtual void ShowWindows() = 0;
  virtual void SetControlsLocked(bool locked) = 0;
  virtual bool GetControlsLocked() = 0;
  /// The alignment and size commands of the active root; null without one.
  virtual IPtr<IOTAAlignable> GetAlignable() = 0;
  virtual IPtr<IDesignerSelections> GetSelection() = 0;
  /// The extensions of the registered designers, in registration order.
  virtual std::vector<String> RegisteredExtensions() = 0;
  virtual std::vector<TClass> InvalidDataModuleClasses() = 0;
  /// Ignoring case; null when no designer has it.
  virtual IPtr<IComponentDesigner> DesignerFromExtension(const String& extension) = 0;
  virtual void DeactivateDesigner() = 0;
  /// Over a copy of the designers, so they may register or unregister meanwhile; stops when
  /// `func` answers false.
  virtual void
  ForEachDesigner(const std::function<bool(const IPtr<IComponentDesigner>&)>& func) = 0;
  virtual Integer DesignerCount() = 0;
};

struct IInternalComponentDesigners : IComponentDesigners {
  static constexpr TGUID IID = TGUID::Parse("{3E0C62A1-7F4B-4B8E-9D2C-5A1E8F6B3C19}");
  virtual void RegisterDesigner(const IPtr<IComponentDesigner>& designer) = 0;
  virtual void UnregisterDesigner(const IPtr<IComponentDesigner>& designer) = 0;
  virtual void ActivateDesigner(const IPtr<IComponentDesigner>& designer) = 0;
  virtual void RootRemoved(const IPtr<IRoot>& root) = 0;
};

} // namespace fw
