#include "designeditors/editorregistry.h"

#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "designeditors/stdeditors.h"
#include "editor_test_classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace fwtest {
namespace {

PPropInfo Prop(TClass cls, const char* name) {
  PPropInfo p = GetPropInfo(cls->TypeInfo, name);
  EXPECT_NE(p, nullptr) << name;
  return p;
}

struct IRing : ICircle {
  static constexpr TGUID IID = TGUID::Parse("{3E0C2B61-5D0A-4E8E-9C5B-7C2F7E0B1A03}");
};
PTypeInfo TypeInfoOf(std::type_identity<IPtr<IRing>>) {
  static PTypeInfo t =
      MakeInterfaceType("IRing", IRing::IID, TypeInfo<IPtr<ICircle>>(), "EditorTests");
  return t;
}
/// Holds a property two interface generations below IShape.
class TRingHolder : public TPersistent {
  FW_CLASS(TRingHolder)
public:
  IPtr<IRing> FRing;
};
TClass TRingHolder::StaticClass() {
  static const TClass cls = TClassBuilder<TRingHolder, TPersistent>("TRingHolder", "EditorTests")
                                .Property("Ring", &TRingHolder::FRing, &TRingHolder::FRing)
                                .Build();
  return cls;
}

PTypeInfo ComponentType() { return TComponent::StaticClass()->TypeInfo; }
PTypeInfo WidgetType() { return TWidget::StaticClass()->TypeInfo; }

// ---- Which editor class serves a property ---------------------------------------------------

struct EditorLookup : ::testing::Test {
  TOwned<TWidget> widget{New<TWidget>(nullptr)};
  TOwned<TButton> button{New<TButton>(nullptr)};
  TOwned<TLabel> label{New<TLabel>(nullptr)};
  PPropInfo peer = Prop(TWidget::StaticClass(), "Peer");   // of type TWidget
  PPropInfo buddy = Prop(TWidget::StaticClass(), "Buddy"); // of type TComponent
  PPropInfo width = Prop(TWidget::StaticClass(), "Width");
  TClass A = TEditorA::StaticClass();
  TClass B = TEditorB::StaticClass();
  TClass C = TEditorC::StaticClass();

