#include "componentdesigner/componentcreation.h"

#include "basert/formtext.h"
#include "basert/onexit.h"
#include "componentdesigner/environmenttools.h"
#include "componentdesigner/otawrappers.h"
#include "designedmodules.h"
#include "host/hostpalette.h"
#include "host/hostsurface.h"
#include "support/testutil.h"
#include "tarn/extctrls.h"

using namespace fw;
using fwtest::DesignedModules;
using fwtest::MessageOf;

namespace {

/// A control with no size of its own.
class TDot : public TGraphicControl {
  FW_CLASS(TDot)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TDot(TComponent* owner) : TGraphicControl(owner) {}
};

TClass TDot::StaticClass() {
  static const TClass cls = TClassBuilder<TDot, TGraphicControl>("TDot", "CreationTest").Build();
  return cls;
}

/// A component that refuses to be inherited.
class TSealedBox : public TComponent {
  FW_CLASS(TSealedBox)
public:
  using TVirtualCtorArgs = std::tuple<TComponent*>;
  explicit TSealedBox(TComponent* owner) : TComponent(owner) {
    FComponentStyle.Exclude(styleInheritable);
  }
};

TClass TSealedBox::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSealedBox, TComponent>("TSealedBox", "CreationTest").Build();
  return cls;
}

/// Counts the selections a module publishes and keeps the last one, and what comes and goes.
class TSelectionLog : public TInterfacedObject, public IDesignNotification {
  FW_CLASS(TSelectionLog)
public:
  void SelectionChanged(const IPtr<IDesigner>&, const IPtr<IDesignerSelections>& s) override {
    ++Count;
    Last.clear();
    for (Integer i = 0; i < s->GetCount(); ++i)
      Last.push_back(s->Get(i));
  }
  void ItemDeleted(const IPtr<IDesigner>& d, TPersistent* p) override {
    auto* c = dynamic_cast<TComponent*>(p);
    EXPECT_TRUE(c) << "announced while still whole";
    Deleted.push_back(p);
    if (c) Heard.push_back("-" + d->GetComponentName(c));
  }
  void ItemInserted(const IPtr<IDesigner>& d, TPersistent* p) override {
    Inserted.push_back(p);
    if (auto* c = dynamic_cast<TComponent*>(p)) Heard.push_back("+" + d->GetComponentName(c));
  }
  void ItemsModified(const IPtr<IDesigner>&) override {}
  void DesignerOpened(const IPtr<IDesigner>&, bool) override {}
  void DesignerClosed(const IPtr<IDesigner>&, bool) override {}
  int Count = 0;
  std::vector<TPersistent*> Inserted;
  std::vector<TPersistent*> Last;
  std::vector<TPersistent*> Deleted;
  /// Both in order, by the designer's name: "+" inserted, "-" deleted.
  std::vector<String> Heard;
};

TClass TSelectionLog::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSelectionLog, TInterfacedObject>("TSelectionLog", "CreationTest")
          .Implements<IDesignNotification>()
          .Build();
  return cls;
}

IPtr<IInternalPaletteItem> ItemOf(TClass cls) {
  return IPtr<IInternalPaletteItem>(New<TClassPaletteItem>(cls));
}

class ComponentCreation : public DesignedModules {
protected:
  void SetUp() override {
    DesignedModules::SetUp();
    RegisterClass(TDot::StaticClass());
    RegisterClass(TSealedBox::StaticClass());
  }
  void TearDown() override {
    UnRegisterClass(TSealedBox::StaticClass());
    UnRegisterClass(TDot::StaticClass());
    DesignedModules::TearDown();
  }
  static std::string Bytes(TMemoryStream& s) {
    return {reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size())};
  }
  static TRect Bounds(TComponent* c) { return static_cast<TControl*>(c)->BoundsRect(); }
  /// Closes Form1 and opens it again from what it saved.
  IPtr<THostComponentRoot> Reopen(IPtr<THostComponentRoot>& form, TMemoryStream& saved) {
    form->Close();
    form = nullptr;
    saved.SetPosition(0);
    return THostComponentRoot::Make(
        IPtr<IComponentDesigner>(Designer),
        IPtr<IDesignerModule>(New<THostDesignerModule>("UnitForm1", "Form1", "TForm")), "Form1.lyt",
        &saved, "Form1");
  }
  struct TNest {
    IPtr<THostComponentRoot> Frame, Base;
    TComponent* Outer = nullptr;
    TComponent* Placed = nullptr;
  };
  /// Form1's Panel1 holds Panel2 (with Button1), Label1 and Frame11, an instance of Frame1,
  /// which holds a button of its own.
  TNest BuildNest() {
    TNest n;
    n.Frame = NewRoot("Frame1", "Frame");
    Add(*n.Frame, TButton::StaticClass());
    n.Base = NewRoot("Form1");
    n.Outer = Add(*n.Base, TPanel::StaticClass());
    Add(*n.Base, TButton::StaticClass(), Add(*n.Base, TPanel::StaticClass(), n.Outer));
    Add(*n.Base, TLabel::StaticClass(), n.Outer, 8, 60);
    n.Placed = Add(*n.Base, n.Frame->GetRoot()->ClassType(), n.Outer, 100, 8);
    return n;
  }
  static void Select(THostComponentRoot& root, std::initializer_list<TPersistent*> objects) {
    IPtr<IDesignerSelections> list = CreateSelectionList();
    for (TPersistent* p : objects)
      list->Add(p);
    root.SetSelections(list);
  }
  static std::vector<TPersistent*> Selected(THostComponentRoot& root) {
    IPtr<IDesignerSelections> list = CreateSelectionList();
    root.GetSelections(list);
    std::vector<TPersistent*> v;
    for (Integer i = 0; i < list->GetCount(); ++i)
      v.push_back(list->Get(i));
    return v;
  }
};

