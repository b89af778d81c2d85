// "exec": runs a command line as a console process and prints what it wrote.
#include "cli.h"

#include "basert/exceptions.h"
#include "tools/processutil.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char* kUsage = "usage: formwright exec [--timeout MS] [--dir DIR] COMMANDLINE\n";

void WriteLines(const fw::TStrings& lines, std::FILE* to) {
  for (fw::Integer i = 0; i < lines.Count(); ++i) {
    const fw::String line = lines.Get(i);
    std::fwrite(line.data(), 1, line.size(), to);
    std::fputc('\n', to);
  }
}

int RunExec(const fwcli::Args& args) {
  fw::TConsoleProcess process;
  std::size_t i = 0;
  for (; i < args.size(); i += 2) {
    const std::string& opt = args[i];
    if (opt != "--timeout" && opt != "--dir") break;
    if (i + 1 >= args.size()) {
      std::fputs(kUsage, stderr);
      return 2;
    }
    if (opt == "--dir") {
      process.SetWorkingDir(args[i + 1]);
      continue;
    }
    char* end = nullptr;
    const long ms = std::strtol(args[i + 1].c_str(), &end, 10);
    if (end == args[i + 1].c_str() || *end != '\0' || ms < 0 || ms > 0x7FFFFFFF) {
      std::fprintf(stderr, "formwright exec: invalid time-out '%s'\n", args[i + 1].c_str());
      return 2;
    }
    process.SetTimeOut(static_cast<fw::Integer>(ms));
  }
  if (i >= args.size()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string commandLine = args[i];
  for (++i; i < args.size(); ++i)
    commandLine += " " + args[i];
  process.SetCommandLine(commandLine);
  try {
    process.Run();
  } catch (const fw::Exception& e) {
    std::fprintf(stderr, "%s\n", e.Message().c_str());
    return 1;
  }
  WriteLines(process.GetOutput(), stdout);
  std::fflush(stdout);
  WriteLines(process.GetErrors(), stderr);
  std::fprintf(stderr, "exit code: %u\n", static_cast<unsigned>(process.ExitCode()));
  return process.ExitCode() == 0 ? 0 : 1;
}

const fwcli::CommandRegistrar reg({"exec",
                                   "exec [--timeout MS] [--dir DIR] COMMANDLINE  run a console "
                                   "process and print its output",
                                   RunExec});

} // namespace
