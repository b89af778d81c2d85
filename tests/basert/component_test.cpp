#include "basert/component.h"

#include "basert/datamodule.h"
#include "basert/exceptions.h"
#include "test_classes.h"
#include "test_util.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

/// A designer hook that records what it is told and refuses names starting with "Bad".
class TRecordingHook : public TInterfacedObject, public IDesignerHook {
public:
  void Modified() override {}
  void Notification(TPersistent* object, TOperation op) override {
    Notices.emplace_back(object, op);
  }
  void ValidateRename(TComponent* component, const String& cur, const String& next) override {
    Renames.push_back((component ? component->ClassName() : String("nil")) + ":" + cur + ">" +
                      next);
    if (next.rfind("Bad", 0) == 0) throw EComponentError("refused");
  }
  String UniqueName(const String& base) override { return base + "1"; }
  TComponent* GetRoot() override { return nullptr; }
  std::vector<std::pair<TPersistent*, TOperation>> Notices;
  std::vector<String> Renames;
};

} // namespace

TEST(Components, OwnerFindsByNameIgnoringCaseFollowsRenamesAndRefusesBadNames) {
  TOwned<TComponent> root(New<TComponent>(nullptr));
  auto* a = New<TSample>(root.get());
  auto* b = New<TSample>(root.get());
  a->SetName("Alpha");
  b->SetName("Beta");
  EXPECT_EQ(root->FindComponent("ALPHA"), a);
  a->SetName("Gamma");
  EXPECT_EQ(root->FindComponent("alpha"), nullptr);
  EXPECT_EQ(root->FindComponent("gamma"), a);
  a->SetName("GAMMA"); // a change of case only is a rename, not a duplicate
  EXPECT_EQ(a->Name(), "GAMMA");
  EXPECT_EQ(root->FindComponent("Gamma"), a);
  EXPECT_EQ(root->FindComponent(""), nullptr);
  EXPECT_EQ(b->ComponentIndex(), 1);
  b->SetComponentIndex(-5);
  EXPECT_EQ(b->ComponentIndex(), 0);
  EXPECT_EQ(root->Components(1), a);
  EXPECT_THROW(root->Components(2), EListError);
  EXPECT_EQ(root->ComponentCount(), 2);

  for (const char* bad : {"1abc", "a b", "a-b", "\xC3\xA9t\xC3\xA9"})
    EXPECT_EQ(MessageOf<EComponentError>([&] { a->SetName(bad); }),
              String("'") + bad + "' is not a valid component name");
  EXPECT_EQ(MessageOf<EComponentError>([&] { a->SetName("beta"); }),
            "A component named beta already exists");
  EXPECT_EQ(a->Name(), "GAMMA"); // a refused name leaves the old one
  EXPECT_EQ(root->FindComponent("Gamma"), a);
  EXPECT_EQ(root->FindComponent("Beta"), b);
  a->SetName(""); // an empty name is allowed and leaves the index
  EXPECT_EQ(root->FindComponent("Gamma"), nullptr);
}

TEST(Components, DesignerHookValidatesRenamesAndHearsInsertsAndRemoves) {
  TOwned<TComponent> root(New<TComponent>(nullptr));
  IPtr<TRecordingHook> hook(new TRecordingHook);
  root->SetDesigner(IPtr<IDesignerHook>(hook.get()));
  root->SetName("Form1");
  auto* a = New<TSample>(root.get());
  a->SetName("Button1");
  EXPECT_THROW(a->SetName("BadName"), EComponentError);
  EXPECT_EQ(a->Name(), "Button1");
  EXPECT_EQ(root->FindComponent("Button1"), a);
  EXPECT_THROW(root->SetName("BadRoot"), EComponentError);
  EXPECT_EQ(root->Name(), "Form1");
  a->Free();
  EXPECT_EQ(hook->Renames, (std::vector<String>{"nil:>Form1", "TSample:>", "TSample:>Button1",
                                                "TSample:Button1>BadName", "nil:Form1>BadRoot",
                                                "TSample:Button1>"}));
  ASSERT_EQ(hook->Notices.size(), 2u);
  EXPECT_EQ(hook->Notices[0].second, notifyInsert);
  EXPECT_EQ(hook->Notices[1].second, notifyRemove);
  EXPECT_EQ(root->FindRootDesigner().get(), static_cast<IDesignerHook*>(hook.get()));
  root->SetDesigner(nullptr);
}

TEST(Components, NotificationsReachListenersWithTheWholeObject) {
  TOwned<TComponent> root(New<TComponent>(nullptr));
  auto* listener = New<TListener>(root.get());
  auto* plain = New<TComponent>(root.get());
  auto* sample = New<TSample>(root.get());
  // The new component's class is known while its owner is told of it.
  ASSERT_EQ(listener->Seen.size(), 2u);
  EXPECT_EQ(listener->SeenClassNames[1], "TSample");
  sample->Free();
  ASSERT_EQ(listener->Seen.size(), 3u);
  EXPECT_EQ(listener->Seen[2].second, notifyRemove);
  EXPECT_EQ(listener->SeenClassNames[2], "TSample");
  // A listener nested below a plain component still hears its root's changes.
  auto* nested = New<TListener>(plain);
  New<TComponent>(root.get());
  EXPECT_EQ(nested->Seen.size(), 1u);
}

