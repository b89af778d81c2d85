// Control trees: parents, alignment and anchors, z-order, tab order, hit-testing, coordinates
// and docking.
#include "basert/classbuilder.h"
#include "basert/streams.h"
#include "support/testutil.h"
#include "tarn/docktree.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

struct Bounds {
  Integer Left = 0, Top = 0, Width = 10, Height = 10;
};

template <class T> T* Child(TWinControl* parent, const char* name, Bounds b = {}) {
  T* c = New<T>(parent->Owner() ? parent->Owner() : parent);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(b.Left, b.Top, b.Width, b.Height);
  return c;
}

TOwned<TForm> Form(Integer clientWidth = 400, Integer clientHeight = 300) {
  TOwned<TForm> f(New<TForm>(nullptr));
  f->SetName("Form1");
  f->SetClientWidth(clientWidth);
  f->SetClientHeight(clientHeight);
  return f;
}

TEST(Controls, ParentMayNotBeTheControlOrBelowIt) {
  auto f = Form();
  auto* outer = Child<TPanel>(f.get(), "Outer");
  auto* inner = Child<TPanel>(outer, "Inner");
  EXPECT_EQ(fwtest::MessageOf<EInvalidOperation>([&] { outer->SetParent(inner); }),
            "Control 'Outer' can't have itself as a parent");
  EXPECT_EQ(fwtest::MessageOf<EInvalidOperation>([&] { outer->SetParent(outer); }),
            "Control 'Outer' can't have itself as a parent");
  EXPECT_EQ(outer->Parent(), f.get());
  EXPECT_EQ(inner->Parent(), outer);

  // Moving to another parent leaves the old one; freeing a parent frees its children.
  inner->SetParent(f.get());
  EXPECT_EQ(outer->ControlCount(), 0);
  EXPECT_EQ(f->ControlCount(), 2);
  inner->Free();
  EXPECT_EQ(f->ControlCount(), 1);
  EXPECT_EQ(f->FindComponent("Inner"), nullptr);
}

TEST(Controls, AlignmentFillsTheClientAreaSideBySide) {
  auto f = Form(400, 300);
  auto* top = Child<TPanel>(f.get(), "Top", {0, 0, 10, 50});
  auto* bottom = Child<TPanel>(f.get(), "Bottom", {0, 0, 10, 30});
  auto* left = Child<TPanel>(f.get(), "Left", {0, 0, 40, 10});
  auto* right = Child<TPanel>(f.get(), "Right", {0, 0, 60, 10});
  auto* client = Child<TPanel>(f.get(), "Client");
  client->SetAlign(alClient);
  right->SetAlign(alRight);
  left->SetAlign(alLeft);
  bottom->SetAlign(alBottom);
  top->SetAlign(alTop);
  EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, 400, 50}));
  EXPECT_EQ(bottom->BoundsRect(), (TRect{0, 270, 400, 300}));
  EXPECT_EQ(left->BoundsRect(), (TRect{0, 50, 40, 270}));
  EXPECT_EQ(right->BoundsRect(), (TRect{340, 50, 400, 270}));
  EXPECT_EQ(client->BoundsRect(), (TRect{40, 50, 340, 270}));

  // The parent's resize, its padding and a child's margins all realign.
  f->SetClientWidth(500);
  EXPECT_EQ(right->BoundsRect(), (TRect{440, 50, 500, 270}));
  f->Padding()->SetBounds(5, 5, 5, 5);
  EXPECT_EQ(top->BoundsRect(), (TRect{5, 5, 495, 55}));
  client->SetAlignWithMargins(true);
  EXPECT_EQ(client->BoundsRect(), (TRect{48, 58, 432, 262}));
  top->SetVisible(false);
  EXPECT_EQ(left->Top(), 5);

  // Back to no alignment restores the bounds set by hand.
  top->SetAlign(alNone);
  EXPECT_EQ(top->BoundsRect(), (TRect{0, 0, 10, 50}));
  // Turning from top to left swaps width and height before the layout.
  bottom->SetAlign(alLeft);
  EXPECT_EQ(bottom->Width(), 30);
}

