#include "stdeditors_test_classes.h"

namespace fwtest {

PTypeInfo TypeInfoOf(std::type_identity<TEdStyle>) {
  static PTypeInfo t = MakeEnumType("TEdStyle", {"esPlain", "esBold", "esItalic"}, "EdTests");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TSet<TEdStyle>>) {
  static PTypeInfo t = MakeSetType("TEdStyles", TypeInfo<TEdStyle>());
  return t;
}
PTypeInfo TypeInfoSmallRange() {
  static PTypeInfo t = MakeOrdinalType("TSmallRange", kindInteger, otSByte, 1, 10);
  return t;
}
PTypeInfo TypeInfoDigits() {
  static PTypeInfo digit = MakeOrdinalType("TDigit", kindInteger, otUByte, 3, 6);
  static PTypeInfo t = MakeSetType("TDigits", digit);
  return t;
}
PTypeInfo TypeInfoShortName() {
  static PTypeInfo t = MakeShortStringType("TShortName", 10);
  return t;
}

TClass TEdSample::StaticClass() {
  using S = TEdSample;
  static const TClass cls =
      TClassBuilder<S, TComponent>("TEdSample", "EdTests")
          .Property("Number", &S::FNumber, &S::FNumber)
          .Property("Count", &TypeInfoSmallRange, &S::FCount, &S::FCount)
          .Property("Size", &S::FSize, &S::FSize)
          .Property("Big", &S::FBig, &S::FBig)
          .Property("Letter", &S::FLetter, &S::FLetter)
          .Property("WideLetter", &S::FWideLetter, &S::FWideLetter)
          .Property("Style", &S::FStyle, &S::FStyle)
          .Property("Styles", &S::FStyles, &S::FStyles)
          .Property("Digits", &TypeInfoDigits, &S::FDigits, &S::FDigits)
          .Property("Flag", &S::FFlag, &S::FFlag)
          .Property("Ratio", &S::FRatio, &S::FRatio)
          .Property("Amount", &S::FAmount, &S::FAmount)
          .Property("Precise", &S::FPrecise, &S::FPrecise)
          .Property("Price", &S::FPrice, &S::FPrice)
          .Property("Title", &S::FTitle, &S::FTitle)
          .Property("Short", &TypeInfoShortName, &S::FShort, &S::FShort)
          .Property("Wide", &S::FWide, &S::FWide)
          .Property("BirthDate", &TypeInfoTDate, &S::FBirthDate, &S::FBirthDate)
          .Property("Alarm", &TypeInfoTTime, &S::FAlarm, &S::FAlarm)
          .Property("Stamp", &TypeInfoTDateTime, &S::FStamp, &S::FStamp)
          .Property("Data", &S::FData, &S::FData)
          .Property("Font", &S::FFont, nullptr)
          .Property("Buddy", &S::FBuddy, &S::FBuddy)
          .Property("Peer", &S::FPeer, &S::FPeer)
          .Property("Shape", &S::FShape, &S::FShape)
          .Property("OnClick", &S::FOnClick, &S::FOnClick)
          .Method<&S::HandleClick>("HandleClick")
          .Implements<IShape>()
          .Build();
  return cls;
}

TEdSample::TEdSample(TComponent* owner) : TComponent(owner), FFont(New<TFontLike>()) {}
TEdSample::~TEdSample() { FFont->Free(); }

TClass TEdForm::StaticClass() {
  static const TClass cls = TClassBuilder<TEdForm, TComponent>("TForm1", "EdTests")
                                .Property("OnCreate", &TEdForm::FOnCreate, &TEdForm::FOnCreate)
                                .Build();
  return cls;
}

void EditorsTest::SetUp() {
  savedGroup = CurrentGroup;
  group = NewEditorGroup();
  TPropertyEditorRegistry& r = PropertyEditorRegistry();
  r.RegisterPropertyEditor(TComponent::StaticClass()->TypeInfo, nullptr, "",
                           TComponentProperty::StaticClass());
  r.RegisterPropertyEditor(TypeInfo<String>(), TComponent::StaticClass(), "Name",
                           TComponentNameProperty::StaticClass());
  r.RegisterPropertyEditor(TypeInfoTDate(), nullptr, "", TDateProperty::StaticClass());
  r.RegisterPropertyEditor(TypeInfoTTime(), nullptr, "", TTimeProperty::StaticClass());
  r.RegisterPropertyEditor(TypeInfoTDateTime(), nullptr, "", TDateTimeProperty::StaticClass());
  designer = MakeTestDesigner(d);
  form.reset(New<TEdForm>(nullptr));
  form->SetName("Form1");
  d->Root = form.get();
  form->SetDesigner(QueryIntf<IDesignerHook>(designer));
}

void EditorsTest::TearDown() {
  FreeEditorGroup(group);
  CurrentGroup = savedGroup;
  GReferenceExpandable = true;
}

IPtr<IProperty> EditorsTest::Prop(std::initializer_list<TPersistent*> objects, const String& name) {
  IPtr<IProperty> found;
  GetComponentProperties(Selection(objects), tkAny, designer, [&](const IPtr<IProperty>& p) {
    if (p->GetName() == name) found = p;
  });
  return found;
}

void EditorsTest::ExpectRejected(const IPtr<IProperty>& p, const String& text,
                                 const String& message) {
  const String before = p->GetValue();
  const int modified = d->ModifiedCount;
  try {
    p->SetValue(text);
    ADD_FAILURE() << p->GetName() << " accepted '" << text << "'";
  } catch (const EDesignPropertyError& e) {
    EXPECT_EQ(e.Message(), message) << p->GetName() << " '" << text << "'";
  }
  EXPECT_EQ(p->GetValue(), before) << p->GetName() << " changed by '" << text << "'";
  EXPECT_EQ(d->ModifiedCount, modified);
}

} // namespace fwtest
