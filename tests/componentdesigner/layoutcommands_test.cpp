#include "componentdesigner/layoutcommands.h"

#include "support/hostsession.h"
#include "support/testutil.h"
#include "tarn/actions.h"
#include "tarn/extctrls.h"
#include "tarn/stdctrls.h"

using namespace fw;
using fwtest::MessageOf;

namespace {

class LayoutCommands_ : public fwtest::HostSession {
protected:
  void SetUp() override {
    HostSession::SetUp();
    Root = NewRoot("Form1");
    Form = static_cast<TForm*>(Root->GetRoot());
    Form->SetClientWidth(400);
    Form->SetClientHeight(300);
  }
  void TearDown() override {
    Root = nullptr;
    HostSession::TearDown();
  }
  THostDesignerModule& Module() { return static_cast<THostDesignerModule&>(*Root->GetModule()); }
  TControl* Add(TComponentClass cls, TWinControl* parent, TRect r) {
    // An empty rectangle would mean a click: into the selected container.
    auto* c = static_cast<TControl*>(
        Root->CreateComponent(cls, parent, r.Left, r.Top, r.Width(), r.Height()));
    c->SetBoundsRect(r); // unsnapped
    return c;
  }
  TControl* Button(Integer left, Integer top, Integer width, Integer height = 25,
                   TWinControl* parent = nullptr) {
    return Add(TButton::StaticClass(), parent ? parent : Form,
               {left, top, left + width, top + height});
  }
  void Select(std::initializer_list<TPersistent*> objects) {
    IPtr<IDesignerSelections> list = CreateSelectionList();
    for (TPersistent* p : objects)
      list->Add(p);
    Root->SetSelections(list);
  }
  /// Runs `command` and answers how often the module of `root` (default: Form1) was marked
  /// modified.
  template <class F> Integer ModifiedBy(F&& command, THostComponentRoot* root = nullptr) {
    auto& module = static_cast<THostDesignerModule&>(*(root ? root : Root.get())->GetModule());
    const Integer before = module.ModifiedCount();
    command();
    return module.ModifiedCount() - before;
  }
  static std::vector<Integer> Lefts(std::initializer_list<TControl*> cs) {
    std::vector<Integer> r;
    for (TControl* c : cs)
      r.push_back(c->Left());
    return r;
  }

  IPtr<THostComponentRoot> Root;
  TForm* Form = nullptr;
};

} // namespace

TEST_F(LayoutCommands_, HorizontalSpacingPutsTheMiddleOfZeroTenAndHundredAtFifty) {
  TControl* a = Button(0, 0, 20);
  TControl* b = Button(10, 40, 20);
  TControl* c = Button(100, 80, 20);
  Select({c, b, a}); // the order of selection does not matter
  Root->Activate();
  auto alignable = Designers()->GetAlignable(); // as the host's tools reach it
  ASSERT_TRUE(alignable);
  EXPECT_EQ(ModifiedBy([&] { alignable->Align(afHSpace); }), 1);
  EXPECT_EQ(Lefts({a, b, c}), (std::vector<Integer>{0, 50, 100}));

  Select({a, c}); // two items: nothing between them to spread
  Root->Align(afHSpace);
  EXPECT_EQ(Lefts({a, c}), (std::vector<Integer>{0, 100}));
}