TEST(Placement, ClickedTinyItemIs100By41AndOthersKeepTheirSize) {
  const TPlacementContext grid8{{200, 100}, {8, 8}, true, {}};
  struct Case {
    TRect rect, item, expected;
  };
  const Case cases[] = {
      {{10, 20, 11, 21}, {0, 0, 0, 0}, {10, 20, 110, 61}}, // a click: 100 by 41
      {{10, 20, 19, 29}, {0, 0, 9, 9}, {10, 20, 110, 69}},
      {{10, 20, 11, 21}, {0, 0, 75, 25}, {10, 20, 85, 45}},
      {{10, 20, 11, 21}, {0, 0, 3, 100}, {10, 20, 13, 120}},
      {{10, 20, 60, 50}, {0, 0, 75, 25}, {10, 20, 60, 50}}, // a dragged rectangle
      {{}, {0, 0, 75, 25}, {64, 40, 139, 65}},              // centred: (63, 38) snapped
  };
  for (const Case& c : cases) {
    const TRect r = PlaceCreatedItem(c.rect, c.item, grid8);
    EXPECT_EQ(r, c.expected) << c.rect.Left << "," << c.rect.Top << " " << c.item.Width();
  }
}

TEST(Placement, CentredItemsStepPastTakenCorners) {
  std::vector<TPoint> taken;
  auto place = [&](TPoint grid) {
    TPlacementContext context{{200, 100}, grid, true, [&](const TPoint& p) {
                                return std::find(taken.begin(), taken.end(), p) != taken.end();
                              }};
    const TRect r = PlaceCreatedItem({}, {0, 0, 75, 25}, context);
    taken.push_back({r.Left, r.Top});
    return TPoint{r.Left, r.Top};
  };
  EXPECT_EQ(place({8, 8}), (TPoint{64, 40}));
  EXPECT_EQ(place({8, 8}), (TPoint{72, 48})); // +10 each way, snapped
  EXPECT_EQ(place({8, 8}), (TPoint{80, 56}));
  taken = {{64, 32}};
  EXPECT_EQ(place({32, 32}), (TPoint{96, 64})); // +17, a coarse grid still moves on
}

TEST_F(ComponentCreation, CreationPlacesNamesSelectsAndModifies) {
  auto root = NewRoot("Form1");
  TComponent* panel = Add(*root, TPanel::StaticClass(), nullptr, 100, 100);
  static_cast<TControl*>(panel)->SetBounds(100, 100, 200, 200);
  TComponent* inner = Add(*root, TButton::StaticClass(), panel, 10, 10);
  EXPECT_EQ(static_cast<TControl*>(inner)->Parent(), panel);

  // A drop on the panel goes into it, snapped down; a tiny control gets 100 by 41.
  TComponent* dot = root->CreateComponentPos(ItemOf(TDot::StaticClass()), 100 + 13, 100 + 21);
  EXPECT_EQ(static_cast<TControl*>(dot)->Parent(), panel);
  EXPECT_EQ(Bounds(dot), (TRect{8, 16, 108, 57}));
  EXPECT_EQ(dot->Name(), "Dot1");
  EXPECT_EQ(Selected(*root), std::vector<TPersistent*>{dot});
  EXPECT_TRUE(root->Called("ComponentCreated Dot1"));

  // Without a position: into the container of the selected control, centred, then offset.
  Select(*root, {inner});
  TComponent* a = root->CreateComponent(ItemOf(TButton::StaticClass()));
  Select(*root, {inner});
  TComponent* b = root->CreateComponent(ItemOf(TButton::StaticClass()));
  EXPECT_EQ(static_cast<TControl*>(a)->Parent(), panel);
  const TRect ra = Bounds(a), rb = Bounds(b);
  EXPECT_EQ(ra.Width(), 75);
  EXPECT_EQ(TPoint(rb.Left - ra.Left, rb.Top - ra.Top), (TPoint{8, 8}));
  EXPECT_EQ(a->Name() + b->Name(), "Button2Button3");

  // The tools-API point on a non-container maps into its container.
  ASSERT_EQ(Bounds(inner).Left, 8);
  TComponent* c = root->CreateComponent(TButton::StaticClass(), inner, 6, 6, 40, 20);
  EXPECT_EQ(static_cast<TControl*>(c)->Parent(), panel);
  EXPECT_EQ(Bounds(c), (TRect{16, 16, 56, 36})); // (14, 14) snapped
  EXPECT_TRUE(root->IsModified());
}

