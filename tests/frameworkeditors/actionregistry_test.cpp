#include "frameworkeditors/actionregistry.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "designeditors/editorregistry.h"
#include "host/hostservices.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

class TEditCopy : public TAction {
  FW_CLASS(TEditCopy)
public:
  using TAction::TAction;
};
class TMyAction : public TAction {
  FW_CLASS(TMyAction)
public:
  using TAction::TAction;
};
class TAb : public TAction {
  FW_CLASS(TAb)
public:
  using TAction::TAction;
};
/// A contained action outside the test framework's base class.
class TOtherAction : public TContainedAction {
  FW_CLASS(TOtherAction)
public:
  using TContainedAction::TContainedAction;
};

int gResourcesMade = 0;
bool gResourceFails = false;

/// Holds one prototype per action class, as a resource module would.
class TStdActionsRes : public TComponent {
  FW_CLASS(TStdActionsRes)
public:
  explicit TStdActionsRes(TComponent* owner) : TComponent(owner) {
    if (gResourceFails) throw EActionError("resource broken");
    ++gResourcesMade;
    auto* copy = New<TEditCopy>(this);
    copy->SetCaption("&Copy");
    copy->SetHint("Copy|Copies the selection");
    copy->SetShortCut(TShortCut(16451));
    copy->SetImageIndex(3);
    copy->SetChecked(true);
    copy->SetCategory("Edit");
  }
};

class TTestIDEActions : public TIDEActions {
  FW_CLASS(TTestIDEActions)
public:
  TClass BaseActionClass() const override { return TCustomAction::StaticClass(); }
  TClass BaseActionListClass() const override { return TActionList::StaticClass(); }
};
class TOtherIDEActions : public TIDEActions {
  FW_CLASS(TOtherIDEActions)
public:
  TClass BaseActionClass() const override { return TContainedAction::StaticClass(); }
  TClass BaseActionListClass() const override { return TCustomActionList::StaticClass(); }
};

template <class T, class P> TClass Declare(const char* name) {
  return TClassBuilder<T, P>(name, "ActionTests").Build();
}
TClass TEditCopy::StaticClass() {
  static const TClass c = Declare<TEditCopy, TAction>("TEditCopy");
  return c;
}
TClass TMyAction::StaticClass() {
  static const TClass c = Declare<TMyAction, TAction>("TMyAction");
  return c;
}
TClass TAb::StaticClass() {
  static const TClass c = Declare<TAb, TAction>("TAb");
  return c;
}
TClass TOtherAction::StaticClass() {
  static const TClass c = Declare<TOtherAction, TContainedAction>("TOtherAction");
  return c;
}
TClass TStdActionsRes::StaticClass() {
  static const TClass c = Declare<TStdActionsRes, TComponent>("TStdActionsRes");
  return c;
}
TClass TTestIDEActions::StaticClass() {
  static const TClass c = Declare<TTestIDEActions, TIDEActions>("TTestIDEActions");
  return c;
}
TClass TOtherIDEActions::StaticClass() {
  static const TClass c = Declare<TOtherIDEActions, TIDEActions>("TOtherIDEActions");
  return c;
}

const TTestIDEActions gTestFramework;
const TOtherIDEActions gOtherFramework;

struct TSeen {
  String Category;
  TClass Class;
};

class RegisteredActions : public ::testing::Test {
protected:
  void SetUp() override {
    gResourcesMade = 0;
    gResourceFails = false;
    NotifyActionListChange = &CountChange;
    changes = 0;
  }
  void TearDown() override {
    NotifyActionListChange = nullptr;
    UnRegisterClasses({TEditCopy::StaticClass(), TMyAction::StaticClass(), TAb::StaticClass(),
                       TOtherAction::StaticClass()});
  }
  std::vector<TSeen> Enum(const String& framework = "Test") {
    std::vector<TSeen> seen;
    registry.EnumActions(
        [&](const String& cat, TClass cls, void* info) {
          EXPECT_EQ(info, &registry);
          seen.push_back({cat, cls});
        },
        &registry, framework);
    return seen;
  }
  static void CountChange() { ++changes; }
  static inline int changes = 0;
  TActionRegistry registry;
};

} // namespace

