#include "designeditors/compeditors.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "componentdesigner/proxies.h"
#include "designeditors/custommodules.h"
#include "designeditors/editorregistry.h"
#include "designeditors/guidelines.h"
#include "designeditors/selectioneditors.h"
#include "editor_test_classes.h"
#include "host/hostmenu.h"
#include "host/hostservices.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

// ---- components with events --------------------------------------------------------------------

class TPart : public TComponent {
  FW_CLASS(TPart)
public:
  using TComponent::TComponent;
  TNotifyEvent FOnClick, FOnChange, FOnEnter, FOnExit;
};
class TClicker : public TPart {
  FW_CLASS(TClicker)
public:
  using TPart::TPart;
};
class TEnterExit : public TPart {
  FW_CLASS(TEnterExit)
public:
  using TPart::TPart;
};
class TQuiet : public TPart {
  FW_CLASS(TQuiet)
public:
  using TPart::TPart;
};

TClass TPart::StaticClass() { return PlainClass<TPart, TComponent>("TPart"); }
TClass TClicker::StaticClass() {
  static const TClass cls = TClassBuilder<TClicker, TPart>("TClicker", "Tests")
                                .Property("OnEnter", &TPart::FOnEnter, &TPart::FOnEnter)
                                .Property("OnClick", &TPart::FOnClick, &TPart::FOnClick)
                                .Property("OnChange", &TPart::FOnChange, &TPart::FOnChange)
                                .Build();
  return cls;
}
TClass TEnterExit::StaticClass() {
  static const TClass cls = TClassBuilder<TEnterExit, TPart>("TEnterExit", "Tests")
                                .Property("OnExit", &TPart::FOnExit, &TPart::FOnExit)
                                .Property("OnEnter", &TPart::FOnEnter, &TPart::FOnEnter)
                                .Build();
  return cls;
}
TClass TQuiet::StaticClass() { return PlainClass<TQuiet, TPart>("TQuiet"); }

/// An event editor that records which event was opened.
std::vector<String> gEdited;
class TRecordingEventEditor : public TPropertyEditor, public IMethodProperty {
  FW_CLASS(TRecordingEventEditor)
public:
  using TPropertyEditor::TPropertyEditor;
  void Edit() override { gEdited.push_back(GetName()); }
};
TClass TRecordingEventEditor::StaticClass() {
  return PlainClass<TRecordingEventEditor, TPropertyEditor, IMethodProperty>(
      "TRecordingEventEditor");
}

// ---- editors registered by a "package" ---------------------------------------------------------

std::vector<String> gMade;
template <const char* Name> class TNamedComponentEditor : public TComponentEditor {
public:
  using TSelf = TNamedComponentEditor;
  TNamedComponentEditor(TComponent* c, const IPtr<IDesigner>& d) : TComponentEditor(c, d) {}
  static TClass StaticClass() { return PlainClass<TNamedComponentEditor, TComponentEditor>(Name); }
  TClass DeclaredClass() const override { return StaticClass(); }
  Integer GetVerbCount() override { return 1; }
  String GetVerb(Integer) override { return Name; }
  void ExecuteVerb(Integer) override { gMade.push_back(Name); }
};
constexpr char kPartEditor[] = "TPartEditor";
constexpr char kClickerEditor[] = "TClickerEditor";
using TPartEditor = TNamedComponentEditor<kPartEditor>;
using TClickerEditor = TNamedComponentEditor<kClickerEditor>;

template <const char* Name> class TNamedSelectionEditor : public TSelectionEditor {
public:
  using TSelf = TNamedSelectionEditor;
  using TSelectionEditor::TSelectionEditor;
  static TClass StaticClass() { return PlainClass<TNamedSelectionEditor, TSelectionEditor>(Name); }
  TClass DeclaredClass() const override { return StaticClass(); }
  String GetVerb(Integer) override { return Name; }
  Integer GetVerbCount() override { return 1; }
};
constexpr char kForComponents[] = "ForComponents";
constexpr char kForParts[] = "ForParts";
constexpr char kForClickers[] = "ForClickers";
constexpr char kForPartsAgain[] = "ForPartsAgain";

