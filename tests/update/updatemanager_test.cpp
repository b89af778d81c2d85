#include "update/updatemanager.h"
#include "update/updateobject.h"

#include "basert/classreg.h"
#include "support/testutil.h"
#include "support/updatemodel.h"

#include <gtest/gtest.h>

#include <memory>

namespace fwtest {
namespace {

/// A module root as the manager sees it: records every call, streams components the usual way.
class TRecorder : public TInterfacedObject, public IUpdateManagerCallback {
  FW_CLASS(TRecorder)
public:
  std::vector<String> Log;
  std::function<void()> OnUpdating;
  TClass Group = nullptr;

  void Updating(const IPtr<IUpdateManager>&) override {
    Log.push_back("Updating");
    if (OnUpdating) OnUpdating();
  }
  void Updated(const IPtr<IUpdateManager>&) override { Log.push_back("Updated"); }
  void Deleting(const IPtr<IUpdateManager>&, TPersistent* component) override {
    // Still whole when told.
    Log.push_back("Deleting " + static_cast<TComponent*>(component)->Name());
  }
  TComponent* UpdateManagerCreateComponent(TClass cls, TComponent* owner) override {
    Log.push_back("Create " + cls->ClassName + " in " + owner->Name());
    return nullptr;
  }
  void WriteComponent(TWriter* writer, TComponent* component) override {
    Log.push_back("Write " + component->Name());
    writer->WriteComponent(component);
  }
  void ComponentCreated(TComponent* component) override {
    Log.push_back("Created " + component->Name());
  }
  TClass ClassGroup() override { return Group; }
};

/// Speaks the interface without being the engine's manager.
class TForeignManager : public TInterfacedObject, public IUpdateManager {
  FW_CLASS(TForeignManager)
public:
  bool CanRevert(TPersistent*, PPropInfo) override { return false; }
  TComponent* GetComponent() override { return nullptr; }
  TComponent* GetAncestor() override { return nullptr; }
  bool GetHasDescendents() override { return false; }
  bool GetIsDescendent() override { return false; }
  void Modified() override {}
  bool NameExists(const String&) override { return false; }
  void Notification(TPersistent*, TOperation) override {}
  void RenameComponent(const String&, const String&) override {}
  void RenameDescendents(const String&, const String&) override {}
  void Revert(TPersistent*, PPropInfo) override {}
  void Update() override {}
};

} // namespace
} // namespace fwtest

namespace fwtest {
TClass TForeignManager::StaticClass() {
  static const TClass cls =
      TClassBuilder<TForeignManager, TInterfacedObject>("TForeignManager", "Tests")
          .Implements<IUpdateManager>()
          .Build();
  return cls;
}

TClass TRecorder::StaticClass() {
  static const TClass cls = TClassBuilder<TRecorder, TInterfacedObject>("TRecorder", "Tests")
                                .Implements<IUpdateManagerCallback>()
                                .Build();
  return cls;
}

namespace {

PPropInfo Prop(TObject* o, std::string_view name) { return GetPropInfo(o, name); }

/// One open module: its root, its manager and the root's recorder.
struct TModule {
  TUpForm* Root = nullptr;
  IPtr<TRecorder> Recorder;
  IPtr<IUpdateManager> Manager;
  TUpdateManager* Impl() const { return static_cast<TUpdateManager*>(Manager.get()); }
  template <class T = TUpThing> T* Find(const String& name) const {
    return dynamic_cast<T*>(Root->FindComponent(name));
  }
};

class UpdateManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterUpdateModel();
    Base.Root = New<TUpForm>();
    Base.Root->SetName("BaseForm");
    auto* t1 = Add<TUpThing>(Base.Root, "Thing1");
    t1->FCaption = "One";
    t1->FWidth = 10;
    auto* t2 = Add<TUpThing>(Base.Root, "Thing2");
    t2->FCaption = "Two";
    auto* panel = Add<TUpBox>(Base.Root, "Panel", Base.Root);
    Add<TUpBox>(Base.Root, "A", panel);
    Add<TUpBox>(Base.Root, "B", panel);
    Add<TUpBox>(Base.Root, "C", panel);
  }

