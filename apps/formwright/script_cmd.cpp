// "script": a design session over one or more modules, one command a line.
#include "cli.h"
#include "script.h"

#include "basert/sysutils.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

using namespace fwcli;
namespace fs = std::filesystem;

inline constexpr std::string_view sCannotReadScript = "cannot read %s";

struct Options {
  std::string Script, Out;
  std::vector<std::string> Packages;
};

int Fail(const std::string& script, int line, const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s(%d): %s\n", script.c_str(), line, message.c_str());
  return 1;
}

int RunScript(const Options& o) {
  std::ifstream in(o.Script, std::ios::binary);
  std::stringstream text;
  if (!in || fs::is_directory(o.Script))
    throw fw::Exception(fw::Format(sCannotReadScript, o.Script));
  text << in.rdbuf();
  std::vector<TScriptStep> steps;
  try {
    steps = ParseScript(text.view());
  } catch (const EScriptError& e) {
    return Fail(o.Script, e.Line, e.what());
  }
  const std::string folder = fs::absolute(o.Script).parent_path().string();
  TDesignSession session(o.Packages);
  TScriptRunner runner(session, folder, o.Out.empty() ? folder : o.Out, stdout);
  try {
    runner.Run(steps);
  } catch (const EScriptError& e) {
    return Fail(o.Script, e.Line, e.what());
  }
  return 0;
}

Runner Define(CLI::App& app) {
  auto o = std::make_shared<Options>();
  app.add_option("FILE", o->Script, "the script: one command a line")->required();
  app.add_option("--out", o->Out,
                 "the folder that relative paths of save and render are written to; default: "
                 "the script's folder")
      ->type_name("DIR");
  AddPackageOption(app, o->Packages);
  app.footer(
      "Runs a design session as a user works in the IDE, printing each design notification "
      "the session broadcasts (\"ItemInserted Form1.Button1\", \"ItemsModified Form1\", "
      "\"SelectionChanged Form1 [Button1]\", \"DesignerOpened Form2\") and each save.\n\n"
      "Blank lines and lines starting with '#' are skipped; a word with blanks goes in double "
      "quotes. open, new and inherit make their module the current one, module switches to "
      "another open one, and every other command works on the current module, its names "
      "resolved there. Relative files are read from the script's folder and written under "
      "--out; a new module's first save to a file makes it the module's file. An inherited "
      "form finds its ancestor among the open modules or the form files beside it.\n\n"
      "The whole script is read before anything runs. The first error stops it with "
      "\"FILE(LINE): message\" on standard error and exit code 1; only what an earlier save "
      "wrote is written.\n\nCommands:\n" +
      ScriptCommandsHelp());
  return [o] { return RunScript(*o); };
}

const CommandRegistrar reg({"script", "script FILE [--out DIR] [--package LIB.so ...]",
                            "run a design session written one command a line", Define});

} // namespace