TEST(Components, FreeNotificationAcrossOwnersClearsReferences) {
  TOwned<TComponent> form(New<TComponent>(nullptr));
  TOwned<TComponent> module(New<TComponent>(nullptr));
  auto* watcher = New<TListener>(form.get());
  auto* target = New<TSample>(module.get());
  watcher->Watched = target;
  watcher->FreeNotification(target);
  EXPECT_TRUE(watcher->ComponentState().Contains(stateFreeNotification));
  module.reset(); // frees the target with its owner
  EXPECT_EQ(watcher->Watched, nullptr);
  // And the other way round: the watcher goes first, the target must forget it.
  TOwned<TComponent> module2(New<TComponent>(nullptr));
  auto* target2 = New<TSample>(module2.get());
  watcher->FreeNotification(target2);
  watcher->Free();
  target2->Free(); // would touch the freed watcher if the link were left behind
}

TEST(Components, StateFlagsPropagateToOwnedComponents) {
  TOwned<TComponent> root(New<TComponent>(nullptr));
  auto* child = New<TComponent>(root.get());
  auto* grandchild = New<TComponent>(child);
  root->SetDesigning(true);
  EXPECT_TRUE(grandchild->ComponentState().Contains(stateDesigning));
  auto* late = New<TComponent>(root.get()); // inserted into a designing owner
  EXPECT_TRUE(late->ComponentState().Contains(stateDesigning));
  root->SetAncestor(true);
  EXPECT_TRUE(grandchild->ComponentState().Contains(stateAncestor));
  root->SetAncestor(false);
  EXPECT_FALSE(child->ComponentState().Contains(stateAncestor));
  EXPECT_TRUE(child->ComponentStyle().Contains(styleInheritable));
}

namespace {
struct TFlagProbe : TComponent {
  FW_CLASS(TFlagProbe)
public:
  explicit TFlagProbe(TComponent* owner) : TComponent(owner) {
    DesigningAtConstruction = ComponentState().Contains(stateDesigning);
    DesignInstanceAtConstruction = ComponentState().Contains(stateDesignInstance);
  }
  bool DesigningAtConstruction = false;
  bool DesignInstanceAtConstruction = false;
};
TClass TFlagProbe::StaticClass() {
  static const TClass cls = TClassBuilder<TFlagProbe, TComponent>("TFlagProbe").Build();
  return cls;
}
} // namespace

TEST(Components, CreationWithStateFlagsTheInstanceBeforeItsConstructorRuns) {
  TComponent* seen = nullptr;
  TOwned<TComponent> c(CreateComponentWithState(TFlagProbe::StaticClass(), nullptr,
                                                {stateDesigning, stateDesignInstance},
                                                [&](TComponent* x) { seen = x; }));
  auto* probe = static_cast<TFlagProbe*>(c.get());
  EXPECT_TRUE(probe->DesigningAtConstruction);
  EXPECT_TRUE(probe->DesignInstanceAtConstruction);
  EXPECT_EQ(seen, c.get());
  TOwned<TComponent> plain(CreateComponent(TFlagProbe::StaticClass(), nullptr));
  EXPECT_FALSE(static_cast<TFlagProbe*>(plain.get())->DesigningAtConstruction);
}

TEST(Components, InterfacesAreNotCountedAndReferToTheComponent) {
  TOwned<TComponent> c(New<TComponent>(nullptr));
  IPtr<IInterfaceComponentReference> ref;
  ASSERT_TRUE(Supports(c.get(), &ref));
  EXPECT_EQ(ref->GetComponent(), c.get());
  EXPECT_TRUE(c->IsImplementorOf(IPtr<IInterface>(ref.get())));
  ref.reset(); // releasing does not free a component
  EXPECT_EQ(c->ComponentCount(), 0);
}

TEST(DataModules, ListParentlessComponentsAsChildren) {
  TOwned<TDataModule> dm(New<TDataModule>(nullptr));
  auto* a = New<TComponent>(dm.get());
  auto* b = New<TSample>(dm.get());
  std::vector<TComponent*> kids;
  dm->GetChildren([&](TComponent* c) { kids.push_back(c); }, dm.get());
  EXPECT_EQ(kids, (std::vector<TComponent*>{a, b}));
  EXPECT_NE(GetPropInfo(dm.get(), "OnCreate", tkMethods), nullptr);
}

namespace {
/// Logs its name when freed, and may free a sibling along with itself.
struct TTracked : TComponent {
  FW_CLASS(TTracked)
public:
  using TComponent::TComponent;
  ~TTracked() override {
    if (Log) Log->push_back(Name());
    if (Takes) Takes->Free();
  }
  std::vector<String>* Log = nullptr;
  TComponent* Takes = nullptr;
};
TClass TTracked::StaticClass() {
  static const TClass cls = TClassBuilder<TTracked, TComponent>("TTracked").Build();
  return cls;
}
} // namespace