TEST_F(RegisteredActions, CategoriesMatchIgnoringCaseAndKeepOneEntryPerClass) {
  registry.RegActions("Edit", {TEditCopy::StaticClass(), TEditCopy::StaticClass()}, nullptr);
  registry.RegActions("EDIT", {TEditCopy::StaticClass(), TMyAction::StaticClass()}, nullptr);
  registry.RegActions(
      "File",
      {TEditCopy::StaticClass(), nullptr, TStdActionsRes::StaticClass() /* not an action */},
      nullptr);
  const auto& cats = registry.Categories();
  ASSERT_EQ(cats.size(), 2u);
  EXPECT_EQ(cats[0].Name, "EDIT"); // the last registration's spelling
  ASSERT_EQ(cats[0].Entries.size(), 2u);
  EXPECT_EQ(cats[0].Entries[0].ActionClass, TEditCopy::StaticClass());
  EXPECT_EQ(cats[0].Entries[1].ActionClass, TMyAction::StaticClass());
  ASSERT_EQ(cats[1].Entries.size(), 1u);
  // Registered classes stream by name.
  EXPECT_EQ(GetClass("TMyAction"), TMyAction::StaticClass());
  EXPECT_EQ(changes, 0);

  // Another class under a taken name is refused before anything changes.
  TClassRec impostor = *TAb::StaticClass();
  impostor.ClassName = "TMyAction";
  EXPECT_THROW(registry.RegActions("New", {&impostor}, nullptr), EFilerError);
  EXPECT_EQ(registry.Categories().size(), 2u);
}

TEST_F(RegisteredActions, EnumerationFollowsTheFrameworkAndDropsEmptiedCategories) {
  registry.RegActions("Edit", {TEditCopy::StaticClass(), TOtherAction::StaticClass()}, nullptr);
  registry.RegActions("File", {TMyAction::StaticClass()}, nullptr);
  EXPECT_TRUE(Enum().empty()) << "no framework registered";

  registry.RegisterActionsInFramework("  test ", &gTestFramework);
  registry.RegisterActionsInFramework("Other", &gOtherFramework);
  auto seen = Enum();
  ASSERT_EQ(seen.size(), 2u); // TOtherAction is not one of this framework's actions
  EXPECT_EQ(seen[0].Category, "Edit");
  EXPECT_EQ(seen[0].Class, TEditCopy::StaticClass());
  EXPECT_EQ(seen[1].Class, TMyAction::StaticClass());
  EXPECT_EQ(Enum("other").size(), 3u);
  EXPECT_TRUE(Enum("").empty());
  EXPECT_TRUE(Enum("Missing").empty());

  registry.UnRegActions({TMyAction::StaticClass()});
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(registry.Categories().size(), 2u);
  EXPECT_EQ(registry.Categories()[1].Entries.size(), 1u) << "emptied in place";
  EXPECT_EQ(registry.Categories()[1].Entries[0].Group, -1);
  seen = Enum();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(registry.Categories()[1].Name, "File");
  EXPECT_TRUE(registry.Categories()[1].Entries.empty()) << "dropped by the enumeration";
}

TEST_F(RegisteredActions, NewActionsCopyThePrototypeMatchedByClassName) {
  registry.RegActions("Edit", {TEditCopy::StaticClass()}, TStdActionsRes::StaticClass());
  registry.RegActions("Edit", {TMyAction::StaticClass()}, TStdActionsRes::StaticClass());
  TOwned<TComponent> owner(New<TComponent>(nullptr));

  auto* a =
      dynamic_cast<TEditCopy*>(registry.CreateAction(owner.get(), TEditCopy::StaticClass(), ""));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Owner(), owner.get());
  EXPECT_EQ(a->Caption(), "&Copy");
  EXPECT_EQ(a->Hint(), "Copy|Copies the selection");
  EXPECT_EQ(static_cast<int>(a->ShortCut()), 16451);
  EXPECT_EQ(a->ImageIndex(), 3);
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(a->GetCategory(), "") << "the plain copy leaves the category alone";
  EXPECT_EQ(gResourcesMade, 1);

  // With a framework its AssignAction decides: the base copies the category only.
  registry.RegisterActionsInFramework("Test", &gTestFramework);
  auto* b = dynamic_cast<TEditCopy*>(
      registry.CreateAction(owner.get(), TEditCopy::StaticClass(), "TEST"));
  EXPECT_EQ(b->GetCategory(), "Edit");
  EXPECT_EQ(b->Caption(), "");
  EXPECT_EQ(gResourcesMade, 1) << "the resource instance is cached";

  // A class without a prototype in the resource comes out plain.
  auto* c =
      dynamic_cast<TMyAction*>(registry.CreateAction(owner.get(), TMyAction::StaticClass(), ""));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Caption(), "");

  // Registering with the resource again refreshes the prototypes.
  registry.RegActions("Edit", {TEditCopy::StaticClass()}, TStdActionsRes::StaticClass());
  EXPECT_EQ(registry.CachedResource(TStdActionsRes::StaticClass()), nullptr);
  registry.CreateAction(owner.get(), TEditCopy::StaticClass(), "");
  EXPECT_EQ(gResourcesMade, 2);
  registry.UnRegActions({});
  EXPECT_EQ(registry.CachedResource(TStdActionsRes::StaticClass()), nullptr);
}

