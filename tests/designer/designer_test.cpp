#include "designer/designer.h"

#include "designer/selections.h"
#include "host/designsurfacerec.h"
#include "host/guidepainterrec.h"
#include "support/testdesigner.h"
#include "tarn/extctrls.h"
#include "tarn/forms.h"
#include "tarn/stdctrls.h"

#include <gtest/gtest.h>

using namespace fw;

namespace {

/// Creates a button where the palette tool is dropped.
class TCreatingDesigner : public fwtest::TTestDesigner {
public:
  std::vector<TRect> CreateRequests;
  TComponent* CreateCurrentComponent(TComponent* parent, const TRect& rect) override {
    CreateRequests.push_back(rect);
    auto* b = new TButton(Root);
    b->SetParent(dynamic_cast<TWinControl*>(parent));
    b->SetBoundsRect(rect);
    return b;
  }
};

class TSwitchTools : public TInterfacedObject, public ITools {
public:
  bool Selected = false;
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == ITools::IID) {
      _AddRef();
      *obj = static_cast<ITools*>(this);
      return S_OK;
    }
    return TInterfacedObject::QueryInterface(iid, obj);
  }
  bool ToolSelected() override { return Selected; }
};

class TChangeCounter : public TInterfacedObject, public ISelectionsListener {
public:
  int Count = 0;
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    if (iid == ISelectionsListener::IID) {
      _AddRef();
      *obj = static_cast<ISelectionsListener*>(this);
      return S_OK;
    }
    return TInterfacedObject::QueryInterface(iid, obj);
  }
  void SelectionChanged(const IPtr<ISelections>&) override { ++Count; }
};

constexpr TShiftState Shift{ssShift};
constexpr TShiftState Ctrl{ssCtrl};
constexpr TShiftState CtrlShift{ssCtrl, ssShift};

/// A form at (100, 50) with a sizeable frame, so surface and global coordinates differ.
struct DesignerFixture : ::testing::Test {
  TForm* Form = new TForm(nullptr);
  IPtr<TCreatingDesigner> ModuleDesigner{new TCreatingDesigner()};
  IPtr<TRecordingSurfaceHost> Host{new TRecordingSurfaceHost(Form)};
  IPtr<TRecordingSurface> Surface;
  IPtr<ISelections> Sel{new TSimpleSelections()};
  IPtr<TSwitchTools> Tools{new TSwitchTools()};
  IPtr<TDesigner> D;

  DesignerFixture() {
    Form->SetBounds(100, 50, 600, 400);
    ModuleDesigner->Root = Form;
    Surface = new TRecordingSurface(ModuleDesigner.get(), Form, Host.get());
    D = new TDesigner(Surface.get(), Sel, Tools.get());
    Host->Selections = Sel;
  }
  ~DesignerFixture() override {
    D->Close();
    Surface = nullptr;
    Form->Free();
  }
  template <class T = TButton> T* Add(TRect r, TWinControl* parent = nullptr, String name = {}) {
    auto* c = new T(Form);
    if (!name.empty()) c->SetName(name);
    c->SetParent(parent ? parent : Form);
    c->SetBoundsRect(r);
    return c;
  }
  IPtr<IItem> Item(TComponent* c) { return Surface->ComponentToItem(c); }
  std::vector<TComponent*> Selected() {
    std::vector<TComponent*> out;
    for (Integer i = 0; i < Sel->GetCount(); ++i)
      out.push_back(
          dynamic_cast<TComponent*>(QueryIntf<IPersistentItem>(Sel->GetItems(i))->GetItem()));
    return out;
  }
  void SelectOnly(std::initializer_list<TComponent*> cs) {
    Sel->Clear();
    for (TComponent* c : cs)
      Sel->Add(Item(c));
  }
};

} // namespace

// ---- Grid --------------------------------------------------------------------------------------

