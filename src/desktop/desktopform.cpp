#include "desktop/desktopform.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "basert/streams.h"
#include "basert/threads.h"
#include "tarn/screen.h"

#include <algorithm>
#include <cmath>
#include <cxxabi.h>
#include <fstream>
#include <limits>
#include <memory>
#include <mutex>
#include <typeinfo>

namespace fw {

namespace {

Integer ClampToInteger(double v) {
  if (!(v == v)) return 0;
  constexpr double lo = std::numeric_limits<Integer>::min();
  constexpr double hi = std::numeric_limits<Integer>::max();
  return static_cast<Integer>(std::clamp(v, lo, hi));
}

// Module-level state: the registries, the lock and the windows that exist.
struct TDesktopState {
  std::vector<TDesktopFormClassItem> Classes;
  std::vector<std::pair<TDesktopLoadProc, TDesktopSaveProc>> Procs;
  TStringList Loaded;
  TDesktopHost Host;
  Integer LockCount = 0;
  std::mutex LockedGuard;
  std::vector<TDesktopForm*> Locked;
  TCustomForm* ActiveBeforeLock = nullptr;
  std::vector<TDesktopForm*> Living;
  Integer DisableCount = 0;
  TCursor SavedCursor = crDefault;
};

TDesktopState& State() {
  static TDesktopState& s = *[] {
    auto* state = new TDesktopState; // outlives every window freed at exit
    state->Loaded.SetSorted(true);
    return state;
  }();
  return s;
}

bool LockSwitchGiven() {
  // Switches come as "-UD" or "/UD" on the process's command line.
  static const bool given = [] {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string arg;
    bool first = true;
    while (std::getline(in, arg, '\0')) {
      if (std::exchange(first, false)) continue;
      if (arg.size() > 1 && (arg[0] == '-' || arg[0] == '/') &&
          SameText(std::string_view(arg).substr(1), sNoDesktopLockSwitch))
        return true;
    }
    return false;
  }();
  return given;
}

// How far the window system's work-area coordinates are from screen coordinates at `r`: the
// work area of the monitor nearest the top-left corner, when it starts right of or below the
// monitor's edge.
TPoint WorkAreaOffset(const TRect& r) {
  const TMonitor* m = Screen()->MonitorFromPoint({r.Left, r.Top}, mdNearest);
  if (!m) return {};
  const Integer dx = m->WorkareaRect().Left - m->BoundsRect().Left;
  const Integer dy = m->WorkareaRect().Top - m->BoundsRect().Top;
  return {std::max(dx, 0), std::max(dy, 0)};
}

TRect Offset(TRect r, Integer dx, Integer dy) {
  return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
}

TRect ScreenToWorkArea(const TRect& r) {
  const TPoint o = WorkAreaOffset(r);
  return Offset(r, -o.X, -o.Y);
}

TRect WorkAreaToScreen(const TRect& r) {
  const TPoint o = WorkAreaOffset(r);
  return Offset(r, o.X, o.Y);
}

// Brings a rectangle (screen coordinates) that lies off every monitor back to the first one, and
// keeps it no larger than the monitor it is on.
TRect BringOnScreen(TRect r, bool maximized) {
  TMonitor* m = Screen()->MonitorFromPoint({r.Left, r.Top}, mdNull);
  if (!m) m = Screen()->MonitorFromPoint({r.Right - 1, r.Top}, mdNull);
  if (!m) {
    m = Screen()->Monitors(0);
    const TRect& w = m->WorkareaRect();
    r = Offset(r, w.Left - r.Left, w.Top - r.Top);
  }
  if (!maximized) {
    const TRect& w = m->WorkareaRect();
    if (r.Width() > w.Width()) r.Right = r.Left + w.Width();
    if (r.Height() > w.Height()) r.Bottom = r.Top + w.Height();
  }
  return r;
}

String ExceptionClassName(const std::exception& e) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(
      abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status), std::free);
  String r = status == 0 && name ? String(name.get()) : String(typeid(e).name());
  const auto colon = r.rfind("::");
  return colon == String::npos ? r : r.substr(colon + 2);
}