TEST(Controls, AlignmentOrderFollowsPositionsAndTies) {
  auto f = Form(200, 200);
  auto* a = Child<TPanel>(f.get(), "A", {0, 100, 10, 20});
  auto* b = Child<TPanel>(f.get(), "B", {0, 10, 10, 20});
  auto* c = Child<TPanel>(f.get(), "C", {0, 10, 10, 20});
  f->DisableAlign();
  for (TControl* p :
       {static_cast<TControl*>(a), static_cast<TControl*>(b), static_cast<TControl*>(c)})
    p->SetAlign(alTop);
  f->EnableAlign();
  // By top edge; equal ones in z-order.
  EXPECT_EQ(b->Top(), 0);
  EXPECT_EQ(c->Top(), 20);
  EXPECT_EQ(a->Top(), 40);
  // Moving a control above another reorders them; the control that moved wins a tie.
  a->SetTop(-1);
  EXPECT_EQ(a->Top(), 0);
  c->SetTop(20);
  EXPECT_EQ(c->Top(), 20);
  EXPECT_EQ(b->Top(), 40);

  // Bottom ties: the later control in z-order goes nearer the edge.
  auto* x = Child<TPanel>(f.get(), "X", {0, 150, 10, 20});
  auto* y = Child<TPanel>(f.get(), "Y", {0, 150, 10, 20});
  f->DisableAlign();
  x->SetAlign(alBottom);
  y->SetAlign(alBottom);
  f->EnableAlign();
  EXPECT_EQ(y->Top(), 180);
  EXPECT_EQ(x->Top(), 160);
}

TEST(Controls, SplitterResizesTheControlItTouches) {
  auto f = Form(400, 300);
  auto* side = Child<TPanel>(f.get(), "Side", {0, 0, 100, 10});
  side->SetAlign(alLeft);
  auto* splitter = Child<TSplitter>(f.get(), "Splitter", {100, 0, 3, 10});
  auto* rest = Child<TPanel>(f.get(), "Rest");
  rest->SetAlign(alClient);
  EXPECT_EQ(splitter->FindControl(), side);
  ASSERT_TRUE(splitter->MoveBy(20));
  EXPECT_EQ(side->Width(), 120);
  EXPECT_EQ(splitter->Left(), 120);
  EXPECT_EQ(rest->Left(), 123);
  splitter->MoveBy(-500);
  EXPECT_EQ(side->Width(), 30);
  side->SetVisible(false);
  EXPECT_FALSE(splitter->MoveBy(5));
}

TEST(Controls, AnchorsFollowTheParentWithoutDrift) {
  auto f = Form(400, 300);
  auto* right = Child<TButton>(f.get(), "R", {300, 10, 75, 25});
  right->SetAnchors({akTop, akRight});
  auto* both = Child<TEdit>(f.get(), "B", {10, 50, 380, 21});
  both->SetAnchors({akLeft, akTop, akRight, akBottom});
  auto* none = Child<TButton>(f.get(), "N", {150, 100, 100, 20});
  none->SetAnchors({});
  f->SetClientWidth(500);
  f->SetClientHeight(400);
  EXPECT_EQ(right->BoundsRect(), (TRect{400, 10, 475, 35}));
  EXPECT_EQ(both->BoundsRect(), (TRect{10, 50, 490, 171}));
  EXPECT_EQ(none->BoundsRect(), (TRect{200, 136, 300, 156})); // centre kept in proportion

  // Shrinking below the original and growing back lands where it started.
  f->SetClientWidth(50);
  EXPECT_EQ(both->Width(), 30);
  f->SetClientWidth(10);
  EXPECT_EQ(both->Width(), 0);
  f->SetClientWidth(400);
  f->SetClientHeight(300);
  EXPECT_EQ(right->BoundsRect(), (TRect{300, 10, 375, 35}));
  EXPECT_EQ(both->BoundsRect(), (TRect{10, 50, 390, 71}));
  EXPECT_EQ(none->BoundsRect(), (TRect{150, 100, 250, 120}));

  // Placing by hand takes new rules from the current size.
  right->SetLeft(100);
  f->SetClientWidth(410);
  EXPECT_EQ(right->Left(), 110);
}