  struct Reg {
    PTypeInfo Type;
    TClass ComponentClass;
    TClass Editor;
  };
  /// Makes the two registrations into a fresh registry in each order and checks it.
  template <class Check> void InBothOrders(Reg x, Reg y, Check check) {
    for (bool xFirst : {true, false}) {
      SCOPED_TRACE(xFirst ? "in the order given" : "in reverse order");
      TPropertyEditorRegistry r;
      for (const Reg& g : xFirst ? std::array{x, y} : std::array{y, x})
        r.RegisterPropertyEditor(g.Type, g.ComponentClass, "", g.Editor);
      check(r);
    }
  }
};

// The editor of each kind the registry serves is checked with the standard editors.
TEST(DefaultEditors, KindsWithoutAnEditorHaveNone) {
  for (TTypeKind k :
       {kindUnknown, kindArray, kindRecord, kindDynArray, kindClassRef, kindPointer, kindProcedure})
    EXPECT_EQ(DefaultEditorClass(k), nullptr) << TypeKindNames[k];
}

TEST_F(EditorLookup, DerivedClassTypeRegistrationWinsInEitherOrder) {
  InBothOrders({ComponentType(), nullptr, A}, {WidgetType(), nullptr, B}, [&](auto& r) {
    EXPECT_EQ(r.GetEditorClass(peer, widget.get()), B);
    EXPECT_EQ(r.GetEditorClass(buddy, widget.get()), A);
  });
  // Neither is the property's own type: the nearer ancestor wins.
  InBothOrders({TPersistent::StaticClass()->TypeInfo, nullptr, A}, {ComponentType(), nullptr, B},
               [&](auto& r) { EXPECT_EQ(r.GetEditorClass(peer, widget.get()), B); });
}

TEST_F(EditorLookup, ClassRestrictedRegistrationBeatsUnrestrictedInEitherOrder) {
  InBothOrders({TypeInfo<Integer>(), TWidget::StaticClass(), A}, {TypeInfo<Integer>(), nullptr, B},
               [&](auto& r) {
                 EXPECT_EQ(r.GetEditorClass(width, widget.get()), A);
                 EXPECT_EQ(r.GetEditorClass(width, button.get()), A); // descendants too
                 EXPECT_EQ(r.GetEditorClass(Prop(TLabel::StaticClass(), "Width"), label.get()), B);
               });
}

TEST_F(EditorLookup, ExactTypeTestComesBeforeTheClassTests) {
  // The restricted registration for the ancestor type, made last, is met first and then
  // replaced by the exact-type one; in the other order it replaces the unrestricted one.
  for (bool restrictedLast : {true, false}) {
    TPropertyEditorRegistry r;
    if (!restrictedLast) r.RegisterPropertyEditor(ComponentType(), TWidget::StaticClass(), "", A);
    r.RegisterPropertyEditor(WidgetType(), nullptr, "", B);
    if (restrictedLast) r.RegisterPropertyEditor(ComponentType(), TWidget::StaticClass(), "", A);
    EXPECT_EQ(r.GetEditorClass(peer, widget.get()), restrictedLast ? B : A);
  }
}

TEST_F(EditorLookup, MoreDerivedComponentClassWinsAndEqualOnesGoToTheNewest) {
  InBothOrders({TypeInfo<Integer>(), TWidget::StaticClass(), A},
               {TypeInfo<Integer>(), TButton::StaticClass(), B}, [&](auto& r) {
                 EXPECT_EQ(r.GetEditorClass(width, button.get()), B);
                 EXPECT_EQ(r.GetEditorClass(width, widget.get()), A);
               });
  TPropertyEditorRegistry r;
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", A);
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", B);
  EXPECT_EQ(r.GetEditorClass(width, widget.get()), B);
}

TEST_F(EditorLookup, NamedRegistrationNeedsAClassAndANilEditorHidesOnItsClassOnly) {
  TPropertyEditorRegistry r;
  PPropInfo limited = Prop(TWidget::StaticClass(), "Limited");
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "Width", A); // the name is dropped
  EXPECT_EQ(r.Records()[0]->PropertyName, "");
  EXPECT_EQ(r.GetEditorClass(limited, widget.get()), A);
  r.RegisterPropertyEditor(TypeInfo<Integer>(), TWidget::StaticClass(), "WIDTH", B);
  EXPECT_EQ(r.GetEditorClass(width, widget.get()), B);
  EXPECT_EQ(r.GetEditorClass(limited, widget.get()), A);
  // A different type of the same name is not served.
  EXPECT_EQ(r.GetEditorClass(Prop(TWidget::StaticClass(), "Color"), widget.get()),
            TIntegerProperty::StaticClass());

  // A nil editor hides the property on its class (and descendants) only.
  PPropInfo tag = Prop(TWidget::StaticClass(), "Tag");
  r.RegisterPropertyEditor(tag->PropType(), TWidget::StaticClass(), "Tag", nullptr);
  EXPECT_EQ(r.GetEditorClass(tag, widget.get()), nullptr);
  EXPECT_EQ(r.GetEditorClass(tag, button.get()), nullptr);
  EXPECT_EQ(r.GetEditorClass(Prop(TLabel::StaticClass(), "Tag"), label.get()),
            TInt64Property::StaticClass());
}

TEST_F(EditorLookup, InterfaceRegistrationsFollowTheInterfaceParents) {
  PPropInfo shape = Prop(TWidget::StaticClass(), "Shape");
  PPropInfo circle = Prop(TWidget::StaticClass(), "Circle");
  TOwned<TRingHolder> holder{New<TRingHolder>()};
  InBothOrders({TypeInfo<IPtr<IShape>>(), nullptr, A}, {TypeInfo<IPtr<ICircle>>(), nullptr, B},
               [&](auto& r) {
                 EXPECT_EQ(r.GetEditorClass(circle, widget.get()), B);
                 EXPECT_EQ(r.GetEditorClass(shape, widget.get()), A);
                 // Neither is the property's own type: the nearer ancestor wins.
                 EXPECT_EQ(r.GetEditorClass(Prop(TRingHolder::StaticClass(), "Ring"), holder.get()),
                           B);
               });
  TPropertyEditorRegistry r;
  r.RegisterPropertyEditor(TypeInfo<IPtr<IShape>>(), nullptr, "", A);
  EXPECT_EQ(r.GetEditorClass(circle, widget.get()), A);
}

