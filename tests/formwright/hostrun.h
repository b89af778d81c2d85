// Runs the built formwright program in a scratch folder and collects what it wrote.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fwtest {

namespace fs = std::filesystem;

inline fs::path Host() { return fs::read_symlink("/proc/self/exe").parent_path() / "formwright"; }

inline std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

struct TRun {
  int Code = -1;
  std::string Out, Err;
  long PeakKb = 0;
};

class HostRun : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fs::exists(Host())) GTEST_SKIP() << "formwright host not built";
    char tmpl[] = "/tmp/fw-host-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    Dir = tmpl;
  }
  void TearDown() override {
    if (!Dir.empty()) fs::remove_all(Dir);
  }

  // Runs the host with its standard output going to `out` (a file of the test folder when
  // empty) and standard error to a file.
  TRun Run(std::vector<std::string> args, const std::string& out = {}) {
    args.insert(args.begin(), Host().string());
    std::vector<char*> argv;
    for (auto& a : args)
      argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = out.empty() ? (Dir / "stdout").string() : out;
    const std::string errPath = (Dir / "stderr").string();
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    TRun r;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      rusage usage{};
      ::wait4(pid, &status, 0, &usage);
      r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      r.PeakKb = usage.ru_maxrss;
    }
    posix_spawn_file_actions_destroy(&fa);
    if (out.empty()) r.Out = ReadAll(outPath);
    r.Err = ReadAll(errPath);
    return r;
  }

  fs::path Dir;
};

} // namespace fwtest