TEST(Controls, ZOrderAndHitTesting) {
  auto f = Form();
  auto* label = Child<TLabel>(f.get(), "L", {0, 0, 100, 100});
  label->SetAutoSize(false);
  label->SetBounds(0, 0, 100, 100);
  auto* b1 = Child<TButton>(f.get(), "B1", {0, 0, 100, 100});
  auto* b2 = Child<TButton>(f.get(), "B2", {50, 50, 100, 100});
  auto* image = Child<TImage>(f.get(), "I", {20, 20, 10, 10});
  // Graphic controls stay below windowed ones whatever the order of creation.
  EXPECT_EQ(label->ZOrderPosition(), 0);
  EXPECT_EQ(image->ZOrderPosition(), 1);
  EXPECT_EQ(b1->ZOrderPosition(), 2);
  EXPECT_EQ(f->ControlAtPos({60, 60}, false, true), b2);
  b1->BringToFront();
  EXPECT_EQ(f->ControlAtPos({60, 60}, false, true), b1);
  EXPECT_EQ(f->ControlAtPos({25, 25}, false, false), image);
  image->SendToBack();
  EXPECT_EQ(f->ControlAtPos({25, 25}, false, false), label);
  EXPECT_EQ(f->ControlAtPos({100, 100}, false, false), nullptr); // right and bottom edges are out
  b1->SetZOrderPosition(0);                                      // clamped to the windowed range
  EXPECT_EQ(b1->ZOrderPosition(), 2);

  b2->SetEnabled(false);
  b1->SetVisible(false);
  EXPECT_EQ(f->ControlAtPos({60, 60}, false, true), label);
  EXPECT_EQ(f->ControlAtPos({60, 60}, true, true), b2);
  // Designing, invisible controls are still found.
  b1->SetDesigning(true);
  EXPECT_EQ(f->ControlAtPos({10, 10}, false, true), b1);

  // All levels descend into the windowed control found, in its client coordinates.
  auto* panel = Child<TPanel>(f.get(), "P", {200, 100, 100, 100});
  panel->SetBorderStyle(bsSingle);
  auto* inner = Child<TButton>(panel, "Inner", {10, 10, 20, 20});
  EXPECT_EQ(f->ControlAtPos({215, 115}, false, true, false), panel);
  EXPECT_EQ(f->ControlAtPos({215, 115}, false, true, true), inner);
  EXPECT_EQ(f->ControlAtPos({211, 111}, false, true, true), panel);
}

TEST(Controls, TabOrderMovesAndCloses) {
  auto f = Form();
  auto* a = Child<TButton>(f.get(), "A");
  auto* b = Child<TButton>(f.get(), "B");
  auto* c = Child<TButton>(f.get(), "C");
  Child<TLabel>(f.get(), "NotInTabs");
  EXPECT_EQ(c->TabOrder(), 2);
  c->SetTabOrder(0);
  EXPECT_EQ(f->TabList(), (std::vector<TWinControl*>{c, a, b}));
  EXPECT_EQ(b->TabOrder(), 2);
  a->SetTabOrder(99); // out of range goes last
  EXPECT_EQ(a->TabOrder(), 2);
  c->Free();
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
}

