// Desktop layouts: the window classes and procedures that take part in saving and loading a
// desktop, the desktop form that writes and reads its own geometry in units of 1/10000 of the
// primary monitor's work area, dock-site client lists and layouts, and the desktop lock.
//
//   TMemIniFile desk("default.dsk");
//   SaveDesktopFormClasses(&desk, false);   // one section per registered window
//   desk.UpdateFile();                      // through the safe-saving unit
#pragma once

#include "basert/inifiles.h"
#include "basert/interfaces.h"
#include "basert/strings.h"
#include "tarn/forms.h"

#include <functional>
#include <string_view>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sLoadingDesktopFailed =
    "Loading the desktop from \"%s\" for dock host window \"%s\" failed with message: "
    "\r\n\r\n\"%s: %s\"";

// Keys every desktop form writes, in this order.
inline constexpr std::string_view sKeyPercentageSizes = "PercentageSizes";
inline constexpr std::string_view sKeyCreate = "Create";
inline constexpr std::string_view sKeyVisible = "Visible";
inline constexpr std::string_view sKeyDocked = "Docked";
inline constexpr std::string_view sKeyState = "State";
inline constexpr std::string_view sKeyLeft = "Left";
inline constexpr std::string_view sKeyTop = "Top";
inline constexpr std::string_view sKeyWidth = "Width";
inline constexpr std::string_view sKeyHeight = "Height";
inline constexpr std::string_view sKeyMaxLeft = "MaxLeft";
inline constexpr std::string_view sKeyMaxTop = "MaxTop";
inline constexpr std::string_view sKeyMaxWidth = "MaxWidth";
inline constexpr std::string_view sKeyMaxHeight = "MaxHeight";
inline constexpr std::string_view sKeyClientWidth = "ClientWidth";
inline constexpr std::string_view sKeyClientHeight = "ClientHeight";

/// The command-line switch that turns the desktop lock off for the whole run.
inline constexpr std::string_view sNoDesktopLockSwitch = "UD";

/// The units relative values are counted in: 1/10000 of the work area.
inline constexpr Integer DesktopRelativeScale = 10000;

/// The largest width or height a loaded window gets.
inline constexpr Integer MaxWindowExtent = 32767;

/// Show commands of a window placement.
inline constexpr Integer SW_HIDE = 0;
inline constexpr Integer SW_SHOWNORMAL = 1;
inline constexpr Integer SW_SHOWMAXIMIZED = 3;
inline constexpr Integer SW_MINIMIZE = 6;

/// A window's restored rectangle, maximised position and show command. The rectangle is in
/// work-area coordinates for an ordinary window and in screen coordinates for a tool window.
struct TWindowPlacement {
  Integer Flags = 0;
  Integer ShowCmd = SW_HIDE;
  TPoint MinPosition{-1, -1};
  TPoint MaxPosition{-1, -1};
  TRect NormalPosition{};
};

/// Round(value / extent x 10000); `value` itself when `extent` is 0 or negative (a screen of no
/// size has no relative scale). The result is clamped to the Integer range.
Integer DesktopActualToRelative(Integer value, Integer extent);
/// Round(value x extent / 10000), the product taken without overflow; `value` itself when
/// `extent` is 0 or negative. Clamped to the Integer range.
Integer DesktopRelativeToActual(Integer value, Integer extent);
/// The work area relative values are measured against: the primary monitor's.
TRect DesktopWorkArea();

/// Told its section when a desktop load created it.
struct IDesktopFormCreator : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{12AB3308-1456-4E78-B3BF-8CF8A0846A88}");
  virtual void DesktopFormCreated(const String& DeskSection) = 0;
};

/// The base of every desktop window: writes and reads its geometry in its own section.
class TDesktopForm : public TForm {
  FW_CLASS(TDesktopForm)
public:
  explicit TDesktopForm(TComponent* owner);
  ~TDesktopForm() override;

  const String& DeskSection() const noexcept { return FDeskSection; }
  void SetDeskSection(const String& value) { FDeskSection = value; }
  bool AutoSave() const noexcept { return FAutoSave; }
  void SetAutoSave(bool value) { FAutoSave = value; }
  bool LoadedFromDesktop() const noexcept { return FLoadedFromDesktop; }
  bool Locked() const noexcept { return FLocked; }
  const TRect& LastLoadedBounds() const noexcept { return FLastLoadedBounds; }
  bool WindowPlacementDirty() const noexcept { return FWindowPlacementDirty; }

