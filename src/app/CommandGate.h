#pragma once

#include "app/CalibrationView.h"
#include "app/DialogView.h"

#include <string>

namespace dax {

// Whether the window lets the user use a control now: shown and enabled, as the dialog set it
// for the device found. Front ends without a window ask before they run a command, so that
// they never do what the window would not. Empty when the control can be used; otherwise the
// reason, naming the control as the window labels it ("Set Params is not available on this
// transporter", "Printer SN cannot be changed on this transporter").
std::string ControlUnavailableReason(DialogView& view, int id);

// The same for a value field of a calibration dialog, once the dialog has set its fields for the
// device ("Left Margin cannot be changed on this printer").
std::string CalibrationFieldUnavailableReason(CalibrationView& view, int id);

} // namespace dax
