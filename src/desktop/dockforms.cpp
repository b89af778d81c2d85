#include "desktop/dockforms.h"

#include "basert/classbuilder.h"
#include "basert/format.h"
#include "basert/onexit.h"
#include "basert/threads.h"
#include "tarn/docktree.h"
#include "tarn/screen.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

namespace fw {

namespace {

std::vector<TBaseDockHostForm*>& LivingHosts() {
  static auto* hosts = new std::vector<TBaseDockHostForm*>; // outlives hosts freed at exit
  return *hosts;
}

String JoinList(const std::vector<String>& names) {
  String r;
  for (const String& n : names) {
    if (!r.empty()) r += ',';
    r += n;
  }
  return r;
}

TRect HalfOn(const TRect& r, TAlign side) {
  switch (side) {
  case alLeft:
    return {r.Left, r.Top, r.Left + r.Width() / 2, r.Bottom};
  case alRight:
    return {r.Right - r.Width() / 2, r.Top, r.Right, r.Bottom};
  case alTop:
    return {r.Left, r.Top, r.Right, r.Top + r.Height() / 2};
  case alBottom:
    return {r.Left, r.Bottom - r.Height() / 2, r.Right, r.Bottom};
  default:
    return r;
  }
}

// The edge of `r` nearest to `p`, measured in shares of the window's size.
TAlign NearestEdge(const TRect& r, TPoint p) {
  const double w = std::max(r.Width(), 1), h = std::max(r.Height(), 1);
  const std::pair<double, TAlign> edges[] = {{(p.X - r.Left) / w, alLeft},
                                             {(r.Right - p.X) / w, alRight},
                                             {(p.Y - r.Top) / h, alTop},
                                             {(r.Bottom - p.Y) / h, alBottom}};
  return std::min_element(std::begin(edges), std::end(edges),
                          [](auto& a, auto& b) { return a.first < b.first; })
      ->second;
}

bool Contains(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// "TabDockHost12" -> 12 for that prefix; 0 when the section is not one.
Integer HostNumberOf(std::string_view section, std::string_view prefix) {
  if (section.size() <= prefix.size() || !SameText(section.substr(0, prefix.size()), prefix))
    return 0;
  const std::string_view digits = section.substr(prefix.size());
  if (digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return 0;
  return static_cast<Integer>(std::strtol(String(digits).c_str(), nullptr, 10));
}

Integer NextHostNumber(std::string_view prefix) {
  for (Integer n = 1;; ++n)
    if (std::none_of(LivingHosts().begin(), LivingHosts().end(), [&](TBaseDockHostForm* h) {
          return HostNumberOf(h->DeskSection(), prefix) == n;
        }))
      return n;
}

bool Alive(TBaseDockHostForm* host) {
  return std::find(LivingHosts().begin(), LivingHosts().end(), host) != LivingHosts().end();
}

} // namespace

// ---- TResizeSuspension -------------------------------------------------------------------------

TResizeSuspension::TResizeSuspension(TWinControl* site)
    : FSite(dynamic_cast<TDockSiteResizing*>(site)) {
  if (FSite) FSite->SuspendResize();
}

TResizeSuspension::~TResizeSuspension() {
  if (FSite) FSite->ResumeResize();
}

// ---- TDockableForm -----------------------------------------------------------------------------

TClass TDockableForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDockableForm, TDesktopForm>("TDockableForm", "DockForm").Build();
  return cls;
}

TDockableForm::TDockableForm(TComponent* owner) : TDesktopForm(owner) {
  SetDragKind(dkDock);
  SetDockSite(true);
}

void TDockableForm::SetDockable(bool value) {
  FDockable = value;
  SetDragKind(value ? dkDock : dkDrag);
}

TRect TDockableForm::TabZone() const {
  const TPoint o = ClientOrigin();
  const Integer cw = ClientWidth(), ch = ClientHeight();
  const Integer dx = cw / 7, dy = ch / 5;
  return {o.X + dx, o.Y + dy, o.X + cw - dx, o.Y + ch - dy};
}

bool TDockableForm::DockOver(TDragDockObject* source, TPoint screenPoint) {
  auto* dragged = dynamic_cast<TDockableForm*>(source->Control());
  if (!dragged || dragged == this || !FDockable || !dragged->Dockable() || !Floating())
    return false;
  const TRect window = BoundsRect();
  if (!Contains(window, screenPoint)) return false;
  const TRect zone = TabZone();
  FDropOnTabs = Contains(zone, screenPoint);
  if (FDropOnTabs) {
    FDropAlign = alClient;
    source->DockRect = zone;
  } else {
    FDropAlign = NearestEdge(window, screenPoint);
    source->DockRect = HalfOn(window, FDropAlign);
  }
  source->DropAlign = FDropAlign;
  source->DropOnControl = this;
  return true;
}

void TDockableForm::DockDrop(TDragDockObject* source, Integer, Integer) {
  CreateDockParent(source);
}

TBaseDockHostForm* TDockableForm::CreateDockParent(TDragDockObject* source) {
  TComponent* owner = DesktopHost().FormOwner;
  TBaseDockHostForm* host = FDropOnTabs
                                ? static_cast<TBaseDockHostForm*>(New<TTabDockHostForm>(owner))
                                : New<TJoinDockForm>(owner);
  TWinControl* site = HostDockSite();
  TResizeSuspension suspend(site);
  if (!site) {
    host->SetBoundsRect(BoundsRect());
  } else {
    // The host takes this window's place in its site.
    host->SetBoundsRect(BoundsRect());
    host->ManualDock(site, this, Align());
    host->Show();
  }
  ManualDock(host->ClientSite(), nullptr, alNone);
  source->Control()->ManualDock(host->ClientSite(), this, FDropOnTabs ? alClient : FDropAlign);
  host->Show();
  Screen()->SetActiveForm(host);
  host->UpdateCaption();
  return host;
}

void TDockableForm::SaveWindowState(TCustomIniFile* Desktop, bool IsProject) {
  FSaveStateNecessary = false;
  TDesktopForm::SaveWindowState(Desktop, IsProject);
  if (!FSaveStateNecessary) return;
  const String& s = DeskSection();
  Integer w = LRDockWidth(), h = TBDockHeight();
  DesktopSizeActualToRelative(w, h);
  Desktop->WriteInteger(s, sKeyTBDockHeight, h);
  Desktop->WriteInteger(s, sKeyLRDockWidth, w);
  Desktop->WriteBool(s, sKeyDockable, FDockable);
  Desktop->WriteBool(s, sKeyStayOnTop, StayOnTop());
}

void TDockableForm::LoadWindowState(TCustomIniFile* Desktop) {
  if (!Desktop) return;
  const String& s = DeskSection();
  SetDockable(Desktop->ReadBool(s, sKeyDockable, true));
  if (Desktop->ReadBool(s, sKeyPercentageSizes, false)) {
    Integer w = Width(), h = Height();
    if (Desktop->ValueExists(s, sKeyLRDockWidth) && Desktop->ValueExists(s, sKeyTBDockHeight)) {
      w = Desktop->ReadInteger(s, sKeyLRDockWidth, w);
      h = Desktop->ReadInteger(s, sKeyTBDockHeight, h);
      DesktopSizeRelativeToActual(w, h);
    }
    SetLRDockWidth(w);
    SetTBDockHeight(h);
    if (Desktop->ReadBool(s, sKeyDocked, false)) {
      SetUndockWidth(CrackWidth(Desktop, sKeyWidth, -1));
      SetUndockHeight(CrackHeight(Desktop, sKeyHeight, -1));
      if (!Desktop->ReadBool(s, sKeyVisible, false) && w > 0 && h > 0)
        SetBounds(Left(), Top(), w, h);
    }
  } else {
    SetTBDockHeight(Desktop->ReadInteger(s, sKeyTBDockHeight, Height()));
    SetLRDockWidth(Desktop->ReadInteger(s, sKeyLRDockWidth, Width()));
  }
  TDesktopForm::LoadWindowState(Desktop);
  SetStayOnTop(Desktop->ReadBool(s, sKeyStayOnTop, false));
}

// ---- TBaseDockHostForm -------------------------------------------------------------------------

TClass TBaseDockHostForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBaseDockHostForm, TDockableForm>("TBaseDockHostForm", "BaseDockHostForm")
          .Build();
  return cls;
}

TBaseDockHostForm::TBaseDockHostForm(TComponent* owner) : TDockableForm(owner) {
  LivingHosts().push_back(this);
}

TBaseDockHostForm::~TBaseDockHostForm() {
  if (Application) Application->RemovePosted(this);
  std::erase(LivingHosts(), this);
}

const std::vector<TBaseDockHostForm*>& TBaseDockHostForm::Hosts() { return LivingHosts(); }

void TBaseDockHostForm::AssignHostNumber(std::string_view prefix, Integer number) {
  FHostDockNumber = number > 0 ? number : NextHostNumber(prefix);
  SetDeskSection(Format("%s%d", {String(prefix), FHostDockNumber}));
}

String TBaseDockHostForm::ClientCaptions() {
  String r;
  TWinControl* site = ClientSite();
  for (Integer i = 0; i < site->DockClientCount(); ++i) {
    TControl* c = site->DockClients(i);
    if (!c->Visible()) continue;
    if (!r.empty()) r += ", ";
    r += c->Caption();
  }
  return r;
}

void TBaseDockHostForm::UpdateCaption() { SetCaption(ClientCaptions()); }

void TBaseDockHostForm::DockDrop(TDragDockObject* source, Integer x, Integer y) {
  TWinControl* site = ClientSite();
  if (site == this)
    TWinControl::DockDrop(source, x, y);
  else
    site->DockDrop(source, x, y);
}

void TBaseDockHostForm::ClientAdded(TControl*) { UpdateCaption(); }

void TBaseDockHostForm::ClientRemoved(TControl* client) {
  if (FLastFocusedClient == client) FLastFocusedClient = nullptr;
  if (ComponentState().Contains(stateDestroying)) return;
  if (ClientCount() > 1) {
    UpdateCaption();
    bool onTop = false;
    for (Integer i = 0; i < ClientCount(); ++i)
      if (auto* f = dynamic_cast<TDockableForm*>(Clients(i)); f && f->StayOnTop()) onTop = true;
    SetStayOnTop(onTop);
    return;
  }
  if (Application) Application->Post([this] { CheckFinalUndock(); }, this);
}

void TBaseDockHostForm::CheckFinalUndock() {
  if (FLoadingFromDockStream || FDesktopLoading || ClientCount() > 1) return;
  TWinControl* site = HostDockSite();
  TResizeSuspension suspend(site);
  if (ClientCount() == 1) {
    TControl* last = Clients(0);
    if (site) {
      last->SetBounds(last->Left(), last->Top(), Width(), Height());
      last->ManualDock(site, this, Align());
    } else {
      const Integer w = last->UndockWidth() > 0 ? last->UndockWidth() : Width();
      const Integer h = last->UndockHeight() > 0 ? last->UndockHeight() : Height();
      last->ManualFloat({Left(), Top(), Left() + w, Top() + h});
    }
    last->Show();
  }
  if (!FDontReleaseForm) Free();
}

// ---- TTabDockInfo ------------------------------------------------------------------------------

TClass TTabDockInfo::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTabDockInfo, TObject>("TTabDockInfo", "TabDockHostForm").Build();
  return cls;
}

