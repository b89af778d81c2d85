#include "toolsapi/toolsutils.h"

#include "basert/classbuilder.h"
#include "basert/strings.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using namespace fw;

TEST(PlatformMatch, OSX32ServesItsIOSFamilyOnlyOneWayAndNamesCompareExactly) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"OSX32", "OSX32", true},      {"OSX32", "iOSSimulator", true}, {"OSX32", "iOSDevice", true},
      {"iOSDevice", "OSX32", false}, {"OSX32", "Win32", false},       {"win64", "Win64", false},
      {"osx32", "iOSDevice", false}};
  for (const auto& [a, b, match] : cases)
    EXPECT_EQ(PlatformMatch(a, b), match) << a << " " << b;
}

/// Records what it hears, in a log shared by the test.
class TLogNotifier : public TNotifierObject {
  FW_CLASS(TLogNotifier)
public:
  TLogNotifier(std::vector<String>* log, String name) : FLog(log), FName(std::move(name)) {}
  void Destroyed() override { FLog->push_back(FName + ".Destroyed"); }

private:
  std::vector<String>* FLog;
  String FName;
};

class TCountedOTAClass : public TOTAClass {
  FW_CLASS(TCountedOTAClass)
public:
  explicit TCountedOTAClass(int* live) : FLive(live) { ++*FLive; }
  ~TCountedOTAClass() override { --*FLive; }

private:
  int* FLive;
};

TClass TLogNotifier::StaticClass() {
  static const TClass cls =
      TClassBuilder<TLogNotifier, TNotifierObject>("TLogNotifier", "ToolsTests").Build();
  return cls;
}

TClass TCountedOTAClass::StaticClass() {
  static const TClass cls =
      TClassBuilder<TCountedOTAClass, TOTAClass>("TCountedOTAClass", "ToolsTests").Build();
  return cls;
}

IPtr<IInterface> Notifier(std::vector<String>* log, const String& name) {
  return QueryIntf<IInterface>(New<TLogNotifier>(log, name));
}

TEST(TOTAClass, NotifierSlotsAreReusedAndVisitedInIndexOrder) {
  int live = 0;
  std::vector<String> log;
  auto* obj = New<TCountedOTAClass>(&live);
  EXPECT_EQ(obj->AddNotifier(Notifier(&log, "a")), 0);
  EXPECT_EQ(obj->AddNotifier(Notifier(&log, "b")), 1);
  EXPECT_EQ(obj->AddNotifier(Notifier(&log, "c")), 2);
  obj->RemoveNotifier(1);
  obj->RemoveNotifier(7); // out of range: nothing
  EXPECT_EQ(obj->AddNotifier(Notifier(&log, "d")), 1) << "the freed slot is taken first";
  obj->RemoveNotifier(0);

  // ForEach skips the empty slot; without a list or a real callback it does nothing.
  std::vector<IInterface*> seen;
  TOTAClass::ForEach(
      obj->NotifyList(),
      [](const IPtr<IInterface>& item, void* data) {
        static_cast<std::vector<IInterface*>*>(data)->push_back(item.get());
      },
      &seen);
  EXPECT_EQ(seen, (std::vector<IInterface*>{obj->NotifyList()->Get(1).get(),
                                            obj->NotifyList()->Get(2).get()}));
  TOTAClass::ForEach(nullptr, &TOTAClass::NotifyDestroyed, nullptr);
  TOTAClass::ForEach(obj->NotifyList(), reinterpret_cast<TOTAClassProc>(std::uintptr_t{65535}),
                     nullptr);
  EXPECT_TRUE(log.empty());

  obj->Destroy();
  EXPECT_EQ(log, (std::vector<String>{"d.Destroyed", "c.Destroyed"}));
  EXPECT_EQ(live, 0) << "with only its own reference left, Destroy frees it";
}

TEST(TOTAClass, ClientReferenceLeftAtDestroyIsReportedAsDangling) {
  int live = 0;
  std::vector<String> log;
  auto* obj = New<TCountedOTAClass>(&live);
  obj->AddNotifier(Notifier(&log, "n"));
  {
    IPtr<IImplementation> client = QueryIntf<IImplementation>(obj);
    EXPECT_EQ(fwtest::MessageOf([&] { obj->Destroy(); }),
              "Instance of Class TCountedOTAClass has dangling reference count of 1");
    EXPECT_EQ(log, std::vector<String>{"n.Destroyed"}) << "notifiers hear it before the check";
    EXPECT_EQ(client->GetInstance(), obj);
  }
  EXPECT_EQ(live, 1) << "the object's own reference keeps it alive";
  obj->Destroy();
  EXPECT_EQ(live, 0);
}

