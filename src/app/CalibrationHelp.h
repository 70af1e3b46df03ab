#pragma once

#include "app/ContextHelp.h"

#include <vector>

namespace dax {

// The calibration dialogs explain their controls as the main dialog does: right-click or F1
// over a control shows its sentence.
const std::vector<HelpEntry>& RotationalHelpTable();
const std::vector<HelpEntry>& PocketHelpTable();

} // namespace dax
