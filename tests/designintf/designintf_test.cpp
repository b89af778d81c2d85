#include "designintf/designintf.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "support/testutil.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using namespace fw;
using fwtest::MessageOf;

class TPanel : public TComponent {
  FW_CLASS(TPanel)
public:
  using TComponent::TComponent;
  String FCaption;
  TNotifyEvent FOnClick;
};

TClass TPanel::StaticClass() {
  static const TClass cls = TClassBuilder<TPanel, TComponent>("TPanel", "DesignIntfTest")
                                .Property("Caption", &TPanel::FCaption, &TPanel::FCaption)
                                .Property("OnClick", &TPanel::FOnClick, &TPanel::FOnClick)
                                .Build();
  return cls;
}

// The hooks' calls, kept whole so a test can compare every argument at once.
using TCategoryCall = std::tuple<String, TClass, PTypeInfo, String>;
using TEditorCall = std::tuple<PTypeInfo, TClass, String, TClass>;
std::vector<TCategoryCall> gCategoryCalls;
std::vector<TEditorCall> gEditorCalls;
std::vector<std::tuple<Integer, TClass, TClass>> gModuleCalls;
void RecordCategory(const String& category, TClass cls, PTypeInfo type, const String& name) {
  gCategoryCalls.emplace_back(category, cls, type, name);
}
void RecordEditor(PTypeInfo type, TClass cls, const String& name, TClass editor) {
  gEditorCalls.emplace_back(type, cls, name, editor);
}
void RecordModule(Integer group, TClass base, TClass module) {
  gModuleCalls.emplace_back(group, base, module);
}

class DesignIntfHooks : public ::testing::Test {
protected:
  void SetUp() override {
    gCategoryCalls.clear();
    gEditorCalls.clear();
    gModuleCalls.clear();
  }
  void TearDown() override {
    RegisterPropertyInCategoryProc = nullptr;
    RegisterPropertyEditorProc = nullptr;
    RegisterCustomModuleProc = nullptr;
  }
  const TClass panel = TPanel::StaticClass();
};

TEST_F(DesignIntfHooks, CallsThroughEmptyHooksAreIgnored) {
  ASSERT_EQ(RegisterPropertyEditorProc, nullptr);
  RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", panel);
  UnlistPublishedProperty(panel, "Tag");
  RegisterComponentEditor(panel, nullptr);
  RegisterCustomModule(panel, nullptr);
  RegisterPropertyInCategory("Visual", "Caption");
  // Even an element that would be refused is not looked at without a hook.
  EXPECT_NO_THROW(RegisterPropertiesInCategory("Visual", {42}));
  RegisterDesignNotification(nullptr);
  ForceDemandLoadState(dlEnable);
  EnableDemandLoadReport(true);
  RegisterIDropTarget(nullptr);
}

TEST_F(DesignIntfHooks, EditorAndModuleHooksGetTheArgumentsAndUnlistANilEditorForKnownNames) {
  RegisterPropertyEditorProc = &RecordEditor;
  RegisterPropertyEditor(TypeInfo<String>(), panel, "Caption", panel);
  UnlistPublishedProperty(panel, "Tag");
  UnlistPublishedProperty(panel, "NoSuchProperty");
  RegisterPropertyEditorProc = nullptr; // what shut-down does
  RegisterPropertyEditor(TypeInfo<String>(), nullptr, "", nullptr);
  const PTypeInfo tag = GetPropInfo(panel->TypeInfo, "Tag")->PropType();
  EXPECT_EQ(gEditorCalls, (std::vector<TEditorCall>{{TypeInfo<String>(), panel, "Caption", panel},
                                                    {tag, panel, "Tag", nullptr}}));

  // A custom module's registration carries the current group.
  RegisterCustomModuleProc = &RecordModule;
  const Integer saved = CurrentGroup;
  CurrentGroup = 7;
  RegisterCustomModule(panel, nullptr);
  CurrentGroup = saved;
  EXPECT_EQ(gModuleCalls, (std::vector<std::tuple<Integer, TClass, TClass>>{{7, panel, nullptr}}));
}

