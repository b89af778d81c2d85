// File-name style masks: "*", "?" and character sets, matched without regard to case.
#pragma once

#include "basert/types.h"

#include <string_view>
#include <vector>

namespace fw {

// Resource strings.
inline constexpr std::string_view sInvalidMask = "'%s' is an invalid mask at (%d)";

/// A compiled mask. "*" matches any run of characters, "?" exactly one, "[abc]" one of a set
/// with ranges ("[a-z]") and negation ("[!0-9]"); a "-" first or last in a set is literal.
/// Other characters match themselves, ASCII letters in either case; characters are UTF-8 code
/// points. Matching takes at most (name length x mask length) steps.
class TMask {
public:
  /// Raises EMaskException (sInvalidMask) for a set without its closing "]", naming the
  /// 1-based character position where the "]" was expected.
  explicit TMask(std::string_view mask);
  bool Matches(std::string_view name) const;

private:
  enum class TKind { Literal, AnyChar, AnyRun, Set };
  struct TRange {
    char32_t Low, High;
  };
  struct TElement {
    TKind Kind;
    char32_t Char = 0;          // Literal, folded to lower case
    std::size_t FirstRange = 0; // Set: its ranges in FRanges
    std::size_t RangeCount = 0;
    bool Negated = false;
  };
  std::vector<TElement> FElements;
  std::vector<TRange> FRanges;

  bool MatchesOne(const TElement& e, char32_t c) const;
};

/// True when `name` matches `mask` (see TMask); raises EMaskException for a malformed mask.
bool MatchesMask(std::string_view name, std::string_view mask);

} // namespace fw