  void TearDown() override {
    // Managers first, youngest generation first; then the roots.
    for (auto it = Modules.rbegin(); it != Modules.rend(); ++it)
      (*it)->Manager = nullptr;
    Base.Manager = nullptr;
    for (auto it = Modules.rbegin(); it != Modules.rend(); ++it)
      (*it)->Root->Free();
    Base.Root->Free();
  }

  /// Opens the base module (no ancestor).
  void OpenBase() {
    Base.Recorder = IPtr<TRecorder>(New<TRecorder>());
    Base.Manager = NewUpdateManager(Base.Root, nullptr, nullptr, Base.Recorder.get());
  }

  /// The base module and one module inheriting from it.
  TModule& OpenChild() {
    OpenBase();
    return Inherit(Base, "ChildForm");
  }

  /// A module inheriting from `parent`: its root streamed from the parent's, every component in
  /// it marked inherited, and its manager registered under the parent's.
  TModule& Inherit(TModule& parent, const String& name) {
    TMemoryStream stream;
    {
      TWriter writer(&stream, 1024);
      writer.WriteRootComponent(parent.Root);
    }
    stream.SetPosition(0);
    auto* root = New<TUpForm>();
    {
      TReader reader(&stream, 1024);
      reader.ReadRootComponent(root);
    }
    root->SetName(name);
    for (TComponent* c : root->ComponentList())
      c->SetAncestor(true);
    Modules.push_back(std::make_unique<TModule>());
    TModule& m = *Modules.back();
    m.Root = root;
    m.Recorder = IPtr<TRecorder>(New<TRecorder>());
    m.Manager = NewUpdateManager(root, parent.Root, parent.Manager, m.Recorder.get());
    return m;
  }

  TModule Base;
  std::vector<std::unique_ptr<TModule>> Modules;
};

// ---- properties
// ----------------------------------------------------------------------------------

TEST_F(UpdateManagerTest, AncestorValueReachesEveryGenerationUnlessChanged) {
  TModule& child = OpenChild();
  TModule& grandchild = Inherit(child, "GrandchildForm");
  child.Find("Thing2")->FCaption = "Mine";
  child.Manager->Modified();
  EXPECT_EQ(grandchild.Find("Thing2")->FCaption, "Mine");

  auto* t1 = Base.Find("Thing1");
  t1->FCaption = "One changed";
  t1->FWidth = 20;
  t1->FRatio = 1.5;
  t1->FHint = u"hint";
  t1->FFont->FSize = 12;
  Base.Find("Thing2")->FCaption = "Two changed";
  Base.Manager->Modified();

  for (TModule* m : {&child, &grandchild}) {
    TUpThing* t = m->Find("Thing1");
    EXPECT_EQ(t->FCaption, "One changed");
    EXPECT_EQ(t->FWidth, 20);
    EXPECT_EQ(t->FRatio, 1.5);
    EXPECT_EQ(t->FHint, u"hint");
    EXPECT_EQ(t->FFont->FSize, 12);
    EXPECT_EQ(m->Find("Thing2")->FCaption, "Mine");
  }
  // Each generation ran once, between Updating and Updated.
  EXPECT_EQ(child.Recorder->Log, (std::vector<String>{"Updating", "Updated"}));
  EXPECT_EQ(grandchild.Recorder->Log,
            (std::vector<String>{"Updating", "Updated", "Updating", "Updated"}));
}

