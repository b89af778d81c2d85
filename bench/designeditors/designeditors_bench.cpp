// Cost of the property editor registry: enumerating a selection's editors, finding an editor
// class, registering, and withdrawing a package group.
#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "designeditors/editorregistry.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <memory>
#include <vector>

namespace {

using namespace fw;

/// A component publishing N integer and string properties ("P0".."Pn").
template <int N> class TWide : public TComponent {
  FW_CLASS(TWide)
public:
  using TComponent::TComponent;
  std::array<Integer, N> Ints{};
  std::array<String, N> Texts;
};

template <int N> TClass BuildWide(const char* name, TClass) {
  TClassBuilder<TWide<N>, TComponent> b(name, "Bench");
  for (int i = 0; i < N; ++i) {
    String prop = "P";
    prop += std::to_string(i);
    if (i % 3 == 0)
      b.Property(
          prop, [i](TWide<N>* o) { return o->Texts[static_cast<std::size_t>(i)]; },
          [i](TWide<N>* o, String v) { o->Texts[static_cast<std::size_t>(i)] = std::move(v); });
    else
      b.Property(
          prop, [i](TWide<N>* o) { return o->Ints[static_cast<std::size_t>(i)]; },
          [i](TWide<N>* o, Integer v) { o->Ints[static_cast<std::size_t>(i)] = v; });
  }
  return b.Build();
}

template <int N> TClass TWide<N>::StaticClass() {
  static const TClass cls = BuildWide<N>(N == 50 ? "TWide50" : "TWide300", nullptr);
  return cls;
}

/// A second class of the same layout and properties: mixed selections alternate the two.
template <int N> TClass SiblingClass() {
  static const std::unique_ptr<TClassRec> rec = [] {
    auto r = std::make_unique<TClassRec>(*TWide<N>::StaticClass());
    r->ClassName += "Sibling";
    r->Parent = TWide<N>::StaticClass();
    return r;
  }();
  return rec.get();
}

/// A lean editor, so the figures show the registry rather than the editors.
class TBenchEditor : public TPropertyEditor {
  FW_CLASS(TBenchEditor)
public:
  using TPropertyEditor::TPropertyEditor;
};
TClass TBenchEditor::StaticClass() {
  static const TClass cls =
      TClassBuilder<TBenchEditor, TPropertyEditor>("TBenchEditor", "Bench").Build();
  return cls;
}

/// Ordinal types nobody publishes: registrations that a lookup must not be slowed by.
PTypeInfo UnusedType(int i) {
  static std::vector<PTypeInfo> types;
  while (static_cast<int>(types.size()) <= i)
    types.push_back(
        MakeOrdinalType("TUnused" + std::to_string(types.size()), kindInteger, otSLong, 0, 100));
  return types[static_cast<std::size_t>(i)];
}

/// 1,000 registrations: most for unrelated types, some for the properties' own types.
void FillRegistry(TPropertyEditorRegistry& r, TClass cls) {
  for (int i = 0; i < 990; ++i)
    r.RegisterPropertyEditor(UnusedType(i), nullptr, "", TBenchEditor::StaticClass());
  for (int i = 0; i < 5; ++i) {
    r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", TBenchEditor::StaticClass());
    r.RegisterPropertyEditor(TypeInfo<String>(), cls, String("P").append(std::to_string(i * 3)),
                             TBenchEditor::StaticClass());
  }
}

template <int Props> void GetComponentPropertiesCase(benchmark::State& state, bool mixed) {
  const auto n = static_cast<int>(state.range(0));
  TPropertyEditorRegistry r;
  FillRegistry(r, TWide<Props>::StaticClass());
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  IPtr<IDesignerSelections> sel = CreateSelectionList();
  for (int i = 0; i < n; ++i) {
    TObject* o = mixed && i % 2
                     ? SiblingClass<Props>()->template Create<TComponent*>(owner.get())
                     : TWide<Props>::StaticClass()->template Create<TComponent*>(owner.get());
    sel->Add(static_cast<TPersistent*>(o));
  }
  std::size_t editors = 0;
  for (auto _ : state) {
    editors = 0;
    r.GetComponentProperties(sel, tkProperties, nullptr,
                             [&](const IPtr<IProperty>&) { ++editors; });
    benchmark::DoNotOptimize(editors);
  }
  state.counters["objects"] = n;
  state.counters["props"] = Props;
  state.counters["editors"] = static_cast<double>(editors);
  state.counters["ns_per_object_prop"] = benchmark::Counter(
      static_cast<double>(n) * Props,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_GetComponentProperties_Same50(benchmark::State& s) {
  GetComponentPropertiesCase<50>(s, false);
}
void BM_GetComponentProperties_Mixed50(benchmark::State& s) {
  GetComponentPropertiesCase<50>(s, true);
}
void BM_GetComponentProperties_Same300(benchmark::State& s) {
  GetComponentPropertiesCase<300>(s, false);
}
void BM_GetComponentProperties_Mixed300(benchmark::State& s) {
  GetComponentPropertiesCase<300>(s, true);
}

void SelectionSizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(1, 10000)->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_GetComponentProperties_Same50)->Apply(SelectionSizes);
BENCHMARK(BM_GetComponentProperties_Mixed50)->Apply(SelectionSizes);
BENCHMARK(BM_GetComponentProperties_Same300)->Apply(SelectionSizes);
BENCHMARK(BM_GetComponentProperties_Mixed300)->Apply(SelectionSizes);

// Times the editor lookup for TWide<50>.P1 with the registrations `r` holds.
void TimeLookup(benchmark::State& state, TPropertyEditorRegistry& r) {
  TOwned<TComponent> obj(CreateComponent(TWide<50>::StaticClass(), nullptr));
  PPropInfo p = GetPropInfo(obj.get(), "P1");
  for (auto _ : state)
    benchmark::DoNotOptimize(r.GetEditorClass(p, obj.get()));
  state.counters["registrations"] = static_cast<double>(state.range(0));
}

/// Lookup with `n` registrations spread over many types (the usual case) ...
void BM_GetEditorClass(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  TPropertyEditorRegistry r;
  for (int i = 0; i < n; ++i)
    r.RegisterPropertyEditor(UnusedType(i % 5000), nullptr, "", TBenchEditor::StaticClass());
  r.RegisterPropertyEditor(TypeInfo<Integer>(), TWide<50>::StaticClass(), "P1",
                           TBenchEditor::StaticClass());
  TimeLookup(state, r);
}
BENCHMARK(BM_GetEditorClass)->RangeMultiplier(10)->Range(10, 100000);

/// ... and with all of them for the property's own type, each a candidate to weigh.
void BM_GetEditorClass_SameType(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  TPropertyEditorRegistry r;
  for (int i = 0; i < n; ++i)
    r.RegisterPropertyEditor(TypeInfo<Integer>(), i % 2 ? TComponent::StaticClass() : nullptr, "",
                             TBenchEditor::StaticClass());
  TimeLookup(state, r);
}
BENCHMARK(BM_GetEditorClass_SameType)->RangeMultiplier(10)->Range(10, 100000);

/// Registration cost per call stays flat: new records go to the front in amortised O(1).
void BM_RegisterPropertyEditor(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TPropertyEditorRegistry r;
    for (int i = 0; i < n; ++i)
      r.RegisterPropertyEditor(UnusedType(i % 5000), nullptr, "", TBenchEditor::StaticClass());
    benchmark::ClobberMemory();
  }
  state.counters["per_registration"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_RegisterPropertyEditor)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMicrosecond);

/// Withdrawing a package of `n` registrations among as many of another package.
void BM_FreeEditorGroup(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  DesignEditorsStartup();
  const Integer keep = NewEditorGroup();
  for (int i = 0; i < n; ++i)
    RegisterPropertyEditor(UnusedType(i % 5000), nullptr, "", TBenchEditor::StaticClass());
  for (auto _ : state) {
    const Integer g = NewEditorGroup();
    for (int i = 0; i < n; ++i)
      RegisterPropertyEditor(UnusedType(i % 5000), nullptr, "", TBenchEditor::StaticClass());
    const auto start = std::chrono::steady_clock::now();
    FreeEditorGroup(g);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  FreeEditorGroup(keep);
  DesignEditorsShutdown();
  state.counters["registrations"] = 2.0 * n;
}
BENCHMARK(BM_FreeEditorGroup)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
