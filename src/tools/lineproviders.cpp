#include "tools/lineproviders.h"

#include "basert/exceptions.h"
#include "basert/format.h"
#include "tools/resourceblobs.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace fw {

namespace {

constexpr std::string_view kFOpenErrorEx = "Cannot open file \"%s\". %s";

String ReadFileBytes(const String& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) {
    throw EFOpenError(Format(kFOpenErrorEx, fileName, std::strerror(errno)));
  }
  std::ostringstream s;
  s << in.rdbuf();
  return std::move(s).str();
}

WideString Utf16Units(std::string_view bytes, bool bigEndian) {
  WideString w(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < w.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 * i]);
    const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
    w[i] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
  }
  return w;
}

} // namespace

String DecodeText(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return String(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return WideToUtf8(Utf16Units(bytes.substr(2), false));
  if (bytes.starts_with("\xFE\xFF")) return WideToUtf8(Utf16Units(bytes.substr(2), true));
  return String(bytes);
}

// --- TTextLineProvider ---

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

TFileLineProvider::TFileLineProvider(const String& fileName)
    : TTextLineProvider(DecodeText(ReadFileBytes(fileName))) {}

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
