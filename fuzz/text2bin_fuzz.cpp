// Fuzzes text->binary in both syntaxes: when a text converts, its binary must survive
// binary->text->binary in the same syntax.
#include "basert/exceptions.h"
#include "basert/formtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace fw;

// False when the text does not convert in `syntax`.
bool RoundTrip(std::string_view input, TTextSyntax syntax) {
  TStringStream in(input);
  TMemoryStream binary;
  try {
    ObjectTextToBinary(in, binary, syntax);
  } catch (const EParserError&) {
    return false;
  } catch (const EWriteError&) { // a name over 255 bytes
    return false;
  }
  TMemoryStream text, binary2;
  binary.SetPosition(0);
  ObjectBinaryToText(binary, text, syntax); // must not raise: the binary is the converter's own
  text.SetPosition(0);
  ObjectTextToBinary(text, binary2, syntax);
  if (binary2.View() != binary.View()) {
    std::fprintf(stderr, "round trip differs:\n%.*s\n", static_cast<int>(text.Size()),
                 text.View().data());
    std::abort();
  }
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!RoundTrip(input, TTextSyntax::Standard)) RoundTrip(input, TTextSyntax::Exact);
  return 0;
}
