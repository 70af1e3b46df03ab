#include "printers/CUsbPrinterPort.h"

#include "platform/Format.h"

namespace dax {

CUsbPrinterPort::CUsbPrinterPort(PrinterDevices& devices, std::string devicePath, int index)
    : m_pDevices(&devices), m_strDevicePath(std::move(devicePath)),
      m_strName(Format("USBPRINT-%d", index)) {
    Open();
}

CUsbPrinterPort::~CUsbPrinterPort() {
    // m_pDevice closes itself when dropped; a moved-from port holds none.
    if (m_pDevice) {
        uint32_t error = 0;
        m_pDevice->Close(error);
    }
}

bool CUsbPrinterPort::Fail(uint32_t error) {
    m_nLastError = error;
    m_strErrorText = m_pDevices->ErrorText(error);
    return false;
}

bool CUsbPrinterPort::Open() {
    if (m_pDevice)
        return true;
    uint32_t error = 0;
    m_pDevice = m_pDevices->Open(m_strDevicePath, error);
    if (!m_pDevice)
        return Fail(error);
    m_pDevice->SetWriteTimeout(kWriteMsPerByte, kWriteConstantMs);
    return true;
}

bool CUsbPrinterPort::Close() {
    if (!m_pDevice)
        return true;
    uint32_t error = 0;
    if (!m_pDevice->Close(error))
        return Fail(error);
    m_pDevice.reset();
    return true;
}

bool CUsbPrinterPort::Write(const uint8_t* data, uint32_t length) {
    if (!m_pDevice)
        return Fail(kInvalidHandleError);
    uint32_t written = 0;
    uint32_t error = 0;
    if (!m_pDevice->Write(data, length, written, error))
        return Fail(error);
    if (written < length) {
        m_nLastError = kShortWriteError;
        m_strErrorText =
            Format("WriteFile error: %u bytes written of %u requested", written, length);
        return false;
    }
    return true;
}

} // namespace dax
