#include "componentdesigner/designnotification.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "designeditors/editorregistry.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

/// A listener that logs "name:operation" and can act while it is told.
class TRecorder : public TInterfacedObject, public IDesignNotification {
  FW_CLASS(TRecorder)
public:
  TRecorder(std::vector<String>& log, String name) : FLog(log), FName(std::move(name)) {}
  ~TRecorder() override {
    if (Destroyed) *Destroyed = true;
  }
  void ItemDeleted(const IPtr<IDesigner>&, TPersistent* p) override { Told("ItemDeleted", p); }
  void ItemInserted(const IPtr<IDesigner>&, TPersistent* p) override { Told("ItemInserted", p); }
  void ItemsModified(const IPtr<IDesigner>&) override { Told("ItemsModified"); }
  void SelectionChanged(const IPtr<IDesigner>&, const IPtr<IDesignerSelections>& s) override {
    LastSelection = s;
    Told("SelectionChanged");
  }
  void DesignerOpened(const IPtr<IDesigner>&, bool resurrecting) override {
    Told(resurrecting ? "DesignerOpened+" : "DesignerOpened");
  }
  void DesignerClosed(const IPtr<IDesigner>&, bool goingDormant) override {
    Told(goingDormant ? "DesignerClosed+" : "DesignerClosed");
  }
  std::function<void()> OnTold;
  bool* Destroyed = nullptr;
  TPersistent* LastItem = nullptr;
  IPtr<IDesignerSelections> LastSelection;

private:
  void Told(const char* what, TPersistent* item = nullptr) {
    FLog.push_back(FName + ":" + what);
    if (item) LastItem = item;
    if (OnTold) OnTold();
  }
  std::vector<String>& FLog;
  String FName;
};

TClass TRecorder::StaticClass() {
  static const TClass cls = TClassBuilder<TRecorder, TInterfacedObject>("TRecorder", "Tests")
                                .Implements<IDesignNotification>()
                                .Build();
  return cls;
}

struct DesignNotifications : ::testing::Test {
  std::vector<String> log;
  IPtr<TRecorder> a{New<TRecorder>(log, "A")}, b{New<TRecorder>(log, "B")},
      c{New<TRecorder>(log, "C")};
  void SetUp() override { DesignNotificationsStartup(); }
  void TearDown() override { DesignNotificationsShutdown(); }
  static IPtr<IDesignNotification> N(const IPtr<TRecorder>& r) { return r.get(); }
  void RegisterABC() {
    for (auto* r : {&a, &b, &c})
      RegisterDesignNotification(N(*r));
  }
};

TEST_F(DesignNotifications, BroadcastsTellTheLastRegisteredFirst) {
  RegisterABC();
  TOwned<TComponent> item(New<TComponent>(nullptr));
  IPtr<IDesignerSelections> selection = CreateSelectionList();
  DesignNotificationItemDeleted(nullptr, item.get());
  DesignNotificationItemInserted(nullptr, item.get());
  DesignNotificationItemsModified(nullptr);
  DesignNotificationSelectionChanged(nullptr, selection);
  DesignNotificationDesignerOpened(nullptr, true);
  std::vector<String> expected;
  for (const char* op :
       {"ItemDeleted", "ItemInserted", "ItemsModified", "SelectionChanged", "DesignerOpened+"})
    for (const char* who : {"C", "B", "A"})
      expected.push_back(String(who) + ":" + op);
  EXPECT_EQ(log, expected);
  EXPECT_EQ(a->LastItem, item.get());
  EXPECT_EQ(a->LastSelection, selection);
}

TEST_F(DesignNotifications, DesignerClosedTellsAFirstToLastSnapshot) {
  RegisterABC();
  IPtr<TRecorder> d(New<TRecorder>(log, "D"));
  a->OnTold = [&] {
    UnregisterDesignNotification(N(c)); // registered when the broadcast began: skipped
    RegisterDesignNotification(N(d));   // not in the snapshot: not told
  };
  DesignNotificationDesignerClosed(nullptr, true);
  EXPECT_EQ(log, (std::vector<String>{"A:DesignerClosed+", "B:DesignerClosed+"}));
  EXPECT_FALSE(DesignNotificationList()->IsRegistered(c.get()));
  EXPECT_TRUE(DesignNotificationList()->IsRegistered(d.get()));
}

TEST_F(DesignNotifications, SnapshotLetsGoOfAListenerRightAfterItsTurn) {
  bool destroyed = false;
  auto* gone = New<TRecorder>(log, "Gone");
  gone->Destroyed = &destroyed;
  RegisterDesignNotification(IPtr<IDesignNotification>(gone));
  gone->OnTold = [&] { UnregisterDesignNotification(IPtr<IDesignNotification>(gone)); };
  RegisterDesignNotification(N(b));
  b->OnTold = [&] { log.push_back(destroyed ? "gone" : "still there"); };
  DesignNotificationDesignerClosed(nullptr, false);
  EXPECT_EQ(log, (std::vector<String>{"Gone:DesignerClosed", "B:DesignerClosed", "gone"}));
}

