// Resource strings of the standard property editors.
#pragma once

namespace fw {

/// Messages of this package's editors.
inline constexpr const char* SCannotCreateName = "Cannot create a method for an unnamed component";
inline constexpr const char* SNull = "(Null)";
inline constexpr const char* SString = "String";
inline constexpr const char* SUnknownType = "Unknown Type";
/// Name of a variant property's type sub-property.
inline constexpr const char* SVariantTypeName = "Type";
/// What a variant holding a dispatch interface shows.
inline constexpr const char* SVariantDispatchText = "ERROR";
/// A character code shown or entered as a number.
inline constexpr const char* SCharCodeFormat = "#%d";
/// A class property's value: its type name in parentheses.
inline constexpr const char* SClassValueFormat = "(%s)";

/// Run-time library messages the editors raise that basert has no constant for. They live in a
/// namespace of their own because basert's form streams use the name SInvalidPropertyValue for
/// a stream message of another meaning.
namespace rtlconsts {
inline constexpr const char* SInvalidPropertyValue = "Invalid property value";
inline constexpr const char* SOutOfRange = "Value must be between %d and %d";
inline constexpr const char* SUnknown = "Unknown";
} // namespace rtlconsts

} // namespace fw
