// Runs console processes with captured output: to completion, while pumping the GUI, or watched
// by a monitor thread that feeds the output to the GUI thread as it arrives.
#pragma once

#include "basert/exceptions.h"
#include "basert/object.h"
#include "basert/strings.h"
#include "basert/threads.h"
#include "basert/types.h"
#include "tools/processtext.h"

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sCreatePipeError = "Unable to create inheritable pipe";
inline constexpr std::string_view sFailedToRun = "Failed to run %s. %s";
inline constexpr std::string_view sFailedToCreateProcess =
    "Failed to create process\r\nCommand line: '%s'\r\nError Message: '%s'";
inline constexpr std::string_view sExitCodeError = "Unable to get process exit code";
inline constexpr std::string_view sMonitorThreadRunning = "Monitor thread already running";
inline constexpr std::string_view sProcessNotManaged = "Process is not being managed";
inline constexpr std::string_view sMonitorThreadName = "ProcessUtil Monitor Thread";

/// Exit code left behind when the process could not be started and the report returned.
inline constexpr Cardinal ProcessStartFailedExitCode = 0x0BADF00D;
/// Exit code of a process killed because its time-out passed.
inline constexpr Cardinal TimeOutExitCode = 999;
/// Exit code of a reporting process cancelled through CancelProcess.
inline constexpr Cardinal CancelledExitCode = 100;
/// Longest wait between two passes of a run loop; a time-out is counted in such passes.
inline constexpr Integer PollPeriodMs = 250;
/// Most bytes taken from a pipe by one read.
inline constexpr std::size_t PipeBufferSize = 32768;

inline constexpr Cardinal STARTF_USESHOWWINDOW = 0x001;
inline constexpr Cardinal STARTF_USESTDHANDLES = 0x100;

/// Raised for misuse of a TMonitorProcess.
class TMonitorProcessException : public Exception {
  using Exception::Exception;
};

/// One end-to-end pipe from a child's output to this process. Both ends close on exec; the
/// read end does not block.
class TPipe {
public:
  /// Raises EOSError "Unable to create inheritable pipe".
  TPipe();
  ~TPipe();
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;

  int ReadHandle() const noexcept { return fRead; }
  int WriteHandle() const noexcept { return fWrite; }
  /// Closes this process's copy of the write end (after the child got its own).
  void CloseWrite() noexcept;
  /// Takes what the pipe holds, at most 32768 bytes per read, without blocking. Answers whether
  /// anything was read.
  bool PartialRead();
  /// PartialRead when the last wait found the pipe readable (or nothing has waited yet).
  bool ReadIfReady() { return FReady ? PartialRead() : false; }
  /// Set by a run loop's wait from what it saw on the read end.
  void SetReady(bool ready) noexcept { FReady = ready; }
  /// True once every writer has closed its end and everything was read.
  bool AtEof() const noexcept { return FEof; }
  /// A last PartialRead, then replaces `strings` with every line read since the previous call,
  /// the unterminated last one included.
  void GetList(TStrings& strings);
  /// Lines read from now on go straight to `strings` (appended); GetList then only adds the
  /// rest. Saves holding the whole output twice. Null undoes it.
  void SetTarget(TStrings* strings) noexcept {
    FDecoder.SetTarget(strings);
    FTarget = strings;
  }
  /// Reads (only when the last wait saw data, unless `final`), then appends the complete lines
  /// read since the previous call (with `final`, the unterminated last one too). Answers how
  /// many were added.
  Integer AppendLines(TStrings& strings, bool final);

private:
  TOutputDecoder FDecoder;
  TStrings* FTarget = nullptr;
  int fRead = -1;
  int fWrite = -1;
  bool FEof = false;
  bool FReady = true;
};

/// What a child starts with: which of this process's descriptors become its standard output
/// and error (-1: its own are inherited; standard input is always /dev/null).
struct TStartupInfo {
  Cardinal cb = 0;
  Cardinal dwFlags = 0;
  Word wShowWindow = 0;
  int hStdInput = -1;
  int hStdOutput = -1;
  int hStdError = -1;
};

/// The started child: its process id and a descriptor that becomes readable when it ends
/// (-1 where the system offers none).
struct TProcessInformation {
  int hProcess = -1;
  pid_t dwProcessId = 0;
};

/// Called with the process, the list and the line counts before and after a change.
using TListChanged =
    std::function<void(TObject* sender, TStringList& list, Integer before, Integer after)>;

