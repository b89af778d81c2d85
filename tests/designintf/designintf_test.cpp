#include "designintf/designintf.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using namespace fw;

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

struct TCategoryCall {
  String Category;
  TClass Class;
  PTypeInfo Type;
  String Name;
};
std::vector<TCategoryCall> gCategoryCalls;
void RecordCategory(const String& category, TClass cls, PTypeInfo type, const String& name) {
  gCategoryCalls.push_back({category, cls, type, name});
}

struct TEditorCall {
  PTypeInfo Type;
  TClass Class;
  String Name;
  TClass Editor;
};
std::vector<TEditorCall> gEditorCalls;
void RecordEditor(PTypeInfo type, TClass cls, const String& name, TClass editor) {
  gEditorCalls.push_back({type, cls, name, editor});
}

std::vector<std::tuple<Integer, TClass, TClass>> gModuleCalls;
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
};

TEST_F(DesignIntfHooks, CallsThroughEmptyHooksAreIgnored) {
  ASSERT_EQ(RegisterPropertyEditorProc, nullptr);
  RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", TPanel::StaticClass());
  UnlistPublishedProperty(TPanel::StaticClass(), "Tag");
  RegisterComponentEditor(TPanel::StaticClass(), nullptr);
  RegisterCustomModule(TPanel::StaticClass(), nullptr);
  RegisterPropertyInCategory("Visual", "Caption");
  // Even an element that would be refused is not looked at without a hook.
  EXPECT_NO_THROW(RegisterPropertiesInCategory("Visual", {42}));
  RegisterDesignNotification(nullptr);
  ForceDemandLoadState(dlEnable);
  EnableDemandLoadReport(true);
  RegisterIDropTarget(nullptr);
  EXPECT_TRUE(gEditorCalls.empty());
  EXPECT_TRUE(gCategoryCalls.empty());
  EXPECT_TRUE(gModuleCalls.empty());
}

TEST_F(DesignIntfHooks, FilledHookReceivesTheArguments) {
  RegisterPropertyEditorProc = &RecordEditor;
  RegisterPropertyEditor(TypeInfo<String>(), TPanel::StaticClass(), "Caption",
                         TPanel::StaticClass());
  RegisterPropertyEditorProc = nullptr; // what shut-down does
  RegisterPropertyEditor(TypeInfo<String>(), nullptr, "", nullptr);
  ASSERT_EQ(gEditorCalls.size(), 1u);
  EXPECT_EQ(gEditorCalls[0].Name, "Caption");
  EXPECT_EQ(gEditorCalls[0].Class, TPanel::StaticClass());
}

TEST_F(DesignIntfHooks, UnlistPublishedPropertyRegistersANilEditorForKnownNamesOnly) {
  RegisterPropertyEditorProc = &RecordEditor;
  UnlistPublishedProperty(TPanel::StaticClass(), "Tag");
  UnlistPublishedProperty(TPanel::StaticClass(), "NoSuchProperty");
  ASSERT_EQ(gEditorCalls.size(), 1u);
  EXPECT_EQ(gEditorCalls[0].Type, GetPropInfo(TPanel::StaticClass()->TypeInfo, "Tag")->PropType());
  EXPECT_EQ(gEditorCalls[0].Class, TPanel::StaticClass());
  EXPECT_EQ(gEditorCalls[0].Name, "Tag");
  EXPECT_EQ(gEditorCalls[0].Editor, nullptr);
}

TEST_F(DesignIntfHooks, CustomModuleRegistrationCarriesTheCurrentGroup) {
  RegisterCustomModuleProc = &RecordModule;
  const Integer saved = CurrentGroup;
  CurrentGroup = 7;
  RegisterCustomModule(TPanel::StaticClass(), nullptr);
  CurrentGroup = saved;
  ASSERT_EQ(gModuleCalls.size(), 1u);
  EXPECT_EQ(std::get<0>(gModuleCalls[0]), 7);
}

TEST_F(DesignIntfHooks, PropertiesInCategoryFiltersByElementType) {
  RegisterPropertyInCategoryProc = &RecordCategory;
  PTypeInfo type = TypeInfo<Integer>();
  RegisterPropertiesInCategory("Layout", {type, TPanel::StaticClass(), "Caption"});
  ASSERT_EQ(gCategoryCalls.size(), 3u);
  EXPECT_EQ(gCategoryCalls[0].Type, type);
  EXPECT_EQ(gCategoryCalls[0].Class, nullptr);
  EXPECT_EQ(gCategoryCalls[0].Name, "");
  EXPECT_EQ(gCategoryCalls[1].Class, TPanel::StaticClass());
  EXPECT_EQ(gCategoryCalls[1].Type, nullptr);
  EXPECT_EQ(gCategoryCalls[2].Name, "Caption");
  EXPECT_EQ(gCategoryCalls[2].Class, nullptr);
}

TEST_F(DesignIntfHooks, InvalidFilterRaisesAfterEarlierElementsWereRegistered) {
  RegisterPropertyInCategoryProc = &RecordCategory;
  try {
    RegisterPropertiesInCategory("Layout", {TypeInfo<Integer>(), TPanel::StaticClass(), 5});
    FAIL() << "an integer filter must be refused";
  } catch (const EPropertyError& e) {
    EXPECT_EQ(e.Message(), "Property filters may only be name, class or type based (2:0)");
  }
  EXPECT_EQ(gCategoryCalls.size(), 2u);
  // A wide string is not a name filter either.
  const WideString wide = u"Caption";
  EXPECT_THROW(RegisterPropertiesInCategory("Layout", {wide}), EPropertyError);
}

