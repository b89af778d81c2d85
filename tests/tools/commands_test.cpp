// The "template" and "exec" commands of the formwright host, run as child processes.
#include "tools/processutil.h"

#include "support/testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace fw;

namespace {

namespace fs = std::filesystem;

fs::path Host() { return fs::read_symlink("/proc/self/exe").parent_path() / "formwright"; }

struct TResult {
  std::vector<String> Out, Err;
  Cardinal Code;
};

TResult RunHost(const String& args) {
  TConsoleProcess p;
  p.SetCommandLine("\"" + Host().string() + "\" " + args);
  p.Run();
  return {fwtest::Lines(p.GetOutput()), fwtest::Lines(p.GetErrors()), p.ExitCode()};
}

using V = std::vector<String>;

class HostCommands : public ::testing::Test {
protected:
  void SetUp() override {
    if (!fs::exists(Host())) GTEST_SKIP() << "formwright host not built";
    FDir = fs::temp_directory_path() / ("fw_cmd_" + std::to_string(::getpid()));
    fs::create_directories(FDir);
  }
  void TearDown() override {
    if (!FDir.empty()) fs::remove_all(FDir);
  }
  String File(const String& name, const String& text) {
    std::ofstream(FDir / name, std::ios::binary) << text;
    return (FDir / name).string();
  }
  fs::path FDir;
};

} // namespace

TEST_F(HostCommands, TemplateExpandsWithValuesOrReportsTheError) {
  const String good = File("u.pas", "unit [!Name];\n[!if=(Flag)]\nflag\n[!endif]\nend.\n");
  TResult r = RunHost("template \"" + good + "\" Name=Unit1 Flag=true");
  EXPECT_EQ(r.Code, 0u);
  EXPECT_EQ(r.Out, (V{"unit Unit1;", "flag", "end."}));
  EXPECT_TRUE(r.Err.empty());

  const String bad = File("bad.pas", "text\nmore [!else]\n");
  r = RunHost("template \"" + bad + "\"");
  EXPECT_EQ(r.Code, 1u);
  EXPECT_TRUE(r.Out.empty());
  EXPECT_EQ(r.Err, V{"bad.pas(2): Attempt to access empty stack"});
}

TEST_F(HostCommands, ExecPrintsOutputErrorsAndExitCode) {
  TResult r =
      RunHost("exec --dir \"" + FDir.string() + "\" \"sh -c 'pwd; printf oops >&2; exit 3'\"");
  EXPECT_EQ(r.Code, 1u);
  EXPECT_EQ(r.Out, V{FDir.string()});
  EXPECT_EQ(r.Err, (V{"oops", "exit code: 3"}));

  r = RunHost("exec --timeout 0 \"sleep 20\"");
  EXPECT_EQ(r.Err, V{"exit code: 999"});
  EXPECT_EQ(r.Code, 1u);

  r = RunHost("exec fw-no-such-program");
  EXPECT_EQ(r.Code, 1u);
  EXPECT_EQ(r.Err, V{"formwright exec: Failed to create process; Command line: "
                     "'fw-no-such-program'; Error Message: 'No such file or directory'"});
}
