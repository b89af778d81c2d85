// Form files for the command-line host: loading either format and converting.
#include "formfile.h"

#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/formstream.h"

#include <algorithm>
#include <cstdio>

namespace fwcli {

using namespace fw;

namespace {
constexpr const char* kFormatNames[] = {"binary", "text", "resource"};
constexpr const char* SUnknownFormat = "not a form file (neither binary nor text)";
constexpr const char* STrailingBytes = "Unexpected data after the component at byte %d";
constexpr const char* STrailingText = "End of text expected on line %d, column %d";
} // namespace

const char* FormatName(FormFormat f) { return kFormatNames[static_cast<int>(f)]; }

bool ParseFormatName(const std::string& name, FormFormat& f) {
  for (int i = 0; i < 3; ++i)
    if (name == kFormatNames[i]) {
      f = static_cast<FormFormat>(i);
      return true;
    }
  return false;
}

void LoadFormFile(const std::string& path, FormFile& file) {
  file.Data.LoadFromFile(path);
  switch (TestStreamFormat(file.Data)) {
  case sofBinary: {
    Byte first = file.Data.Size() ? file.Data.Memory()[0] : 0;
    file.Format = first == 'T' ? FormFormat::Binary : FormFormat::Resource;
    return;
  }
  case sofText:
  case sofUTF8Text:
    file.Format = FormFormat::Text;
    return;
  case sofUnknown:
    throw EReadError(SUnknownFormat);
  }
}

void ToBinary(FormFile& file, TMemoryStream& binary, TTextSyntax syntax) {
  file.Data.SetPosition(0);
  if (file.Format == FormFormat::Text) {
    ObjectTextToBinary(file.Data, binary, syntax);
    // The parser leaves the stream at the token after the component: only blanks may follow.
    std::string_view all = file.Data.View();
    std::size_t at =
        all.find_first_not_of(" \t\r\n", static_cast<std::size_t>(file.Data.Position()));
    if (at == std::string_view::npos) return;
    std::size_t lineStart = all.rfind('\n', at);
    lineStart = lineStart == std::string_view::npos ? 0 : lineStart + 1;
    auto line = std::count(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(at), '\n') + 1;
    throw EParserError(Format(STrailingText, line, at - lineStart + 1));
  }
  if (file.Format == FormFormat::Resource) ReadResourceHeader(file.Data);
  Int64 start = file.Data.Position();
  // Validate the whole component by converting it, and keep exactly its bytes.
  TMemoryStream text;
  ObjectBinaryToText(file.Data, text, TTextSyntax::Exact); // the syntax that carries every value
  Int64 end = file.Data.Position();
  if (end != file.Data.Size()) throw EReadError(Format(STrailingBytes, end));
  binary.WriteBuffer(file.Data.Memory() + start, end - start);
}

void Convert(FormFile& file, FormFormat target, TMemoryStream& out, TTextSyntax syntax) {
  TMemoryStream binary;
  ToBinary(file, binary, syntax);
  binary.SetPosition(0);
  switch (target) {
  case FormFormat::Text:
    ObjectBinaryToText(binary, out, syntax);
    return;
  case FormFormat::Binary:
    binary.SaveToStream(out);
    return;
  case FormFormat::Resource: {
    TMemoryStream text;
    ObjectBinaryToText(binary, text, TTextSyntax::Exact);
    text.SetPosition(0);
    ObjectTextToResource(text, out, TTextSyntax::Exact);
    return;
  }
  }
}

namespace {
void DumpObject(TBinaryReaderCore& r, int level, std::FILE* out) {
  if (++r.Depth() > kMaxNesting) r.ErrorAt(SNestingTooDeep);
  TFilerFlags flags;
  Integer childPos;
  r.ReadPrefix(flags, childPos);
  String cls = r.ReadStr();
  String name = r.ReadStr();
  int count = 0;
  for (; !r.EndOfList(); ++count)
    r.SkipProperty();
  r.ReadListEnd();
  const char* kind = flags & ffInherited ? "inherited " : flags & ffInline ? "inline " : "";
  std::fprintf(out, "%*s%s%s%s%s (%d %s)\n", 2 * level, "", kind, name.c_str(),
               name.empty() ? "" : ": ", cls.c_str(), count,
               count == 1 ? "property" : "properties");
  while (!r.EndOfList())
    DumpObject(r, level + 1, out);
  r.ReadListEnd();
  --r.Depth();
}
} // namespace

void DumpTree(TMemoryStream& binary, std::FILE* out) {
  TBinaryReaderCore r(binary.Memory(), static_cast<std::size_t>(binary.Size()));
  r.ReadSignature();
  DumpObject(r, 0, out);
}

} // namespace fwcli
