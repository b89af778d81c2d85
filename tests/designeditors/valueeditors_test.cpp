#include "stdeditors_test_classes.h"

#include "basert/datetime.h"
#include "basert/sysutils.h"

namespace fwtest {
namespace {

/// Restores the process-wide format settings a test changes.
struct SettingsGuard {
  TFormatSettings saved = FormatSettings;
  ~SettingsGuard() { FormatSettings = saved; }
};

TEST_F(EditorsTest, FloatsShowThePrecisionOfTheirTypeAndReadTheCurrentSeparator) {
  SettingsGuard guard;
  auto* a = Make<TEdSample>("A");
  a->FRatio = 0.1f;
  a->FAmount = 0.1;
  a->FPrecise = 1.0L / 3;
  a->FPrice = Currency::FromScaled(12345);
  EXPECT_EQ(Prop({a}, "Ratio")->GetValue(), "0.1");
  EXPECT_EQ(Prop({a}, "Amount")->GetValue(), "0.1");
  EXPECT_EQ(Prop({a}, "Precise")->GetValue(), "0.333333333333333333");
  EXPECT_EQ(Prop({a}, "Price")->GetValue(), "1.2345");

  IPtr<IProperty> amount = Prop({a}, "Amount");
  amount->SetValue("2.25");
  EXPECT_EQ(a->FAmount, 2.25);
  ExpectRejected(amount, "2,5", "'2,5' is not a valid floating point value");
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(amount->GetValue(), "2,25");
  ExpectRejected(amount, "2.5", "'2.5' is not a valid floating point value");
  amount->SetValue("2,5");
  EXPECT_EQ(a->FAmount, 2.5);
  ExpectRejected(Prop({a}, "Ratio"), "1E39", "'1E39' is not a valid floating point value");
  ExpectRejected(Prop({a}, "Price"), "1E16", "'1E16' is not a valid floating point value");

  auto* b = Make<TEdSample>("B");
  b->FAmount = 2.5;
  EXPECT_TRUE(Prop({a, b}, "Amount")->AllEqual());
  b->FAmount = 2.5000001;
  EXPECT_FALSE(Prop({a, b}, "Amount")->AllEqual());
}

TEST_F(EditorsTest, StringsCompareExactlyAndKnowTheirLimits) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  IPtr<IProperty> title = Prop({a, b}, "Title");
  title->SetValue("Hello");
  EXPECT_EQ(b->FTitle, "Hello");
  EXPECT_TRUE(title->AllEqual());
  b->FTitle = "hello";
  EXPECT_FALSE(title->AllEqual());
  EXPECT_EQ(title->GetEditLimit(), 2047);
  EXPECT_EQ(Prop({a}, "Short")->GetEditLimit(), 10);

  IPtr<IProperty> name = Prop({a}, "Name");
  EXPECT_EQ(name->GetAttributes(), TPropertyAttributes{paNotNestable});
  EXPECT_EQ(name->GetEditLimit(), 63);
  name->SetValue("Renamed");
  EXPECT_EQ(a->Name(), "Renamed");
}

TEST_F(EditorsTest, WideStringsWriteOnlyThroughTheWideForm) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> p = Prop({a}, "Wide");
  IPtr<IWideProperty> w = QueryIntf<IWideProperty>(p);
  IPtr<IWideProperty10> w10 = QueryIntf<IWideProperty10>(p);
  ASSERT_TRUE(w && w10);
  EXPECT_EQ(w10->GetNameW(), u"Wide");
  p->SetValue("ignored");
  EXPECT_EQ(a->FWide, u"");
  EXPECT_EQ(d->ModifiedCount, 0);
  w->SetValue(WideString(u"\u00C5ngstr\u00F6m"));
  EXPECT_EQ(a->FWide, u"\u00C5ngstr\u00F6m");
  EXPECT_EQ(p->GetValue(), "\u00C5ngstr\u00F6m");
  EXPECT_EQ(w->GetValueW(), u"\u00C5ngstr\u00F6m");
}

