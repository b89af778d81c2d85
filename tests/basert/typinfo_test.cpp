#include "basert/typinfo.h"

#include "basert/exceptions.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

struct SampleFixture : ::testing::Test {
  TOwned<TSample> s{New<TSample>(nullptr)};
  PPropInfo P(std::string_view name) {
    PPropInfo p = GetPropInfo(s.get(), name);
    EXPECT_NE(p, nullptr) << name;
    return p;
  }
};

} // namespace

// Plain values of every kind go through these accessors in the filer round trip; here the
// conversions, names and edge values.
TEST_F(SampleFixture, TypedAccessorsConvertTakeNamesAndRefuseBadAccess) {
  SetEnumProp(s.get(), P("Color"), "CKBLUE");
  EXPECT_EQ(s->FColor, TColorKind::ckBlue);
  EXPECT_EQ(GetEnumProp(s.get(), P("Color")), "ckBlue");
  SetSetProp(s.get(), P("Colors"), "[ckRed, ckBlue]");
  EXPECT_EQ(GetSetProp(s.get(), P("Colors"), true), "[ckRed,ckBlue]");
  EXPECT_TRUE(s->FColors.Contains(TColorKind::ckBlue));
  SetOrdProp(s.get(), P("Flag"), 1);
  EXPECT_TRUE(s->FFlag);
  EXPECT_EQ(GetEnumProp(s.get(), P("Flag")), "True");
  SetFloatProp(s.get(), P("Money"), 12.3456L);
  EXPECT_EQ(s->FMoney.Scaled, 123456);
  SetStrProp(s.get(), P("Caption"), "Hello \xE2\x82\xAC");
  EXPECT_EQ(GetWideStrProp(s.get(), P("Caption")), u"Hello \u20AC");
  SetWideStrProp(s.get(), P("Wide"), u"\u00E9t\u00E9");
  EXPECT_EQ(GetStrProp(s.get(), P("Wide")), "\xC3\xA9t\xC3\xA9");
  SetInt64Prop(s.get(), P("Big"), INT64_MIN);
  EXPECT_EQ(GetInt64Prop(s.get(), P("Big")), INT64_MIN);
  SetVariantProp(s.get(), P("Any"), Null());
  EXPECT_TRUE(VarIsNull(s->FAny));
  SetOrdProp(s.get(), P("BoundLeft"), 7);
  SetOrdProp(s.get(), P("BoundTop"), 9);
  EXPECT_EQ(s->FBounds[0], 7);
  EXPECT_EQ(GetOrdProp(s.get(), P("BoundTop")), 9);

  EXPECT_THROW(SetStrProp(s.get(), P("ReadOnly"), "x"), EPropReadOnly);
  EXPECT_EQ(GetStrProp(s.get(), P("ReadOnly")), "fixed");
  EXPECT_THROW(GetOrdProp(s.get(), P("WriteOnly")), EPropWriteOnly);
  SetOrdProp(s.get(), P("WriteOnly"), 3);
  EXPECT_EQ(s->FWriteOnly, 3);
  EXPECT_THROW(GetStrProp(s.get(), P("Int")), EPropertyError); // kind mismatch
  EXPECT_THROW(GetOrdProp(s.get(), "NoSuchProperty"), EPropertyError);
  EXPECT_THROW(SetEnumProp(s.get(), P("Color"), "ckPurple"), EPropertyError);
  EXPECT_EQ(s->FColor, TColorKind::ckBlue); // failures leave the old value
  EXPECT_THROW(SetSetProp(s.get(), P("Colors"), "[ckGreen, nope]"), EPropertyError);
  EXPECT_EQ(GetSetProp(s.get(), P("Colors"), true), "[ckRed,ckBlue]");
}

TEST_F(SampleFixture, ObjectMethodAndInterfacePropertiesRoundTrip) {
  TOwned<TSample> buddy(New<TSample>(nullptr));
  SetObjectProp(s.get(), P("Buddy"), buddy.get());
  EXPECT_EQ(GetObjectProp(s.get(), P("Buddy")), buddy.get());
  EXPECT_EQ(GetOrdProp(s.get(), P("Buddy")), reinterpret_cast<std::intptr_t>(buddy.get()));
  TOwned<TFont> font(New<TFont>());
  EXPECT_THROW(SetObjectProp(s.get(), P("Buddy"), font.get()), EPropertyError); // wrong class
  EXPECT_EQ(s->FBuddy, buddy.get());

  TMethod m{s->MethodAddress("Clicked"), static_cast<TObject*>(s.get())};
  ASSERT_NE(m.Code, nullptr);
  SetMethodProp(s.get(), P("OnClick"), m);
  EXPECT_EQ(GetMethodProp(s.get(), P("OnClick")), m);
  s->FOnClick(buddy.get());
  EXPECT_EQ(s->Clicks, 1);
  EXPECT_EQ(s->LastSender, buddy.get());
  EXPECT_EQ(s->MethodName(m.Code), "Clicked");
  EXPECT_NE((TMethod{m.Code, nullptr}), m); // both fields compare

  IPtr<ITestThing> thing(new TThing(5));
  SetInterfaceProp(s.get(), P("Thing"), IPtr<IInterface>(thing.get()));
  IPtr<ITestThing> back = QueryIntf<ITestThing>(GetInterfaceProp(s.get(), P("Thing")));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Value(), 5);
  EXPECT_EQ(P("Thing")->PropType()->Data.Guid, ITestThing::IID);
}

