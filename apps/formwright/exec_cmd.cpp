// "exec": runs a command line as a console process and prints what it writes as it arrives.
#include "cli.h"

#include "basert/exceptions.h"
#include "tools/processutil.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kUsage = "usage: formwright exec [--timeout MS] [--dir DIR] COMMANDLINE\n";
constexpr std::size_t kBlock = 64 * 1024;

// A line list that keeps nothing: every line goes out to a descriptor, in blocks. A flood of
// output then costs a block of memory, not a list entry per line.
class TLineWriter final : public fw::TStrings {
public:
  explicit TLineWriter(int fd) : FFd(fd) { FBuffer.reserve(kBlock); }
  ~TLineWriter() override { Flush(); }

  fw::Integer Count() const override { return 0; }
  fw::String Get(fw::Integer) const override { return {}; }
  void Insert(fw::Integer, std::string_view s) override { Line(s); }
  void InsertObject(fw::Integer, std::string_view s, fw::TObject*) override { Line(s); }
  fw::Integer AddObject(std::string_view s, fw::TObject*) override { return Line(s); }
  fw::Integer AddShared(std::string_view s, fw::TTextBlock&) override { return Line(s); }
  void Delete(fw::Integer) override {}
  void Clear() override {}

  /// Writes what is buffered. After a failed write the rest is dropped, and Error says why.
  void Flush() {
    const char* p = FBuffer.data();
    std::size_t n = FBuffer.size();
    while (n > 0 && FError == 0) {
      const ssize_t done = ::write(FFd, p, n);
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        FError = done < 0 ? errno : EIO;
        break;
      }
      p += done;
      n -= static_cast<std::size_t>(done);
    }
    FBuffer.clear();
  }
  int Error() const noexcept { return FError; }

private:
  fw::Integer Line(std::string_view s) {
    if (FBuffer.size() + s.size() + 1 > kBlock) Flush();
    if (s.size() >= kBlock) {
      FBuffer.assign(s.begin(), s.end());
      FBuffer.push_back('\n');
      Flush();
    } else {
      FBuffer.append(s);
      FBuffer.push_back('\n');
    }
    return 0;
  }

  int FFd;
  int FError = 0;
  std::string FBuffer;
};

// The runner, with its output streamed to this process's standard output and error instead of
// kept in lists.
class TStreamingProcess final : public fw::TConsoleProcess {
public:
  TStreamingProcess() : FOut(1), FErr(2) {}
  TLineWriter& Out() { return FOut; }
  TLineWriter& Err() { return FErr; }

protected:
  void Running(fw::TStartupInfo&, fw::TProcessInformation& pi, std::unique_ptr<fw::TPipe>&,
               std::unique_ptr<fw::TPipe>& outPipe,
               std::unique_ptr<fw::TPipe>& errorPipe) override {
    using Clock = std::chrono::steady_clock;
    outPipe->CloseWrite();
    errorPipe->CloseWrite();
    outPipe->SetTarget(&FOut);
    errorPipe->SetTarget(&FErr);
    const auto start = Clock::now();
    const fw::Integer killAt = KillDelay();
    auto elapsed = [&] {
      return static_cast<fw::Integer>(
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    };
    for (;;) {
      outPipe->ReadIfReady();
      errorPipe->ReadIfReady();
      FOut.Flush();
      FErr.Flush();
      fw::Integer wait = fw::PollPeriodMs;
      if (DoTimeOut()) {
        // Killed again on every pass while it lingers, as the library's loop does.
        if (elapsed() >= killAt)
          Kill(pi, fw::TimeOutExitCode);
        else
          wait = std::min(wait, killAt - elapsed());
      }
      if (WaitPass(pi, outPipe.get(), errorPipe.get(), wait)) break;
    }
    outPipe->GetList(FOut);
    errorPipe->GetList(FErr);
    FOut.Flush();
    FErr.Flush();
    ReadExitCode(pi);
  }

private:
  TLineWriter FOut;
  TLineWriter FErr;
};

// The runner's messages span lines; a command line reports on one.
std::string OneLine(std::string s) {
  for (std::size_t at; (at = s.find_first_of("\r\n")) != std::string::npos;) {
    const std::size_t end = s.find_first_not_of("\r\n", at);
    s.replace(at, (end == std::string::npos ? s.size() : end) - at, "; ");
  }
  return s;
}

struct TExecOptions {
  std::string TimeOut, Dir;
  fwcli::Args CommandLine;
};

int RunExec(const TExecOptions& o) {
  TStreamingProcess process;
  if (!o.Dir.empty()) process.SetWorkingDir(o.Dir);
  if (!o.TimeOut.empty()) {
    char* end = nullptr;
    const long ms = std::strtol(o.TimeOut.c_str(), &end, 10);
    if (end == o.TimeOut.c_str() || *end != '\0' || ms < 0 || ms > 0x7FFFFFFF) {
      std::fprintf(stderr, "formwright exec: invalid time-out '%s'\n", o.TimeOut.c_str());
      return 2;
    }
    process.SetTimeOut(static_cast<fw::Integer>(ms));
  }
  if (o.CommandLine.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string commandLine = o.CommandLine[0];
  for (std::size_t i = 1; i < o.CommandLine.size(); ++i)
    commandLine += " " + o.CommandLine[i];
  process.SetCommandLine(commandLine);
  std::fflush(stdout); // what the runner writes goes past stdio
  try {
    process.Run();
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "formwright exec: %s\n", OneLine(e.Message()).c_str());
    return 1;
  }
  if (const int error = process.Out().Error()) {
    std::fprintf(stderr, "formwright exec: cannot write standard output: %s\n",
                 std::strerror(error));
    return 1;
  }
  std::fprintf(stderr, "exit code: %u\n", static_cast<unsigned>(process.ExitCode()));
  return process.ExitCode() == 0 ? 0 : 1;
}

fwcli::Runner Define(CLI::App& app) {
  auto o = std::make_shared<TExecOptions>();
  app.add_option("--timeout", o->TimeOut, "kill the process after this many milliseconds")
      ->type_name("MS");
  app.add_option("--dir", o->Dir, "the working folder of the process")->type_name("DIR");
  // Everything from the command line on is the child's, options included.
  app.prefix_command();
  app.footer("COMMANDLINE (the rest of the arguments, joined by blanks) is split as the "
             "framework's process runner splits it. The child's lines are printed as they "
             "arrive and none is kept; its exit code is reported on standard error.");
  return [o, &app] {
    o->CommandLine = app.remaining();
    return RunExec(*o);
  };
}

const fwcli::CommandRegistrar reg({"exec", "exec [--timeout MS] [--dir DIR] COMMANDLINE",
                                   "run a console process and print its output", Define});

} // namespace
