#include "designeditors/propcategories.h"

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/exceptions.h"
#include "designeditors/editorregistry.h"
#include "editor_test_classes.h"

#include <gtest/gtest.h>

namespace fwtest {
namespace {

PTypeInfo TypeInfoTCursor() {
  static PTypeInfo t = MakeOrdinalType("TCursor", kindInteger, otSWord, -32768, 32767);
  return t;
}

class TCatControl : public TComponent {
  FW_CLASS(TCatControl)
public:
  using TComponent::TComponent;
  ~TCatControl() override { FFont->Free(); }
  String FCaption, FHint;
  Integer FLeft = 0, FWidth = 0, FCursor = 0, FDragMode = 0, FDragKind = 0;
  TFontLike* FFont = New<TFontLike>();
};

class TCatButton : public TCatControl {
  FW_CLASS(TCatButton)
public:
  using TCatControl::TCatControl;
};

class TCatLabel : public TCatControl {
  FW_CLASS(TCatLabel)
public:
  using TCatControl::TCatControl;
};

TClass TCatControl::StaticClass() {
  using C = TCatControl;
  static const TClass cls = TClassBuilder<C, TComponent>("TCatControl", "CategoryTests")
                                .Property("Caption", &C::FCaption, &C::FCaption)
                                .Property("Hint", &C::FHint, &C::FHint)
                                .Property("Left", &C::FLeft, &C::FLeft)
                                .Property("Width", &C::FWidth, &C::FWidth)
                                .Property("DragCursor", &TypeInfoTCursor, &C::FCursor, &C::FCursor)
                                .Property("DragMode", &C::FDragMode, &C::FDragMode)
                                .Property("DragKind", &C::FDragKind, &C::FDragKind)
                                .Property("Font", &C::FFont, nullptr)
                                .Build();
  return cls;
}
TClass TCatButton::StaticClass() {
  return PlainClass<TCatButton, TCatControl>("TCatButton", "CategoryTests");
}
TClass TCatLabel::StaticClass() {
  return PlainClass<TCatLabel, TCatControl>("TCatLabel", "CategoryTests");
}

/// A filter that reports its destruction.
struct TCountedFilter : TPropertyFilter {
  static inline int Live = 0;
  TCountedFilter(const String& text, Integer group) : TPropertyFilter(text, group) { ++Live; }
  ~TCountedFilter() override { --Live; }
};

String gHostStore;
String HostGet() { return gHostStore; }
void HostSet(const String& s) { gHostStore = s; }

/// Each test starts with the unit started, an empty host store and group 0.
struct Categories : ::testing::Test {
  TOwned<TComponent> form{New<TComponent>(nullptr)};
  TCatButton* button = New<TCatButton>(form.get());
  TCatLabel* label = New<TCatLabel>(form.get());

  void SetUp() override {
    gHostStore.clear();
    GetHiddenCategoriesProc = &HostGet;
    SetHiddenCategoriesProc = &HostSet;
    PropertyCategoriesStartup();
  }
  void TearDown() override {
    PropertyCategoriesShutdown();
    GetHiddenCategoriesProc = nullptr;
    SetHiddenCategoriesProc = nullptr;
    CurrentGroup = 0;
  }
  static TPropertyCategoryList& List() { return PropertyCategoryList(); }
  static TPropertyCategory* Cat(std::string_view name) { return List().FindCategory(String(name)); }

