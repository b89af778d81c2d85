// The command table of the formwright command-line host.
#include "cli.h"

namespace fwcli {

static std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

void RegisterCommand(const Command& command) { Table().push_back(command); }
const std::vector<Command>& Commands() { return Table(); }

} // namespace fwcli
