// Benchmarks of the tool services: reserved-word look-ups.
#include "tools/reservedwords.h"

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

} // namespace

BENCHMARK_MAIN();
