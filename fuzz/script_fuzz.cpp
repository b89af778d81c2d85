// Fuzzes the design-script parser: any text parses or raises a script error naming a line of
// the text; parsed steps keep their lines in order.
#include "script.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  try {
    const auto steps = fwcli::ParseScript(text);
    int last = 0;
    for (const auto& step : steps) {
      if (step.Line <= last || step.Line > lines) std::abort();
      last = step.Line;
    }
  } catch (const fwcli::EScriptError& e) {
    if (e.Line < 1 || e.Line > lines || std::string_view(e.what()).empty()) std::abort();
  }
  return 0;
}
