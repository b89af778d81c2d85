// The standard control set as one registration: what a form file of these controls needs to
// be read.
#pragma once

namespace fw {

/// Registers the control, form, frame, page control and menu classes, and the actions, image lists
/// and dialogs forms carry, with the class registry; placeholders of unregistered classes can then
/// be controls.
void RegisterStandardControls();
/// Withdraws them again, in reverse.
void UnregisterStandardControls();

} // namespace fw
