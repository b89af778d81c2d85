#include "tools/processutil.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <unistd.h>

using namespace fw;
using fwtest::Lines;
using fwtest::MessageOf;

namespace {

using TClock = std::chrono::steady_clock;

template <class F> long MsTaken(F run) {
  const auto start = TClock::now();
  run();
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - start).count());
}

String Failure(TConsoleProcess& p) {
  return MessageOf([&] { p.Run(); });
}

// Pumps the application queue until `done` or five seconds pass.
template <class F> bool PumpUntil(F done) {
  const auto end = TClock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (TClock::now() > end) return false;
    TThread::CheckSynchronize(20);
  }
  return true;
}

using V = std::vector<String>;

} // namespace

TEST(ConsoleProcess, CapturesOutputErrorsAndExitCode) {
  TConsoleProcess p;
  p.SetCommandLine(R"(/bin/sh -c "printf 'a\nb\r\nc'; printf 'e1\n' >&2; exit 3")");
  p.Run();
  EXPECT_EQ(Lines(p.GetOutput()), (V{"a", "b", "c"}));
  EXPECT_EQ(Lines(p.GetErrors()), V{"e1"});
  EXPECT_EQ(p.ExitCode(), 3u);

  p.SetCommandLine(R"(/bin/sh -c "printf 'a\377b\n'; pwd; printf '%s' \"$FW_PROBE\"")");
  const String dir = std::filesystem::temp_directory_path().string();
  p.SetWorkingDir(dir);
  p.GetEnvList().Add("FW_PROBE=from env list");
  p.Run();
  EXPECT_EQ(Lines(p.GetOutput()), (V{"a\xEF\xBF\xBD"
                                     "b",
                                     dir, "from env list"}));
  EXPECT_EQ(p.ExitCode(), 0u);

  // A child ended by a signal reports 128 + the signal, as a shell does.
  p.SetCommandLine(R"(/bin/sh -c "kill -TERM $$")");
  p.Run();
  EXPECT_EQ(p.ExitCode(), 128u + SIGTERM);
}

TEST(ConsoleProcess, ChildFloodingBothPipesDoesNotDeadlock) {
  TConsoleProcess p;
  p.SetCommandLine("/bin/sh -c 'i=0; while [ $i -lt 4000 ]; do printf \"%079d\\n\" $i; "
                   "printf \"%079d\\n\" $i >&2; i=$((i+1)); done; head -c 300000 /dev/zero'");
  p.SetTimeOut(20000);
  p.Run();
  ASSERT_EQ(p.GetOutput().Count(), 4001);
  ASSERT_EQ(p.GetErrors().Count(), 4000);
  EXPECT_EQ(p.GetOutput().Get(3999), String(75, '0') + "3999");
  EXPECT_EQ(p.GetOutput().Get(4000), String(300000, '\0'));
  EXPECT_EQ(p.GetErrors().Get(0), String(79, '0'));
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST(ConsoleProcess, TimeOutKillsAHangingChild) {
  TConsoleProcess p;
  p.SetCommandLine("/bin/sh -c 'printf started; sleep 30'");
  EXPECT_FALSE(p.DoTimeOut());
  p.SetTimeOut(300); // counted in 250 ms passes: killed at the second pass
  const long ms = MsTaken([&] { p.Run(); });
  EXPECT_EQ(p.ExitCode(), TimeOutExitCode);
  EXPECT_GE(ms, 240);
  EXPECT_LT(ms, 3000);
  EXPECT_EQ(Lines(p.GetOutput()), V{"started"});

  p.SetTimeOut(0); // killed on the first pass
  EXPECT_LT(MsTaken([&] { p.Run(); }), 2000);
  EXPECT_EQ(p.ExitCode(), TimeOutExitCode);
  p.SetTimeOut(-1);
  EXPECT_TRUE(p.DoTimeOut()); // a negative value does not switch it off
}

TEST(ConsoleProcess, GrandchildHoldingThePipesDoesNotHoldTheRun) {
  TConsoleProcess p;
  p.SetCommandLine("/bin/sh -c 'sleep 3 & printf done'");
  EXPECT_LT(MsTaken([&] { p.Run(); }), 2500);
  EXPECT_EQ(Lines(p.GetOutput()), V{"done"});
}

TEST(ConsoleProcess, StartFailuresAreReportedWithTheSystemText) {
  TConsoleProcess p;
  p.SetCommandLine("fw-no-such-program --flag");
  EXPECT_EQ(Failure(p), "Failed to create process\r\nCommand line: 'fw-no-such-program --flag'\r\n"
                        "Error Message: 'No such file or directory'");
  p.SetExeFileName("fw-no-such-program");
  EXPECT_EQ(Failure(p), "Failed to run fw-no-such-program. No such file or directory");

  TConsoleProcess q;
  q.SetCommandLine("/bin/sh -c 'exit 0'");
  q.SetWorkingDir("/fw/no/such/dir");
  EXPECT_EQ(Failure(q), "Failed to create process\r\nCommand line: '/bin/sh -c 'exit 0''\r\n"
                        "Error Message: 'No such file or directory'");

  struct TQuiet : TConsoleProcess {
    String Reported;
    void ReportFatalError(const String& msg) override { Reported = msg; }
  } quiet;
  quiet.SetCommandLine("");
  quiet.Run();
  EXPECT_EQ(quiet.ExitCode(), ProcessStartFailedExitCode);
  EXPECT_NE(quiet.Reported.find("Failed to create process"), String::npos);
}

TEST(ReportProcess, PumpsTheGuiReportsAtTheEndAndCanCancel) {
  struct TCancelling : TReportProcess {
    int Asked = 0;
    bool CancelProcess() override { return ++Asked >= 2; }
  } p;
  std::vector<std::tuple<Integer, Integer, V>> seen;
  p.SetOnOutputChanged([&](TObject* sender, TStringList& list, Integer before, Integer after) {
    EXPECT_EQ(sender, &p);
    seen.emplace_back(before, after, Lines(list));
  });
  bool pumped = false;
  Application->Post([&] { pumped = true; });
  p.SetCommandLine("/bin/sh -c 'printf \"x\\ny\\n\"; sleep 30'");
  EXPECT_LT(MsTaken([&] { p.Run(); }), 3000);
  EXPECT_TRUE(pumped);
  EXPECT_EQ(p.ExitCode(), CancelledExitCode);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], std::make_tuple(0, 2, V{"x", "y"}));
}

