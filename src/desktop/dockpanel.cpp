#include "desktop/dockpanel.h"

#include "basert/classbuilder.h"
#include "basert/onexit.h"
#include "basert/sysutils.h"
#include "tarn/screen.h"

#include <algorithm>
#include <charconv>

namespace fw {

// ---- dock trees --------------------------------------------------------------------------------

TClass TCaptionedDockTree::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCaptionedDockTree, TDockTree>("TCaptionedDockTree", "CaptionedDockTree")
          .Build();
  return cls;
}

TCaptionedDockTree::TCaptionedDockTree(TWinControl* site, TDockCaptionOrientation orientation,
                                       bool proportional)
    : TDockTree(site, proportional), FOrientation(orientation) {}

TClass TPercentageDockTree::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPercentageDockTree, TCaptionedDockTree>("TPercentageDockTree", "DockPanel")
          .Build();
  return cls;
}

TPercentageDockTree::TPercentageDockTree(TWinControl* site, TDockCaptionOrientation orientation)
    : TCaptionedDockTree(site, orientation, true) {}

// ---- TEditorDockPanel --------------------------------------------------------------------------

TClass TEditorDockPanel::StaticClass() {
  static const TClass cls =
      TClassBuilder<TEditorDockPanel, TPanel>("TEditorDockPanel", "DockPanel").Build();
  return cls;
}

TEditorDockPanel::TEditorDockPanel(TComponent* owner) : TPanel(owner) {
  SetBevelOuter(bvNone);
  SetDockSite(true);
  SetUseDockManager(true);
  SetDockManager(IPtr<IDockManager>(new TPercentageDockTree(this, FOrientation)));
}

void TEditorDockPanel::CheckEdgeAlign() const {
  if (Align() != alTop && Align() != alBottom && Align() != alLeft && Align() != alRight)
    throw EInvalidOperation(sAlignNotSetCorrectly);
}

void TEditorDockPanel::SetSplitter(TSplitter* value) {
  if (value) {
    CheckEdgeAlign();
    // Compared by edges, so that a collapsed panel still tells its sides apart.
    bool inner = false;
    switch (Align()) {
    case alLeft:
      inner = value->Left() >= Left() + Width();
      break;
    case alRight:
      inner = value->Left() + value->Width() <= Left();
      break;
    case alTop:
      inner = value->Top() >= Top() + Height();
      break;
    default:
      inner = value->Top() + value->Height() <= Top();
      break;
    }
    if (value->Align() != Align() || !inner) throw EInvalidOperation(sSplitterNotConfigured);
  }
  if (FSplitter) FSplitter->RemoveFreeNotification(this);
  FSplitter = value;
  if (FSplitter) FSplitter->FreeNotification(this);
}

void TEditorDockPanel::SetNextControl(TControl* value) {
  if (value) {
    CheckEdgeAlign();
    bool outer = false;
    switch (Align()) {
    case alLeft:
      outer = value->Left() + value->Width() <= Left();
      break;
    case alRight:
      outer = value->Left() >= Left() + Width();
      break;
    case alTop:
      outer = value->Top() + value->Height() <= Top();
      break;
    default:
      outer = value->Top() >= Top() + Height();
      break;
    }
    if (value == this || value->Align() != Align() || !outer)
      throw EInvalidOperation(sNextControlNotConfigured);
  }
  if (FNextControl) FNextControl->RemoveFreeNotification(this);
  FNextControl = value;
  if (FNextControl) FNextControl->FreeNotification(this);
}

void TEditorDockPanel::Notification(TComponent* component, TOperation operation) {
  TPanel::Notification(component, operation);
  if (operation != notifyRemove) return;
  if (component == FSplitter) FSplitter = nullptr;
  if (component == FNextControl) FNextControl = nullptr;
}

void TEditorDockPanel::SetDockCaptionOrientation(TDockCaptionOrientation value) {
  if (value == FOrientation) return;
  FOrientation = value;
  std::vector<TControl*> clients;
  if (auto* tree = dynamic_cast<TDockTree*>(DockManager().get())) clients = tree->Clients();
  auto* tree = new TCaptionedDockTree(this, value);
  SetDockManager(IPtr<IDockManager>(tree));
  for (TControl* c : clients)
    tree->InsertControl(c, c->Align(), nullptr);
}

void TEditorDockPanel::SetResizeSuspended(bool value) {
  if (value) {
    FSuspended = std::max(FSuspended, 1);
  } else if (FSuspended > 0) {
    FSuspended = 0;
    if (DockManager()) DockManager()->ResetBounds(true);
  }
}

void TEditorDockPanel::SuspendResize() { ++FSuspended; }

