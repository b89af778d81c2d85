// A picture of a designed form: its controls painted through tarn's recording canvas, with the
// designer's grab handles around the selected components, as an SVG document.
#pragma once

#include "session.h"

#include <string>
#include <vector>

namespace fwcli {

inline constexpr std::string_view sNotVisualModule = "%s has no window to render: %s is not a "
                                                     "control";

/// The SVG picture of `form`'s root at its own size (window frame included), its visible
/// controls at their bounds with their captions, and the grab handles the design window puts
/// around each control named in `select` (the root by its own name, ignoring case): black for
/// a single selection, grey for several. The root and non-visual components are drawn without
/// handles. Raises fw::Exception for a name the form does not have (sNoComponentNamed) and for
/// a module whose root is not a control (sNotVisualModule).
fw::String RenderFormSvg(TOpenForm& form, const std::vector<std::string>& select);

} // namespace fwcli
