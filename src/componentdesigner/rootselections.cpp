#include "componentdesigner/rootselections.h"

#include "basert/classbuilder.h"
#include "basert/onexit.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designers.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/layoutcommands.h"
#include "designintf/selections.h"

namespace fw {

/// The listener the item selection holds: it points back without a counted reference.
class TSelectionsRelay : public TInterfacedObject, public ISelectionsListener {
  FW_CLASS(TSelectionsRelay)
public:
  explicit TSelectionsRelay(TSelections* owner) : FOwner(owner) {}
  void SelectionChanged(const IPtr<ISelections>& selections) override {
    if (FOwner) FOwner->SelectionChanged(selections);
  }
  void Detach() noexcept { FOwner = nullptr; }

private:
  TSelections* FOwner;
};

TClass TSelectionsRelay::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSelectionsRelay, TInterfacedObject>("TSelectionsRelay", "ComponentDesigner")
          .Implements<ISelectionsListener>()
          .Build();
  return cls;
}

TClass TSelections::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSelections, TInterfacedObject>("TSelections", "ComponentDesigner")
          .Implements<ISelectionsListener>()
          .Build();
  return cls;
}

TSelections::TSelections(IPtr<ISelections> selections,
                         std::function<void(TObject* sender)> onChanged)
    : FSelections(std::move(selections)), FOnChanged(std::move(onChanged)),
      FRelay(New<TSelectionsRelay>(this)) {
  if (FSelections) FSelections->AddListener(IPtr<ISelectionsListener>(FRelay));
}

TSelections::~TSelections() {
  FRelay->Detach();
  if (FSelections) FSelections->RemoveListener(IPtr<ISelectionsListener>(FRelay));
}

void TSelections::SelectionChanged(const IPtr<ISelections>&) {
  if (FOnChanged) FOnChanged(this);
}

Integer TSelections::GetCount() { return FSelections ? FSelections->GetCount() : 0; }

TPersistent* TSelections::GetPersistents(Integer index) {
  auto item = QueryIntf<IPersistentItem>(FSelections->GetItems(index).get());
  return item ? item->GetItem() : nullptr;
}

IPtr<IItem> TSelections::FindItemFor(TPersistent* instance) {
  // Every freed component asks: the stock selection answers from its index, not by a scan.
  if (auto* simple = dynamic_cast<TSimpleSelections*>(FSelections.get()))
    return simple->FindFor(instance);
  for (Integer i = 0, n = GetCount(); i < n; ++i) {
    IPtr<IItem> item = FSelections->GetItems(i);
    auto p = QueryIntf<IPersistentItem>(item.get());
    if (p && p->GetItem() == instance) return item;
  }
  return nullptr;
}

// ---- the root's selection ----------------------------------------------------------------------

void TComponentRoot::BeginSelectionUpdate() { FSelections->Selections()->BeginSelections(); }

void TComponentRoot::EndSelectionUpdate() { FSelections->Selections()->EndSelections(); }

void TComponentRoot::SelectionsChanged(TObject*) {
  if (FClosing || !FRoot || FRoot->ComponentState().Contains(stateDestroying)) return;
  IPtr<IDesignerSelections> list = CreateSelectionList();
  GetSelections(list);
  DesignNotificationSelectionChanged(IPtr<IDesigner>(this), list);
  if (FDesigner->GetActiveRoot().get() == static_cast<IRoot*>(this)) FDesigner->UpdateSelections();
}

void TComponentRoot::Select(TPersistent* instance, bool extend) {
  if (!instance) return;
  const IPtr<ISelections>& items = FSelections->Selections();
  items->BeginSelections();
  TOnExit end([&] { items->EndSelections(); });
  if (!extend) items->Clear();
  items->Add(LayoutItem(instance, FRoot));
}

void TComponentRoot::Deselect(TPersistent* instance) {
  if (FSelections->GetCount() == 0 || !instance) return;
  if (IPtr<IItem> item = FSelections->FindItemFor(instance))
    FSelections->Selections()->Remove(item);
}

void TComponentRoot::SelectComponent(TPersistent* instance) { Select(instance, false); }

void TComponentRoot::SelectComponent(TPersistent* instance, bool extend) {
  Select(instance, extend);
}

void TComponentRoot::ClearSelection() {
  FAllowNoSelection = false;
  FSelections->Selections()->Clear();
}

void TComponentRoot::NoSelection() {
  FAllowNoSelection = true;
  FSelections->Selections()->Clear();
}

void TComponentRoot::SelectAll() {
  const IPtr<ISelections>& items = FSelections->Selections();
  items->BeginSelections();
  TOnExit end([&] { items->EndSelections(); });
  items->Clear();
  if (FRoot)
    for (TComponent* c : FRoot->ComponentList())
      if (!IsNoIconComponent(c)) items->Add(LayoutItem(c, FRoot));
}

void TComponentRoot::GetSelections(const IPtr<IDesignerSelections>& list) {
  const Integer count = FSelections->GetCount();
  for (Integer i = 0; i < count; ++i)
    if (TPersistent* p = FSelections->GetPersistents(i)) list->Add(p);
  if (count == 0 && !FAllowNoSelection && FRoot && list->GetCount() == 0) list->Add(FRoot);
}

void TComponentRoot::SetSelections(const IPtr<IDesignerSelections>& list) {
  const IPtr<ISelections>& items = FSelections->Selections();
  items->BeginSelections();
  TOnExit end([&] { items->EndSelections(); });
  items->Clear();
  if (list)
    for (Integer i = 0, n = list->GetCount(); i < n; ++i)
      if (TPersistent* p = list->Get(i)) items->Add(LayoutItem(p, FRoot));
}

bool TComponentRoot::IsRootSelected() {
  return (FSelections->GetCount() == 0 && !FAllowNoSelection) || FindSelection(FRoot);
}

bool TComponentRoot::FindSelection(TPersistent* instance) {
  return instance && FSelections->FindItemFor(instance);
}

bool TComponentRoot::IsAnchorSelection(TPersistent* instance) {
  return instance && FSelections->GetCount() > 0 && FSelections->GetPersistents(0) == instance;
}

TPersistent* TComponentRoot::SelectedPersistent() {
  if (FSelections->GetCount() > 0) return FSelections->GetPersistents(0);
  return FAllowNoSelection ? nullptr : FRoot;
}

TComponent* TComponentRoot::SelectedComponent() {
  return dynamic_cast<TComponent*>(SelectedPersistent());
}

IPtr<IDesignerSelections> TComponentRoot::GetSelection() {
  IPtr<IDesignerSelections> list = CreateSelectionList();
  GetSelections(list);
  return list;
}

void TComponentRoot::SetSelection(const String& name) {
  if (TComponent* c = GetComponent(name)) Select(c, false);
}

void TComponentRoot::SelectItemName(const String& name) { SetSelection(name); }

} // namespace fw