// Dropped into a placed frame without a position, an item steps past the corners of the frame's
// items; the form's own items lie elsewhere and are no obstacle.
TEST_F(ComponentCreation, DroppedIntoAPlacedFrameItemsStepPastTheFramesCorners) {
  auto frame = NewRoot("Frame1", "Frame");
  auto form = NewRoot("Form1");
  auto* placed = static_cast<TControl*>(Add(*form, frame->GetRoot()->ClassType()));
  placed->SetBounds(0, 0, 320, 240);
  Select(*form, {placed});
  TComponent* a = form->CreateComponent(ItemOf(TButton::StaticClass()));
  const TRect ra = Bounds(a);
  TComponent* onForm = Add(*form, TButton::StaticClass(), nullptr, ra.Left + 8, ra.Top + 8);
  Select(*form, {placed});
  TComponent* b = form->CreateComponent(ItemOf(TButton::StaticClass()));
  ASSERT_TRUE(a->Owner() == placed && b->Owner() == placed && onForm->Owner() == form->GetRoot());
  EXPECT_EQ(TPoint(Bounds(onForm).Left, Bounds(onForm).Top), (TPoint{ra.Left + 8, ra.Top + 8}));
  EXPECT_EQ(TPoint(Bounds(b).Left, Bounds(b).Top), (TPoint{ra.Left + 8, ra.Top + 8}));
}

TEST_F(ComponentCreation, ThePalettesCurrentItemCreatesOnceThenThePointerIsBack) {
  auto frame = NewRoot("Frame1", "Frame");
  auto root = NewRoot("Form1");
  TComponent* panel = Add(*root, TPanel::StaticClass());
  static_cast<TControl*>(panel)->SetBounds(0, 0, 300, 200);
  EXPECT_EQ(root->CreateCurrentComponent(panel, {8, 16, 9, 17}), nullptr);

  IPtr<THostPaletteItem> item(New<THostPaletteItem>("Standard", TDot::StaticClass(), 0));
  Env->PaletteItem = IPtr<IInternalPaletteItem>(item);
  TComponent* dot = root->CreateCurrentComponent(panel, {8, 16, 9, 17});
  ASSERT_NE(dot, nullptr);
  EXPECT_EQ(dot->Name(), "Dot1");
  EXPECT_EQ(static_cast<TControl*>(dot)->Parent(), panel);
  EXPECT_EQ(Bounds(dot), (TRect{8, 16, 108, 57})); // a click: 100 by 41
  EXPECT_EQ(Selected(*root), std::vector<TPersistent*>{dot});
  EXPECT_FALSE(TEnvironmentTools(IPtr<IDesignEnvironment>(Env)).ToolSelected());
  EXPECT_EQ(root->CreateCurrentComponent(panel, {8, 16, 9, 17}), nullptr);

  // A disabled item makes nothing; a designed frame's class makes a nested instance.
  item->Enabled = false;
  Env->PaletteItem = IPtr<IInternalPaletteItem>(item);
  EXPECT_EQ(root->CreateCurrentComponent(panel, {8, 16, 60, 40}), nullptr);
  Env->PaletteItem =
      IPtr<IInternalPaletteItem>(New<THostPaletteItem>("Frames", frame->GetRoot()->ClassType(), 0));
  EXPECT_TRUE(root->IsFrame(root->CreateCurrentComponent(panel, {8, 60, 100, 120})));
  EXPECT_EQ(std::count(Env->Calls().begin(), Env->Calls().end(), "PaletteItemUsed"), 3);
  EXPECT_EQ(Names(root->GetRoot()), (std::vector<String>{"Panel1", "Dot1", "Frame11"}));
}

TEST_F(ComponentCreation, RefusedCreationsLeaveTheModuleAlone) {
  auto base = NewRoot("Form1");
  auto derived = NewRoot("Form2", "Form1");
  const std::size_t before = base->GetRoot()->ComponentList().size();
  EXPECT_EQ(MessageOf([&] { base->CreateComponent(ItemOf(TSealedBox::StaticClass())); }),
            "Component class 'TSealedBox' does not support inheritance and cannot be added to a "
            "module that has descendents");
  Modules["Form1"]->SetReadOnly(true);
  EXPECT_EQ(MessageOf([&] { base->CreateComponent(ItemOf(TButton::StaticClass())); }),
            "Unit UnitForm1 is read-only");
  EXPECT_EQ(base->GetRoot()->ComponentList().size(), before);
  EXPECT_TRUE(derived->GetRoot()->ComponentList().empty());
  EXPECT_NE(derived->CreateComponent(ItemOf(TSealedBox::StaticClass())), nullptr);
}