  static std::vector<IPtr<IProperty>> Editors(TPersistent* obj) {
    std::vector<IPtr<IProperty>> editors;
    TPropertyEditorRegistry().GetComponentProperties(
        Selection({obj}), tkProperties, {},
        [&](const IPtr<IProperty>& p) { editors.push_back(p); });
    return editors;
  }
  /// One inspector pass over a component: the names listed that the category list lets through.
  Strings Shown(TPersistent* obj) {
    IPtr<IDesignObject> designObject = PersistentToDesignObject(obj);
    Strings shown;
    List().ClearMatches();
    for (auto& p : Editors(obj))
      if (List().Match(p->GetName(), designObject, p)) shown.push_back(p->GetName());
    return shown;
  }
};

TEST_F(Categories, ComponentFiltersTestNameClassAndType) {
  TComponentPropertyFilter drag("drag*", nullptr, nullptr);
  for (const char* n : {"DragMode", "DragCursor", "DragKind", "Drag"})
    EXPECT_TRUE(drag.Match(n, nullptr, nullptr)) << n;
  EXPECT_FALSE(drag.Match("OnDrag", nullptr, nullptr));

  TComponentPropertyFilter onControls("Caption", TCatControl::StaticClass(), nullptr);
  EXPECT_TRUE(onControls.Match("CAPTION", TCatButton::StaticClass(), nullptr));
  EXPECT_FALSE(onControls.Match("Caption", TComponent::StaticClass(), nullptr));
  EXPECT_FALSE(onControls.Match("Caption", nullptr, nullptr));

  TComponentPropertyFilter byType("", nullptr, TPersistent::StaticClass()->TypeInfo);
  EXPECT_TRUE(byType.Match("Font", nullptr, TFontLike::StaticClass()->TypeInfo));
  EXPECT_FALSE(byType.Match("Font", nullptr, nullptr));
  EXPECT_FALSE(byType.Match("Left", nullptr, TypeInfo<Integer>()));
  TComponentPropertyFilter exact("", nullptr, TypeInfoTCursor());
  EXPECT_TRUE(exact.Match("X", nullptr, TypeInfoTCursor()));
  EXPECT_FALSE(exact.Match("X", nullptr, TypeInfo<Integer>())); // same kind is not enough
}

TEST_F(Categories, ObjectMatchTakesNameAndTypeFromEditorOrObject) {
  IPtr<IDesignObject> obj = PersistentToDesignObject(button);
  TComponentPropertyFilter cursors("", TCatControl::StaticClass(), TypeInfoTCursor());
  EXPECT_TRUE(cursors.Match("DragCursor", obj, {})); // type looked up on the object's class
  EXPECT_FALSE(cursors.Match("Left", obj, {}));
  EXPECT_FALSE(cursors.Match("NoSuchProperty", obj, {}));
  EXPECT_FALSE(cursors.Match("DragCursor", {}, {})); // no persistent object, no match

  TComponentPropertyFilter named("Hint", nullptr, nullptr);
  auto editors = Editors(button);
  EXPECT_GT(editors.size(), 5u);
  for (auto& p : editors) {
    EXPECT_EQ(named.Match("", obj, p), p->GetName() == "Hint") << p->GetName();
    EXPECT_EQ(cursors.Match("", obj, p), p->GetName() == "DragCursor") << p->GetName();
  }
  // A plain filter knows nothing but names: an empty mask takes anything.
  EXPECT_TRUE(TPropertyFilter("", 3).Match("", {}, {}));
}

TEST_F(Categories, MalformedMaskRaisesAndChangesNothing) {
  const Integer before = List().Count();
  EXPECT_EQ(MessageOf<EMaskException>([] { RegisterPropertyInCategory("Broken", "Drag["); }),
            "'Drag[' is an invalid mask at (6)");
  EXPECT_EQ(List().Count(), before);
  EXPECT_EQ(List().IndexOf("Broken"), -1);
  // Through the array form the elements before the bad one stay.
  EXPECT_THROW(RegisterPropertiesInCategory("Layout", {"Left", "[a-"}), EMaskException);
  EXPECT_EQ(Cat("Layout")->Count(), 1);
}

TEST_F(Categories, CategoryKeepsNewestFilterFirstAndFreesRemovedOnes) {
  TCountedFilter::Live = 0;
  {
    TPropertyCategory cat("Mine");
    cat.Add(std::make_unique<TCountedFilter>("A", 1));
    TPropertyFilter* b = cat.Add(std::make_unique<TCountedFilter>("B", 2));
    cat.Add(std::make_unique<TCountedFilter>("C", 1));
    EXPECT_EQ(cat.GetFilter(0)->FilterText(), "C");
    EXPECT_EQ(cat.GetFilter(1), b);
    EXPECT_THROW(cat.GetFilter(3), EListError);
    cat.Remove(b);
    EXPECT_EQ(TCountedFilter::Live, 2);
    TPropertyFilter stranger("X", 0);
    cat.Remove(&stranger); // not ours: left alone
    EXPECT_EQ(cat.Count(), 2);
    cat.FreeEditorGroup(1);
    EXPECT_EQ(cat.Count(), 0);
    EXPECT_EQ(TCountedFilter::Live, 0);
    cat.Add(std::make_unique<TCountedFilter>("D", 5));
  }
  EXPECT_EQ(TCountedFilter::Live, 0);
}

TEST_F(Categories, ClassMatchAsksOnlyComponentFiltersAndCountsHits) {
  TPropertyCategory* cat = Cat("Help");
  cat->Add(std::make_unique<TPropertyFilter>("Hint", 0)); // invisible to class-based matching
  EXPECT_FALSE(cat->Match("Hint", TCatButton::StaticClass()));
  RegisterPropertyInCategory("Help", TCatControl::StaticClass(), "Hint");
  EXPECT_TRUE(cat->Match("Hint", TCatButton::StaticClass()));
  EXPECT_TRUE(IsPropertyInCategory("Help", TCatLabel::StaticClass(), "hint"));
  EXPECT_FALSE(IsPropertyInCategory("Help", TComponent::StaticClass(), "Hint"));
  EXPECT_EQ(cat->MatchCount(), 2);
  cat->ClearMatches();
  EXPECT_EQ(cat->MatchCount(), 0);

  RegisterPropertyInCategory("Fonts", TPersistent::StaticClass()->TypeInfo);
  EXPECT_TRUE(IsPropertyInCategory("Fonts", TCatButton::StaticClass(), "Font")); // type filled in
  EXPECT_FALSE(IsPropertyInCategory("Fonts", TCatButton::StaticClass(), "Left"));
}

TEST_F(Categories, IsPropertyInCategoryByClassName) {
  RegisterClass(TCatButton::StaticClass());
  RegisterPropertyInCategory(String(sDragNDropCategoryName), "Drag*");
  EXPECT_TRUE(IsPropertyInCategory(String(sDragNDropCategoryName), "TCatButton", "DragKind"));
  const Integer before = List().Count();
  EXPECT_EQ(
      MessageOf<EClassNotFound>([] { IsPropertyInCategory("Nowhere", "TNoSuchClass", "Left"); }),
      "Class TNoSuchClass not found");
  EXPECT_EQ(List().Count(), before);
  // A category that does not exist is made by asking.
  EXPECT_FALSE(IsPropertyInCategory("Fresh", "TCatButton", "Left"));
  EXPECT_EQ(List().IndexOf("Fresh"), 0);
  EXPECT_EQ(List().IndexOf("fresh"), -1);
}

TEST_F(Categories, InspectorShowsPropertyWhenAnyClaimingCategoryIsVisible) {
  RegisterPropertiesInCategory(String(sLayoutCategoryName), {"Left", "Width"});
  RegisterPropertiesInCategory(String(sVisualCategoryName),
                               {TypeInfoTCursor(), "Width", "Caption"});
  RegisterPropertyInCategory(String(sDragNDropCategoryName), "Drag*");
  const Strings all{"Caption", "DragCursor", "DragKind", "DragMode", "Font",
                    "Hint",    "Left",       "Name",     "Tag",      "Width"};
  EXPECT_EQ(Shown(button), all);

  Cat(sLayoutCategoryName)->SetVisible(false);
  // Width still shows through Visual; Left has nowhere else to go.
  EXPECT_EQ(Shown(button), (Strings{"Caption", "DragCursor", "DragKind", "DragMode", "Font", "Hint",
                                    "Name", "Tag", "Width"}));
  // Newest first: DragCursor stops at the drag category, so Visual is never asked for it, and
  // Width stops at Visual, so the hidden Layout is not asked either.
  EXPECT_EQ(Cat(sDragNDropCategoryName)->MatchCount(), 3);
  EXPECT_EQ(Cat(sVisualCategoryName)->MatchCount(), 2); // Caption, Width
  EXPECT_EQ(Cat(sLayoutCategoryName)->MatchCount(), 1); // Left

  Cat(sVisualCategoryName)->SetVisible(false);
  Shown(button);
  EXPECT_EQ(Cat(sLayoutCategoryName)->MatchCount(), 2); // now asked for Width too

  // Unclaimed properties go to Miscellaneous and show exactly when it is visible.
  List().MiscCategory()->SetVisible(false);
  EXPECT_EQ(Shown(button), (Strings{"DragCursor", "DragKind", "DragMode"}));
  EXPECT_EQ(List().MiscCategory()->MatchCount(), 4); // Font, Hint, Name, Tag

  // The class-based form gives the same answers.
  EXPECT_FALSE(List().Match("Width", TCatButton::StaticClass()));
  EXPECT_TRUE(List().Match("DragKind", TCatButton::StaticClass()));
  EXPECT_FALSE(List().Match("Hint", TCatButton::StaticClass()));
}

TEST_F(Categories, VisibilityModesChangeOnlyCategoriesWithMatches) {
  RegisterPropertyInCategory("Layout", "Left");
  RegisterPropertyInCategory("Visual", "Caption");
  RegisterPropertyInCategory("Unused", "Nothing");
  Shown(button);
  auto visible = [&] {
    return std::vector<bool>{Cat("Layout")->Visible(), Cat("Visual")->Visible(),
                             Cat("Unused")->Visible(), List().MiscCategory()->Visible()};
  };
  EXPECT_TRUE(List().ChangeVisibility(pcvNone));
  EXPECT_EQ(visible(), (std::vector<bool>{false, false, true, false}));
  EXPECT_FALSE(List().ChangeVisibility(pcvNone));
  EXPECT_FALSE(List().ChangeVisibility(pcvOnlyListed, {"Unused"}));
  EXPECT_TRUE(List().ChangeVisibility(pcvOnlyListed, {"Layout", "visual"})); // exact names
  EXPECT_EQ(visible(), (std::vector<bool>{true, false, true, false}));
  EXPECT_TRUE(List().ChangeVisibility(pcvToggle));
  EXPECT_EQ(visible(), (std::vector<bool>{false, true, true, true}));
  EXPECT_TRUE(List().ChangeVisibility(pcvNotListed, {"Visual"}));
  EXPECT_EQ(visible(), (std::vector<bool>{true, false, true, true}));
  EXPECT_TRUE(List().ChangeVisibility(pcvAll));
  EXPECT_EQ(visible(), (std::vector<bool>{true, true, true, true}));
  List().ClearMatches();
  EXPECT_FALSE(List().ChangeVisibility(pcvNone)); // nothing met since the reset
}

TEST_F(Categories, HiddenSetRoundTripsQuotedNames) {
  const Strings odd{String(sDragNDropCategoryName), "Comma, too", "Say \"hi\"", "Plain", ""};
  for (const String& n : odd)
    RegisterPropertyInCategory(n, "Left");
  for (const String& n : odd)
    List().FindCategory(n)->SetVisible(n == "Plain");
  List().SaveHiddenCategories();
  EXPECT_EQ(gHostStore, ",\"Say \"\"hi\"\"\",\"Comma, too\",\"Drag Drop/Docking\"");

  PropertyCategoriesShutdown(); // the next run of the host
  PropertyCategoriesStartup();
  EXPECT_EQ(List().HiddenCategories().Count(), 4);
  for (const String& n : odd) // made on demand, hidden as they were
    EXPECT_EQ(List().FindCategory(n)->Visible(), n == "Plain") << n;
  EXPECT_TRUE(Cat("drag drop/docking")->Visible()); // the set compares exactly

  gHostStore = "Plain";
  List().LoadHiddenCategories();
  for (const String& n : odd)
    EXPECT_EQ(List().FindCategory(n)->Visible(), n != "Plain") << n;
}

TEST_F(Categories, UnloadingAPackageWithdrawsItsCategoriesAndFilters) {
  RegisterPropertyInCategory("Layout", "Left"); // the environment's own, group 0
  const Integer g = NewEditorGroup();
  RegisterPropertyInCategory("Layout", "Width");
  RegisterPropertyInCategory("Extras", TCatButton::StaticClass(), "Hint");
  RegisterPropertyInCategory(String(sMiscellaneousCategoryName), TCatButton::StaticClass(), "Tag");
  EXPECT_EQ(Cat("Layout")->Count(), 2);
  const Integer miscFilters = List().MiscCategory()->Count();
  CurrentGroup = 0;
  FreeEditorGroup(g);

  EXPECT_EQ(List().IndexOf("Extras"), -1);
  ASSERT_EQ(Cat("Layout")->Count(), 1);
  EXPECT_EQ(Cat("Layout")->GetFilter(0)->FilterText(), "Left");
  EXPECT_EQ(List().MiscCategory()->Count(), miscFilters - 1);
  EXPECT_TRUE(
      IsPropertyInCategory(String(sMiscellaneousCategoryName), TCatButton::StaticClass(), "Tag"));
  EXPECT_EQ(Shown(label), (Strings{"Caption", "DragCursor", "DragKind", "DragMode", "Font", "Hint",
                                   "Left", "Name", "Tag", "Width"}));
}

TEST_F(Categories, CatchAllsSurviveTheGroupThatMadeTheListAndLateRegistrationsAreDropped) {
  PropertyCategoriesShutdown();
  PropertyCategoriesStartup();
  const Integer g = NewEditorGroup();
  RegisterPropertyInCategory("Late", "Hint"); // first use: the list is made under group g
  CurrentGroup = 0;
  FreeEditorGroup(g);
  EXPECT_EQ(List().Count(), 1);
  EXPECT_EQ(List().MiscCategory()->Count(), 2);
  EXPECT_TRUE(List().Match("Hint", TCatButton::StaticClass()));

  // A registration after shut-down is dropped.
  PropertyCategoriesShutdown();
  RegisterPropertyInCategory("Ghost", "Left");
  PropertyCategoriesStartup();
  EXPECT_EQ(List().IndexOf("Ghost"), -1);
  EXPECT_EQ(List().Count(), 1);
}

} // namespace
} // namespace fwtest
