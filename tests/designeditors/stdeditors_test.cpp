#include "stdeditors_test_classes.h"

namespace fwtest {
namespace {

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
