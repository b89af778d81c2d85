#include "basert/propvalue.h"

#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/exceptions.h"
#include "basert/filer.h"
#include "basert/formtext.h"
#include "support/formtext.h"
#include "support/testutil.h"
#include "test_classes.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace fwtest;

namespace {

using VC = TPropValueClass;

TEST(PropValueOps, EveryClassGetsCopiesAndComparesInItsOwnType) {
  TOwned<TDataModule> root(New<TDataModule>(nullptr));
  auto* a = New<TSample>(root.get());
  auto* b = New<TSample>(root.get());
  a->SetName("A");
  b->SetName("B");
  a->FInt = -7;
  a->FColors = {TColorKind::ckRed, TColorKind::ckBlue};
  a->FExtended = 1.0L / 3.0L;
  a->FWhen = 45000.75;
  a->FCaption = "caption";
  a->FWide = u"wide \u4E2D";
  a->FBig = -(Int64{1} << 40);
  a->FAny = Variant(String("any"));
  a->FOnClick = TNotifyEvent{{reinterpret_cast<void*>(0x7001), root.get()}};
  a->FBuddy = b;
  a->FThing = IPtr<ITestThing>(New<TThing>(5));

  std::set<VC> seen;
  for (PPropInfo p : GetPropInfos(TSample::StaticClass()->TypeInfo)) {
    // Names must stay unique; a sub-object is compared property by property, never whole.
    if (!p->HasRead() || !p->HasWrite() || p->Name == "Name" || p->Name == "Font") continue;
    const TPropValueOps& ops = PropValueOps(p);
    const TPropValue v = ops.Get(a, p);
    EXPECT_EQ(v.index(), static_cast<std::size_t>(p->ValueClass)) << p->Name;
    const TAncestorLookup likeA{a, root.get(), root.get()};
    const bool differed = !ops.IsDefault(b, p, likeA, root.get());
    ops.Copy(a, b, p);
    EXPECT_TRUE(ops.IsDefault(b, p, likeA, root.get())) << p->Name;
    if (differed) seen.insert(p->ValueClass);
  }
  // Every class with a value took part, so a broken entry would have shown.
  EXPECT_EQ(seen, (std::set<VC>{VC::Ordinal, VC::Float, VC::String, VC::Wide, VC::Variant,
                                VC::Method, VC::Object, VC::Interface}));
  EXPECT_EQ(b->FWhen, a->FWhen);
  EXPECT_EQ(b->FBig, a->FBig);
  EXPECT_EQ(b->FThing->Value(), 5);

  // A value of another class is refused, and the entry of None has no value.
  PPropInfo caption = GetPropInfo(a, "Caption");
  EXPECT_EQ(fwtest::MessageOf<EPropertyError>(
                [&] { PropValueOps(caption).Set(a, caption, TPropValue(Int64{1})); }),
            "Invalid property value");
  EXPECT_EQ(a->FCaption, "caption");
  EXPECT_TRUE(std::holds_alternative<std::monostate>(PropValueOps(VC::None).Get(a, caption)));
  EXPECT_EQ(&PropValueOps(static_cast<VC>(200)), &PropValueOps(VC::None));
}

// ---- Sets wider than 32 elements, and dates known by their type's flag ----------------------

PTypeInfo Letters64() {
  static PTypeInfo t = [] {
    std::vector<String> names;
    for (int i = 0; i < 64; ++i)
      names.push_back("e" + std::to_string(i));
    return MakeEnumType("TLetter", std::move(names), "Tests");
  }();
  return t;
}
PTypeInfo Set64() {
  static PTypeInfo t = MakeSetType("TLetters", Letters64());
  return t;
}
PTypeInfo Set40() { // elements e0..e39 of the 64-letter type
  static PTypeInfo t = MakeSetType("TFewLetters", MakeEnumSubrange("TFew", Letters64(), 0, 39));
  return t;
}
PTypeInfo PlainDouble() { // named like a date type, but without the flag
  static PTypeInfo t = MakeFloatType("TDateTime", ftDouble);
  return t;
}
PTypeInfo Moment() { // a date type of another name
  static PTypeInfo t = MakeFloatType("TMoment", ftDouble, true);
  return t;
}

class TWideSets : public TComponent {
  FW_CLASS(TWideSets)
public:
  using TComponent::TComponent;
  std::uint64_t FAll = 0;
  std::uint64_t FFew = 0;
  Double FPlain = 0;
  Double FMoment = 0;
};

TClass TWideSets::StaticClass() {
  static const TClass cls =
      TClassBuilder<TWideSets, TComponent>("TWideSets", "Tests")
          .Property("All", &Set64, &TWideSets::FAll, &TWideSets::FAll)
          .Property("Few", &Set40, &TWideSets::FFew, &TWideSets::FFew)
          .Property("Plain", &PlainDouble, &TWideSets::FPlain, &TWideSets::FPlain)
          .Property("Moment", &Moment, &TWideSets::FMoment, &TWideSets::FMoment)
          .Build();
  return cls;
}

TEST(SetsAndDates, SetsUpTo64ElementsRoundTripInBothLayouts) {
  RegisterClass(TWideSets::StaticClass());
  EXPECT_EQ(SetElementCount(Set40()), 40);
  TOwned<TWideSets> w(New<TWideSets>(nullptr));
  w->SetName("W");
  w->FAll = (std::uint64_t{1} << 63) | (std::uint64_t{1} << 32) | 1;
  w->FFew = (std::uint64_t{1} << 39) | (std::uint64_t{1} << 33);
  const String text = WriteFormText(w.get());
  EXPECT_NE(text.find("All = [e0, e32, e63]"), String::npos) << text;
  EXPECT_NE(text.find("Few = [e33, e39]"), String::npos) << text;
  TOwned<TComponent> back(ReadFormText(text, nullptr));
  auto* fromText = static_cast<TWideSets*>(back.get());
  EXPECT_EQ(fromText->FAll, w->FAll);
  EXPECT_EQ(fromText->FFew, w->FFew);
  EXPECT_EQ(GetSetProp(fromText, GetPropInfo(fromText, "All"), true), "[e0,e32,e63]");

  // An element of the element type's base, but beyond the set, is refused.
  String beyond = text;
  beyond.replace(beyond.find("e39"), 3, "e40");
  EXPECT_THROW(TOwned<TComponent>(ReadFormText(beyond, nullptr)), EReadError);
  EXPECT_THROW(StringToSet(Set40(), "[e40]"), EPropertyError);
  EXPECT_EQ(StringToSet(Set40(), "[e39]"), Int64{1} << 39);
}

TEST(SetsAndDates, DatesAreKnownByTheirTypesFlagNotTheirName) {
  RegisterClass(TWideSets::StaticClass());
  TOwned<TWideSets> w(New<TWideSets>(nullptr));
  w->SetName("W");
  w->FPlain = 1.5;
  w->FMoment = 2.5;
  TMemoryStream bin;
  {
    TWriter writer(&bin, 1024);
    writer.WriteRootComponent(w.get());
  }
  bin.SetPosition(0);
  TReader r(&bin, 1024);
  r.ReadSignature();
  TFilerFlags flags;
  Integer pos;
  r.ReadPrefix(flags, pos);
  r.ReadStr();
  r.ReadStr();
  std::map<String, TValueType> tags;
  while (!r.EndOfList()) {
    String name = r.ReadStr();
    tags[name] = r.NextValue();
    r.SkipValue();
  }
  EXPECT_EQ(tags["Plain"], vaExtended);
  EXPECT_EQ(tags["Moment"], vaDate);
  EXPECT_TRUE(TypeInfoTDateTime()->Data.IsDate && TypeInfoTDate()->Data.IsDate &&
              TypeInfoTTime()->Data.IsDate);
}

} // namespace