void ShowDesktopException(std::exception_ptr e) {
  if (Application && Application->OnException) Application->OnException(e);
}

} // namespace

// ---- conversions -------------------------------------------------------------------------------

Integer DesktopActualToRelative(Integer value, Integer extent) {
  if (extent <= 0) return value;
  return ClampToInteger(std::nearbyint(static_cast<double>(value) / extent * DesktopRelativeScale));
}

Integer DesktopRelativeToActual(Integer value, Integer extent) {
  if (extent <= 0) return value;
  const Int64 product = static_cast<Int64>(value) * extent;
  return ClampToInteger(std::nearbyint(static_cast<double>(product) / DesktopRelativeScale));
}

TRect DesktopWorkArea() { return Screen()->WorkAreaRect(); }

std::vector<String> SplitDeskSections(std::string_view list) {
  std::vector<String> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    if (comma > start) names.emplace_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return names;
}

String BinToHex(const Byte* data, std::size_t size) {
  static constexpr char digits[] = "0123456789ABCDEF";
  String r;
  r.reserve(size * 2);
  for (std::size_t i = 0; i < size; ++i) {
    r += digits[data[i] >> 4];
    r += digits[data[i] & 15];
  }
  return r;
}

std::size_t HexToBin(std::string_view text, std::vector<Byte>& out) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  out.clear();
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    const int hi = digit(text[i]), lo = digit(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    out.push_back(static_cast<Byte>(hi << 4 | lo));
  }
  return out.size();
}

// ---- TDesktopForm ------------------------------------------------------------------------------

TClass TDesktopForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDesktopForm, TForm>("TDesktopForm", "DesktopForm").Build();
  return cls;
}

TDesktopForm::TDesktopForm(TComponent* owner) : TForm(owner) {
  TDesktopHost& host = State().Host;
  if (host.AddMainFormShownEvent) host.AddMainFormShownEvent(this);
  if (host.InitializeForm) host.InitializeForm(this);
  FAutoSave = true;
  State().Living.push_back(this);
}

TDesktopForm::~TDesktopForm() {
  TDesktopState& s = State();
  if (s.Host.RemoveMainFormShownEvent) s.Host.RemoveMainFormShownEvent(this);
  const String instanceName = GetInstanceName(ClassType(), FDeskSection);
  if (!instanceName.empty() && s.Host.GetFieldAddress)
    if (TCustomForm** field = s.Host.GetFieldAddress(instanceName); field && *field == this)
      *field = nullptr;
  {
    std::lock_guard<std::mutex> lock(s.LockedGuard);
    std::erase(s.Locked, this);
  }
  std::erase(s.Living, this);
  for (Integer i = s.Loaded.Count() - 1; i >= 0; --i)
    if (s.Loaded.Objects(i) == this) s.Loaded.Delete(i);
  if (s.ActiveBeforeLock == this) s.ActiveBeforeLock = nullptr;
}

bool TDesktopForm::IsMainWindow() const { return State().Host.MainForm == this; }

bool TDesktopForm::IsToolWindow() const {
  return BorderStyle() == bsToolWindow || BorderStyle() == bsSizeToolWin;
}

TRect TDesktopForm::RestoredBounds() const {
  return WindowState() != wsNormal && FHasRestored ? FRestored : BoundsRect();
}

void TDesktopForm::ChangeWindowState(TWindowState value) {
  if (value == WindowState()) return;
  if (WindowState() == wsNormal) {
    FRestored = BoundsRect();
    FHasRestored = true;
  }
  SetWindowState(value);
  if (HostDockSite()) return;
  if (value == wsMaximized) {
    const TMonitor* m = Screen()->MonitorFromRect(FRestored, mdNearest);
    SetBoundsRect(m->WorkareaRect());
  } else if (value == wsNormal && FHasRestored) {
    SetBoundsRect(FRestored);
  }
}