TEST(MonitorProcess, AnnouncesNewLinesOnTheGuiThreadAndThenTerminates) {
  TMonitorProcess p;
  V lines;
  bool terminated = false;
  p.SetOnOutputChanged([&](TObject*, TStringList& list, Integer before, Integer after) {
    EXPECT_TRUE(IsMainThread());
    EXPECT_EQ(before, static_cast<Integer>(lines.size()));
    for (Integer i = before; i < after; ++i)
      lines.push_back(list.Get(i));
  });
  p.OnTerminate = [&](TObject* sender) {
    EXPECT_EQ(sender, &p);
    terminated = true;
  };
  p.SetCommandLine("/bin/sh -c 'printf \"1\\n\"; sleep 0.2; printf \"2\\n3\"; exit 4'");
  p.Run();
  EXPECT_TRUE(p.IsRunning());
  EXPECT_THROW(p.SetCommandLine("x"), TMonitorProcessException);
  EXPECT_THROW(p.SetWatch(false), TMonitorProcessException);
  EXPECT_EQ(MessageOf<TMonitorProcessException>([&] { p.Run(); }),
            "Monitor thread already running");
  ASSERT_TRUE(PumpUntil([&] { return terminated; }));
  EXPECT_FALSE(p.IsRunning());
  EXPECT_EQ(lines, (V{"1", "2", "3"}));
  EXPECT_EQ(p.ExitCode(), 4u);
  EXPECT_EQ(MessageOf<TMonitorProcessException>([&] { p.CancelProcess(); }),
            "Process is not being managed");

  // The same object runs again, and this time is cancelled.
  p.SetCommandLine("/bin/sh -c 'sleep 30'");
  terminated = false;
  p.Run();
  ASSERT_TRUE(p.IsRunning());
  bool cancelled = false;
  EXPECT_LT(MsTaken([&] { cancelled = p.CancelProcess(); }), 2000);
  EXPECT_TRUE(cancelled);
  EXPECT_FALSE(p.IsRunning());
  EXPECT_EQ(p.ExitCode(), 0u);
}

TEST(MonitorProcess, TimeOutAndDestructionStopTheChild) {
  auto p = std::make_unique<TMonitorProcess>();
  bool terminated = false;
  p->OnTerminate = [&](TObject*) { terminated = true; };
  p->SetCommandLine("sleep 30");
  p->SetTimeOut(0);
  p->Run();
  ASSERT_TRUE(PumpUntil([&] { return terminated; }));
  EXPECT_EQ(p->ExitCode(), TimeOutExitCode);

  p->SetTimeOut(-1);
  p->SetTimeOut(60000);
  p->Run();
  EXPECT_TRUE(p->IsRunning());
  const pid_t pid = p->ProcessID();
  EXPECT_LT(MsTaken([&] { p.reset(); }), 2000); // cancels the watched child
  EXPECT_NE(::kill(pid, 0), 0);
}

TEST(MonitorProcess, UnwatchedChildRunsOnItsOwn) {
  TMonitorProcess p;
  p.SetWatch(false);
  p.SetCommandLine("/bin/sh -c 'exit 0'");
  p.Run();
  EXPECT_FALSE(p.IsRunning());
  EXPECT_GT(p.ProcessID(), 0);
  EXPECT_THROW(p.CancelProcess(), TMonitorProcessException);
  p.SetCommandLine("fw-no-such-program");
  EXPECT_THROW(p.Run(), Exception);
  EXPECT_FALSE(p.IsRunning());
}

TEST(EnumProcesses, ListsThisProcess) {
  bool found = false;
  EnumProcesses([&](Integer pid, const String& name) {
    if (pid == static_cast<Integer>(::getpid())) found = !name.empty();
  });
  EXPECT_TRUE(found);
}
