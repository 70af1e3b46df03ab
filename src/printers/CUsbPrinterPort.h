#pragma once

#include "platform/PrinterDevices.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dax {

// A USB printer interface, named "USBPRINT-<index>" after its place in the device listing. The
// constructor opens it at once; Close and a second Close both succeed. Move-only: one object
// owns the open device, so it is closed exactly once.
class CUsbPrinterPort {
public:
    CUsbPrinterPort(PrinterDevices& devices, std::string devicePath, int index);
    virtual ~CUsbPrinterPort();
    CUsbPrinterPort(CUsbPrinterPort&&) = default;
    CUsbPrinterPort& operator=(CUsbPrinterPort&&) = default;

    bool Open();
    // False when the system refused to close: the port stays open.
    bool Close();
    // One write of the whole buffer; true only when every byte went. A short write fails with
    // last error 29 and "WriteFile error: <written> bytes written of <requested> requested".
    bool Write(const uint8_t* data, uint32_t length);

    bool IsOpen() const { return m_pDevice != nullptr; }
    uint32_t GetLastError() const { return m_nLastError; }
    const std::string& GetName() const { return m_strName; }
    const std::string& GetErrorText() const { return m_strErrorText; }
    const std::string& GetDevicePath() const { return m_strDevicePath; }

    static constexpr uint32_t kShortWriteError = 29;
    // A printer that stops taking data must not hold the program for ever: a piece it has not
    // taken within this time ends as a short write. Generous, since a busy printer pauses.
    static constexpr uint32_t kWriteConstantMs = 60000;
    static constexpr uint32_t kWriteMsPerByte = 5;

private:
    bool Fail(uint32_t error);

    PrinterDevices* m_pDevices;
    std::unique_ptr<PrinterDevice> m_pDevice;
    uint32_t m_nLastError = 0;
    std::string m_strDevicePath;
    std::string m_strName;
    std::string m_strErrorText;
};

} // namespace dax
