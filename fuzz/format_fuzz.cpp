// Format directives and number text from arbitrary bytes: errors must be EConvertError, never a
// crash or an unbounded allocation.
#include "basert/exceptions.h"
#include "basert/format.h"
#include "basert/sysutils.h"

#include <cstddef>
#include <cstdint>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const String str = "text\xC3\xA9";
  const WideString wide = u"wide";
  const int local = 0;
  try {
    Format(text, {1, Int64{-5}, 2.5, str, 'c', u'w', wide, &local, Currency::FromScaled(-12345),
                  true, 3, "lit", 1e300, -7});
  } catch (const EConvertError&) {
  }
  Extended e;
  TryStrToFloat(text, e);
  Double d;
  TryStrToFloat(text, d);
  Int64 i;
  TryStrToInt64(text, i);
  Currency c;
  TryStrToCurr(text, c);
  return 0;
}