// Removals leave their places to be packed later; every reader must still see dense orders.
TEST(Controls, RemovalsFromTheMiddleKeepEveryOrder) {
  auto f = Form();
  std::vector<TControl*> z; // graphic controls first, then windowed ones
  std::vector<TWinControl*> tabs;
  std::vector<TControl*> labels;
  for (int i = 0; i < 8; ++i) {
    const String n = std::to_string(i);
    auto* b = Child<TButton>(f.get(), ("B" + n).c_str(), {i * 20, 0, 20, 20});
    z.push_back(b);
    tabs.insert(tabs.begin(), b);
    b->SetTabOrder(0); // tab order runs against the z-order
    if (i % 2 == 0)
      labels.push_back(Child<TImage>(f.get(), ("I" + n).c_str(), {i * 20, 40, 20, 20}));
  }
  z.insert(z.begin(), labels.begin(), labels.end());
  auto check = [&](const char* step) {
    SCOPED_TRACE(step);
    std::vector<TControl*> controls;
    for (Integer i = 0; i < f->ControlCount(); ++i) {
      controls.push_back(f->Controls(i));
      EXPECT_EQ(f->Controls(i)->ZOrderPosition(), i);
    }
    EXPECT_EQ(controls, z);
    EXPECT_EQ(f->TabList(), tabs);
    for (std::size_t i = 0; i < tabs.size(); ++i)
      EXPECT_EQ(tabs[i]->TabOrder(), static_cast<Integer>(i));
    std::vector<TComponent*> streamed;
    f->GetChildren([&](TComponent* c) { streamed.push_back(c); }, f.get());
    EXPECT_EQ(streamed, std::vector<TComponent*>(z.begin(), z.end()));
  };
  auto named = [&](const char* name) { return static_cast<TControl*>(f->FindComponent(name)); };
  auto drop = [&](const char* name) {
    TControl* c = named(name);
    std::erase(z, c);
    std::erase(tabs, c);
    c->Free();
  };
  // Several holes before anyone looks; a later sibling moved meanwhile is hit where it went.
  auto* b5 = static_cast<TWinControl*>(named("B5"));
  drop("B2");
  drop("I2");
  drop("B1");
  b5->SetBounds(300, 200, 20, 20);
  EXPECT_EQ(b5->ZOrderPosition(), std::find(z.begin(), z.end(), b5) - z.begin());
  EXPECT_EQ(b5->TabOrder(), std::find(tabs.begin(), tabs.end(), b5) - tabs.begin());
  EXPECT_EQ(f->ControlAtPos({305, 205}, false, true), b5);
  EXPECT_EQ(f->ControlAtPos({45, 5}, false, true), nullptr); // where B2 was
  check("middle");
  // The topmost of each kind leaves, then a newcomer goes on top.
  drop("B7");
  drop("I6");
  auto* added = Child<TButton>(f.get(), "Added", {0, 100, 10, 10});
  z.push_back(added);
  tabs.push_back(added);
  check("top");
  // Moves after a hole at the bottom: z-order within the kind, tab order.
  drop("B0");
  b5->SendToBack();
  std::erase(z, b5);
  z.insert(z.begin() + 2, b5); // above the two images left
  added->SetTabOrder(0);
  std::erase(tabs, added);
  tabs.insert(tabs.begin(), added);
  check("moves");
}

TEST(Controls, CoordinatesMapThroughFramesAndBorders) {
  auto f = Form(400, 300);
  f->SetBounds(100, 50, f->Width(), f->Height());
  EXPECT_EQ(f->Width(), 416); // sizeable frame: 8 each side, 31 on top
  EXPECT_EQ(f->ClientOrigin(), (TPoint{108, 81}));
  auto* box = Child<TScrollBox>(f.get(), "Box", {10, 20, 100, 100});
  EXPECT_EQ(box->ClientRect(), (TRect{0, 0, 96, 96}));
  auto* edit = Child<TEdit>(box, "E", {5, 5, 50, 21});
  const TPoint screen = edit->ClientToScreen({1, 1});
  EXPECT_EQ(screen, (TPoint{108 + 10 + 2 + 5 + 2 + 1, 81 + 20 + 2 + 5 + 2 + 1}));
  EXPECT_EQ(edit->ScreenToClient(screen), (TPoint{1, 1}));
  f->SetBorderStyle(bsNone);
  EXPECT_EQ(f->ClientRect(), (TRect{0, 0, 416, 339}));

  // Text baselines measured with the control's font inside its client area.
  auto* label = Child<TLabel>(f.get(), "L", {0, 0, 10, 10});
  label->SetAutoSize(false);
  label->SetHeight(40);
  const Integer ascent = label->Font()->Ascent();
  const Integer line = label->Font()->TextHeight();
  EXPECT_EQ(label->GetTextBaseline(), ascent + 1);
  label->SetLayout(tlBottom);
  EXPECT_EQ(label->GetTextBaseline(), 40 - line + ascent + 1);
  EXPECT_EQ(edit->GetTextBaseline(), 2 + ascent + 1);
}