TEST_F(DesignIntfHooks, StringArrayFormsCallOncePerElementInOrder) {
  RegisterPropertyInCategoryProc = &RecordCategory;
  RegisterPropertiesInCategory("Visual", TPanel::StaticClass(), {"Left", "Top"});
  RegisterPropertiesInCategory("Visual", TypeInfo<String>(), {"Caption"});
  RegisterPropertyInCategory("Input", TypeInfo<Integer>());
  ASSERT_EQ(gCategoryCalls.size(), 4u);
  EXPECT_EQ(gCategoryCalls[0].Name, "Left");
  EXPECT_EQ(gCategoryCalls[1].Name, "Top");
  EXPECT_EQ(gCategoryCalls[1].Class, TPanel::StaticClass());
  EXPECT_EQ(gCategoryCalls[2].Type, TypeInfo<String>());
  EXPECT_EQ(gCategoryCalls[3].Category, "Input");
  EXPECT_EQ(gCategoryCalls[3].Name, "");
}

TEST(DesignIntfTypes, AttributeMaskIsFixed) {
  EXPECT_EQ(AttributesToMask({paMultiSelect}), 8);
  EXPECT_EQ(AttributesToMask({paRevertable}), 128);
  EXPECT_EQ(AttributesToMask({paDisplayReadOnly}), 4096);
  EXPECT_EQ(AttributesToMask({paValueEditable}), 16384);
  EXPECT_EQ(MaskToAttributes(8 | 128), (TPropertyAttributes{paMultiSelect, paRevertable}));
}

TEST(DesignIntfTypes, InterfaceIdentifiersAreDistinct) {
  const TGUID ids[] = {IProperty::IID,
                       IProperty70::IID,
                       IProperty80::IID,
                       IProperty160::IID,
                       IPropertyKind::IID,
                       IWideProperty::IID,
                       IWideProperty10::IID,
                       IMethodProperty::IID,
                       IReferenceProperty::IID,
                       IShowReferenceProperty::IID,
                       IActivatable::IID,
                       IClass::IID,
                       IDesignObject::IID,
                       IDesignPersistent::IID,
                       IDesignerSelections::IID,
                       IDesigner60::IID,
                       IDesigner70::IID,
                       IDesigner80::IID,
                       IDesigner100::IID,
                       IDesigner170::IID,
                       IDesigner::IID,
                       IDesignNotification::IID,
                       IDesignWindow::IID,
                       IEditHandler::IID,
                       IImplementation::IID,
                       IComponentEditor::IID,
                       IDefaultEditor::IID,
                       ISelectionEditor::IID,
                       ISelectionPropertyFilter::IID,
                       ISelectionEditorList::IID,
                       ICustomModule::IID,
                       IComponentGuidelines::IID,
                       IEventInfo::IID,
                       IHostForm::IID,
                       IPropertyHost::IID,
                       IPropertyHost20::IID,
                       IPropertyControl::IID,
                       IPropertyDescription::IID,
                       IWidePropertyDescription::IID,
                       IDropTarget::IID,
                       IMenuItems::IID,
                       IMenuItem::IID,
                       IMenuItem2::IID,
                       IMenu::IID,
                       IMainMenu::IID,
                       IPopupMenu::IID,
                       IDesignLocalMenu140::IID,
                       IDesignLocalMenu::IID,
                       IInterface::IID,
                       IInterfaceList::IID};
  for (std::size_t i = 0; i < std::size(ids); ++i)
    for (std::size_t j = i + 1; j < std::size(ids); ++j)
      EXPECT_FALSE(ids[i] == ids[j]) << i << " and " << j << " share " << ids[i].ToString();
}

TEST(DesignerSelections, EqualityRespectsOrderAndCopyKeepsIt) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* a = New<TPanel>(owner.get());
  auto* b = New<TPanel>(owner.get());
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
}

TEST(DesignerSelections, DesignObjectsWrapTheirPersistent) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  owner->SetName("Form1");
  auto* panel = New<TPanel>(owner.get());
  panel->SetName("Panel1");
  TOwned<TPersistent> loose(New<TPersistent>());
  IPtr<IDesignerSelections> sel = CreateSelectionList();
  sel->Add(panel);
  sel->Add(loose.get());

  IPtr<IDesignObject> p = sel->GetDesignObject(0);
  EXPECT_TRUE(p->GetIsComponent());
  EXPECT_EQ(p->GetComponentIndex(), 0);
  EXPECT_EQ(p->GetComponentOrClassName(), "Panel1");
  EXPECT_EQ(p->GetNamePath(), "Panel1");
  EXPECT_TRUE(p->Equals(panel));
  EXPECT_TRUE(p->Equals(PersistentToDesignObject(panel)));
  EXPECT_FALSE(p->Equals(PersistentToDesignObject(loose.get())));

  IPtr<IDesignObject> l = sel->GetDesignObject(1);
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

TEST(EventInfo, ReadsParametersAndResultFromMethodTypeData) {
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
}

TEST(EventInfo, TruncatedTypeDataIsRefused) {
  TTypeData data;
  data.MethodData = {0, 2, 0, 3, 'A'};
  EXPECT_THROW(TEventInfo{&data}, EPropertyError);
}

} // namespace
