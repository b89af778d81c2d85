// The standard property editors that the registry picks by type kind, the nested editors they
// make for sub-properties, and the test for text that holds a component stream.
#pragma once

#include "designeditors/ordinaleditors.h"
#include "designeditors/refeditors.h"
#include "designeditors/valueeditors.h"

#include <string_view>

namespace fw {

/// True when the text, after leading blanks (spaces, tabs, line feeds, carriage returns),
/// begins with "OBJECT" or "INLINE" in any case: the text form of a component stream. Only
/// positions before the sixth-last character are looked at, so the keyword must be followed
/// by at least one more character.
bool PossibleStream(std::string_view s);

} // namespace fw
