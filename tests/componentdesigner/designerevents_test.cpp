#include "componentdesigner/designerevents.h"

#include "basert/exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace fw;

namespace {

/// Handlers that log their calls and can act on the event while being called.
class TListener : public TObject {
  FW_CLASS(TListener)
public:
  TListener(std::vector<String>& log, String name) : FLog(log), FName(std::move(name)) {}
  void Changed(TObject* sender) { Called(sender, ""); }
  void Activated(TObject* sender, const IPtr<ICustomModule>& module) {
    LastModule = module;
    Called(sender, module ? ":module" : ":nil");
  }
  void Renamed(TObject* s, const String& from, const String& to) {
    Called(s, ":" + from + ">" + to);
  }
  THandler Handler() { return HandlerOf<THandler, &TListener::Changed>(this); }
  std::function<void()> OnCall;
  TObject* LastSender = nullptr;
  IPtr<ICustomModule> LastModule;

private:
  void Called(TObject* sender, const String& what) {
    FLog.push_back(FName + what);
    LastSender = sender;
    if (OnCall) OnCall();
  }
  std::vector<String>& FLog;
  String FName;
};

TClass TListener::StaticClass() {
  static const TClass cls = TClassBuilder<TListener, TObject>("TListener", "Tests").Build();
  return cls;
}

/// The generic list's descendants supply Send themselves.
class TPlainEvent : public TEventT<THandler> {
public:
  void Send(TObject* sender) { Broadcast(sender); }
};

struct EventFixture : ::testing::Test {
  std::vector<String> log;
  TListener a{log, "A"}, b{log, "B"}, c{log, "C"}, d{log, "D"};
  TOwned<TEvent> event{New<TEvent>()};
  void AddABC() {
    for (TListener* l : {&a, &b, &c})
      event->Add(l->Handler());
  }
  /// The names of the handlers one Send calls, in call order.
  String Sent(TObject* sender = nullptr) {
    log.clear();
    event->Send(sender);
    String names;
    for (const String& n : log)
      names += n;
    return names;
  }
};

TEST_F(EventFixture, AddRegistersOnceForceAddTwiceRemoveTakesTheNewest) {
  event->Add(a.Handler());
  event->Add(a.Handler());
  EXPECT_EQ(event->Count(), 1);
  event->ForceAdd(a.Handler());
  EXPECT_EQ(event->Count(), 2);
  event->Remove(a.Handler());
  EXPECT_EQ(event->Count(), 1);
  event->Remove(b.Handler()); // unknown: nothing
  EXPECT_EQ(event->Count(), 1);
  // Same code, other object: another handler.
  event->Add(b.Handler());
  EXPECT_EQ(event->IndexOf(b.Handler()), 1);
  EXPECT_EQ(event->IndexOf(a.Handler()), 0);
  EXPECT_EQ(event->IndexOf(c.Handler()), -1);
  event->ForceAdd(a.Handler());
  EXPECT_EQ(event->IndexOf(a.Handler()), 2); // the newest registration is tried first
  event->Remove(a.Handler());
  EXPECT_EQ(event->IndexOf(a.Handler()), 0);
  EXPECT_EQ(event->Handlers(1), b.Handler());
  event->Clear();
  EXPECT_EQ(event->Count(), 0);
  EXPECT_EQ(event->IndexOf(a.Handler()), -1);
}

TEST_F(EventFixture, HandlersMayRemoveThemselvesOrLaterOnesDuringSend) {
  AddABC();
  b.OnCall = [&] { event->Remove(b.Handler()); };
  EXPECT_EQ(Sent(), "CBA");
  EXPECT_EQ(Sent(), "CA");

  event->Clear();
  AddABC();
  a.OnCall = [&] { // b and c, registered after a, were called already
    event->Remove(b.Handler());
    event->Remove(c.Handler());
  };
  EXPECT_EQ(Sent(), "CBA");
  EXPECT_EQ(Sent(), "A");

  AddABC();
  c.OnCall = [&] { event->Clear(); }; // ends the broadcast safely
  EXPECT_EQ(Sent(), "C");
}

TEST_F(EventFixture, SendCallsTheLastRegisteredFirstAndAddedOnesWaitForTheNext) {
  AddABC();
  c.OnCall = [&] { event->Add(d.Handler()); };
  EXPECT_EQ(Sent(&d), "CBA");
  EXPECT_EQ(a.LastSender, &d);
  EXPECT_EQ(Sent(), "DCBA");
}

TEST_F(EventFixture, RaisingHandlerEndsTheBroadcastAndReachesTheSender) {
  AddABC();
  b.OnCall = [] { throw EAbort("stop"); };
  EXPECT_THROW(event->Send(nullptr), EAbort);
  EXPECT_EQ(log, (std::vector<String>{"C", "B"})); // A, registered earlier, is not called
  EXPECT_EQ(event->Count(), 3);
}

TEST_F(EventFixture, ReentrantSendRunsAFullInnerBroadcast) {
  AddABC();
  int depth = 0;
  c.OnCall = [&] {
    if (depth++ == 0) event->Send(nullptr);
  };
  EXPECT_EQ(Sent(), "CCBABA");
}

TEST_F(EventFixture, RenamedEventPassesBothNames) {
  TOwned<TEvComponentRenamedEvent> renamed(New<TEvComponentRenamedEvent>());
  for (TListener* l : {&a, &b, &a}) // the second a is not added
    renamed->Add(HandlerOf<TComponentRenamedEvent, &TListener::Renamed>(l));
  renamed->Send(&a, "Button1", "OkButton");
  EXPECT_EQ(log, (std::vector<String>{"B:Button1>OkButton", "A:Button1>OkButton"}));
  EXPECT_EQ(b.LastSender, &a);
}

/// Logs what the palette is told into the listeners' log.
class TPaletteLog : public TInterfacedObject, public IDesignerPalette {
  FW_CLASS(TPaletteLog)
public:
  explicit TPaletteLog(std::vector<String>& log) : FLog(log) {}
  void BeginUpdate() override { FLog.push_back("begin"); }
  void EndUpdate() override { FLog.push_back("end"); }
  void AddContext(const String& context) override { FLog.push_back("+" + context); }
  void RemoveContext(const String& context) override { FLog.push_back("-" + context); }

private:
  std::vector<String>& FLog;
};

TClass TPaletteLog::StaticClass() {
  static const TClass cls = TClassBuilder<TPaletteLog, TInterfacedObject>("TPaletteLog", "Tests")
                                .Implements<IDesignerPalette>()
                                .Build();
  return cls;
}

struct RootActivated : EventFixture {
  TOwned<TEvRootActivatedEvent> activated{New<TEvRootActivatedEvent>()};
  void SetUp() override {
    SetDesignerPalette(IPtr<IDesignerPalette>(New<TPaletteLog>(log)));
    activated->Add(HandlerOf<TRootActivatedEvent, &TListener::Activated>(&a));
    activated->Add(HandlerOf<TRootActivatedEvent, &TListener::Activated>(&b));
  }
  void TearDown() override { DesignerEventsShutdown(); }
};

TEST_F(RootActivated, PaletteLearnsWhetherTheNativeDesignerIsActive) {
  IPtr<ICustomModule> module = TEvRootActivatedEvent::NonTarnCustomModule();
  activated->Send(&a, module);
  EXPECT_EQ(log, (std::vector<String>{"begin", "+NativeDesignerActive", "-CodeEditorActive",
                                      "B:module", "A:module", "end"}));
  EXPECT_EQ(b.LastSender, &a);
  EXPECT_EQ(b.LastModule, module);
  log.clear();
  activated->Send(&a, nullptr);
  EXPECT_EQ(log, (std::vector<String>{"begin", "-NativeDesignerActive", "-CodeEditorActive",
                                      "B:nil", "A:nil", "end"}));
}

TEST_F(RootActivated, PaletteUpdateIsClosedWhenAHandlerRaises) {
  b.OnCall = [] { throw EAbort("stop"); };
  EXPECT_THROW(activated->Send(nullptr, nullptr), EAbort);
  EXPECT_EQ(log, (std::vector<String>{"begin", "-NativeDesignerActive", "-CodeEditorActive",
                                      "B:nil", "end"}));
  SetDesignerPalette(nullptr); // without a palette only the handlers run
  log.clear();
  b.OnCall = nullptr;
  activated->Send(nullptr, nullptr);
  EXPECT_EQ(log, (std::vector<String>{"B:nil", "A:nil"}));
}

TEST_F(RootActivated, OtherFrameworksGetAStubModuleWithoutThePalette) {
  activated->ActivateNonTarnDesigner();
  EXPECT_EQ(log, (std::vector<String>{"B:module", "A:module"}));
  EXPECT_EQ(a.LastSender, nullptr);
  IPtr<ICustomModule> stub = a.LastModule;
  ASSERT_TRUE(stub);
  EXPECT_EQ(stub->GetVerbCount(), 0);
  EXPECT_EQ(stub->GetVerb(0), "");
  EXPECT_TRUE(stub->GetAttributes().Empty());
  EXPECT_FALSE(stub->Nestable());
  EXPECT_FALSE(stub->ValidateComponentClass(TComponent::StaticClass()));
  activated->ActivateNonTarnDesigner();
  EXPECT_EQ(b.LastModule, stub); // one stub for the package's lifetime
}

TEST_F(EventFixture, GenericListKeepsDuplicatesAndRemovesTheFirst) {
  TPlainEvent plain;
  for (TListener* l : {&a, &b, &a})
    plain.InternalAdd(l->Handler());
  plain.InternalRemove(a.Handler());
  EXPECT_EQ(plain.Handlers(0), b.Handler());
  plain.Send(nullptr);
  EXPECT_EQ(log, (std::vector<String>{"A", "B"}));
  plain.InternalRemove(THandler{}); // not there: nothing
  EXPECT_EQ(plain.Count(), 2);
}

TEST(DesignerEvents, NamedEventsLiveFromStartToShutDown) {
  auto events = [] {
    return std::vector<TObject*>{EvRootActivatedEvent, EvActiveRootModifiedEvent,
                                 EvComponentRenamedEvent, EvDesignerDeactivated};
  };
  const std::vector<TObject*> none(4, nullptr);
  DesignerEventsShutdown();
  EXPECT_EQ(events(), none);
  DesignerEventsStartup();
  const std::vector<TObject*> made = events();
  EXPECT_EQ(std::set<TObject*>(made.begin(), made.end()).size(), 4u);
  EXPECT_EQ(std::count(made.begin(), made.end(), nullptr), 0);
  DesignerEventsStartup(); // again: the existing events stay
  EXPECT_EQ(events(), made);
  DesignerEventsShutdown();
  EXPECT_EQ(events(), none);
}

} // namespace