class TEditDesigner : public TTestDesigner, public IEditHandler {
  FW_CLASS(TEditDesigner)
public:
  bool EditAction(TEditAction action) override {
    Actions.push_back(action);
    return true;
  }
  TEditStates GetEditState() override { return {esCanCopy}; }
  std::vector<TEditAction> Actions;
};
TClass TEditDesigner::StaticClass() {
  return PlainClass<TEditDesigner, TTestDesigner, IEditHandler>("TEditDesigner");
}

/// Below the root of another class group.
class TFrameworkButton : public TOtherWidget {
  FW_CLASS(TFrameworkButton)
public:
  using TOtherWidget::TOtherWidget;
};
TClass TFrameworkButton::StaticClass() {
  return PlainClass<TFrameworkButton, TOtherWidget>("TFrameworkButton");
}

class TEdgeGuidelines : public TComponentGuidelines {
  FW_CLASS(TEdgeGuidelines)
public:
  using TComponentGuidelines::TComponentGuidelines;
  Integer GetCount() override { return 2; }
  TDesignerGuideType GetDesignerGuideType(Integer i) override {
    return i == 0 ? gtAlignLeft : gtBaseline;
  }
  Integer DesignerGuideOffset(Integer i) override { return i == 0 ? 5 : 12; }
  Integer CalcHorzPos(Integer pos) override { return pos + 100; }
  Integer CalcVertPos(Integer pos) override { return pos + 1000; }
};
TClass TEdgeGuidelines::StaticClass() {
  return PlainClass<TEdgeGuidelines, TComponentGuidelines>("TEdgeGuidelines");
}

class TCountingDropTarget : public TInterfacedObject, public IDropTarget {
public:
  HResult DragEnter(const IPtr<IInterface>&, Integer, TPoint, Integer& effect) override {
    effect = 7;
    return 1;
  }
  HResult DragOver(Integer, TPoint, Integer&) override { return 2; }
  HResult DragLeave() override { return 3; }
  HResult Drop(const IPtr<IInterface>&, Integer, TPoint, Integer&) override { return 4; }
};

struct Package : ::testing::Test {
  Integer group = 0;
  Integer savedGroup = CurrentGroup;
  IPtr<TTestDesigner> designer{New<TTestDesigner>()};
  TOwned<TComponent> root{New<TComponent>(nullptr)};
  void SetUp() override {
    DesignEditorsStartup();
    ComponentEditorsStartup();
    SelectionEditorsStartup();
    GuidelinesStartup();
    group = NewEditorGroup();
    designer->Root = root.get();
    gEdited.clear();
    gMade.clear();
  }
  void TearDown() override {
    FreeEditorGroup(group);
    CurrentGroup = savedGroup;
    GuidelinesShutdown();
    SelectionEditorsShutdown();
    ComponentEditorsShutdown();
    DesignEditorsShutdown();
  }
  IPtr<IDesigner> D() { return QueryIntf<IDesigner>(designer); }
  template <class T> T* Make(const String& name) { return MakeNamed<T>(root.get(), name); }
  std::vector<String> VerbsOf(const IPtr<ISelectionEditorList>& list) {
    std::vector<String> verbs;
    for (Integer i = 0; i < list->GetCount(); ++i)
      verbs.push_back(list->Get(i)->GetVerb(0));
    return verbs;
  }
};

} // namespace

TEST_F(Package, MostDerivedComponentEditorWinsWhateverTheOrder) {
  auto* clicker = Make<TClicker>("Clicker1");
  auto* quiet = Make<TQuiet>("Quiet1");
  RegisterComponentEditor(TClicker::StaticClass(), TClickerEditor::StaticClass());
  RegisterComponentEditor(TPart::StaticClass(), TPartEditor::StaticClass());
  GetComponentEditor(clicker, D())->Edit(); // the base registration came later, yet loses
  GetComponentEditor(quiet, D())->Edit();
  EXPECT_EQ(gMade, (std::vector<String>{"TClickerEditor", "TPartEditor"}));
  auto editor = GetComponentEditor(root.get(), D());
  EXPECT_TRUE(QueryIntf<IDefaultEditor>(editor)); // nothing registered for plain components
  EXPECT_EQ(editor->GetComponent(), root.get());
  FreeEditorGroup(group);
  EXPECT_TRUE(QueryIntf<IDefaultEditor>(GetComponentEditor(clicker, D())));
  group = NewEditorGroup();
}