TTabDockInfo::TTabDockInfo(TTabDockHostForm* owner, TControl* form, Integer originalIndex)
    : FOwner(owner), FForm(form), FOriginalIndex(originalIndex) {}

TTabSheet* TTabDockInfo::TabSheet() const { return FOwner->PageControl()->PageForClient(FForm); }

Integer TTabDockInfo::TabIndex() const {
  TTabSheet* sheet = TabSheet();
  return sheet ? sheet->PageIndex() : -1;
}

void TTabDockInfo::SetTabIndex(Integer value) {
  if (TTabSheet* sheet = TabSheet()) FOwner->PageControl()->MovePage(sheet, value);
}

void TTabDockInfo::SetActive() {
  if (TTabSheet* sheet = TabSheet()) FOwner->PageControl()->SetActivePage(sheet);
  FOwner->UpdateCaption();
}

void TTabDockInfo::ShowClient() {
  FForm->Show();
  if (TTabSheet* sheet = TabSheet()) sheet->SetTabVisible(true);
}

// ---- TTabDockHostForm --------------------------------------------------------------------------

TClass TTabDockHostForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTabDockHostForm, TBaseDockHostForm>("TTabDockHostForm", "TabDockHostForm")
          .Build();
  return cls;
}

TTabDockHostForm::TTabDockHostForm(TComponent* owner) : TBaseDockHostForm(owner) {
  SetDockSite(false);
  FPageControl = New<TPageControl>(this);
  FPageControl->SetParent(this);
  FPageControl->SetAlign(alClient);
  FPageControl->SetDockSite(true);
  FPageControl->SetTabPosition(tpBottom);
  FPageControl->OnDockClientAdded = [this](TPageControl*, TControl* c) { PageClientAdded(c); };
  FPageControl->OnDockClientRemoved = [this](TPageControl*, TControl* c) { PageClientRemoved(c); };
  AssignHostNumber(sTabDockHostSection);
}

