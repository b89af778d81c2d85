// Throughput of the text conversions that messages, property editors and streams lean on.
#include "basert/format.h"
#include "basert/masks.h"
#include "basert/sysutils.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

using namespace fw;

namespace {

std::vector<double> SampleDoubles(std::size_t n) {
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> mantissa(-1, 1);
  std::uniform_int_distribution<int> exponent(-30, 30);
  std::vector<double> v(n);
  for (double& d : v)
    d = mantissa(rng) * std::pow(10.0, exponent(rng));
  return v;
}

void BM_FloatToStr(benchmark::State& state) {
  const auto values = SampleDoubles(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    for (double d : values)
      benchmark::DoNotOptimize(FloatToStr(d));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FloatToStr)->Arg(1000);

void BM_StrToFloat(benchmark::State& state) {
  std::vector<String> texts;
  for (double d : SampleDoubles(static_cast<std::size_t>(state.range(0))))
    texts.push_back(FloatToStr(d));
  for (auto _ : state)
    for (const String& s : texts)
      benchmark::DoNotOptimize(StrToFloat(s));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StrToFloat)->Arg(1000);

/// A typical message: a few directives of mixed kinds, repeated `range` times in one string.
void BM_Format(benchmark::State& state) {
  String fmt;
  for (int i = 0; i < state.range(0); ++i)
    fmt += "Item %d of '%s' at %.2f (%x); ";
  const String name = "Button1";
  for (auto _ : state) {
    String out;
    for (int i = 0; i < state.range(0); ++i)
      out += Format("Item %d of '%s' at %.2f (%x); ", i, name, 1.5 * i, i);
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Format)->Arg(1)->Arg(100);

/// One Format call over a string with `range` directives: growth should be linear.
void BM_FormatLong(benchmark::State& state) {
  String fmt;
  std::vector<TVarRec> args;
  const String name = "Button1";
  for (int i = 0; i < state.range(0); ++i) {
    fmt += "%d:%s ";
    args.emplace_back(i);
    args.emplace_back(name);
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(Format(fmt, std::span<const TVarRec>(args)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fmt.size()));
}
BENCHMARK(BM_FormatLong)->Arg(10)->Arg(1000)->Arg(100000);

/// The star-heavy mask against a name of `range` characters that almost matches.
void BM_MatchesMask(benchmark::State& state) {
  const String name(static_cast<std::size_t>(state.range(0)), 'a');
  const TMask mask("*a*a*a*a*a*b");
  for (auto _ : state)
    benchmark::DoNotOptimize(mask.Matches(name));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MatchesMask)->Arg(100)->Arg(1000)->Arg(10000)->Complexity();

} // namespace