TEST_F(ComponentCreation, FrameInstancesFollowTheirModule) {
  auto frame = NewRoot("Frame1", "Frame");
  auto* button = static_cast<TButton*>(Add(*frame, TButton::StaticClass()));
  button->SetCaption("Go");
  frame->Modified();
  auto form = NewRoot("Form1");
  TClass frameClass = frame->GetRoot()->ClassType();

  TComponent* instance = Add(*form, frameClass);
  ASSERT_NE(instance, nullptr);
  EXPECT_TRUE(form->IsFrame(instance));
  EXPECT_TRUE(instance->ComponentState().Contains(stateInline));
  EXPECT_FALSE(instance->ComponentState().Contains(stateAncestor));
  auto* copy = dynamic_cast<TButton*>(instance->FindComponent("Button1"));
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(copy->Caption(), "Go");
  EXPECT_TRUE(form->Called("InlineComponentAdded Button1"));

  button->SetCaption("Stop"); // the frame module's change reaches the placed instance
  frame->Modified();
  EXPECT_EQ(copy->Caption(), "Stop");

  EXPECT_EQ(form->FrameCreateComponent(TButton::StaticClass(), form->GetRoot()), nullptr);
  EXPECT_EQ(MessageOf([&] { frame->FrameCreateComponent(frameClass, frame->GetRoot()); }),
            "A nested component cannot be inserted into itself");
  auto other = NewRoot("Form2");
  EXPECT_EQ(MessageOf([&] {
              form->FrameCreateComponent(other->GetRoot()->ClassType(), form->GetRoot());
            }),
            "Cannot paste a form or datamodule into another form or datamodule");

  Select(*form, {instance});
  form->DeleteSelection(false);
  EXPECT_FALSE(form->IsFrame(instance));
  button->SetCaption("Later");
  frame->Modified(); // no update manager of the freed instance is left to hear it
}