TEST_F(EditorsTest, DatesAndTimesShowZeroAsEmptyAndRefuseImpossibleValues) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> date = Prop({a}, "BirthDate");
  IPtr<IProperty> alarm = Prop({a}, "Alarm");
  IPtr<IProperty> stamp = Prop({a}, "Stamp");
  EXPECT_EQ(date->GetValue(), "");
  EXPECT_EQ(date->GetAttributes(), (TPropertyAttributes{paMultiSelect, paRevertable}));
  date->SetValue("3/15/2024");
  EXPECT_EQ(a->FBirthDate, EncodeDate(2024, 3, 15));
  EXPECT_EQ(date->GetValue(), "3/15/2024");
  ExpectRejected(date, "2/30/2023", "'2/30/2023' is not a valid date");
  date->SetValue("");
  EXPECT_EQ(a->FBirthDate, 0);

  alarm->SetValue("10:30:15");
  EXPECT_EQ(alarm->GetValue(), "10:30:15");
  ExpectRejected(alarm, "25:00", "'25:00' is not a valid time");

  stamp->SetValue("3/15/2024 10:30:00");
  EXPECT_EQ(a->FStamp, EncodeDate(2024, 3, 15) + EncodeTime(10, 30, 0, 0));
  EXPECT_EQ(stamp->GetValue(), "3/15/2024 10:30:00");
  ExpectRejected(stamp, "3/15/2024 x", "'3/15/2024 x' is not a valid date and time");
}

TEST_F(EditorsTest, VariantsKeepTheirTypeOnlyWhenTheTextConvertsBackFaithfully) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> data = Prop({a}, "Data");
  EXPECT_EQ(data->GetAttributes(), (TPropertyAttributes{paSubProperties, paMultiSelect}));
  const Variant five(Integer{5}), money(Currency::FromScaled(15000));
  const struct {
    Variant before;
    const char* shown; // how `before` shows
    const char* text;
    Variant after;
  } cases[] = {{five, "5", "7", Variant(Integer{7})},
               {five, "5", "5.5", Variant("5.5")}, // reads back as 6: not faithful
               {Variant(true), "True", "False", Variant(false)},
               {Variant(true), "True", "false", Variant("false")}, // shows as "False": kept as text
               {money, "$1.50", "$2.25", Variant(Currency::FromScaled(22500))},
               {money, "$1.50", "2.25", Variant("2.25")}, // no currency symbol
               // Dates need not read back identically.
               {Variant::FromDate(EncodeDate(2024, 1, 1)), "1/1/2024", "03/05/2024",
                Variant::FromDate(EncodeDate(2024, 3, 5))},
               {five, "5", "(null)", Variant::MakeNull()},
               {Variant::MakeNull(), "(Null)", "", Variant()},
               {Variant::FromDispatch(nullptr), "ERROR", "", Variant()}};
  for (const auto& c : cases) {
    a->FData = c.before;
    EXPECT_EQ(data->GetValue(), c.shown);
    data->SetValue(c.text);
    EXPECT_EQ(VarType(a->FData), VarType(c.after)) << c.shown << " -> " << c.text;
    EXPECT_TRUE(a->FData == c.after) << c.shown << " -> " << c.text;
  }
}

TEST_F(EditorsTest, VariantTypeSubPropertyConvertsTheValue) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  a->FData = Variant(Integer{5});
  b->FData = Variant(Integer{5});
  IPtr<IProperty> type = Sub(Prop({a, b}, "Data"), "Type");
  ASSERT_TRUE(type);
  EXPECT_EQ(type->GetValue(), "Integer");
  EXPECT_TRUE(type->AllEqual());
  EXPECT_EQ(Values(type), (Strings{"Unassigned", "Null", "Smallint", "Integer", "Single", "Double",
                                   "Currency", "Date", "OleStr", "Boolean", "Shortint", "Byte",
                                   "Word", "LongWord", "Int64", "String"}));
  type->SetValue("Double");
  EXPECT_EQ(VarType(a->FData), varDouble);
  EXPECT_EQ(VarType(b->FData), varDouble);
  EXPECT_EQ(a->FData.AsDouble(), 5.0);
  ExpectRejected(type, "Foo", "Unknown Type");
  ExpectRejected(type, "double", "Unknown Type");
  ExpectRejected(type, "", "Unknown Type");
  type->SetValue("String");
  EXPECT_EQ(a->FData.AsString(), "5");
  EXPECT_EQ(type->GetValue(), "String");
  // Text that cannot become an integer leaves an empty value converted instead.
  a->FData = Variant("abc");
  type->SetValue("Integer");
  EXPECT_EQ(VarType(a->FData), varInteger);
  EXPECT_EQ(a->FData.AsInteger(), 0);
  EXPECT_EQ(b->FData, a->FData);
  type->SetValue("Null");
  EXPECT_TRUE(VarIsNull(b->FData));
  type->SetValue("Unassigned");
  EXPECT_TRUE(VarIsEmpty(b->FData));
  a->FData = Variant::FromString("x", varString);
  EXPECT_EQ(type->GetValue(), "Unknown");
  a->FData = Variant::FromError(1);
  EXPECT_EQ(type->GetValue(), "");
}

} // namespace
} // namespace fwtest