TEST_F(DesignNotifications, UnregisterRemovesEveryEntryOfTheListener) {
  RegisterDesignNotification(N(a));
  RegisterDesignNotification(N(b));
  RegisterDesignNotification(N(a));
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, (std::vector<String>{"A:ItemsModified", "B:ItemsModified", "A:ItemsModified"}));
  UnregisterDesignNotification(N(a));
  UnregisterDesignNotification(N(c)); // never registered: nothing
  EXPECT_EQ(DesignNotificationList()->Count(), 1);
  EXPECT_FALSE(DesignNotificationList()->IsRegistered(a.get()));
  // Nil entries are kept but never told.
  RegisterDesignNotification(nullptr);
  log.clear();
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, std::vector<String>{"B:ItemsModified"});
}

TEST_F(DesignNotifications, ListenersMayLeaveDuringALiveBroadcast) {
  RegisterABC();
  b->OnTold = [&] { // itself and c, registered later and told already
    UnregisterDesignNotification(N(b));
    UnregisterDesignNotification(N(c));
  };
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, (std::vector<String>{"C:ItemsModified", "B:ItemsModified", "A:ItemsModified"}));

  log.clear();
  RegisterDesignNotification(N(b));
  b->OnTold = [&] { // the whole list goes: the broadcast ends
    UnregisterDesignNotification(N(a));
    UnregisterDesignNotification(N(b));
  };
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, std::vector<String>{"B:ItemsModified"});
  EXPECT_EQ(DesignNotificationList()->Count(), 0);
}

TEST_F(DesignNotifications, RaisingListenerEndsTheBroadcast) {
  RegisterABC();
  b->OnTold = [] { throw EAbort("stop"); };
  EXPECT_THROW(DesignNotificationItemsModified(nullptr), EAbort);
  EXPECT_EQ(log, (std::vector<String>{"C:ItemsModified", "B:ItemsModified"}));
  log.clear();
  EXPECT_THROW(DesignNotificationDesignerClosed(nullptr, false), EAbort);
  EXPECT_EQ(log, (std::vector<String>{"A:DesignerClosed", "B:DesignerClosed"}));
  EXPECT_EQ(DesignNotificationList()->Count(), 3);
}

TEST_F(DesignNotifications, ReentrantBroadcastRunsInFullInsideTheOuterOne) {
  RegisterABC();
  int depth = 0;
  c->OnTold = [&] {
    if (depth++ == 0) DesignNotificationItemsModified(nullptr);
  };
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, (std::vector<String>{"C:ItemsModified", "C:ItemsModified", "B:ItemsModified",
                                      "A:ItemsModified", "B:ItemsModified", "A:ItemsModified"}));
}

TEST_F(DesignNotifications, HooksServeTheListOnlyBetweenStartAndShutDown) {
  bool destroyed = false;
  auto* owned = New<TRecorder>(log, "Owned");
  owned->Destroyed = &destroyed;
  RegisterDesignNotification(IPtr<IDesignNotification>(owned));
  DesignNotificationsShutdown();
  EXPECT_TRUE(destroyed); // the list held the last reference
  EXPECT_EQ(RegisterDesignNotificationProc, nullptr);
  EXPECT_EQ(DesignNotificationList(), nullptr);
  RegisterDesignNotification(N(a)); // dropped
  DesignNotificationItemsModified(nullptr);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(a->RefCount(), 1);

  DesignNotificationsStartup();
  RegisterDesignNotification(N(a));
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, std::vector<String>{"A:ItemsModified"});
}

TEST_F(DesignNotifications, FreeingAPackageGroupWithdrawsOnlyTheListenersItRegistered) {
  RegisterDesignNotification(N(a));
  bool destroyed = false;
  auto* packaged = New<TRecorder>(log, "Packaged");
  packaged->Destroyed = &destroyed;
  const Integer previous = CurrentGroup;
  const Integer group = NewEditorGroup();
  RegisterDesignNotification(IPtr<IDesignNotification>(packaged));
  RegisterDesignNotification(N(b)); // also registered outside the package, below
  CurrentGroup = previous;
  RegisterDesignNotification(N(b));
  EXPECT_EQ(DesignNotificationList()->Count(), 4);

  FreeEditorGroup(group);
  EXPECT_TRUE(destroyed) << "the list held the package listener's last reference";
  EXPECT_EQ(DesignNotificationList()->Count(), 2);
  EXPECT_TRUE(DesignNotificationList()->IsRegistered(b.get())) << "its other entry stays";
  DesignNotificationItemsModified(nullptr);
  EXPECT_EQ(log, (std::vector<String>{"B:ItemsModified", "A:ItemsModified"}));
  UnregisterDesignNotification(N(b));
  EXPECT_FALSE(DesignNotificationList()->IsRegistered(b.get()));
}

} // namespace
