#include "tarn/mainmenu.h"

#include "basert/classbuilder.h"
#include "basert/filer.h"
#include "basert/sysutils.h"

#include <algorithm>

namespace fw {

String StripHotkey(std::string_view caption) {
  String s;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      s += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      s += '&';
      ++i;
    }
  }
  return s;
}

// ---- TMenuItem ---------------------------------------------------------------------------------

TClass TMenuItem::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMenuItem, TComponent>("TMenuItem", "Menus")
          .Property("Action", &TMenuItem::Action, &TMenuItem::SetAction)
          .Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
          .Default(false)
          .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
          .Stored(&TMenuItem::IsCaptionStored)
          .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
          .Default(false)
          .Stored(&TMenuItem::IsCheckedStored)
          .Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault)
          .Default(false)
          .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
          .Default(true)
          .Stored(&TMenuItem::IsEnabledStored)
          .Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
          .Default(0)
          .Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
          .Stored(&TMenuItem::IsHintStored)
          .Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
          .Default(-1)
          .Stored(&TMenuItem::IsImageIndexStored)
          .Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
          .Default(false)
          .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
          .Default(0)
          .Stored(&TMenuItem::IsShortCutStored)
          .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
          .Default(true)
          .Stored(&TMenuItem::IsVisibleStored)
          .Property("OnClick", &TMenuItem::OnClick, &TMenuItem::OnClick)
          .Build();
  return cls;
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    item->Free();
  }
  Detach();
}

void TMenuItem::BeforeDestruction() {
  TComponent::BeforeDestruction();
  Detach();
}

void TMenuItem::Detach() {
  if (!FParent) return;
  auto& list = FParent->FItems;
  if (auto it = std::find(list.rbegin(), list.rend(), this); it != list.rend())
    list.erase(std::next(it).base());
  FParent = nullptr;
}