void TEditorDockPanel::ResumeResize() {
  if (FSuspended == 0) return;
  if (--FSuspended == 0 && DockManager()) DockManager()->ResetBounds(true);
}

void TEditorDockPanel::SetExtent(Integer value) {
  // Never more than the screen, whatever a file or a window's dock size says.
  value = std::clamp(value, 0, Horizontal() ? Screen()->Height() : Screen()->Width());
  if (Horizontal())
    SetHeight(value);
  else
    SetWidth(value);
}

bool TEditorDockPanel::HasVisibleClient() const {
  for (Integer i = 0; i < DockClientCount(); ++i)
    if (DockClients(i)->Visible()) return true;
  return false;
}

void TEditorDockPanel::AdjustPosition() {
  if (FNextControl) {
    const TRect n = FNextControl->BoundsRect();
    switch (Align()) {
    case alLeft:
      SetLeft(n.Right + 1);
      break;
    case alRight:
      SetLeft(n.Left - Width() - 1);
      break;
    case alTop:
      SetTop(n.Bottom + 1);
      break;
    case alBottom:
      SetTop(n.Top - Height() - 1);
      break;
    default:
      break;
    }
  }
  if (FSplitter) {
    switch (Align()) {
    case alLeft:
      FSplitter->SetLeft(Left() + Width() + 1);
      break;
    case alRight:
      FSplitter->SetLeft(Left() - FSplitter->Width() - 1);
      break;
    case alTop:
      FSplitter->SetTop(Top() + Height() + 1);
      break;
    case alBottom:
      FSplitter->SetTop(Top() - FSplitter->Height() - 1);
      break;
    default:
      break;
    }
    FSplitter->Show();
  }
}

void TEditorDockPanel::Collapse() {
  SetExtent(0);
  if (FSplitter) FSplitter->Hide();
}

void TEditorDockPanel::DockOver(TDragDockObject* source) {
  const TWinControl* parent = Parent();
  if (!parent) return;
  TRect& r = source->DockRect;
  const Integer halfW = parent->ClientWidth() / 2, halfH = parent->ClientHeight() / 2;
  switch (Align()) {
  case alLeft:
    r.Right = std::min(r.Right, r.Left + halfW);
    break;
  case alRight:
    r.Left = std::max(r.Left, r.Right - halfW);
    break;
  case alTop:
    r.Bottom = std::min(r.Bottom, r.Top + halfH);
    break;
  case alBottom:
    r.Top = std::max(r.Top, r.Bottom - halfH);
    break;
  default:
    break;
  }
}

void TEditorDockPanel::DockDrop(TDragDockObject* source, Integer x, Integer y) {
  TControl* client = source->Control();
  // Only a dragged window brings a drop rectangle; a window docked by code brings its own size.
  if (client->Visible() && Extent() == 0 && dynamic_cast<TIDEDragDockObject*>(source)) {
    const TRect& r = source->DockRect;
    Integer size = Horizontal() ? r.Height() : r.Width();
    if (size <= 0) size = Horizontal() ? client->TBDockHeight() : client->LRDockWidth();
    SetExtent(size);
  }
  TPanel::DockDrop(source, x, y);
}

void TEditorDockPanel::DoAddDockClient(TControl* client, const TRect& rect) {
  TPanel::DoAddDockClient(client, rect);
  if (!client->Visible() || Extent() != 0) return;
  if (Horizontal())
    SetExtent(client->TBDockHeight() + (FOrientation == dcoHorizontal ? DockCaptionHeight : 0));
  else
    SetExtent(client->LRDockWidth());
  AdjustPosition();
}

void TEditorDockPanel::DoRemoveDockClient(TControl* client) {
  TPanel::DoRemoveDockClient(client);
  if (ComponentState().Contains(stateDestroying)) return;
  if (!ResizeSuspended() && !HasVisibleClient()) Collapse();
}

void TEditorDockPanel::SaveState(TCustomIniFile* Desktop, bool IsProject, const String& SizeKey,
                                 const String& ClientsKey, const String& StreamKey,
                                 TDesktopForm* DeskForm) {
  if (!Desktop || !DeskForm) return;
  // Against the whole monitor, not its work area: the panel lies inside the main window.
  const Integer full = Horizontal() ? Screen()->Height() : Screen()->Width();
  Desktop->WriteInteger(DeskForm->DeskSection(), SizeKey, DesktopActualToRelative(Extent(), full));
  DeskForm->SaveDockClients(Desktop, IsProject, ClientsKey, this);
  DeskForm->SaveDockStream(Desktop, StreamKey, this);
}

