#include "componentdesigner/componentnaming.h"

#include "componentdesigner/designerevents.h"
#include "designedmodules.h"
#include "support/testutil.h"

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
  const std::vector<String> fields = [&] {
    std::vector<String> v;
    for (auto& f : Modules["Form1"]->Fields())
      v.push_back(f.Name);
    return v;
  }();
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
  ASSERT_EQ(Modules["Form1"]->Fields().size(), fields.size());
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

/// Collects what the rename event reports.
class TRenameLog : public TObject {
  FW_CLASS(TRenameLog)
public:
  std::vector<String> Lines;
  void Renamed(TObject* sender, const String& from, const String& to) {
    Lines.push_back(static_cast<TComponentRoot*>(sender)->GetRootName() + ":" + from + ">" + to);
  }
};

TClass TRenameLog::StaticClass() {
  static const TClass cls = TClassBuilder<TRenameLog, TObject>("TRenameLog", "NamingTest").Build();
  return cls;
}

TEST_F(ComponentNaming, RenameReachesThreeOpenDescendants) {
  auto base = NewRoot("Form1");
  Add(*base, TButton::StaticClass());
  auto a = NewRoot("Form2", "Form1");
  auto b = NewRoot("Form3", "Form1");
  auto c = NewRoot("Form4", "Form3"); // a grandchild
  TRenameLog log;
  const auto handler = HandlerOf<TComponentRenamedEvent, &TRenameLog::Renamed>(&log);
  EvComponentRenamedEvent->Add(handler);
  ASSERT_TRUE(base->RenameComponent("Button1", "OkButton"));
  EvComponentRenamedEvent->Remove(handler);
  for (auto* root : {base.get(), a.get(), b.get(), c.get()}) {
    EXPECT_NE(root->GetComponent("OkButton"), nullptr) << root->GetRootName();
    EXPECT_EQ(root->GetComponent("Button1"), nullptr) << root->GetRootName();
  }
  // Each module heard of its own rename; only the ancestor's source has the field.
  EXPECT_EQ(log.Lines.size(), 4u);
  EXPECT_EQ(log.Lines.back(), "Form1:Button1>OkButton");
  EXPECT_EQ(Modules["Form1"]->Fields()[0].Name, "OkButton");
  EXPECT_TRUE(Modules["Form2"]->Fields().empty());
}

TEST(Renames, FirstMatchingOldNameWins) {
  TRenames renames;
  renames.Add("Button1", "Button3");
  renames.Add("button1", "Button9");
  renames.Add("Label1", "Label2");
  String a = "BUTTON1", b = "Label1", c = "Edit1";
  renames.Rename(a);
  renames.Rename(b);
  renames.Rename(c);
  EXPECT_EQ(a + " " + b + " " + c, "Button3 Label2 Edit1");
  EXPECT_EQ(renames.Count(), 3);
  EXPECT_EQ(renames.Items(1).NewName, "Button9");
  EXPECT_THROW(renames.Items(3), EListError);
}

TEST_F(ComponentNaming, CompInfoDescribesEventsAndSubObjects) {
  auto root = NewRoot("Form1");
  auto* button = static_cast<TButton*>(Add(*root, TButton::StaticClass()));
  const TMethod click = root->CreateMethod("Button1Click", nullptr);
  SetMethodProp(button, "OnClick", click);
  auto info = New<TCompInfo>(IPtr<IInternalRoot>(root.get()), button);
  Integer onClick = -1;
  for (Integer i = 0; i < info->GetEventCount(); ++i) {
    if (i > 0) {
      EXPECT_LT(CompareText(info->GetEventName(i - 1), info->GetEventName(i)), 0);
    }
    if (info->GetEventName(i) == "OnClick") onClick = i;
  }
  ASSERT_GE(onClick, 0);
  EXPECT_EQ(info->GetEventValue(onClick), "Button1Click");
  EXPECT_EQ(info->GetQualifiedClassName(), button->ClassType()->UnitName + ".TButton");
  info->ClearEvent(onClick);
  EXPECT_EQ(info->GetEventValue(onClick), "");
  EXPECT_EQ(GetMethodProp(button, "OnClick").Code, nullptr);
  for (Integer i = 0; i < info->GetSubInfoCount(); ++i)
    if (auto sub = info->GetSubInfo(i)) {
      EXPECT_NE(sub->GetClassName(), "");
    }
  EXPECT_EQ(info->GetSubInfo(info->GetSubInfoCount()), nullptr);
}

} // namespace