TEST_F(RegisteredActions, CreationRefusesNonActionsAndPassesResourceFailures) {
  EXPECT_EQ(MessageOf<EActionError>(
                [&] { registry.CreateAction(nullptr, TStdActionsRes::StaticClass(), ""); }),
            "The created action, must inherit from TContainedAction");
  EXPECT_EQ(MessageOf<EActionError>([&] { registry.CreateAction(nullptr, nullptr, ""); }),
            "The created action, must inherit from TContainedAction");

  // Unregistered classes are made plain.
  TOwned<TBasicAction> plain(registry.CreateAction(nullptr, TAb::StaticClass(), ""));
  EXPECT_EQ(plain->ClassType(), TAb::StaticClass());

  registry.RegActions("Edit", {TEditCopy::StaticClass()}, TStdActionsRes::StaticClass());
  gResourceFails = true;
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  EXPECT_EQ(MessageOf<EActionError>(
                [&] { registry.CreateAction(owner.get(), TEditCopy::StaticClass(), ""); }),
            "resource broken");
  EXPECT_EQ(owner->ComponentCount(), 1) << "the owner keeps the action made before the failure";
  // Without an owner nobody would free it; LeakSanitizer checks that it is not lost.
  EXPECT_EQ(MessageOf<EActionError>(
                [&] { registry.CreateAction(nullptr, TEditCopy::StaticClass(), ""); }),
            "resource broken");
}

TEST_F(RegisteredActions, NewActionNamesStripPrefixesThatLeaveMoreThanTwoCharacters) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  const struct {
    TClass Class;
    const char* Category; // the action's own
    const char* Given;
    const char* Name;
  } cases[] = {
      {TEditCopy::StaticClass(), "Edit", "Edit", "TEditCopy"},
      {TEditCopy::StaticClass(), "Edit", "", "TEditCopy"},
      {TEditCopy::StaticClass(), "Ed it", "E dit", "TEditCopy"},
      {TMyAction::StaticClass(), "File", "File", "TFileMyAction"},
      {TMyAction::StaticClass(), "My", "", "TMyAction"},
      {TAb::StaticClass(), "", "", "TTAb"},
      {TAb::StaticClass(), "A", "A", "TATAb"},
      {TBasicAction::StaticClass(), "", "Basic", "TBasicAction"}, // has none
  };
  for (const auto& c : cases) {
    auto* action = static_cast<TBasicAction*>(CreateComponent(c.Class, owner.get()));
    if (*c.Category) static_cast<TContainedAction*>(action)->SetCategory(c.Category);
    EXPECT_EQ(GetNewActionName(action, c.Given), c.Name) << c.Category << " " << c.Given;
  }
}