TEST_F(LayoutCommands_, AlignAffectsFollowTheFirstSelectedItem) {
  struct Case {
    TOTAAffect Affect;
    std::vector<TRect> Bounds; // in selection order
    std::vector<TPoint> Expected;
  };
  const Case cases[] = {
      {afLeft,
       {{40, 0, 60, 25}, {0, 30, 75, 55}, {90, 60, 100, 85}},
       {{40, 0}, {40, 30}, {40, 60}}},
      {afHCenter, {{10, 0, 41, 25}, {0, 30, 20, 55}}, {{10, 0}, {15, 30}}},
      {afRight, {{10, 0, 50, 25}, {0, 30, 20, 55}}, {{10, 0}, {30, 30}}},
      {afBottom, {{0, 10, 20, 50}, {30, 0, 50, 20}}, {{0, 10}, {30, 30}}},
      {afVCenter, {{0, 10, 20, 41}, {30, 0, 50, 21}}, {{0, 10}, {30, 15}}},
      {afHWinCenter, {{0, 5, 100, 30}}, {{150, 5}}},
      {afVWinCenter, {{0, 0, 10, 100}, {20, 50, 30, 200}}, {{0, 50}, {20, 100}}},
      // Gap removal closes up on the reference (the one at 30) edge to edge.
      {afHSpaceDel, {{30, 0, 40, 9}, {0, 0, 10, 9}, {60, 0, 70, 9}}, {{30, 0}, {20, 0}, {40, 0}}},
      // The k-th item away from the reference moves k pixels further away.
      {afHSpaceInc, {{0, 0, 5, 5}, {10, 0, 15, 5}, {20, 0, 25, 5}}, {{0, 0}, {11, 0}, {22, 0}}},
      {afHSpaceDec, {{0, 0, 5, 5}, {10, 0, 15, 5}, {20, 0, 25, 5}}, {{0, 0}, {9, 0}, {18, 0}}},
      // A decrease leaves an item level with the reference where it is; an increase moves it.
      {afVSpaceDec,
       {{0, 10, 5, 15}, {10, 10, 15, 15}, {20, 30, 25, 35}},
       {{0, 10}, {10, 10}, {20, 29}}},
      {afVSpaceInc, {{0, 10, 5, 15}, {10, 10, 15, 15}}, {{0, 10}, {10, 11}}},
      {afHSpaceInc, {{7, 7, 9, 9}}, {{7, 7}}},
  };
  for (const Case& k : cases) {
    std::vector<TControl*> controls;
    IPtr<IDesignerSelections> list = CreateSelectionList();
    for (const TRect& r : k.Bounds) {
      controls.push_back(Add(TButton::StaticClass(), Form, r));
      list->Add(controls.back());
    }
    Root->SetSelections(list);
    Root->Align(k.Affect);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      EXPECT_EQ(controls[i]->Left(), k.Expected[i].X)
          << "affect " << int(k.Affect) << " item " << i;
      EXPECT_EQ(controls[i]->Top(), k.Expected[i].Y) << "affect " << int(k.Affect) << " item " << i;
      EXPECT_EQ(controls[i]->BoundsRect().Width(), k.Bounds[i].Width());
    }
    for (TControl* c : controls)
      c->Free();
  }
}

TEST_F(LayoutCommands_, SizeAffectsTakeExtremesFixedValuesOrTheFirstItem) {
  TControl* a = Button(0, 0, 40, 10);
  TControl* b = Button(0, 30, 75, 30);
  TControl* c = Button(0, 70, 60, 20);
  auto sizes = [&] {
    return std::vector<TPoint>{
        {a->Width(), a->Height()}, {b->Width(), b->Height()}, {c->Width(), c->Height()}};
  };
  Select({a, b, c});
  EXPECT_EQ(ModifiedBy([&] { Root->Size(asHGrow, 0); }), 1);
  EXPECT_EQ(sizes(), (std::vector<TPoint>{{75, 10}, {75, 30}, {75, 20}}));
  Root->Size(asVShrink, 0);
  EXPECT_EQ(sizes(), (std::vector<TPoint>{{75, 10}, {75, 10}, {75, 10}}));
  Root->Size(asHAbsolute, 120);
  Root->Size(asVAbsolute, 33);
  EXPECT_EQ(sizes(), (std::vector<TPoint>{{120, 33}, {120, 33}, {120, 33}}));
  b->SetBounds(0, 30, 75, 30);
  Select({b, a, c});
  Root->Size(asWidthHeight, 0);
  EXPECT_EQ(sizes(), (std::vector<TPoint>{{75, 30}, {75, 30}, {75, 30}}));
  EXPECT_EQ(a->Left(), 0); // sizing never moves
}

TEST_F(LayoutCommands_, CommandsActOnTheFirstItemsSiblingsOnly) {
  auto* panel = static_cast<TWinControl*>(Add(TPanel::StaticClass(), Form, {200, 0, 400, 200}));
  TControl* inPanel = Button(5, 5, 20, 25, panel);
  TControl* onForm = Button(40, 0, 20);
  TControl* other = Button(90, 50, 20);
  TComponent* icon = Root->CreateComponent(TActionList::StaticClass(), Form, 0, 0, 0, 0);
  icon->SetDesignInfo(7 | (9 << 16));
  Select({onForm, inPanel, icon, other});
  Root->Align(afLeft);
  EXPECT_EQ(Lefts({onForm, other, inPanel}), (std::vector<Integer>{40, 40, 5}));
  EXPECT_EQ(icon->DesignInfo(), 7 | (9 << 16)); // an icon keeps its place
  EXPECT_EQ(SelectedObjects(*Root), (std::vector<TPersistent*>{onForm, icon, other}));
}

