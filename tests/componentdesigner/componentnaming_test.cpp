#include "componentdesigner/componentnaming.h"

#include "basert/onexit.h"
#include "designedmodules.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/stdctrls.h"

using namespace fw;
using fwtest::DesignedModules;
using fwtest::MessageOf;

namespace {

using ComponentNaming = DesignedModules;

TEST_F(ComponentNaming, UniqueNameTakesTheSmallestFreeNumber) {
  struct Case {
    std::vector<String> present;
    const char* base;
    const char* expected;
  };
  const Case cases[] = {
      {{}, "TButton", "Button1"},
      {{"Button1", "Button2"}, "TButton", "Button3"},
      {{"Button2"}, "TButton", "Button1"},
      {{"button1"}, "TButton", "Button2"}, // names ignore case
      {{}, "T", "T1"},
      {{}, "tButton", "tButton1"},
      {{"Form1"}, "TForm", "Form2"}, // the module's own name is taken too
  };
  for (const Case& c : cases) {
    auto root = NewRoot("Form1");
    for (const String& name : c.present)
      if (name != "Form1") Add(*root, TButton::StaticClass())->SetName(name);
    EXPECT_EQ(root->UniqueName(c.base), c.expected) << c.base << " after " << c.present.size();
    root->Close();
  }
}

TEST_F(ComponentNaming, UniqueNameSeesNamesFreedAnywhere) {
  auto base = NewRoot("Form1");
  for (int i = 0; i < 3; ++i)
    Add(*base, TButton::StaticClass());
  EXPECT_EQ(base->UniqueName("TButton"), "Button4");
  EXPECT_EQ(base->UniqueName("TButton"), "Button4"); // answered, but not given
  Add(*base, TButton::StaticClass());
  EXPECT_EQ(base->UniqueName("TButton"), "Button5");
  base->GetComponent("Button2")->Free();
  EXPECT_EQ(base->UniqueName("TButton"), "Button2");
  base->RenameComponent("Button1", "OkButton");
  EXPECT_EQ(base->UniqueName("TButton"), "Button1");

  // A loaded descendant's own component counts until the descendant closes.
  auto derived = NewRoot("Form2", "Form1");
  Add(*derived, TButton::StaticClass());
  EXPECT_EQ(Names(derived->GetRoot()).back(), "Button1");
  EXPECT_EQ(base->UniqueName("TButton"), "Button2");
  derived->Close();
  EXPECT_EQ(base->UniqueName("TButton"), "Button1");
}

TEST_F(ComponentNaming, RefusedRenamesKeepTheNameAndTheSource) {
  auto root = NewRoot("Form1");
  TComponent* button = Add(*root, TButton::StaticClass());
  struct Case {
    const char* name;
    String message;
  };
  const Case cases[] = {
      {"Owner", "A component named Owner already exists in a descendant module"},
      {"OWNER", "A component named OWNER already exists in a descendant module"},
      {"oWnEr", "A component named oWnEr already exists in a descendant module"},
      {"1st", "'1st' is not a valid component name"},
      {"Ok Button", "'Ok Button' is not a valid component name"},
      {"", "'' is not a valid component name"},
      {"begin", "'begin' is not a valid component name"},
      {"Record", "'Record' is not a valid component name"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf([&] { root->RenameComponent("Button1", c.name); }), c.message);
    EXPECT_EQ(button->Name(), "Button1");
  }
  ASSERT_EQ(Modules["Form1"]->Fields().size(), 1u);
  EXPECT_EQ(Modules["Form1"]->Fields()[0].Name, "Button1");
  EXPECT_FALSE(root->RenameComponent("Missing", "Other"));
  EXPECT_TRUE(root->RenameComponent("Button1", "OkButton"));
  EXPECT_EQ(Modules["Form1"]->Fields()[0].Name, "OkButton");
}

TEST_F(ComponentNaming, InheritedComponentsKeepTheirNames) {
  auto base = NewRoot("Form1");
  Add(*base, TButton::StaticClass());
  auto derived = NewRoot("Form2", "Form1");
  Add(*derived, TButton::StaticClass()); // Button2, the descendant's own
  const String ancestorRename =
      "Cannot rename component Button1, component was introduced in an ancestor form";
  EXPECT_EQ(MessageOf([&] { derived->RenameComponent("Button1", "Other"); }), ancestorRename);
  EXPECT_EQ(MessageOf([&] { base->RenameComponent("Button1", "Button2"); }),
            "A component named Button2 already exists in a descendant module");
  EXPECT_NE(base->GetComponent("Button1"), nullptr);
  EXPECT_TRUE(derived->RenameComponent("Button2", "Mine"));

  // Inside a nested module instance too.
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TButton::StaticClass());
  TComponent* instance = Add(*derived, frame->GetRoot()->ClassType());
  ASSERT_NE(instance, nullptr);
  EXPECT_EQ(instance->Name(), "Frame11");
  EXPECT_EQ(MessageOf([&] { instance->FindComponent("Button1")->SetName("Other"); }),
            ancestorRename);
  instance->SetName("Toolbar"); // the instance itself belongs to the module
  EXPECT_EQ(instance->Name(), "Toolbar");
}