TEST(Controls, FontsAndColoursFollowTheParentUntilSet) {
  auto f = Form();
  auto* panel = Child<TPanel>(f.get(), "P");
  auto* button = Child<TButton>(panel, "B");
  f->Font()->SetName("Courier New");
  EXPECT_EQ(button->Font()->GetName(), "Courier New");
  button->Font()->SetSize(12);
  EXPECT_FALSE(button->ParentFont());
  f->Font()->SetName("Arial");
  EXPECT_EQ(panel->Font()->GetName(), "Arial");
  EXPECT_EQ(button->Font()->GetName(), "Courier New");
  button->SetParentFont(true);
  EXPECT_EQ(button->Font()->GetName(), "Arial");

  panel->SetParentColor(true);
  f->SetColor(clRed);
  EXPECT_EQ(panel->Color(), clRed);
  panel->SetColor(clBlue);
  EXPECT_FALSE(panel->ParentColor());
}

/// A dock site that records what it is told and can refuse to let clients go.
class TRecordingSite : public TPanel {
  FW_CLASS(TRecordingSite)
public:
  using TPanel::TPanel;
  std::vector<String> Log;
  bool RefuseUndock = false;
  bool DoUnDock(TWinControl*, TControl* client) override {
    Log.push_back("undock? " + client->Name());
    return !RefuseUndock;
  }
  void DoAddDockClient(TControl* client, const TRect&) override {
    Log.push_back("add " + client->Name());
  }
  void DoRemoveDockClient(TControl* client) override { Log.push_back("remove " + client->Name()); }
};

TClass TRecordingSite::StaticClass() {
  static const TClass cls =
      TClassBuilder<TRecordingSite, TPanel>("TRecordingSite", "Tests").Build();
  return cls;
}

TEST(Controls, DockingMovesClientsBetweenSitesAndFloating) {
  auto f = Form();
  auto* site1 = Child<TRecordingSite>(f.get(), "Site1", {0, 0, 200, 200});
  auto* site2 = Child<TRecordingSite>(f.get(), "Site2");
  site1->SetDockSite(true);
  site2->SetDockSite(true);
  TOwned<TForm> tool(New<TForm>(nullptr));
  tool->SetName("Tool");
  tool->SetDragKind(dkDock);
  tool->SetBounds(500, 500, 120, 80);
  tool->Show();
  EXPECT_TRUE(tool->Floating());

  ASSERT_TRUE(tool->ManualDock(site1, nullptr, alLeft));
  EXPECT_EQ(tool->HostDockSite(), site1);
  EXPECT_EQ(tool->Parent(), site1);
  EXPECT_EQ(site1->DockClientCount(), 1);
  EXPECT_EQ(tool->UndockWidth(), 120);
  EXPECT_EQ(tool->Align(), alLeft);
  EXPECT_EQ(tool->Height(), 198); // the raised bevel insets the site by one pixel

  site1->RefuseUndock = true;
  EXPECT_FALSE(tool->ManualDock(site2));
  EXPECT_EQ(tool->HostDockSite(), site1);
  site1->RefuseUndock = false;
  ASSERT_TRUE(tool->ManualDock(site2));
  EXPECT_EQ(site1->DockClientCount(), 0);
  EXPECT_EQ(site1->Log,
            (std::vector<String>{"add Tool", "undock? Tool", "undock? Tool", "remove Tool"}));

  ASSERT_TRUE(tool->ManualFloat({10, 10, 130, 90}));
  EXPECT_TRUE(tool->Floating());
  EXPECT_EQ(site2->DockClientCount(), 0);
  EXPECT_EQ(site2->Log.back(), "remove Tool");

  // A docked client freed leaves its host's list.
  tool->ManualDock(site2);
  tool.reset();
  EXPECT_EQ(site2->DockClientCount(), 0);
}