  /// Writes the keys of the section (nothing for a null desktop). Sets FSaveStateNecessary,
  /// which descendants test before writing their own keys.
  virtual void SaveWindowState(TCustomIniFile* Desktop, bool IsProject);
  /// Applies the section (nothing for a null desktop or a section without "Create"). Missing
  /// keys keep the current value; a size of 0 or less keeps the current size; positions are
  /// clamped into the monitors' union, and a window off every monitor is brought back when its
  /// placement is applied.
  virtual void LoadWindowState(TCustomIniFile* Desktop);
  /// Writes the desk sections of `DockSite`'s desktop clients, "," separated, under key
  /// `Section`, when there is at least one.
  virtual void SaveDockClients(TCustomIniFile* DeskTop, bool IsProject, const String& Section,
                               TWinControl* DockSite);
  /// Writes the dock manager's layout as hexadecimal text under `Section` (only for a dock site
  /// with a manager and clients).
  virtual void SaveDockStream(TCustomIniFile* DeskTop, const String& Section,
                              TWinControl* DockSite);
  /// Docks into `DockSite` every loaded window the list under `Section` names and undocks the
  /// desktop clients it does not name. Answers whether the list was not empty.
  virtual bool LoadDockClients(TCustomIniFile* DeskTop, const String& Section,
                               TWinControl* DockSite);
  /// Loads the section of every window LoadDockClients docked, then the layout under `Section`.
  /// A window or layout that fails to load is reported through the application's exception
  /// display (sLoadingDesktopFailed for a window) and the rest goes on.
  virtual void LoadDockStream(TCustomIniFile* DeskTop, const String& Section,
                              TWinControl* DockSite);

  /// Suspends applying placements until UnlockUpdates.
  virtual void LockUpdates();
  /// Applies a placement still pending (bringing the window back onto a monitor first).
  virtual void UnlockUpdates();
  /// A dock host flags itself while its clients come back from a dock layout.
  virtual void SetLoadingFromDockStream(bool) {}
  /// Whether the window may be auto-hidden in a dock tab set.
  virtual bool CanAutoHide() const { return true; }

  // The placement record, as the window system keeps it.
  TWindowPlacement GetWindowPlacement() const;
  /// Takes the restored rectangle and the show command (which sets the window state).
  void SetWindowPlacement(const TWindowPlacement& placement);
  /// A tool window's placement is in screen coordinates.
  bool IsToolWindow() const;
  /// The rectangle the window has in the normal state; remembered while it is maximised.
  TRect RestoredBounds() const;
  /// Maximising takes the work area of the window's monitor; returning to normal restores the
  /// rectangle the window had.
  void ChangeWindowState(TWindowState value);
  /// Undocks with the host's redrawing switched off meanwhile; no alignment afterwards.
  void UndockForm();

  // Conversions of (x, y) and (width, height) in place.
  void DesktopPosActualToRelative(Integer& x, Integer& y) const;
  void DesktopPosRelativeToActual(Integer& x, Integer& y) const;
  void DesktopSizeActualToRelative(Integer& w, Integer& h) const;
  void DesktopSizeRelativeToActual(Integer& w, Integer& h) const;
  /// The stored width (height) under `key`: the current size for a missing key or a value that
  /// gives no size; relative when "PercentageSizes" is set, else pixels.
  Integer CrackWidth(TCustomIniFile* Desktop, std::string_view key, Integer defaultValue) const;
  Integer CrackHeight(TCustomIniFile* Desktop, std::string_view key, Integer defaultValue) const;

  void SetVisible(bool value) override;

protected:
  bool FSaveStateNecessary = false;
  bool FDockingTouched = false;

private:
  void ApplyPlacement();
  bool IsMainWindow() const;

  bool FAutoSave = false;
  String FDeskSection;
  bool FLocked = false;
  bool FLoadedFromDesktop = false;
  TWindowPlacement FWindowPlacement;
  bool FWindowPlacementDirty = false;
  TRect FLastLoadedBounds{};
  // The normal rectangle while the window is maximised or minimised.
  TRect FRestored{};
  bool FHasRestored = false;
  bool FPositionsRelative = true; // the section being read holds relative positions
};

using TDesktopFormClass = TClass;

