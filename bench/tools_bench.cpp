// Benchmarks of the tool services: reserved-word look-ups, template expansion, capture of a
// child's output.
#include "tools/processutil.h"
#include "tools/reservedwords.h"
#include "tools/templatefilter.h"

#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

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

// --- capture ---

constexpr Int64 kMB = 1 << 20;

// A file of the largest size in the form asked for: 80-byte lines, or no line break at all.
const String& SourceFile(bool lines) {
  static const String names[2] = {
      (std::filesystem::temp_directory_path() / "fw_bench_flat.txt").string(),
      (std::filesystem::temp_directory_path() / "fw_bench_lines.txt").string()};
  const String& name = names[lines];
  std::error_code ec;
  if (std::filesystem::file_size(name, ec) != static_cast<std::uintmax_t>(128 * kMB)) {
    String block;
    for (int i = 0; i < 1024; ++i)
      block += lines ? String(79, 'a' + i % 26) + "\n" : String(80, 'x');
    block.resize(64 * 1024);
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    for (Int64 done = 0; done < 128 * kMB; done += static_cast<Int64>(block.size()))
      out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  return name;
}

// Starts the command with `out` as its standard output.
pid_t SpawnWritingTo(const String& commandLine, int out) {
  posix_spawn_file_actions_t fa;
  ::posix_spawn_file_actions_init(&fa);
  ::posix_spawn_file_actions_adddup2(&fa, out, 1);
  const auto args = SplitCommandLine(commandLine);
  std::vector<char*> argv;
  for (const String& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  ::posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&fa);
  return pid;
}

// The same child read the plainest way: blocking reads of 32 KB until end of file.
double BlockingReadSeconds(const String& commandLine) {
  const auto start = std::chrono::steady_clock::now();
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return 0;
  const pid_t pid = SpawnWritingTo(commandLine, fds[1]);
  ::close(fds[1]);
  static char buf[32768];
  Int64 total = 0;
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
    total += n;
  benchmark::DoNotOptimize(total);
  ::close(fds[0]);
  int status;
  ::waitpid(pid, &status, 0);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak resident memory since the last reset, in MB (the reset may be refused: then since start).
double PeakRssMB() {
  std::ifstream status("/proc/self/status");
  for (String line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}
void ResetPeakRss() {
  ::malloc_trim(0); // hand freed memory back, so that the peak starts from what is in use
  std::ofstream("/proc/self/clear_refs") << "5";
}

double ThreadCpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_THREAD, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Capture of N MB through TConsoleProcess next to a blocking read of the same child. Wall-clock
// ratio, and the reading side's processor time for each (less sensitive to a busy machine).
void BM_CaptureOutput(benchmark::State& state) {
  const Int64 mb = state.range(0);
  const bool lines = state.range(1) != 0;
  const String commandLine = "head -c " + std::to_string(mb * kMB) + " " + SourceFile(lines);
  double captureTotal = 0, plainTotal = 0, peak = 0, captureCpu = 0, plainCpu = 0;
  for (auto _ : state) {
    double cpu = ThreadCpuSeconds();
    plainTotal += BlockingReadSeconds(commandLine);
    plainCpu += ThreadCpuSeconds() - cpu;
    cpu = ThreadCpuSeconds();
    ResetPeakRss();
    const double before = PeakRssMB();
    const auto start = std::chrono::steady_clock::now();
    {
      TConsoleProcess p;
      p.SetCommandLine(commandLine);
      p.Run();
      benchmark::DoNotOptimize(p.GetOutput().Count());
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    captureTotal += secs;
    captureCpu += ThreadCpuSeconds() - cpu;
    state.SetIterationTime(secs);
    peak = std::max(peak, PeakRssMB() - before);
  }
  state.SetBytesProcessed(mb * kMB * static_cast<Int64>(state.iterations()));
  state.counters["ratio"] = plainTotal / captureTotal; // capture speed / blocking-read speed
  state.counters["plain_MBps"] = static_cast<double>(mb) * state.iterations() / plainTotal;
  state.counters["peak_MB"] = peak;
  state.counters["cpu_ms"] = captureCpu * 1e3 / static_cast<double>(state.iterations());
  state.counters["plain_cpu_ms"] = plainCpu * 1e3 / static_cast<double>(state.iterations());
  state.SetLabel(lines ? "80-byte lines" : "one line");
}
BENCHMARK(BM_CaptureOutput)
    ->ArgsProduct({{1, 16, 128}, {1, 0}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The same capture with the storing taken out: TPipe reads and decodes into a list that only
// counts. What separates this ratio from BM_CaptureOutput's is the cost of keeping the lines.
class TCountingStrings : public TStrings {
public:
  Integer Count() const override { return FCount; }
  String Get(Integer) const override { return {}; }
  void Insert(Integer, std::string_view) override { ++FCount; }
  void Delete(Integer) override {}
  void Clear() override { FCount = 0; }

private:
  Integer FCount = 0;
};

double DecodeOnlySeconds(const String& commandLine, Integer& lines) {
  const auto start = std::chrono::steady_clock::now();
  TPipe pipe;
  TCountingStrings counted;
  pipe.SetTarget(&counted);
  const pid_t pid = SpawnWritingTo(commandLine, pipe.WriteHandle());
  pipe.CloseWrite();
  while (!pipe.AtEof()) {
    pollfd fd{pipe.ReadHandle(), POLLIN, 0};
    ::poll(&fd, 1, 250);
    pipe.PartialRead();
  }
  pipe.GetList(counted);
  lines = counted.Count();
  int status;
  ::waitpid(pid, &status, 0);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_DecodeOutput(benchmark::State& state) {
  const Int64 mb = state.range(0);
  const String commandLine = "head -c " + std::to_string(mb * kMB) + " " + SourceFile(true);
  double decodeTotal = 0, plainTotal = 0;
  Integer lines = 0;
  for (auto _ : state) {
    plainTotal += BlockingReadSeconds(commandLine);
    const double secs = DecodeOnlySeconds(commandLine, lines);
    decodeTotal += secs;
    state.SetIterationTime(secs);
  }
  state.SetBytesProcessed(mb * kMB * static_cast<Int64>(state.iterations()));
  state.counters["ratio"] = plainTotal / decodeTotal;
  state.counters["lines"] = lines;
  state.SetLabel("80-byte lines, counted not kept");
}
BENCHMARK(BM_DecodeOutput)
    ->Arg(1)
    ->Arg(16)
    ->Arg(128)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