// A component made in a placed frame is renamed in each descendant's copy of the frame, in every
// generation, the same object kept; a name a copy already uses is refused.
TEST_F(ComponentNaming, RenameInAPlacedFrameReachesTheDescendantsCopies) {
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TButton::StaticClass());
  auto form = NewRoot("Form1");
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType());
  TComponent* made = Add(*form, TButton::StaticClass(), placed, 8, 100);
  ASSERT_EQ(made->Name(), "Button2");
  auto derived = NewRoot("Form2", "Form1");
  auto sibling = NewRoot("Form3", "Form1");
  auto grand = NewRoot("Form4", "Form2");
  TComponent* copy = derived->GetComponent("Frame11.Button2");
  TComponent* own = Add(*sibling, TButton::StaticClass(), sibling->GetComponent("Frame11"), 9, 9);
  ASSERT_TRUE(copy && own);

  static_cast<TButton*>(copy)->SetCaption("Mine");
  derived->Modified();

  made->SetName("GoButton");
  EXPECT_EQ(copy->Name(), "GoButton");
  EXPECT_NE(sibling->GetComponent("Frame11.GoButton"), nullptr);
  EXPECT_NE(grand->GetComponent("Frame11.GoButton"), nullptr);
  form->Modified(); // still paired: the descendant's change stays
  EXPECT_EQ(derived->GetComponent("Frame11.GoButton"), copy);
  EXPECT_EQ(static_cast<TButton*>(copy)->Caption(), "Mine");

  const String taken = own->Name();
  EXPECT_EQ(MessageOf([&] { made->SetName(taken); }),
            "A component named " + taken + " already exists in a descendant module");
  EXPECT_EQ(made->Name(), "GoButton");
  EXPECT_EQ(derived->GetComponent("Frame11.GoButton"), copy);
  made->SetName("GOBUTTON"); // its own name in another case is no clash
  EXPECT_EQ(copy->Name(), "GOBUTTON");
}

TEST_F(ComponentNaming, ModuleRenameChecksItsAncestorClasses) {
  auto root = NewRoot("Form1");
  TComponent* form = root->GetRoot();
  EXPECT_EQ(MessageOf([&] { form->SetName("Form"); }),
            "Cannot rename a module to the same name as one of its ancestors (TForm)");
  EXPECT_EQ(MessageOf([&] { form->SetName("Control"); }),
            "Cannot rename a module to the same name as one of its ancestors (TControl)");
  EXPECT_EQ(MessageOf([&] { form->SetName(""); }), "Root component must have a name");
  EXPECT_EQ(form->Name(), "Form1");
  form->SetName("MainForm");
  EXPECT_EQ(form->ClassName(), "TMainForm");
  EXPECT_EQ(Modules["Form1"]->ClassName(), "TMainForm");
  EXPECT_EQ(Env->Calls().back(), "ComponentRenamed Form1 MainForm");
}

