#include "tarn/docktabset.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <algorithm>

namespace fw {

TClass TDockTabSet::StaticClass() {
  static const TClass cls =
      TClassBuilder<TDockTabSet, TWinControl>("TDockTabSet", "DockTabSet").Build();
  return cls;
}

TDockTabSet::TDockTabSet(TComponent* owner) : TWinControl(owner) {
  SetDockSite(true);
  SetBounds(0, 0, 185, 21);
}

TControl* TDockTabSet::TabClient(Integer index) const {
  if (index < 0 || index >= TabCount()) throw EListError(Format(sListIndexError, index));
  return FTabs[static_cast<std::size_t>(index)].Client;
}

Integer TDockTabSet::TabIndexOf(const TControl* client) const {
  for (const TTab& t : FTabs)
    if (t.Client == client) return t.Index;
  return -1;
}

void TDockTabSet::SetTabIndexOf(const TControl* client, Integer index) {
  for (TTab& t : FTabs)
    if (t.Client == client) t.Index = index;
}

std::vector<TControl*> TDockTabSet::TabOrder() const {
  std::vector<TTab> tabs = FTabs;
  std::stable_sort(tabs.begin(), tabs.end(),
                   [](const TTab& a, const TTab& b) { return a.Index < b.Index; });
  std::vector<TControl*> r;
  for (const TTab& t : tabs)
    r.push_back(t.Client);
  return r;
}

void TDockTabSet::DockDrop(TDragDockObject* source, Integer x, Integer y) {
  TControl* client = source->Control();
  TWinControl::DockDrop(source, x, y);
  FTabs.push_back({client, TabCount()});
  client->Hide();
}

void TDockTabSet::DoRemoveDockClient(TControl* client) {
  TWinControl::DoRemoveDockClient(client);
  std::erase_if(FTabs, [client](const TTab& t) { return t.Client == client; });
}

} // namespace fw