void TEditorDockPanel::LoadState(TCustomIniFile* Desktop, const String& SizeKey,
                                 const String& ClientsKey, const String& StreamKey,
                                 TDesktopForm* DeskForm) {
  if (!Desktop || !DeskForm || !Desktop->SectionExists(DeskForm->DeskSection())) return;
  const String& section = DeskForm->DeskSection();
  Integer size = Desktop->ReadInteger(section, SizeKey, 0);
  if (Desktop->ReadBool(section, sKeyPercentageSizes, false))
    size = DesktopRelativeToActual(size, Horizontal() ? Screen()->Height() : Screen()->Width());
  SetExtent(size);
  {
    SuspendResize();
    TOnExit resume([this] { ResumeResize(); });
    DeskForm->LoadDockClients(Desktop, ClientsKey, this);
    DeskForm->LoadDockStream(Desktop, StreamKey, this);
  }
  // Hidden windows stay docked, so that they come back here when shown; the panel collapses
  // as it does when its last visible window leaves.
  if (!HasVisibleClient()) {
    Collapse();
    return;
  }
  AdjustPosition();
}

// ---- TIDEDockTabSet ----------------------------------------------------------------------------

TClass TIDEDockTabSet::StaticClass() {
  static const TClass cls =
      TClassBuilder<TIDEDockTabSet, TDockTabSet>("TIDEDockTabSet", "DockPanel").Build();
  return cls;
}

TIDEDockTabSet::TIDEDockTabSet(TComponent* owner) : TDockTabSet(owner) {}

String TIDEDockTabSet::GetDockCaption(TControl* client) const {
  String caption = client->Caption();
  if (auto* host = dynamic_cast<TTabDockHostForm*>(client)) caption = host->ClientCaptions();
  return caption.empty() ? String(sUntitledDockCaption) : caption;
}

bool TIDEDockTabSet::AutoHide(TControl* client) const {
  auto* f = dynamic_cast<TDesktopForm*>(client);
  return !f || f->CanAutoHide();
}

void TIDEDockTabSet::SaveState(TCustomIniFile* Desktop, bool, const String& Key,
                               TDesktopForm* DeskForm) {
  if (!Desktop || !DeskForm) return;
  String list;
  for (Integer i = 0; i < DockClientCount(); ++i)
    if (auto* f = dynamic_cast<TDesktopForm*>(DockClients(i))) {
      if (!list.empty()) list += ',';
      list += f->DeskSection() + "=" + IntToStr(TabIndexOf(f));
    }
  if (!list.empty()) Desktop->WriteString(DeskForm->DeskSection(), Key, list);
}

void TIDEDockTabSet::LoadState(TCustomIniFile* Desktop, const String& Key, TDesktopForm* DeskForm) {
  if (!Desktop || !DeskForm || !Desktop->SectionExists(DeskForm->DeskSection())) return;
  for (Integer i = DockClientCount() - 1; i >= 0; --i)
    if (i < DockClientCount()) DockClients(i)->ManualDock(nullptr);
  const String list = Desktop->ReadString(DeskForm->DeskSection(), Key, "");
  std::size_t start = 0;
  while (start < list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view entry(list.data() + start, comma - start);
    start = comma + 1;
    const std::size_t eq = entry.find('=');
    TDesktopForm* f = FindLoadedDesktopForm(entry.substr(0, eq));
    if (!f || f->ContainsControl(this) || f->HostDockSite() == this) continue;
    if (f->HostDockSite()) f->UndockForm();
    f->ManualDock(this);
    if (eq != std::string_view::npos) {
      const std::string_view number = entry.substr(eq + 1);
      Integer index = 0;
      const auto [end, error] =
          std::from_chars(number.data(), number.data() + number.size(), index);
      if (error == std::errc() && end == number.data() + number.size()) SetTabIndexOf(f, index);
    }
    f->LoadWindowState(Desktop);
    f->Hide();
  }
  RemoveDeadTabs();
}

void TIDEDockTabSet::RemoveDeadTabs() {
  const Integer count = DockClientCount();
  std::vector<bool> used(static_cast<std::size_t>(count), false);
  std::vector<TControl*> dead;
  for (Integer i = 0; i < count; ++i) {
    TControl* c = DockClients(i);
    const Integer index = TabIndexOf(c);
    if (index >= 0 && index < count && !used[static_cast<std::size_t>(index)])
      used[static_cast<std::size_t>(index)] = true;
    else
      dead.push_back(c);
  }
  std::size_t free = 0;
  for (TControl* c : dead) {
    while (used[free])
      ++free;
    used[free] = true;
    SetTabIndexOf(c, static_cast<Integer>(free));
  }
}

} // namespace fw
