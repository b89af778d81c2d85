// The command table of the formwright command-line host: each command file registers itself
// with the options it takes; the program parses them with CLI11 and runs the command.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

namespace fwcli {

using Args = std::vector<std::string>;
/// What a command does once its options are parsed; answers the exit code.
using Runner = std::function<int()>;

struct Command {
  const char* Name;
  const char* Synopsis; ///< the arguments it takes: "convert IN OUT [--exact]"
  const char* Summary;  ///< what it does, in a few words
  /// Declares the command's options and arguments on `app` and answers the runner that reads
  /// them; the long explanation goes into the app's description and footer.
  Runner (*Define)(CLI::App& app);
};

/// Adds a command; used through a file-level `CommandRegistrar` object.
void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command) { RegisterCommand(command); }
};

/// Parses `args` as the command `name` would (without running it): the runner, or raises
/// CLI::ParseError. Used by the program and by tests of the option tables.
Runner ParseCommand(const Command& command, CLI::App& app, const Args& args);

} // namespace fwcli