TTabDockHostForm::~TTabDockHostForm() {
  FPageControl->OnDockClientAdded = nullptr;
  FPageControl->OnDockClientRemoved = nullptr;
}

TWinControl* TTabDockHostForm::ClientSite() { return FPageControl; }

TTabDockInfo* TTabDockHostForm::GetDockClientInfo(const TControl* client) const {
  for (const auto& info : FInfos)
    if (info->Form() == client) return info.get();
  return nullptr;
}

TTabDockInfo* TTabDockHostForm::GetDockClientInfoFromTab(const TTabSheet* sheet) const {
  for (const auto& info : FInfos)
    if (sheet && info->TabSheet() == sheet) return info.get();
  return nullptr;
}

TControl* TTabDockHostForm::ActiveClient() const {
  TTabSheet* page = FPageControl->ActivePage();
  return page ? page->DockedControl() : nullptr;
}

void TTabDockHostForm::SetActiveClient(TControl* client) {
  if (TTabDockInfo* info = GetDockClientInfo(client)) info->SetActive();
}

void TTabDockHostForm::UpdateCaption() {
  TControl* active = ActiveClient();
  SetCaption(active ? active->Caption() : String());
}

void TTabDockHostForm::PageClientAdded(TControl* client) {
  if (!GetDockClientInfo(client))
    FInfos.push_back(std::make_unique<TTabDockInfo>(this, client, ClientCount() - 1));
  // A second tab brings the tab strip back.
  if (FPageControl->PageCount() > 1)
    for (Integer i = 0; i < FPageControl->PageCount(); ++i)
      FPageControl->Pages(i)->SetTabVisible(true);
  ClientAdded(client);
}

