// Fuzzes binary->text: when a stream converts, its text must convert back to the same bytes and
// to the same text again.
#include "basert/exceptions.h"
#include "basert/formtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fw;
  TStringStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  TMemoryStream text;
  try {
    ObjectBinaryToText(in, text);
  } catch (const EReadError&) {
    return 0;
  }
  std::string_view consumed(reinterpret_cast<const char*>(data),
                            static_cast<std::size_t>(in.Position()));
  text.SetPosition(0);
  TMemoryStream binary, text2;
  ObjectTextToBinary(text, binary); // must not raise: the text is the converter's own
  binary.SetPosition(0);
  ObjectBinaryToText(binary, text2);
  if (binary.View() != consumed || text2.View() != text.View()) {
    std::fprintf(stderr, "round trip differs:\n%.*s\n", static_cast<int>(text.Size()),
                 text.View().data());
    std::abort();
  }
  return 0;
}
