#include "printers/CParallelPort.h"

#include <cstring>

namespace dax {

CParallelPort::CParallelPort(PrinterDevices& devices, const char* name) : m_pDevices(&devices) {
    std::strncpy(m_szName, name, sizeof m_szName - 1);
    m_pDevice = devices.Open(name, m_nLastError);
    if (!m_pDevice)
        return;
    // The digit after "LPT"; a shorter name has none.
    if (std::strlen(name) >= 4)
        m_nPortNumber = name[3] - '0';
    m_pDevice->SetWriteTimeout(kWriteMsPerByte, kWriteConstantMs);
}

bool CParallelPort::Write(const uint8_t* data, uint32_t length) {
    if (!m_pDevice) {
        m_nLastError = kInvalidHandleError;
        return false;
    }
    uint32_t written = 0;
    if (!m_pDevice->Write(data, length, written, m_nLastError))
        return false;
    if (written < length) {
        m_nLastError = 0;
        return false;
    }
    return true;
}

std::string CParallelPort::GetErrorText() const {
    return m_pDevices->ErrorText(m_nLastError);
}

} // namespace dax
