#pragma once

#include "devices/CTransporter.h"
#include "platform/Clock.h"

#include <string>

namespace dax {

// One print job on a device's printer: a built-in pattern (or the printer's alignment file) sent
// after the pre-print set-up, the end of the print waited for, the drawer opened. Made for one
// command; the device must outlive it.
class CPrint {
public:
    // Pause after each align-pass selection before its pass of the pattern.
    static constexpr uint32_t kAlignPassPauseMs = 2000;

    CPrint(CTransporter& device, Clock& clock) : m_device(device), m_clock(clock) {}
    virtual ~CPrint() = default;
    CPrint(const CPrint&) = delete;
    CPrint& operator=(const CPrint&) = delete;

    // Prints pattern 2 (calibration grid) or 3 (offset marks) and waits for the print to end.
    // False with the reason in GetErrorText().
    bool PrintPattern(int pattern);

    const std::string& GetErrorText() const { return m_strError; }

private:
    bool SendPattern(const uint8_t* data, uint32_t length);
    // After a failure while sending: the drawer opened and the status polled (neither result
    // matters), the pattern released.
    bool Fail();

    CTransporter& m_device;
    Clock& m_clock;
    std::string m_strError;
};

} // namespace dax
