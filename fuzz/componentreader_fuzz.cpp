// Reads arbitrary bytes as a component stream into registered classes: any input must either
// read or raise a framework exception, never crash or leak. What reads must write and read again.
// Read with placeholders and no class known, what reads must write back byte for byte; with the
// classes known (and controls among them), what it writes must read again and then write the
// same bytes.
#include "basert/classbuilder.h"
#include "basert/classreg.h"
#include "basert/datamodule.h"
#include "basert/filer.h"
#include "basert/placeholder.h"
#include "tarn/standardcontrols.h"

#include <cstdint>
#include <cstdlib>

using namespace fw;

namespace {

enum class TShade { shLight, shDark };
PTypeInfo TypeInfoOf(std::type_identity<TShade>) {
  static PTypeInfo t = MakeEnumType("TShade", {"shLight", "shDark"});
  return t;
}
PTypeInfo TypeInfoOf(std::type_identity<TSet<TShade>>) {
  static PTypeInfo t = MakeSetType("TShades", TypeInfo<TShade>());
  return t;
}

class TFuzzItem : public TCollectionItem {
  FW_CLASS(TFuzzItem)
public:
  using TCollectionItem::TCollectionItem;
  String FText;
};

class TFuzzPart : public TComponent {
  FW_CLASS(TFuzzPart)
public:
  explicit TFuzzPart(TComponent* owner)
      : TComponent(owner), FItems(New<TOwnedCollection>(this, TFuzzItem::StaticClass())) {}
  ~TFuzzPart() override { FItems->Free(); }
  void SetItems(TOwnedCollection* v) { FItems->Assign(v); }
  Integer FInt = 0;
  Int64 FBig = 0;
  char FChar = 0;
  char16_t FWide = 0;
  TShade FShade{};
  TSet<TShade> FShades;
  Double FFloat = 0;
  Currency FMoney;
  String FText;
  WideString FWideText;
  Variant FAny;
  TComponent* FLink = nullptr;
  TNotifyEvent FOnEvent;
  TOwnedCollection* FItems;
  void Handler(TObject*) {}
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == notifyRemove && c == FLink) FLink = nullptr;
  }
};

class TFuzzRoot : public TDataModule {
  FW_CLASS(TFuzzRoot)
public:
  using TDataModule::TDataModule;
  void Handler(TObject*) {}
};

TClass TFuzzItem::StaticClass() {
  static const TClass cls = TClassBuilder<TFuzzItem, TCollectionItem>("TFuzzItem")
                                .Property("Text", &TFuzzItem::FText, &TFuzzItem::FText)
                                .Build();
  return cls;
}

TClass TFuzzPart::StaticClass() {
  static const TClass cls = TClassBuilder<TFuzzPart, TComponent>("TFuzzPart")
                                .Property("Int", &TFuzzPart::FInt, &TFuzzPart::FInt)
                                .Property("Big", &TFuzzPart::FBig, &TFuzzPart::FBig)
                                .Property("Char", &TFuzzPart::FChar, &TFuzzPart::FChar)
                                .Property("Wide", &TFuzzPart::FWide, &TFuzzPart::FWide)
                                .Property("Shade", &TFuzzPart::FShade, &TFuzzPart::FShade)
                                .Property("Shades", &TFuzzPart::FShades, &TFuzzPart::FShades)
                                .Property("Float", &TFuzzPart::FFloat, &TFuzzPart::FFloat)
                                .Property("Money", &TFuzzPart::FMoney, &TFuzzPart::FMoney)
                                .Property("Text", &TFuzzPart::FText, &TFuzzPart::FText)
                                .Property("WideText", &TFuzzPart::FWideText, &TFuzzPart::FWideText)
                                .Property("Any", &TFuzzPart::FAny, &TFuzzPart::FAny)
                                .Property("Link", &TFuzzPart::FLink, &TFuzzPart::FLink)
                                .Property("OnEvent", &TFuzzPart::FOnEvent, &TFuzzPart::FOnEvent)
                                .Property("Items", &TFuzzPart::FItems, &TFuzzPart::SetItems)
                                .Build();
  return cls;
}

TClass TFuzzRoot::StaticClass() {
  static const TClass cls = TClassBuilder<TFuzzRoot, TDataModule>("TFuzzRoot")
                                .Method<&TFuzzRoot::Handler>("Handler")
                                .Build();
  return cls;
}

bool Once() {
  RegisterClasses({TFuzzRoot::StaticClass(), TFuzzPart::StaticClass()});
  RegisterStandardControls();
  return true;
}

/// Reads the input with placeholders; null when it does not read. `consumed` is where reading
/// stopped.
TComponent* ReadKeeping(TMemoryStream& in, bool knowNothing, Int64& consumed) {
  in.SetPosition(0);
  try {
    TReader reader(&in, 256);
    reader.UsePlaceholders = true;
    if (knowNothing)
      reader.OnFindComponentClass = [](TReader*, const String&, TClass& c) { c = nullptr; };
    TComponent* root = reader.ReadRootComponent(nullptr);
    consumed = reader.Position();
    return root;
  } catch (const Exception&) {
    RemoveFixupReferences(nullptr, {});
    return nullptr;
  }
}

std::string Written(TComponent* root) {
  TMemoryStream out;
  {
    TWriter writer(&out, 256);
    writer.WriteRootComponent(root);
    writer.FlushBuffer();
  }
  return std::string(out.View());
}

// Read with no class known, every component is a placeholder and the stream comes back byte for
// byte; with the classes known, what is written reads again and then writes the same bytes.
void FuzzPlaceholders(TMemoryStream& in) {
  Int64 consumed = 0;
  if (TComponent* root = ReadKeeping(in, true, consumed)) {
    const std::string out = Written(root);
    root->Free();
    if (out != in.View().substr(0, static_cast<std::size_t>(consumed))) std::abort();
  }
  if (TComponent* root = ReadKeeping(in, false, consumed)) {
    const std::string out = Written(root);
    root->Free();
    TMemoryStream again;
    again.WriteBuffer(out.data(), static_cast<Int64>(out.size()));
    TComponent* copy = ReadKeeping(again, false, consumed);
    if (!copy) std::abort();
    const std::string twice = Written(copy);
    copy->Free();
    if (twice != out) std::abort();
  }
  RemoveFixupReferences(nullptr, {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool registered = Once();
  (void)registered;
  TMemoryStream in;
  if (size) in.WriteBuffer(data, static_cast<Int64>(size));
  in.SetPosition(0);
  FuzzPlaceholders(in);
  in.SetPosition(0);
  TComponent* root = nullptr;
  try {
    TReader reader(&in, 256);
    root = reader.ReadRootComponent(nullptr);
  } catch (const Exception&) {
    return 0;
  }
  // What was read writes out and reads back without complaint.
  TMemoryStream out;
  try {
    TWriter writer(&out, 256);
    writer.WriteRootComponent(root);
    writer.FlushBuffer();
    out.SetPosition(0);
    TReader again(&out, 256);
    TComponent* copy = again.ReadRootComponent(nullptr);
    copy->Free();
  } catch (const Exception& e) {
    // A name the stream accepted but a writer cannot repeat would be a fault.
    (void)e;
    std::abort();
  }
  root->Free();
  RemoveFixupReferences(nullptr, {});
  return 0;
}
