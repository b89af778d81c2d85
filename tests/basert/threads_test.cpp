#include "basert/threads.h"

#include "test_util.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <atomic>
#include <vector>

using namespace fw;
using fwtest::MessageOf;

namespace {

// A thread whose body is given as a function; it stops itself before its members go.
class TestThread : public TThread {
public:
  explicit TestThread(std::function<void(TestThread&)> body) : FBody(std::move(body)) {}
  ~TestThread() override {
    if (Destroyed) *Destroyed = true;
    if (!FreeOnTerminate()) {
      Terminate();
      WaitFor();
    }
  }
  std::atomic<bool>* Destroyed = nullptr;
  using TThread::Queue;
  using TThread::Synchronize;

protected:
  void Execute() override { FBody(*this); }

private:
  std::function<void(TestThread&)> FBody;
};

// Pumps the global queue until `done` holds; fails the test instead of hanging.
template <class Pred> bool PumpUntil(Pred done) {
  for (int i = 0; i < 1000 && !done(); ++i)
    TThread::CheckSynchronize(5);
  return done();
}

} // namespace

TEST(Threads, MainThreadIsTheLoaderUntilChanged) {
  EXPECT_TRUE(IsMainThread());
  bool onWorker = true;
  std::thread([&] { onWorker = IsMainThread(); }).join();
  EXPECT_FALSE(onWorker);
  String msg;
  std::thread([&] { msg = MessageOf<EThread>([] { TThread::CheckSynchronize(); }); }).join();
  EXPECT_EQ(msg, "CheckSynchronize called from a thread that is not the main thread");
}

TEST(Threads, SynchronizeRunsOnMainThreadAndWaits) {
  std::vector<int> order;
  TestThread t([&](TestThread& self) {
    self.Synchronize([&] {
      EXPECT_TRUE(IsMainThread());
      order.push_back(1);
    });
    order.push_back(2); // after the main thread ran the first step
    self.SetReturnValue(42);
  });
  t.Start();
  EXPECT_EQ(t.WaitFor(), 42); // pumps: the worker's Synchronize cannot deadlock us
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(t.FatalException(), nullptr);
}

TEST(Threads, SynchronizeRaisesInTheCallerAndEscapingExceptionsAreKept) {
  String caught;
  TestThread t([&](TestThread& self) {
    caught = MessageOf<EConvertError>(
        [&] { self.Synchronize([] { throw EConvertError("bad value"); }); });
    throw EAbort("stopped");
  });
  t.Start();
  t.WaitFor();
  EXPECT_EQ(caught, "bad value");
  ASSERT_NE(t.FatalException(), nullptr);
  EXPECT_THROW(std::rethrow_exception(t.FatalException()), EAbort);
}

TEST(Threads, QueuedCallsWaitForThePumpAndAreRemovedPerThread) {
  std::atomic<int> ran{0};
  int dropped = 0;
  TestThread t([&](TestThread& self) {
    self.Queue([&] { ran.fetch_add(1); });
    self.Queue([&] { ran.fetch_add(10); });
  });
  TestThread other([&](TestThread& self) { self.Queue([&] { ++dropped; }); });
  t.Start();
  other.Start();
  while (!t.Finished() || !other.Finished())
    std::this_thread::yield(); // nobody pumps, yet both finish
  EXPECT_EQ(ran, 0);
  TThread::RemoveQueuedEvents(&other); // only that thread's calls go
  EXPECT_TRUE(TThread::CheckSynchronize());
  EXPECT_EQ(ran, 11);
  EXPECT_EQ(dropped, 0);
  EXPECT_FALSE(TThread::CheckSynchronize());

  int direct = 0;
  TThread::Queue(nullptr, [&] { ++direct; }); // on the main thread: at once
  EXPECT_EQ(direct, 1);
}

TEST(Threads, OnTerminateRunsOnMainThreadAndFreeOnTerminateDeletes) {
  std::atomic<bool> destroyed{false};
  bool onMain = false;
  auto* t = TThread::Create<TestThread>(true, [](TestThread& self) { self.SetReturnValue(7); });
  t->Destroyed = &destroyed;
  t->SetFreeOnTerminate(true);
  EXPECT_THROW(t->WaitFor(), EThread);
  t->OnTerminate = [&](TThread& th) {
    onMain = IsMainThread();
    EXPECT_EQ(th.ReturnValue(), 7);
  };
  t->Start();
  EXPECT_TRUE(PumpUntil([&] { return destroyed.load(); }));
  EXPECT_TRUE(onMain);
}

