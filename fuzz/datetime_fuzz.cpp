// Date and time text from arbitrary bytes, both as input to parse and as a format to expand.
#include "basert/datetime.h"

#include <cstddef>
#include <cstdint>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TDateTime v;
  if (TryStrToDateTime(text, v)) {
    // Whatever parses must print and parse back to the same value.
    const String back = FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", v);
    TFormatSettings iso;
    iso.ShortDateFormat = "yyyy/mm/dd";
    TDateTime again;
    if (!TryStrToDateTime(back, again, iso) || again != v) __builtin_trap();
  }
  TryStrToDate(text, v);
  TryStrToTime(text, v);
  TFormatSettings nested;
  nested.ShortDateFormat = String(text);
  FormatDateTime(text, 45000.75, nested);
  return 0;
}