TWindowPlacement TDesktopForm::GetWindowPlacement() const {
  TWindowPlacement p;
  p.ShowCmd = !Visible()                     ? SW_HIDE
              : WindowState() == wsMaximized ? SW_SHOWMAXIMIZED
              : WindowState() == wsMinimized ? SW_MINIMIZE
                                             : SW_SHOWNORMAL;
  const TRect r = RestoredBounds();
  p.NormalPosition = HostDockSite() || IsToolWindow() ? r : ScreenToWorkArea(r);
  return p;
}

void TDesktopForm::SetWindowPlacement(const TWindowPlacement& placement) {
  const TRect r = HostDockSite() || IsToolWindow() ? placement.NormalPosition
                                                   : WorkAreaToScreen(placement.NormalPosition);
  // Hiding keeps the state the window will show in.
  const TWindowState state = placement.ShowCmd == SW_HIDE            ? WindowState()
                             : placement.ShowCmd == SW_SHOWMAXIMIZED ? wsMaximized
                             : placement.ShowCmd == SW_MINIMIZE      ? wsMinimized
                                                                     : wsNormal;
  ChangeWindowState(wsNormal);
  SetBoundsRect(r);
  ChangeWindowState(state);
}

void TDesktopForm::ApplyPlacement() {
  if (!HostDockSite()) {
    TWindowPlacement& p = FWindowPlacement;
    const bool tool = IsToolWindow();
    const TRect r = tool ? p.NormalPosition : WorkAreaToScreen(p.NormalPosition);
    const bool maximized =
        p.ShowCmd == SW_SHOWMAXIMIZED || (p.ShowCmd == SW_HIDE && WindowState() == wsMaximized);
    const TRect onScreen = BringOnScreen(r, maximized);
    p.NormalPosition = tool ? onScreen : ScreenToWorkArea(onScreen);
  }
  FWindowPlacementDirty = false;
  SetWindowPlacement(FWindowPlacement);
}

void TDesktopForm::SetVisible(bool value) {
  if (value && FWindowPlacementDirty && !FLocked) ApplyPlacement();
  TForm::SetVisible(value);
}

void TDesktopForm::DesktopPosActualToRelative(Integer& x, Integer& y) const {
  if (HostDockSite()) return;
  // Measured from the work area's corner, as the way back adds it: windows on other monitors
  // then come back where they were, whatever task bar the primary monitor has.
  const TRect work = DesktopWorkArea();
  x = DesktopActualToRelative(static_cast<Integer>(std::clamp<Int64>(
                                  Int64{x} - work.Left, std::numeric_limits<Integer>::min(),
                                  std::numeric_limits<Integer>::max())),
                              work.Width());
  y = DesktopActualToRelative(static_cast<Integer>(std::clamp<Int64>(
                                  Int64{y} - work.Top, std::numeric_limits<Integer>::min(),
                                  std::numeric_limits<Integer>::max())),
                              work.Height());
}

void TDesktopForm::DesktopPosRelativeToActual(Integer& x, Integer& y) const {
  const TRect work = DesktopWorkArea();
  const TRect desk = Screen()->DesktopRect();
  const Int64 ax = Int64{DesktopRelativeToActual(x, work.Width())} + work.Left;
  const Int64 ay = Int64{DesktopRelativeToActual(y, work.Height())} + work.Top;
  x = static_cast<Integer>(std::clamp<Int64>(ax, desk.Left, desk.Right));
  y = static_cast<Integer>(std::clamp<Int64>(ay, desk.Top, desk.Bottom));
}

void TDesktopForm::DesktopSizeActualToRelative(Integer& w, Integer& h) const {
  const TRect work = DesktopWorkArea();
  w = DesktopActualToRelative(w, work.Width());
  h = DesktopActualToRelative(h, work.Height());
}