TEST_F(DesignerFixture, SnapToGridRoundsHalfwayUpUnlessSnappingIsOff) {
  EXPECT_EQ(D->SnapToGrid(3, 0, 8, true), 0);
  EXPECT_EQ(D->SnapToGrid(4, 0, 8, true), 8);
  EXPECT_EQ(D->SnapToGrid(-4, 0, 8, true), 0);
  EXPECT_EQ(D->SnapToGrid(-5, 0, 8, true), -8);
  EXPECT_EQ(D->SnapToGrid(13, 2, 8, true), 10);
  EXPECT_EQ(D->SnapToGrid(5, 0, 0, true), 5); // no grid step: no snapping, no fault
  // Off when not aligned or disabled by the surface, unless forced.
  D->SetGridAligned(false);
  EXPECT_EQ(D->SnapToGrid(3, 0, 8, false), 3);
  EXPECT_EQ(D->SnapToGrid(3, 0, 8, true), 0);
  D->SetGridAligned(true);
  Surface->SnapDisabled = true;
  EXPECT_EQ(D->SnapToGrid(5, 0, 8, false), 5);
  Surface->SnapDisabled = false;
  Surface->GridOrigin = {2, 3};
  EXPECT_EQ(D->PointToGrid({13, 13}, false), (TPoint{10, 11}));
}

// ---- Moving ------------------------------------------------------------------------------------

TEST_F(DesignerFixture, MoveSnapsTheOffsetToTheGridAndModifiesOnce) {
  TButton* b = Add({40, 40, 115, 65});
  Surface->Drag({50, 50}, {{55, 52}, {63, 55}});
  EXPECT_EQ(b->BoundsRect(), (TRect{56, 48, 131, 73})); // (13, 5) snaps to (16, 8)
  EXPECT_EQ(Host->ModifiedCount, 1);
  EXPECT_EQ(D->GetDragAction(), daNone);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{b}));
  EXPECT_EQ(Surface->Handles()->GetItem(), Item(b)); // handles back on the single item
  EXPECT_EQ(Surface->LastBoxes->Used(), 0);          // every box erased
  EXPECT_EQ(Surface->LastBoxes->Drawn.size() % 2, 0u);
  // A move that ends where it started changes nothing.
  Surface->Drag({60, 50}, {{90, 90}, {61, 49}});
  EXPECT_EQ(b->BoundsRect(), (TRect{56, 48, 131, 73}));
  EXPECT_EQ(Host->ModifiedCount, 1);
}

TEST_F(DesignerFixture, MoveCarriesTheWholeSelectionAndDropsItemsOfOtherParents) {
  TPanel* p = Add<TPanel>({200, 200, 400, 300});
  TButton* a = Add({10, 10, 50, 30});
  TButton* b = Add({10, 100, 50, 130});
  TButton* inPanel = Add({5, 5, 40, 25}, p);
  SelectOnly({a, b, inPanel});
  Surface->Drag({20, 20}, {{36, 28}});
  EXPECT_EQ(a->BoundsRect(), (TRect{26, 18, 66, 38}));
  EXPECT_EQ(b->BoundsRect(), (TRect{26, 108, 66, 138}));
  EXPECT_EQ(inPanel->BoundsRect(), (TRect{5, 5, 40, 25}));
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{a, b}));
}

TEST_F(DesignerFixture, ClickingASelectedItemMakesItFirstAndShiftClickToggles) {
  TButton* a = Add({10, 10, 50, 30});
  TButton* b = Add({60, 10, 100, 30});
  TButton* c = Add({110, 10, 150, 30});
  SelectOnly({a, b, c});
  IPtr<TChangeCounter> changes(new TChangeCounter());
  Sel->AddListener(changes.get());
  Surface->MouseDown(70, 20);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{b, c, a}));
  EXPECT_EQ(changes->Count, 1); // the whole reordering is one change
  Surface->MouseUp(70, 20);
  Sel->RemoveListener(changes.get());

  // A shift-click toggles and never drags.
  SelectOnly({a});
  Surface->MouseDown(70, 20, Shift);
  EXPECT_EQ(D->GetDragAction(), daNone);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{a, b}));
  Surface->MouseDown(20, 20, Shift);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{b}));
}

