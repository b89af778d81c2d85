// The formwright host at the edges of its streams: full devices, standard output, floods.
#include "hostrun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <poll.h>

namespace {

using namespace fwtest;

using HostStreams = HostRun;

std::string Form(const char* name) { return kExamples + name; }

} // namespace

TEST_F(HostStreams, LostOutputIsReportedOnOneLine) {
  const std::string tpl = (Dir / "t.txt").string();
  std::ofstream(tpl) << "line [!x]\n";
  for (const auto& args : std::vector<std::vector<std::string>>{{"dump", Form("mainform.fwf")},
                                                                {"template", tpl, "x=1"},
                                                                {"exec", "echo hi"},
                                                                {"help"}}) {
    const TRun r = Run(args, "/dev/full");
    const std::string command = args[0] == "help" ? "" : " " + args[0];
    EXPECT_EQ(r.Code, 1) << args[0];
    EXPECT_EQ(r.Err, "formwright" + command +
                         ": cannot write standard output: No space left on "
                         "device\n");
  }
  const TRun r = Run({"convert", Form("mainform.fwf"), "/dev/full"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "formwright convert: cannot write '/dev/full': No space left on device\n");
  EXPECT_EQ(r.Out, "");
}

TEST_F(HostStreams, ConvertWritesStandardOutputWhenAskedTo) {
  const std::string file = (Dir / "main.fwb").string();
  ASSERT_EQ(Run({"convert", Form("mainform.fwf"), file}).Code, 0);
  for (const char* out : {"-", "/dev/stdout"}) {
    const TRun r = Run({"convert", Form("mainform.fwf"), out});
    EXPECT_EQ(r.Code, 0) << r.Err;
    EXPECT_EQ(r.Out, ReadAll(file)) << out; // the report goes elsewhere
    EXPECT_NE(r.Err.find(" -> "), std::string::npos);
  }
}

TEST_F(HostStreams, ExecPassesLinesOnAsTheyArrive) {
  // The child prints a line and waits for a file that the test makes only once the line is seen.
  const std::string gate = (Dir / "gate").string();
  const std::string child = "sh -c 'echo first; while [ ! -e " + gate +
                            " ]; do sleep 0.05; done; echo second; echo third >&2'";
  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const std::string host = Host().string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    ::close(pipeFds[0]);
    ::execl(host.c_str(), host.c_str(), "exec", child.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  std::string seen;
  pollfd p{pipeFds[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    if (::poll(&p, 1, 100) <= 0) continue;
    char buf[64];
    const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
    if (n <= 0) break;
    seen.append(buf, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(seen, "first\n");
  std::ofstream(gate) << "";
  char buf[64];
  for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
    seen.append(buf, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_EQ(seen, "first\nsecond\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(HostStreams, ExecFloodKeepsNothing) {
  // 2 million two-byte lines on each stream: a list entry per line would take well over 100 MB.
  const int bytes = 4 << 20;
  const std::string n = std::to_string(bytes);
  const TRun r =
      Run({"exec", "sh -c '(yes a | head -c " + n + ") & (yes b | head -c " + n + " >&2); wait'"});
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(r.Out.size(), static_cast<std::size_t>(bytes));
  EXPECT_EQ(r.Out.find_first_not_of("a\n"), std::string::npos);
  EXPECT_EQ(r.Err.size(), bytes + std::string("exit code: 0\n").size());
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(r.PeakKb, 48 * 1024);
#endif
}
