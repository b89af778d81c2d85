// Threads under the one-GUI-thread model: the main thread, the application queue, TThread with
// Synchronize and Queue, critical sections and events.
#pragma once

#include "basert/types.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace fw {

// Resource strings.
inline constexpr std::string_view sThreadStartError =
    "Cannot call Start on a running or suspended thread";
inline constexpr std::string_view sThreadWaitForFreeOnTerminate =
    "Cannot call WaitFor on a thread that frees itself on termination";
inline constexpr std::string_view sThreadWaitForSelf = "A thread cannot wait for itself";
/// Raised (EThread) when a queue-draining call is made off the main thread; %s names the call.
inline constexpr std::string_view sNotMainThreadError =
    "%s called from a thread that is not the main thread";

using TThreadID = std::thread::id;
/// Time-outs in milliseconds; INFINITE waits for ever.
inline constexpr Cardinal INFINITE = 0xFFFFFFFFu;

/// The GUI thread: the thread that loaded the runtime, unless SetMainThread chose another.
TThreadID MainThreadID();
/// Makes the calling thread the main thread (for hosts and tests that pump from elsewhere).
void SetMainThread();
bool IsMainThread();

/// The application object's message side: a thread-safe queue of procedures that only the main
/// thread runs. Any thread may post; ProcessMessages, HandleMessage and CheckSynchronize run them.
class TApplication {
public:
  TApplication() = default;
  TApplication(const TApplication&) = delete;
  TApplication& operator=(const TApplication&) = delete;
  virtual ~TApplication() = default;

  /// Appends `proc` to the queue (any thread). `owner` tags it for RemovePosted.
  void Post(std::function<void()> proc, const void* owner = nullptr);
  /// Drops every posted procedure tagged with `owner` that has not run yet. Procedures posted by
  /// TThread::Synchronize are never dropped: their thread is waiting for them.
  void RemovePosted(const void* owner);
  /// Runs every procedure queued when the call began (later posts wait for the next call), in
  /// order. Answers whether anything ran. An exception escaping a procedure goes to OnException
  /// when that is set, otherwise it propagates and the procedures not yet run stay queued.
  /// Main thread only, as every call that runs queued procedures: elsewhere they raise EThread
  /// (sNotMainThreadError).
  bool ProcessMessages();
  /// Waits up to `timeoutMs` for a procedure to be queued, then runs the first one. Answers
  /// whether one ran; false at once when the application is terminated.
  bool HandleMessage(Cardinal timeoutMs = INFINITE);
  /// Waits up to `timeoutMs` until something is queued (true) or the time-out passes or the
  /// application is terminated (false). Does not run anything.
  bool WaitForMessage(Cardinal timeoutMs);
  /// Runs HandleMessage until Terminate is called.
  void Run();
  /// Ends Run and wakes every waiter; posting stays possible.
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  std::size_t PendingCount() const;

  /// Receives exceptions that escape queued procedures; unset, they propagate to the caller of
  /// ProcessMessages.
  std::function<void(std::exception_ptr)> OnException;

  /// Wakes the threads waiting in WaitForMessage so they re-check their condition.
  void Wake();

private:
  friend class TThread;
  struct TQueuedProc {
    std::function<void()> Proc;
    const void* Owner = nullptr;
    bool Synchronous = false;
  };
  void PostItem(TQueuedProc item);
  /// Waits until something is queued, `done()` holds, the application is terminated or the time
  /// passes; answers whether something is queued.
  bool WaitUntil(Cardinal timeoutMs, const std::function<bool()>& done);
  void RunItems(std::deque<TQueuedProc>& items);

  mutable std::mutex FLock;
  std::condition_variable FWake;
  std::deque<TQueuedProc> FQueue;
  std::atomic<bool> FTerminated{false};
};

/// The process's application object. A GUI layer may replace it with a descendant at start-up.
extern TApplication* Application;

/// A thread of its own running Execute. Created suspended: call Start (or create through
/// TThread::Create). Destroying a running thread terminates it and waits for it; but by then a
/// descendant's own members are gone, so a descendant whose Execute uses them calls Terminate
/// and WaitFor in its own destructor.
class TThread {
public:
  TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;
  /// Sets Terminated and waits for Execute to return (pumping the queue on the main thread).
  /// Removes the thread's queued procedures.
  virtual ~TThread();

  /// Builds a T (a TThread descendant) from `args` and starts it unless `createSuspended`.
  template <class T, class... Args> static T* Create(bool createSuspended, Args&&... args) {
    T* t = new T(std::forward<Args>(args)...);
    if (!createSuspended) t->Start();
    return t;
  }

