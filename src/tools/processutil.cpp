#include "tools/processutil.h"

#include "basert/classbuilder.h"
#include "basert/format.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace fw {

namespace {

using TClock = std::chrono::steady_clock;

String SysErrorMessage(int err) {
  char buf[256];
  return strerror_r(err, buf, sizeof buf);
}

Integer ElapsedMs(TClock::time_point since) {
  return static_cast<Integer>(
      std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() - since).count());
}

/// The time-out accounting of one run, shared by every wait loop.
class TTimeOutClock {
public:
  TTimeOutClock(bool enabled, Integer killAt)
      : FEnabled(enabled), FKillAt(killAt), FStart(TClock::now()), FLastKill(FStart) {}
  /// Calls `kill` once the time-out has passed, and again each pass period while the child
  /// lingers; answers how long the next wait may last.
  template <class F> Integer Pass(F&& kill) {
    Integer wait = PollPeriodMs;
    if (!FEnabled) return wait;
    const Integer elapsed = ElapsedMs(FStart);
    if (elapsed >= FKillAt && (!FKilled || ElapsedMs(FLastKill) >= PollPeriodMs)) {
      kill();
      FKilled = true;
      FLastKill = TClock::now();
    }
    if (!FKilled) wait = std::min(wait, FKillAt - elapsed);
    return wait;
  }

private:
  bool FEnabled;
  Integer FKillAt;
  TClock::time_point FStart;
  TClock::time_point FLastKill;
  bool FKilled = false;
};

int PidfdOpen(pid_t pid) {
#ifdef SYS_pidfd_open
  const long fd = ::syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) {
    ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return static_cast<int>(fd);
  }
#endif
  (void)pid;
  return -1;
}

/// Waits for child `pid` to end, through interrupting signals; true when it was collected.
bool WaitForChild(pid_t pid, int& status) noexcept {
  pid_t r;
  do {
    r = ::waitpid(pid, &status, 0);
  } while (r < 0 && errno == EINTR);
  return r > 0 && r == pid;
}

/// The last step of every run: the pipes go and the process handle is closed.
void CloseRun(TProcessInformation& pi, std::unique_ptr<TPipe>& in, std::unique_ptr<TPipe>& out,
              std::unique_ptr<TPipe>& err) noexcept {
  in.reset();
  out.reset();
  err.reset();
  if (pi.hProcess >= 0) ::close(pi.hProcess);
  pi.hProcess = -1;
}

// Holds a list's change notifications back for its lifetime.
class TUpdateGuard {
public:
  explicit TUpdateGuard(TStrings& s) : FStrings(s) { FStrings.BeginUpdate(); }
  ~TUpdateGuard() { FStrings.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
  TStrings& FStrings;
};

} // namespace

// --- TPipe ---

TPipe::TPipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw EOSError(sCreatePipeError);
  fRead = fds[0];
  fWrite = fds[1];
  ::fcntl(fRead, F_SETFL, ::fcntl(fRead, F_GETFL) | O_NONBLOCK);
  // A roomier pipe lets a fast child write on while this side is busy with what it read, and
  // halves the switches between the two; refused above the system's limit, which is harmless.
  ::fcntl(fRead, F_SETPIPE_SZ, 1 << 20);
}

TPipe::~TPipe() {
  CloseWrite();
  if (fRead >= 0) ::close(fRead);
}

void TPipe::CloseWrite() noexcept {
  if (fWrite >= 0) ::close(fWrite);
  fWrite = -1;
}

bool TPipe::PartialRead() {
  if (FEof || fRead < 0) return false;
  bool any = false;
  // Bounded, so that a child writing without pause cannot keep the caller here for ever.
  for (int reads = 0; reads < 64; ++reads) {
    // Straight into the decoder's block: lines are kept where they were read.
    const std::span<char> room = FDecoder.Space(PipeBufferSize);
    const ssize_t got = ::read(fRead, room.data(), room.size());
    if (got > 0) {
      FDecoder.Commit(static_cast<std::size_t>(got));
      any = true;
      // A short read emptied the pipe: asking again would only be told to wait.
      if (static_cast<std::size_t>(got) < room.size()) break;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got == 0 || errno != EAGAIN) FEof = true;
    break;
  }
  return any;
}