TEST_F(UpdateManagerTest, UnstoredInt64AndVariantValuesDoNotPropagate) {
  TModule& child = OpenChild();
  auto* t2 = Base.Find("Thing2");
  t2->FCaption.clear(); // not stored while empty
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing2")->FCaption, "Two");

  // An unstored ancestor value is not compared: the descendant's own caption stays listed...
  child.Find("Thing2")->FCaption = "Own";
  child.Manager->Modified();
  auto* t1 = Base.Find("Thing1");
  t1->FBig = 1234567890123;
  t1->FExtra = Variant(42);
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing1")->FBig, 0);
  EXPECT_TRUE(child.Find("Thing1")->FExtra.IsEmpty());
  EXPECT_EQ(child.Find("Thing2")->FCaption, "Own");
  // ...and takes the ancestor's once the ancestor stores one.
  t2->FCaption = "Stored again";
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing2")->FCaption, "Stored again");
}

TEST_F(UpdateManagerTest, AncestorHandlerIsReboundToTheDescendantRoot) {
  TModule& child = OpenChild();
  void* code = Base.Root->MethodAddress("ThingClick");
  ASSERT_NE(code, nullptr);
  Base.Find("Thing1")->FOnClick = TNotifyEvent{{code, static_cast<TObject*>(Base.Root)}};
  // Bound to another object: copied as it is.
  TUpThing* other = Base.Find("Thing1");
  Base.Find("Thing2")->FOnClick = TNotifyEvent{{code, static_cast<TObject*>(other)}};
  Base.Manager->Modified();

  const TMethod m1 = child.Find("Thing1")->FOnClick;
  EXPECT_EQ(m1.Code, code);
  EXPECT_EQ(m1.Data, static_cast<TObject*>(child.Root));
  const TMethod m2 = child.Find("Thing2")->FOnClick;
  EXPECT_EQ(m2.Data, static_cast<TObject*>(other));

  // A handler the descendant bound itself stays.
  child.Find("Thing1")->FOnClick = {};
  child.Manager->Modified();
  Base.Find("Thing1")->FCaption = "x";
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing1")->FOnClick.Code, nullptr);
}

TEST_F(UpdateManagerTest, ReferencesBecomeTheNamesakeOrNil) {
  TModule& child = OpenChild();
  auto* outside = New<TUpThing>(nullptr);
  Base.Find("Thing1")->SetBuddy(Base.Find("Thing2"));
  Base.Find("Thing2")->SetBuddy(outside);
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing1")->FBuddy, child.Find("Thing2"));
  EXPECT_EQ(child.Find("Thing2")->FBuddy, outside);

  // A component of the ancestor that the descendant lacks translates to nil: one the module
  // never lists as a child (its parent lies outside) is never copied.
  auto* holder = New<TUpBox>(nullptr);
  auto* orphan = Add<TUpBox>(Base.Root, "Orphan", holder);
  Base.Find("Thing1")->SetBuddy(orphan);
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Orphan"), nullptr);
  EXPECT_EQ(child.Find("Thing1")->FBuddy, nullptr);
  holder->Free();
  auto* late = Add<TUpThing>(Base.Root, "Late");
  TUpdateObject* object = child.Impl()->ComponentUpdate()->FindChild(child.Find("Thing1"));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->GetAncestorPointer(late), nullptr);
  EXPECT_EQ(object->GetAncestorPointer(Base.Find("Thing2")), child.Find("Thing2"));
  EXPECT_EQ(object->GetAncestorPointer(Base.Find<TUpThing>("Thing1")->FFont), nullptr);
  Base.Find("Thing2")->SetBuddy(nullptr);
  outside->Free();
}