TEST(Threads, StartTwiceAndWaitForSelfAreErrors) {
  TestThread t([](TestThread& self) {
    EXPECT_EQ(TThread::CurrentThread(), &self);
    EXPECT_THROW(self.WaitFor(), EThread);
  });
  EXPECT_EQ(t.WaitFor(), 0); // never started: nothing to wait for
  t.Start();
  EXPECT_EQ(MessageOf<EThread>([&] { t.Start(); }),
            "Cannot call Start on a running or suspended thread");
  t.WaitFor();
  EXPECT_EQ(TThread::CurrentThread(), nullptr);
}

TEST(Threads, TerminateIsSeenByExecute) {
  TSimpleEvent started;
  TestThread t([&](TestThread& self) {
    started.SetEvent();
    while (!self.Terminated())
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    self.SetReturnValue(3);
  });
  t.Start();
  ASSERT_EQ(started.WaitFor(5000), wrSignaled);
  EXPECT_FALSE(t.Finished());
  t.Terminate();
  EXPECT_EQ(t.WaitFor(), 3);
}

TEST(Threads, NameIsKeptWholeAndCutForTheSystem) {
  // 14 ASCII bytes then a 2-byte character: the system gets the 14, not half a character.
  const String name = "ProcessUtil Mo\xC3\xA9nitor Thread";
  char seen[64] = {};
  TestThread t([&](TestThread&) { pthread_getname_np(pthread_self(), seen, sizeof seen); });
  t.SetName(name);
  t.Start();
  t.WaitFor();
  EXPECT_EQ(t.Name(), name);
  EXPECT_STREQ(seen, "ProcessUtil Mo");
  EXPECT_NE(t.ThreadID(), TThreadID());
}

TEST(Application, ProcessMessagesRunsWhatWasQueuedAndStopsAtUnhandledExceptions) {
  TApplication app;
  int runs = 0;
  std::function<void()> again = [&] {
    ++runs;
    app.Post(again);
  };
  app.Post(again);
  EXPECT_TRUE(app.ProcessMessages());
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(app.ProcessMessages());
  EXPECT_EQ(runs, 2);
  app.RemovePosted(nullptr);
  EXPECT_FALSE(app.ProcessMessages());

  std::vector<int> log;
  app.Post([&] { log.push_back(1); });
  app.Post([] { throw EAbort("x"); });
  app.Post([&] { log.push_back(3); });
  EXPECT_THROW(app.ProcessMessages(), EAbort);
  EXPECT_EQ(log, (std::vector<int>{1}));
  EXPECT_EQ(app.PendingCount(), 1u); // the rest is kept
  app.ProcessMessages();
  EXPECT_EQ(log, (std::vector<int>{1, 3}));

  int handled = 0;
  app.OnException = [&](std::exception_ptr) { ++handled; };
  app.Post([] { throw EAbort("y"); });
  app.Post([&] { log.push_back(4); });
  app.ProcessMessages();
  EXPECT_EQ(handled, 1);
  EXPECT_EQ(log.back(), 4);
}

TEST(Application, HandleMessageWaitsAndTerminateReleases) {
  TApplication app;
  EXPECT_FALSE(app.HandleMessage(10)); // time-out, nothing queued
  int got = 0;
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    app.Post([&] { got = 5; });
  });
  EXPECT_TRUE(app.HandleMessage(5000));
  EXPECT_EQ(got, 5);
  poster.join();

  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    app.Terminate();
  });
  app.Run(); // returns only because of Terminate
  stopper.join();
  EXPECT_TRUE(app.Terminated());
  EXPECT_FALSE(app.HandleMessage());
}

TEST(SyncObjects, CriticalSectionIsReentrantAndExclusive) {
  TCriticalSection cs;
  cs.Enter();
  EXPECT_TRUE(cs.TryEnter()); // same thread again
  bool other = true;
  std::thread([&] { other = cs.TryEnter(); }).join();
  EXPECT_FALSE(other);
  cs.Leave();
  cs.Leave();
  std::thread([&] {
    other = cs.TryEnter();
    if (other) cs.Leave();
  }).join();
  EXPECT_TRUE(other);

  int counter = 0;
  std::vector<std::thread> ts;
  for (int i = 0; i < 4; ++i)
    ts.emplace_back([&] {
      for (int k = 0; k < 1000; ++k) {
        TCriticalSectionGuard g(cs);
        ++counter;
      }
    });
  for (auto& t : ts)
    t.join();
  EXPECT_EQ(counter, 4000);
}

TEST(SyncObjects, SimpleEventSignalsAndTimesOut) {
  TSimpleEvent manual;
  EXPECT_EQ(manual.WaitFor(10), wrTimeout);
  std::thread setter([&] { manual.SetEvent(); });
  EXPECT_EQ(manual.WaitFor(5000), wrSignaled);
  setter.join();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled); // stays set
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TSimpleEvent autoReset(false, true);
  EXPECT_EQ(autoReset.WaitFor(0), wrSignaled);
  EXPECT_EQ(autoReset.WaitFor(0), wrTimeout); // consumed by the first waiter
}
