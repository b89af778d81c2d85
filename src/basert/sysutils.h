// String and number helpers of the run-time library: comparison, case, identifiers.
#pragma once

#include "basert/types.h"

#include <cstddef>
#include <string_view>

namespace fw {

/// ASCII upper/lower case; other bytes are left alone.
String UpperCase(std::string_view s);
String LowerCase(std::string_view s);

/// Equality ignoring ASCII case.
bool SameText(std::string_view a, std::string_view b) noexcept;
/// Ordering ignoring ASCII case: negative, zero or positive.
int CompareText(std::string_view a, std::string_view b) noexcept;
/// Byte-wise ordering: negative, zero or positive.
int CompareStr(std::string_view a, std::string_view b) noexcept;

/// True for a Pascal identifier: a letter or underscore, then letters, digits or underscores.
/// With AllowDots, dot-separated identifiers are accepted ("Unit.Name").
bool IsValidIdent(std::string_view ident, bool allowDots = false) noexcept;

/// Hash and equality that ignore ASCII case, for hashed name indexes.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept;
};
struct TextEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept { return SameText(a, b); }
};
/// Ordering that ignores ASCII case, for sorted containers.
struct TextLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return CompareText(a, b) < 0;
  }
};

} // namespace fw
