// Fuzzes the command-line splitter (quoting round trip) and the output decoder (pieces of any
// size, copied in or read into its own blocks, give the same lines as the whole).
#include "tools/processtext.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
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

  // Read straight into the decoder's blocks, lines kept in a list where they were read.
  fw::TStringList list;
  fw::TOutputDecoder direct;
  direct.SetTarget(&list);
  const std::size_t room = size < 2 ? 1 : 1 + data[1] % 61;
  for (std::size_t i = 0; i < size;) {
    const std::span<char> space = direct.Space(room);
    const std::size_t n = std::min(space.size(), size - i);
    std::memcpy(space.data(), data + i, n);
    direct.Commit(n);
    i += n;
  }
  direct.Finish();
  if (static_cast<std::size_t>(list.Count()) != expected.size()) std::abort();
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (list.Get(static_cast<fw::Integer>(i)) != expected[i]) std::abort();
  return 0;
}
