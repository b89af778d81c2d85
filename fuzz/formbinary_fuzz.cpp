// Fuzzes the binary value reader: skipping and reading values must fail cleanly, never crash.
#include "basert/exceptions.h"
#include "basert/formstream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace fw;
  try {
    TBinaryReaderCore r(data, size);
    r.ReadSignature();
    TFilerFlags flags;
    Integer pos;
    r.ReadPrefix(flags, pos);
    r.ReadStr();
    r.ReadStr();
    while (!r.AtEnd())
      r.SkipValue();
  } catch (const EReadError&) {
  }
  // The same bytes through a stream with a tiny buffer, reading typed values.
  TStringStream s(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    TBinaryReaderCore r(s, 16);
    while (!r.AtEnd()) {
      switch (r.NextValue()) {
      case vaString:
      case vaLString:
      case vaWString:
      case vaUTF8String:
        r.ReadString();
        break;
      case vaSet:
        r.ReadSet();
        break;
      case vaBinary:
        r.ReadBinary();
        break;
      case vaExtended:
      case vaSingle:
      case vaDouble:
        r.ReadFloat();
        break;
      case vaIdent:
      case vaFalse:
      case vaTrue:
      case vaNil:
        r.ReadIdent();
        break;
      default:
        r.SkipValue();
        break;
      }
    }
  } catch (const EReadError&) {
  }
  return 0;
}
