// A picture of a designed form: its controls painted through tarn's recording canvas, with the
// designer's grab handles around the selected components, as an SVG document.
#pragma once

#include "session.h"

#include <string>
#include <vector>

namespace fwcli {

inline constexpr std::string_view sRenderNoSuchComponent = "%s has no component named %s";
inline constexpr std::string_view sRenderNotVisual = "%s is not a form or a frame";

/// The SVG picture of `form`'s root, drawn at its own size, with grab handles around each
/// component named in `select` (the root by its own name). Raises fw::Exception for a name the
/// form does not have, and for a root that is not a control.
fw::String RenderFormSvg(TOpenForm& form, const std::vector<std::string>& select);

} // namespace fwcli