void TDesktopForm::DesktopSizeRelativeToActual(Integer& w, Integer& h) const {
  const TRect work = DesktopWorkArea();
  if (w > 0) w = DesktopRelativeToActual(w, work.Width());
  if (h > 0) h = DesktopRelativeToActual(h, work.Height());
}

Integer TDesktopForm::CrackWidth(TCustomIniFile* Desktop, std::string_view key,
                                 Integer defaultValue) const {
  Integer w = Desktop->ReadInteger(FDeskSection, key, defaultValue);
  if (w <= 0) return Width();
  if (Desktop->ReadBool(FDeskSection, sKeyPercentageSizes, false)) {
    Integer h = 0;
    DesktopSizeRelativeToActual(w, h);
  }
  // A value too small to give a pixel is as good as none.
  return w > 0 ? w : Width();
}

Integer TDesktopForm::CrackHeight(TCustomIniFile* Desktop, std::string_view key,
                                  Integer defaultValue) const {
  Integer h = Desktop->ReadInteger(FDeskSection, key, defaultValue);
  if (h <= 0) return Height();
  if (Desktop->ReadBool(FDeskSection, sKeyPercentageSizes, false)) {
    Integer w = 0;
    DesktopSizeRelativeToActual(w, h);
  }
  return h > 0 ? h : Height();
}

void TDesktopForm::SaveWindowState(TCustomIniFile* Desktop, bool) {
  if (!Desktop) return;
  FSaveStateNecessary = true;
  const String& s = FDeskSection;
  Desktop->WriteBool(s, sKeyPercentageSizes, true);
  Desktop->WriteBool(s, sKeyCreate, true);
  Desktop->WriteBool(s, sKeyVisible, Visible());
  Desktop->WriteBool(s, sKeyDocked, HostDockSite() != nullptr);
  Desktop->WriteInteger(s, sKeyState, static_cast<Integer>(WindowState()));

  // Positions are kept in screen terms here; a docked window's stay in its host's.
  const TWindowPlacement p = GetWindowPlacement();
  const TRect r =
      HostDockSite() || IsToolWindow() ? p.NormalPosition : WorkAreaToScreen(p.NormalPosition);
  Integer x = r.Left, y = r.Top;
  DesktopPosActualToRelative(x, y);
  Desktop->WriteInteger(s, sKeyLeft, x);
  Desktop->WriteInteger(s, sKeyTop, y);
  Integer w = r.Width(), h = r.Height();
  DesktopSizeActualToRelative(w, h);
  Desktop->WriteInteger(s, sKeyWidth, w);
  Desktop->WriteInteger(s, sKeyHeight, h);
  Integer mx = p.MaxPosition.X, my = p.MaxPosition.Y;
  DesktopPosActualToRelative(mx, my);
  Desktop->WriteInteger(s, sKeyMaxLeft, mx);
  Desktop->WriteInteger(s, sKeyMaxTop, my);
  if (WindowState() == wsMaximized) {
    Desktop->WriteInteger(s, sKeyMaxWidth, w);
    Desktop->WriteInteger(s, sKeyMaxHeight, h);
  }
  Integer cw = ClientWidth(), ch = ClientHeight();
  DesktopSizeActualToRelative(cw, ch);
  Desktop->WriteInteger(s, sKeyClientWidth, cw);
  Desktop->WriteInteger(s, sKeyClientHeight, ch);
}

