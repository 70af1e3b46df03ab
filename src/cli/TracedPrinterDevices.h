#pragma once

#include "platform/PrinterDevices.h"

namespace dax {

class FileTrace;

// The system's printer devices as --trace sees them: each open, close and failed write, and
// every byte a printer port took, on a line that names the port (its USB device path, or LPT1
// and LPT2).
class TracedPrinterDevices : public PrinterDevices {
public:
    TracedPrinterDevices(PrinterDevices& devices, FileTrace& trace)
        : m_devices(devices), m_trace(trace) {}

    std::vector<std::string> ListUsbPrinters() override { return m_devices.ListUsbPrinters(); }
    std::unique_ptr<PrinterDevice> Open(const std::string& name, uint32_t& error) override;
    std::string ErrorText(uint32_t error) override { return m_devices.ErrorText(error); }

private:
    PrinterDevices& m_devices;
    FileTrace& m_trace;
};

} // namespace dax
