// Benchmarks of the designed-module plumbing: event and notification broadcasts, proxy code
// numbers, and proxy classes with many methods.
#include "componentdesigner/designerevents.h"
#include "componentdesigner/designnotification.h"
#include "componentdesigner/proxies.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace fw;

class TCounter : public TObject {
public:
  void Changed(TObject*) { ++Calls; }
  std::size_t Calls = 0;
};

class TCountingListener : public TInterfacedObject, public IDesignNotification {
public:
  void ItemDeleted(const IPtr<IDesigner>&, TPersistent*) override { ++Calls; }
  void ItemInserted(const IPtr<IDesigner>&, TPersistent*) override { ++Calls; }
  void ItemsModified(const IPtr<IDesigner>&) override { ++Calls; }
  void SelectionChanged(const IPtr<IDesigner>&, const IPtr<IDesignerSelections>&) override {
    ++Calls;
  }
  void DesignerOpened(const IPtr<IDesigner>&, bool) override { ++Calls; }
  void DesignerClosed(const IPtr<IDesigner>&, bool) override { ++Calls; }
  std::size_t Calls = 0;
};

void Sized(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// ---- broadcasts --------------------------------------------------------------------------------

void BM_EventSend(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<TCounter> counters(n);
  TOwned<TEvent> event(New<TEvent>());
  for (auto& c : counters)
    event->ForceAdd(HandlerOf<THandler, &TCounter::Changed>(&c));
  for (auto _ : state)
    event->Send(nullptr);
  benchmark::DoNotOptimize(counters.front().Calls);
  Sized(state);
}
BENCHMARK(BM_EventSend)->RangeMultiplier(10)->Range(100, 100000)->Complexity(benchmark::oN);

// Registration through Add asks IndexOf first, so it is linear per handler.
void BM_EventAdd(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<TCounter> counters(n);
  for (auto _ : state) {
    TOwned<TEvent> event(New<TEvent>());
    for (auto& c : counters)
      event->Add(HandlerOf<THandler, &TCounter::Changed>(&c));
    benchmark::DoNotOptimize(event->Count());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EventAdd)->RangeMultiplier(10)->Range(100, 10000)->Complexity(benchmark::oNSquared);

std::vector<IPtr<TCountingListener>> MakeListeners(TDesignNotificationList& list, std::size_t n) {
  std::vector<IPtr<TCountingListener>> listeners;
  for (std::size_t i = 0; i < n; ++i) {
    listeners.emplace_back(new TCountingListener);
    list.Register(IPtr<IDesignNotification>(listeners.back().get()));
  }
  return listeners;
}

void BM_DesignNotificationItemsModified(benchmark::State& state) {
  TDesignNotificationList list;
  auto listeners = MakeListeners(list, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    list.ItemsModified(nullptr);
  Sized(state);
}
BENCHMARK(BM_DesignNotificationItemsModified)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity(benchmark::oN);

void BM_DesignNotificationDesignerClosed(benchmark::State& state) {
  TDesignNotificationList list;
  auto listeners = MakeListeners(list, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    list.DesignerClosed(nullptr, false);
  Sized(state);
}
BENCHMARK(BM_DesignNotificationDesignerClosed)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity(benchmark::oN);

// ---- code numbers ------------------------------------------------------------------------------

void BM_CodeNumbersAcquireRelease(benchmark::State& state) {
  const auto n = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    TCodeNumberSet set;
    for (std::uint32_t i = 0; i < n; ++i)
      benchmark::DoNotOptimize(set.Acquire());
    for (std::uint32_t i = 1; i <= n; ++i)
      set.Release(i);
  }
  Sized(state);
}
BENCHMARK(BM_CodeNumbersAcquireRelease)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity(benchmark::oN);

// The worst case for the lowest-free search: a full set where low numbers come and go.
void BM_CodeNumbersReuseInFullSet(benchmark::State& state) {
  const auto n = static_cast<std::uint32_t>(state.range(0));
  TCodeNumberSet set;
  for (std::uint32_t i = 0; i < n; ++i)
    set.Acquire();
  std::uint32_t k = 1;
  for (auto _ : state) {
    set.Release(k);
    benchmark::DoNotOptimize(set.Acquire());
    k = k % n + 1;
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CodeNumbersReuseInFullSet)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();

// 100,000 numbers taken and given back through ten designed classes of 10,000 methods each.
void BM_ProxyCodeNumbersThroughClasses(benchmark::State& state) {
  const auto total = static_cast<std::size_t>(state.range(0));
  const std::size_t perClass = 10000;
  std::vector<std::string> names;
  for (std::size_t i = 0; i < perClass; ++i)
    names.push_back("Handler" + std::to_string(i));
  for (auto _ : state) {
    std::vector<TOwned<TComponent>> roots;
    for (std::size_t made = 0; made < total; made += perClass) {
      roots.emplace_back(New<TComponent>(nullptr));
      CreateSubClass(roots.back().get(), "TForm", TComponent::StaticClass());
      for (const auto& name : names)
        CreateSubClassMethod(roots.back().get(), name);
    }
    roots.clear(); // frees the classes and their numbers
  }
  Sized(state);
}
BENCHMARK(BM_ProxyCodeNumbersThroughClasses)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---- a designed class with many methods --------------------------------------------------------

struct TBigProxy {
  explicit TBigProxy(std::size_t n) : Root(New<TComponent>(nullptr)) {
    CreateSubClass(Root.get(), "TBigForm", "BigUnit", TComponent::StaticClass());
    for (std::size_t i = 0; i < n; ++i) {
      Names.push_back("Handler" + std::to_string(i));
      Codes.push_back(CreateSubClassMethod(Root.get(), Names.back()));
    }
  }
  TOwned<TComponent> Root;
  std::vector<std::string> Names;
  std::vector<void*> Codes;
};

void BM_ProxyCreateWithMethods(benchmark::State& state) {
  for (auto _ : state) {
    TBigProxy proxy(static_cast<std::size_t>(state.range(0)));
    benchmark::DoNotOptimize(proxy.Codes.back());
  }
  Sized(state);
}
BENCHMARK(BM_ProxyCreateWithMethods)
    ->RangeMultiplier(10)
    ->Range(100, 10000)
    ->Complexity(benchmark::oN);

void BM_ProxyMethodNameByCode(benchmark::State& state) {
  TBigProxy proxy(static_cast<std::size_t>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(proxy.Root->MethodName(proxy.Codes[i]));
    if (++i == proxy.Codes.size()) i = 0;
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProxyMethodNameByCode)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

void BM_ProxyMethodAddressByName(benchmark::State& state) {
  TBigProxy proxy(static_cast<std::size_t>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(proxy.Root->MethodAddress(proxy.Names[i]));
    if (++i == proxy.Names.size()) i = 0;
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProxyMethodAddressByName)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

// Renames swap two names back and forth, so the table keeps its size.
void BM_ProxyRenameMethod(benchmark::State& state) {
  TBigProxy proxy(static_cast<std::size_t>(state.range(0)));
  std::size_t i = 0;
  bool back = false;
  for (auto _ : state) {
    RenameSubClassMethod(proxy.Root.get(), proxy.Codes[i],
                         back ? proxy.Names[i] : proxy.Names[i] + "X");
    if (++i == proxy.Codes.size()) {
      i = 0;
      back = !back;
    }
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProxyRenameMethod)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

// A rename followed by a look-up, as the designer does when a handler is renamed and shown.
void BM_ProxyRenameThenLookUp(benchmark::State& state) {
  TBigProxy proxy(static_cast<std::size_t>(state.range(0)));
  std::size_t i = 0;
  bool back = false;
  for (auto _ : state) {
    const std::string name = back ? proxy.Names[i] : proxy.Names[i] + "X";
    RenameSubClassMethod(proxy.Root.get(), proxy.Codes[i], name);
    benchmark::DoNotOptimize(proxy.Root->MethodAddress(name));
    if (++i == proxy.Codes.size()) {
      i = 0;
      back = !back;
    }
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ProxyRenameThenLookUp)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

} // namespace

BENCHMARK_MAIN();
