// Object-model benchmarks: name lookup, component creation and destruction, property lists.
#include "basert/classbuilder.h"
#include "basert/component.h"
#include "basert/typinfo.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace fw;

namespace {

class TWide : public TComponent {
  FW_CLASS(TWide)
public:
  using TComponent::TComponent;
  Integer FValues[300] = {};
};

TClass TWide::StaticClass() {
  static const TClass cls = [] {
    TClassBuilder<TWide, TComponent> b("TWide", "Bench");
    for (int i = 0; i < 300; ++i)
      b.Indexed(
          "Prop" + std::to_string(1000 - i), i,
          [](TWide* w, Integer idx) { return w->FValues[idx]; },
          [](TWide* w, Integer idx, Integer v) { w->FValues[idx] = v; });
    return b.Build();
  }();
  return cls;
}

void BM_FindComponent(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  for (int i = 0; i < n; ++i)
    New<TComponent>(owner.get())->SetName("Component" + std::to_string(i));
  std::vector<String> probes;
  for (int i = 0; i < 1024; ++i)
    probes.push_back("COMPONENT" + std::to_string((i * 7919) % n));
  std::size_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(owner->FindComponent(probes[k++ & 1023]));
  }
  state.counters["components"] = n;
}
BENCHMARK(BM_FindComponent)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_CreateAndFreeNamedComponents(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<String> names;
  for (int i = 0; i < n; ++i)
    names.push_back("Button" + std::to_string(i + 1));
  for (auto _ : state) {
    TOwned<TComponent> owner(New<TComponent>(nullptr));
    for (int i = 0; i < n; ++i)
      New<TComponent>(owner.get())->SetName(names[i]);
    owner.reset();
  }
  state.counters["components"] = n;
  state.counters["per_component"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
}
BENCHMARK(BM_CreateAndFreeNamedComponents)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// Frees components of an owner of N one by one, each leaving from the middle or the front of
// the owner's list: every second one (the owner keeps the rest), or all in creation order.
void FreeComponents(benchmark::State& state, std::size_t step) {
  const int n = static_cast<int>(state.range(0));
  std::vector<TComponent*> made(static_cast<std::size_t>(n));
  for (auto _ : state) {
    state.PauseTiming();
    TOwned<TComponent> owner(New<TComponent>(nullptr));
    for (auto& c : made)
      c = New<TComponent>(owner.get());
    state.ResumeTiming();
    for (std::size_t i = 0; i < made.size(); i += step)
      made[i]->Free();
    benchmark::DoNotOptimize(owner->ComponentCount());
    state.PauseTiming();
    owner.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
void BM_FreeComponents(benchmark::State& state) { FreeComponents(state, 2); }
void BM_FreeComponentsInOrder(benchmark::State& state) { FreeComponents(state, 1); }
BENCHMARK(BM_FreeComponents)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_FreeComponentsInOrder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_GetPropListCached(benchmark::State& state) {
  PTypeInfo t = TWide::StaticClass()->TypeInfo;
  GetPropList(t); // first call builds the cache
  for (auto _ : state)
    benchmark::DoNotOptimize(GetPropList(t).size());
  state.counters["properties"] = static_cast<double>(GetPropList(t).size());
}
BENCHMARK(BM_GetPropListCached);

void BM_GetPropInfoByName(benchmark::State& state) {
  PTypeInfo t = TWide::StaticClass()->TypeInfo;
  std::vector<String> names;
  for (int i = 0; i < 300; ++i)
    names.push_back("prop" + std::to_string(1000 - i));
  std::size_t k = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(GetPropInfo(t, names[k++ % 300]));
}
BENCHMARK(BM_GetPropInfoByName);

void BM_SetOrdPropByInfo(benchmark::State& state) {
  TOwned<TWide> w(New<TWide>(nullptr));
  PPropInfo p = GetPropInfo(w.get(), "Prop900");
  Int64 v = 0;
  for (auto _ : state)
    SetOrdProp(w.get(), p, ++v);
  benchmark::DoNotOptimize(w->FValues[100]);
}
BENCHMARK(BM_SetOrdPropByInfo);

} // namespace