TEST_F(ComponentNaming, RenameReachesThreeOpenDescendants) {
  auto base = NewRoot("Form1");
  Add(*base, TButton::StaticClass());
  auto a = NewRoot("Form2", "Form1");
  auto b = NewRoot("Form3", "Form1");
  auto c = NewRoot("Form4", "Form3"); // a grandchild
  const auto told = Env->Calls().size();
  ASSERT_TRUE(base->RenameComponent("Button1", "OkButton"));
  for (auto* root : {base.get(), a.get(), b.get(), c.get()}) {
    EXPECT_NE(root->GetComponent("OkButton"), nullptr) << root->GetRootName();
    EXPECT_EQ(root->GetComponent("Button1"), nullptr) << root->GetRootName();
  }
  // The environment hears each module's rename; only the ancestor's source has the field.
  EXPECT_EQ(Env->Calls().size() - told, 4u);
  EXPECT_EQ(Env->Calls().back(), "ComponentRenamed Button1 OkButton");
  EXPECT_EQ(Modules["Form1"]->Fields()[0].Name, "OkButton");
  EXPECT_TRUE(Modules["Form2"]->Fields().empty());
}

TEST_F(ComponentNaming, CompInfoDescribesEventsAndSubObjects) {
  auto root = NewRoot("Form1");
  auto* button = static_cast<TButton*>(Add(*root, TButton::StaticClass()));
  SetMethodProp(button, "OnClick", root->CreateMethod("Button1Click", nullptr));
  IPtr<TCompInfo> info(New<TCompInfo>(IPtr<IInternalRoot>(root.get()), button));
  std::vector<String> events, subs;
  for (Integer i = 0; i < info->GetEventCount(); ++i)
    events.push_back(info->GetEventName(i) + "=" + info->GetEventValue(i));
  EXPECT_TRUE(std::is_sorted(events.begin(), events.end(),
                             [](auto& a, auto& b) { return CompareText(a, b) < 0; }));
  const auto at = std::find(events.begin(), events.end(), "OnClick=Button1Click");
  ASSERT_NE(at, events.end());
  info->ClearEvent(static_cast<Integer>(at - events.begin()));
  EXPECT_EQ(GetMethodProp(button, "OnClick").Code, nullptr);
  for (Integer i = 0; i < info->GetSubInfoCount(); ++i)
    subs.push_back(info->GetSubInfo(i) ? info->GetSubInfo(i)->GetClassName() : "nil");
  EXPECT_NE(std::find(subs.begin(), subs.end(), "TMargins"), subs.end());
}

} // namespace