void TPipe::GetList(TStrings& strings) {
  strings.BeginUpdate();
  try {
    if (FTarget != &strings) {
      strings.Clear();
      for (const String& line : FDecoder.TakeLines())
        strings.Add(line);
    }
    FDecoder.SetTarget(&strings);
    PartialRead();
    FDecoder.Finish();
    FDecoder.SetTarget(FTarget);
  } catch (...) {
    FDecoder.SetTarget(FTarget);
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

Integer TPipe::AppendLines(TStrings& strings, bool final) {
  const Int64 before = FDecoder.LineCount();
  FDecoder.SetTarget(&strings);
  try {
    if (final)
      PartialRead();
    else
      ReadIfReady();
    if (final) FDecoder.Finish();
  } catch (...) {
    FDecoder.SetTarget(FTarget);
    throw;
  }
  FDecoder.SetTarget(FTarget);
  return static_cast<Integer>(FDecoder.LineCount() - before);
}

// --- TConsoleProcess ---

TClass TConsoleProcess::StaticClass() {
  static const TClass cls =
      TClassBuilder<TConsoleProcess, TObject>("TConsoleProcess", "ProcessUtil").Build();
  return cls;
}

TConsoleProcess::TConsoleProcess() {
  for (char** e = environ; e && *e; ++e)
    FEnvList.Add(*e);
}

TConsoleProcess::~TConsoleProcess() = default;

void TConsoleProcess::SetExeFileName(std::string_view name) { FExeFileName = String(name); }
void TConsoleProcess::SetCommandLine(std::string_view commandLine) {
  FCommandLine = String(commandLine);
}
void TConsoleProcess::SetWorkingDir(std::string_view dir) { FWorkingDir = String(dir); }
void TConsoleProcess::SetExitCode(Cardinal code) { FExitCode = code; }
TStringList& TConsoleProcess::GetOutput() { return FOutput; }
void TConsoleProcess::SetOutput(const TStrings& lines) { FOutput.Assign(lines); }
TStringList& TConsoleProcess::GetErrors() { return FErrors; }
void TConsoleProcess::SetErrors(const TStrings& lines) { FErrors.Assign(lines); }
TStringList& TConsoleProcess::GetEnvList() { return FEnvList; }

void TConsoleProcess::SetTimeOut(Integer ms) {
  FTimeOut = ms;
  if (ms >= 0) FDoTimeOut = true;
}

Integer TConsoleProcess::KillDelay() const noexcept {
  // The count starts at TimeOut and loses 250 per pass; the kill comes at the first pass that
  // finds less than 1 left.
  return FTimeOut <= 0 ? 0 : PollPeriodMs * ((FTimeOut - 1) / PollPeriodMs);
}

void TConsoleProcess::ReportFatalError(const String& msg) { throw Exception(msg); }

void TConsoleProcess::Run() {
  TStartupInfo si;
  TProcessInformation pi;
  std::unique_ptr<TPipe> in, out, err;
  FKillCode = -1;
  try {
    Startup(si, pi, in, out, err);
    if (Execute(si, pi)) Running(si, pi, in, out, err);
  } catch (...) {
    Cleanup(si, pi, in, out, err);
    throw;
  }
  Cleanup(si, pi, in, out, err);
}

void TConsoleProcess::Startup(TStartupInfo& si, TProcessInformation&, std::unique_ptr<TPipe>&,
                              std::unique_ptr<TPipe>& outPipe, std::unique_ptr<TPipe>& errorPipe) {
  outPipe = std::make_unique<TPipe>();
  errorPipe = std::make_unique<TPipe>();
  si = TStartupInfo();
  si.cb = sizeof(TStartupInfo);
  si.wShowWindow = FVisibility;
  si.hStdOutput = outPipe->WriteHandle();
  si.hStdError = errorPipe->WriteHandle();
  si.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
}

bool TConsoleProcess::Execute(TStartupInfo& si, TProcessInformation& pi) {
  const std::vector<String> args = SplitCommandLine(FCommandLine);
  std::vector<char*> argv;
  for (const String& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<String> env;
  for (Integer i = 0; i < FEnvList.Count(); ++i)
    env.push_back(FEnvList.Get(i));
  std::vector<char*> envp;
  for (const String& e : env)
    envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t fa;
  posix_spawnattr_t attr;
  ::posix_spawn_file_actions_init(&fa);
  ::posix_spawnattr_init(&attr);
  ::posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  if ((si.dwFlags & STARTF_USESTDHANDLES) && si.hStdOutput >= 0)
    ::posix_spawn_file_actions_adddup2(&fa, si.hStdOutput, 1);
  if ((si.dwFlags & STARTF_USESTDHANDLES) && si.hStdError >= 0)
    ::posix_spawn_file_actions_adddup2(&fa, si.hStdError, 2);
  if (!FWorkingDir.empty()) ::posix_spawn_file_actions_addchdir_np(&fa, FWorkingDir.c_str());
  // Its own process group, so that a time-out takes its children along; default signal
  // handling and nothing blocked, whatever this process does.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                        POSIX_SPAWN_SETSIGDEF);
  ::posix_spawnattr_setpgroup(&attr, 0);
  ::posix_spawnattr_setsigmask(&attr, &none);
  ::posix_spawnattr_setsigdefault(&attr, &all);

  pid_t pid = 0;
  const int rc =
      args.empty() ? ENOENT : ::posix_spawnp(&pid, argv[0], &fa, &attr, argv.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&fa);
  ::posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    const String sysText = SysErrorMessage(rc);
    ReportFatalError(FExeFileName.empty() ? Format(sFailedToCreateProcess, FCommandLine, sysText)
                                          : Format(sFailedToRun, FExeFileName, sysText));
    SetExitCode(ProcessStartFailedExitCode);
    return false;
  }
  pi.dwProcessId = pid;
  pi.hProcess = PidfdOpen(pid);
  FChildPid = pid;
  return true;
}

bool TConsoleProcess::WaitPass(const TProcessInformation& pi, TPipe* outPipe, TPipe* errorPipe,
                               Integer ms) {
  pollfd fds[3];
  TPipe* polled[3] = {};
  nfds_t n = 0;
  if (pi.hProcess >= 0) fds[n++] = {pi.hProcess, POLLIN, 0};
  for (TPipe* p : {outPipe, errorPipe})
    if (p && !p->AtEof()) {
      polled[n] = p;
      fds[n++] = {p->ReadHandle(), POLLIN, 0};
    }
  // Without a process descriptor the end is checked every few milliseconds.
  const int wait = pi.hProcess >= 0 ? std::max(ms, 0) : std::min(std::max(ms, 0), 10);
  int rc;
  do {
    rc = ::poll(fds, n, wait);
  } while (rc < 0 && errno == EINTR);
  // The next pass reads only the pipes that have something (all of them if the wait failed).
  for (nfds_t k = 0; k < n; ++k)
    if (polled[k])
      polled[k]->SetReady(rc < 0 || (fds[k].revents & (POLLIN | POLLHUP | POLLERR)) != 0);
  if (pi.hProcess >= 0) return rc > 0 && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pi.dwProcessId), &info, WEXITED | WNOHANG | WNOWAIT) ==
             0 &&
         info.si_pid != 0;
}

