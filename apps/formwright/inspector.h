// The property inspector of the command line: the selection's properties through the package's
// editors, read as the inspector shows them and written as the user types them.
#pragma once

#include "session.h"

#include "designintf/designintf.h"

#include <string_view>
#include <vector>

namespace fwcli {

inline constexpr std::string_view sNoComponentNamed = "%s has no component named %s";
inline constexpr std::string_view sNoPropertyNamed = "%s has no property %s";
inline constexpr std::string_view sBadAssignment = "expected NAME.PROP=VALUE, got '%s'";

/// The component of the form that `name` names, ignoring case: the root by its own name, a
/// component the root owns, or one inside a frame placed on the form, named through the frame
/// as the designer names it ("AddressFrame.CityEdit"); null when none.
fw::TComponent* FindNamedComponent(TOpenForm& form, std::string_view name);

/// The components of the form by name (see FindNamedComponent), in the order given; none
/// selects the root. Raises fw::Exception (sNoComponentNamed) for an unknown name.
std::vector<fw::TPersistent*> SelectComponents(TOpenForm& form,
                                               const std::vector<std::string>& names);

/// "NAME.PROP=VALUE" taken apart: NAME is the longest leading part that names a component
/// (so "AddressFrame.CityEdit.Text=x" edits a frame's edit); without one, the part before the
/// first dot, which SelectComponents then refuses.
struct TAssignment {
  std::string Name, Path, Value;
};
/// Raises fw::Exception (sBadAssignment) when there is no NAME, PROP or "=".
TAssignment SplitAssignment(TOpenForm& form, const std::string& assignment);

/// One row of the inspector.
struct TInspectedProperty {
  fw::String Name;
  fw::String Value; ///< empty when the selected objects' values differ
  fw::TPropertyAttributes Attributes;
  fw::String Category;
  bool Writable = false;
  std::vector<TInspectedProperty> Properties; ///< sub-properties (paSubProperties)
};

/// The rows the inspector shows for the selection: its shared properties of the kinds in
/// `filter`, by name, with the sub-properties of each row that has them.
std::vector<TInspectedProperty> InspectProperties(TOpenForm& form,
                                                  const std::vector<fw::TPersistent*>& selection,
                                                  fw::TTypeKinds filter);

/// Columns `text` takes on a terminal: one per code point, two for East-Asian wide and
/// full-width characters, none for combining marks; a byte that is not valid UTF-8 takes one.
std::size_t DisplayWidth(std::string_view text);
/// `text` cut to at most `width` columns, ending in "..." when cut (never inside a character),
/// then padded with spaces to `width` columns.
std::string FitColumn(std::string_view text, std::size_t width);

/// The attribute's identifier ("paValueList").
std::string_view AttributeName(fw::TPropertyAttribute attribute);

/// Applies one "NAME.PROP=VALUE" (PROP may go down sub-properties: "Font.Style") through the
/// property's editor, as the inspector does when the user types the value. Raises
/// fw::Exception for a malformed assignment, an unknown component or property, and whatever
/// the editor raises for a value it refuses.
void AssignProperty(TOpenForm& form, const std::string& assignment);

} // namespace fwcli