TEST_F(Package, DoubleClickOpensThePreferredEvent) {
  RegisterPropertyEditor(TypeInfoNotifyEvent(), nullptr, "", TRecordingEventEditor::StaticClass());
  GetComponentEditor(Make<TClicker>("Clicker1"), D())->Edit();
  GetComponentEditor(Make<TEnterExit>("EnterExit1"), D())->Edit();
  GetComponentEditor(Make<TQuiet>("Quiet1"), D())->Edit(); // no events: nothing happens
  EXPECT_EQ(gEdited, (std::vector<String>{"OnChange", "OnEnter"}));
}

TEST_F(Package, SelectionEditorsOfTheCommonClassInRegistrationOrder) {
  RegisterSelectionEditor(TComponent::StaticClass(),
                          TNamedSelectionEditor<kForComponents>::StaticClass());
  RegisterSelectionEditor(TClicker::StaticClass(),
                          TNamedSelectionEditor<kForClickers>::StaticClass());
  RegisterSelectionEditor(TPart::StaticClass(), TNamedSelectionEditor<kForParts>::StaticClass());
  RegisterSelectionEditor(TPart::StaticClass(),
                          TNamedSelectionEditor<kForPartsAgain>::StaticClass());
  IPtr<IDesignerSelections> mixed =
      Selection({Make<TClicker>("Clicker1"), Make<TEnterExit>("EnterExit1")});
  EXPECT_EQ(VerbsOf(GetSelectionEditors(D(), mixed)),
            (std::vector<String>{"ForComponents", "ForParts", "ForPartsAgain"}));
  EXPECT_EQ(VerbsOf(GetSelectionEditors(D(), root->FindComponent("Clicker1"))),
            (std::vector<String>{"ForComponents", "ForClickers", "ForParts", "ForPartsAgain"}));
  designer->Selection = {root->FindComponent("EnterExit1")};
  EXPECT_EQ(GetSelectionEditors(D())->GetCount(), 3);
  EXPECT_EQ(GetSelectionEditors(D(), CreateSelectionList())->GetCount(), 0);
  FreeEditorGroup(group);
  EXPECT_EQ(GetSelectionEditors(D(), mixed)->GetCount(), 0);
  group = NewEditorGroup();
}

TEST_F(Package, EditVerbsListTheIdeActionsTheHostHas) {
  THostServicesScope host;
  for (const char* name : {"EditUndoCommand", "EditCopyCommand", "EditPasteCommand",
                           "EditSelectAllCommand", "AlignSendToBackCommand"})
    host.Services().AddAction(name);
  IPtr<TEditActionSelectionEditor> editor(New<TEditActionSelectionEditor>(D()));
  ASSERT_EQ(editor->GetVerbCount(), 2);
  EXPECT_EQ(editor->GetVerb(0), "Edit");
  EXPECT_EQ(editor->GetVerb(1), "Control");
  IPtr<THostMenuItem> edit(New<THostMenuItem>());
  editor->PrepareItem(0, IPtr<IMenuItem>(edit.get()));
  EXPECT_EQ(edit->Describe(), "[EditUndoCommand]\n-\n[EditCopyCommand]\n[EditPasteCommand]\n-\n"
                              "[EditSelectAllCommand]\n");
  IPtr<THostMenuItem> control(New<THostMenuItem>());
  editor->PrepareItem(1, IPtr<IMenuItem>(control.get()));
  EXPECT_EQ(control->Describe(), "[AlignSendToBackCommand]\n");

  // Without edit handlers every "can" state is answered and actions go nowhere.
  EXPECT_EQ(editor->GetEditState(),
            (TEditStates{esCanUndo, esCanRedo, esCanCut, esCanCopy, esCanPaste, esCanDelete}));
  editor->HandleCut(nullptr);
  IPtr<TEditDesigner> handling(New<TEditDesigner>());
  IPtr<TEditActionSelectionEditor> withHandler(
      New<TEditActionSelectionEditor>(QueryIntf<IDesigner>(handling)));
  withHandler->HandlePaste(nullptr);
  EXPECT_EQ(handling->Actions, std::vector<TEditAction>{eaPaste});
  EXPECT_EQ(withHandler->GetEditState(), TEditStates{esCanCopy});
}

