// Fuzzes the command-line splitter (quoting round trip) and the output decoder (pieces of any
// size give the same lines as the whole).
#include "tools/processtext.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// Quotes one argument so that the splitter gives it back unchanged.
fw::String Quote(const fw::String& arg) {
  fw::String out = "\"";
  std::size_t slashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++slashes;
      continue;
    }
    out.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
    slashes = 0;
    out += c;
  }
  out.append(2 * slashes, '\\');
  return out + "\"";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::vector<fw::String> args = fw::SplitCommandLine(text);
  fw::String joined;
  for (const fw::String& a : args)
    joined += (joined.empty() ? "" : " ") + Quote(a);
  if (fw::SplitCommandLine(joined) != args) std::abort();

  fw::TOutputDecoder whole;
  whole.Feed(text);
  whole.Finish();
  const std::vector<fw::String> expected = whole.TakeLines();
  fw::TOutputDecoder pieces;
  const std::size_t step = size == 0 ? 1 : 1 + data[0] % 7;
  for (std::size_t i = 0; i < size; i += step)
    pieces.Feed(text.substr(i, step));
  pieces.Finish();
  if (pieces.TakeLines() != expected) std::abort();
  return 0;
}