void TTabDockHostForm::PageClientRemoved(TControl* client) {
  std::erase_if(FInfos, [client](const auto& info) { return info->Form() == client; });
  ClientRemoved(client);
}

void TTabDockHostForm::SaveWindowState(TCustomIniFile* Desktop, bool IsProject) {
  TDockableForm::SaveWindowState(Desktop, IsProject);
  if (!FSaveStateNecessary) return;
  const String& s = DeskSection();
  Desktop->WriteInteger(s, sKeyTabPosition, FPageControl->TabPosition());
  if (auto* active = dynamic_cast<TDesktopForm*>(ActiveClient()))
    Desktop->WriteString(s, sKeyActiveTabID, active->DeskSection());
  // By tab order; clients without a tab last.
  std::vector<String> names, untabbed;
  for (Integer i = 0; i < FPageControl->PageCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(FPageControl->Pages(i)->DockedControl()))
      names.push_back(f->DeskSection());
  for (Integer i = 0; i < ClientCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(Clients(i)); f && !FPageControl->PageForClient(f))
      untabbed.push_back(f->DeskSection());
  names.insert(names.end(), untabbed.begin(), untabbed.end());
  Desktop->WriteString(s, sKeyTabDockClients, JoinList(names));
}

void TTabDockHostForm::LoadWindowState(TCustomIniFile* Desktop) {
  if (!Desktop) return;
  TDockableForm::LoadWindowState(Desktop);
  const String& s = DeskSection();
  const Integer position = Desktop->ReadInteger(s, sKeyTabPosition, tpBottom);
  FPageControl->SetTabPosition(
      position >= tpTop && position <= tpRight ? static_cast<TTabPosition>(position) : tpBottom);
  std::vector<TDesktopForm*> named;
  for (const String& name : SplitDeskSections(Desktop->ReadString(s, sKeyTabDockClients, "")))
    if (TDesktopForm* f = FindLoadedDesktopForm(name);
        f && f != this && !f->ContainsControl(this) &&
        std::find(named.begin(), named.end(), f) == named.end())
      named.push_back(f);
  if (named.empty() && !LoadingFromDockStream()) throw EAbort("");

  FDesktopLoading = true;
  TOnExit done([this] { FDesktopLoading = false; });
  for (Integer i = ClientCount() - 1; i >= 0; --i)
    if (i < ClientCount() && std::find(named.begin(), named.end(), Clients(i)) == named.end())
      if (auto* f = dynamic_cast<TDesktopForm*>(Clients(i))) f->UndockForm();
  Integer tab = 0;
  for (TDesktopForm* f : named) {
    f->LockUpdates();
    if (f->HostDockSite() != FPageControl) {
      if (f->HostDockSite()) f->UndockForm();
      f->ManualDock(FPageControl);
    } else if (f->Visible()) {
      if (TTabDockInfo* info = GetDockClientInfo(f)) info->ShowClient();
    }
    if (TTabDockInfo* info = GetDockClientInfo(f)) info->SetTabIndex(tab++);
    f->LoadWindowState(Desktop);
  }
  if (FPageControl->PageCount() == 1) FPageControl->Pages(0)->SetTabVisible(false);

  const String activeId = Desktop->ReadString(s, sKeyActiveTabID, "");
  const String activeCaption = Desktop->ReadString(s, sKeyActiveTab, "");
  for (Integer i = 0; i < FPageControl->PageCount(); ++i) {
    TControl* c = FPageControl->Pages(i)->DockedControl();
    auto* f = dynamic_cast<TDesktopForm*>(c);
    const bool match = !activeId.empty()
                           ? f && f->DeskSection() == activeId
                           : c && !activeCaption.empty() && SameText(c->Caption(), activeCaption);
    if (match) {
      FPageControl->SetActivePage(FPageControl->Pages(i));
      break;
    }
  }
  UpdateCaption();
}

