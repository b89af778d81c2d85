// Forms of classes no package registers: reading them as placeholders and writing them back.
#include "basert/filer.h"
#include "basert/formtext.h"
#include "basert/placeholder.h"
#include "formsample.h"

#include <benchmark/benchmark.h>

using namespace fw;

namespace {

std::string SampleBinary(int count) {
  TStringStream text(fwbench::GenerateFormText(count));
  TMemoryStream bin;
  ObjectTextToBinary(text, bin);
  return std::string(bin.View());
}

TComponent* ReadKeeping(const std::string& binary) {
  TStringStream in(binary);
  TReader reader(&in, 4096);
  reader.UsePlaceholders = true;
  return reader.ReadRootComponent(nullptr);
}

void BM_ReadPlaceholders(benchmark::State& state) {
  const std::string binary = SampleBinary(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TComponent* root = ReadKeeping(binary);
    benchmark::DoNotOptimize(root);
    root->Free();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(binary.size()));
}
BENCHMARK(BM_ReadPlaceholders)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_WritePlaceholders(benchmark::State& state) {
  const std::string binary = SampleBinary(static_cast<int>(state.range(0)));
  TOwned<TComponent> root(ReadKeeping(binary));
  for (auto _ : state) {
    TMemoryStream out;
    TWriter writer(&out, 4096);
    writer.WriteRootComponent(root.get());
    writer.FlushBuffer();
    benchmark::DoNotOptimize(out.Size());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(binary.size()));
}
BENCHMARK(BM_WritePlaceholders)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
