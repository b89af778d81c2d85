// Resource strings of the standard property editors.
#pragma once

namespace fw {

/// Messages of this package's editors.
inline constexpr std::string_view SCannotCreateName =
    "Cannot create a method for an unnamed component";
inline constexpr std::string_view SNull = "(Null)";
inline constexpr std::string_view SString = "String";
inline constexpr std::string_view SUnknownType = "Unknown Type";
/// Name of a variant property's type sub-property.
inline constexpr std::string_view sVariantTypeName = "Type";
/// What a variant holding a dispatch interface shows.
inline constexpr std::string_view sVariantDispatchText = "ERROR";
/// A character code shown or entered as a number.
inline constexpr std::string_view sCharCodeFormat = "#%d";
/// A class property's value: its type name in parentheses.
inline constexpr std::string_view sClassValueFormat = "(%s)";

/// Run-time library messages the editors raise that basert has no constant for, beside basert's
/// rtlconsts::SInvalidPropertyValue.
namespace rtlconsts {
inline constexpr std::string_view SOutOfRange = "Value must be between %d and %d";
inline constexpr std::string_view SUnknown = "Unknown";
} // namespace rtlconsts

} // namespace fw