// ---- TJoinDockForm -----------------------------------------------------------------------------

TClass TJoinDockForm::StaticClass() {
  static const TClass cls =
      TClassBuilder<TJoinDockForm, TBaseDockHostForm>("TJoinDockForm", "JoinDockForm").Build();
  return cls;
}

TJoinDockForm::TJoinDockForm(TComponent* owner) : TBaseDockHostForm(owner) {
  SetDockSite(true);
  SetUseDockManager(true);
  SetDockManager(IPtr<IDockManager>(new TDockTree(this)));
  AssignHostNumber(sJoinDockHostSection);
}

void TJoinDockForm::DoAddDockClient(TControl* client, const TRect& rect) {
  TBaseDockHostForm::DoAddDockClient(client, rect);
  ClientAdded(client);
}

void TJoinDockForm::DoRemoveDockClient(TControl* client) {
  TBaseDockHostForm::DoRemoveDockClient(client);
  ClientRemoved(client);
}

void TJoinDockForm::SaveWindowState(TCustomIniFile* Desktop, bool IsProject) {
  if (DockClientCount() == 0) return;
  TDockableForm::SaveWindowState(Desktop, IsProject);
  if (!FSaveStateNecessary) return;
  SaveDockClients(Desktop, IsProject, String(sKeyDockClients), this);
  SaveDockStream(Desktop, String(sKeyDockSiteData), this);
}

void TJoinDockForm::LoadWindowState(TCustomIniFile* Desktop) {
  if (!Desktop) return;
  TDockableForm::LoadWindowState(Desktop);
  FDesktopLoading = true;
  TOnExit done([this] { FDesktopLoading = false; });
  if (!LoadDockClients(Desktop, String(sKeyDockClients), this)) throw EAbort("");
  LoadDockStream(Desktop, String(sKeyDockSiteData), this);
  UpdateCaption();
}

// ---- drop indicator ----------------------------------------------------------------------------

TClass TBlendForm::StaticClass() {
  static const TClass cls = TClassBuilder<TBlendForm, TForm>("TBlendForm", "DockForm").Build();
  return cls;
}