TEST_F(UpdateManagerTest, DefinedPropertiesFollowUnlessChanged) {
  TModule& child = OpenChild();
  child.Find("Thing2")->SetDesignInfo(0x00050005);
  child.Find("Thing2")->FBlob = "own";
  child.Manager->Modified();
  Base.Find("Thing1")->SetDesignInfo(0x00280014); // top 40, left 20
  Base.Find("Thing2")->SetDesignInfo(0x00010001);
  Base.Find("Thing1")->FBlob = String("bin\0ary", 7);
  Base.Find("Thing2")->FBlob = "theirs";
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing1")->DesignInfo(), 0x00280014);
  EXPECT_EQ(child.Find("Thing1")->FBlob, String("bin\0ary", 7));
  EXPECT_EQ(child.Find("Thing2")->DesignInfo(), 0x00050005);
  EXPECT_EQ(child.Find("Thing2")->FBlob, "own");
  // Nothing defined follows any more there: that object drops its filer.
  TUpdateObject* tree = child.Impl()->ComponentUpdate();
  EXPECT_EQ(tree->FindChild(child.Find("Thing2"))->UpdateFiler(), nullptr);
  EXPECT_EQ(tree->FindChild(child.Find("Thing1"))->UpdateFiler()->PropertyList(),
            (std::vector<String>{"Left", "Top", "Blob"}));
}

// ---- components gained, lost, renamed and reordered --------------------------------------------

TEST_F(UpdateManagerTest, ComponentAddedToTheAncestorAppearsInEveryGeneration) {
  TModule& child = OpenChild();
  TModule& grandchild = Inherit(child, "GrandchildForm");
  auto* added = Add<TUpThing>(Base.Root, "Added");
  added->FCaption = "new";
  added->SetBuddy(Base.Find("Thing1"));
  added->FOnClick = TNotifyEvent{{Base.Root->MethodAddress("ThingClick"), Base.Root}};
  auto* box = Add<TUpBox>(Base.Root, "NewBox", Base.Root);
  Add<TUpBox>(Base.Root, "Inner", box);
  Base.Manager->Modified();

  for (TModule* m : {&child, &grandchild}) {
    SCOPED_TRACE(m->Root->Name());
    TUpThing* a = m->Find("Added");
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->ComponentState().Contains(stateAncestor));
    EXPECT_EQ(a->Owner(), m->Root);
    EXPECT_EQ(a->FCaption, "new");
    EXPECT_EQ(a->FBuddy, m->Find("Thing1"));
    EXPECT_EQ(a->FOnClick.Data, static_cast<TObject*>(m->Root));
    auto* b = m->Find<TUpBox>("NewBox");
    auto* inner = m->Find<TUpBox>("Inner");
    ASSERT_TRUE(b && inner);
    EXPECT_EQ(b->FParentBox, m->Root);
    EXPECT_EQ(inner->FParentBox, b);
    EXPECT_TRUE(inner->ComponentState().Contains(stateAncestor));
    EXPECT_FALSE(inner->ComponentState().Contains(stateLoading));
    // The new components have update objects and follow later changes.
    EXPECT_NE(m->Impl()->ComponentUpdate()->FindChild(inner), nullptr);
  }
  EXPECT_EQ(child.Recorder->Log,
            (std::vector<String>{"Updating", "Write NewBox", "Create TUpBox in ChildForm",
                                 "Created NewBox", "Write Added", "Create TUpThing in ChildForm",
                                 "Created Added", "Updated"}));
  Base.Find<TUpBox>("Inner")->FCaption = "later";
  Base.Manager->Modified();
  EXPECT_EQ(grandchild.Find("Inner")->FCaption, "later");
  // A second run creates nothing more.
  EXPECT_EQ(child.Root->ComponentCount(), Base.Root->ComponentCount());
}

TEST_F(UpdateManagerTest, ComponentDeletedFromTheAncestorGoesAfterDeleting) {
  TModule& child = OpenChild();
  TModule& grandchild = Inherit(child, "GrandchildForm");
  auto* own = Add<TUpThing>(child.Root, "Own");
  child.Manager->Modified();
  Base.Find("Thing2")->Free();
  Base.Find("Panel")->Free(); // with the boxes inside it
  Base.Manager->Modified();

  for (TModule* m : {&child, &grandchild}) {
    EXPECT_EQ(m->Find("Thing2"), nullptr);
    EXPECT_EQ(m->Find("Panel"), nullptr);
    EXPECT_EQ(m->Find("A"), nullptr);
    EXPECT_NE(m->Find("Thing1"), nullptr);
  }
  EXPECT_EQ(child.Find("Own"), own);
  EXPECT_EQ(child.Recorder->Log,
            (std::vector<String>{"Updating", "Deleting Panel", "Deleting Thing2", "Updated"}));
  // Later runs do not trip over what was deleted.
  Base.Find("Thing1")->FCaption = "still";
  Base.Manager->Modified();
  EXPECT_EQ(grandchild.Find("Thing1")->FCaption, "still");
}

