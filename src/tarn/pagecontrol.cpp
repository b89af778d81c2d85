#include "tarn/pagecontrol.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <algorithm>

namespace fw {

PTypeInfo TypeInfoOf(std::type_identity<TTabPosition>) {
  static PTypeInfo t =
      MakeEnumType("TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"}, "ComCtrls");
  return t;
}

// ---- TTabSheet ---------------------------------------------------------------------------------

TClass TTabSheet::StaticClass() {
  static const TClass cls = TClassBuilder<TTabSheet, TWinControl>("TTabSheet", "ComCtrls").Build();
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

TControl* TTabSheet::DockedControl() const {
  if (!FPageControl) return nullptr;
  for (Integer i = 0; i < ControlCount(); ++i)
    if (Controls(i)->HostDockSite() == FPageControl) return Controls(i);
  return nullptr;
}

// ---- TPageControl ------------------------------------------------------------------------------

TClass TPageControl::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPageControl, TWinControl>("TPageControl", "ComCtrls").Build();
  return cls;
}

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 289, 193); }

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
