#include "basert/object.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "basert/intflist.h"
#include "basert/runtimeclass.h"
#include "test_classes.h"
#include "test_util.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

TEST(ClassRecords, DescribeNamesParentsAndPublishedMethods) {
  TOwned<TSample> s(New<TSample>(nullptr));
  EXPECT_EQ(s->ClassName(), "TSample");
  EXPECT_TRUE(s->ClassNameIs("tsample"));
  EXPECT_EQ(s->ClassParent(), TComponent::StaticClass());
  EXPECT_TRUE(s->InheritsFrom(TPersistent::StaticClass()));
  EXPECT_FALSE(TComponent::StaticClass()->InheritsFrom(TSample::StaticClass()));
  EXPECT_EQ(s->ClassType()->TypeInfo->Data.ParentInfo, TComponent::StaticClass()->TypeInfo);
  EXPECT_NE(s->MethodAddress("CLICKED"), nullptr);
  EXPECT_EQ(s->MethodAddress("Missing"), nullptr);
  EXPECT_EQ(s->MethodName(nullptr), "");
}

// A subclass that forgot FW_CLASS would report its parent's record: the check must see it, and the
// macro must not leave what follows it public.
namespace {
class TForgotMacro : public TSample {
public:
  using TSample::TSample;
};
class TAfterMacro : public TComponent {
  FW_CLASS(TAfterMacro)
  int Hidden = 0;
};
template <class T>
concept PublicHidden = requires(T t) {
  t.Hidden;
};
} // namespace
static_assert(fw::detail::DeclaresOwnClass<TSample>);
static_assert(!fw::detail::DeclaresOwnClass<TForgotMacro>);
static_assert(!PublicHidden<TAfterMacro>);

TEST(ClassRecords, VirtualConstructorsAndAbstractClasses) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  TComponent* c = CreateComponent(TSample::StaticClass(), owner.get());
  EXPECT_EQ(c->ClassType(), TSample::StaticClass());
  EXPECT_EQ(c->Owner(), owner.get());
  TOwned<TCollection> coll(New<TCollection>(TItem::StaticClass()));
  EXPECT_TRUE(TItem::StaticClass()->CanCreate<TCollection*>());
  EXPECT_FALSE(TItem::StaticClass()->CanCreate<TComponent*>());
  EXPECT_THROW(TItem::StaticClass()->Create<TComponent*>(owner.get()), EInvalidOperation);
  EXPECT_EQ(owner->ComponentCount(), 1);
}

TEST(ClassRecords, InstanceSwitchesToARunTimeDescendantAndBack) {
  TOwned<TSample> s(New<TSample>(nullptr));
  s->FInt = 17;
  // A descendant made at run time: a cheap copy with another name, unit and methods.
  auto proxy = std::make_unique<TClassRec>(*TSample::StaticClass());
  proxy->ClassName = "TForm1";
  proxy->UnitName = "Unit1";
  proxy->Parent = TSample::StaticClass();
  proxy->Methods.Clear();
  proxy->Methods.Add("Button1Click", reinterpret_cast<void*>(std::uintptr_t{1}));
  TClass previous = s->ClassType();
  ASSERT_TRUE(s->ChangeClass(proxy.get()));
  EXPECT_EQ(s->ClassName(), "TForm1");
  EXPECT_TRUE(s->InheritsFrom(TSample::StaticClass()));
  EXPECT_EQ(s->MethodName(reinterpret_cast<void*>(std::uintptr_t{1})), "Button1Click");
  EXPECT_NE(s->MethodAddress("Clicked"), nullptr); // inherited methods still found
  EXPECT_EQ(s->FInt, 17);                          // data kept
  // Another layout is refused.
  auto foreign = std::make_unique<TClassRec>(*TComponent::StaticClass());
  EXPECT_FALSE(s->ChangeClass(foreign.get()));
  EXPECT_EQ(s->ClassName(), "TForm1");
  ASSERT_TRUE(s->ChangeClass(previous));
  EXPECT_EQ(s->ClassName(), "TSample");
  EXPECT_EQ(s->FInt, 17);
}

TEST(Interfaces, CountedObjectsFreeWithTheirLastReferenceAndListsCompareIdentities) {
  static int destroyed = 0;
  struct TCounted : TThing {
    ~TCounted() override { ++destroyed; }
  };
  {
    IPtr<ITestThing> a(new TCounted);
    IPtr<IInterface> b = QueryIntf<IInterface>(a);
    ASSERT_TRUE(b);
    EXPECT_EQ(static_cast<TCounted*>(a.get())->RefCount(), 2);
    EXPECT_FALSE(QueryIntf<IInterfaceList>(b));
  }
  EXPECT_EQ(destroyed, 1);

  IPtr<IInterfaceList> list(New<TInterfaceList>());
  IPtr<ITestThing> a(new TThing(1));
  IPtr<ITestThing> b(new TThing(2));
  list->Add(IPtr<IInterface>(a.get()));
  list->Add(IPtr<IInterface>(b.get()));
  EXPECT_EQ(list->IndexOf(QueryIntf<IInterface>(b)), 1);
  list->Exchange(0, 1);
  EXPECT_EQ(QueryIntf<ITestThing>(list->First())->Value(), 2);
  EXPECT_EQ(list->Remove(IPtr<IInterface>(a.get())), 1);
  EXPECT_EQ(list->GetCount(), 1);
  EXPECT_THROW(list->Get(5), EListError);
}