TEST_F(UpdateManagerTest, RenamePropagatesAndLeavesADescendantsOwnNamesakeAlone) {
  TModule& child = OpenChild();
  TModule& grandchild = Inherit(child, "GrandchildForm");
  TUpThing* inherited = grandchild.Find("Thing1");
  auto* own = Add<TUpThing>(child.Root, "Helper");
  child.Manager->Modified();

  Base.Find("Thing1")->SetName("Renamed");
  Base.Manager->RenameComponent("Thing1", "Renamed");
  Base.Manager->RenameComponent("Helper", "Other");
  EXPECT_EQ(grandchild.Find("Renamed"), inherited);
  EXPECT_EQ(child.Find("Renamed")->FCaption, "One");
  EXPECT_EQ(own->Name(), "Helper");
  EXPECT_EQ(child.Recorder->Log, (std::vector<String>{"Updating", "Updated"}));

  // So the next run pairs them again instead of deleting and re-creating.
  Base.Manager->Modified();
  EXPECT_EQ(grandchild.Find("Renamed"), inherited);

  EXPECT_TRUE(Base.Manager->NameExists("helper"));
  EXPECT_TRUE(Base.Manager->NameExists("Renamed"));
  EXPECT_FALSE(child.Manager->NameExists("Thing1"));
  EXPECT_FALSE(Base.Manager->NameExists(""));
}

TEST_F(UpdateManagerTest, ReorderAppliesUnlessTheDescendantReordered) {
  TModule& child = OpenChild();
  TModule& other = Inherit(Base, "OtherForm");
  child.Find<TUpBox>("Panel")->SetChildOrder(child.Find("B"), 0); // B A C
  child.Manager->Modified();

  auto* panel = Base.Find<TUpBox>("Panel");
  panel->SetChildOrder(Base.Find("C"), 0); // C A B
  Base.Manager->Modified();
  EXPECT_EQ(other.Find<TUpBox>("Panel")->BoxNames(), (std::vector<String>{"C", "A", "B"}));
  // C still follows; A and B keep the order the descendant gave them.
  EXPECT_EQ(child.Find<TUpBox>("Panel")->BoxNames(), (std::vector<String>{"C", "B", "A"}));
}

TEST_F(UpdateManagerTest, ReorderAndValuesReachBoxesDeepInALargeModule) {
  // Enough boxes with children that a run's record of them outgrows its first table.
  std::vector<TUpBox*> parents{Base.Find<TUpBox>("Panel")};
  for (std::size_t i = 0; i < 300; ++i)
    parents.push_back(Add<TUpBox>(Base.Root, "Box" + std::to_string(i), parents[i / 3]));
  TModule& child = OpenChild();
  Base.Find<TUpBox>("Box90")->SetChildOrder(Base.Find("Box275"), 0);
  Base.Find("Box274")->FCaption = "Deep";
  Base.Manager->Modified();
  EXPECT_EQ(child.Find<TUpBox>("Box90")->BoxNames(),
            (std::vector<String>{"Box275", "Box273", "Box274"}));
  EXPECT_EQ(child.Find("Box274")->FCaption, "Deep");
  EXPECT_EQ(child.Find<TUpBox>("Panel")->BoxNames(),
            (std::vector<String>{"A", "B", "C", "Box0", "Box1", "Box2"}));

  // Later runs reuse the memory of earlier ones: what they pair and list must be their own.
  Add<TUpBox>(Base.Root, "Late", Base.Find<TUpBox>("Box90"));
  Base.Find<TUpBox>("Box91")->SetChildOrder(Base.Find("Box278"), 0);
  Base.Manager->Modified();
  EXPECT_EQ(child.Find<TUpBox>("Box90")->BoxNames(),
            (std::vector<String>{"Box275", "Box273", "Box274", "Late"}));
  EXPECT_EQ(child.Find<TUpBox>("Box91")->BoxNames(),
            (std::vector<String>{"Box278", "Box276", "Box277"}));
  Base.Find<TUpBox>("Box90")->SetChildOrder(Base.Find("Late"), 0);
  Base.Manager->Modified();
  EXPECT_EQ(child.Find<TUpBox>("Box90")->BoxNames(),
            (std::vector<String>{"Late", "Box275", "Box273", "Box274"}));
}