TEST_F(DesignerFixture, DoubleClickEditsRightClickAsksForTheContextMenuNoDragSelectsOnly) {
  TButton* a = Add({10, 10, 50, 30});
  Surface->MouseDown(20, 20, {}, true);
  EXPECT_EQ(dynamic_cast<TControlItem*>(Item(a).get())->EditCount(), 1);
  EXPECT_EQ(D->GetDragAction(), daNone);
  Surface->MouseDown(20, 20, {ssRight});
  EXPECT_EQ(Surface->ContextClickCount, 1);
  EXPECT_EQ(D->GetDragAction(), daNone);
  Sel->Clear();
  Surface->MouseDown(20, 20, {}, false, true);
  EXPECT_EQ(D->GetDragAction(), daNone);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{a}));
  EXPECT_EQ(Surface->ActivateCount, 3);
}

// ---- Creating and rubber band ------------------------------------------------------------------

TEST_F(DesignerFixture, DragWithAToolCreatesOnTheGridAndSelectsTheNewControl) {
  Add({300, 300, 340, 320});
  SelectOnly({Form->Components(0)});
  Tools->Selected = true;
  Surface->Drag({10, 10}, {{20, 18}, {30, 25}});
  ASSERT_EQ(ModuleDesigner->CreateRequests.size(), 1u);
  EXPECT_EQ(ModuleDesigner->CreateRequests[0], (TRect{8, 8, 33, 25}));
  ASSERT_EQ(Sel->GetCount(), 1);
  auto* created = dynamic_cast<TButton*>(Selected()[0]);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(created->BoundsRect(), (TRect{8, 8, 33, 25}));
  // The box followed the mouse: added at the press, changed on each move, erased at the end.
  EXPECT_EQ(Surface->LastBoxes->Drawn.front(), (TRect{8, 8, 9, 9}));
}

TEST_F(DesignerFixture, RubberBandSelectsIntersectingChildrenOfTheDragParent) {
  TButton* a = Add({10, 10, 50, 30});
  TButton* b = Add({60, 10, 100, 30});
  TButton* far = Add({300, 300, 340, 320});
  Surface->Drag({5, 5}, {{65, 15}});
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{a, b}));
  EXPECT_EQ(Surface->LastBoxes->Drawn.front(), (TRect{5, 5, 5, 5}));
  (void)far;
  // Over nothing, the root is left selected.
  Surface->Drag({200, 200}, {{250, 260}});
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{Form}));
  EXPECT_TRUE(D->IsDesignerSelected());
}

TEST_F(DesignerFixture, CtrlDragInsideAPanelSelectsAmongItsChildren) {
  TPanel* p = Add<TPanel>({100, 100, 300, 300});
  TButton* in1 = Add({10, 10, 50, 30}, p);
  TButton* in2 = Add({10, 60, 50, 80}, p);
  Add({10, 10, 50, 30}); // on the form, outside the band's parent
  Surface->Drag({105, 105}, {{160, 170}}, Ctrl);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{in1, in2}));
}

// ---- Sizing and locking ------------------------------------------------------------------------

TEST_F(DesignerFixture, GrabHandleSizesOneEdgeWithTheEdgeSnap) {
  TButton* b = Add({40, 40, 115, 65});
  SelectOnly({b});
  Surface->Handles()->SetItem(Item(b));
  // Bottom-right corner handle at (115, 65); drag by (10, 3). A right edge snaps to one past a
  // grid line; the bottom moved less than halfway to its next line and stays.
  Surface->Drag({115, 65}, {{125, 68}});
  EXPECT_EQ(b->BoundsRect(), (TRect{40, 40, 129, 65}));
  EXPECT_EQ(Host->ModifiedCount, 1);
  // The left-middle handle moves only the left edge.
  Surface->Handles()->SetItem(Item(b));
  Surface->Drag({40, 52}, {{30, 60}});
  EXPECT_EQ(b->BoundsRect(), (TRect{32, 40, 129, 65}));
}

TEST_F(DesignerFixture, SizingPastTheOppositeEdgeFlipsTheRectangleInsteadOfGoingNegative) {
  TButton* b = Add({40, 40, 80, 64});
  SelectOnly({b});
  Surface->Handles()->SetItem(Item(b));
  Surface->Drag({80, 52}, {{10, 52}});
  const TRect r = b->BoundsRect();
  EXPECT_LE(r.Left, r.Right);
  EXPECT_EQ(r, (TRect{9, 40, 40, 64}));
}

