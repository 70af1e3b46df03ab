#include "platform/win32/Win32PrinterDevices.h"

#include "platform/DeviceNames.h"
#include "platform/win32/OverlappedWait.h"
#include "platform/win32/UsbDeviceList.h"

#include <windows.h>

namespace dax {

namespace {

class Win32PrinterDevice : public PrinterDevice {
public:
    explicit Win32PrinterDevice(HANDLE h) : m_hDevice(h) {}
    ~Win32PrinterDevice() override {
        if (m_hDevice != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_hDevice);
    }
    Win32PrinterDevice(const Win32PrinterDevice&) = delete;
    Win32PrinterDevice& operator=(const Win32PrinterDevice&) = delete;

    bool Write(const uint8_t* data, uint32_t length, uint32_t& written, uint32_t& error) override {
        written = 0;
        error = 0;
        // Overlapped, so that a write the printer holds up (until the port's time-out) does not
        // freeze the window.
        OVERLAPPED ov{};
        ov.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (ov.hEvent == nullptr) {
            error = ::GetLastError();
            return false;
        }
        DWORD n = 0;
        bool ok = ::WriteFile(m_hDevice, data, length, &n, &ov) != FALSE;
        if (ok)
            ::GetOverlappedResult(m_hDevice, &ov, &n, FALSE);
        else if (::GetLastError() == ERROR_IO_PENDING)
            ok = FinishOverlapped(m_hDevice, ov, n);
        if (!ok)
            error = ::GetLastError();
        ::CloseHandle(ov.hEvent);
        written = n;
        return ok;
    }

    void SetWriteTimeout(uint32_t perByteMs, uint32_t constantMs) override {
        // Only a parallel port has time-outs; a USB printer refuses GetCommTimeouts and keeps none.
        COMMTIMEOUTS t{};
        if (!::GetCommTimeouts(m_hDevice, &t))
            return;
        t.WriteTotalTimeoutMultiplier = perByteMs;
        t.WriteTotalTimeoutConstant = constantMs;
        ::SetCommTimeouts(m_hDevice, &t);
    }

    bool Close(uint32_t& error) override {
        error = 0;
        if (m_hDevice == INVALID_HANDLE_VALUE)
            return true;
        if (!::CloseHandle(m_hDevice)) {
            error = ::GetLastError();
            return false;
        }
        m_hDevice = INVALID_HANDLE_VALUE;
        return true;
    }

private:
    HANDLE m_hDevice;
};

} // namespace

std::vector<std::string> Win32PrinterDevices::ListUsbPrinters() {
    UsbDeviceList list;
    list.Enumerate();
    return list.GetEntries();
}

std::unique_ptr<PrinterDevice> Win32PrinterDevices::Open(const std::string& name, uint32_t& error) {
    error = 0;
    // A parallel port is opened for reading too, which its time-outs need; a USB printer only
    // for writing.
    const bool parallel = DeviceNames::parseLptPath(name).has_value();
    const DWORD access = parallel ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    const DWORD attributes = (parallel ? FILE_ATTRIBUTE_NORMAL : 0) | FILE_FLAG_OVERLAPPED;
    HANDLE h = ::CreateFileA(name.c_str(), access, 0, nullptr, OPEN_EXISTING, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return nullptr;
    }
    return std::make_unique<Win32PrinterDevice>(h);
}

std::string Win32PrinterDevices::ErrorText(uint32_t error) {
    if (error == 0)
        return {};
    char buffer[512];
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, error, 0x0400, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace dax
