#include "stdeditors_test_classes.h"

#include "basert/sysutils.h"

namespace fwtest {
namespace {

TEST_F(EditorsTest, IntegersOfEveryWidthParseAndCheckTheRangeOfTheirType) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  IPtr<IProperty> number = Prop({a, b}, "Number");
  number->SetValue("-42");
  EXPECT_EQ(a->FNumber, -42);
  EXPECT_EQ(b->FNumber, -42);
  EXPECT_EQ(d->ModifiedCount, 1);
  EXPECT_EQ(number->GetValue(), "-42");
  EXPECT_TRUE(number->AllEqual());
  b->FNumber = 1;
  EXPECT_FALSE(number->AllEqual());
  EXPECT_EQ(number->GetEditLimit(), 63);
  EXPECT_EQ(number->GetAttributes(), (TPropertyAttributes{paMultiSelect, paRevertable}));
  ExpectRejected(number, "2147483648", "Value must be between -2147483648 and 2147483647");

  IPtr<IProperty> count = Prop({a}, "Count");
  count->SetValue("10");
  EXPECT_EQ(a->FCount, 10);
  for (const char* outside : {"11", "0"})
    ExpectRejected(count, outside, "Value must be between 1 and 10");
  ExpectRejected(count, "x", "'x' is not a valid integer value");

  IPtr<IProperty> size = Prop({a}, "Size");
  size->SetValue("4294967295");
  EXPECT_EQ(a->FSize, 4294967295u);
  EXPECT_EQ(size->GetValue(), "4294967295");
  ExpectRejected(size, "-1", "Value must be between 0 and 4294967295");
  ExpectRejected(size, "4294967296", "Value must be between 0 and 4294967295");

  // Int64 takes its whole range and nothing beyond.
  IPtr<IProperty> big = Prop({a}, "Big");
  big->SetValue("-9223372036854775808");
  EXPECT_EQ(a->FBig, INT64_MIN);
  big->SetValue("9223372036854775807");
  EXPECT_EQ(big->GetValue(), "9223372036854775807");
  ExpectRejected(big, "9223372036854775808", "'9223372036854775808' is not a valid integer value");
  ExpectRejected(big, "1.5", "'1.5' is not a valid integer value");
  // Tag is Int64 too: two objects compare by value.
  a->SetTag(5);
  b->SetTag(5);
  EXPECT_TRUE(Prop({a, b}, "Tag")->AllEqual());
  b->SetTag(6);
  EXPECT_FALSE(Prop({a, b}, "Tag")->AllEqual());
}

TEST_F(EditorsTest, CharactersShowPrintableCodesAsThemselvesAndOthersAsCodes) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> letter = Prop({a}, "Letter");
  // What is typed, the code it stores, and how that code shows. A lone "#" is the character
  // itself, so that what '#' shows can be typed back.
  const struct {
    const char* typed;
    int code;
    const char* shown;
  } cases[] = {{"#32", ' ', "#32"},   {"!", '!', "!"},       {"#65", 'A', "A"},
               {"z", 'z', "z"},       {"\x7f", 127, "\x7f"}, {"#128", 128, "#128"},
               {"#255", 255, "#255"}, {"", 0, "#0"},         {"#", '#', "#"}};
  for (const auto& c : cases) {
    letter->SetValue(c.typed);
    EXPECT_EQ(static_cast<unsigned char>(a->FLetter), c.code) << c.typed;
    EXPECT_EQ(letter->GetValue(), c.shown) << c.typed;
  }
  for (const char* bad : {"AB", "#x", "#6x", "# 65", "#-1"})
    ExpectRejected(letter, bad, "Invalid property value");
  ExpectRejected(letter, "#256", "Value must be between 0 and 255");
}

TEST_F(EditorsTest, WideCharactersHaveAWideFormThatShowsEveryPrintableCode) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> p = Prop({a}, "WideLetter");
  IPtr<IWideProperty> w = QueryIntf<IWideProperty>(p);
  ASSERT_TRUE(w);
  a->FWideLetter = u'\u263A';
  EXPECT_EQ(p->GetValue(), "#9786");
  EXPECT_EQ(w->GetValueW(), u"\u263A");
  WideString edit;
  EXPECT_TRUE(w->GetEditValue(edit));
  EXPECT_EQ(edit, u"\u263A");
  a->FWideLetter = u'\n';
  EXPECT_EQ(w->GetValueW(), u"#10");
  w->SetValue(WideString(u"\u00E9"));
  EXPECT_EQ(a->FWideLetter, u'\u00E9');
  p->SetValue("\u00E9"); // one character, two UTF-8 bytes
  EXPECT_EQ(a->FWideLetter, u'\u00E9');
  p->SetValue("#65535");
  EXPECT_EQ(a->FWideLetter, u'\uFFFF');
  ExpectRejected(p, "#65536", "Value must be between 0 and 65535");
  ExpectRejected(p, "ab", "Invalid property value");
}

TEST_F(EditorsTest, EnumerationsListTheirIdentifiersAndRefuseOthers) {
  auto* a = Make<TEdSample>("A");
  IPtr<IProperty> style = Prop({a}, "Style");
  EXPECT_EQ(style->GetValue(), "esPlain");
  EXPECT_EQ(Values(style), (Strings{"esPlain", "esBold", "esItalic"}));
  EXPECT_EQ(style->GetAttributes(),
            (TPropertyAttributes{paValueList, paMultiSelect, paSortList, paRevertable}));
  style->SetValue("ESITALIC");
  EXPECT_EQ(a->FStyle, TEdStyle::esItalic);
  ExpectRejected(style, "esUnderline", "Invalid property value");
  ExpectRejected(style, "", "Invalid property value");
  // A value beyond the type shows its highest identifier.
  a->FStyle = static_cast<TEdStyle>(7);
  EXPECT_EQ(style->GetValue(), "esItalic");
  EXPECT_EQ(Values(Prop({a}, "Flag")), (Strings{"False", "True"}));
}