/// An IOTAStrings without the native side, so Assign must copy item by item.
class TPlainStrings : public TInterfacedObject, public IOTAStrings {
  FW_CLASS(TPlainStrings)
public:
  std::vector<std::pair<String, Integer>> Items;
  Integer GetCount() override { return static_cast<Integer>(Items.size()); }
  String GetItem(Integer i) override { return Items.at(static_cast<std::size_t>(i)).first; }
  void SetItem(Integer, const String&) override {}
  Integer GetData(Integer i) override { return Items.at(static_cast<std::size_t>(i)).second; }
  void SetData(Integer, Integer) override {}
  String GetName(Integer) override { return {}; }
  String GetValue(const String&) override { return {}; }
  void SetValue(const String&, const String&) override {}
  String GetValueFromIndex(Integer) override { return {}; }
  void SetValueFromIndex(Integer, const String&) override {}
  void Assign(const IPtr<IOTAStrings>&) override {}
};

TClass TPlainStrings::StaticClass() {
  static const TClass cls = TClassBuilder<TPlainStrings, TInterfacedObject>("TPlainStrings", "T")
                                .Implements<IOTAStrings>()
                                .Build();
  return cls;
}

TEST(TOTAStringsAdapter, ReadsWritesAndAssignsItemsWithTheirData) {
  auto* list = New<TStringList>();
  auto adapter = QueryIntf<IOTAStrings>(New<TOTAStringsAdapter>(list, true));
  list->Add("Left=10");
  list->Add("Caption=Hello=World");
  adapter->SetData(1, -42);
  EXPECT_EQ(adapter->GetData(1), -42);
  EXPECT_EQ(adapter->GetData(0), 0);
  EXPECT_EQ(adapter->GetName(1), "Caption");
  EXPECT_EQ(adapter->GetValue("caption"), "Hello=World");
  EXPECT_EQ(adapter->GetValueFromIndex(0), "10");
  adapter->SetValue("Top", "5");
  adapter->SetValueFromIndex(0, "11");
  EXPECT_EQ(fwtest::Lines(*list), (std::vector<String>{"Left=11", "Caption=Hello=World", "Top=5"}));

  // From another adapter: the native list is copied, data included.
  auto* copyList = New<TStringList>();
  auto copy = QueryIntf<IOTAStrings>(New<TOTAStringsAdapter>(copyList, true));
  copy->Assign(adapter);
  EXPECT_EQ(fwtest::Lines(*copyList), fwtest::Lines(*list));
  EXPECT_EQ(copy->GetData(1), -42);

  // From a plain IOTAStrings: item by item, replacing what was there.
  auto* plain = New<TPlainStrings>();
  plain->Items = {{"x", 1}, {"y", 70000}};
  copy->Assign(QueryIntf<IOTAStrings>(plain));
  EXPECT_EQ(fwtest::Lines(*copyList), (std::vector<String>{"x", "y"}));
  EXPECT_EQ(copy->GetData(0), 1);
  EXPECT_EQ(copy->GetData(1), 70000);
  EXPECT_EQ(QueryIntf<INTAStrings>(copy)->GetStrings(), copyList);
}

TEST(RegisterPackageWizard, ReachesTheHostOnlyThroughItsHook) {
  static std::vector<String> registered;
  class TWizard : public TNotifierObject, public IOTAWizard {
  public:
    String GetIDString() override { return "Test.Wizard"; }
    String GetName() override { return "Wizard"; }
    TWizardState GetState() override { return TWizardState{wsEnabled}; }
    void Execute() override {}
  };
  IPtr<IOTAWizard> wizard(new TWizard);
  RegisterPackageWizard(wizard); // no host: dropped
  RegisterPackageWizardProc = [](const IPtr<IOTAWizard>& w) {
    registered.push_back(w->GetIDString());
  };
  RegisterPackageWizard(wizard);
  RegisterPackageWizardProc = nullptr;
  EXPECT_EQ(registered, std::vector<String>{"Test.Wizard"});
}

} // namespace
