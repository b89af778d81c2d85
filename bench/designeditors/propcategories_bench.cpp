// Cost of property categories: one inspector pass (every property of a 300-property component
// classified) and the withdrawal of one package group, over 20 to 2,000 categories holding 10 to
// 1,000 filters in all.
#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "designeditors/propcategories.h"

#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

namespace {

using namespace fw;

constexpr int kProps = 300;

/// A component publishing kProps integer properties "Prop000".."Prop299".
class TBenchControl : public TComponent {
  FW_CLASS(TBenchControl)
public:
  using TComponent::TComponent;
  std::array<Integer, kProps> Values{};
};

String PropName(int i) {
  String s = "Prop";
  s += static_cast<char>('0' + i / 100);
  s += static_cast<char>('0' + i / 10 % 10);
  s += static_cast<char>('0' + i % 10);
  return s;
}

TClass TBenchControl::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TBenchControl, TComponent> b("TBenchControl", "Bench");
    for (int i = 0; i < kProps; ++i)
      b.Property(
          PropName(i), [i](TBenchControl* o) { return o->Values[static_cast<std::size_t>(i)]; },
          [i](TBenchControl* o, Integer v) { o->Values[static_cast<std::size_t>(i)] = v; });
    return b.Build();
  }();
  return cls;
}

/// `categories` categories, half made by group 1 (the environment) and half by group 2 (a
/// package), and `filters` filters spread over them in turn, alternately stamped 1 and 2: half
/// exact names, a quarter wildcard masks, a quarter restricted to the component class. A tenth
/// of the categories are hidden.
std::unique_ptr<TPropertyCategoryList> MakeList(int categories, int filters) {
  const Integer saved = CurrentGroup;
  auto list = std::make_unique<TPropertyCategoryList>();
  std::vector<TPropertyCategory*> cats;
  for (int i = 0; i < categories; ++i) {
    CurrentGroup = 1 + i % 2;
    String name = "Category ";
    name += std::to_string(i);
    cats.push_back(list->FindCategory(name));
    cats.back()->SetVisible(i % 10 != 0);
  }
  for (int i = 0; i < filters; ++i) {
    CurrentGroup = 1 + i % 2;
    const int p = (i * 7) % kProps;
    String mask = PropName(p);
    TClass cls = nullptr;
    switch (i % 4) {
    case 1:
      mask.back() = '*';
      break; // ten properties each
    case 2:
      mask[5] = '?';
      break; // ten properties each
    case 3:
      cls = TBenchControl::StaticClass();
      break;
    default:
      break;
    }
    cats[static_cast<std::size_t>(i % categories)]->Add(
        std::make_unique<TComponentPropertyFilter>(mask, cls, nullptr));
  }
  CurrentGroup = saved;
  return list;
}

void SetSizes(benchmark::State& state) {
  state.counters["categories"] = static_cast<double>(state.range(0));
  state.counters["filters"] = static_cast<double>(state.range(1));
}

// One inspector pass: clear the counts, then classify every property through `match`.
template <class Match>
void InspectorPass(benchmark::State& state, TPropertyCategoryList& list, Match match) {
  std::vector<String> names;
  for (int i = 0; i < kProps; ++i)
    names.push_back(PropName(i));
  int shown = 0;
  for (auto _ : state) {
    list.ClearMatches();
    shown = 0;
    for (const String& n : names)
      shown += match(n) ? 1 : 0;
    benchmark::DoNotOptimize(shown);
  }
  SetSizes(state);
  state.counters["shown"] = shown;
  state.counters["per_property"] = benchmark::Counter(
      kProps, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

/// One inspector pass by class.
void BM_InspectorPassByClass(benchmark::State& state) {
  auto list = MakeList(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TClass cls = TBenchControl::StaticClass();
  InspectorPass(state, *list, [&](const String& n) { return list->Match(n, cls); });
}

/// The same pass through the object-based form the inspector uses with a live component.
void BM_InspectorPassByObject(benchmark::State& state) {
  auto list = MakeList(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  TOwned<TBenchControl> control{New<TBenchControl>(nullptr)};
  IPtr<IDesignObject> obj = PersistentToDesignObject(control.get());
  InspectorPass(state, *list, [&](const String& n) { return list->Match(n, obj, {}); });
}

/// Unloading the package of group 2: half the categories go, the rest lose half their filters.
void BM_GroupWithdrawal(benchmark::State& state) {
  Integer left = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto list = MakeList(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    state.ResumeTiming();
    list->FreeEditorGroup(2);
    left = list->Count();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  SetSizes(state);
  state.counters["categories_left"] = left;
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int c : {20, 200, 2000})
    for (int f : {10, 100, 1000})
      b->Args({c, f});
}

BENCHMARK(BM_InspectorPassByClass)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InspectorPassByObject)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupWithdrawal)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

} // namespace
