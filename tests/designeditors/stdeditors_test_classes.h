// Components with a property of every kind the standard editors serve, and the fixture that
// lists their editors through GetComponentProperties.
#pragma once

#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/variants.h"
#include "designeditors/stdeditors.h"
#include "editor_test_classes.h"

#include <gtest/gtest.h>

namespace fwtest {

using namespace fw;

enum class TEdStyle : Byte { esPlain, esBold, esItalic };
PTypeInfo TypeInfoOf(std::type_identity<TEdStyle>);
PTypeInfo TypeInfoOf(std::type_identity<TSet<TEdStyle>>);
PTypeInfo TypeInfoSmallRange(); ///< 1..10
PTypeInfo TypeInfoDigits();     ///< set of 3..6
PTypeInfo TypeInfoShortName();  ///< string[10]

/// A component with one published property per editor.
class TEdSample : public TComponent, public IShape {
  FW_CLASS(TEdSample)
public:
  explicit TEdSample(TComponent* owner);
  ~TEdSample() override;
  // Components do not count references; both bases need the answer.
  HResult QueryInterface(const TGUID& iid, void** obj) override {
    return TComponent::QueryInterface(iid, obj);
  }
  int _AddRef() override { return -1; }
  int _Release() override { return -1; }

  Integer FNumber = 0;
  Integer FCount = 1;
  Cardinal FSize = 0;
  Int64 FBig = 0;
  char FLetter = 'A';
  char16_t FWideLetter = u'A';
  TEdStyle FStyle = TEdStyle::esPlain;
  TSet<TEdStyle> FStyles;
  Integer FDigits = 0; ///< bit i is the digit 3+i
  bool FFlag = false;
  Single FRatio = 0;
  Double FAmount = 0;
  Extended FPrecise = 0;
  Currency FPrice;
  String FTitle;
  String FShort;
  WideString FWide;
  TDateTime FBirthDate = 0;
  TDateTime FAlarm = 0;
  TDateTime FStamp = 0;
  Variant FData;
  TFontLike* FFont;
  TComponent* FBuddy = nullptr;
  TEdSample* FPeer = nullptr;
  IPtr<IShape> FShape;
  TNotifyEvent FOnClick;
  void HandleClick(TObject*) {}
};

/// A designed root of class "TForm1" with an OnCreate event.
class TEdForm : public TComponent {
  FW_CLASS(TEdForm)
public:
  using TComponent::TComponent;
  TNotifyEvent FOnCreate;
};

/// A module with a designer; editors come from the package registry, with the reference,
/// name and date editors the component designer registers at start-up.
struct EditorsTest : ::testing::Test {
  Integer savedGroup = 0;
  Integer group = 0;
  TTestDesigner* d = nullptr;
  IPtr<IDesigner> designer;
  TOwned<TEdForm> form;

  void SetUp() override;
  void TearDown() override;
  template <class T> T* Make(const char* name) { return MakeNamed<T>(form.get(), name); }
  /// The editor of one property of the objects, or null when none is listed.
  IPtr<IProperty> Prop(std::initializer_list<TPersistent*> objects, const String& name);
  static std::vector<IPtr<IProperty>> Subs(const IPtr<IProperty>& p) {
    std::vector<IPtr<IProperty>> subs;
    p->GetProperties([&](const IPtr<IProperty>& s) { subs.push_back(s); });
    return subs;
  }
  static IPtr<IProperty> Sub(const IPtr<IProperty>& p, const String& name) {
    for (auto& s : Subs(p))
      if (s->GetName() == name) return s;
    return nullptr;
  }
  static Strings Values(const IPtr<IProperty>& p) {
    Strings v;
    p->GetValues([&](const String& s) { v.push_back(s); });
    return v;
  }
  /// SetValue(text) must raise EDesignPropertyError with `message` and change nothing.
  void ExpectRejected(const IPtr<IProperty>& p, const String& text, const String& message);
};

} // namespace fwtest