TEST_F(UpdateManagerTest, EditedCollectionIsNeverOverwritten) {
  TModule& child = OpenChild();
  TModule& other = Inherit(Base, "OtherForm");
  auto* item = static_cast<TUpItem*>(Base.Find("Thing1")->FItems->Add());
  item->FText = "one";
  item->FLink = Base.Find("Thing2");
  Base.Manager->Modified();
  for (TModule* m : {&child, &other}) {
    ASSERT_EQ(m->Find("Thing1")->FItems->Count(), 1);
    auto* copy = static_cast<TUpItem*>(m->Find("Thing1")->FItems->Items(0));
    EXPECT_EQ(copy->FText, "one");
    EXPECT_EQ(copy->FLink, m->Find("Thing2"));
  }

  static_cast<TUpItem*>(child.Find("Thing1")->FItems->Add())->FText = "mine";
  child.Manager->Modified();
  item->FText = "uno";
  Base.Manager->Modified();
  EXPECT_EQ(child.Find("Thing1")->FItems->Count(), 2);
  EXPECT_EQ(static_cast<TUpItem*>(child.Find("Thing1")->FItems->Items(0))->FText, "one");
  EXPECT_EQ(static_cast<TUpItem*>(other.Find("Thing1")->FItems->Items(0))->FText, "uno");
}

// ---- failures
// -------------------------------------------------------------------------------------

TEST_F(UpdateManagerTest, UpdatedFailuresNotifyEveryComponentAndRaiseTheFirstMessage) {
  TModule& child = OpenChild();
  child.Find("Thing1")->FailUpdated = "first";
  child.Find("Thing2")->FailUpdated = "second";
  Base.Find("Thing1")->FCaption = "x";
  EXPECT_EQ(MessageOf([&] { Base.Manager->Modified(); }), "first");
  for (TComponent* c : child.Root->ComponentList()) {
    EXPECT_FALSE(c->ComponentState().Contains(stateUpdating)) << c->Name();
    EXPECT_EQ(static_cast<TUpThing*>(c)->UpdatedCount, 1) << c->Name();
  }
  EXPECT_EQ(child.Root->UpdatedCount, 1);
  EXPECT_EQ(child.Find("Thing1")->FCaption, "x");
  EXPECT_EQ(child.Impl()->Mode(), umNone);
}

TEST_F(UpdateManagerTest, UnregisteredClassWhileStreamingRestoresEverything) {
  TModule& child = OpenChild();
  auto* box = Add<TUpBox>(Base.Root, "NewBox", Base.Root);
  Add<TUpUnregistered>(Base.Root, "Stranger", box);
  const Integer before = child.Root->ComponentCount();
  const TClass group = ActiveClassGroup();
  child.Recorder->Group = TUpForm::StaticClass();

  EXPECT_THROW(Base.Manager->Modified(), EClassNotFound);
  EXPECT_EQ(child.Root->ComponentCount(), before);
  EXPECT_EQ(child.Find("NewBox"), nullptr);
  EXPECT_EQ(child.Root->BoxNames(), (std::vector<String>{"Panel"}));
  EXPECT_EQ(ActiveClassGroup(), group);
  EXPECT_EQ(child.Impl()->Mode(), umNone);
  EXPECT_EQ(child.Recorder->Log.back(), "Updated");
  for (TComponent* c : child.Root->ComponentList())
    EXPECT_FALSE(c->ComponentState().Contains(stateUpdating)) << c->Name();

  // Once the ancestor is readable the component arrives.
  Base.Find("Stranger")->Free();
  Base.Manager->Modified();
  EXPECT_NE(child.Find("NewBox"), nullptr);
}