TEST_F(LayoutCommands_, NothingMovesWithoutASelectionOnTheRootWhileLockedOrReadOnly) {
  TControl* a = Button(0, 0, 20);
  TControl* b = Button(30, 30, 40);
  Root->NoSelection();
  EXPECT_EQ(ModifiedBy([&] {
              Root->Align(afLeft);
              Root->Size(asHGrow, 0);
              Root->AlignToGrid();
            }),
            0);
  Select({a, Form, b});
  EXPECT_EQ(ModifiedBy([&] { Root->Align(afLeft); }), 0);
  EXPECT_EQ(Lefts({a, b}), (std::vector<Integer>{0, 30}));

  Select({a, b});
  Designer->SetControlsLocked(true);
  EXPECT_EQ(ModifiedBy([&] {
              Root->Align(afLeft);
              Root->Size(asHGrow, 0);
            }),
            0);
  Designer->SetControlsLocked(false);

  Module().SetReadOnly(true);
  for (auto command : std::vector<std::function<void()>>{
           [&] { Root->Align(afLeft); }, [&] { Root->Size(asHGrow, 0); },
           [&] { Root->Command(dmAlignToGrid); }, [&] { Root->BringToFront(); },
           [&] { Root->Command(dmFlipAllChildren); }})
    EXPECT_EQ(MessageOf<EComponentDesignerException>(command), "Source is read-only");
  EXPECT_EQ(Lefts({a, b}), (std::vector<Integer>{0, 30}));
  EXPECT_EQ(b->Width(), 40);
}

TEST_F(LayoutCommands_, GridZOrderAndFlippingThroughTheDesignCommands) {
  TControl* a = Button(13, 21, 20);
  TControl* b = Button(3, 3, 20);
  Select({a});
  EXPECT_EQ(ModifiedBy([&] { Root->Command(dmAlignToGrid); }), 1);
  EXPECT_EQ(a->BoundsRect(), (TRect{16, 24, 36, 49}));

  EXPECT_LT(a->ZOrderPosition(), b->ZOrderPosition());
  Root->BringToFront();
  EXPECT_GT(a->ZOrderPosition(), b->ZOrderPosition());
  Root->Align(afSendToBack);
  EXPECT_LT(a->ZOrderPosition(), b->ZOrderPosition());

  auto* panel = static_cast<TWinControl*>(Add(TPanel::StaticClass(), Form, {0, 100, 100, 200}));
  panel->SetAlign(alLeft);
  TControl* inner = Button(10, 5, 30, 25, panel);
  QueryIntf<IFlipChildren>(Root.get())->FlipChildren(true);
  EXPECT_EQ(b->Left(), 400 - 3 - 20);
  EXPECT_EQ(panel->Align(), alRight);
  EXPECT_EQ(inner->Left(), panel->ClientWidth() - 10 - 30);

  Select({panel}); // only what the panel holds
  const Integer before = b->Left();
  Root->Command(dmFlipSelectedChildren);
  EXPECT_EQ(inner->Left(), 10);
  EXPECT_EQ(b->Left(), before);
}

TEST_F(LayoutCommands_, HandlersAreCreatedInTheSourceFirstAndRenamedInTheClass) {
  EXPECT_EQ(Root->CreateMethod("", nullptr).Code, nullptr);
  EXPECT_EQ(Module().FindMethod(""), nullptr);

  Module().SetReadOnly(true);
  EXPECT_EQ(
      MessageOf<EComponentDesignerException>([&] { Root->CreateMethod("Form1Click", nullptr); }),
      "Source is read-only");
  EXPECT_EQ(Form->MethodAddress("Form1Click"), nullptr);
  Module().SetReadOnly(false);

  const TMethod m = Root->CreateMethod("Form1Click", nullptr);
  ASSERT_NE(Module().FindMethod("Form1Click"), nullptr);
  EXPECT_EQ(Root->GetMethodName(m), "Form1Click");
  EXPECT_EQ(Root->GetMethodName(TMethod{m.Code, Root.get()}), "");
  EXPECT_TRUE(Root->MethodExists("form1click"));

  // A rename in the source carries the class's entry along.
  Root->RenameMethod("Form1Click", "OkClick");
  EXPECT_NE(Module().FindMethod("OkClick"), nullptr);
  EXPECT_EQ(Root->GetMethodName(m), "OkClick");
  EXPECT_EQ(ModifiedBy([&] { Root->RenameRootMethod("Missing", "X"); }), 0);
  EXPECT_EQ(ModifiedBy([&] { Root->RenameRootMethod("OkClick", "DoneClick"); }), 1);
  EXPECT_EQ(Root->GetMethodName(m), "DoneClick");

  // What the descendant inherits is the ancestor's; its own handlers are not.
  auto derived = NewRoot("Form2", "Form1");
  const TMethod own = derived->CreateMethod("Form2Click", nullptr);
  EXPECT_TRUE(derived->MethodFromAncestor(TMethod{m.Code, derived->GetRoot()}));
  EXPECT_FALSE(derived->MethodFromAncestor(own));
  EXPECT_FALSE(Root->MethodFromAncestor(m));
  EXPECT_EQ(ModifiedBy([&] { derived->RenameRootMethod("DoneClick", "X"); }, derived.get()), 0);
  EXPECT_EQ(derived->GetRoot()->MethodName(m.Code), "DoneClick");
}