TEST_F(DesignerFixture, LockedControlsIgnoreGrabHandlesAndKeyboardMoves) {
  TButton* a = Add({40, 40, 115, 65});
  TButton* b = Add({200, 40, 275, 65});
  SelectOnly({a});
  Surface->Handles()->SetItem(Item(a));
  D->Lock();
  const Integer updates = Surface->Handles()->UpdateCount;
  EXPECT_GE(updates, 1);
  Surface->MouseDown(115, 65);
  EXPECT_EQ(D->GetDragAction(), daNone);
  Surface->MouseMove(140, 80);
  Surface->MouseUp(140, 80);
  Surface->KeyDown(dkRight, Ctrl);
  Surface->KeyDown(dkRight, Shift);
  Surface->KeyDown(dkLeft, CtrlShift);
  EXPECT_EQ(a->BoundsRect(), (TRect{40, 40, 115, 65}));
  // A plain press on an item still selects, but never moves.
  Surface->Drag({210, 50}, {{260, 90}});
  EXPECT_EQ(b->BoundsRect(), (TRect{200, 40, 275, 65}));
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{b}));
  EXPECT_EQ(Host->ModifiedCount, 0);
  D->Unlock();
  Surface->KeyDown(dkRight, Ctrl);
  EXPECT_EQ(b->Left(), 201);
}

// ---- Keys --------------------------------------------------------------------------------------

TEST_F(DesignerFixture, ArrowKeysMoveAndSizeTheSelection) {
  TButton* b = Add({40, 40, 41, 60});
  SelectOnly({b});
  Surface->KeyDown(dkRight, Shift);
  EXPECT_EQ(b->Width(), 2);
  Surface->KeyDown(dkLeft, CtrlShift);
  EXPECT_EQ(b->Left(), 32);
  Surface->KeyDown(dkDown, Ctrl);
  EXPECT_EQ(b->Top(), 41);
  EXPECT_EQ(Host->ModifiedCount, 3);
  // Sizing below zero stops at an empty control.
  for (int i = 0; i < 5; ++i)
    Surface->KeyDown(dkLeft, Shift);
  EXPECT_EQ(b->Width(), 0);
  EXPECT_EQ(b->Left(), 32);
}

TEST_F(DesignerFixture, RefusedModificationLeavesTheKeyboardMoveUndone) {
  TButton* b = Add({40, 40, 80, 60});
  SelectOnly({b});
  Host->ReadOnly = true;
  EXPECT_THROW(Surface->KeyDown(dkRight, Ctrl), EInvalidOperation);
  EXPECT_EQ(b->BoundsRect(), (TRect{40, 40, 80, 60}));
  EXPECT_EQ(Host->ModifiedCount, 0);
}

TEST_F(DesignerFixture, KeysWithNothingSelectedDoNothing) {
  TButton* b = Add({40, 40, 80, 60});
  for (TDesignKeyCode k : {dkLeft, dkUp, dkRight, dkDown, dkEscape, dkDelete, dkEnter, dkChar})
    for (TShiftState s : {TShiftState{}, Shift, Ctrl, CtrlShift}) {
      Surface->KeyDown(k, s);
      Surface->KeyUp(k, s);
    }
  EXPECT_EQ(Sel->GetCount(), 0);
  EXPECT_EQ(b->BoundsRect(), (TRect{40, 40, 80, 60}));
  EXPECT_EQ(Host->ModifiedCount, 0);
}