// Removals leave the owner's list in pieces until someone looks: every way of looking, and every
// change made while pieces are still missing, must see the plain order.
TEST(Components, OrderAndLookupsAgreeAfterRemovalsFromTheMiddle) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* listener = New<TListener>(owner.get());
  listener->SetName("L");
  std::vector<TComponent*> model{listener};
  std::vector<String> freed;
  std::vector<TComponent*> removed; // in the order the owner's listeners must hear of them
  auto make = [&](const String& name) {
    auto* c = New<TTracked>(owner.get());
    c->SetName(name);
    c->Log = &freed;
    model.push_back(c);
  };
  for (int i = 0; i < 16; ++i)
    make("C" + std::to_string(i));
  auto at = [&](const String& name) {
    return std::find(model.begin(), model.end(), owner->FindComponent(name)) - model.begin();
  };

  enum TOp { opFree, opMove, opReinsert, opMake, opCheckIndex, opCheckItems, opCheckList };
  struct TStep {
    TOp Op;
    const char* Name;
    Integer To;
  };
  const TStep steps[] = {
      {opFree, "C6"},       {opFree, "C3"},     {opFree, "C9"},      {opCheckIndex, "C15"},
      {opFree, "C10"},      {opFree, "C1"},     {opCheckItems},      {opFree, "C15"},
      {opFree, "C14"},      {opFree, "C13"},    {opMake, "C3"},      {opCheckList},
      {opFree, "C4"},       {opMove, "C12", 1}, {opFree, "C0"},      {opMove, "L", 99},
      {opCheckIndex, "C2"}, {opFree, "C2"},     {opReinsert, "C11"}, {opFree, "C7"},
      {opMove, "C5", -3},   {opMake, "C20"},    {opFree, "C8"},      {opCheckItems},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(::testing::Message() << s.Op << " " << (s.Name ? s.Name : ""));
    switch (s.Op) {
    case opFree: {
      const auto i = at(s.Name);
      ASSERT_LT(i, std::ssize(model));
      removed.push_back(model[static_cast<std::size_t>(i)]);
      model[static_cast<std::size_t>(i)]->Free();
      model.erase(model.begin() + i);
      EXPECT_EQ(freed.back(), s.Name);
      break;
    }
    case opMove: {
      const auto i = at(s.Name);
      TComponent* c = model[static_cast<std::size_t>(i)];
      c->SetComponentIndex(s.To);
      model.erase(model.begin() + i);
      const auto to = std::clamp<std::ptrdiff_t>(s.To, 0, std::ssize(model));
      model.insert(model.begin() + to, c);
      break;
    }
    case opReinsert: {
      TComponent* c = model[static_cast<std::size_t>(at(s.Name))];
      removed.push_back(c);
      owner->RemoveComponent(c);
      EXPECT_EQ(c->ComponentIndex(), -1);
      owner->InsertComponent(c);
      std::erase(model, c);
      model.push_back(c);
      break;
    }
    case opMake:
      make(s.Name);
      break;
    case opCheckIndex: // asked of one component first, before anything packs the list
      EXPECT_EQ(owner->FindComponent(s.Name)->ComponentIndex(), at(s.Name));
      break;
    case opCheckItems:
      for (std::size_t i = model.size(); i-- > 0;)
        EXPECT_EQ(owner->Components(static_cast<Integer>(i)), model[i]);
      EXPECT_THROW(owner->Components(static_cast<Integer>(model.size())), EListError);
      break;
    case opCheckList:
      EXPECT_EQ(owner->ComponentList(), model);
      break;
    }
    ASSERT_EQ(owner->ComponentCount(), std::ssize(model));
  }
  EXPECT_EQ(owner->ComponentList(), model);
  for (std::size_t i = 0; i < model.size(); ++i) {
    EXPECT_EQ(model[i]->ComponentIndex(), static_cast<Integer>(i));
    EXPECT_EQ(owner->FindComponent(model[i]->Name()), model[i]);
  }
  std::vector<TComponent*> heard;
  for (const auto& [c, op] : listener->Seen)
    if (op == notifyRemove) heard.push_back(c);
  EXPECT_EQ(heard, removed);

  // Last first; a component freeing a sibling from its destructor leaves a hole behind the one
  // being destroyed, which the sweep must step over.
  auto* taker = dynamic_cast<TTracked*>(model[model.size() - 2]);
  ASSERT_NE(taker, nullptr);
  taker->Takes = model[2];
  std::vector<String> expected;
  for (std::size_t i = model.size(); i-- > 0;) {
    if (model[i] == taker->Takes) continue;
    if (model[i] != listener) expected.push_back(model[i]->Name());
    if (model[i] == taker) expected.push_back(taker->Takes->Name());
  }
  freed.clear();
  owner->DestroyComponents();
  EXPECT_EQ(freed, expected);
  EXPECT_EQ(owner->ComponentCount(), 0);
  EXPECT_TRUE(owner->ComponentList().empty());
}