/// Runs a command line to completion and keeps its standard output and error as lines.
class TConsoleProcess : public TObject {
  FW_CLASS(TConsoleProcess)
public:
  /// The environment list starts as a copy of this process's environment.
  TConsoleProcess();
  ~TConsoleProcess() override;

  const String& ExeFileName() const noexcept { return FExeFileName; }
  /// Names the program in the start-failure message ("Failed to run %s. %s").
  virtual void SetExeFileName(std::string_view name);
  const String& CommandLine() const noexcept { return FCommandLine; }
  virtual void SetCommandLine(std::string_view commandLine);
  const String& WorkingDir() const noexcept { return FWorkingDir; }
  /// The child's current directory; empty for this process's.
  virtual void SetWorkingDir(std::string_view dir);
  Cardinal ExitCode() const noexcept { return FExitCode.load(); }
  virtual void SetExitCode(Cardinal code);
  virtual TStringList& GetOutput();
  /// Copies the lines in.
  virtual void SetOutput(const TStrings& lines);
  virtual TStringList& GetErrors();
  virtual void SetErrors(const TStrings& lines);
  /// "name=value" entries the child gets as its environment.
  virtual TStringList& GetEnvList();
  Integer TimeOut() const noexcept { return FTimeOut; }
  /// Milliseconds; a value of 0 or more switches the time-out on (a negative one does not switch
  /// it off). The child is killed with exit code 999 once the time, counted in whole 250 ms
  /// passes, has run out: with 0 (or anything up to 250) on the first pass.
  virtual void SetTimeOut(Integer ms);
  bool DoTimeOut() const noexcept { return FDoTimeOut; }
  /// The window show mode; kept for the start-up record, no window is shown on this system.
  Word Visibility() const noexcept { return FVisibility; }
  void SetVisibility(Word mode) noexcept { FVisibility = mode; }

  /// Starts the child, captures its output until it ends, then reads its exit code. A child
  /// that cannot be started goes through ReportFatalError.
  virtual void Run();

protected:
  /// Raises Exception with the message; descendants may report otherwise and return.
  virtual void ReportFatalError(const String& msg);
  /// Makes the output and error pipes and the start-up record.
  virtual void Startup(TStartupInfo& startupInfo, TProcessInformation& processInfo,
                       std::unique_ptr<TPipe>& inPipe, std::unique_ptr<TPipe>& outPipe,
                       std::unique_ptr<TPipe>& errorPipe);
  /// Starts the child; on failure reports and sets the exit code 0x0BADF00D, answering false.
  virtual bool Execute(TStartupInfo& startupInfo, TProcessInformation& processInfo);
  /// Reads the pipes until the child ends (killing it when the time-out runs out), then loads
  /// Output and Errors and reads the exit code.
  virtual void Running(TStartupInfo& startupInfo, TProcessInformation& processInfo,
                       std::unique_ptr<TPipe>& inPipe, std::unique_ptr<TPipe>& outPipe,
                       std::unique_ptr<TPipe>& errorPipe);
  /// Frees the pipes and closes the process descriptor.
  virtual void Cleanup(TStartupInfo& startupInfo, TProcessInformation& processInfo,
                       std::unique_ptr<TPipe>& inPipe, std::unique_ptr<TPipe>& outPipe,
                       std::unique_ptr<TPipe>& errorPipe);

  /// One pass's wait: until the child ends (true), a pipe has data or `ms` pass (false).
  static bool WaitPass(const TProcessInformation& processInfo, TPipe* outPipe, TPipe* errorPipe,
                       Integer ms);
  /// Kills the child (and its process group) and notes the exit code to report for it.
  void Kill(TProcessInformation& processInfo, Cardinal exitCode);
  /// Reaps the ended child and stores its exit code (or the one Kill noted); reports
  /// "Unable to get process exit code" when it cannot.
  void ReadExitCode(TProcessInformation& processInfo);
  /// Milliseconds from the start after which the time-out kills the child.
  Integer KillDelay() const noexcept;

  String FCommandLine;
  String FExeFileName;
  String FWorkingDir;
  TStringList FOutput;
  TStringList FErrors;
  TStringList FEnvList;
  std::atomic<Cardinal> FExitCode{0};
  Word FVisibility = 0;
  bool FDoTimeOut = false;
  Integer FTimeOut = -1;
  std::atomic<Int64> FKillCode{-1}; // exit code to report for a child we killed
  std::atomic<pid_t> FChildPid{0};  // the child until it is reaped
};

