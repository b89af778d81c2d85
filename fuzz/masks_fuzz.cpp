// Masks from arbitrary bytes: the first line is the mask, the rest the name to match.
#include "basert/exceptions.h"
#include "basert/masks.h"

#include <cstddef>
#include <cstdint>

using namespace fw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t nl = text.find('\n');
  const std::string_view mask = text.substr(0, nl);
  const std::string_view name = nl == std::string_view::npos ? text : text.substr(nl + 1);
  try {
    const TMask m(mask);
    m.Matches(name);
    // A mask without wildcards or sets matches its own text.
    if (mask.find_first_of("*?[") == std::string_view::npos && !m.Matches(mask)) __builtin_trap();
  } catch (const EMaskException&) {
  }
  return 0;
}