void TDesktopForm::LoadWindowState(TCustomIniFile* Desktop) {
  if (!Desktop) return;
  if (IsDesktopLocked() && !FLocked) LockUpdates();
  const String& s = FDeskSection;
  const bool mainWindow = IsMainWindow();
  if (!Desktop->ReadBool(s, sKeyCreate, false) && !mainWindow) return;

  SetPosition(poDesigned);
  const bool visible = Desktop->ReadBool(s, sKeyVisible, false) || mainWindow;
  Integer state = Desktop->ReadInteger(s, sKeyState, 0);
  if (state < wsNormal || state > wsMaximized) state = wsNormal;
  const bool percent = Desktop->ReadBool(s, sKeyPercentageSizes, false);
  const bool docked = Desktop->ReadBool(s, sKeyDocked, false);
  if (!docked) {
    if (HostDockSite()) UndockForm();
    SetAlign(alNone);
  }

  // A missing position keeps the current one, which is in pixels already.
  const TRect current = RestoredBounds();
  Integer left = Desktop->ReadInteger(s, sKeyLeft, current.Left);
  Integer top = Desktop->ReadInteger(s, sKeyTop, current.Top);
  if (percent && !docked) {
    Integer x = left, y = top;
    DesktopPosRelativeToActual(x, y);
    if (Desktop->ValueExists(s, sKeyLeft)) left = x;
    if (Desktop->ValueExists(s, sKeyTop)) top = y;
  }
  // No window is larger than the window system allows, nor starts outside the monitors' union.
  const Integer width = std::min(CrackWidth(Desktop, sKeyWidth, -1), MaxWindowExtent);
  const Integer height = std::min(CrackHeight(Desktop, sKeyHeight, -1), MaxWindowExtent);
  if (!docked) {
    const TRect desk = Screen()->DesktopRect();
    left = std::clamp(left, desk.Left, desk.Right);
    top = std::clamp(top, desk.Top, desk.Bottom);
  }

  // Pixel positions are not clamped when read: keep the far edge representable.
  left = std::min(left, std::numeric_limits<Integer>::max() - width);
  top = std::min(top, std::numeric_limits<Integer>::max() - height);
  FLastLoadedBounds = {left, top, left + width, top + height};
  FWindowPlacement = {};
  FWindowPlacement.NormalPosition =
      IsToolWindow() || docked ? FLastLoadedBounds : ScreenToWorkArea(FLastLoadedBounds);
  static constexpr Integer showCommands[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
  FWindowPlacement.ShowCmd = visible ? showCommands[state] : SW_HIDE;

  if (!docked) {
    if (!visible && Visible()) Hide();
    const bool showing = Visible();
    FWindowPlacementDirty = !showing;
    ChangeWindowState(wsNormal);
    SetBoundsRect(FLastLoadedBounds);
    if (state != wsNormal) ChangeWindowState(static_cast<TWindowState>(state));
    if (showing) ApplyPlacement();
  }
  SetVisible(visible);
  FLoadedFromDesktop = true;
}

void TDesktopForm::UndockForm() {
  TWinControl* host = HostDockSite();
  if (!host) return;
  // Without window handles there is no redrawing to switch off; the host realigns once.
  host->DisableAlign();
  TOnExit enable([host] { host->EnableAlign(); });
  ManualDock(nullptr);
  SetAlign(alNone);
}

void TDesktopForm::LockUpdates() {
  FLocked = true;
  TDesktopState& s = State();
  std::lock_guard<std::mutex> lock(s.LockedGuard);
  if (std::find(s.Locked.begin(), s.Locked.end(), this) == s.Locked.end()) s.Locked.push_back(this);
}

void TDesktopForm::UnlockUpdates() {
  FLocked = false;
  {
    TDesktopState& s = State();
    std::lock_guard<std::mutex> lock(s.LockedGuard);
    std::erase(s.Locked, this);
  }
  if (FWindowPlacementDirty) {
    if (HostDockSite()) {
      FWindowPlacementDirty = false;
      return;
    }
    ApplyPlacement();
  }
}

void TDesktopForm::SaveDockClients(TCustomIniFile* DeskTop, bool, const String& Section,
                                   TWinControl* DockSite) {
  if (!DeskTop || !DockSite) return;
  String list;
  for (Integer i = 0; i < DockSite->DockClientCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(DockSite->DockClients(i))) {
      if (!list.empty()) list += ',';
      list += f->DeskSection();
    }
  if (!list.empty()) DeskTop->WriteString(FDeskSection, Section, list);
}

void TDesktopForm::SaveDockStream(TCustomIniFile* DeskTop, const String& Section,
                                  TWinControl* DockSite) {
  if (!DeskTop || !DockSite || !DockSite->DockSite() || !DockSite->DockManager() ||
      DockSite->DockClientCount() == 0)
    return;
  TMemoryStream stream;
  DockSite->DockManager()->SaveToStream(stream);
  DeskTop->WriteString(FDeskSection, Section,
                       BinToHex(stream.Memory(), static_cast<std::size_t>(stream.Size())));
}

bool TDesktopForm::LoadDockClients(TCustomIniFile* DeskTop, const String& Section,
                                   TWinControl* DockSite) {
  if (!DeskTop || !DockSite) return false;
  for (Integer i = 0; i < DockSite->DockClientCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(DockSite->DockClients(i))) f->FDockingTouched = false;
  const String list = DeskTop->ReadString(FDeskSection, Section, "");
  for (const String& name : SplitDeskSections(list)) {
    TDesktopForm* f = FindLoadedDesktopForm(name);
    // A window cannot dock into itself or into a site inside it.
    if (!f || f == DockSite || f->ContainsControl(DockSite)) continue;
    f->LockUpdates();
    f->ChangeWindowState(wsNormal);
    if (f->HostDockSite() != DockSite) {
      if (f->HostDockSite()) f->UndockForm();
      f->ManualDock(DockSite);
    }
    f->FDockingTouched = true;
  }
  for (Integer i = DockSite->DockClientCount() - 1; i >= 0; --i) {
    if (i >= DockSite->DockClientCount()) continue;
    auto* f = dynamic_cast<TDesktopForm*>(DockSite->DockClients(i));
    if (!f || f->FDockingTouched) continue;
    f->LockUpdates();
    f->UndockForm();
  }
  return !list.empty();
}

void TDesktopForm::LoadDockStream(TCustomIniFile* DeskTop, const String& Section,
                                  TWinControl* DockSite) {
  if (!DeskTop || !DockSite) return;
  const String data = DeskTop->ReadString(FDeskSection, Section, "");
  if (data.empty()) return;
  std::vector<TDesktopForm*> touched;
  for (Integer i = 0; i < DockSite->DockClientCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(DockSite->DockClients(i)); f && f->FDockingTouched)
      touched.push_back(f);
  for (TDesktopForm* f : touched) {
    f->SetLoadingFromDockStream(true);
    try {
      f->LoadWindowState(DeskTop);
    } catch (Exception& e) {
      const String message = e.Message();
      e.SetMessage(Format(sLoadingDesktopFailed,
                          {DeskTop->FileName(), f->Name(), ExceptionClassName(e), message}));
      ShowDesktopException(std::current_exception());
    }
    f->SetLoadingFromDockStream(false);
    f->FDockingTouched = false;
  }
  if (!DockSite->DockManager()) return;
  std::vector<Byte> bytes;
  HexToBin(data, bytes);
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  stream.SetPosition(0);
  try {
    DockSite->DockManager()->LoadFromStream(stream);
  } catch (Exception&) {
    ShowDesktopException(std::current_exception());
  }
}

// ---- class items -------------------------------------------------------------------------------

TDesktopFormClassItem::TDesktopFormClassItem(TDesktopFormClass formClass, String deskSection,
                                             String instanceName)
    : FFormClass(formClass), FDeskSection(std::move(deskSection)),
      FInstanceName(std::move(instanceName)) {}

TDesktopForm* TDesktopFormClassItem::Instance() const {
  const TDesktopHost& host = State().Host;
  if (FInstanceName.empty() || !host.GetFieldAddress) return nullptr;
  TCustomForm** field = host.GetFieldAddress(FInstanceName);
  return field ? dynamic_cast<TDesktopForm*>(*field) : nullptr;
}

void TDesktopFormClassItem::LoadWindow(TCustomIniFile* Desktop) {
  const TDesktopHost& host = State().Host;
  if (FInstanceName.empty() || !host.GetFieldAddress || !Desktop) return;
  TCustomForm** field = host.GetFieldAddress(FInstanceName);
  if (!field) return;
  if (Desktop->ReadBool(FDeskSection, sKeyCreate, false)) {
    if (!*field) {
      auto* form = dynamic_cast<TDesktopForm*>(
          FFormClass->Create<TComponent*>(static_cast<TComponent*>(host.FormOwner)));
      if (!form) return;
      *field = form;
      if (form->DeskSection().empty()) form->SetDeskSection(FDeskSection);
      // Dock layouts find their panes by name.
      if (form->Name().empty() && IsValidIdent(FDeskSection)) try {
          form->SetName(FDeskSection);
        } catch (const Exception&) {
        }
      if (auto creator = QueryIntf<IDesktopFormCreator>(static_cast<IInterface*>(form)))
        creator->DesktopFormCreated(FDeskSection);
    }
    if (!Desktop->ReadBool(FDeskSection, sKeyDocked, false))
      if (auto* f = dynamic_cast<TDesktopForm*>(*field)) f->LoadWindowState(Desktop);
  } else if (*field) {
    (*field)->Hide();
  }
  if (auto* f = dynamic_cast<TDesktopForm*>(*field)) AddLoadedDesktopForm(f);
}

void TDesktopFormClassItem::SaveWindow(TCustomIniFile* Desktop, bool IsProject) {
  if (TDesktopForm* f = Instance(); f && f->AutoSave()) f->SaveWindowState(Desktop, IsProject);
}

void TDesktopFormClassItem::HideWindow() {
  if (TDesktopForm* f = Instance()) f->Hide();
}

// ---- registries --------------------------------------------------------------------------------

TDesktopHost& DesktopHost() { return State().Host; }

void RegisterDesktopFormClass(TDesktopFormClass AFormClass, const String& ADeskSection,
                              const String& AInstanceName) {
  State().Classes.emplace_back(AFormClass, ADeskSection, AInstanceName);
}

void UnregisterDesktopFormClass(TDesktopFormClass AFormClass, const String& ADeskSection) {
  std::erase_if(State().Classes, [&](const TDesktopFormClassItem& item) {
    return item.FormClass() == AFormClass &&
           (ADeskSection.empty() || SameText(item.DeskSection(), ADeskSection));
  });
}

String GetInstanceName(TDesktopFormClass FormClass, const String& DeskSection) {
  for (const TDesktopFormClassItem& item : State().Classes)
    if (item.FormClass() == FormClass &&
        (DeskSection.empty() || SameText(item.DeskSection(), DeskSection)))
      return item.InstanceName();
  return {};
}

const std::vector<TDesktopFormClassItem>& DesktopFormClasses() { return State().Classes; }

void RegisterDesktopProcs(TDesktopLoadProc LoadProc, TDesktopSaveProc SaveProc) {
  auto& procs = State().Procs;
  const std::pair pair{LoadProc, SaveProc};
  if (std::find(procs.begin(), procs.end(), pair) != procs.end()) return;
  // Storage grows in steps of five, as the registry always did.
  if (procs.size() == procs.capacity()) procs.reserve(procs.capacity() + 5);
  procs.push_back(pair);
}

void UnregisterDesktopProcs(TDesktopLoadProc LoadProc, TDesktopSaveProc SaveProc) {
  std::erase(State().Procs, std::pair{LoadProc, SaveProc});
}

Integer DesktopProcCount() { return static_cast<Integer>(State().Procs.size()); }

void LoadDesktopFormClasses(TCustomIniFile* Desktop) {
  // A window's load may register further classes: walk by index over a stable count.
  auto& classes = State().Classes;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    TDesktopFormClassItem item = classes[i];
    item.LoadWindow(Desktop);
  }
}

