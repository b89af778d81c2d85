// Design scripts: one command a line, run against a design session the way a user works in the
// IDE (open and make modules, select, drop, move, size, align, rename, type values, copy, paste,
// delete, save, render), with checks of values on the way, printing every design notification
// the session broadcasts.
//
//   open forms/base.fwf
//   create TButton at 16,16       # dropped into the current module, and selected
//   set Button1.Caption=OK
//   expect Button1.Width=75
//   save to out/base.fwf
#pragma once

#include "session.h"

#include "basert/exceptions.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace fwcli {

inline constexpr std::string_view sScriptUnknownCommand = "unknown command '%s'";
inline constexpr std::string_view sScriptUsage = "usage: %s";
inline constexpr std::string_view sScriptNoModule = "no module is open";
inline constexpr std::string_view sScriptNoModuleNamed = "no module named %s is open";
inline constexpr std::string_view sScriptNotAComponentClass = "%s is not a component class";
inline constexpr std::string_view sScriptNotCreated = "%s does not take a %s";
inline constexpr std::string_view sScriptNoDesignWindow = "%s has no design window";
inline constexpr std::string_view sScriptNothingToPaste = "nothing to paste";
inline constexpr std::string_view sScriptNothingToUndelete = "nothing to undelete";
inline constexpr std::string_view sScriptExpectFailed = "%s is '%s', expected '%s'";
inline constexpr std::string_view sScriptChecked = "Checked %s: %s";
inline constexpr std::string_view sScriptSaved = "Saved %s";
inline constexpr std::string_view sScriptSavedTo = "Saved %s to %s";
inline constexpr std::string_view sScriptRendered = "Rendered %s to %s";

/// A script that cannot run on, at its (1-based) line.
class EScriptError : public fw::Exception {
public:
  EScriptError(int line, const fw::String& message) : fw::Exception(message), Line(line) {}
  int Line;
};

enum class TScriptVerb {
  Open,
  New,
  Inherit,
  Module,
  Select,
  Create,
  Move,
  Size,
  Align,
  Rename,
  Set,
  Expect,
  Copy,
  Cut,
  Paste,
  Delete,
  Undelete,
  Save,
  Render
};

/// One parsed command line.
struct TScriptStep {
  int Line = 0;
  TScriptVerb Verb = TScriptVerb::Open;
  /// Names and paths in the order the command takes them; absent optional ones are empty.
  std::vector<std::string> Words;
  /// The X,Y of create and move, the W,H of size.
  int X = 0, Y = 0;
  /// Align or size affects (TOTAAffect / TOTASizeAffect values); empty for size W,H.
  std::vector<int> Affects;
};

/// Parses a whole script: blank lines and lines starting with '#' are skipped. Raises
/// EScriptError for an unknown command (sScriptUnknownCommand) or a line that does not fit its
/// command (sScriptUsage with the command's synopsis).
std::vector<TScriptStep> ParseScript(std::string_view text);

/// The commands a script takes, with what each does, one per line; for the command's help.
std::string ScriptCommandsHelp();

/// Runs parsed steps against a session, printing the design notifications to `out` while it
/// lives. Relative paths that a step reads are taken from `readDir`, those it writes from
/// `writeDir`.
class TScriptRunner {
public:
  TScriptRunner(TDesignSession& session, std::string readDir, std::string writeDir, std::FILE* out);
  ~TScriptRunner();
  TScriptRunner(const TScriptRunner&) = delete;
  TScriptRunner& operator=(const TScriptRunner&) = delete;

  /// Runs each step in order; the first failure raises EScriptError with the step's line and
  /// the designer's, editor's or reader's message. What was saved before it stays saved.
  void Run(const std::vector<TScriptStep>& steps);

private:
  class TListener;
  void Step(const TScriptStep& step);
  TOpenForm& Current() const;
  TOpenForm& Module(const std::string& name) const;
  std::string ReadPath(const std::string& path) const;
  /// The target of a save, its folder made when missing.
  std::string WritePath(const std::string& path) const;
  void Print(const fw::String& line);

  TDesignSession& FSession;
  std::string FReadDir, FWriteDir;
  std::FILE* FOut;
  fw::IPtr<TListener> FListener;
  TOpenForm* FCurrent = nullptr;
};

} // namespace fwcli
