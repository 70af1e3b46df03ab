#pragma once

namespace dax {

// A value a calibration Test sent to the device (-1: not sent) and whether the device took it:
// reports say what was sent and accepted, not what was meant.
struct SentSetting {
    int sent = -1;
    bool accepted = false;
};

} // namespace dax
