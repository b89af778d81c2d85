// formwright: the command-line host of the design-time engine.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string_view>

namespace {

const fwcli::Command* FindCommand(std::string_view name) {
  for (const auto& c : fwcli::Commands())
    if (name == c.Name) return &c;
  return nullptr;
}

int Help() {
  std::fputs("usage: formwright COMMAND [ARGS]\n\ncommands:\n", stdout);
  std::size_t width = 0;
  for (const auto& c : fwcli::Commands())
    width = std::max(width, std::strlen(c.Synopsis));
  for (const auto& c : fwcli::Commands())
    std::printf("  %-*s  %s\n", static_cast<int>(width), c.Synopsis, c.Summary);
  std::fputs("\n'formwright help COMMAND' explains one command.\n", stdout);
  return 0;
}

int UnknownCommand(const char* name) {
  std::fprintf(stderr, "formwright: unknown command '%s' (try 'formwright help')\n", name);
  return 2;
}

// The command's own page: its synopsis, then what CLI11 makes of its options.
int CommandHelp(const fwcli::Command& c) {
  CLI::App app{"", std::string("formwright ") + c.Name};
  c.Define(app);
  std::string page = app.help();
  if (!page.empty() && page.back() != '\n') page += '\n';
  std::printf("usage: formwright %s\n  %s\n\n%s", c.Synopsis, c.Summary, page.c_str());
  return 0;
}

// Output lost on a full disk or a closed pipe must not pass for success.
int CheckOutput(const char* command, int status) {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return status;
  const int error = !flushed && errno ? errno : EIO;
  std::fprintf(stderr, "formwright%s%s: cannot write standard output: %s\n", *command ? " " : "",
               command, std::strerror(error));
  return 1;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help")) return CheckOutput("", Help());
  if (!std::strcmp(argv[1], "help")) {
    if (argc == 2) return CheckOutput("", Help());
    const fwcli::Command* c = FindCommand(argv[2]);
    return c ? CheckOutput("", CommandHelp(*c)) : UnknownCommand(argv[2]);
  }
  const fwcli::Command* c = FindCommand(argv[1]);
  if (!c) return UnknownCommand(argv[1]);
  CLI::App app{"", std::string("formwright ") + c->Name};
  fwcli::Runner run;
  try {
    run = fwcli::ParseCommand(*c, app, fwcli::Args(argv + 2, argv + argc));
  } catch (const CLI::CallForHelp&) {
    return CheckOutput("", CommandHelp(*c));
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "formwright %s: %s\nusage: formwright %s\n", c->Name, e.what(),
                 c->Synopsis);
    return 2;
  }
  try {
    return CheckOutput(c->Name, run());
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "formwright %s: %s\n", c->Name, e.what());
    return 1;
  }
}
