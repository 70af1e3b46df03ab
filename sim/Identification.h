#pragma once

#include "Profile.h"

#include <string>

namespace dax::sim {

// The identification bytes that follow the inquiry head:
//   0-15 product name, 16-22 "VERSION", 24-29 revision "d.dd" or "d.ddd" and suffix,
//   32-47 printer name, 48-53 printer model code, 56-61 printer revision and suffix;
//   on the dual-printer transporter the second printer likewise at 64-95.
// Blanks elsewhere; cut or blank-filled to the configured count.
std::string BuildIdentification(const SDeviceConfig& config);

} // namespace dax::sim
