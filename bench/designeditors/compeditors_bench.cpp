// Selection editors for large mixed selections and many registrations.
#include "basert/classbuilder.h"
#include "basert/component.h"
#include "designeditors/editorregistry.h"
#include "designeditors/selectioneditors.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace fw;

namespace {

class TBase : public TComponent {
  FW_CLASS(TBase)
public:
  using TComponent::TComponent;
};
class TLeftKind : public TBase {
  FW_CLASS(TLeftKind)
public:
  using TBase::TBase;
};
class TRightKind : public TBase {
  FW_CLASS(TRightKind)
public:
  using TBase::TBase;
};
TClass TBase::StaticClass() {
  static const TClass cls = TClassBuilder<TBase, TComponent>("TBase").Build();
  return cls;
}
TClass TLeftKind::StaticClass() {
  static const TClass cls = TClassBuilder<TLeftKind, TBase>("TLeftKind").Build();
  return cls;
}
TClass TRightKind::StaticClass() {
  static const TClass cls = TClassBuilder<TRightKind, TBase>("TRightKind").Build();
  return cls;
}

void BM_GetSelectionEditors(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int registrations = static_cast<int>(state.range(1));
  SelectionEditorsStartup();
  Integer group = NewEditorGroup();
  // A quarter of the registrations apply to the common class, the rest to a sibling.
  for (int i = 0; i < registrations; ++i)
    RegisterSelectionEditor(i % 4 == 0 ? TBase::StaticClass() : TLeftKind::StaticClass(),
                            TSelectionEditor::StaticClass());
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  IPtr<IDesignerSelections> selection = CreateSelectionList();
  for (int i = 0; i < n; ++i)
    selection->Add(i % 2 ? static_cast<TComponent*>(New<TLeftKind>(owner.get()))
                         : New<TRightKind>(owner.get()));
  Integer found = 0;
  for (auto _ : state) found = GetSelectionEditors(nullptr, selection)->GetCount();
  state.counters["objects"] = n;
  state.counters["registrations"] = registrations;
  state.counters["editors"] = found;
  FreeEditorGroup(group);
  SelectionEditorsShutdown();
}
BENCHMARK(BM_GetSelectionEditors)
    ->Args({100, 1000})
    ->Args({1000, 1000})
    ->Args({10000, 1000})
    ->Unit(benchmark::kMicrosecond);

} // namespace