TEST_F(DesignIntfHooks, CategoryFormsCallOncePerElementInOrder) {
  RegisterPropertyInCategoryProc = &RecordCategory;
  const PTypeInfo i = TypeInfo<Integer>(), s = TypeInfo<String>();
  RegisterPropertiesInCategory("Layout", {i, panel, "Caption"}); // filtered by element type
  RegisterPropertiesInCategory("Visual", panel, {"Left", "Top"});
  RegisterPropertiesInCategory("Visual", s, {"Caption"});
  RegisterPropertyInCategory("Input", i);
  EXPECT_EQ(gCategoryCalls, (std::vector<TCategoryCall>{{"Layout", nullptr, i, ""},
                                                        {"Layout", panel, nullptr, ""},
                                                        {"Layout", nullptr, nullptr, "Caption"},
                                                        {"Visual", panel, nullptr, "Left"},
                                                        {"Visual", panel, nullptr, "Top"},
                                                        {"Visual", nullptr, s, "Caption"},
                                                        {"Input", nullptr, i, ""}}));
}

TEST_F(DesignIntfHooks, InvalidFilterRaisesAfterEarlierElementsWereRegistered) {
  RegisterPropertyInCategoryProc = &RecordCategory;
  EXPECT_EQ(MessageOf<EPropertyError>([&] {
              RegisterPropertiesInCategory("Layout", {TypeInfo<Integer>(), panel, 5});
            }),
            "Property filters may only be name, class or type based (2:0)");
  EXPECT_EQ(gCategoryCalls.size(), 2u);
  // A wide string is not a name filter either.
  const WideString wide = u"Caption";
  EXPECT_THROW(RegisterPropertiesInCategory("Layout", {wide}), EPropertyError);
}

TEST(DesignIntfTypes, AttributeMaskIsFixed) {
  EXPECT_EQ(AttributesToMask({paMultiSelect}), 8);
  EXPECT_EQ(AttributesToMask({paRevertable}), 128);
  EXPECT_EQ(AttributesToMask({paDisplayReadOnly}), 4096);
  EXPECT_EQ(AttributesToMask({paValueEditable}), 16384);
  EXPECT_EQ(MaskToAttributes(8 | 128), (TPropertyAttributes{paMultiSelect, paRevertable}));
}

TEST(DesignIntfTypes, InterfaceIdentifiersAreDistinct) {
  // clang-format off
  const TGUID ids[] = {
      IProperty::IID, IProperty70::IID, IProperty80::IID, IProperty160::IID, IPropertyKind::IID,
      IWideProperty::IID, IWideProperty10::IID, IMethodProperty::IID, IReferenceProperty::IID,
      IShowReferenceProperty::IID, IActivatable::IID, IClass::IID, IDesignObject::IID,
      IDesignPersistent::IID, IDesignerSelections::IID, IDesigner60::IID, IDesigner70::IID,
      IDesigner80::IID, IDesigner100::IID, IDesigner170::IID, IDesigner::IID,
      IDesignNotification::IID, IDesignWindow::IID, IEditHandler::IID, IImplementation::IID,
      IComponentEditor::IID, IDefaultEditor::IID, ISelectionEditor::IID,
      ISelectionPropertyFilter::IID, ISelectionEditorList::IID, ICustomModule::IID,
      IComponentGuidelines::IID, IEventInfo::IID, IHostForm::IID, IPropertyHost::IID,
      IPropertyHost20::IID, IPropertyControl::IID, IPropertyDescription::IID,
      IWidePropertyDescription::IID, IDropTarget::IID, IMenuItems::IID, IMenuItem::IID,
      IMenuItem2::IID, IMenu::IID, IMainMenu::IID, IPopupMenu::IID, IDesignLocalMenu140::IID,
      IDesignLocalMenu::IID, IInterface::IID, IInterfaceList::IID};
  // clang-format on
  for (std::size_t i = 0; i < std::size(ids); ++i)
    for (std::size_t j = i + 1; j < std::size(ids); ++j)
      EXPECT_FALSE(ids[i] == ids[j]) << i << " and " << j << " share " << ids[i].ToString();
}

