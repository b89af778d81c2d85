// Paints control trees onto a recording canvas in a fixed headless theme, so that a designed
// form can be looked at as an SVG picture.
#pragma once

#include "tarn/canvas.h"
#include "tarn/controls.h"

namespace fw {

/// Draws one control (not its children) into `r`, the control's bounds in canvas coordinates.
using TControlPainter = void (*)(TControl* control, TCanvas* canvas, const TRect& r);

/// The painter used for `cls` and its descendants that have none of their own; replaces an
/// earlier one for the same class. A null painter removes the class's entry.
void RegisterControlPainter(TClass cls, TControlPainter painter);
/// The painter of the nearest class up the chain that has one (TControl's draws nothing).
TControlPainter FindControlPainter(TClass cls);

/// Paints `control` with its top-left corner at `origin`, then its visible children back to
/// front, each clipped to nothing (children outside the parent still show, as at design time).
/// Hidden children that are being designed are painted too.
void PaintControl(TControl* control, TCanvas* canvas, TPoint origin = {});
/// An SVG picture of the control at its own size.
String ControlToSVG(TControl* control);

} // namespace fw