namespace {
// A class record made at run time.
TClassRec Derived(const char* name, TClass parent) {
  TClassRec rec(*parent);
  rec.ClassName = name;
  rec.Parent = parent;
  return rec;
}
} // namespace

TEST(ClassRegistry, FindsRegisteredClassesAndRejectsNameClashes) {
  RegisterClass(TSample::StaticClass());
  EXPECT_EQ(FindClass("tsample"), TSample::StaticClass());
  EXPECT_EQ(GetClass("TComponent"), TComponent::StaticClass()); // ancestors come along
  RegisterClass(TSample::StaticClass());                        // again: nothing happens
  const TClassRec clash = Derived("TSample", TComponent::StaticClass());
  EXPECT_THROW(RegisterClass(&clash), EFilerError);
  UnRegisterClass(TSample::StaticClass());
  EXPECT_EQ(GetClass("TSample"), nullptr);
  EXPECT_EQ(MessageOf<EClassNotFound>([] { FindClass("TSample"); }), "Class TSample not found");
}

TEST(ClassRegistry, GroupsSeparateFrameworksAndShareTheBaseGroup) {
  // Static: the registry keeps the group's class after the test.
  static const TClassRec control = Derived("TFwControl", TComponent::StaticClass());
  static const TClassRec button = Derived("TFwButton", &control);
  static const TClassRec plain = Derived("TPlainThing", TComponent::StaticClass());
  StartClassGroup(&control);
  RegisterClasses({&button, &plain});
  EXPECT_EQ(ClassGroupOf(&button), &control);
  EXPECT_EQ(ClassGroupOf(&plain), TPersistent::StaticClass());
  EXPECT_EQ(GetClass("TFwButton"), nullptr); // not the active group
  TClass previous = ActivateClassGroup(&control);
  EXPECT_EQ(previous, TPersistent::StaticClass());
  EXPECT_EQ(GetClass("TFwButton"), &button);
  EXPECT_EQ(GetClass("TPlainThing"), &plain); // base group stays visible
  GroupDescendentsWith(&plain, &control);
  EXPECT_EQ(ClassGroupOf(&plain), &control);
  // A finder answers for one group whatever is active.
  TClassFinder finder(&button);
  EXPECT_EQ(finder.GetClass("TFwButton"), &button);
  EXPECT_EQ(TClassFinder(TComponent::StaticClass()).GetClass("TFwButton"), nullptr);
  EXPECT_THROW(TClassFinder(TComponent::StaticClass()).FindClass("TFwButton"), EClassNotFound);
  EXPECT_EQ(ActivateClassGroup(previous), &control);
  EXPECT_EQ(ActiveClassGroup(), TPersistent::StaticClass());
  UnRegisterClasses({&button, &plain});
}

TEST(ClassRegistry, WithdrawingAGroupTakesItsNamesAndAliasesOnly) {
  RegisterClass(TSample::StaticClass()); // the environment's own (group 0)
  static const TClassRec widget = Derived("TPkgWidget", TComponent::StaticClass());
  static const TClassRec gadget = Derived("TPkgGadget", &widget);
  const Integer saved = CurrentGroup;
  CurrentGroup = 7;
  RegisterClass(&gadget);                // brings its unregistered ancestor along, stamped the same
  RegisterClass(TSample::StaticClass()); // registered already: keeps its group
  RegisterClassAlias(&gadget, "TOldGadget");
  CurrentGroup = saved;
  ASSERT_EQ(GetClass("TOldGadget"), &gadget);
  ASSERT_EQ(GetClass("TPkgWidget"), &widget);

  UnRegisterGroupClasses(7);
  EXPECT_EQ(GetClass("TPkgGadget"), nullptr);
  EXPECT_EQ(GetClass("TPkgWidget"), nullptr);
  EXPECT_EQ(GetClass("TOldGadget"), nullptr);
  EXPECT_EQ(GetClass("TSample"), TSample::StaticClass());
  // The names are free again for whoever registers them next.
  RegisterClass(&widget);
  EXPECT_EQ(GetClass("TPkgWidget"), &widget);
  UnRegisterClasses({&widget, TSample::StaticClass()});
}