TEST_F(DesignerFixture, ArrowSelectsTheNearestSiblingThatWayAndTabFollowsTheTabOrder) {
  TButton* mid = Add({100, 100, 140, 120});
  TButton* right = Add({200, 130, 240, 150});
  TButton* rightNear = Add({170, 60, 210, 80});
  TButton* above = Add({100, 20, 140, 40});
  TButton* inline_ = Add({90, 100, 150, 120}); // centre exactly level: not strictly right
  EXPECT_EQ(D->FindNearestItem(Item(mid), dkRight), Item(rightNear));
  SelectOnly({mid});
  Surface->KeyDown(dkUp);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{above}));
  Surface->KeyDown(dkUp); // nothing above: the selection stays
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{above}));
  EXPECT_EQ(D->FindNearestItem(Item(right), dkRight), nullptr);

  // Tab follows the creation (tab) order both ways, round the end.
  SelectOnly({mid});
  Surface->KeyDown(dkTab);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{right}));
  Surface->KeyDown(dkTab, Shift);
  Surface->KeyDown(dkTab, Shift);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{inline_}));
}

TEST_F(DesignerFixture, EscapeClimbsToTheParentOrClearsAtTheForm) {
  TPanel* p = Add<TPanel>({100, 100, 300, 300});
  TButton* in = Add({10, 10, 50, 30}, p);
  TButton* onForm = Add({10, 10, 50, 30});
  SelectOnly({in});
  Surface->KeyDown(dkEscape);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{p}));
  SelectOnly({onForm});
  Surface->KeyDown(dkEscape);
  EXPECT_EQ(Sel->GetCount(), 0);
  EXPECT_EQ(Surface->Handles()->GetItem(), nullptr);
}

TEST_F(DesignerFixture, EscapeDuringAMoveCarriesTheMoveOnWithTheParent) {
  TPanel* p = Add<TPanel>({100, 100, 300, 300});
  TButton* in = Add({10, 10, 50, 30}, p);
  Surface->MouseDown(120, 120);
  Surface->MouseMove(125, 125);
  Surface->KeyDown(dkEscape);
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{p}));
  EXPECT_EQ(D->GetDragAction(), daMove);
  Surface->MouseMove(141, 125);
  Surface->MouseUp(141, 125);
  EXPECT_EQ(p->BoundsRect(), (TRect{116, 100, 316, 300}));
  EXPECT_EQ(in->BoundsRect(), (TRect{10, 10, 50, 30}));
}

TEST_F(DesignerFixture, DeleteKeyDeletesTheSelectionThroughTheSurface) {
  Add({10, 10, 50, 30});
  TButton* b = Add({60, 10, 100, 30}, nullptr, "Keep");
  SelectOnly({Form->Components(0)});
  Surface->KeyDown(dkDelete);
  ASSERT_EQ(Form->ComponentCount(), 1);
  EXPECT_EQ(Form->Components(0), b);
  EXPECT_EQ(Sel->GetCount(), 0);
}

// ---- Gestures that lose their ground -----------------------------------------------------------

TEST_F(DesignerFixture, ItemDeletedMidDragCancelsTheDragAndLeavesTheRestAlone) {
  TButton* a = Add({10, 10, 50, 30});
  TButton* b = Add({60, 10, 100, 30});
  SelectOnly({a, b});
  Surface->MouseDown(70, 20);
  Surface->MouseMove(90, 40);
  b->Free();
  EXPECT_EQ(D->GetDragAction(), daNone);
  EXPECT_TRUE(Surface->LastBoxes->Cancelled);
  Surface->MouseMove(120, 60);
  Surface->MouseUp(120, 60);
  EXPECT_EQ(a->BoundsRect(), (TRect{10, 10, 50, 30}));
  EXPECT_EQ(Selected(), (std::vector<TComponent*>{a}));
  EXPECT_EQ(Host->ModifiedCount, 0);
}

TEST_F(DesignerFixture, DeadItemsHeldByTheDesignerAnswerNeutrallyAndChangeNothing) {
  TButton* a = Add({10, 10, 50, 30});
  IPtr<IItem> item = Item(a);
  a->Free();
  item->SetBoundsRect({1, 2, 3, 4});
  EXPECT_EQ(item->GetBoundsRect(), TRect{});
  EXPECT_EQ(item->GetParent(), nullptr);
  EXPECT_FALSE(item->Selectable());
  D->Select(item, false);
  Surface->KeyDown(dkRight, Ctrl); // moves a dead item: nothing to move, no fault
  Surface->KeyDown(dkRight);
}

