// Benchmarks of the action registry: enumerating and registering many action classes.
#include "frameworkeditors/actionregistry.h"

#include "basert/classreg.h"
#include "basert/sysutils.h"

#include <benchmark/benchmark.h>

#include <deque>

namespace {

using namespace fw;

class TBenchIDEActions : public TIDEActions {
public:
  TClass BaseActionClass() const override { return TCustomAction::StaticClass(); }
};
const TBenchIDEActions gFramework;

/// `n` distinct action classes descending from TAction, registered for streaming on the way.
class TActionClasses {
public:
  explicit TActionClasses(int n) {
    for (int i = 0; i < n; ++i) {
      TClassRec& rec = FRecords.emplace_back(*TAction::StaticClass());
      rec.ClassName = "TBenchAction" + IntToStr(i);
      rec.Parent = TAction::StaticClass();
      FClasses.push_back(&rec);
    }
  }
  ~TActionClasses() {
    for (TClass cls : FClasses)
      UnRegisterClass(cls);
  }
  const std::vector<TClass>& Classes() const { return FClasses; }

private:
  std::deque<TClassRec> FRecords; // stable addresses
  std::vector<TClass> FClasses;
};

// Ten categories, as a package registering standard actions spreads them.
void Fill(TActionRegistry& registry, const std::vector<TClass>& classes) {
  const std::size_t perCategory = std::max<std::size_t>(1, classes.size() / 10);
  for (std::size_t i = 0; i < classes.size(); i += perCategory) {
    const auto end = std::min(classes.size(), i + perCategory);
    registry.RegActions("Category " + IntToStr(i / perCategory),
                        std::vector<TClass>(classes.begin() + i, classes.begin() + end), nullptr);
  }
}

void BM_EnumActions(benchmark::State& state) {
  TActionClasses classes(static_cast<int>(state.range(0)));
  TActionRegistry registry;
  registry.RegisterActionsInFramework("Bench", &gFramework);
  Fill(registry, classes.Classes());
  std::size_t seen = 0;
  for (auto _ : state) {
    registry.EnumActions([&](const String&, TClass, void*) { ++seen; }, nullptr, "Bench");
    benchmark::DoNotOptimize(seen);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_EnumActions)->Arg(100)->Arg(1000)->Arg(10000)->Complexity(benchmark::oN);

void BM_RegActions(benchmark::State& state) {
  TActionClasses classes(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    TActionRegistry registry;
    Fill(registry, classes.Classes());
    benchmark::DoNotOptimize(registry.Categories().data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_RegActions)->Arg(100)->Arg(1000)->Complexity();

} // namespace