// nested-frame-rename: a frame placed in a frame placed on a form. A rename in the inner frame's
// module reached the form and its descendant only through their next update, which made the
// component again and lost the values set there; a name the form's descendant used in its copy
// was let through (renamed to, or given to a new component) until that update failed; and a
// frame the outer module placed later reached the descendant without a name.
TEST_F(ComponentNaming, FramesInFramesFollowEveryModuleTheyComeFrom) {
  auto inner = NewRoot("Frame1", "Frame");
  auto* edit = static_cast<TButton*>(Add(*inner, TButton::StaticClass()));
  auto outer = NewRoot("Frame2", "Frame");
  Add(*outer, inner->GetRoot()->ClassType());
  auto* outerButton = static_cast<TButton*>(Add(*outer, TButton::StaticClass()));
  auto form = NewRoot("Form1");
  Add(*form, outer->GetRoot()->ClassType());
  auto derived = NewRoot("Form2", "Form1");
  auto caption = [](THostComponentRoot& root, const String& path) {
    auto* b = dynamic_cast<TButton*>(root.GetComponent(path));
    return b ? b->Caption() : "(missing " + path + ")";
  };
  auto setCaption = [](THostComponentRoot& root, const String& path, const String& text) {
    auto* b = dynamic_cast<TButton*>(root.GetComponent(path));
    ASSERT_TRUE(b) << path;
    b->SetCaption(text);
    root.Modified();
  };

  // A change of the inner module reaches every level, except where a level below changed it.
  edit->SetCaption("Inner");
  inner->Modified();
  EXPECT_EQ(caption(*derived, "Frame21.Frame11.Button1"), "Inner");
  setCaption(*outer, "Frame11.Button1", "Outer");
  setCaption(*derived, "Frame21.Frame11.Button1", "Derived");
  setCaption(*derived, "Frame21.Button1", "Mine");
  edit->SetCaption("Inner2");
  inner->Modified();
  EXPECT_EQ(caption(*outer, "Frame11.Button1"), "Outer");
  EXPECT_EQ(caption(*form, "Frame21.Frame11.Button1"), "Outer");
  EXPECT_EQ(caption(*derived, "Frame21.Frame11.Button1"), "Derived");

  // Renames in the inner and the outer module: the same objects, renamed, their values kept.
  TComponent* formCopy = form->GetComponent("Frame21.Frame11.Button1");
  TComponent* derivedCopy = derived->GetComponent("Frame21.Frame11.Button1");
  TComponent* derivedOuter = derived->GetComponent("Frame21.Button1");
  edit->SetName("OkButton");
  outerButton->SetName("OuterButton");
  EXPECT_EQ(outer->GetComponent("Frame11.OkButton")->Name(), "OkButton");
  EXPECT_EQ(form->GetComponent("Frame21.Frame11.OkButton"), formCopy);
  EXPECT_EQ(derived->GetComponent("Frame21.Frame11.OkButton"), derivedCopy);
  EXPECT_EQ(derived->GetComponent("Frame21.OuterButton"), derivedOuter);
  EXPECT_EQ(caption(*form, "Frame21.Frame11.OkButton"), "Outer");
  EXPECT_EQ(caption(*derived, "Frame21.Frame11.OkButton"), "Derived");
  EXPECT_EQ(caption(*derived, "Frame21.OuterButton"), "Mine");

  // The outer module places the inner one again: every copy gets it, under its name.
  const String second = Add(*outer, inner->GetRoot()->ClassType(), nullptr, 8, 120)->Name();
  outer->Modified();
  EXPECT_EQ(caption(*derived, "Frame21." + second + ".OkButton"), "Inner2");

  // The form's own button in its copy of the inner frame: renamed, the descendant's follows.
  TComponent* formMade =
      Add(*form, TButton::StaticClass(), form->GetComponent("Frame21.Frame11"), 9, 30);
  form->Modified();
  TComponent* formMadeCopy = derived->GetComponent("Frame21.Frame11." + formMade->Name());
  ASSERT_TRUE(formMadeCopy);
  formMade->SetName("FormButton");
  EXPECT_EQ(derived->GetComponent("Frame21.Frame11.FormButton"), formMadeCopy);

  // A name the descendant's copy of the inner frame uses is refused, and nothing is renamed.
  TComponent* own =
      Add(*derived, TButton::StaticClass(), derived->GetComponent("Frame21.Frame11"), 9, 60);
  const String taken = own->Name();
  EXPECT_EQ(MessageOf([&] { edit->SetName(taken); }),
            "A component named " + taken + " already exists in a descendant module");
  for (auto* root : {outer.get(), form.get()})
    EXPECT_TRUE(
        root->GetComponent(root == outer.get() ? "Frame11.OkButton" : "Frame21.Frame11.OkButton"))
        << root->GetRootName();
  EXPECT_EQ(derived->GetComponent("Frame21.Frame11.OkButton"), derivedCopy);
  // A new component of the inner module is not given that name, and reaches every copy.
  TComponent* added = Add(*inner, TButton::StaticClass(), nullptr, 9, 90);
  inner->Modified();
  EXPECT_NE(added->Name(), taken);
  EXPECT_TRUE(derived->GetComponent("Frame21.Frame11." + added->Name()));
  const String mine =
      Add(*derived, TButton::StaticClass(), derived->GetComponent("Frame21"), 9, 90)->Name();
  EXPECT_EQ(MessageOf([&] { outerButton->SetName(mine); }),
            "A component named " + mine + " already exists in a descendant module");
  EXPECT_EQ(outerButton->Name(), "OuterButton");

  // Saved and opened again: every level reads back as it was.
  TMemoryStream outerSaved, formSaved, derivedSaved;
  outer->WriteRootStream(outerSaved);
  form->WriteRootStream(formSaved);
  derived->WriteRootStream(derivedSaved);
  for (auto* root : {&derived, &form, &outer}) {
    (*root)->Close();
    *root = nullptr;
  }
  auto reopen = [&](const String& name, TMemoryStream& saved, const String& ancestor) {
    saved.SetPosition(0);
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("Unit" + name, name, "TForm")),
        name + ".lyt", &saved, name, ancestor);
  };
  outer = reopen("Frame2", outerSaved, "Frame");
  form = reopen("Form1", formSaved, "");
  derived = reopen("Form2", derivedSaved, "Form1");
  EXPECT_EQ(caption(*form, "Frame21.Frame11.OkButton"), "Outer");
  EXPECT_EQ(caption(*form, "Frame21.OuterButton"), "OuterButton");
  EXPECT_EQ(caption(*derived, "Frame21.Frame11.OkButton"), "Derived");
  EXPECT_EQ(caption(*derived, "Frame21.OuterButton"), "Mine");
  TComponent* ownAgain = derived->GetComponent("Frame21.Frame11." + taken);
  ASSERT_TRUE(ownAgain && derived->GetComponent("Frame21." + mine));
  EXPECT_FALSE(ownAgain->ComponentState().Contains(stateAncestor));
  TMemoryStream again;
  derived->WriteRootStream(again);
  EXPECT_EQ(again.View(), derivedSaved.View());
  // The reopened levels still follow the inner module where they did not change it.
  edit->SetCaption("Inner3");
  static_cast<TButton*>(added)->SetCaption("Added");
  inner->Modified();
  EXPECT_EQ(caption(*derived, "Frame21.Frame11.OkButton"), "Derived");
  EXPECT_EQ(caption(*outer, "Frame11.OkButton"), "Outer");
  EXPECT_EQ(caption(*derived, "Frame21.Frame11." + added->Name()), "Added");
}