TEST_F(UpdateManagerTest, ReenteredUpdateAndFilterReturnAtOnce) {
  TModule& child = OpenChild();
  int calls = 0;
  child.Recorder->OnUpdating = [&] {
    ++calls;
    EXPECT_EQ(child.Impl()->Mode(), umUpdate);
    child.Manager->Update();
    child.Impl()->Filter();
  };
  Base.Find("Thing1")->FCaption = "x";
  Base.Manager->Modified();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(child.Find("Thing1")->FCaption, "x");
  EXPECT_EQ(child.Impl()->Mode(), umNone);
}

TEST_F(UpdateManagerTest, NamesDifferingOnlyInCasePair) {
  TModule& child = OpenChild();
  TUpThing* inherited = child.Find("Thing1");
  Base.Find("Thing1")->SetName("THING1");
  Base.Find("Thing1")->FCaption = "upper";
  Base.Manager->Modified();
  // Paired, not deleted and re-created; its name stays as the descendant had it.
  EXPECT_EQ(child.Find("thing1"), inherited);
  EXPECT_EQ(inherited->Name(), "Thing1");
  EXPECT_EQ(inherited->FCaption, "upper");
  EXPECT_EQ(child.Recorder->Log, (std::vector<String>{"Updating", "Updated"}));

  // A rename that only changes case is a rename like any other.
  Base.Manager->RenameComponent("Thing1", "THING1");
  EXPECT_EQ(inherited->Name(), "THING1");
}

TEST_F(UpdateManagerTest, UnnamedComponentsPairOnlyWithUnnamedOnes) {
  auto* anonymous = New<TUpThing>(Base.Root);
  anonymous->FCaption = "anonymous";
  TModule& child = OpenChild();
  TComponent* copy = child.Root->Components(anonymous->ComponentIndex());
  ASSERT_TRUE(copy->Name().empty());
  anonymous->FCaption = "changed";
  Base.Manager->Modified();
  EXPECT_EQ(child.Root->Components(anonymous->ComponentIndex()), copy);
  EXPECT_EQ(static_cast<TUpThing*>(copy)->FCaption, "changed");
  EXPECT_EQ(child.Root->ComponentCount(), Base.Root->ComponentCount());

  Base.Manager->RenameComponent("", "Named");
  EXPECT_TRUE(copy->Name().empty());
}

// ---- revert, notification and the manager tree
// ------------------------------------------------------

