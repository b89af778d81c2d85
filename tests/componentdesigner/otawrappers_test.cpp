// The tools-interface wrappers of module roots and the form-file streams they hand out.
#include "componentdesigner/otawrappers.h"

#include "componentdesigner/componentroot.h"
#include "componentdesigner/environmenttools.h"
#include "componentdesigner/rootstreams.h"
#include "host/hostmodules.h"
#include "support/hostsession.h"
#include "support/testutil.h"
#include "tarn/extctrls.h"
#include "tarn/stdctrls.h"
#include "toolsapi/toolsutils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace fw;
using fwtest::MessageOf;

namespace {

/// Logs what a form's notifiers hear; `OnModified` runs inside the Modified broadcast.
class TFormLog : public TNotifierObject, public IOTAFormNotifier {
  FW_CLASS(TFormLog)
public:
  TFormLog(std::vector<String>& log, String name) : FLog(log), FName(std::move(name)) {}
  std::function<void()> OnModified, OnDestroyed;
  void Modified() override {
    FLog.push_back(FName + " Modified");
    if (OnModified) OnModified();
  }
  void Destroyed() override {
    FLog.push_back(FName + " Destroyed");
    if (OnDestroyed) OnDestroyed();
  }
  void FormActivated() override { FLog.push_back(FName + " Activated"); }
  void FormSaving() override { FLog.push_back(FName + " Saving"); }
  void ComponentRenamed(TComponent*, const String& oldName, const String& newName) override {
    FLog.push_back(FName + " Renamed " + oldName + ">" + newName);
  }

private:
  std::vector<String>& FLog;
  String FName;
};

TClass TFormLog::StaticClass() {
  static const TClass cls = TClassBuilder<TFormLog, TNotifierObject>("TFormLog", "OTATest")
                                .Implements<IOTAFormNotifier>()
                                .Build();
  return cls;
}

class OTAWrappers_ : public fwtest::HostSession {
protected:
  void SetUp() override {
    HostSession::SetUp();
    RegisterClass(TStringList::StaticClass());
    Root = NewRoot("Form1");
    Form = Root->GetFormEditor();
    Panel = Form->CreateComponent(nullptr, "TPanel", 0, 0, 200, 100);
    Button = Form->CreateComponent(Panel, "tbutton", 8, 8, 75, 25);
  }
  void TearDown() override {
    Button = Panel = nullptr;
    Form = nullptr;
    Root = nullptr;
    UnRegisterClass(TStringList::StaticClass());
    HostSession::TearDown();
  }
  static TComponent* Native(const IPtr<IOTAComponent>& c) {
    auto native = QueryIntf<INTAComponent>(c);
    return native ? native->GetComponent() : nullptr;
  }
  static String Caption(const IPtr<IOTAComponent>& c) {
    return static_cast<TControl*>(Native(c))->Caption();
  }
  String Content() {
    TMemoryStream s;
    Form->GetContent(s);
    return String(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
  }

  IPtr<THostComponentRoot> Root;
  IPtr<TOTAFormEditor> Form;
  IPtr<IOTAComponent> Panel, Button;
  std::vector<String> Log; ///< of the notifiers, which may hear the module close at the end
};

} // namespace

TEST_F(OTAWrappers_, FormEditorFindsCreatesAndWalksComponents) {
  EXPECT_EQ(Form->GetRootComponent()->GetComponentType(), "TForm1");
  EXPECT_EQ(Native(Form->FindComponent("BUTTON1")), Native(Button));
  EXPECT_FALSE(Form->FindComponent("Nothing"));
  EXPECT_EQ(Native(Button->GetParent()), Native(Panel));
  EXPECT_EQ(Native(Panel->GetParent()), Root->GetRoot()) << "the parent, not the owner";
  EXPECT_FALSE(Form->GetRootComponent()->GetParent());
  EXPECT_TRUE(Button->IsTControl());

  auto root = Form->GetRootComponent();
  ASSERT_EQ(root->GetComponentCount(), 2);
  EXPECT_EQ(root->GetComponent(1)->GetComponentType(), "TButton");
  EXPECT_FALSE(root->GetComponent(2));
  ASSERT_EQ(Panel->GetControlCount(), 1);
  EXPECT_EQ(Native(Panel->GetControl(0)), Native(Button));

  // Only registered component classes are made.
  EXPECT_FALSE(Form->CreateComponent(nullptr, "TNoSuchClass", 0, 0, 10, 10));
  EXPECT_FALSE(Form->CreateComponent(nullptr, "TStringList", 0, 0, 10, 10));
  EXPECT_EQ(root->GetComponentCount(), 2);
}

TEST_F(OTAWrappers_, SelectionIndexRulesAndSelectFocusDelete) {
  Root->NoSelection();
  EXPECT_EQ(Form->GetSelCount(), 0);
  EXPECT_EQ(Native(Form->GetSelComponent(0)), Root->GetRoot()) << "nothing selected";
  EXPECT_FALSE(Form->GetSelComponent(1));

  EXPECT_TRUE(Button->Select(false));
  EXPECT_TRUE(Panel->Select(true));
  EXPECT_TRUE(Panel->Select(true)) << "already selected: not twice";
  ASSERT_EQ(Form->GetSelCount(), 2);
  EXPECT_EQ(Native(Form->GetSelComponent(1)), Native(Panel));
  EXPECT_EQ(Native(Form->GetSelComponent(0)), Native(Button));
  EXPECT_FALSE(Form->GetSelComponent(5)) << "out of range, not index 0";
  EXPECT_TRUE(Form->GetRootComponent()->Select(true));
  EXPECT_EQ(Native(Form->GetSelComponent(0)), Root->GetRoot());

  Designer->RootActivated(nullptr);
  EXPECT_TRUE(Form->GetRootComponent()->Focus(false));
  EXPECT_EQ(Designer->GetActiveRoot().get(), static_cast<IRoot*>(Root.get()));

  EXPECT_FALSE(Form->GetRootComponent()->Delete());
  Root->ResetDiskAge();
  EXPECT_TRUE(Button->Delete());
  EXPECT_TRUE(Form->GetModified());
  EXPECT_FALSE(Form->FindComponent("Button1"));
  EXPECT_EQ(MessageOf([&] { Button->GetPropCount(); }), sComponentFreed);
}

TEST_F(OTAWrappers_, PropertiesByIndexAndNameWriteThroughAndMarkModified) {
  const Integer count = Button->GetPropCount();
  Integer caption = -1;
  for (Integer i = 0; i < count; ++i)
    if (Button->GetPropName(i) == "Caption") caption = i;
  ASSERT_GE(caption, 0);
  EXPECT_EQ(Button->GetPropType(caption), Button->GetPropTypeByName("caption"));
  EXPECT_EQ(Button->GetPropName(count), "");
  EXPECT_EQ(Button->GetPropTypeByName("NoSuch"), kindUnknown);

  Root->ResetDiskAge();
  ASSERT_FALSE(Form->GetModified());
  EXPECT_TRUE(Button->SetProp(caption, TPropValue(String("OK"))));
  EXPECT_EQ(Caption(Button), "OK");
  EXPECT_TRUE(Form->GetModified());
  EXPECT_TRUE(Button->SetPropByName("Left", TPropValue(Int64{40})));
  TPropValue v;
  ASSERT_TRUE(Button->GetPropValueByName("left", v));
  EXPECT_EQ(std::get<Int64>(v), 40);
  ASSERT_TRUE(Button->GetPropValue(caption, v));
  EXPECT_EQ(std::get<String>(v), "OK");

  EXPECT_FALSE(Button->SetProp(count, TPropValue(String("x"))));
  EXPECT_FALSE(Button->SetPropByName("NoSuch", TPropValue(String("x"))));
  EXPECT_THROW(Button->SetProp(caption, TPropValue(Int64{3})), EPropertyError);
  EXPECT_EQ(Caption(Button), "OK");
}

TEST_F(OTAWrappers_, WrappersOutliveTheirObjectsAndTheirModule) {
  // An object owned by a component, not by the root, goes with its owner.
  TComponent* inner = New<TComponent>(Native(Button));
  auto innerWrapper = Button->GetComponent(0);
  ASSERT_EQ(Native(innerWrapper), inner);
  Native(Button)->Free();
  EXPECT_EQ(MessageOf([&] { Button->GetComponentType(); }), sComponentFreed);
  EXPECT_EQ(MessageOf([&] { innerWrapper->GetComponentType(); }), sComponentFreed);
  EXPECT_EQ(QueryIntf<INTAComponent>(innerWrapper)->GetPersistent(), nullptr);

  // A persistent that is no component (selected on its own) dies with its control.
  auto* margins = static_cast<TControl*>(Native(Panel))->Margins();
  IPtr<IDesignerSelections> list = CreateSelectionList();
  list->Add(margins);
  Root->SetSelections(list);
  auto marginsWrapper = Form->GetSelComponent(0);
  EXPECT_EQ(marginsWrapper->GetComponentType(), "TMargins");
  EXPECT_EQ(Native(marginsWrapper->GetParent()), Native(Panel));
  EXPECT_FALSE(marginsWrapper->Select(false)) << "not a component";
  EXPECT_FALSE(marginsWrapper->Delete());
  Root->NoSelection();
  Native(Panel)->Free();
  EXPECT_EQ(MessageOf([&] { marginsWrapper->GetPropCount(); }), sComponentFreed);

  auto root = Form->GetRootComponent();
  Root->GoDormant();
  EXPECT_EQ(MessageOf([&] { root->GetPropCount(); }), sComponentFreed);
  EXPECT_FALSE(Form->GetRootComponent());
  EXPECT_EQ(Form->GetRootName(), "Form1");
  Root->Resurrect();
  EXPECT_EQ(Form->GetRootComponent()->GetComponentCount(), 0);
  EXPECT_EQ(MessageOf([&] { root->GetPropCount(); }), sComponentFreed) << "a new instance";

  auto label = Form->CreateComponent(nullptr, "TLabel", 0, 0, 10, 10);
  IPtr<TFormLog> a(New<TFormLog>(Log, "A"));
  a->OnDestroyed = [&] { Log.push_back(MessageOf([&] { Form->GetRootName(); })); };
  Form->AddNotifier(IPtr<IOTANotifier>(a));
  Root->Close();
  EXPECT_EQ(Log, (std::vector<String>{"A Destroyed", String(sModuleClosed)}));
  EXPECT_EQ(MessageOf([&] { Form->GetRootName(); }), sModuleClosed);
  EXPECT_EQ(MessageOf([&] { label->Select(false); }), sModuleClosed);
  EXPECT_NO_THROW(Form->RemoveNotifier(0));
  EXPECT_FALSE(Root->GetFormEditor()) << "no new editor for a closed module";
}

TEST_F(OTAWrappers_, NotifiersHearTheModuleAndMayLeaveDuringABroadcast) {
  IPtr<TFormLog> a(New<TFormLog>(Log, "A")), b(New<TFormLog>(Log, "B"));
  const Integer ia = Form->AddNotifier(IPtr<IOTANotifier>(a));
  const Integer ib = Form->AddNotifier(IPtr<IOTANotifier>(b));
  a->OnModified = [&] { // A leaves and takes B with it, while being told
    Form->RemoveNotifier(ib);
    Form->RemoveNotifier(ia);
  };
  Form->MarkModified();
  EXPECT_EQ(Log, std::vector<String>{"A Modified"});
  EXPECT_EQ(Form->AddNotifier(IPtr<IOTANotifier>(b)), 0) << "the first empty slot";

  // What each step makes the notifier hear (others may hear more of the same step).
  auto heard = [&](const std::function<void()>& step) {
    Log.clear();
    step();
    return Log;
  };
  using ::testing::Contains;
  EXPECT_THAT(heard([&] { Native(Panel)->SetName("Frame"); }),
              Contains(String("B Renamed Panel1>Frame")));
  const auto created = heard([&] { Form->CreateComponent(nullptr, "TLabel", 0, 0, 9, 9); });
  EXPECT_THAT(created, Contains(String("B Renamed >Label1")));
  EXPECT_THAT(created, ::testing::Not(Contains(String("B Renamed >")))) << "no unnamed step";
  EXPECT_THAT(heard([&] { Root->Activate(); }), Contains(String("B Activated")));
  EXPECT_THAT(heard([&] { Root->Modified(); }), Contains(String("B Modified")));
  EXPECT_EQ(heard([&] {
              Root->GetRootStream();
              Root->GetRootStream(); // from the cache
            }),
            std::vector<String>{"B Saving"});
}

TEST_F(OTAWrappers_, SetContentReplacesTheModuleAndABrokenStreamChangesNothing) {
  static_cast<TButton*>(Native(Button))->SetCaption("Old");
  String text = Content();
  ASSERT_NE(text.find("'Old'"), String::npos);
  text.replace(text.find("'Old'"), 5, "'New'");
  Root->ResetDiskAge();
  TStringStream replacement(text);
  Form->SetContent(replacement);
  EXPECT_FALSE(Root->IsDormant());
  EXPECT_EQ(Caption(Form->FindComponent("Button1")), "New");
  EXPECT_TRUE(Form->GetModified());

  for (bool dormant : {false, true}) {
    if (dormant) Root->GoDormant();
    TStringStream broken("object Form1: TForm1\n  object Button1: TNoSuchButton\n  end\nend\n");
    EXPECT_THROW(Form->SetContent(broken), EComponentDesignerException);
    EXPECT_EQ(Root->IsDormant(), dormant);
    Root->Resurrect();
    EXPECT_EQ(Caption(Form->FindComponent("Button1")), "New");
  }
}

TEST_F(OTAWrappers_, FormFileOpenHandsOutADatedSnapshot) {
  Root->Modified();
  IPtr<IStream> stream = Root->FormFileOpen();
  auto dated = QueryIntf<IDatedStream>(stream);
  ASSERT_TRUE(dated);
  EXPECT_EQ(dated->GetModifyTime(), Root->GetModifyTime());
  const String before = Content();
  Native(Button)->Free(); // frees the root's own stream
  Root->Modified();
  TOleStream reader(stream);
  String read(static_cast<std::size_t>(reader.Size()), '\0');
  reader.ReadBuffer(read.data(), reader.Size());
  EXPECT_EQ(read, before);
}

TEST_F(OTAWrappers_, HostFormEditorShowsTheRootBehindItsDesigner) {
  THostModuleServices services;
  auto module = services.OpenModule("Unit1.pas", "Form1");
  THostFormEditor* editor = module->FormEditor();
  EXPECT_FALSE(editor->GetRootComponent());
  editor->Designer = IPtr<IDesigner>(Root.get());
  EXPECT_EQ(Native(editor->FindComponent("Panel1")), Native(Panel));
  EXPECT_EQ(editor->CreateComponent(nullptr, "TLabel", 0, 0, 10, 10)->GetComponentType(), "TLabel");
}

TEST(EnvironmentTools, ToolSelectedFollowsThePalette) {
  IPtr<THostDesignEnvironment> env(New<THostDesignEnvironment>());
  TEnvironmentTools tools{IPtr<IDesignEnvironment>(env)};
  EXPECT_FALSE(tools.ToolSelected());
  env->PaletteItem = IPtr<IInternalPaletteItem>(New<TClassPaletteItem>(TForm::StaticClass()));
  EXPECT_TRUE(tools.ToolSelected());
  EXPECT_FALSE(TEnvironmentTools(nullptr).ToolSelected());
}