TMenuItem* TMenuItem::Items(Integer index) const {
  if (index < 0 || index >= Count()) throw EMenuError(sMenuIndexError);
  return FItems[static_cast<std::size_t>(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(Integer index, TMenuItem* item) {
  if (item->FParent) throw EMenuError(sMenuReinserted);
  if (index < 0 || index > Count()) throw EMenuError(sMenuIndexError);
  for (TMenuItem* p = this; p; p = p->FParent)
    if (p == item) throw EMenuError(sMenuReinserted);
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  if (item->FParent != this) throw EMenuError(sMenuNotFound);
  item->Detach();
}

Integer TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

Integer TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(Integer value) {
  if (!FParent) return;
  auto& list = FParent->FItems;
  const Integer cur = MenuIndex();
  value = std::clamp(value, 0, static_cast<Integer>(list.size()) - 1);
  if (cur == value) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->FParent)
    i = i->FParent;
  return i->FMenu;
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  const String wanted = StripHotkey(caption);
  for (TMenuItem* i : FItems)
    if (SameText(StripHotkey(i->FCaption), wanted)) return i;
  return nullptr;
}

TComponent* TMenuItem::GetParentComponent() {
  if (FParent && FParent->FMenu) return FParent->FMenu;
  return FParent;
}

void TMenuItem::SetParentComponent(TComponent* value) {
  if (FParent) FParent->Remove(this);
  if (auto* menu = dynamic_cast<TMenu*>(value))
    menu->Items()->Add(this);
  else if (auto* item = dynamic_cast<TMenuItem*>(value))
    item->Add(this);
}

void TMenuItem::GetChildren(const TGetChildProc& proc, TComponent* root) {
  for (TMenuItem* i : FItems)
    if (i->Owner() == root) proc(i);
}

void TMenuItem::SetChildOrder(TComponent* child, Integer order) {
  if (auto* i = dynamic_cast<TMenuItem*>(child); i && i->FParent == this) i->SetMenuIndex(order);
}

void TMenuItem::ReadState(TReader* reader) {
  if (reader->Parent() && reader->Parent() != GetParentComponent())
    SetParentComponent(reader->Parent());
  TComponent::ReadState(reader);
}

void TMenuItem::SetChecked(bool value) {
  if (FChecked == value) return;
  FChecked = value;
  // Checking a radio item unchecks the others of its group.
  if (value && FRadioItem && FParent && !ComponentState().Contains(stateLoading))
    for (TMenuItem* i : FParent->FItems)
      if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex) i->FChecked = false;
}

void TMenuItem::Click() {
  if (!FEnabled) return;
  if (FAutoCheck) SetChecked(!FChecked);
  const TBasicAction* a = Action();
  if (OnClick.Code && (!a || TMethod(OnClick) != TMethod(a->OnExecute)))
    OnClick(this);
  else if (a && !ComponentState().Contains(stateDesigning))
    FActionLink->Execute(this);
  else
    OnClick(this);
}

// ---- TMenuItem's action

namespace {

class TMenuActionLink : public TBasicActionLink {
public:
  explicit TMenuActionLink(TMenuItem* client) : FClient(client) {}
  void SetCaption(const String& value) override { FClient->SetCaption(value); }
  void SetChecked(bool value) override { FClient->SetChecked(value); }
  void SetEnabled(bool value) override { FClient->SetEnabled(value); }
  void SetHint(const String& value) override { FClient->SetHint(value); }
  void SetImageIndex(Integer value) override { FClient->SetImageIndex(value); }
  void SetShortCut(TShortCut value) override { FClient->SetShortCut(value); }
  void SetVisible(bool value) override { FClient->SetVisible(value); }

private:
  TMenuItem* FClient;
};

/// True unless the item's value equals its action's, read through `get` on both.
template <class G> bool StoredBesideAction(const TMenuItem* item, G get) {
  const auto* a = dynamic_cast<const TCustomAction*>(item->Action());
  return !a || get(*a) != get(*item);
}

} // namespace

void TMenuItem::SetAction(TBasicAction* value) {
  if (value == Action()) return;
  if (!value) {
    FActionLink.reset();
    return;
  }
  if (!FActionLink) FActionLink = std::make_unique<TMenuActionLink>(this);
  FActionLink->SetAction(value);
  auto* a = dynamic_cast<TCustomAction*>(value);
  if (!a) return;
  // While loading only what the item still has at its defaults follows the action.
  const bool loading = ComponentState().Contains(stateLoading);
  if (!loading || FCaption.empty()) SetCaption(a->Caption());
  if (!loading || !FChecked) SetChecked(a->Checked());
  if (!loading || FEnabled) SetEnabled(a->Enabled());
  if (!loading || FHint.empty()) SetHint(a->Hint());
  if (!loading || FImageIndex == -1) SetImageIndex(a->ImageIndex());
  if (!loading || FShortCut == TShortCut(0)) SetShortCut(a->ShortCut());
  if (!loading || FVisible) SetVisible(a->Visible());
}

bool TMenuItem::IsCaptionStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.Caption(); });
}
bool TMenuItem::IsCheckedStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.Checked(); });
}
bool TMenuItem::IsEnabledStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.Enabled(); });
}
bool TMenuItem::IsHintStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.Hint(); });
}
bool TMenuItem::IsImageIndexStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.ImageIndex(); });
}
bool TMenuItem::IsShortCutStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.ShortCut(); });
}
bool TMenuItem::IsVisibleStored() const {
  return StoredBesideAction(this, [](const auto& x) { return x.Visible(); });
}

// ---- TMenu -------------------------------------------------------------------------------------

TClass TMenu::StaticClass() {
  static const TClass cls = TClassBuilder<TMenu, TComponent>("TMenu", "Menus").Build();
  return cls;
}

TMenu::TMenu(TComponent* owner) : TComponent(owner), FItems(new TMenuItem(nullptr)) {
  FItems->FMenu = this;
}

TMenu::~TMenu() = default;

void TMenu::GetChildren(const TGetChildProc& proc, TComponent* root) {
  FItems->GetChildren(proc, root);
}

void TMenu::SetChildOrder(TComponent* child, Integer order) { FItems->SetChildOrder(child, order); }

TMenuItem* TMenu::FindItem(std::string_view path) const {
  TMenuItem* item = FItems.get();
  std::size_t start = 0;
  for (;;) {
    const std::size_t bar = path.find('|', start);
    item = item->Find(path.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (!item || bar == std::string_view::npos) return item;
    start = bar + 1;
  }
}

TClass TMainMenu::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMainMenu, TMenu>("TMainMenu", "Menus")
          .Property("AutoMerge", &TMainMenu::AutoMerge, &TMainMenu::SetAutoMerge)
          .Default(false)
          .Build();
  return cls;
}

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TClass TPopupMenu::StaticClass() {
  static const TClass cls =
      TClassBuilder<TPopupMenu, TMenu>("TPopupMenu", "Menus")
          .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
          .Default(true)
          .Build();
  return cls;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

} // namespace fw