TEST_F(UpdateManagerTest, RevertMakesAPropertyFollowAgain) {
  TModule& child = OpenChild();
  TUpThing* t = child.Find("Thing1");
  t->FCaption = "Mine";
  child.Manager->Modified();
  TUpdateObject* object = child.Impl()->ComponentUpdate()->FindChild(t);
  const auto followed = object->PropList().size();

  EXPECT_TRUE(child.Manager->CanRevert(t, Prop(t, "Caption")));
  EXPECT_FALSE(child.Manager->CanRevert(t, Prop(t, "Name"))); // never stored
  EXPECT_FALSE(child.Manager->CanRevert(t, nullptr));
  EXPECT_FALSE(Base.Manager->CanRevert(Base.Find("Thing1"), Prop(t, "Caption")));
  auto* own = Add<TUpThing>(child.Root, "Own");
  EXPECT_FALSE(child.Manager->CanRevert(own, Prop(own, "Caption")));

  child.Recorder->Log.clear();
  child.Manager->Revert(t, Prop(t, "Caption"));
  EXPECT_EQ(t->FCaption, "One");
  const std::vector<PPropInfo> reverted = object->PropList();
  EXPECT_EQ(reverted.size(), followed + 1);
  // Back in the class's property order.
  const auto& all = GetPropInfos(t->ClassType()->TypeInfo);
  auto position = [&](PPropInfo p) { return std::find(all.begin(), all.end(), p) - all.begin(); };
  EXPECT_TRUE(std::is_sorted(reverted.begin(), reverted.end(),
                             [&](PPropInfo a, PPropInfo b) { return position(a) < position(b); }));
  // Reverting what already follows changes nothing but still runs an update.
  child.Manager->Revert(t, Prop(t, "Caption"));
  EXPECT_EQ(object->PropList().size(), followed + 1);
  EXPECT_EQ(child.Recorder->Log,
            (std::vector<String>{"Updating", "Updated", "Updating", "Updated"}));
  Base.Find("Thing1")->FCaption = "follows";
  Base.Manager->Modified();
  EXPECT_EQ(t->FCaption, "follows");
}

TEST_F(UpdateManagerTest, NotificationForgetsARemovedComponent) {
  TModule& child = OpenChild();
  TUpThing* t = child.Find("Thing2");
  ASSERT_NE(child.Impl()->ComponentUpdate()->FindObject(t), nullptr);
  child.Manager->Notification(t, notifyRemove);
  EXPECT_EQ(child.Impl()->ComponentUpdate()->FindObject(t), nullptr);
  child.Manager->Notification(child.Find("Thing1"), notifyInsert);
  EXPECT_NE(child.Impl()->ComponentUpdate()->FindObject(child.Find("Thing1")), nullptr);
}

TEST_F(UpdateManagerTest, ManagersFormATreeThatUnlinksOnDestruction) {
  OpenBase();
  EXPECT_FALSE(Base.Manager->GetIsDescendent());
  EXPECT_EQ(Base.Impl()->ComponentUpdate(), nullptr);
  TModule& child = Inherit(Base, "ChildForm");
  EXPECT_TRUE(child.Manager->GetIsDescendent());
  EXPECT_TRUE(Base.Manager->GetHasDescendents());
  EXPECT_EQ(child.Impl()->Parent(), Base.Impl());
  EXPECT_EQ(child.Manager->GetAncestor(), Base.Root);

  // Not an update manager: the framework's invalid cast, and nothing registered.
  IPtr<IUpdateManager> foreign(New<TForeignManager>());
  EXPECT_EQ(
      MessageOf<EInvalidCast>([&] { NewUpdateManager(child.Root, nullptr, foreign, nullptr); }),
      "Invalid class typecast");
  EXPECT_EQ(Base.Impl()->Descendents().size(), 1u);

  Base.Manager = nullptr; // the ancestor's module closes first
  EXPECT_EQ(child.Impl()->Parent(), nullptr);
}

TEST(PropMaskTest, EveryBitAcrossWordsIsKeptAndListedInOrder) {
  // Real components publish well over 64 properties; the mask then leaves its inline word.
  for (std::size_t count : {1u, 63u, 64u, 65u, 130u}) {
    TPropMask mask;
    mask.Fill(count);
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < count; ++i)
      if (i % 3 == 1 || i == count - 1)
        expected.push_back(i);
      else
        mask.Reset(i);
    std::vector<std::size_t> listed;
    mask.ForEach([&](std::size_t i) { listed.push_back(i); });
    EXPECT_EQ(listed, expected) << count;
    mask.Set(0);
    EXPECT_TRUE(mask.Test(0)) << count;
    EXPECT_EQ(mask.Test(count - 1), true) << count;
  }
}

} // namespace
} // namespace fwtest
