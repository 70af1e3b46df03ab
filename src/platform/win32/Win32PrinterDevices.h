#pragma once

#include "platform/DeviceNames.h"
#include "platform/PrinterDevices.h"

namespace dax {

// Printer devices of Windows: the USB device interfaces that setupapi.dll lists (the caller
// picks the printers among them by their paths), opened by path for writing, and "LPT1"/"LPT2"
// opened with CreateFileA. Writes are plain, not overlapped; a parallel port's write time-outs
// are its COMMTIMEOUTS.
class Win32PrinterDevices : public PrinterDevices {
public:
    // The names are the system's own and need no mapping; taken as the POSIX side takes them.
    explicit Win32PrinterDevices(const DeviceNames& = DeviceNames()) {}
    std::vector<std::string> ListUsbPrinters() override;
    std::unique_ptr<PrinterDevice> Open(const std::string& name, uint32_t& error) override;
    // FormatMessageA in the user's language, on one line; "" for 0 or an unknown code.
    std::string ErrorText(uint32_t error) override;
};

} // namespace dax