TPropertyEditorClass MapWidthToC(TPersistent*, PPropInfo p) {
  return p->Name == "Width" ? TEditorC::StaticClass() : nullptr;
}
TPropertyEditorClass MapEverythingToA(TPersistent*, PPropInfo) { return TEditorA::StaticClass(); }

TEST_F(EditorLookup, MappersComeFirstNewestFirst) {
  TPropertyEditorRegistry r;
  r.RegisterPropertyEditor(TypeInfo<Integer>(), TWidget::StaticClass(), "Width", B);
  r.RegisterPropertyMapper(&MapEverythingToA);
  EXPECT_EQ(r.GetEditorClass(width, widget.get()), A);
  r.RegisterPropertyMapper(&MapWidthToC);
  EXPECT_EQ(r.GetEditorClass(width, widget.get()), C);
  EXPECT_EQ(r.GetEditorClass(Prop(TWidget::StaticClass(), "Caption"), widget.get()), A);
}

TEST_F(EditorLookup, EditorGroupRestrictsOnlyTheNewestRegistration) {
  TOwned<TOtherWidget> other(New<TOtherWidget>(nullptr));
  ASSERT_NE(ClassGroupOf(other.get()), ClassGroupOf(widget.get()));
  TPropertyEditorRegistry r;
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", A);
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", B);
  r.RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", A);
  r.SetPropertyEditorGroup(A, TOtherWidget::StaticClass());
  EXPECT_EQ(r.Records()[0]->ClassGroup, TOtherWidget::StaticClass());
  EXPECT_EQ(r.Records()[2]->ClassGroup, nullptr);
  EXPECT_EQ(r.GetEditorClass(width, other.get()), A);
  EXPECT_EQ(r.GetEditorClass(width, widget.get()), B);
  r.SetPropertyEditorGroup(C, TOtherWidget::StaticClass()); // no such registration
}

// ---- Package groups and hooks ---------------------------------------------------------------

std::vector<std::pair<char, Integer>> gGroupCalls;
void ChangeX(Integer g) { gGroupCalls.emplace_back('x', g); }
void ChangeY(Integer g) { gGroupCalls.emplace_back('y', g); }
void FreeComponentEditors(Integer g) { gGroupCalls.emplace_back('c', g); }
void FreeSelectionEditors(Integer g) { gGroupCalls.emplace_back('s', g); }
void FreeGuidelines(Integer g) { gGroupCalls.emplace_back('g', g); }

struct PackageGroups : ::testing::Test {
  void SetUp() override {
    DesignEditorsStartup();
    gGroupCalls.clear();
    saved = CurrentGroup;
  }
  void TearDown() override {
    DesignEditorsShutdown();
    FreeComponentEditorGroupProc = nullptr;
    FreeSelectionEditorGroupProc = nullptr;
    FreeComponentGuidelinesGroupProc = nullptr;
    UnnotifyGroupChange(&ChangeX);
    UnnotifyGroupChange(&ChangeY);
    CurrentGroup = saved;
  }
  Integer saved = 0;
};