void SaveDesktopFormClasses(TCustomIniFile* Desktop, bool IsProject) {
  auto& classes = State().Classes;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    TDesktopFormClassItem item = classes[i];
    item.SaveWindow(Desktop, IsProject);
  }
}

void DoDesktopLoadProcs(TCustomIniFile* Desktop) {
  const auto procs = State().Procs;
  for (const auto& [load, save] : procs) {
    if (load) load(Desktop);
    DesktopProcessMessages();
  }
}

void DoDesktopSaveProcs(TCustomIniFile* Desktop, bool IsProject) {
  const auto procs = State().Procs;
  for (const auto& [load, save] : procs) {
    if (save) save(Desktop, IsProject);
    DesktopProcessMessages();
  }
}

TStringList& LoadedDesktopFormInstances() { return State().Loaded; }

TDesktopForm* FindLoadedDesktopForm(std::string_view DeskSection) {
  TStringList& loaded = State().Loaded;
  const Integer i = loaded.IndexOf(DeskSection);
  return i < 0 ? nullptr : static_cast<TDesktopForm*>(loaded.Objects(i));
}

void AddLoadedDesktopForm(TDesktopForm* Form) {
  TStringList& loaded = State().Loaded;
  const Integer i = loaded.IndexOf(Form->DeskSection());
  if (i >= 0)
    loaded.SetObjects(i, Form);
  else
    loaded.AddObject(Form->DeskSection(), Form);
}

