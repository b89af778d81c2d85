// formwright: the command-line host of the design-time engine.
#include "cli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

static int Help() {
  std::fputs("usage: formwright COMMAND [ARGS]\n\ncommands:\n", stdout);
  for (const auto& c : fwcli::Commands())
    std::printf("  %s\n", c.Usage);
  return 0;
}

// Output lost on a full disk or a closed pipe must not pass for success.
static int CheckOutput(const char* command, int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return status;
  const int error = !flushed && errno ? errno : EIO;
  std::fprintf(stderr, "formwright%s%s: cannot write standard output: %s\n", *command ? " " : "",
               command, std::strerror(error));
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "help") || !std::strcmp(argv[1], "--help"))
    return CheckOutput("", Help());
  fwcli::Args args(argv + 2, argv + argc);
  for (const auto& c : fwcli::Commands()) {
    if (std::strcmp(c.Name, argv[1]) != 0) continue;
    try {
      return CheckOutput(c.Name, c.Run(args));
    } catch (const std::exception& e) {
      std::fflush(stdout);
      std::fprintf(stderr, "formwright %s: %s\n", c.Name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "formwright: unknown command '%s' (try 'formwright help')\n", argv[1]);
  return 2;
}