TEST(Controls, DockTreeLaysOutSavesAndRestoresClients) {
  auto f = Form(400, 300);
  auto* site = Child<TPanel>(f.get(), "Site", {0, 0, 400, 300});
  site->SetBevelOuter(bvNone);
  site->SetDockSite(true);
  auto tree = IPtr<IDockManager>(New<TDockTree>(site, true));
  site->SetDockManager(tree);
  auto* a = Child<TPanel>(f.get(), "A", {0, 0, 100, 50});
  auto* b = Child<TPanel>(f.get(), "B", {0, 0, 100, 50});
  auto* c = Child<TPanel>(f.get(), "C", {0, 0, 100, 80});
  a->ManualDock(site);
  b->ManualDock(site, a, alLeft);
  c->ManualDock(site, nullptr, alBottom);
  EXPECT_EQ(a->Align(), alClient);
  EXPECT_EQ(b->BoundsRect(), (TRect{0, 0, 100, 220}));
  EXPECT_EQ(c->BoundsRect(), (TRect{0, 220, 400, 300}));
  EXPECT_EQ(a->BoundsRect(), (TRect{100, 0, 400, 220}));

  // Proportional sizes follow the site.
  site->SetWidth(800);
  EXPECT_EQ(b->Width(), 200);

  TMemoryStream saved;
  tree->SaveToStream(saved);
  b->SetWidth(50);
  c->SetAlign(alTop);
  saved.SetPosition(0);
  tree->LoadFromStream(saved);
  EXPECT_EQ(b->Width(), 200);
  EXPECT_EQ(c->Align(), alBottom);
  EXPECT_EQ(c->Height(), 80);

  // Data cut short changes nothing.
  const String bytes(saved.View().substr(0, saved.View().size() - 3));
  TStringStream cut(bytes);
  b->SetWidth(60);
  EXPECT_EQ(fwtest::MessageOf<EReadError>([&] { tree->LoadFromStream(cut); }),
            "Dock layout data is corrupt");
  EXPECT_EQ(b->Width(), 60);

  // Undocking takes the client out of the layout.
  b->ManualFloat({0, 0, 100, 100});
  EXPECT_EQ(static_cast<TDockTree*>(tree.get())->Clients(), (std::vector<TControl*>{a, c}));
}

// A desktop's pane layout once named the same (empty) name twice: the client matched twice
// stayed in the tree after it was freed.
TEST(DockTreeLayout, EachClientTakesOneZoneEvenWhenNamesRepeat) {
  TOwned<TComponent> owner(New<TComponent>(nullptr));
  auto* site = New<TForm>(owner.get());
  site->SetDockSite(true);
  site->SetUseDockManager(true);
  auto* tree = New<TDockTree>(site);
  site->SetDockManager(IPtr<IDockManager>(tree));
  auto* a = New<TForm>(owner.get());
  auto* b = New<TForm>(owner.get());
  a->ManualDock(site);
  b->ManualDock(site, a, alLeft);
  TMemoryStream layout;
  tree->SaveToStream(layout);
  layout.SetPosition(0);
  tree->LoadFromStream(layout);
  EXPECT_EQ(tree->Clients().size(), 2u);
  a->Free();
  EXPECT_EQ(tree->Clients(), std::vector<TControl*>{b});
  TMemoryStream again;
  tree->SaveToStream(again);
  EXPECT_GT(again.Size(), 0);
}

} // namespace