// What is made in or pasted into a placed frame belongs to the frame, not to the module root:
// the frame writes only what it owns, so nothing else inside it would survive saving. It is
// named among the frame's names, heard by its dotted name, and comes back from the module's
// stream, from the undelete stream and from a copy, contents and all.
TEST_F(ComponentCreation, WhatIsMadeInAPlacedFrameIsTheFramesAndComesBackFromEveryStream) {
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TPanel::StaticClass());
  auto form = NewRoot("Form1");
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType());
  TComponent* inner = placed->FindComponent("Panel1");
  ASSERT_TRUE(inner);
  IPtr<TSelectionLog> log(New<TSelectionLog>());
  RegisterDesignNotification(IPtr<IDesignNotification>(log));
  TOnExit unregister([&] { UnregisterDesignNotification(IPtr<IDesignNotification>(log)); });
  using Heard = std::vector<String>;
  auto take = [&] { return std::exchange(log->Heard, {}); };

  auto* go = static_cast<TButton*>(Add(*form, TButton::StaticClass(), inner, 4, 4));
  go->SetCaption("Go");
  TComponent* beside = Add(*form, TButton::StaticClass(), placed, 8, 100);
  Add(*form, TButton::StaticClass());
  EXPECT_EQ(go->Owner(), placed);
  EXPECT_EQ(go->GetParentComponent(), inner);
  EXPECT_EQ(beside->Owner(), placed);
  EXPECT_FALSE(go->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(Names(placed), (std::vector<String>{"Panel1", "Button1", "Button2"}));
  EXPECT_EQ(Names(form->GetRoot()), (std::vector<String>{"Frame11", "Button1"}));
  EXPECT_EQ(take(), (Heard{"+Frame11.Button1", "+Frame11.Button2", "+Button1"}));

  // A copied panel with its button, pasted into the frame's panel: both the frame's, and
  // renamed only where the frame's own names clash.
  TComponent* box = Add(*form, TPanel::StaticClass(), nullptr, 200, 8);
  Add(*form, TButton::StaticClass(), box);
  Select(*form, {box});
  TMemoryStream copied;
  form->CopySelectionToStream(copied, nullptr);
  copied.SetPosition(0);
  take();
  form->PasteSelectionFromStream(copied, inner, {});
  auto* pastedBox = dynamic_cast<TPanel*>(placed->FindComponent("Panel2"));
  auto* pastedButton = dynamic_cast<TButton*>(placed->FindComponent("Button3"));
  ASSERT_TRUE(pastedBox && pastedButton);
  EXPECT_EQ(pastedBox->Parent(), inner);
  EXPECT_EQ(pastedButton->Parent(), pastedBox);
  EXPECT_EQ(take(), (Heard{"+Frame11.Panel2", "+Frame11.Button3"}));

  // Copied out of the frame, the panel brings its button along.
  Select(*form, {pastedBox});
  TMemoryStream back;
  form->CopySelectionToStream(back, nullptr);
  back.SetPosition(0);
  form->PasteSelectionFromStream(back, form->GetRoot(), {});
  auto* outBox = dynamic_cast<TPanel*>(form->GetRoot()->FindComponent("Panel2"));
  ASSERT_TRUE(outBox);
  ASSERT_EQ(outBox->ControlCount(), 1);
  EXPECT_EQ(outBox->Controls(0)->Owner(), form->GetRoot());

  Select(*form, {go});
  take();
  form->DeleteSelection(false);
  EXPECT_EQ(placed->FindComponent("Button1"), nullptr);
  EXPECT_EQ(take(), (Heard{"-Frame11.Button1"}));
  form->DoUndelete();
  go = dynamic_cast<TButton*>(placed->FindComponent("Button1"));
  ASSERT_TRUE(go);
  EXPECT_EQ(go->Parent(), inner);
  EXPECT_EQ(go->Caption(), "Go");
  EXPECT_EQ(take(), (Heard{"+Frame11.Button1"}));

  // The tools API deletes the frame's new components too, never what its module brought.
  IPtr<TOTAFormEditor> editor = form->GetFormEditor();
  EXPECT_FALSE(editor->Wrap(inner)->Delete());
  TComponent* gone = Add(*form, TButton::StaticClass(), placed, 100, 100);
  EXPECT_TRUE(editor->Wrap(gone)->Delete());
  EXPECT_EQ(take(), (Heard{"+Frame11.Button4", "-Frame11.Button4"}));
  editor = nullptr;

  // Saved and opened again: each in the frame where it was, the inherited panel unchanged.
  TMemoryStream saved;
  form->WriteRootStream(saved);
  auto reopened = Reopen(form, saved);
  placed = reopened->GetComponent("Frame11");
  ASSERT_TRUE(placed);
  inner = placed->FindComponent("Panel1");
  auto sorted = [](std::vector<String> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(Names(placed)),
            (std::vector<String>{"Button1", "Button2", "Button3", "Panel1", "Panel2"}));
  EXPECT_EQ(sorted(Names(reopened->GetRoot())),
            (std::vector<String>{"Button1", "Button2", "Button3", "Frame11", "Panel1", "Panel2"}));
  go = dynamic_cast<TButton*>(placed->FindComponent("Button1"));
  ASSERT_TRUE(go && inner);
  EXPECT_EQ(go->Parent(), inner);
  EXPECT_EQ(go->Caption(), "Go");
  EXPECT_FALSE(go->ComponentState().Contains(stateAncestor));
  EXPECT_TRUE(inner->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(static_cast<TControl*>(placed->FindComponent("Button3"))->Parent(),
            placed->FindComponent("Panel2"));
}

// The form's handlers on components inside its placed frame (one the frame brought, one made in
// the frame) are the form's: they come back from the form's file as they were written, reach a
// descendant module's copy of the frame bound to that module, and travel with a copied frame.
TEST_F(ComponentCreation, FormHandlersInsideAPlacedFrameAreTheFormsInEveryStream) {
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TButton::StaticClass());
  auto form = NewRoot("Form1");
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType());
  TComponent* brought = placed->FindComponent("Button1");
  TComponent* made = Add(*form, TButton::StaticClass(), placed, 8, 100);
  ASSERT_TRUE(brought && made->Owner() == placed);
  SetMethodProp(brought, "OnClick", form->CreateMethod("Frame11Button1Click", nullptr));
  SetMethodProp(made, "OnClick", form->CreateMethod("GoClick", nullptr));
  form->Modified();
  auto handler = [](THostComponentRoot& root, const String& path) {
    TComponent* c = root.GetComponent(path);
    if (!c) return String("(missing)");
    const TMethod m = GetMethodProp(c, "OnClick");
    return m.Data == root.GetRoot() ? root.GetMethodName(m) : String("(not the module's)");
  };
  EXPECT_EQ(handler(*form, "Frame11.Button1"), "Frame11Button1Click");

  // A descendant opened now, and one following a later change of the ancestor.
  auto derived = NewRoot("Form2", "Form1");
  EXPECT_EQ(handler(*derived, "Frame11.Button1"), "Frame11Button1Click");
  EXPECT_EQ(handler(*derived, "Frame11.Button2"), "GoClick");
  SetMethodProp(brought, "OnClick", form->CreateMethod("OkClick", nullptr));
  form->Modified();
  EXPECT_EQ(handler(*derived, "Frame11.Button1"), "OkClick");
  derived->Close();
  derived = nullptr;

  // Copied with the frame: the handlers come along, named for the pasted frame.
  Select(*form, {placed});
  TMemoryStream copied;
  form->CopySelectionToStream(copied, nullptr);
  copied.SetPosition(0);
  form->PasteSelectionFromStream(copied, form->GetRoot(), {});
  EXPECT_EQ(handler(*form, "Frame12.Button1"), "OkClick2");
  EXPECT_EQ(handler(*form, "Frame12.Button2"), "GoClick2");
  EXPECT_TRUE(Modules["Form1"]->FindMethod("GoClick2"));

  // Saved and opened again: the same handlers, the same bytes.
  TMemoryStream saved;
  form->WriteRootStream(saved);
  const std::string bytes = Bytes(saved);
  TMemoryStream text;
  if (bytes.starts_with("TPF0")) ObjectBinaryToText(bytes, text);
  const std::string written = bytes.starts_with("TPF0") ? Bytes(text) : bytes;
  for (const char* line : {"OnClick = OkClick\r\n", "OnClick = GoClick2\r\n"})
    EXPECT_NE(written.find(line), std::string::npos) << line << " in\n" << written;
  auto reopened = Reopen(form, saved);
  for (const auto& [path, name] : {std::pair{"Frame11.Button1", "OkClick"},
                                   {"Frame11.Button2", "GoClick"},
                                   {"Frame12.Button1", "OkClick2"},
                                   {"Frame12.Button2", "GoClick2"}})
    EXPECT_EQ(handler(*reopened, path), name) << path;
  TMemoryStream again;
  reopened->WriteRootStream(again);
  EXPECT_EQ(Bytes(again), bytes);
}

