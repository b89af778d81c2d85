#include "designeditors/stdeditors.h"

#include "basert/sysutils.h"

namespace fw {

bool PossibleStream(std::string_view s) {
  constexpr std::size_t KeywordLength = 6;
  for (std::size_t i = 0; i + KeywordLength < s.size(); ++i) {
    const std::string_view word = s.substr(i, KeywordLength);
    if (SameText(word, "OBJECT") || SameText(word, "INLINE")) return true;
    const char c = s[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
  }
  return false;
}

} // namespace fw