TEST_F(PackageGroups, FreeingAGroupWithdrawsItsRegistrationsAndReusesTheNumber) {
  TOwned<TWidget> widget(New<TWidget>(nullptr));
  PPropInfo width = Prop(TWidget::StaticClass(), "Width");
  const Integer g = NewEditorGroup();
  EXPECT_GT(g, 0); // the environment's own group is never handed out
  EXPECT_EQ(CurrentGroup, g);
  RegisterPropertyEditor(TypeInfo<Integer>(), TWidget::StaticClass(), "", TEditorA::StaticClass());
  RegisterPropertyMapper(&MapWidthToC);
  const Integer h = NewEditorGroup();
  EXPECT_NE(h, g);
  RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", TEditorB::StaticClass());
  EXPECT_EQ(GetEditorClass(width, widget.get()), TEditorC::StaticClass());

  NotifyGroupChange(&ChangeX);
  NotifyGroupChange(&ChangeY);
  NotifyGroupChange(&ChangeX); // moves to the end, never listed twice
  FreeComponentEditorGroupProc = &FreeComponentEditors;
  FreeSelectionEditorGroupProc = &FreeSelectionEditors;
  FreeComponentGuidelinesGroupProc = &FreeGuidelines;
  FreeEditorGroup(g);
  const std::vector<std::pair<char, Integer>> expected = {
      {'c', g}, {'s', g}, {'g', g}, {'x', g}, {'y', g}};
  EXPECT_EQ(gGroupCalls, expected);
  EXPECT_EQ(GetEditorClass(width, widget.get()), TEditorB::StaticClass());
  for (const TPropertyClassRec* rec : PropertyEditorRegistry().Records())
    EXPECT_NE(rec->Group, g);
  EXPECT_TRUE(PropertyEditorRegistry().Mappers().empty());
  EXPECT_FALSE(EditorGroupInUse(g));
  EXPECT_EQ(NewEditorGroup(), g);

  FreeEditorGroup(g);
  FreeEditorGroup(h);
  EXPECT_EQ(GetEditorClass(width, widget.get()), TIntegerProperty::StaticClass());
  FreeEditorGroup(100000); // outside the set: withdraws nothing, no failure
}

TEST_F(PackageGroups, RegistrationsAfterShutDownAreDropped) {
  const std::size_t before = PropertyEditorRegistry().Records().size();
  DesignEditorsShutdown();
  RegisterPropertyEditor(TypeInfo<Integer>(), nullptr, "", TEditorA::StaticClass());
  UnlistPublishedProperty(TWidget::StaticClass(), "Tag");
  EXPECT_EQ(PropertyEditorRegistry().Records().size(), before);
  EXPECT_EQ(RegisterPropertyMapperProc, nullptr);

  DesignEditorsStartup();
  const Integer g = NewEditorGroup();
  UnlistPublishedProperty(TWidget::StaticClass(), "Tag");
  TOwned<TButton> button(New<TButton>(nullptr));
  EXPECT_EQ(GetEditorClass(Prop(TWidget::StaticClass(), "Tag"), button.get()), nullptr);
  FreeEditorGroup(g);
  EXPECT_EQ(GetEditorClass(Prop(TWidget::StaticClass(), "Tag"), button.get()),
            TInt64Property::StaticClass());
}

// ---- Property lists --------------------------------------------------------------------------

TEST(PropInfoList, IntersectionKeepsSameNameAndTypeAndUntypedClassesHaveNone) {
  TOwned<TWidget> widget(New<TWidget>(nullptr));
  TOwned<TLabel> label(New<TLabel>(nullptr));
  TPropInfoList w(widget.get(), tkAny);
  TPropInfoList l(label.get(), tkAny);
  EXPECT_TRUE(w.Contains(Prop(TLabel::StaticClass(), "Caption")));
  EXPECT_FALSE(w.Contains(Prop(TLabel::StaticClass(), "Alignment")));
  w.Intersect(l);
  std::vector<String> names;
  for (PPropInfo p : w.Items())
    names.push_back(p->Name);
  EXPECT_EQ(names, (std::vector<String>{"Caption", "Name", "Tag", "Width"}));

  TPropInfoList methods(widget.get(), tkMethods);
  ASSERT_EQ(methods.Count(), 1);
  EXPECT_EQ(methods.Get(0)->Name, "OnClick");
  methods.Delete(0);
  EXPECT_EQ(methods.Count(), 0);
  EXPECT_THROW(methods.Delete(0), EListError);

  // A class without type information has no properties.
  TOwned<TPersistent> p(New<TPersistent>());
  TClassRec bare = *TPersistent::StaticClass(); // a run-time record of the same layout
  bare.TypeInfo = nullptr;
  ASSERT_TRUE(p->ChangeClass(&bare));
  EXPECT_EQ(TPropInfoList(p.get(), tkAny).Count(), 0);
  int calls = 0;
  TPropertyEditorRegistry().GetComponentProperties(Selection({p.get()}), tkAny, nullptr,
                                                   [&](const IPtr<IProperty>&) { ++calls; });
  EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace fwtest