TEST_F(ComponentCreation, DeleteThenUndeleteRestoresNamesParentAndSelection) {
  auto root = NewRoot("Form1");
  TComponent* panel = Add(*root, TPanel::StaticClass());
  auto* button = static_cast<TButton*>(Add(*root, TButton::StaticClass(), panel));
  button->SetCaption("Ok");
  TComponent* label = Add(*root, TLabel::StaticClass(), panel, 8, 40);
  TComponent* outside = Add(*root, TButton::StaticClass(), nullptr, 8, 200);
  const TRect buttonBounds = Bounds(button);
  EXPECT_FALSE(root->CanUndelete());

  Select(*root, {button, label, outside}); // only the first one's siblings go
  root->DeleteSelection(false);
  EXPECT_EQ(Names(root->GetRoot()), (std::vector<String>{"Panel1", "Button2"}));
  EXPECT_TRUE(root->CanUndelete());
  // An empty selection shows the module itself.
  EXPECT_EQ(Selected(*root), std::vector<TPersistent*>{root->GetRoot()});

  root->DoUndelete();
  EXPECT_FALSE(root->CanUndelete());
  auto* back = dynamic_cast<TButton*>(root->GetComponent("Button1"));
  auto* labelBack = dynamic_cast<TLabel*>(root->GetComponent("Label1"));
  ASSERT_TRUE(back && labelBack);
  EXPECT_EQ(back->Caption(), "Ok");
  EXPECT_EQ(back->Parent(), panel);
  EXPECT_EQ(labelBack->Parent(), panel);
  EXPECT_EQ(back->BoundsRect(), buttonBounds);
  EXPECT_EQ(Selected(*root), (std::vector<TPersistent*>{back, labelBack}));
}

TEST_F(ComponentCreation, EachRequestPublishesTheSelectionOnce) {
  auto root = NewRoot("Form1");
  IPtr<TSelectionLog> log(New<TSelectionLog>());
  RegisterDesignNotification(IPtr<IDesignNotification>(log));
  TComponent* a = Add(*root, TButton::StaticClass());
  EXPECT_EQ(log->Count, 1);
  EXPECT_EQ(log->Last, std::vector<TPersistent*>{a});
  TComponent* b = Add(*root, TButton::StaticClass());
  TComponent* c = Add(*root, TButton::StaticClass());
  root->SelectAll();
  EXPECT_EQ(log->Count, 4);
  EXPECT_EQ(log->Last, (std::vector<TPersistent*>{a, b, c}));

  Select(*root, {c, a});
  log->Count = 0;
  root->DeleteSelection(false);
  EXPECT_EQ(log->Count, 1);
  EXPECT_EQ(log->Last, std::vector<TPersistent*>{root->GetRoot()});
  root->Select(b, false);
  b->Free(); // freed behind the designer's back: it leaves the selection all the same
  EXPECT_EQ(Selected(*root), std::vector<TPersistent*>{root->GetRoot()});
  EXPECT_EQ(log->Last, std::vector<TPersistent*>{root->GetRoot()});
  UnregisterDesignNotification(IPtr<IDesignNotification>(log));
}

/// A panel holding a panel with a button, a label and a frame instance with its own button.
constexpr const char* kNested[] = {"Panel1", "Panel2", "Button1", "Label1", "Frame11", "Button1"};
/// Index into kNested of what holds each entry (the frame owns the last); -1 for the outermost.
constexpr int kHolder[] = {-1, 0, 1, 0, 0, 4};

std::vector<TPersistent*> FindNested(TComponent* root) {
  std::vector<TPersistent*> found;
  for (int i = 0; i < 6; ++i)
    found.push_back((i == 5 ? root->FindComponent("Frame11") : root)->FindComponent(kNested[i]));
  return found;
}

/// Of `heard`, those in `nest` are each of them once, each before what holds it.
void ExpectContentsFirst(const std::vector<TPersistent*>& heard,
                         const std::vector<TPersistent*>& nest) {
  std::vector<std::ptrdiff_t> at;
  for (TPersistent* p : nest) {
    EXPECT_EQ(std::count(heard.begin(), heard.end(), p), 1);
    at.push_back(std::find(heard.begin(), heard.end(), p) - heard.begin());
  }
  for (std::size_t i = 0; i < nest.size(); ++i)
    if (kHolder[i] >= 0) {
      EXPECT_LT(at[i], at[std::size_t(kHolder[i])]) << kNested[i];
    }
}

