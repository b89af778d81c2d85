#include "basert/threads.h"

#include "basert/exceptions.h"
#include "basert/format.h"

#include <chrono>
#include <pthread.h>

namespace fw {

namespace {

// Whoever loads the runtime is taken to be the GUI thread until told otherwise.
std::atomic<TThreadID> gMainThread{std::this_thread::get_id()};

thread_local TThread* gCurrentThread = nullptr;

TApplication& DefaultApplication() {
  static TApplication app;
  return app;
}

TApplication& App() { return Application ? *Application : DefaultApplication(); }

void RequireMainThread(std::string_view operation) {
  if (IsMainThread()) return;
  throw EThread(Format(sNotMainThreadError, operation));
}

constexpr std::size_t OsNameLimit = 15;

// The first bytes of `name` that fit the operating system's limit, not splitting a character.
String OsThreadName(std::string_view name) {
  if (name.size() <= OsNameLimit) return String(name);
  std::size_t len = OsNameLimit;
  while (len > 0 && (static_cast<unsigned char>(name[len]) & 0xC0) == 0x80)
    --len;
  return String(name.substr(0, len));
}

} // namespace

TApplication* Application = &DefaultApplication();

TThreadID MainThreadID() { return gMainThread.load(); }
void SetMainThread() { gMainThread.store(std::this_thread::get_id()); }
bool IsMainThread() { return std::this_thread::get_id() == gMainThread.load(); }

// ---------------------------------------------------------------------------------------------
// TApplication

void TApplication::PostItem(TQueuedProc item) {
  {
    std::lock_guard<std::mutex> g(FLock);
    FQueue.push_back(std::move(item));
  }
  FWake.notify_all();
}

void TApplication::Post(std::function<void()> proc, const void* owner) {
  PostItem(TQueuedProc{std::move(proc), owner, false});
}

void TApplication::RemovePosted(const void* owner) {
  std::lock_guard<std::mutex> g(FLock);
  std::erase_if(FQueue, [&](const TQueuedProc& q) { return q.Owner == owner && !q.Synchronous; });
}

std::size_t TApplication::PendingCount() const {
  std::lock_guard<std::mutex> g(FLock);
  return FQueue.size();
}

void TApplication::Wake() {
  { std::lock_guard<std::mutex> g(FLock); }
  FWake.notify_all();
}

bool TApplication::WaitUntil(Cardinal timeoutMs, const std::function<bool()>& done) {
  std::unique_lock<std::mutex> l(FLock);
  auto ready = [&] { return !FQueue.empty() || (done && done()); };
  if (timeoutMs == INFINITE)
    FWake.wait(l, ready);
  else
    FWake.wait_for(l, std::chrono::milliseconds(timeoutMs), ready);
  return !FQueue.empty();
}

bool TApplication::WaitForMessage(Cardinal timeoutMs) {
  return WaitUntil(timeoutMs, [this] { return FTerminated.load(); });
}

bool TApplication::ProcessMessages() {
  RequireMainThread("ProcessMessages");
  // Only what is queued now: a procedure that posts itself again runs on the next call.
  // Items are taken one at a time so that RemovePosted still reaches those not yet run.
  std::size_t budget = PendingCount();
  bool ran = false;
  while (budget-- > 0) {
    TQueuedProc item;
    {
      std::lock_guard<std::mutex> g(FLock);
      if (FQueue.empty()) break;
      item = std::move(FQueue.front());
      FQueue.pop_front();
    }
    ran = true;
    try {
      item.Proc();
    } catch (...) {
      if (!OnException) throw;
      OnException(std::current_exception());
    }
  }
  return ran;
}

bool TApplication::HandleMessage(Cardinal timeoutMs) {
  RequireMainThread("HandleMessage");
  if (FTerminated.load() || !WaitForMessage(timeoutMs)) return false;
  TQueuedProc item;
  {
    std::lock_guard<std::mutex> g(FLock);
    if (FQueue.empty()) return false;
    item = std::move(FQueue.front());
    FQueue.pop_front();
  }
  try {
    item.Proc();
  } catch (...) {
    if (!OnException) throw;
    OnException(std::current_exception());
  }
  return true;
}

void TApplication::Run() {
  while (!FTerminated.load())
    HandleMessage();
}

void TApplication::Terminate() {
  FTerminated.store(true);
  Wake();
}

// ---------------------------------------------------------------------------------------------
// TThread

TThread::TThread() = default;

TThread::~TThread() {
  if (FStarted.load() && !FFinished.load() && !FFreeOnTerminate.load()) {
    Terminate();
    WaitFor();
  }
  Join();
  RemoveQueuedEvents(this);
}

void TThread::Start() {
  std::lock_guard<std::mutex> g(FLock);
  if (FStarted.load()) throw EThread(sThreadStartError);
  FThread = std::thread(&TThread::ThreadProc, this);
  FThreadID = FThread.get_id();
  FStarted.store(true);
}

void TThread::ThreadProc(TThread* self) {
  { std::lock_guard<std::mutex> g(self->FLock); } // Start has finished recording the thread
  gCurrentThread = self;
  self->ApplyOsName();
  std::exception_ptr fatal;
  try {
    if (!self->Terminated()) self->Execute();
  } catch (...) {
    fatal = std::current_exception();
  }
  if (fatal) {
    std::lock_guard<std::mutex> g(self->FLock);
    self->FFatalException = std::move(fatal);
  }
  try {
    self->DoTerminate();
  } catch (...) {
    std::lock_guard<std::mutex> g(self->FLock);
    if (!self->FFatalException) self->FFatalException = std::current_exception();
  }
  gCurrentThread = nullptr;
  if (self->FFreeOnTerminate.load()) {
    {
      std::lock_guard<std::mutex> g(self->FLock);
      self->FThread.detach();
      self->FFinished.store(true);
    }
    delete self;
    return;
  }
  {
    // Notified under the lock: once it is released a waiter may join and destroy the object.
    std::lock_guard<std::mutex> g(self->FLock);
    self->FFinished.store(true);
    self->FFinishedSignal.notify_all();
  }
  App().Wake();
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize(this, [this] { OnTerminate(*this); });
}

void TThread::Terminate() {
  FTerminated.store(true);
  TerminatedSet();
}

void TThread::Join() {
  std::thread t;
  {
    std::lock_guard<std::mutex> g(FLock);
    t.swap(FThread);
  }
  if (t.joinable()) t.join();
}

Integer TThread::WaitFor() {
  if (FFreeOnTerminate.load()) throw EThread(sThreadWaitForFreeOnTerminate);
  if (CurrentThread() == this) throw EThread(sThreadWaitForSelf);
  if (!FStarted.load()) return FReturnValue.load();
  if (IsMainThread()) {
    while (!FFinished.load()) {
      App().WaitUntil(INFINITE, [this] { return FFinished.load(); });
      App().ProcessMessages();
    }
  } else {
    std::unique_lock<std::mutex> l(FLock);
    FFinishedSignal.wait(l, [this] { return FFinished.load(); });
  }
  Join();
  return FReturnValue.load();
}

void TThread::Synchronize(TThread* caller, std::function<void()> proc) {
  if (IsMainThread()) {
    proc();
    return;
  }
  struct {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;
    std::exception_ptr Error;
  } call;
  App().PostItem(TApplication::TQueuedProc{[&] {
                                             std::exception_ptr error;
                                             try {
                                               proc();
                                             } catch (...) {
                                               error = std::current_exception();
                                             }
                                             // Signalled under the lock: the waiting thread owns
                                             // `call` and leaves once it sees it.
                                             std::lock_guard<std::mutex> g(call.Lock);
                                             call.Error = std::move(
                                                 error); // no reference may stay behind here
                                             call.Finished = true;
                                             call.Done.notify_all();
                                           },
                                           caller, true});
  std::unique_lock<std::mutex> l(call.Lock);
  call.Done.wait(l, [&] { return call.Finished; });
  if (call.Error) std::rethrow_exception(call.Error);
}

void TThread::Queue(TThread* caller, std::function<void()> proc) {
  if (IsMainThread()) {
    proc();
    return;
  }
  App().Post(std::move(proc), caller);
}

void TThread::RemoveQueuedEvents(TThread* thread) { App().RemovePosted(thread); }

bool TThread::CheckSynchronize(Cardinal timeoutMs) {
  RequireMainThread("CheckSynchronize");
  if (timeoutMs > 0) App().WaitUntil(timeoutMs, nullptr);
  return App().ProcessMessages();
}

TThread* TThread::CurrentThread() { return gCurrentThread; }

std::exception_ptr TThread::FatalException() const {
  std::lock_guard<std::mutex> g(FLock);
  return FFatalException;
}

TThreadID TThread::ThreadID() const {
  std::lock_guard<std::mutex> g(FLock);
  return FThreadID;
}

String TThread::Name() const {
  std::lock_guard<std::mutex> g(FLock);
  return FName;
}

void TThread::SetName(std::string_view name) {
  std::lock_guard<std::mutex> g(FLock);
  FName = String(name);
  // A running thread is renamed at once; one not started yet names itself when it starts.
  if (FThread.joinable() && !FFinished.load())
    pthread_setname_np(FThread.native_handle(), OsThreadName(FName).c_str());
}

void TThread::ApplyOsName() {
  std::lock_guard<std::mutex> g(FLock);
  if (!FName.empty()) pthread_setname_np(pthread_self(), OsThreadName(FName).c_str());
}

// ---------------------------------------------------------------------------------------------
// TSimpleEvent

void TSimpleEvent::SetEvent() {
  std::lock_guard<std::mutex> g(FLock);
  FSignaled = true;
  if (FManualReset)
    FSignal.notify_all();
  else
    FSignal.notify_one();
}

void TSimpleEvent::ResetEvent() {
  std::lock_guard<std::mutex> g(FLock);
  FSignaled = false;
}

TWaitResult TSimpleEvent::WaitFor(Cardinal timeoutMs) {
  std::unique_lock<std::mutex> l(FLock);
  auto signaled = [this] { return FSignaled; };
  if (timeoutMs == INFINITE)
    FSignal.wait(l, signaled);
  else if (!FSignal.wait_for(l, std::chrono::milliseconds(timeoutMs), signaled))
    return wrTimeout;
  if (!FManualReset) FSignaled = false;
  return wrSignaled;
}

} // namespace fw