TBlendForm::TBlendForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  SetColor(clActiveCaption);
  SetVisible(false);
}

TClass TIDEDragDockObject::StaticClass() {
  static const TClass cls =
      TClassBuilder<TIDEDragDockObject, TDragDockObject>("TIDEDragDockObject", "DockForm").Build();
  return cls;
}

TIDEDragDockObject::TIDEDragDockObject(TControl* control)
    : TDragDockObject(control), FBlendForm(New<TBlendForm>(nullptr)) {}

TIDEDragDockObject::~TIDEDragDockObject() = default;

void TIDEDragDockObject::DrawDragDockImage() {
  if (DockRect.Width() <= 0 || DockRect.Height() <= 0) return;
  FBlendForm->SetBoundsRect(DockRect);
  FBlendForm->Show();
}

void TIDEDragDockObject::EraseDragDockImage() { FBlendForm->Hide(); }

TBaseDockHostForm* DropDockable(TDockableForm* dragged, TDockableForm* target, TPoint screenPoint) {
  TIDEDragDockObject drag(dragged);
  if (!target->DockOver(&drag, screenPoint)) return nullptr;
  drag.DrawDragDockImage();
  drag.EraseDragDockImage();
  return target->CreateDockParent(&drag);
}

// ---- host procedures ---------------------------------------------------------------------------

void SaveDockHostForms(TCustomIniFile* Desktop, bool IsProject) {
  if (!Desktop) return;
  std::unordered_set<String, TextHash, TextEqual> written;
  for (TBaseDockHostForm* host : LivingHosts())
    if (host->ClientCount() > 0 && host->AutoSave()) {
      host->SaveWindowState(Desktop, IsProject);
      written.insert(host->DeskSection());
    }
  // Sections of hosts that are gone would steal their old clients on the next load.
  TStringList sections;
  Desktop->ReadSections(sections);
  for (Integer i = 0; i < sections.Count(); ++i) {
    const String& name = sections[i];
    const bool host =
        HostNumberOf(name, sTabDockHostSection) > 0 || HostNumberOf(name, sJoinDockHostSection) > 0;
    if (host && !written.contains(name)) Desktop->EraseSection(name);
  }
}

void LoadDockHostForms(TCustomIniFile* Desktop) {
  if (!Desktop) return;
  TComponent* owner = DesktopHost().FormOwner;
  TStringList sections;
  Desktop->ReadSections(sections);
  std::unordered_map<String, TBaseDockHostForm*, TextHash, TextEqual> existing;
  for (TBaseDockHostForm* h : LivingHosts())
    existing.emplace(h->DeskSection(), h);
  std::vector<TBaseDockHostForm*> made;
  for (Integer i = 0; i < sections.Count(); ++i) {
    const String name = sections[i];
    const Integer tabs = HostNumberOf(name, sTabDockHostSection);
    const Integer joins = HostNumberOf(name, sJoinDockHostSection);
    if ((!tabs && !joins) || !Desktop->ReadBool(name, sKeyCreate, false)) continue;
    if (FindLoadedDesktopForm(name)) continue;
    auto found = existing.find(name);
    TBaseDockHostForm* host = found == existing.end() ? nullptr : found->second;
    if (!host) {
      host = tabs ? static_cast<TBaseDockHostForm*>(New<TTabDockHostForm>(owner))
                  : New<TJoinDockForm>(owner);
      made.push_back(host);
    }
    host->AssignHostNumber(tabs ? sTabDockHostSection : sJoinDockHostSection, tabs ? tabs : joins);
    AddLoadedDesktopForm(host);
  }
  // Every host exists before any loads, so that hosts inside hosts are found; a docked host is
  // loaded by the site that holds it.
  for (TBaseDockHostForm* host : std::vector<TBaseDockHostForm*>(LivingHosts())) {
    if (!Alive(host) || !FindLoadedDesktopForm(host->DeskSection()) ||
        Desktop->ReadBool(host->DeskSection(), sKeyDocked, false))
      continue;
    try {
      host->LoadWindowState(Desktop);
    } catch (const EAbort&) {
    }
  }
  for (TBaseDockHostForm* host : made)
    if (Alive(host) && host->ClientCount() == 0) host->Free();
}

} // namespace fw
