// Throughput of the form-stream conversions on generated forms with mixed property kinds.
#include "basert/formtext.h"
#include "formsample.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

struct Sample {
  std::string Text, Binary;
};

const Sample& SampleOf(int count) {
  static std::map<int, Sample> cache;
  auto it = cache.find(count);
  if (it != cache.end()) return it->second;
  Sample sample;
  fw::TStringStream text(fwbench::GenerateFormText(count));
  fw::TMemoryStream binary, canonical;
  fw::ObjectTextToBinary(text, binary);
  binary.SetPosition(0);
  fw::ObjectBinaryToText(binary, canonical);
  sample.Text = std::string(canonical.View());
  sample.Binary = std::string(binary.View());
  return cache.emplace(count, std::move(sample)).first->second;
}

void Counters(benchmark::State& state, const Sample& s, std::size_t processed) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * processed));
  state.counters["text_bytes"] = static_cast<double>(s.Text.size());
  state.counters["binary_bytes"] = static_cast<double>(s.Binary.size());
}

void BM_TextToBinary(benchmark::State& state) {
  const Sample& s = SampleOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    fw::TStringStream in(s.Text);
    fw::TMemoryStream out;
    fw::ObjectTextToBinary(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  Counters(state, s, s.Text.size());
}

void BM_BinaryToText(benchmark::State& state) {
  const Sample& s = SampleOf(static_cast<int>(state.range(0)));
  fw::TMemoryStream in;
  in.WriteBuffer(s.Binary.data(), static_cast<int64_t>(s.Binary.size()));
  for (auto _ : state) {
    in.SetPosition(0);
    fw::TMemoryStream out;
    fw::ObjectBinaryToText(in, out);
    benchmark::DoNotOptimize(out.Memory());
  }
  Counters(state, s, s.Binary.size());
}

BENCHMARK(BM_TextToBinary)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinaryToText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
