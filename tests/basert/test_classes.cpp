#include "test_classes.h"

namespace fwtest {

PTypeInfo TypeInfoOf(std::type_identity<TColorKind>) {
  static PTypeInfo t = MakeEnumType("TColorKind", {"ckRed", "ckGreen", "ckBlue"}, "Tests");
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TSet<TColorKind>>) {
  static PTypeInfo t = MakeSetType("TColorKinds", TypeInfo<TColorKind>());
  return t;
}
PTypeInfo TypeInfoSmallRange() {
  static PTypeInfo t = MakeOrdinalType("TSmallRange", kindInteger, otUByte, 1, 10);
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<IPtr<ITestThing>>) {
  static PTypeInfo t =
      MakeInterfaceType("ITestThing", ITestThing::IID, TypeInfo<IPtr<IInterface>>(), "Tests");
  return t;
}
static PTypeInfo ShortString20() {
  static PTypeInfo t = MakeShortStringType("TShort20", 20);
  return t;
}

TClass TThing::StaticClass() {
  static const TClass cls =
      TClassBuilder<TThing, TInterfacedObject>("TThing", "Tests").Implements<ITestThing>().Build();
  return cls;
}

TClass TFont::StaticClass() {
  static const TClass cls = TClassBuilder<TFont, TPersistent>("TFont", "Tests")
                                .Property("Name", &TFont::FName, &TFont::FName)
                                .Property("Size", &TFont::FSize, &TFont::FSize)
                                .Default(8)
                                .Build();
  return cls;
}

void TFont::Assign(TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    FName = f->FName;
    FSize = f->FSize;
    return;
  }
  TPersistent::Assign(source);
}

TClass TSample::StaticClass() {
  static const TClass cls =
      TClassBuilder<TSample, TComponent>("TSample", "Tests")
          .Property("Int", &TSample::FInt, &TSample::FInt)
          .Property("UInt", &TSample::FUInt, &TSample::FUInt)
          .Property("Small", &TypeInfoSmallRange, &TSample::FSmall, &TSample::FSmall)
          .Default(1)
          .Property("Char", &TSample::FChar, &TSample::FChar)
          .Property("WChar", &TSample::FWChar, &TSample::FWChar)
          .Property("Color", &TSample::FColor, &TSample::FColor)
          .Property("Colors", &TSample::FColors, &TSample::FColors)
          .Property("Flag", &TSample::FFlag, &TSample::FFlag)
          .Property("Single", &TSample::FSingle, &TSample::FSingle)
          .Property("Double", &TSample::FDouble, &TSample::FDouble)
          .Property("Extended", &TSample::FExtended, &TSample::FExtended)
          .Property("Money", &TSample::FMoney, &TSample::FMoney)
          .Property("When", &TypeInfoTDateTime, &TSample::FWhen, &TSample::FWhen)
          .Property("Caption", &TSample::FCaption, &TSample::FCaption)
          .Stored(&TSample::IsCaptionStored)
          .Property("Short", &ShortString20, &TSample::FShort, &TSample::FShort)
          .Property("Wide", &TSample::FWide, &TSample::FWide)
          .Property("Big", &TSample::FBig, &TSample::FBig)
          .Property("Any", &TSample::FAny, &TSample::FAny)
          .Property("OnClick", &TSample::FOnClick, &TSample::FOnClick)
          .Property("Font", &TSample::FFont, &TSample::SetFont)
          .Property("Buddy", &TSample::FBuddy, &TSample::FBuddy)
          .Property("Thing", &TSample::FThing, &TSample::FThing)
          .ReadOnly("ReadOnly", &TSample::GetReadOnly)
          .WriteOnly<Integer>("WriteOnly", &TSample::SetWriteOnly)
          .Indexed("BoundLeft", 0, &TSample::GetBound, &TSample::SetBound)
          .Indexed("BoundTop", 1, &TSample::GetBound, &TSample::SetBound)
          .Method<&TSample::Clicked>("Clicked")
          .Build();
  return cls;
}

TSample::TSample(TComponent* owner) : TComponent(owner), FFont(New<TFont>()) {}
TSample::~TSample() { FFont->Free(); }

TClass TListener::StaticClass() {
  static const TClass cls = TClassBuilder<TListener, TComponent>("TListener", "Tests").Build();
  return cls;
}

void TListener::Loaded() {
  TComponent::Loaded();
  WasLoaded = true;
}

void TListener::SetName(const String& name) {
  LoadingWhenNamed = ComponentState().Contains(stateLoading);
  TComponent::SetName(name);
}

void TListener::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  Seen.emplace_back(component, operation);
  SeenClassNames.push_back(component->ClassName());
  if (operation == notifyRemove && component == Watched) Watched = nullptr;
}

TClass TItem::StaticClass() {
  static const TClass cls = TClassBuilder<TItem, TCollectionItem>("TItem", "Tests")
                                .Property("Text", &TItem::FText, &TItem::FText)
                                .Build();
  return cls;
}

void TItem::Assign(TPersistent* source) {
  if (auto* other = dynamic_cast<TItem*>(source)) {
    FText = other->FText;
    return;
  }
  TCollectionItem::Assign(source);
}

TClass TWithItems::StaticClass() {
  static const TClass cls = TClassBuilder<TWithItems, TComponent>("TWithItems", "Tests")
                                .Property("Items", &TWithItems::FItems, &TWithItems::SetItems)
                                .Build();
  return cls;
}

TWithItems::TWithItems(TComponent* owner)
    : TComponent(owner), FItems(New<TOwnedCollection>(this, TItem::StaticClass())) {}
TWithItems::~TWithItems() { FItems->Free(); }

} // namespace fwtest
