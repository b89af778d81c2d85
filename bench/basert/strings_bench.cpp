// Sorted string lists: insertion and lookup cost as the list grows.
#include "basert/strings.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace fw;

namespace {

std::vector<String> Keys(std::size_t n) {
  std::mt19937 rng(12345);
  std::vector<String> keys;
  keys.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    keys.push_back("Item" + std::to_string(rng()));
  return keys;
}

// Counts the comparisons a list makes, to show that they grow as log n.
class CountingList : public TStringList {
public:
  mutable std::int64_t Comparisons = 0;

protected:
  int CompareStrings(std::string_view a, std::string_view b) const override {
    ++Comparisons;
    return TStringList::CompareStrings(a, b);
  }
};

void BM_SortedInsert(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto keys = Keys(n);
  std::int64_t comparisons = 0;
  for (auto _ : state) {
    CountingList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (const String& k : keys)
      list.Add(k);
    comparisons = list.Comparisons;
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
  state.counters["cmp_per_insert"] = static_cast<double>(comparisons) / static_cast<double>(n);
  state.SetComplexityN(state.range(0));
}

void BM_SortedFind(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto keys = Keys(n);
  CountingList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const String& k : keys)
    list.Add(k);
  list.Comparisons = 0;
  std::size_t i = 0;
  std::int64_t finds = 0;
  for (auto _ : state) {
    Integer at;
    benchmark::DoNotOptimize(list.Find(keys[i], at));
    if (++i == n) i = 0;
    ++finds;
  }
  state.SetItemsProcessed(finds);
  state.counters["cmp_per_find"] =
      static_cast<double>(list.Comparisons) / static_cast<double>(finds);
  state.SetComplexityN(state.range(0));
}

void BM_UnsortedIndexOf(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto keys = Keys(n);
  TStringList list;
  for (const String& k : keys)
    list.Add(k);
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(list.IndexOf(keys[i]));
    i = (i + 7919) % n;
  }
  state.SetItemsProcessed(state.iterations());
  state.SetComplexityN(state.range(0));
}

void BM_GetByIndex(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  TStringList list;
  for (const String& k : Keys(n))
    list.Add(k);
  for (auto _ : state)
    for (Integer i = 0; i < list.Count(); ++i)
      benchmark::DoNotOptimize(list.Get(i).size());
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n));
  state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_GetByIndex)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oNLogN);
BENCHMARK(BM_SortedInsert)->RangeMultiplier(10)->Range(1000, 100000)->Complexity();
BENCHMARK(BM_SortedFind)->RangeMultiplier(10)->Range(1000, 100000)->Complexity(benchmark::oLogN);
BENCHMARK(BM_UnsortedIndexOf)->RangeMultiplier(10)->Range(1000, 10000)->Complexity(benchmark::oN);