TEST_F(DesignerFixture, CancelledOrClosedMidDragTheGestureEndsWithoutChange) {
  TButton* a = Add({10, 10, 50, 30});
  Surface->MouseDown(20, 20);
  Surface->MouseMove(60, 60);
  D->CancelDragging(); // drops the finishing step
  Surface->MouseUp(60, 60);
  EXPECT_EQ(a->BoundsRect(), (TRect{10, 10, 50, 30}));
  EXPECT_TRUE(Surface->LastBoxes->Cancelled);

  Surface->MouseDown(20, 20);
  Surface->MouseMove(60, 60);
  Surface->Close();
  EXPECT_EQ(D->DesignSurface(), nullptr);
  EXPECT_EQ(D->GetDragAction(), daNone);
  // The host is gone; late input straight to the designer is ignored.
  D->MouseMove(90, 90);
  D->MouseUp(90, 90);
  D->MouseDown(Item(a), {}, 20, 20, false, {}, false);
  D->Key(dkRight, Ctrl, false);
  EXPECT_EQ(a->BoundsRect(), (TRect{10, 10, 50, 30}));
  EXPECT_EQ(Host->ModifiedCount, 0);
}

// ---- Guides ------------------------------------------------------------------------------------

struct DesignerGuidesFixture : DesignerFixture {
  IPtr<TGuidelinePainterRec> Painter{new TGuidelinePainterRec()};
  TButton* Sibling = nullptr;
  TButton* Dragged = nullptr;
  DesignerGuidesFixture() {
    Surface->SetGuidelinePainter(Painter.get());
    Sibling = Add({40, 100, 115, 125});
    Dragged = Add({200, 40, 250, 65});
  }
};

TEST_F(DesignerGuidesFixture, ALeftEdgeWithinTheGridStepSnapsToASiblingsLeft) {
  Surface->MouseDown(210, 50);
  Surface->MouseMove(58, 50); // left edge would be 48: 8 from the sibling's 40
  EXPECT_FALSE(Painter->Lines().empty());
  Surface->MouseUp(58, 50);
  EXPECT_EQ(Dragged->Left(), 40);
  EXPECT_TRUE(Painter->Lines().empty()); // erased at the end of the drag
}

TEST_F(DesignerGuidesFixture, TheGridDecidesNinePixelsAwayOrWithGuidesOrSnappingOff) {
  Surface->Drag({210, 50}, {{59, 50}});
  EXPECT_EQ(Dragged->Left(), 48);
  Dragged->SetLeft(200);
  D->SetGuidelines(false);
  Surface->Drag({210, 50}, {{58, 50}});
  EXPECT_EQ(Dragged->Left(), 48);
  Dragged->SetLeft(200);
  D->SetGuidelines(true);
  Surface->SnapDisabled = true; // turns guides off too
  Surface->Drag({210, 50}, {{58, 50}});
  EXPECT_EQ(Dragged->Left(), 48);
  EXPECT_TRUE(Painter->Lines().empty());
}

TEST_F(DesignerGuidesFixture, ModifierKeyPaintsTheGuidesAtRestUntilReleased) {
  SelectOnly({Dragged});
  Dragged->SetLeft(40); // aligned with the sibling's left
  Surface->KeyDown(dkNone, Ctrl);
  EXPECT_FALSE(Painter->Lines().empty());
  Surface->KeyUp(dkNone, Ctrl);
  EXPECT_TRUE(Painter->Lines().empty());
}

// ---- Surface base ------------------------------------------------------------------------------

TEST_F(DesignerFixture, SurfaceMenuHandlersForwardToTheHost) {
  Surface->AppAlignDialog();
  Surface->AppTabOrderDialog();
  Surface->AlignToGrid();
  Surface->RevertComponent();
  Surface->AppConvertToTessellineUI();
  EXPECT_EQ(Host->Dialogs, (std::vector<TDesignDialog>{ddAlign, ddTabOrder}));
  EXPECT_EQ(Host->Commands, (std::vector<TDesignCommand>{dmAlignToGrid, dmRevert}));
  EXPECT_EQ(Host->ConvertCount, 1);
  EXPECT_EQ(Surface->UniqueName("TButton"), "Button1");
}

