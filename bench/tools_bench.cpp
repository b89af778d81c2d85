// Benchmarks of the tool services: reserved-word look-ups, template expansion.
#include "tools/reservedwords.h"
#include "tools/templatefilter.h"

#include "basert/sysutils.h"

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_set>
#include <vector>

namespace {

using namespace fw;

std::vector<std::string> Probe(int kind) {
  switch (kind) {
  case 0: // hits, mixed case
    return {"begin", "End", "PROCEDURE", "resourcestring", "if", "Xor", "initialization", "var"};
  case 1: // misses of typical identifier length
    return {"Button1", "FormCreate", "Caption", "x", "TMyClass", "Sender", "Result", "Index"};
  default: // over-long names
    return {std::string(40, 'a'), "VeryLongIdentifierOfAComponent", std::string(200, 'Z'),
            "ResourceStringsAndMore"};
  }
}

const char* const kProbeNames[] = {"hits", "misses", "overlong"};

void BM_IsReservedWord(benchmark::State& state) {
  const auto names = Probe(static_cast<int>(state.range(0)));
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    found += pascal::IsReservedWord(names[i]);
    if (++i == names.size()) i = 0;
  }
  benchmark::DoNotOptimize(found);
  state.SetLabel(kProbeNames[state.range(0)]);
}
BENCHMARK(BM_IsReservedWord)->DenseRange(0, 2);

// The same question asked of a standard hash set with a case-insensitive hash and equality.
void BM_UnorderedSetLookup(benchmark::State& state) {
  std::unordered_set<std::string, TextHash, TextEqual> words;
  for (const TReservedWord& w : pascal::ReservedWords())
    if (w.Token != 0) words.emplace(w.Ident);
  const auto names = Probe(static_cast<int>(state.range(0)));
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    found += words.find(std::string_view(names[i])) != words.end();
    if (++i == names.size()) i = 0;
  }
  benchmark::DoNotOptimize(found);
  state.SetLabel(kProbeNames[state.range(0)]);
}
BENCHMARK(BM_UnorderedSetLookup)->DenseRange(0, 2);

void BM_IsReservedWordCpp(benchmark::State& state) {
  const std::vector<std::string> names = {"class",  "Class",    "__published", "template",
                                          "Button", "nullptr_", "while",       "x"};
  std::size_t i = 0, found = 0;
  for (auto _ : state) {
    found += cpp::IsReservedWord(names[i]);
    if (++i == names.size()) i = 0;
  }
  benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_IsReservedWordCpp);

IPtr<ICollectionProperty> RepeatedItems(Int64 n) {
  IPtr<IPropertyValues> item = CoPropertyValues::Create();
  item->SetProperty("Name", "Button1");
  item->SetProperty("Value", 42);
  IPtr<ICollectionProperty> c = CoCollectionProperty::Create();
  for (Int64 i = 0; i < n; ++i)
    c->AddItem(item);
  return c;
}

// One foreach over N items, two value tags per produced line.
void BM_TemplateForEach(benchmark::State& state) {
  IPtr<IExpertFilter> f = CoExpertFilter::Create();
  f->SetCollectionProperty("Items", RepeatedItems(state.range(0)));
  const String t = "begin\n[!foreach(I in Items)]\n  [!I.Name].Tag := [!I.Value];\n"
                   "[!endforeach]\nend.\n";
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes += f->Filter(CoTextLineProvider::Create(t), "bench").size();
  state.SetBytesProcessed(static_cast<Int64>(bytes));
  state.counters["out_MB"] = static_cast<double>(bytes) / state.iterations() / 1e6;
}
BENCHMARK(BM_TemplateForEach)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);

// Blocks nested D deep around a body repeated 10^4 times: the cost per produced line should
// not depend on the depth.
void BM_TemplateNesting(benchmark::State& state) {
  const auto depth = static_cast<int>(state.range(0));
  IPtr<IExpertFilter> f = CoExpertFilter::Create();
  f->SetCollectionProperty("One", RepeatedItems(1));
  f->SetCollectionProperty("Many", RepeatedItems(10000));
  String t;
  for (int d = 1; d < depth; ++d)
    t += "[!foreach(L" + std::to_string(d) + " in One)]\nlevel\n";
  t += "[!foreach(I in Many)]\n  [!I.Name] [!I.Value]\n[!endforeach]\n";
  for (int d = 1; d < depth; ++d)
    t += "[!endforeach]\n";
  std::size_t bytes = 0;
  for (auto _ : state)
    bytes += f->Filter(CoTextLineProvider::Create(t), "bench").size();
  state.SetBytesProcessed(static_cast<Int64>(bytes));
}
BENCHMARK(BM_TemplateNesting)
    ->Arg(1)
    ->Arg(5)
    ->Arg(10)
    ->Arg(25)
    ->Arg(50)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
