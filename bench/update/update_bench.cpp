// Ancestor update propagation: Modified on an ancestor module of N components with D open
// descendant modules, inheriting in a chain or all from the ancestor, flat or nested.
// Arguments: N, D. Counters: "perComponent", the time per N * D; "tenfold", the time per run
// over that of the same shape and family at N / 10 (near 10 when the work grows linearly).
// The AfterFlush families start every run with empty caches: a small module no longer runs from
// the caches while a large one cannot, so their ratio shows the growth of the work alone.
// WriteDescendants writes the same descendants against their ancestors: the ratio a plain linear
// walk over the same memory gets on this machine.
#include "update/updatemanager.h"

#include "../../tests/support/updatemodel.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace {

using namespace fwtest;

/// `prefix` followed by `n`, appended: GCC's restrict warning misfires on literal + temporary.
String Numbered(const char* prefix, std::size_t n) {
  String s = prefix;
  s += std::to_string(n);
  return s;
}

enum class TShape { Flat, Nested };
enum class TFamily { Chain, FanOut };
/// Warm: runs follow each other, so a small module's memory is still in the caches. Cold: each
/// run starts after the caches were flushed, as after the user's next gesture in a real session.
enum class TStart { Warm, Cold };

/// Writes over a buffer three times the size of the last-level cache (32 MB here), so that
/// neither the modules nor their address translations are left in any cache.
void EvictCaches() {
  static std::vector<char> buffer(96u << 20);
  static char round = 0;
  ++round;
  for (std::size_t i = 0; i < buffer.size(); i += 64)
    buffer[i] = round;
  benchmark::DoNotOptimize(buffer.data());
  benchmark::ClobberMemory();
}

/// N things owned by the root, or N boxes nested eight to a parent.
TUpForm* MakeAncestor(int count, TShape shape) {
  RegisterUpdateModel();
  auto* root = New<TUpForm>();
  root->SetName("BaseForm");
  std::vector<TUpBox*> parents{root};
  for (int i = 0; i < count; ++i) {
    const String name = Numbered("C", static_cast<std::size_t>(i));
    TUpThing* c;
    if (shape == TShape::Flat) {
      c = Add<TUpThing>(root, name);
    } else {
      auto* box = Add<TUpBox>(root, name, parents[static_cast<std::size_t>(i) / 8]);
      parents.push_back(box);
      c = box;
    }
    c->FCaption = "Component " + name;
    c->FWidth = i % 100;
    c->SetDesignInfo(i);
  }
  return root;
}

TUpForm* Inherit(TUpForm* ancestor, const String& name) {
  TMemoryStream stream;
  {
    TWriter writer(&stream, 4096);
    writer.WriteRootComponent(ancestor);
  }
  stream.SetPosition(0);
  auto* root = New<TUpForm>();
  {
    TReader reader(&stream, 4096);
    reader.ReadRootComponent(root);
  }
  root->SetName(name);
  for (TComponent* c : root->ComponentList())
    c->SetAncestor(true);
  return root;
}

/// Frees a module root. Its components go first, last made first, while nothing listens any
/// more: a box freed before them would tell every component the root owns.
void FreeModule(TUpForm* root) {
  root->DestroyComponents();
  root->Free();
}

/// The ancestor and up to ten descendant modules of one shape, family and size, made once and
/// shared by the cases that differ only in D and by their repetitions: building a module of N
/// components costs N * N notifications, far more than the runs measured on it.
struct TModels {
  TShape Shape;
  TFamily Family;
  int Count = 0;
  TUpForm* Base = nullptr;
  std::vector<TUpForm*> Roots;

  TModels(TShape shape, TFamily family, int count) : Shape(shape), Family(family), Count(count) {
    Base = MakeAncestor(count, shape);
  }
  ~TModels() {
    for (auto it = Roots.rbegin(); it != Roots.rend(); ++it)
      FreeModule(*it);
    FreeModule(Base);
  }
  TModels(const TModels&) = delete;
  TModels& operator=(const TModels&) = delete;