/// Runs a command line to completion while the GUI keeps processing its messages; reports the
/// output through the callbacks when the child has ended.
class TReportProcess : public TConsoleProcess {
  FW_CLASS(TReportProcess)
public:
  /// Asked after every pass that did not see the child end; true cancels the run and kills the
  /// child with exit code 100. False here.
  virtual bool CancelProcess() { return false; }
  const TListChanged& OnOutChanged() const noexcept { return FOnOutputChanged; }
  virtual void SetOnOutputChanged(TListChanged handler);
  const TListChanged& OnErrorChanged() const noexcept { return FOnErrorChanged; }
  virtual void SetOnErrorChanged(TListChanged handler);

protected:
  void Running(TStartupInfo& startupInfo, TProcessInformation& processInfo,
               std::unique_ptr<TPipe>& inPipe, std::unique_ptr<TPipe>& outPipe,
               std::unique_ptr<TPipe>& errorPipe) override;

  TListChanged FOnOutputChanged;
  TListChanged FOnErrorChanged;
};

class TMonitorThread;

/// Starts a child and returns at once; with Watch (the default) a monitor thread captures its
/// output, appends it to Output and Errors and announces the new lines on the GUI thread
/// (OnOutChanged(process, Output, previous count, new count)), then queues OnTerminate.
class TMonitorProcess : public TReportProcess {
  FW_CLASS(TMonitorProcess)
public:
  TMonitorProcess();
  /// Cancels a watched child that still runs.
  ~TMonitorProcess() override;

  /// Starts the child. With Watch: output and error pipes and the monitor thread; without it
  /// the child writes to this process's own standard output and error. Raises
  /// TMonitorProcessException "Monitor thread already running" while a child is watched.
  void Run() override;
  /// Kills the watched child (exit code 0), waits for the monitor thread and releases
  /// everything. Raises TMonitorProcessException "Process is not being managed" unless a
  /// watched child is running.
  bool CancelProcess() override;
  /// A monitor thread exists and has not seen the child end.
  bool IsRunning() const noexcept;

  std::function<void(TObject* sender)> OnTerminate;
  bool Watch() const noexcept { return FWatch; }
  void SetWatch(bool watch);
  /// The child's process id; it stays after the child has ended.
  pid_t ProcessID() const noexcept { return FProcessInfo.dwProcessId; }
  int Process() const noexcept { return FProcessInfo.hProcess; }

  // The settings below raise "Monitor thread already running" while IsRunning.
  void SetExeFileName(std::string_view name) override;
  void SetCommandLine(std::string_view commandLine) override;
  void SetWorkingDir(std::string_view dir) override;
  void SetOnOutputChanged(TListChanged handler) override;
  void SetOnErrorChanged(TListChanged handler) override;
  /// Assigned under the list's lock.
  void SetOutput(const TStrings& lines) override;
  void SetErrors(const TStrings& lines) override;
  /// Copies of the lists taken under their locks: safe while the monitor thread runs.
  void CopyOutput(TStrings& dest);
  void CopyErrors(TStrings& dest);

private:
  friend class TMonitorThread;
  void CheckIdle() const;
  /// Releases a monitor thread that has finished and the pipes and descriptor it used.
  void ReleaseFinished();
  void DoOutputChanged(Integer before, Integer after);
  void DoErrorChanged(Integer before, Integer after);
  void DoTerminate();

  std::unique_ptr<TMonitorThread> FMonitor;
  bool FWatch = true;
  TCriticalSection FOnOutputLock;
  TCriticalSection FOnErrorsLock;
  TProcessInformation FProcessInfo;
  TStartupInfo FStartupInfo;
  std::unique_ptr<TPipe> FInPipe, FOutPipe, FErrorPipe;
  Integer FLastOut = 0;
  Integer FLastErr = 0;
  std::atomic<bool> FTerminated{false};
};

/// Watches one TMonitorProcess's child; named "ProcessUtil Monitor Thread".
class TMonitorThread : public TThread {
public:
  explicit TMonitorThread(TMonitorProcess& process);
  ~TMonitorThread() override;

protected:
  void Execute() override;

private:
  /// Reads both pipes and announces new lines; with `final` also the unterminated last ones.
  void Poll(bool final);
  TMonitorProcess* FMonitorProcess;
};

/// Calls `callback(processId, processName)` once per running process.
void EnumProcesses(
    const std::function<void(Integer processId, const String& processName)>& callback);

} // namespace fw
