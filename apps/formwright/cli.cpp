// The command table of the formwright command-line host.
#include "cli.h"

#include <algorithm>

namespace fwcli {

static std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

void RegisterCommand(const Command& command) { Table().push_back(command); }
const std::vector<Command>& Commands() { return Table(); }

Runner ParseCommand(const Command& command, CLI::App& app, const Args& args) {
  Runner run = command.Define(app);
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
  app.parse(reversed);
  return run;
}

} // namespace fwcli