TEST(DesignerSelections, EqualityRespectsOrderAndItemsAreWrappedAsDesignObjects) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  owner->SetName("Form1");
  auto* a = New<TPanel>(owner.get());
  auto* b = New<TPanel>(owner.get());
  a->SetName("Panel1");
  IPtr<IDesignerSelections> ab = CreateSelectionList();
  EXPECT_EQ(ab->Add(a), 0);
  EXPECT_EQ(ab->Add(b), 1);
  IPtr<IDesignerSelections> ba = CreateSelectionList();
  ba->Add(b);
  ba->Add(a);
  EXPECT_FALSE(ab->Equals(ba));
  IPtr<IDesignerSelections> copy(New<TDesignerSelections>(ab));
  EXPECT_TRUE(copy->Equals(ab));
  EXPECT_TRUE(ab->Equals(copy));
  copy->Add(a);
  EXPECT_FALSE(copy->Equals(ab));
  EXPECT_THROW(ab->Get(2), EListError);
  EXPECT_THROW(ab->Get(-1), EListError);

  TOwned<TPersistent> loose(New<TPersistent>());
  ab->Add(loose.get());
  IPtr<IDesignObject> p = ab->GetDesignObject(0);
  EXPECT_TRUE(p->GetIsComponent());
  EXPECT_EQ(p->GetComponentIndex(), 0);
  EXPECT_EQ(p->GetComponentOrClassName(), "Panel1");
  EXPECT_EQ(p->GetNamePath(), "Panel1");
  EXPECT_TRUE(p->Equals(a));
  EXPECT_TRUE(p->Equals(PersistentToDesignObject(a)));
  EXPECT_FALSE(p->Equals(PersistentToDesignObject(loose.get())));

  IPtr<IDesignObject> l = ab->GetDesignObject(2);
  EXPECT_FALSE(l->GetIsComponent());
  EXPECT_EQ(l->GetComponentIndex(), -1);
  EXPECT_EQ(l->GetComponentOrClassName(), "TPersistent");

  IPtr<IClass> cls = p->GetClassType();
  EXPECT_TRUE(cls->ClassNameIs("tpanel"));
  EXPECT_EQ(cls->GetUnitName(), "DesignIntfTest");
  EXPECT_EQ(cls->GetClassParent()->GetClassName(), "TComponent");
  IPtr<IClass> top = cls;
  while (IPtr<IClass> up = top->GetClassParent())
    top = up;
  EXPECT_EQ(top->GetClassName(), "TObject");
}

TEST(EventInfo, ReadsParametersAndResultFromMethodTypeDataAndRefusesOtherData) {
  PTypeInfo t =
      MakeMethodType("TKeyEvent", static_cast<TMethodKind>(mkFunction | 16),
                     {{{pfVar}, "Key", "Word"}, {{pfConst}, "Sender", "TObject"}}, "Boolean");
  IPtr<IEventInfo> info(New<TEventInfo>(GetTypeData(t)));
  EXPECT_EQ(info->GetMethodKind(), mkFunction); // bit 4 is cleared
  ASSERT_EQ(info->GetParamCount(), 2);
  EXPECT_EQ(info->GetParamName(0), "Key");
  EXPECT_EQ(info->GetParamType(1), "TObject");
  EXPECT_EQ(info->GetParamFlags(0), TParamFlags{pfVar});
  EXPECT_EQ(info->GetParamFlags(1), TParamFlags{pfConst});
  EXPECT_EQ(info->GetResultType(), "Boolean");
  EXPECT_THROW(info->GetParamName(2), EListError);

  IPtr<IEventInfo> click(New<TEventInfo>(GetPropInfo(TPanel::StaticClass()->TypeInfo, "OnClick")));
  ASSERT_EQ(click->GetParamCount(), 1);
  EXPECT_EQ(click->GetParamName(0), "Sender");
  EXPECT_EQ(click->GetResultType(), "");
  EXPECT_THROW(TEventInfo{GetPropInfo(TPanel::StaticClass()->TypeInfo, "Tag")}, EPropertyError);
  TTypeData data; // truncated
  data.MethodData = {0, 2, 0, 3, 'A'};
  EXPECT_THROW(TEventInfo{&data}, EPropertyError);
}

} // namespace