  /// The ancestor of descendant `i`.
  TUpForm* AncestorOf(std::size_t i) const {
    return Family == TFamily::Chain && i > 0 ? Roots[i - 1] : Base;
  }
  /// At least `d` descendants, each read from its ancestor as it is now.
  void Grow(int d) {
    while (Roots.size() < static_cast<std::size_t>(d))
      Roots.push_back(Inherit(AncestorOf(Roots.size()), Numbered("Form", Roots.size())));
  }

  static TModels& For(TShape shape, TFamily family, int count) {
    static std::unique_ptr<TModels> current;
    if (!current || current->Shape != shape || current->Family != family ||
        current->Count != count) {
      current.reset();
      current = std::make_unique<TModels>(shape, family, count);
    }
    return *current;
  }
};

enum class TOperation { Modified, Write };

/// Sets the counters: the time per N * D, and the tenfold ratio against the same operation, shape,
/// family and start at N / 10 when that ran before.
void Report(benchmark::State& state, TOperation operation, TShape shape, TFamily family,
            TStart begin, std::clock_t spent) {
  const int n = static_cast<int>(state.range(0));
  const int d = static_cast<int>(state.range(1));
  const double perRun = static_cast<double>(spent) / static_cast<double>(state.iterations());
  static std::map<std::tuple<TOperation, TShape, TFamily, TStart, int, int>, double> lastPerRun;
  lastPerRun[{operation, shape, family, begin, d, n}] = perRun;
  if (auto it = lastPerRun.find({operation, shape, family, begin, d, n / 10});
      it != lastPerRun.end())
    state.counters["tenfold"] = perRun / it->second;
  state.counters["perComponent"] =
      benchmark::Counter(static_cast<double>(n) * d, benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void BM_Modified(benchmark::State& state, TShape shape, TFamily family,
                 TStart begin = TStart::Warm) {
  const int n = static_cast<int>(state.range(0));
  const int d = static_cast<int>(state.range(1));
  TModels& models = TModels::For(shape, family, n);
  models.Grow(d);
  TUpForm* base = models.Base;
  IPtr<IUpdateManager> baseManager = NewUpdateManager(base, nullptr, nullptr, nullptr);
  std::vector<IPtr<IUpdateManager>> managers;
  for (std::size_t i = 0; i < static_cast<std::size_t>(d); ++i) {
    const IPtr<IUpdateManager>& ancestorManager =
        family == TFamily::Chain && i > 0 ? managers.back() : baseManager;
    managers.push_back(
        NewUpdateManager(models.Roots[i], models.AncestorOf(i), ancestorManager, nullptr));
  }
  auto* edited =
      dynamic_cast<TUpThing*>(base->FindComponent(Numbered("C", static_cast<std::size_t>(n / 2))));
  static int round = 0;
  // CPU time, as the other columns: the machine may be shared.
  std::clock_t spent = 0;
  for (auto _ : state) {
    if (begin == TStart::Cold) {
      state.PauseTiming();
      EvictCaches();
      state.ResumeTiming();
    }
    const std::clock_t start = std::clock();
    edited->FCaption = Numbered("Round ", static_cast<std::size_t>(++round));
    baseManager->Modified();
    spent += std::clock() - start;
  }
  const auto* last = dynamic_cast<TUpThing*>(
      models.Roots[static_cast<std::size_t>(d) - 1]->FindComponent(edited->Name()));
  if (!last || last->FCaption != edited->FCaption) state.SkipWithError("the change did not arrive");
  Report(state, TOperation::Modified, shape, family, begin, spent);
}

/// The reference for the ratios above: writing every descendant against its ancestor, as a save
/// of all of them does, walks the same pairs of modules once and compares every followed value.
/// What the machine adds to a linear walk as the modules outgrow its caches shows here as well.
void BM_WriteDescendants(benchmark::State& state, TShape shape, TFamily family, TStart begin) {
  const int n = static_cast<int>(state.range(0));
  const int d = static_cast<int>(state.range(1));
  TModels& models = TModels::For(shape, family, n);
  models.Grow(d);
  TMemoryStream stream;
  std::clock_t spent = 0;
  for (auto _ : state) {
    if (begin == TStart::Cold) {
      state.PauseTiming();
      EvictCaches();
      state.ResumeTiming();
    }
    const std::clock_t start = std::clock();
    for (std::size_t i = 0; i < static_cast<std::size_t>(d); ++i) {
      stream.SetPosition(0);
      TWriter writer(&stream, 4096);
      writer.WriteDescendent(models.Roots[i], models.AncestorOf(i));
    }
    spent += std::clock() - start;
  }
  if (stream.Size() == 0) state.SkipWithError("nothing was written");
  Report(state, TOperation::Write, shape, family, begin, spent);
}

void Sizes(benchmark::internal::Benchmark* b) {
  // D inside N, so that both share one set of modules.
  for (int n : {100, 500, 1000, 5000})
    for (int d : {1, 10})
      b->Args({n, d});
  b->Unit(benchmark::kMillisecond);
}

void BM_ModifiedFlatChain(benchmark::State& s) { BM_Modified(s, TShape::Flat, TFamily::Chain); }
void BM_ModifiedFlatFanOut(benchmark::State& s) { BM_Modified(s, TShape::Flat, TFamily::FanOut); }
void BM_ModifiedNestedChain(benchmark::State& s) { BM_Modified(s, TShape::Nested, TFamily::Chain); }
void BM_ModifiedNestedFanOut(benchmark::State& s) {
  BM_Modified(s, TShape::Nested, TFamily::FanOut);
}

void ColdSizes(benchmark::internal::Benchmark* b) {
  for (int n : {100, 500, 1000, 5000})
    b->Args({n, 10});
  // Each run pays a flush outside the measured time; fewer runs keep the whole case short.
  b->Unit(benchmark::kMillisecond)->MinTime(0.1);
}

void BM_ModifiedAfterFlushFlatChain(benchmark::State& s) {
  BM_Modified(s, TShape::Flat, TFamily::Chain, TStart::Cold);
}
void BM_ModifiedAfterFlushFlatFanOut(benchmark::State& s) {
  BM_Modified(s, TShape::Flat, TFamily::FanOut, TStart::Cold);
}
void BM_ModifiedAfterFlushNestedChain(benchmark::State& s) {
  BM_Modified(s, TShape::Nested, TFamily::Chain, TStart::Cold);
}
void BM_ModifiedAfterFlushNestedFanOut(benchmark::State& s) {
  BM_Modified(s, TShape::Nested, TFamily::FanOut, TStart::Cold);
}

void BM_WriteDescendantsNestedFanOut(benchmark::State& s) {
  BM_WriteDescendants(s, TShape::Nested, TFamily::FanOut, TStart::Warm);
}
void BM_WriteDescendantsFlatFanOut(benchmark::State& s) {
  BM_WriteDescendants(s, TShape::Flat, TFamily::FanOut, TStart::Warm);
}
void BM_WriteDescendantsAfterFlushNestedFanOut(benchmark::State& s) {
  BM_WriteDescendants(s, TShape::Nested, TFamily::FanOut, TStart::Cold);
}

BENCHMARK(BM_ModifiedFlatChain)->Apply(Sizes);
BENCHMARK(BM_ModifiedFlatFanOut)->Apply(Sizes);
BENCHMARK(BM_ModifiedNestedChain)->Apply(Sizes);
BENCHMARK(BM_ModifiedNestedFanOut)->Apply(Sizes);
BENCHMARK(BM_ModifiedAfterFlushFlatChain)->Apply(ColdSizes);
BENCHMARK(BM_ModifiedAfterFlushFlatFanOut)->Apply(ColdSizes);
BENCHMARK(BM_ModifiedAfterFlushNestedChain)->Apply(ColdSizes);
BENCHMARK(BM_ModifiedAfterFlushNestedFanOut)->Apply(ColdSizes);
BENCHMARK(BM_WriteDescendantsFlatFanOut)->Apply(Sizes);
BENCHMARK(BM_WriteDescendantsNestedFanOut)->Apply(Sizes);
BENCHMARK(BM_WriteDescendantsAfterFlushNestedFanOut)->Apply(ColdSizes);

} // namespace
