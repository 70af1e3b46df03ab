#pragma once

#include "platform/PrinterDevices.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dax {

// A parallel printer port ("LPT1", "LPT2"), opened by the constructor and closed by the
// destructor; there is no reopen. The object exists when the open failed: its user checks
// IsOpen() and drops it. Move-only, so the device is closed exactly once.
class CParallelPort {
public:
    CParallelPort(PrinterDevices& devices, const char* name);
    virtual ~CParallelPort() = default;
    CParallelPort(CParallelPort&&) = default;
    CParallelPort& operator=(CParallelPort&&) = default;

    bool IsOpen() const { return m_pDevice != nullptr; }
    // True only when every byte was written; a short write leaves last error 0.
    bool Write(const uint8_t* data, uint32_t length);
    // System error number of the last failure, 0 after a short write.
    uint32_t GetLastError() const { return m_nLastError; }
    // The system's message for the last error ("" after a short write).
    std::string GetErrorText() const;
    // The port name cut to 7 characters.
    const char* GetName() const { return m_szName; }
    // 1 for LPT1, 2 for LPT2; 0 when the open failed.
    int GetPortNumber() const { return m_nPortNumber; }

    static constexpr uint32_t kWriteMsPerByte = 5;
    static constexpr uint32_t kWriteConstantMs = 10000;

private:
    PrinterDevices* m_pDevices;
    std::unique_ptr<PrinterDevice> m_pDevice;
    uint32_t m_nLastError = 0;
    char m_szName[8] = {};
    int m_nPortNumber = 0;
};

} // namespace dax
