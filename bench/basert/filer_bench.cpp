// Streaming whole modules as components: writing with TWriter and reading with TReader.
#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/filer.h"

#include <benchmark/benchmark.h>

#include <string>

using namespace fw;

namespace {

class TBenchPart : public TComponent {
  FW_CLASS(TBenchPart)
public:
  using TComponent::TComponent;
  Integer FNumber = 0;
  String FCaption;
  Double FRatio = 0;
  bool FEnabled = true;
  TComponent* FLink = nullptr;
};

class TBenchModule : public TDataModule {
  FW_CLASS(TBenchModule)
public:
  using TDataModule::TDataModule;
};

TClass TBenchPart::StaticClass() {
  static const TClass cls = TClassBuilder<TBenchPart, TComponent>("TBenchPart")
                                .Property("Number", &TBenchPart::FNumber, &TBenchPart::FNumber)
                                .Property("Caption", &TBenchPart::FCaption, &TBenchPart::FCaption)
                                .Property("Ratio", &TBenchPart::FRatio, &TBenchPart::FRatio)
                                .Property("Enabled", &TBenchPart::FEnabled, &TBenchPart::FEnabled)
                                .Default(1)
                                .Property("Link", &TBenchPart::FLink, &TBenchPart::FLink)
                                .Build();
  return cls;
}

TClass TBenchModule::StaticClass() {
  static const TClass cls = TClassBuilder<TBenchModule, TDataModule>("TBenchModule").Build();
  return cls;
}

TBenchModule* MakeModule(int n) {
  static const bool registered = [] {
    RegisterClasses({TBenchModule::StaticClass(), TBenchPart::StaticClass()});
    return true;
  }();
  (void)registered;
  auto* m = New<TBenchModule>(nullptr);
  m->SetName("Module1");
  TBenchPart* previous = nullptr;
  for (int i = 0; i < n; ++i) {
    auto* p = New<TBenchPart>(m);
    p->SetName("Part" + std::to_string(i + 1));
    p->FNumber = i;
    p->FCaption = "Caption of part " + std::to_string(i);
    p->FRatio = i / 7.0;
    p->FEnabled = i % 2 == 0;
    p->FLink = previous;
    p->SetDesignInfo(((i % 500) << 16) | (i % 300));
    previous = p;
  }
  return m;
}

void BM_WriteComponent(benchmark::State& state) {
  TOwned<TBenchModule> m(MakeModule(static_cast<int>(state.range(0))));
  Int64 bytes = 0;
  for (auto _ : state) {
    TMemoryStream out;
    TWriter w(&out, 4096);
    w.WriteRootComponent(m.get());
    w.FlushBuffer();
    bytes = out.Size();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["components"] = static_cast<double>(state.range(0));
  state.counters["stream_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteComponent)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReadRootComponent(benchmark::State& state) {
  TOwned<TBenchModule> m(MakeModule(static_cast<int>(state.range(0))));
  TMemoryStream data;
  {
    TWriter w(&data, 4096);
    w.WriteRootComponent(m.get());
  }
  for (auto _ : state) {
    data.SetPosition(0);
    TReader r(&data, 4096);
    TComponent* copy = r.ReadRootComponent(nullptr);
    state.PauseTiming();
    copy->Free();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * data.Size());
  state.counters["components"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_ReadRootComponent)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