TEST_F(Package, CustomModulesAcceptOnlyClassesOfTheirClassGroup) {
  RegisterClasses({TFrameworkButton::StaticClass(), TClicker::StaticClass()});
  TOwned<TComponent> module(New<TComponent>(nullptr));
  IPtr<TCustomModule> custom(New<TCustomModule>(module.get(), D()));
  EXPECT_EQ(custom->GetFinderClass(), TComponent::StaticClass());
  EXPECT_TRUE(custom->ValidateComponentClass(TClicker::StaticClass()));
  EXPECT_FALSE(custom->ValidateComponentClass(TFrameworkButton::StaticClass()));
  TOwned<TFrameworkButton> button(New<TFrameworkButton>(nullptr));
  EXPECT_EQ(MessageOf<ENonAIRException>([&] { custom->ValidateComponent(button.get()); }),
            "Class TFrameworkButton is not applicable to this module");
  // A designed-class proxy counts as the class it was made from.
  TClicker* designed = New<TClicker>(module.get());
  CreateSubClass(designed, "TClicker2", TClicker::StaticClass());
  EXPECT_TRUE(custom->ValidateComponentClass(designed->ClassType()));
  UnRegisterClasses({TFrameworkButton::StaticClass(), TClicker::StaticClass()});
}

TEST(ClassNames, InheritanceByNameAndNameClashes) {
  EXPECT_TRUE(ClassInheritsFrom(TClicker::StaticClass(), "tpart"));
  EXPECT_FALSE(ClassInheritsFrom(TPart::StaticClass(), "TClicker"));
  EXPECT_FALSE(ClassInheritsFrom(nullptr, "TObject"));
  EXPECT_TRUE(AncestorNameMatches(TClicker::StaticClass(), TPart::StaticClass()));
  EXPECT_TRUE(AncestorNameMatches(TClicker::StaticClass(), TOtherWidget::StaticClass()));
  TClassRec impostor = *TQuiet::StaticClass();
  impostor.ClassName = "TPart"; // another class that bears an ancestor's name
  EXPECT_FALSE(AncestorNameMatches(TClicker::StaticClass(), &impostor));
}

TEST_F(Package, GuidelinesComeFromTheNearestRegisteredAncestor) {
  auto* clicker = Make<TClicker>("Clicker1");
  auto none = GuidelinesFor(D(), clicker, root.get());
  ASSERT_TRUE(none);
  EXPECT_EQ(none->GetCount(), 0);
  RegisterComponentGuidelines(TPart::StaticClass(), TEdgeGuidelines::StaticClass());
  RegisterComponentGuidelines(TPart::StaticClass(), TEdgeGuidelines::StaticClass());
  EXPECT_EQ(GuidelinesOf(TPart::StaticClass()).size(), 1u); // the same class twice: one record
  auto g = GuidelinesFor(D(), clicker, root.get());
  ASSERT_EQ(g->GetCount(), 2);
  EXPECT_EQ(g->GetDesignerGuideOffset(0), 105);  // horizontal
  EXPECT_EQ(g->GetDesignerGuideOffset(1), 1012); // the baseline is vertical
  // Another package's record in front of it goes with its package.
  Integer other = NewEditorGroup();
  RegisterComponentGuidelines(TPart::StaticClass(), TComponentGuidelines::StaticClass());
  EXPECT_EQ(GuidelinesFor(D(), clicker, root.get())->GetCount(), 0);
  FreeEditorGroup(other);
  CurrentGroup = group;
  EXPECT_EQ(GuidelinesOf(TPart::StaticClass()).size(), 1u);
  EXPECT_EQ(GuidelinesFor(D(), clicker, root.get())->GetCount(), 2);
}

TEST(DropTargets, ForwardToTheHeldTargetOrSucceedQuietly) {
  IPtr<TDesignerOleDropTarget> forwarder(New<TDesignerOleDropTarget>());
  Integer effect = 0;
  EXPECT_EQ(forwarder->DragEnter(nullptr, 0, {}, effect), S_OK);
  EXPECT_EQ(forwarder->DragLeave(), S_OK);
  forwarder->SetTarget(IPtr<IDropTarget>(new TCountingDropTarget));
  EXPECT_EQ(forwarder->DragEnter(nullptr, 0, {}, effect), 1);
  EXPECT_EQ(effect, 7);
  EXPECT_EQ(forwarder->DragOver(0, {}, effect), 2);
  EXPECT_EQ(forwarder->Drop(nullptr, 0, {}, effect), 4);
}