void TConsoleProcess::Kill(TProcessInformation& pi, Cardinal exitCode) {
  // The monitor thread reaps the child while the GUI thread may cancel it.
  const pid_t pid = FChildPid.load();
  if (pid == 0) return;
  Int64 none = -1;
  FKillCode.compare_exchange_strong(none, exitCode);
#ifdef SYS_pidfd_send_signal
  if (pi.hProcess >= 0) ::syscall(SYS_pidfd_send_signal, pi.hProcess, SIGKILL, nullptr, 0);
#endif
  ::kill(-pid, SIGKILL);
}

void TConsoleProcess::ReadExitCode(TProcessInformation&) {
  int status = 0;
  if (!WaitForChild(FChildPid.load(), status)) {
    ReportFatalError(String(sExitCodeError));
    return;
  }
  FChildPid = 0;
  const Int64 killed = FKillCode.load();
  if (killed >= 0)
    SetExitCode(static_cast<Cardinal>(killed));
  else if (WIFEXITED(status))
    SetExitCode(static_cast<Cardinal>(WEXITSTATUS(status)));
  else
    SetExitCode(128 + static_cast<Cardinal>(WTERMSIG(status)));
}

void TConsoleProcess::Running(TStartupInfo&, TProcessInformation& pi, std::unique_ptr<TPipe>&,
                              std::unique_ptr<TPipe>& outPipe, std::unique_ptr<TPipe>& errorPipe) {
  if (outPipe) outPipe->CloseWrite();
  if (errorPipe) errorPipe->CloseWrite();
  // Lines go into the lists as they arrive; GetList at the end adds the last ones.
  TUpdateGuard outScope(FOutput), errScope(FErrors);
  FOutput.Clear();
  FErrors.Clear();
  if (outPipe) outPipe->SetTarget(&FOutput);
  if (errorPipe) errorPipe->SetTarget(&FErrors);
  TTimeOutClock clock(FDoTimeOut, KillDelay());
  for (;;) {
    if (outPipe) outPipe->ReadIfReady();
    if (errorPipe) errorPipe->ReadIfReady();
    const Integer wait = clock.Pass([&] { Kill(pi, TimeOutExitCode); });
    if (WaitPass(pi, outPipe.get(), errorPipe.get(), wait)) break;
  }
  if (outPipe) outPipe->GetList(FOutput);
  if (errorPipe) errorPipe->GetList(FErrors);
  ReadExitCode(pi);
}

