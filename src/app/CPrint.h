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
    virtual ~CPrint();
    CPrint(const CPrint&) = delete;
    CPrint& operator=(const CPrint&) = delete;

    // Prints pattern 2 (calibration grid) or 3 (offset marks) and waits for the print to end.
    // False with the reason in GetErrorText().
    bool PrintPattern(int pattern) { return Prepare(pattern) && PrintPrepared(); }
    // The two halves of it. Prepare takes the pattern's print data from the device (a Morrane
    // printer's alignment file is read then): a caller does it before the disc moves, so print
    // data that cannot be had leave the disc where it was. PrintPrepared sends them.
    bool Prepare(int pattern);
    bool PrintPrepared();

    const std::string& GetErrorText() const { return m_strError; }

private:
    bool SendPattern(const uint8_t* data, uint32_t length);
    // After a failure while sending: the drawer opened and the status polled (neither result
    // matters), the pattern released.
    bool Fail();
    void Release();

    CTransporter& m_device;
    Clock& m_clock;
    std::string m_strError;
    const uint8_t* m_pData = nullptr; // the prepared print data, the device's until released
    uint32_t m_nLength = 0;
};

} // namespace dax