TEST_F(DesignerFixture, TheSurfaceKeepsOneListenerAndListsTheRootsComponents) {
  TButton* a = Add({10, 10, 50, 30});
  ASSERT_EQ(Surface->GetItemsCount(), 1);
  EXPECT_EQ(Surface->GetItems(0), Item(a));
  EXPECT_EQ(Surface->GetItems(0)->GetParent(), Surface->GetRoot());
  EXPECT_THROW(Item(Form)->ValidateDeletable(), Exception);
  Item(a)->ValidateDeletable();
  // Another listener replaces the designer; removing someone else's registration keeps it.
  IPtr<TDesigner> other(new TDesigner(Surface.get(), Sel, nullptr));
  EXPECT_EQ(Surface->Listener().get(), static_cast<IDesignSurfaceListener*>(other.get()));
  Surface->RemoveListener(D.get());
  EXPECT_EQ(Surface->Listener().get(), static_cast<IDesignSurfaceListener*>(other.get()));
  other->Close();
  EXPECT_EQ(Surface->Listener(), nullptr);

  // Being in the selection stops at the container item.
  TPanel* p = Add<TPanel>({100, 100, 300, 300});
  TButton* in = Add({10, 10, 50, 30}, p);
  SelectOnly({Form});
  EXPECT_FALSE(Surface->ItemInSelections(Sel, Item(in)));
  SelectOnly({p});
  EXPECT_TRUE(Surface->ItemInSelections(Sel, Item(in)));
}

TEST_F(DesignerGuidesFixture, ASizedRightEdgeSnapsToASiblingsRightBeforeTheGrid) {
  Dragged->SetBoundsRect({40, 40, 100, 65});
  SelectOnly({Dragged});
  Surface->Handles()->SetItem(Item(Dragged));
  Surface->Drag({100, 52}, {{108, 52}}); // the grid alone would give 105
  EXPECT_EQ(Dragged->BoundsRect(), (TRect{40, 40, 115, 65}));
}

namespace {

/// A surface that fails to make drag boxes, or whose host closes the designer inside a press.
class TTroubledSurface : public TRecordingSurface {
public:
  using TRecordingSurface::TRecordingSurface;
  bool FailBoxes = false;
  bool CloseOnActivate = false;
  IPtr<IDragBoxes> CreateDragBoxes(const IPtr<IItem>& item, const TPoint& p) override {
    if (FailBoxes) throw EOutOfResources("no drag boxes");
    return TRecordingSurface::CreateDragBoxes(item, p);
  }
  void Activate() override {
    TRecordingSurface::Activate();
    if (CloseOnActivate) Close();
  }
  void ContextClick() override { Close(); }
};

} // namespace

TEST(DesignerFailures, APressThatRaisesOrClosesTheDesignerStartsNothing) {
  TForm* form = new TForm(nullptr);
  auto* b = new TButton(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 40, 20);
  IPtr<TTroubledSurface> surface(
      new TTroubledSurface(nullptr, form, new TRecordingSurfaceHost(form)));
  IPtr<ISelections> sel(new TSimpleSelections());
  IPtr<TDesigner> d(new TDesigner(surface.get(), sel, new TNullTools()));
  surface->FailBoxes = true;
  EXPECT_THROW(surface->MouseDown(20, 20), EOutOfResources);
  EXPECT_EQ(d->GetDragAction(), daNone);
  surface->MouseMove(60, 60);
  surface->MouseUp(60, 60);
  surface->FailBoxes = false;
  surface->MouseDown(20, 20, {ssRight});
  EXPECT_EQ(d->DesignSurface(), nullptr);
  EXPECT_EQ(d->GetDragAction(), daNone);
  IPtr<TDesigner> d2(new TDesigner(surface.get(), sel, new TNullTools()));
  surface->CloseOnActivate = true;
  surface->MouseDown(20, 20);
  EXPECT_EQ(d2->GetDragAction(), daNone);
  d2->MouseMove(60, 60);
  d2->MouseUp(60, 60);
  EXPECT_EQ(b->BoundsRect(), (TRect{10, 10, 50, 30}));
  surface = nullptr;
  form->Free();
}
