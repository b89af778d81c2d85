// Fuzzes binary->text. When a stream converts, its exact text must convert back to the same
// bytes and the same text again; its standard text must read back without typed values, to the
// same text again.
#include "basert/exceptions.h"
#include "basert/formtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace fw;

[[noreturn]] void Differs(TMemoryStream& text) {
  std::fprintf(stderr, "round trip differs:\n%.*s\n", static_cast<int>(text.Size()),
               text.View().data());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  TStringStream in(input);
  TMemoryStream text;
  try {
    ObjectBinaryToText(in, text, TTextSyntax::Exact);
  } catch (const EReadError&) {
    return 0;
  }
  std::string_view consumed = input.substr(0, static_cast<std::size_t>(in.Position()));
  text.SetPosition(0);
  TMemoryStream binary, text2;
  ObjectTextToBinary(text, binary, TTextSyntax::Exact); // must not raise: the converter's own
  binary.SetPosition(0);
  ObjectBinaryToText(binary, text2, TTextSyntax::Exact);
  if (binary.View() != consumed || text2.View() != text.View()) Differs(text);

  TStringStream again(consumed);
  TMemoryStream standard, standardBinary, standard2;
  try {
    ObjectBinaryToText(again, standard);
  } catch (const EReadError&) { // an identifier value with no plain form
    return 0;
  }
  standard.SetPosition(0);
  ObjectTextToBinary(standard, standardBinary);
  standardBinary.SetPosition(0);
  ObjectBinaryToText(standardBinary, standard2);
  if (standard2.View() != standard.View()) Differs(standard);
  return 0;
}
