// The convert command's whole path (map the input, convert it in place, stream the result into a
// safe save that is synced and renamed) beside the in-memory conversion, on one generated form.
// "vs_in_memory" is the command's throughput over the in-memory one of the same direction,
// measured in the same run. FW_BENCH_DIR chooses the folder of the files (default: the
// system's temporary folder).
#include "formfile.h"
#include "formsample.h"

#include "basert/formtext.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The generated form in both formats, in memory and in files.
struct Sample {
  std::string Text, Binary;
  fs::path TextFile, BinaryFile, Out;
};

class Samples {
public:
  ~Samples() {
    std::error_code ec;
    if (!FDir.empty()) fs::remove_all(FDir, ec);
  }

  const Sample& Of(int count) {
    auto it = FCache.find(count);
    if (it != FCache.end()) return it->second;
    if (FDir.empty()) {
      const char* dir = std::getenv("FW_BENCH_DIR");
      FDir = fs::path(dir && *dir ? dir : fs::temp_directory_path().string()) /
             ("formwright-bench-" + std::to_string(::getpid()));
      fs::create_directories(FDir);
    }
    Sample s;
    fw::TStringStream text(fwbench::GenerateFormText(count));
    fw::TMemoryStream binary, canonical;
    fw::ObjectTextToBinary(text, binary);
    binary.SetPosition(0);
    fw::ObjectBinaryToText(binary, canonical);
    s.Text = std::string(canonical.View());
    s.Binary = std::string(binary.View());
    const std::string stem = "form" + std::to_string(count);
    s.TextFile = FDir / (stem + ".fwf");
    s.BinaryFile = FDir / (stem + ".fwb");
    s.Out = FDir / (stem + ".out");
    std::ofstream(s.TextFile, std::ios::binary) << s.Text;
    std::ofstream(s.BinaryFile, std::ios::binary) << s.Binary;
    return FCache.emplace(count, std::move(s)).first->second;
  }

private:
  fs::path FDir;
  std::map<int, Sample> FCache;
};

Samples gSamples;

// Bytes per second of the in-memory conversions (wall, processor), by direction and size.
std::map<std::pair<bool, int>, std::pair<double, double>> gInMemoryRate;

double ThreadSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs `once` as the benchmark's loop. The ratios compare wall time (what a user waits for) and
// this thread's processor time (steadier on a busy machine, but blind to waiting for the disk).
template <class F> void Measure(benchmark::State& state, bool toText, bool command, F&& once) {
  const Sample& s = gSamples.Of(static_cast<int>(state.range(0)));
  const std::size_t input = toText ? s.Binary.size() : s.Text.size();
  fw::TMemoryStream in; // the in-memory conversions read it in place
  in.WriteBuffer(toText ? s.Binary.data() : s.Text.data(), static_cast<fw::Int64>(input));
  const auto start = Clock::now();
  const double cpuStart = ThreadSeconds();
  for (auto _ : state) {
    in.SetPosition(0);
    once(s, in);
  }
  const double cpu = ThreadSeconds() - cpuStart;
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double bytes = static_cast<double>(state.iterations() * input);
  const std::pair<double, double> rate{bytes / seconds, bytes / cpu};
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input));
  state.counters["text_bytes"] = static_cast<double>(s.Text.size());
  state.counters["binary_bytes"] = static_cast<double>(s.Binary.size());
  const auto key = std::make_pair(toText, static_cast<int>(state.range(0)));
  if (!command) {
    gInMemoryRate[key] = rate;
  } else if (auto it = gInMemoryRate.find(key); it != gInMemoryRate.end()) {
    state.counters["vs_in_memory"] = rate.first / it->second.first;
    state.counters["vs_in_memory_cpu"] = rate.second / it->second.second;
  }
}

void BM_InMemoryBinaryToText(benchmark::State& state) {
  Measure(state, true, false, [](const Sample&, fw::TMemoryStream& in) {
    fw::TMemoryStream out;
    fw::ObjectBinaryToText(in, out);
    benchmark::DoNotOptimize(out.Memory());
  });
}

void BM_ConvertCommandBinaryToText(benchmark::State& state) {
  Measure(state, true, true, [](const Sample& s, fw::TMemoryStream&) {
    fwcli::ConvertFile(s.BinaryFile.string(), s.Out.string(), std::nullopt);
  });
}

void BM_InMemoryTextToBinary(benchmark::State& state) {
  Measure(state, false, false, [](const Sample&, fw::TMemoryStream& in) {
    fw::TMemoryStream out;
    fw::ObjectTextToBinary(in, out);
    benchmark::DoNotOptimize(out.Memory());
  });
}

void BM_ConvertCommandTextToBinary(benchmark::State& state) {
  Measure(state, false, true, [](const Sample& s, fw::TMemoryStream&) {
    fwcli::ConvertFile(s.TextFile.string(), s.Out.string(), std::nullopt);
  });
}

// In-memory first: the command's ratio needs it.
BENCHMARK(BM_InMemoryBinaryToText)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertCommandBinaryToText)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InMemoryTextToBinary)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertCommandTextToBinary)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