void TConsoleProcess::Cleanup(TStartupInfo&, TProcessInformation& pi, std::unique_ptr<TPipe>& in,
                              std::unique_ptr<TPipe>& out, std::unique_ptr<TPipe>& err) {
  if (const pid_t pid = FChildPid.load()) {
    // Left running by an error: it must not outlive the run, nor stay a zombie.
    Kill(pi, TimeOutExitCode);
    int status;
    WaitForChild(pid, status);
    FChildPid = 0;
  }
  CloseRun(pi, in, out, err);
}

// --- TReportProcess ---

TClass TReportProcess::StaticClass() {
  static const TClass cls =
      TClassBuilder<TReportProcess, TConsoleProcess>("TReportProcess", "ProcessUtil").Build();
  return cls;
}

void TReportProcess::SetOnOutputChanged(TListChanged handler) {
  FOnOutputChanged = std::move(handler);
}
void TReportProcess::SetOnErrorChanged(TListChanged handler) {
  FOnErrorChanged = std::move(handler);
}

void TReportProcess::Running(TStartupInfo&, TProcessInformation& pi, std::unique_ptr<TPipe>&,
                             std::unique_ptr<TPipe>& outPipe, std::unique_ptr<TPipe>& errorPipe) {
  if (outPipe) outPipe->CloseWrite();
  if (errorPipe) errorPipe->CloseWrite();
  {
    TUpdateGuard outScope(FOutput), errScope(FErrors);
    FOutput.Clear();
    FErrors.Clear();
  }
  if (outPipe) outPipe->SetTarget(&FOutput);
  if (errorPipe) errorPipe->SetTarget(&FErrors);
  auto pump = [] {
    if (IsMainThread()) Application->ProcessMessages();
  };
  TTimeOutClock clock(FDoTimeOut, KillDelay());
  for (;;) {
    pump();
    if (outPipe) outPipe->ReadIfReady();
    if (errorPipe) errorPipe->ReadIfReady();
    const Integer wait = clock.Pass([&] { Kill(pi, TimeOutExitCode); });
    if (WaitPass(pi, outPipe.get(), errorPipe.get(), wait)) break;
    if (CancelProcess()) {
      Kill(pi, CancelledExitCode);
      break;
    }
  }
  pump();
  if (outPipe) outPipe->GetList(FOutput);
  if (FOutput.Count() != 0 && FOnOutputChanged) FOnOutputChanged(this, FOutput, 0, FOutput.Count());
  if (errorPipe) errorPipe->GetList(FErrors);
  if (FErrors.Count() != 0 && FOnErrorChanged) FOnErrorChanged(this, FErrors, 0, FErrors.Count());
  ReadExitCode(pi);
}

// --- TMonitorProcess ---

TClass TMonitorProcess::StaticClass() {
  static const TClass cls =
      TClassBuilder<TMonitorProcess, TReportProcess>("TMonitorProcess", "ProcessUtil").Build();
  return cls;
}

