// Sample classes publishing one property of every kind, shared by the object-model tests.
#pragma once

#include "basert/classbuilder.h"
#include "basert/collection.h"
#include "basert/component.h"
#include "basert/variants.h"

namespace fwtest {

using namespace fw;

enum class TColorKind { ckRed, ckGreen, ckBlue };
PTypeInfo TypeInfoOf(std::type_identity<TColorKind>);
PTypeInfo TypeInfoOf(std::type_identity<TSet<TColorKind>>);
PTypeInfo TypeInfoSmallRange(); // 1..10

struct ITestThing : virtual IInterface {
  static constexpr TGUID IID = TGUID::Parse("{6C1A7E52-0F43-4C0B-9B8E-3A1D2E5F6A01}");
  virtual int Value() = 0;
};
PTypeInfo TypeInfoOf(std::type_identity<IPtr<ITestThing>>);

class TThing : public TInterfacedObject, public ITestThing {
  FW_CLASS(TThing)
public:
  explicit TThing(int v = 0) : FV(v) {}
  int Value() override { return FV; }
  int FV;
};

class TFont : public TPersistent {
  FW_CLASS(TFont)
public:
  String FName = "Tahoma";
  Integer FSize = 8;
  void Assign(TPersistent* source) override;
};

/// One published property of every kind.
class TSample : public TComponent {
  FW_CLASS(TSample)
public:
  explicit TSample(TComponent* owner);
  ~TSample() override;
  Integer FInt = 0;
  Cardinal FUInt = 0;
  Integer FSmall = 1;
  char FChar = 'A';
  char16_t FWChar = u'B';
  TColorKind FColor = TColorKind::ckGreen;
  TSet<TColorKind> FColors;
  bool FFlag = false;
  Single FSingle = 0;
  Double FDouble = 0;
  Extended FExtended = 0;
  Currency FMoney;
  TDateTime FWhen = 0;
  String FCaption;
  String FShort;
  WideString FWide;
  Int64 FBig = 0;
  Variant FAny;
  TNotifyEvent FOnClick;
  TFont* FFont;
  TComponent* FBuddy = nullptr;
  IPtr<ITestThing> FThing;
  Integer FWriteOnly = 0;
  Integer FBounds[2] = {0, 0};
  String GetReadOnly() const { return "fixed"; }
  void SetFont(TFont* value) { FFont->Assign(value); }
  void SetWriteOnly(Integer v) { FWriteOnly = v; }
  Integer GetBound(Integer i) const { return FBounds[i]; }
  void SetBound(Integer i, Integer v) { FBounds[i] = v; }
  bool IsCaptionStored() const { return !FCaption.empty(); }
  void Clicked(TObject* sender) {
    ++Clicks;
    LastSender = sender;
  }
  int Clicks = 0;
  TObject* LastSender = nullptr;
};

/// Records the notifications it is sent.
class TListener : public TComponent {
  FW_CLASS(TListener)
public:
  using TComponent::TComponent;
  void Notification(TComponent* component, TOperation operation) override;
  std::vector<std::pair<TComponent*, TOperation>> Seen;
  std::vector<String> SeenClassNames;
  TComponent* Watched = nullptr;
  void Loaded() override;
  bool LoadingWhenNamed = false;
  bool WasLoaded = false;
  void SetName(const String& name) override;
};

class TItem : public TCollectionItem {
  FW_CLASS(TItem)
public:
  using TCollectionItem::TCollectionItem;
  String FText;
  void Assign(TPersistent* source) override;
  String GetDisplayName() override {
    return FText.empty() ? TCollectionItem::GetDisplayName() : FText;
  }
};

class TWithItems : public TComponent {
  FW_CLASS(TWithItems)
public:
  explicit TWithItems(TComponent* owner);
  ~TWithItems() override;
  TOwnedCollection* FItems;
  void SetItems(TOwnedCollection* value) { FItems->Assign(value); }
};

} // namespace fwtest