  /// Starts Execute on a new thread. Raises EThread "Cannot call Start on a running or suspended
  /// thread" when it was started before.
  void Start();
  /// Asks the thread to stop: sets Terminated; Execute is expected to poll it.
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  /// Waits until Execute has returned (and OnTerminate ran) and answers ReturnValue. On the main
  /// thread the application queue is drained meanwhile, so a thread blocked in Synchronize
  /// cannot deadlock it. Returns at once for a thread never started. Raises EThread when the
  /// thread frees itself on termination or when a thread waits for itself.
  Integer WaitFor();

  /// Runs `proc` on the main thread and waits for it to finish; on the main thread it runs at
  /// once. An exception raised by `proc` is raised again in the calling thread. `caller` may be
  /// null.
  static void Synchronize(TThread* caller, std::function<void()> proc);
  /// Posts `proc` to the main thread and returns; on the main thread it runs at once.
  static void Queue(TThread* caller, std::function<void()> proc);
  /// Drops procedures queued by `thread` that have not run (not those of Synchronize).
  static void RemoveQueuedEvents(TThread* thread);
  /// Main thread only (else raises EThread): waits up to `timeoutMs` for queued procedures and
  /// runs every queued one. Answers whether anything ran.
  static bool CheckSynchronize(Cardinal timeoutMs = 0);
  /// The TThread whose Execute runs on the calling thread, or null.
  static TThread* CurrentThread();

  bool Finished() const { return FFinished.load(); }
  bool Started() const { return FStarted.load(); }
  /// The thread's result, answered by WaitFor; Execute sets it.
  Integer ReturnValue() const { return FReturnValue.load(); }
  void SetReturnValue(Integer v) { FReturnValue.store(v); }
  /// The exception that escaped Execute, if any; the thread itself ends normally.
  std::exception_ptr FatalException() const;
  /// The identity of the running thread; default-constructed before Start.
  TThreadID ThreadID() const;

  /// Delete the object when Execute returns (on the worker thread, after OnTerminate). Such a
  /// thread must not be waited for, nor touched after it started.
  bool FreeOnTerminate() const { return FFreeOnTerminate.load(); }
  void SetFreeOnTerminate(bool v) { FFreeOnTerminate.store(v); }

  /// The full name; the operating system gets its first 15 bytes (cut at a character boundary).
  String Name() const;
  void SetName(std::string_view name);

  /// Called on the main thread after Execute returned; the thread waits until it has run.
  std::function<void(TThread&)> OnTerminate;

protected:
  /// The thread's work. Poll Terminated to stop early.
  virtual void Execute() = 0;
  /// Called by Terminate after Terminated is set, on the terminating thread (e.g. to wake a
  /// wait in Execute).
  virtual void TerminatedSet() {}
  /// Calls OnTerminate through Synchronize when it is set.
  virtual void DoTerminate();
  void Synchronize(std::function<void()> proc) { Synchronize(this, std::move(proc)); }
  void Queue(std::function<void()> proc) { Queue(this, std::move(proc)); }

private:
  static void ThreadProc(TThread* self);
  void ApplyOsName();
  void Join();

  mutable std::mutex FLock; // FThread, FThreadID, FName, FFatalException
  std::condition_variable FFinishedSignal;
  std::thread FThread;
  TThreadID FThreadID;
  String FName;
  std::exception_ptr FFatalException;
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FTerminated{false};
  std::atomic<bool> FFinished{false};
  std::atomic<bool> FFreeOnTerminate{false};
  std::atomic<Integer> FReturnValue{0};
};

/// A re-entrant lock: the owning thread may Enter again, and must Leave as often.
class TCriticalSection {
public:
  void Enter() { FMutex.lock(); }
  void Leave() { FMutex.unlock(); }
  bool TryEnter() { return FMutex.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  // Lockable, for std::scoped_lock and the like.
  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

private:
  std::recursive_mutex FMutex;
};

/// Holds a critical section for the lifetime of the guard.
class TCriticalSectionGuard {
public:
  explicit TCriticalSectionGuard(TCriticalSection& cs) : FSection(cs) { FSection.Enter(); }
  ~TCriticalSectionGuard() { FSection.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

private:
  TCriticalSection& FSection;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

/// A signal threads wait for. Manual reset (the default): stays signalled until ResetEvent, and
/// releases every waiter. Auto reset: releases one waiter and resets itself.
class TSimpleEvent {
public:
  explicit TSimpleEvent(bool manualReset = true, bool initialState = false)
      : FManualReset(manualReset), FSignaled(initialState) {}
  void SetEvent();
  void ResetEvent();
  /// wrSignaled when signalled within `timeoutMs`, otherwise wrTimeout.
  TWaitResult WaitFor(Cardinal timeoutMs = INFINITE);

private:
  std::mutex FLock;
  std::condition_variable FSignal;
  const bool FManualReset;
  bool FSignaled;
};

} // namespace fw
