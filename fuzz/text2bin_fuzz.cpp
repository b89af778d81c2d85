// Fuzzes text->binary: when a text converts, its binary must survive binary->text->binary.
#include "basert/exceptions.h"
#include "basert/formtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fw;
  TStringStream in(std::string_view(reinterpret_cast<const char*>(data), size));
  TMemoryStream binary;
  try {
    ObjectTextToBinary(in, binary);
  } catch (const EParserError&) {
    return 0;
  } catch (const EWriteError&) { // a name over 255 bytes
    return 0;
  }
  TMemoryStream text, binary2;
  binary.SetPosition(0);
  ObjectBinaryToText(binary, text); // must not raise: the binary is the converter's own
  text.SetPosition(0);
  ObjectTextToBinary(text, binary2);
  if (binary2.View() != binary.View()) {
    std::fprintf(stderr, "round trip differs:\n%.*s\n", static_cast<int>(text.Size()),
                 text.View().data());
    std::abort();
  }
  return 0;
}
