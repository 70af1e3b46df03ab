#pragma once

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dax {

// The system's error number for a write on a handle that is not open (ERROR_INVALID_HANDLE on
// Windows).
#ifdef _WIN32
inline constexpr uint32_t kInvalidHandleError = 6;
#else
inline constexpr uint32_t kInvalidHandleError = EBADF;
#endif

// An opened printer device (USB printer interface or parallel port), opened for writing.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;
    // One write call; false on a system failure (error holds the system error number);
    // written = bytes the system took (may be short of length on success).
    virtual bool Write(const uint8_t* data, uint32_t length, uint32_t& written,
                       uint32_t& error) = 0;
    // Write time-out (parallel ports: 5 ms per byte + 10000 ms); devices without one ignore it.
    virtual void SetWriteTimeout(uint32_t perByteMs, uint32_t constantMs) = 0;
    // False (error set) when the system refused to close.
    virtual bool Close(uint32_t& error) = 0;
};

// The printer devices of the system: USB printer interfaces and the parallel ports.
class PrinterDevices {
public:
    virtual ~PrinterDevices() = default;
    // USB printer interfaces as Windows-style device paths, in listing order
    // ("\\?\usb#vid_044e&pid_200a#SIM0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}").
    virtual std::vector<std::string> ListUsbPrinters() = 0;
    // Opens a USB device path or "LPT1"/"LPT2" for writing; null with error = system error number.
    virtual std::unique_ptr<PrinterDevice> Open(const std::string& name, uint32_t& error) = 0;
    // The system's message for an error number (strerror on POSIX), "" for 0.
    virtual std::string ErrorText(uint32_t error) = 0;
};

} // namespace dax