TEST_F(RegisteredActions, FrameworksAreKeyedByTrimmedUpperCaseName) {
  EXPECT_EQ(registry.GetIDEActions(""), nullptr);
  EXPECT_EQ(
      MessageOf<EActionError>([&] { registry.RegisterActionsInFramework("  ", &gTestFramework); }),
      "Invalid string constant");
  EXPECT_EQ(MessageOf<EActionError>([&] { registry.RegisterActionsInFramework("X", nullptr); }),
            "Parameter AIDEActions cannot be nil");
  EXPECT_EQ(registry.FrameworkCount(), 0);

  registry.RegisterActionsInFramework("Tarn", &gTestFramework);
  registry.RegisterActionsInFramework(" tarn", &gTestFramework); // the same class: no change
  EXPECT_EQ(MessageOf<EActionError>(
                [&] { registry.RegisterActionsInFramework("TARN", &gOtherFramework); }),
            "The TARN framework is already registered");
  registry.RegisterActionsInFramework("Alpha", &gOtherFramework);
  EXPECT_EQ(registry.GetIDEActions("tarn "), &gTestFramework);
  EXPECT_EQ(registry.GetIDEActions(""), nullptr);

  TStringList names;
  names.Add("stale");
  EXPECT_EQ(registry.GetIDEActionsList(&names), 2);
  EXPECT_EQ(Lines(names), (std::vector<String>{"ALPHA", "TARN"}));
  EXPECT_EQ(names.Objects(1), &gTestFramework);
  EXPECT_EQ(MessageOf<EActionError>([&] { registry.GetIDEActionsList(nullptr); }),
            "Parameter List cannot be nil");

  registry.UnregisterActionsInFramework("alpha");
  registry.UnregisterActionsInFramework("never");
  EXPECT_EQ(registry.FrameworkCount(), 1);
  registry.UnregisterActionsInFramework("Tarn");
  EXPECT_EQ(registry.FrameworkCount(), 0);
  EXPECT_EQ(registry.GetIDEActions("Tarn"), nullptr);
}

TEST_F(RegisteredActions, ActionListsFindTheirFrameworkOrFallBackToTheActiveProject) {
  THostServicesScope scope;
  String type = "stale";
  EXPECT_EQ(registry.GetIDEActions(nullptr, type), nullptr);
  EXPECT_EQ(type, "") << "no active project";

  auto project = scope.Services().Modules().OpenProject("App.dproj");
  scope.Services().Modules().SetActiveProject(project);
  project->FrameworkType = "Tarn";
  registry.RegisterActionsInFramework("Tarn", &gTestFramework);
  EXPECT_EQ(registry.GetIDEActions(nullptr, type), &gTestFramework);
  EXPECT_EQ(type, "Tarn");

  // The last framework in name order whose list class fits wins.
  registry.RegisterActionsInFramework("Alpha", &gOtherFramework);
  TOwned<TActionList> list(New<TActionList>(nullptr));
  EXPECT_EQ(registry.GetIDEActions(list.get(), type), &gTestFramework);
  EXPECT_EQ(type, "TARN");
  TOwned<TCustomActionList> bare(New<TCustomActionList>(nullptr));
  EXPECT_EQ(registry.GetIDEActions(bare.get(), type), &gOtherFramework);
  EXPECT_EQ(type, "ALPHA");
}

TEST(ActionRegistryHooks, PackagesReachTheRegistryThroughTheActionUnitUntilShutDown) {
  ActionRegistryStartup();
  RegisterActions("Edit", {TAb::StaticClass()});
  const Integer group = NewEditorGroup();
  RegisterActions("Edit", {TEditCopy::StaticClass()}, TStdActionsRes::StaticClass());
  CurrentGroup = 0;
  RegisterActionsInFramework("Test", &gTestFramework);
  std::vector<TClass> seen;
  const auto collect = [&](const String&, TClass cls, void*) { seen.push_back(cls); };
  EnumRegisteredActions(collect, nullptr, "Test");
  EXPECT_EQ(seen, (std::vector<TClass>{TAb::StaticClass(), TEditCopy::StaticClass()}));
  TOwned<TBasicAction> made(CreateAction(nullptr, TEditCopy::StaticClass()));
  EXPECT_EQ(static_cast<TCustomAction*>(made.get())->Caption(), "&Copy");

  // Unloading the package withdraws its actions only.
  FreeEditorGroup(group);
  seen.clear();
  EnumRegisteredActions(collect, nullptr, "Test");
  EXPECT_EQ(seen, std::vector<TClass>{TAb::StaticClass()});

  ActionRegistryShutdown();
  EXPECT_EQ(MessageOf<EActionError>([] { RegisterActions("Edit", {TMyAction::StaticClass()}); }),
            sInvalidActionRegistration);
  EXPECT_EQ(GetIDEActions("Test"), nullptr);
  EXPECT_TRUE(ActionRegistry().Categories().empty());
  UnRegisterClasses({TEditCopy::StaticClass(), TAb::StaticClass()});
}
