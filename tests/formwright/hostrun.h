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

// The test forms, and the forms and session the program ships with.
inline const std::string kForms = FW_TEST_DATA_DIR "/forms/";
inline const std::string kExamples = FW_TEST_DATA_DIR "/../../examples/forms/";
inline const std::string kSession = FW_TEST_DATA_DIR "/../../examples/session/";
/// The form most cases open.
inline const std::string kForm = kForms + "designable.fwf";

/// Every file of the test forms and the shipped forms.
inline std::vector<fs::path> AllForms() {
  std::vector<fs::path> forms;
  for (const std::string& dir : {kForms, kExamples})
    for (const auto& e : fs::directory_iterator(dir))
      if (e.is_regular_file()) forms.push_back(e.path());
  return forms;
}

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

/// A command line the program refuses: its exit code and a part of its message.
struct TRefusal {
  std::vector<std::string> Args;
  int Code;
  std::string Message;
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

  /// Copies the named files of `from` into the test folder.
  void CopyIn(const std::string& from, std::initializer_list<const char*> names) const {
    for (const char* n : names)
      fs::copy_file(from + n, Dir / n);
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

  /// Runs a refused command line and checks its exit code and message.
  TRun Refused(const TRefusal& c) {
    const TRun r = Run(c.Args);
    EXPECT_EQ(r.Code, c.Code) << c.Args[0] << " " << c.Message;
    EXPECT_NE(r.Err.find(c.Message), std::string::npos) << r.Err;
    return r;
  }

  fs::path Dir;
};

} // namespace fwtest
