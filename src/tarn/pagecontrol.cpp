#include "tarn/pagecontrol.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/format.h"
#include "tarn/publishing.h"

#include <algorithm>

namespace fw {

PTypeInfo TypeInfoOf(std::type_identity<TTabPosition>) {
  static PTypeInfo t =
      MakeEnumType("TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"}, "ComCtrls");
  return t;
}

// ---- TTabSheet ---------------------------------------------------------------------------------

TClass TTabSheet::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TTabSheet, TWinControl> b("TTabSheet", "ComCtrls");
    // The page control places its sheets: their bounds are not theirs to keep.
    b.Property("Left", &TTabSheet::Left, &TTabSheet::SetLeft)
        .Stored(false)
        .Property("Top", &TTabSheet::Top, &TTabSheet::SetTop)
        .Stored(false)
        .Property("Width", &TTabSheet::Width, &TTabSheet::SetWidth)
        .Stored(false)
        .Property("Height", &TTabSheet::Height, &TTabSheet::SetHeight)
        .Stored(false)
        .Property("Caption", &TTabSheet::Caption, &TTabSheet::SetCaption)
        .Property("ImageIndex", &TTabSheet::ImageIndex, &TTabSheet::SetImageIndex)
        .Default(0)
        .Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex)
        .Stored(false)
        .Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
        .Default(true);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b);
    b.Property("OnResize", &TTabSheet::OnResize, &TTabSheet::OnResize);
    return b.Build();
  }();
  return cls;
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  FControlStyle.Include(controlAcceptsControls);
  SetAlign(alClient);
}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* value) {
  if (FPageControl == value) return;
  if (FPageControl) FPageControl->RemovePage(this);
  if (value) value->InsertPage(this);
}

Integer TTabSheet::PageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer value) {
  if (FPageControl) FPageControl->MovePage(this, value);
}

void TTabSheet::ReadState(TReader* reader) {
  // Joining first also makes the page control this sheet's parent, which it accepts only so.
  if (auto* pages = dynamic_cast<TPageControl*>(reader->Parent())) SetPageControl(pages);
  TWinControl::ReadState(reader);
}

TControl* TTabSheet::DockedControl() const {
  if (!FPageControl) return nullptr;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (Controls(i)->HostDockSite() == FPageControl) return Controls(i);
  return nullptr;
}

// ---- TPageControl ------------------------------------------------------------------------------

TClass TPageControl::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TPageControl, TWinControl> b("TPageControl", "ComCtrls");
    b.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
    detail::PublishPlacement(b);
    detail::PublishStateAndFont(b);
    detail::PublishParents(b);
    // The active page is stored as a reference; the index only shows it.
    b.Property("TabIndex", &TPageControl::TabIndex, &TPageControl::SetTabIndex).Stored(false);
    detail::PublishTabs(b, true);
    b.Property("TabPosition", &TPageControl::TabPosition, &TPageControl::SetTabPosition)
        .Default(tpTop);
    detail::PublishVisibleAndEvents(b);
    return b.Build();
  }();
  return cls;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  // The sheets are freed with the other children once this part is gone.
  for (TTabSheet* page : FPages)
    page->FPageControl = nullptr;
  FPages.clear();
  FActivePage = nullptr;
}

TTabSheet* TPageControl::Pages(Integer index) const {
  if (index < 0 || index >= PageCount()) throw EListError(Format(sListIndexError, index));
  return FPages[static_cast<std::size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
  FPages.push_back(page);
  page->FPageControl = this;
  page->SetParent(this);
  page->SetVisible(page == FActivePage);
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  const auto index = it - FPages.begin();
  FPages.erase(it);
  page->FPageControl = nullptr;
  if (FActivePage == page) {
    FActivePage = nullptr;
    if (!FPages.empty()) SetActivePage(FPages[std::min<std::size_t>(index, FPages.size() - 1)]);
  }
}

void TPageControl::SetActivePage(TTabSheet* value) {
  if (value && value->FPageControl != this) return;
  FActivePage = value;
  for (TTabSheet* page : FPages)
    page->SetVisible(page == value);
}

Integer TPageControl::TabIndex() const {
  Integer index = 0;
  for (TTabSheet* page : FPages) {
    if (page == FActivePage) return page->TabVisible() ? index : -1;
    if (page->TabVisible()) ++index;
  }
  return -1;
}

void TPageControl::SetTabIndex(Integer value) {
  if (Loading()) {
    FPendingTabIndex = value;
    return;
  }
  Integer index = 0;
  for (TTabSheet* page : FPages)
    if (page->TabVisible() && index++ == value) return SetActivePage(page);
}

void TPageControl::SetTabPosition(TTabPosition value) {
  if (FTabPosition == value) return;
  FTabPosition = value;
  Realign();
}

TRect TPageControl::AdjustClientRect() const {
  TRect r = TWinControl::AdjustClientRect();
  r = {r.Left + PageBorder, r.Top + PageBorder, r.Right - PageBorder, r.Bottom - PageBorder};
  switch (FTabPosition) {
  case tpTop:
    r.Top += TabStripExtent;
    break;
  case tpBottom:
    r.Bottom -= TabStripExtent;
    break;
  case tpLeft:
    r.Left += TabStripExtent;
    break;
  case tpRight:
    r.Right -= TabStripExtent;
    break;
  }
  return r;
}

void TPageControl::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TTabSheet* page : std::vector<TTabSheet*>(FPages))
    if (page->Owner() == root) proc(page);
  TWinControl::GetChildren(
      [&](TComponent* child) {
        auto* sheet = dynamic_cast<TTabSheet*>(child);
        if (!sheet || sheet->FPageControl != this) proc(child);
      },
      root);
}

void TPageControl::Loaded() {
  TWinControl::Loaded();
  if (FPendingTabIndex >= 0) {
    const Integer index = FPendingTabIndex;
    FPendingTabIndex = -1;
    SetTabIndex(index);
  }
}

Integer TPageControl::VisibleTabCount() const {
  return static_cast<Integer>(
      std::count_if(FPages.begin(), FPages.end(), [](TTabSheet* p) { return p->TabVisible(); }));
}

TTabSheet* TPageControl::PageForClient(const TControl* client) const {
  for (TTabSheet* page : FPages)
    if (client && client->Parent() == page) return page;
  return nullptr;
}

void TPageControl::MovePage(TTabSheet* page, Integer index) {
  auto it = std::find(FPages.begin(), FPages.end(), page);
  if (it == FPages.end()) return;
  FPages.erase(it);
  index = std::clamp<Integer>(index, 0, PageCount());
  FPages.insert(FPages.begin() + index, page);
}

void TPageControl::DockDrop(TDragDockObject* source, Integer x, Integer y) {
  TControl* client = source->Control();
  TWinControl::DockDrop(source, x, y);
  auto* sheet = New<TTabSheet>(this);
  sheet->SetCaption(client->Caption());
  sheet->SetPageControl(this);
  client->SetParent(sheet);
  client->SetAlign(alClient);
  client->Show();
  SetActivePage(sheet);
  if (OnDockClientAdded) OnDockClientAdded(this, client);
}

void TPageControl::DoRemoveDockClient(TControl* client) {
  TWinControl::DoRemoveDockClient(client);
  if (TTabSheet* sheet = PageForClient(client)) {
    // The control outlives its sheet: it leaves before the sheet is freed.
    client->SetParent(nullptr);
    sheet->Free();
  }
  if (OnDockClientRemoved) OnDockClientRemoved(this, client);
}

} // namespace fw