TEST_F(ComponentCreation, EverythingFreedWithAContainerIsAnnouncedContentsFirst) {
  TNest built = BuildNest();
  IPtr<THostComponentRoot>& base = built.Base;
  TComponent* outer = built.Outer;
  TComponent* placed = built.Placed;
  Add(*base, TButton::StaticClass(), nullptr, 300, 8);
  auto derived = NewRoot("Form2", "Form1");
  IPtr<TSelectionLog> log(New<TSelectionLog>());
  RegisterDesignNotification(IPtr<IDesignNotification>(log));

  // The descendant's copies go through its update manager; its selection holds one that is
  // freed with its parent and must not outlive it.
  const std::vector<TPersistent*> inBase = FindNested(base->GetRoot());
  const std::vector<TPersistent*> inDerived = FindNested(derived->GetRoot());
  derived->Select(inDerived[2], false);
  Select(*base, {outer});
  base->DeleteSelection(false);
  EXPECT_EQ(log->Deleted.size(), inBase.size() + inDerived.size());
  ExpectContentsFirst(log->Deleted, inBase);
  ExpectContentsFirst(log->Deleted, inDerived);
  EXPECT_EQ(Names(base->GetRoot()), std::vector<String>{"Button2"});
  EXPECT_EQ(Selected(*derived), std::vector<TPersistent*>{derived->GetRoot()});
  EXPECT_FALSE(base->IsFrame(placed));

  // Closing announces the closing, not each component.
  log->Deleted.clear();
  derived->Close();
  EXPECT_TRUE(log->Deleted.empty());

  // Brought back, then deleted through the tools interface: the same announcements.
  base->DoUndelete();
  const std::vector<TPersistent*> back = FindNested(base->GetRoot());
  log->Deleted.clear();
  EXPECT_TRUE(base->GetFormEditor()->FindComponent("Panel1")->Delete());
  ExpectContentsFirst(log->Deleted, back);
  UnregisterDesignNotification(IPtr<IDesignNotification>(log));
}

TEST_F(ComponentCreation, AncestorGainingAFrameInstanceReachesAnOpenDescendantAnnouncedOuterFirst) {
  TNest built = BuildNest();
  IPtr<THostComponentRoot>& base = built.Base;
  TComponent* outer = built.Outer;
  auto derived = NewRoot("Form2", "Form1");
  Select(*base, {outer});
  base->DeleteSelection(false);
  ASSERT_EQ(derived->GetRoot()->FindComponent("Panel1"), nullptr);

  IPtr<TSelectionLog> log(New<TSelectionLog>());
  RegisterDesignNotification(IPtr<IDesignNotification>(log));
  base->DoUndelete();
  UnregisterDesignNotification(IPtr<IDesignNotification>(log));
  // Outer first is contents first read backwards, holder for holder.
  const std::vector<TPersistent*> heard(log->Inserted.rbegin(), log->Inserted.rend());
  const std::vector<TPersistent*> nest = FindNested(derived->GetRoot());
  ASSERT_EQ(std::count(nest.begin(), nest.end(), nullptr), 0);
  ExpectContentsFirst(heard, nest);
  for (TPersistent* p : nest)
    EXPECT_TRUE(static_cast<TComponent*>(p)->ComponentState().Contains(stateAncestor))
        << static_cast<TComponent*>(p)->Name();
  EXPECT_TRUE(derived->IsFrame(derived->GetRoot()->FindComponent("Frame11")));
}

TEST_F(ComponentCreation, RefusedDeletionsKeepEverything) {
  auto base = NewRoot("Form1");
  Add(*base, TButton::StaticClass());
  auto derived = NewRoot("Form2", "Form1");
  TComponent* own = Add(*derived, TButton::StaticClass());
  TComponent* inherited = derived->GetComponent("Button1");

  Select(*derived, {own, inherited});
  EXPECT_EQ(MessageOf([&] { derived->DeleteSelection(false); }),
            "Selection contains a component, Button1, introduced in an ancestor and cannot be "
            "deleted");
  Select(*derived, {own, derived->GetRoot()});
  derived->DeleteSelection(false);
  Select(*derived, {own, static_cast<TControl*>(own)->Margins()});
  EXPECT_EQ(MessageOf<ECannotDeleteNonComponentException>([&] { derived->DeleteSelection(false); }),
            "Cannot delete a TPersistent from the designer");
  Modules["Form2"]->SetReadOnly(true);
  Select(*derived, {own});
  EXPECT_EQ(MessageOf([&] { derived->DeleteSelection(false); }),
            "Selection cannot be deleted.  Source is either in read only mode or is a resource "
            "form");
  EXPECT_EQ(Names(derived->GetRoot()), (std::vector<String>{"Button1", "Button2"}));
  EXPECT_FALSE(derived->CanUndelete());
}

} // namespace