// ---- disabling and locking ---------------------------------------------------------------------

std::vector<TControl*> DisableDesktop() {
  TDesktopState& s = State();
  std::vector<TControl*> disabled;
  if (s.DisableCount++ == 0) {
    for (TDesktopForm* f : s.Living)
      if (!f->Parent() && f->Enabled()) {
        f->SetEnabled(false);
        disabled.push_back(f);
      }
    s.SavedCursor = Screen()->Cursor;
    Screen()->Cursor = crHourGlass;
  }
  return disabled;
}

void EnableDesktop(const std::vector<TControl*>& WindowList) {
  TDesktopState& s = State();
  if (s.DisableCount > 0) --s.DisableCount;
  if (s.DisableCount > 0) return;
  for (TControl* c : WindowList)
    if (auto* f = dynamic_cast<TDesktopForm*>(c);
        f && std::find(s.Living.begin(), s.Living.end(), f) != s.Living.end())
      f->SetEnabled(true);
  Screen()->Cursor = s.SavedCursor;
}

void DesktopProcessMessages() {
  if (State().DisableCount > 0 && Application) Application->ProcessMessages();
}

void BeginDesktopUpdate() {
  if (LockSwitchGiven()) return;
  TDesktopState& s = State();
  if (s.LockCount++ == 0) s.ActiveBeforeLock = Screen()->ActiveForm();
}

void EndDesktopUpdate() {
  TDesktopState& s = State();
  if (s.LockCount > 0) --s.LockCount;
  if (s.LockCount > 0) return;
  std::vector<TDesktopForm*> locked;
  {
    std::lock_guard<std::mutex> lock(s.LockedGuard);
    locked.swap(s.Locked);
  }
  for (TDesktopForm* f : locked)
    // A window unlocked earlier may have been freed by another one's unlocking.
    if (std::find(s.Living.begin(), s.Living.end(), f) != s.Living.end()) f->UnlockUpdates();
  if (s.ActiveBeforeLock) Screen()->SetActiveForm(std::exchange(s.ActiveBeforeLock, nullptr));
}

bool IsDesktopLocked() { return State().LockCount > 0; }

void FinalizeDesktop() {
  TDesktopState& s = State();
  s.Classes.clear();
  s.Procs.clear();
  s.Loaded.Clear();
  s.Host = {};
  s.LockCount = 0;
  {
    std::lock_guard<std::mutex> lock(s.LockedGuard);
    s.Locked.clear();
  }
  s.ActiveBeforeLock = nullptr;
  s.DisableCount = 0;
}

} // namespace fw