TMonitorProcess::TMonitorProcess() = default;

TMonitorProcess::~TMonitorProcess() {
  // Nothing is announced about an object on its way out.
  OnTerminate = nullptr;
  FOnOutputChanged = nullptr;
  FOnErrorChanged = nullptr;
  try {
    if (IsRunning()) CancelProcess();
    ReleaseFinished();
  } catch (...) {
  }
}

bool TMonitorProcess::IsRunning() const noexcept { return FMonitor && !FTerminated.load(); }

void TMonitorProcess::CheckIdle() const {
  if (IsRunning()) throw TMonitorProcessException(sMonitorThreadRunning);
}

void TMonitorProcess::ReleaseFinished() {
  if (FMonitor) {
    FMonitor->WaitFor();
    FMonitor.reset();
  }
  if (const pid_t pid = FChildPid.load()) {
    // An unwatched child runs on; someone still has to collect its exit status.
    int status;
    if (::waitpid(pid, &status, WNOHANG) == 0)
      std::thread([pid] {
        int s;
        WaitForChild(pid, s);
      }).detach();
    FChildPid = 0;
  }
  CloseRun(FProcessInfo, FInPipe, FOutPipe, FErrorPipe);
}

void TMonitorProcess::Run() {
  CheckIdle();
  ReleaseFinished();
  FKillCode = -1;
  FTerminated = false;
  FLastOut = 0;
  FLastErr = 0;
  {
    TCriticalSectionGuard o(FOnOutputLock), e(FOnErrorsLock);
    FOutput.Clear();
    FErrors.Clear();
  }
  if (FWatch) {
    Startup(FStartupInfo, FProcessInfo, FInPipe, FOutPipe, FErrorPipe);
  } else {
    FStartupInfo = TStartupInfo();
    FStartupInfo.cb = sizeof(TStartupInfo);
    FStartupInfo.wShowWindow = FVisibility;
    FStartupInfo.dwFlags = STARTF_USESHOWWINDOW;
  }
  try {
    if (!Execute(FStartupInfo, FProcessInfo)) {
      ReleaseFinished();
      return;
    }
  } catch (...) {
    ReleaseFinished();
    throw;
  }
  if (!FWatch) return;
  FOutPipe->CloseWrite();
  FErrorPipe->CloseWrite();
  FMonitor = std::make_unique<TMonitorThread>(*this);
  FMonitor->Start();
}

bool TMonitorProcess::CancelProcess() {
  if (!FWatch || !IsRunning()) throw TMonitorProcessException(sProcessNotManaged);
  FMonitor->Terminate();
  Kill(FProcessInfo, 0);
  FMonitor->WaitFor();
  FMonitor.reset();
  // A thread stopped before it began has not collected the child.
  std::exception_ptr failed;
  if (FChildPid.load() != 0) {
    try {
      ReadExitCode(FProcessInfo);
    } catch (...) {
      failed = std::current_exception();
    }
  }
  ReleaseFinished();
  if (failed) std::rethrow_exception(failed);
  return true;
}

void TMonitorProcess::SetWatch(bool watch) {
  CheckIdle();
  FWatch = watch;
}
void TMonitorProcess::SetExeFileName(std::string_view name) {
  CheckIdle();
  TReportProcess::SetExeFileName(name);
}
void TMonitorProcess::SetCommandLine(std::string_view commandLine) {
  CheckIdle();
  TReportProcess::SetCommandLine(commandLine);
}
void TMonitorProcess::SetWorkingDir(std::string_view dir) {
  CheckIdle();
  TReportProcess::SetWorkingDir(dir);
}
void TMonitorProcess::SetOnOutputChanged(TListChanged handler) {
  CheckIdle();
  TReportProcess::SetOnOutputChanged(std::move(handler));
}
void TMonitorProcess::SetOnErrorChanged(TListChanged handler) {
  CheckIdle();
  TReportProcess::SetOnErrorChanged(std::move(handler));
}
void TMonitorProcess::SetOutput(const TStrings& lines) {
  TCriticalSectionGuard g(FOnOutputLock);
  TReportProcess::SetOutput(lines);
}
void TMonitorProcess::SetErrors(const TStrings& lines) {
  TCriticalSectionGuard g(FOnErrorsLock);
  TReportProcess::SetErrors(lines);
}
void TMonitorProcess::CopyOutput(TStrings& dest) {
  TCriticalSectionGuard g(FOnOutputLock);
  dest.Assign(FOutput);
}
void TMonitorProcess::CopyErrors(TStrings& dest) {
  TCriticalSectionGuard g(FOnErrorsLock);
  dest.Assign(FErrors);
}

