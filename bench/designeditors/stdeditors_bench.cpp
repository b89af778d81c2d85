// Cost of the standard editors where modules and selections grow: the value list of a
// component reference, and writing and comparing a value over a large selection.
#include "basert/classbuilder.h"
#include "designeditors/editorregistry.h"
#include "designeditors/stdeditors.h"

#include "../tests/support/testdesigner.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace fw;
using fwtest::TTestDesigner;

class TBenchItem : public TComponent {
  FW_CLASS(TBenchItem)
public:
  using TComponent::TComponent;
  Integer FWidth = 0;
  String FCaption;
  TBenchItem* FPeer = nullptr;
};

TClass TBenchItem::StaticClass() {
  static const TClass cls = TClassBuilder<TBenchItem, TComponent>("TBenchItem", "Bench")
                                .Property("Width", &TBenchItem::FWidth, &TBenchItem::FWidth)
                                .Property("Caption", &TBenchItem::FCaption, &TBenchItem::FCaption)
                                .Property("Peer", &TBenchItem::FPeer, &TBenchItem::FPeer)
                                .Build();
  return cls;
}

/// A designed module of `n` named components; every other one is a TBenchItem.
struct TModule {
  TOwned<TComponent> Root{New<TComponent>(nullptr)};
  TTestDesigner* Designer = nullptr;
  IPtr<IDesigner> Ref;
  std::vector<TBenchItem*> Items;

  explicit TModule(int n) {
    Ref = fwtest::MakeTestDesigner(Designer);
    Designer->Root = Root.get();
    Root->SetName("Module1");
    Root->SetDesigner(QueryIntf<IDesignerHook>(Ref));
    for (int i = 0; i < n; ++i) {
      TComponent* c = i % 2 == 0 ? New<TBenchItem>(Root.get()) : New<TComponent>(Root.get());
      String name = "C";
      name += std::to_string(i);
      c->SetName(name);
      if (auto* item = dynamic_cast<TBenchItem*>(c)) Items.push_back(item);
    }
  }

  /// The editor of `name` over the first `count` items.
  template <class E> IPtr<IProperty> Editor(const char* name, int count) {
    auto* e = New<E>(Ref, count);
    IPtr<IProperty> p(e);
    PPropInfo info = GetPropInfo(TBenchItem::StaticClass()->TypeInfo, name);
    for (int i = 0; i < count; ++i)
      e->SetPropEntry(i, Items[static_cast<std::size_t>(i)], info);
    e->Initialize();
    return p;
  }
};

void BM_ReferenceValueList(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TModule m(n);
  IPtr<IProperty> peer = m.Editor<TComponentProperty>("Peer", 1);
  std::size_t listed = 0;
  for (auto _ : state) {
    listed = 0;
    peer->GetValues([&](const String& s) { listed += !s.empty(); });
    benchmark::DoNotOptimize(listed);
  }
  state.counters["components"] = n;
  state.counters["listed"] = static_cast<double>(listed);
  state.SetComplexityN(n);
}
BENCHMARK(BM_ReferenceValueList)->RangeMultiplier(10)->Range(10, 10000)->Complexity();

/// Setting a reference by name: the lookup must not grow with the module.
void BM_ReferenceSetValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TModule m(n);
  IPtr<IProperty> peer = m.Editor<TComponentProperty>("Peer", 1);
  const String last = m.Items.back()->Name();
  for (auto _ : state)
    peer->SetValue(last);
  state.counters["components"] = n;
  state.SetComplexityN(n);
}
BENCHMARK(BM_ReferenceSetValue)->RangeMultiplier(10)->Range(10, 10000)->Complexity();

void BM_IntegerSetValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TModule m(2 * n);
  IPtr<IProperty> width = m.Editor<TIntegerProperty>("Width", n);
  int v = 0;
  for (auto _ : state)
    width->SetValue(std::to_string(++v % 1000));
  state.counters["selected"] = n;
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}
BENCHMARK(BM_IntegerSetValue)->RangeMultiplier(10)->Range(1, 10000)->Complexity();

void BM_StringSetValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TModule m(2 * n);
  IPtr<IProperty> caption = m.Editor<TStringProperty>("Caption", n);
  int v = 0;
  for (auto _ : state)
    caption->SetValue(v++ % 2 ? "Caption" : "Other caption");
  state.counters["selected"] = n;
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}
BENCHMARK(BM_StringSetValue)->RangeMultiplier(10)->Range(1, 10000)->Complexity();

/// AllEqual over equal values: the worst case, every entry is read.
template <class E> void AllEqualOf(benchmark::State& state, const char* name) {
  const int n = static_cast<int>(state.range(0));
  TModule m(2 * n);
  IPtr<IProperty> p = m.Editor<E>(name, n);
  p->SetValue(String(p->GetName() == "Peer" ? "C0" : "7"));
  bool equal = false;
  for (auto _ : state) {
    equal = p->AllEqual();
    benchmark::DoNotOptimize(equal);
  }
  if (!equal) state.SkipWithError("values differ");
  state.counters["selected"] = n;
  state.SetItemsProcessed(state.iterations() * n);
  state.SetComplexityN(n);
}
void BM_IntegerAllEqual(benchmark::State& state) { AllEqualOf<TIntegerProperty>(state, "Width"); }
void BM_StringAllEqual(benchmark::State& state) { AllEqualOf<TStringProperty>(state, "Caption"); }
void BM_ReferenceAllEqual(benchmark::State& state) {
  AllEqualOf<TComponentProperty>(state, "Peer");
}
BENCHMARK(BM_IntegerAllEqual)->RangeMultiplier(10)->Range(1, 10000)->Complexity();
BENCHMARK(BM_StringAllEqual)->RangeMultiplier(10)->Range(1, 10000)->Complexity();
BENCHMARK(BM_ReferenceAllEqual)->RangeMultiplier(10)->Range(1, 10000)->Complexity();

} // namespace
