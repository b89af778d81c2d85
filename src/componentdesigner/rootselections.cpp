#include "componentdesigner/rootselections.h"

#include "basert/classbuilder.h"
#include "componentdesigner/componentroot.h"
#include "componentdesigner/designers.h"

#include <algorithm>

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
  for (Integer i = 0, n = GetCount(); i < n; ++i) {
    IPtr<IItem> item = FSelections->GetItems(i);
    auto p = QueryIntf<IPersistentItem>(item.get());
    if (p && p->GetItem() == instance) return item;
  }
  return nullptr;
}

// ---- the root's selection ----------------------------------------------------------------------

void TComponentRoot::EndSelectionUpdate() {
  if (FSelectionLevel == 0 || --FSelectionLevel > 0 || !FSelectionDirty) return;
  FSelectionDirty = false;
  SelectionChanged();
}

void TComponentRoot::Select(TPersistent* instance, bool extend) {
  if (!instance) return;
  BeginSelectionUpdate();
  if (!extend) FSelection.clear();
  if (std::find(FSelection.begin(), FSelection.end(), instance) == FSelection.end())
    FSelection.push_back(instance);
  SelectionChanged();
  EndSelectionUpdate();
}

void TComponentRoot::SelectComponent(TPersistent* instance) { Select(instance, false); }

void TComponentRoot::SelectComponent(TPersistent* instance, bool extend) {
  Select(instance, extend);
}

void TComponentRoot::ClearSelection() {
  FSelection.clear();
  FAllowNoSelection = false;
  SelectionChanged();
}

void TComponentRoot::NoSelection() {
  FSelection.clear();
  FAllowNoSelection = true;
  SelectionChanged();
}

void TComponentRoot::SelectAll() {
  BeginSelectionUpdate();
  FSelection.clear();
  if (FRoot)
    for (TComponent* c : FRoot->ComponentList())
      if (!IsNoIconComponent(c)) FSelection.push_back(c);
  SelectionChanged();
  EndSelectionUpdate();
}

void TComponentRoot::GetSelections(const IPtr<IDesignerSelections>& list) {
  for (TPersistent* p : FSelection)
    list->Add(p);
  if (FSelection.empty() && !FAllowNoSelection && FRoot && list->GetCount() == 0) list->Add(FRoot);
}

void TComponentRoot::SetSelections(const IPtr<IDesignerSelections>& list) {
  BeginSelectionUpdate();
  FSelection.clear();
  if (list)
    for (Integer i = 0, n = list->GetCount(); i < n; ++i)
      if (TPersistent* p = list->Get(i);
          p && std::find(FSelection.begin(), FSelection.end(), p) == FSelection.end())
        FSelection.push_back(p);
  SelectionChanged();
  EndSelectionUpdate();
}

bool TComponentRoot::IsRootSelected() {
  return (FSelection.empty() && !FAllowNoSelection) || FindSelection(FRoot);
}

bool TComponentRoot::FindSelection(TPersistent* instance) {
  return instance && std::find(FSelection.begin(), FSelection.end(), instance) != FSelection.end();
}

bool TComponentRoot::IsAnchorSelection(TPersistent* instance) {
  return instance && !FSelection.empty() && FSelection.front() == instance;
}

TPersistent* TComponentRoot::SelectedPersistent() {
  if (!FSelection.empty()) return FSelection.front();
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