void TMonitorProcess::DoOutputChanged(Integer before, Integer after) {
  if (FOnOutputChanged) FOnOutputChanged(this, FOutput, before, after);
}
void TMonitorProcess::DoErrorChanged(Integer before, Integer after) {
  if (FOnErrorChanged) FOnErrorChanged(this, FErrors, before, after);
}
void TMonitorProcess::DoTerminate() {
  FTerminated = true;
  if (OnTerminate) OnTerminate(this);
}

// --- TMonitorThread ---

TMonitorThread::TMonitorThread(TMonitorProcess& process) : FMonitorProcess(&process) {
  SetName(sMonitorThreadName);
}

TMonitorThread::~TMonitorThread() {
  Terminate();
  WaitFor();
}

void TMonitorThread::Poll(bool final) {
  TMonitorProcess& p = *FMonitorProcess;
  auto drain = [&](TPipe* pipe, TCriticalSection& lock, TStringList& lines, Integer& last,
                   void (TMonitorProcess::*changed)(Integer, Integer)) {
    if (!pipe) return;
    Integer after;
    {
      TCriticalSectionGuard g(lock);
      pipe->AppendLines(lines, final);
      after = lines.Count();
    }
    if (after != last) {
      const Integer before = last;
      Synchronize([&p, changed, before, after] { (p.*changed)(before, after); });
      last = after;
    }
  };
  drain(p.FOutPipe.get(), p.FOnOutputLock, p.FOutput, p.FLastOut,
        &TMonitorProcess::DoOutputChanged);
  drain(p.FErrorPipe.get(), p.FOnErrorsLock, p.FErrors, p.FLastErr,
        &TMonitorProcess::DoErrorChanged);
}

void TMonitorThread::Execute() {
  TMonitorProcess& p = *FMonitorProcess;
  p.FLastOut = 0;
  p.FLastErr = 0;
  TTimeOutClock clock(p.FDoTimeOut, p.KillDelay());
  while (!Terminated()) {
    Poll(false);
    const Integer wait = clock.Pass([&] { p.Kill(p.FProcessInfo, TimeOutExitCode); });
    if (TMonitorProcess::WaitPass(p.FProcessInfo, p.FOutPipe.get(), p.FErrorPipe.get(), wait))
      break;
  }
  Poll(true);
  try {
    p.ReadExitCode(p.FProcessInfo);
  } catch (const Exception&) {
    // Reported as the thread's fatal exception would be lost; the exit code stays as it was.
  }
  if (p.FWatch && !Terminated()) {
    p.FTerminated = true;
    Queue([&p] { p.DoTerminate(); });
  }
}

// --- EnumProcesses ---

void EnumProcesses(
    const std::function<void(Integer processId, const String& processName)>& callback) {
  DIR* dir = ::opendir("/proc");
  if (!dir) return;
  std::vector<std::pair<Integer, String>> found;
  while (const dirent* e = ::readdir(dir)) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (!end || *end != '\0' || pid <= 0) continue;
    const String base = String("/proc/") + e->d_name;
    String name;
    char target[4096];
    const ssize_t n = ::readlink((base + "/exe").c_str(), target, sizeof target - 1);
    if (n > 0) {
      target[n] = '\0';
      name = target;
      if (name.ends_with(" (deleted)")) name.resize(name.size() - 10);
      name = name.substr(name.find_last_of('/') + 1);
    } else {
      std::ifstream comm(base + "/comm");
      std::getline(comm, name);
    }
    if (!name.empty()) found.emplace_back(static_cast<Integer>(pid), std::move(name));
  }
  ::closedir(dir);
  for (const auto& [pid, name] : found)
    callback(pid, name);
}

} // namespace fw