TEST(MethodTables, LargeTablesStayIndexedThroughRenamesAndRemovals) {
  TMethodTable t;
  for (std::uintptr_t i = 1; i <= 100; ++i)
    t.Add("Handler" + std::to_string(i), reinterpret_cast<void*>(i));
  EXPECT_EQ(t.AddressOf("HANDLER50"), reinterpret_cast<void*>(std::uintptr_t{50}));
  ASSERT_TRUE(t.Rename(reinterpret_cast<void*>(std::uintptr_t{50}), "Renamed"));
  EXPECT_EQ(t.AddressOf("Handler50"), nullptr);
  EXPECT_EQ(t.AddressOf("renamed"), reinterpret_cast<void*>(std::uintptr_t{50}));
  EXPECT_EQ(*t.NameOf(reinterpret_cast<void*>(std::uintptr_t{50})), "Renamed");
  EXPECT_EQ(t.Entries().back().Name, "Renamed"); // a renamed entry moves to the end
  ASSERT_TRUE(t.Remove(reinterpret_cast<void*>(std::uintptr_t{7})));
  EXPECT_EQ(t.NameOf(reinterpret_cast<void*>(std::uintptr_t{7})), nullptr);
  EXPECT_FALSE(t.Remove(reinterpret_cast<void*>(std::uintptr_t{7})));
  EXPECT_EQ(t.Count(), 99u);
  // A name added twice: the earlier entry wins until it goes, then the later one shows.
  t.Add("handler3", reinterpret_cast<void*>(std::uintptr_t{200}));
  EXPECT_EQ(t.AddressOf("Handler3"), reinterpret_cast<void*>(std::uintptr_t{3}));
  ASSERT_TRUE(t.Remove(reinterpret_cast<void*>(std::uintptr_t{3})));
  EXPECT_EQ(t.AddressOf("Handler3"), reinterpret_cast<void*>(std::uintptr_t{200}));
}

TEST(MethodTables, RenamingManyAtOnceEndsLikeRenamingEachInTurn) {
  auto code = [](std::uintptr_t i) { return reinterpret_cast<void*>(i); };
  using TRenameList = std::vector<std::pair<void*, String>>;
  const std::pair<const char*, TRenameList> cases[] = {
      {"the newest entries", {{code(40), "A40"}, {code(39), "A39"}, {code(38), "A38"}}},
      {"a code it lacks", {{code(5), "Five"}, {code(99), "Nowhere"}, {code(6), "Six"}}},
      {"one code twice", {{code(3), "First"}, {code(4), "Four"}, {code(3), "Second"}}},
      {"names swapped", {{code(1), "Handler2"}, {code(2), "Handler1"}}},
      {"a name another keeps", {{code(8), "handler9"}, {code(10), "Ten"}}},
  };
  for (const auto& [what, renames] : cases) {
    TMethodTable batch, single;
    for (std::uintptr_t i = 1; i <= 40; ++i) {
      batch.Add("Handler" + std::to_string(i), code(i));
      single.Add("Handler" + std::to_string(i), code(i));
    }
    batch.AddressOf("Handler1"); // indexed, as a designed class is by then
    single.AddressOf("Handler1");
    batch.RenameAll(renames);
    for (const auto& [c, name] : renames)
      single.Rename(c, name);
    ASSERT_EQ(batch.Count(), single.Count()) << what;
    for (std::size_t i = 0; i < single.Count(); ++i) {
      const auto& e = single.Entries()[i];
      EXPECT_EQ(batch.Entries()[i].Name, e.Name) << what;
      EXPECT_EQ(batch.Entries()[i].Code, e.Code) << what;
      EXPECT_EQ(batch.AddressOf(e.Name), single.AddressOf(e.Name)) << what << " " << e.Name;
      EXPECT_EQ(*batch.NameOf(e.Code), *single.NameOf(e.Code)) << what;
    }
    for (const char* gone : {"Handler40", "Handler5", "Handler3", "Handler8"})
      EXPECT_EQ(batch.AddressOf(gone), single.AddressOf(gone)) << what << " " << gone;
  }
}

TEST(MethodTables, DesignedHandlerNumbersAreNeverCalled) {
  TOwned<TSample> s(New<TSample>(nullptr));
  void* real = s->MethodAddress("Clicked");
  const auto number = reinterpret_cast<void*>(std::uintptr_t{0x10001});
  EXPECT_TRUE(IsCallableCode(real));
  EXPECT_FALSE(IsCallableCode(reinterpret_cast<void*>(std::uintptr_t{42})));
  EXPECT_TRUE(IsCallableCode(number)); // an address until a run-time class hands it out
  while (RunTimeMethodCodes().Acquire() < 0x10001) {
  }
  EXPECT_FALSE(IsCallableCode(number));
  TNotifyEvent designed;
  designed.Code = number;
  designed.Data = s.get();
  designed(s.get()); // must not jump to the number
  EXPECT_EQ(s->Clicks, 0);
  ForgetRunTimeMethodCodes();
  EXPECT_TRUE(IsCallableCode(number));
}
