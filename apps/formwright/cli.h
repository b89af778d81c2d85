// The command table of the formwright command-line host: each command file registers itself.
#pragma once

#include <string>
#include <vector>

namespace fwcli {

using Args = std::vector<std::string>;

struct Command {
  const char* Name;
  const char* Usage; ///< one line, shown by "formwright help"
  int (*Run)(const Args& args);
};

/// Adds a command; used through a file-level `CommandRegistrar` object.
void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command) { RegisterCommand(command); }
};

} // namespace fwcli
