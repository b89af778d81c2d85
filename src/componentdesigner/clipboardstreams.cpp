#include "componentdesigner/clipboardstreams.h"

#include "basert/formtext.h"
#include "designeditors/stdeditors.h"

namespace fw {

TClipboardFormat CF_COMPONENTS() {
  static const TClipboardFormat format =
      RegisterClipboardFormat(String(sComponentsClipboardFormatName));
  return format;
}

void WriteStreamBounds(TWriter& writer, const TRect& bounds) {
  if (bounds.Right <= bounds.Left || bounds.Bottom <= bounds.Top) return;
  for (Integer v : {bounds.Left, bounds.Top, bounds.Right, bounds.Bottom})
    writer.WriteInteger(v);
}

TRect ReadStreamBounds(TReader& reader) {
  TBinaryReaderCore& core = reader.Core();
  if (core.AtEnd()) return {};
  const Byte tag = core.PeekByte();
  if (tag != vaInt8 && tag != vaInt16 && tag != vaInt32) return {};
  TRect r;
  r.Left = reader.ReadInteger();
  r.Top = reader.ReadInteger();
  r.Right = reader.ReadInteger();
  r.Bottom = reader.ReadInteger();
  return r;
}

String ReadHandlerSource(TReader& reader) {
  TBinaryReaderCore& core = reader.Core();
  String source;
  while (!core.AtEnd()) {
    const Byte b = core.ReadByte();
    if (b == 0) break;
    source.push_back(static_cast<char>(b));
  }
  return source;
}

String ClipboardStreamToText(TStream& stream) {
  String data(static_cast<std::size_t>(stream.Size() - stream.Position()), '\0');
  stream.ReadBuffer(data.data(), static_cast<Int64>(data.size()));
  std::size_t at = 0;
  {
    TBinaryReaderCore core(data.data(), data.size());
    if (!core.AtEnd()) {
      const Byte tag = core.PeekByte();
      if (tag == vaInt8 || tag == vaInt16 || tag == vaInt32)
        for (int i = 0; i < 4; ++i)
          core.ReadInteger();
    }
    at = static_cast<std::size_t>(core.Position());
  }
  TStringStream text;
  while (at < data.size() && data[at] != '\0')
    at += ObjectBinaryToText(std::string_view(data).substr(at), text, TTextSyntax::Standard,
                             static_cast<Int64>(at));
  return text.DataString();
}

std::unique_ptr<TMemoryStream> TextToClipboardStream(std::string_view text) {
  auto stream = std::make_unique<TMemoryStream>();
  constexpr std::size_t Lookahead = 256;
  std::size_t at = 0;
  // A text form may begin with a byte-order mark.
  if (text.starts_with("\xEF\xBB\xBF")) at = 3;
  do
    at += ObjectTextToBinary(text.substr(at), *stream);
  while (at < text.size() && PossibleStream(text.substr(at, Lookahead)));
  const Byte ends[2] = {vaNull, vaNull};
  stream->WriteBuffer(ends, 2);
  stream->SetPosition(0);
  return stream;
}

void CopyStreamToClipboard(TMemoryStream& stream) {
  stream.SetPosition(0);
  // A value the text cannot carry (a NaN, say) costs the text form, not the copy.
  String text;
  bool hasText = true;
  try {
    text = ClipboardStreamToText(stream);
  } catch (const EReadError&) {
    hasText = false;
  }
  TClipboard* clipboard = Clipboard();
  clipboard->Open();
  try {
    clipboard->SetBuffer(CF_COMPONENTS(), stream.Memory(), static_cast<Integer>(stream.Size()));
    if (hasText) clipboard->SetAsText(text);
  } catch (...) {
    clipboard->Close();
    throw;
  }
  clipboard->Close();
}

bool ClipboardHasComponents() {
  TClipboard* clipboard = Clipboard();
  return clipboard->HasFormat(CF_COMPONENTS()) || PossibleStream(clipboard->AsText());
}

std::unique_ptr<TMemoryStream> GetClipboardStream() {
  TClipboard* clipboard = Clipboard();
  if (clipboard->HasFormat(CF_COMPONENTS())) {
    const std::vector<Byte>& data = clipboard->GetAsBytes(CF_COMPONENTS());
    auto stream = std::make_unique<TMemoryStream>();
    if (!data.empty()) stream->WriteBuffer(data.data(), static_cast<Int64>(data.size()));
    stream->SetPosition(0);
    return stream;
  }
  const String text = clipboard->AsText();
  if (!PossibleStream(text)) return nullptr;
  return TextToClipboardStream(text);
}

} // namespace fw