// nested-frame-references: a component of a frame placed in the outer frame module referring to
// that module's action. Each copy of the outer frame (placed on a form, and the form's
// descendant) took the outer module's own action, when placed and when the outer module placed
// the inner frame later; and the outer module's file named the action so that it read back as
// nothing.
TEST_F(ComponentNaming, ReferencesInsideNestedFramesNameEachCopysOwnComponents) {
  const bool registered = GetClass("TAction") != nullptr;
  if (!registered) RegisterClass(TAction::StaticClass());
  TOnExit unregister([registered] {
    if (!registered) UnRegisterClass(TAction::StaticClass());
  });
  auto inner = NewRoot("Frame1", "Frame");
  Add(*inner, TButton::StaticClass());
  auto outer = NewRoot("Frame2", "Frame");
  TComponent* action = CreateComponentWithState(TAction::StaticClass(), outer->GetRoot(),
                                                TComponentState{stateDesigning});
  action->SetName("Action1");
  auto placeInner = [&] {
    TComponent* button = Add(*outer, inner->GetRoot()->ClassType())->FindComponent("Button1");
    SetObjectProp(button, GetPropInfo(button, "Action"), action);
    outer->Modified();
  };
  placeInner(); // Frame11, before the form places the outer frame
  auto form = NewRoot("Form1");
  Add(*form, outer->GetRoot()->ClassType());
  auto derived = NewRoot("Form2", "Form1");
  placeInner(); // Frame12, after
  auto actionOf = [](THostComponentRoot& root, const String& path) -> TComponent* {
    TComponent* c = root.GetComponent(path);
    return c ? static_cast<TComponent*>(GetObjectProp(c, GetPropInfo(c, "Action"))) : nullptr;
  };
  for (auto* root : {form.get(), derived.get()})
    for (const char* frame : {"Frame11", "Frame12"}) {
      SCOPED_TRACE(root->GetRootName() + " " + frame);
      TComponent* own = root->GetComponent("Frame21.Action1");
      ASSERT_TRUE(own);
      EXPECT_EQ(actionOf(*root, "Frame21." + String(frame) + ".Button1"), own);
    }

  TMemoryStream saved;
  outer->WriteRootStream(saved);
  for (auto* root : {&derived, &form, &outer}) {
    (*root)->Close();
    *root = nullptr;
  }
  saved.SetPosition(0);
  outer = THostComponentRoot::Make(
      IPtr<IComponentDesigner>(Designer),
      IPtr<IDesignerModule>(New<THostDesignerModule>("UnitFrame2", "Frame2", "TForm")),
      "Frame2.lyt", &saved, "Frame2", "Frame");
  for (const char* path : {"Frame11.Button1", "Frame12.Button1"})
    EXPECT_EQ(actionOf(*outer, path), outer->GetComponent("Action1")) << path;
}