/// One registered window class: its section and the host variable that holds its instance.
class TDesktopFormClassItem {
public:
  TDesktopFormClassItem(TDesktopFormClass formClass, String deskSection, String instanceName);
  TDesktopFormClass FormClass() const noexcept { return FFormClass; }
  const String& DeskSection() const noexcept { return FDeskSection; }
  const String& InstanceName() const noexcept { return FInstanceName; }
  /// The instance the host's variable holds, or null.
  TDesktopForm* Instance() const;
  /// Creates the window when its section says "Create" and it has none, positions it unless it
  /// is docked, hides it when the section does not say "Create"; records the instance in
  /// LoadedDesktopFormInstances.
  void LoadWindow(TCustomIniFile* Desktop);
  void SaveWindow(TCustomIniFile* Desktop, bool IsProject);
  void HideWindow();

private:
  TDesktopFormClass FFormClass;
  String FDeskSection;
  String FInstanceName;
};

using TDesktopLoadProc = void (*)(TCustomIniFile* Desktop);
using TDesktopSaveProc = void (*)(TCustomIniFile* Desktop, bool IsProject);

/// What the IDE host provides; each is called only when assigned.
struct TDesktopHost {
  /// The address of the host's variable for `InstanceName`, or null.
  std::function<TCustomForm**(const String& InstanceName)> GetFieldAddress;
  std::function<void(const String& InstanceName, TCustomForm** Address)> RegisterFieldAddress;
  std::function<void(const String& InstanceName)> UnregisterFieldAddress;
  std::function<void(TCustomForm* Form)> AddMainFormShownEvent;
  std::function<void(TCustomForm* Form)> RemoveMainFormShownEvent;
  std::function<void(TCustomForm* Form)> InitializeForm;
  /// The owner of windows a desktop load creates (the application).
  TComponent* FormOwner = nullptr;
  /// The IDE's main window: always counts as created and visible.
  TCustomForm* MainForm = nullptr;
};
TDesktopHost& DesktopHost();

void RegisterDesktopFormClass(TDesktopFormClass AFormClass, const String& ADeskSection,
                              const String& AInstanceName);
/// Removes the items of that class (and, unless empty, that section).
void UnregisterDesktopFormClass(TDesktopFormClass AFormClass, const String& ADeskSection = {});
/// The instance name of the first item with that class and (unless empty) section; empty when
/// there is none.
String GetInstanceName(TDesktopFormClass FormClass, const String& DeskSection);
const std::vector<TDesktopFormClassItem>& DesktopFormClasses();

/// A pair already registered is not added again.
void RegisterDesktopProcs(TDesktopLoadProc LoadProc, TDesktopSaveProc SaveProc);
void UnregisterDesktopProcs(TDesktopLoadProc LoadProc, TDesktopSaveProc SaveProc);
Integer DesktopProcCount();

/// LoadWindow (SaveWindow) of every class item, in registration order.
void LoadDesktopFormClasses(TCustomIniFile* Desktop);
void SaveDesktopFormClasses(TCustomIniFile* Desktop, bool IsProject);
/// Every registered procedure in order, each followed by DesktopProcessMessages.
void DoDesktopLoadProcs(TCustomIniFile* Desktop);
void DoDesktopSaveProcs(TCustomIniFile* Desktop, bool IsProject);

/// Desk section -> window, filled while a desktop is loaded; a window leaves it when freed.
TStringList& LoadedDesktopFormInstances();
/// The window a loaded desktop knows under `DeskSection`, or null.
TDesktopForm* FindLoadedDesktopForm(std::string_view DeskSection);
void AddLoadedDesktopForm(TDesktopForm* Form);

/// Disables every enabled top-level window (on the first of nested calls) and shows the
/// hourglass; answers the windows it disabled.
std::vector<TControl*> DisableDesktop();
/// Undoes one DisableDesktop; the last one re-enables `WindowList` and restores the cursor.
void EnableDesktop(const std::vector<TControl*>& WindowList);
/// Runs the application's queue, but only while the desktop is disabled.
void DesktopProcessMessages();

void BeginDesktopUpdate();
/// The last one unlocks every locked window.
void EndDesktopUpdate();
bool IsDesktopLocked();

/// Empties every registry and the lock, and forgets the host hooks (shut-down, and a clean
/// start for tests).
void FinalizeDesktop();

/// The names of a client list: "," is the only separator; empty names are dropped.
std::vector<String> SplitDeskSections(std::string_view list);

/// Upper-case hexadecimal, two digits per byte.
String BinToHex(const Byte* data, std::size_t size);
/// Decodes pairs of hexadecimal digits up to the first pair that is not one; answers the
/// number of bytes decoded.
std::size_t HexToBin(std::string_view text, std::vector<Byte>& out);

} // namespace fw