TEST_F(EditorsTest, SetsShowTheirMembersAndEditThemThroughElements) {
  auto* a = Make<TEdSample>("A");
  auto* b = Make<TEdSample>("B");
  IPtr<IProperty> styles = Prop({a, b}, "Styles");
  EXPECT_EQ(styles->GetValue(), "[]");
  EXPECT_EQ(styles->GetAttributes(),
            (TPropertyAttributes{paSubProperties, paMultiSelect, paReadOnly, paRevertable}));
  a->FStyles = {TEdStyle::esPlain, TEdStyle::esBold};
  EXPECT_EQ(styles->GetValue(), "[esPlain,esBold]");

  auto elements = Subs(styles);
  ASSERT_EQ(elements.size(), 3u);
  EXPECT_EQ(elements[2]->GetName(), "esItalic");
  EXPECT_EQ(Values(elements[2]), (Strings{"False", "True"}));
  EXPECT_EQ(elements[0]->GetValue(), "True");
  EXPECT_FALSE(elements[0]->AllEqual()); // a has esPlain, b has not
  EXPECT_TRUE(elements[2]->AllEqual());
  // Entries re-pointed afterwards leave the elements made before on the old ones.
  auto* editor = dynamic_cast<TPropertyEditor*>(styles.get());
  ASSERT_TRUE(editor);
  editor->SetPropEntry(0, b, editor->GetPropInfo());
  EXPECT_EQ(styles->GetValue(), "[]");
  EXPECT_EQ(elements[0]->GetValue(), "True");
  editor->SetPropEntry(0, a, editor->GetPropInfo());
  EXPECT_EQ(elements[2]->GetAttributes(),
            (TPropertyAttributes{paValueList, paMultiSelect, paSortList}));

  // The reference entry's set, so changed, goes to every entry.
  elements[2]->SetValue("true");
  EXPECT_EQ(a->FStyles, (TSet<TEdStyle>{TEdStyle::esPlain, TEdStyle::esBold, TEdStyle::esItalic}));
  EXPECT_EQ(b->FStyles, a->FStyles);
  EXPECT_EQ(d->ModifiedCount, 1);
  elements[0]->SetValue("yes");
  EXPECT_EQ(b->FStyles, (TSet<TEdStyle>{TEdStyle::esBold, TEdStyle::esItalic}));

  // Elements outlive the editor that made them.
  IPtr<IProperty> kept = elements[1];
  elements.clear();
  styles = nullptr;
  EXPECT_EQ(kept->GetValue(), "True");

  // Bits count from the lowest element of the set's range.
  a->FDigits = 0b101;
  IPtr<IProperty> digits = Prop({a}, "Digits");
  EXPECT_EQ(digits->GetValue(), "[3,5]");
  auto bits = Subs(digits);
  ASSERT_EQ(bits.size(), 4u);
  EXPECT_EQ(bits[0]->GetName(), "3");
  EXPECT_EQ(bits[3]->GetName(), "6");
  bits[3]->SetValue("True");
  EXPECT_EQ(a->FDigits, 0b1101);
}

TEST_F(EditorsTest, RegistryHandsOutTheEditorOfEachKind) {
  auto* s = Make<TEdSample>("Sample1");
  const std::pair<const char*, TClass> expected[] = {
      {"Number", TIntegerProperty::StaticClass()},
      {"Letter", TCharProperty::StaticClass()},
      {"WideLetter", TWideCharProperty::StaticClass()},
      {"Style", TEnumProperty::StaticClass()},
      {"Styles", TSetProperty::StaticClass()},
      {"Big", TInt64Property::StaticClass()},
      {"Amount", TFloatProperty::StaticClass()},
      {"Title", TStringProperty::StaticClass()},
      {"Wide", TWideStringProperty::StaticClass()},
      {"Data", TVariantProperty::StaticClass()},
      {"Font", TClassProperty::StaticClass()},
      {"Buddy", TComponentProperty::StaticClass()},
      {"Shape", TInterfaceProperty::StaticClass()},
      {"OnClick", TMethodProperty::StaticClass()},
      {"Name", TComponentNameProperty::StaticClass()},
      {"Stamp", TDateTimeProperty::StaticClass()}};
  for (auto& [name, cls] : expected) {
    IPtr<IProperty> p = Prop({s}, name);
    ASSERT_TRUE(p) << name;
    EXPECT_EQ(dynamic_cast<TObject*>(p.get())->ClassType(), cls) << name;
  }
  EXPECT_TRUE(Supports(Prop({s}, "OnClick"), static_cast<IPtr<IMethodProperty>*>(nullptr)));
  EXPECT_TRUE(Supports(Prop({s}, "Buddy"), static_cast<IPtr<IReferenceProperty>*>(nullptr)));
}

TEST(PossibleStreamTest, RecognisesTheTextFormOfAComponentStream) {
  EXPECT_TRUE(PossibleStream("object Form1: TForm1"));
  EXPECT_TRUE(PossibleStream(" \t\r\n  INLINE Frame1: TFrame1"));
  EXPECT_TRUE(PossibleStream("Object "));
  EXPECT_FALSE(PossibleStream("object")); // nothing after the keyword
  EXPECT_FALSE(PossibleStream("x object Form1"));
  EXPECT_TRUE(PossibleStream("objection")); // the keyword is only looked for at the start
  EXPECT_FALSE(PossibleStream(""));
  EXPECT_FALSE(PossibleStream("TPF0\x00\x06object"));
}

} // namespace
} // namespace fwtest