TEST_F(SampleFixture, PropertyListsAreSortedFilteredAndCached) {
  PTypeInfo t = s->ClassType()->TypeInfo;
  const auto& sorted = GetPropList(t);
  ASSERT_EQ(static_cast<Integer>(sorted.size()), t->Data.PropCount);
  for (std::size_t i = 1; i < sorted.size(); ++i)
    EXPECT_LT(CompareText(sorted[i - 1]->Name, sorted[i]->Name), 0);
  EXPECT_EQ(&GetPropList(t), &sorted); // served from the cache

  const auto& declared = GetPropList(t, tkAny, false);
  EXPECT_EQ(declared[0]->Name, "Name"); // inherited first
  EXPECT_EQ(declared[1]->Name, "Tag");
  for (std::size_t i = 0; i < declared.size(); ++i)
    EXPECT_EQ(declared[i]->NameIndex, static_cast<Integer>(i));

  const auto& methods = GetPropList(t, tkMethods);
  ASSERT_EQ(methods.size(), 1u);
  EXPECT_EQ(methods[0]->Name, "OnClick");
  EXPECT_EQ(GetPropInfo(t, "onclick", tkProperties), nullptr);
  EXPECT_EQ(GetPropInfo(t, "onclick", tkMethods), methods[0]);
}

TEST_F(SampleFixture, StoredDefaultAndTypeData) {
  EXPECT_FALSE(IsStoredProp(s.get(), P("Name"))); // the name is written in the header
  EXPECT_FALSE(IsStoredProp(s.get(), P("Caption")));
  s->FCaption = "x";
  EXPECT_TRUE(IsStoredProp(s.get(), P("Caption")));
  EXPECT_EQ(P("Int")->Default, NoDefault);
  EXPECT_EQ(P("UInt")->PropType()->Data.OrdType, otULong);
  EXPECT_EQ(P("Money")->PropType()->Data.FloatType, ftCurr);
  EXPECT_EQ(P("Font")->PropType()->Data.ClassType, TFont::StaticClass());
  EXPECT_EQ(P("Font")->PropType()->Data.PropCount, 2);
}

TEST(EnumsAndSets, NamesValuesAndSubranges) {
  PTypeInfo e = TypeInfo<TColorKind>();
  EXPECT_EQ(GetEnumName(e, 2), "ckBlue");
  EXPECT_EQ(GetEnumName(e, 3), "");
  EXPECT_EQ(GetEnumValue(e, "ckgreen"), 1);
  EXPECT_EQ(GetEnumValue(e, "x"), -1);
  PTypeInfo sub = MakeEnumSubrange("TGB", e, 1, 2);
  EXPECT_EQ(GetEnumName(sub, 2), "ckBlue");
  EXPECT_EQ(sub->Data.MinValue, 1);
  PTypeInfo set = TypeInfo<TSet<TColorKind>>();
  EXPECT_EQ(SetToString(set, 0, true), "[]");
  EXPECT_EQ(StringToSet(set, "ckGreen,ckBlue"), 6);
  EXPECT_EQ(GetEnumName(TypeInfo<bool>(), 1), "True");
}

TEST(MethodTypeData, HasTheByteLayoutOfEventInfo) {
  PTypeInfo t = MakeMethodType("TKeyEvent", mkProcedure,
                               {{{}, "Sender", "TObject"}, {{pfVar}, "Key", "Word"}}, "");
  const Byte* d = GetMethodTypeData(t);
  EXPECT_EQ(d[0], mkProcedure);
  EXPECT_EQ(d[1], 2); // parameter count
  EXPECT_EQ(d[2], 0); // flags of Sender
  EXPECT_EQ(String(reinterpret_cast<const char*>(d + 4), d[3]), "Sender");
  const Byte* p = d + 4 + 6;
  EXPECT_EQ(String(reinterpret_cast<const char*>(p + 1), p[0]), "TObject");
  p += 1 + 7;
  EXPECT_EQ(p[0], 1u << pfVar);
  p += 1;
  EXPECT_EQ(String(reinterpret_cast<const char*>(p + 1), p[0]), "Key");
  p += 1 + 3;
  EXPECT_EQ(String(reinterpret_cast<const char*>(p + 1), p[0]), "Word");
  p += 1 + 4;
  EXPECT_EQ(p[0], 0); // empty result type
  EXPECT_EQ(static_cast<std::size_t>(p + 1 - d), t->Data.MethodData.size());
}