TEST_F(ComponentCreation, WhatComesBackIsAnnouncedLikeWhatLeftContainersFirstAndOnce) {
  HostSurfaceStartup(); // for the design window DestroyItem is asked through
  TOnExit stop([] { HostSurfaceShutdown(); });
  TNest n = BuildNest();
  THostComponentRoot& base = *n.Base;
  IPtr<TSelectionLog> log(New<TSelectionLog>());
  RegisterDesignNotification(IPtr<IDesignNotification>(log));
  TOnExit unregister([&] { UnregisterDesignNotification(IPtr<IDesignNotification>(log)); });
  using Heard = std::vector<String>;
  auto take = [&] { return std::exchange(log->Heard, {}); };
  // A container's plain controls come before its windowed ones.
  const Heard panelOut{"-Label1", "-Button1", "-Panel2", "-Frame11.Button1", "-Frame11", "-Panel1"};
  const Heard panelIn{"+Panel1", "+Label1", "+Panel2", "+Button1", "+Frame11", "+Frame11.Button1"};

  Select(base, {n.Placed});
  base.DeleteSelection(false);
  EXPECT_EQ(take(), (Heard{"-Frame11.Button1", "-Frame11"}));
  base.DoUndelete();
  EXPECT_EQ(take(), (Heard{"+Frame11", "+Frame11.Button1"}));

  Select(base, {n.Outer});
  base.CutSelection();
  EXPECT_EQ(take(), panelOut);
  base.PasteSelection();
  EXPECT_EQ(take(), panelIn);

  // A copy beside the original: renamed, and its contents heard under the new name.
  Select(base, {base.GetComponent("Frame11")});
  base.CopySelection();
  base.ClearSelection();
  base.PasteSelection();
  EXPECT_EQ(take(), (Heard{"+Frame12", "+Frame12.Button1"}));

  // The design window's DestroyItem deletes as a deleted selection does.
  TComponent* panel = base.GetComponent("Panel1");
  TComponent* frame = base.GetComponent("Frame11");
  ASSERT_TRUE(panel && frame && base.IsFrame(frame));
  Select(base, {frame});
  base.ResetDiskAge();
  const IPtr<THostDesignSurface> surface = THostRootSurface::Of(base)->Surface();
  surface->DestroyItem(surface->ComponentToItem(panel));
  EXPECT_EQ(take(), panelOut);
  EXPECT_FALSE(base.IsFrame(frame));
  EXPECT_EQ(Selected(base), std::vector<TPersistent*>{base.GetRoot()});
  EXPECT_EQ(Names(base.GetRoot()), (std::vector<String>{"Frame12"}));
  EXPECT_TRUE(base.IsModified());
  EXPECT_THROW(surface->DestroyItem(surface->GetRoot()), Exception);
  auto derived = NewRoot("Form2", "Form1");
  take();
  const IPtr<THostDesignSurface> derivedSurface = THostRootSurface::Of(*derived)->Surface();
  EXPECT_EQ(MessageOf([&] {
              derivedSurface->DestroyItem(
                  derivedSurface->ComponentToItem(derived->GetComponent("Frame12")));
            }),
            "Selection contains a component, Frame12, introduced in an ancestor and cannot be "
            "deleted");
  EXPECT_TRUE(take().empty());
  EXPECT_NE(derived->GetComponent("Frame12"), nullptr);
}

// A module inheriting the form gets the frame's new component in its own copy of the frame,
// where it is inherited (and so not written again), and loses it with the form. A name the
// copy already uses for a component of its own is not given.
TEST_F(ComponentCreation, ADescendantGetsWhatAPlacedFrameGainedInItsOwnCopyOfTheFrame) {
  auto frame = NewRoot("Frame1", "Frame");
  Add(*frame, TPanel::StaticClass());
  auto form = NewRoot("Form1");
  TComponent* placed = Add(*form, frame->GetRoot()->ClassType());
  auto derived = NewRoot("Form2", "Form1");
  TComponent* copied = derived->GetComponent("Frame11");
  ASSERT_TRUE(copied);
  TComponent* own = Add(*derived, TButton::StaticClass(), copied);
  EXPECT_EQ(own->Owner(), copied);
  auto* go = static_cast<TButton*>(
      Add(*form, TButton::StaticClass(), placed->FindComponent("Panel1"), 4, 4));
  go->SetCaption("Go");
  form->Modified();
  EXPECT_EQ(own->Name(), "Button1");
  EXPECT_EQ(go->Name(), "Button2");
  auto* copy = dynamic_cast<TButton*>(copied->FindComponent("Button2"));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->Parent(), copied->FindComponent("Panel1"));
  EXPECT_EQ(copy->Caption(), "Go");
  EXPECT_TRUE(copy->ComponentState().Contains(stateAncestor));
  EXPECT_EQ(derived->GetRoot()->FindComponent("Button2"), nullptr);
  Select(*form, {go});
  form->DeleteSelection(false);
  EXPECT_EQ(copied->FindComponent("Button2"), nullptr);
  EXPECT_EQ(copied->FindComponent("Button1"), own);
}
