#include "tools/lineproviders.h"

#include "basert/classbuilder.h"
#include "basert/exceptions.h"
#include "tools/resourceblobs.h"

namespace fw {

// --- TTextLineProvider ---

TClass TTextLineProvider::StaticClass() {
  static const TClass cls =
      TClassBuilder<TTextLineProvider, TInterfacedObject>("TTextLineProvider", "ExpertFilter")
          .Implements<ILineProvider>()
          .Build();
  return cls;
}

TClass TFileLineProvider::StaticClass() {
  static const TClass cls =
      TClassBuilder<TFileLineProvider, TInterfacedObject>("TFileLineProvider", "ExpertFilter")
          .Implements<ILineProvider>()
          .Build();
  return cls;
}

TClass TResourceProvider::StaticClass() {
  static const TClass cls =
      TClassBuilder<TResourceProvider, TTextLineProvider>("TResourceProvider", "ExpertFilter")
          .Build();
  return cls;
}

TTextLineProvider::TTextLineProvider(String text, bool skipEmpty)
    : FText(std::move(text)), FSkipEmpty(skipEmpty) {
  SkipEmpty();
}

void TTextLineProvider::SkipEmpty() {
  if (!FSkipEmpty) return;
  while (FPos < FText.size() && (FText[FPos] == '\r' || FText[FPos] == '\n'))
    ++FPos;
}

bool TTextLineProvider::HasMore() { return FPos < FText.size(); }

String TTextLineProvider::NextLine() {
  if (FPos >= FText.size()) return {};
  const std::size_t end = FText.find_first_of("\r\n", FPos);
  String line;
  if (end == String::npos) {
    line = FText.substr(FPos);
    FPos = FText.size();
  } else {
    line = FText.substr(FPos, end - FPos);
    FPos = end + (FText[end] == '\r' && end + 1 < FText.size() && FText[end + 1] == '\n' ? 2 : 1);
  }
  ++FLineNumber;
  SkipEmpty();
  return line;
}

void TTextLineProvider::ReStart() {
  FPos = 0;
  FLineNumber = 0;
  SkipEmpty();
}

TFileLineProvider::TFileLineProvider(const String& fileName) { FLines.LoadFromFile(fileName); }

namespace {
String ResourceText(std::string_view module, std::string_view name) {
  String data = ResourceBlobs().Load(module, name);
  if (data.starts_with("\xEF\xBB\xBF")) data.erase(0, 3);
  return data;
}
} // namespace

TResourceProvider::TResourceProvider(std::string_view module, std::string_view resourceName)
    : TTextLineProvider(ResourceText(module, resourceName), true) {}

IPtr<ILineProvider> CoResourceProvider::Create(std::string_view module,
                                               std::string_view resourceName) {
  return IPtr<ILineProvider>(new TResourceProvider(module, resourceName));
}

IPtr<ILineProvider> CoTextLineProvider::Create(String text) {
  return IPtr<ILineProvider>(new TTextLineProvider(std::move(text)));
}

} // namespace fw
