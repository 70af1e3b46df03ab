#pragma once

#include "platform/DeviceNames.h"
#include "platform/PrinterDevices.h"

namespace dax {

// Printer devices through the device directory: USB printers are the sysfs usbmisc/lp* ones
// (node /dev/usb/lpN) and the directory's usb/ entries; LPT1/LPT2 its lpt1/lpt2 entries or
// /dev/lp0 and /dev/lp1. A usb/ entry named "vid_044e&pid_200a#SIM0" is listed as
// "\\?\usb#vid_044e&pid_200a#SIM0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}": the class tail is
// appended, as on Windows, so a path reads the same whichever system listed it.
// A node that is a terminal (the simulator's pseudo-terminals) is put into raw mode on open so
// that the print data pass unchanged.
class PosixPrinterDevices : public PrinterDevices {
public:
    explicit PosixPrinterDevices(DeviceNames names) : m_names(std::move(names)) {}

    std::vector<std::string> ListUsbPrinters() override;
    // A name that maps to no present node fails with ENOENT; COM names are no printers.
    std::unique_ptr<PrinterDevice> Open(const std::string& name, uint32_t& error) override;
    std::string ErrorText(uint32_t error) override;

    // The node `name` resolves to, "" for none (for messages).
    std::string NodeOf(const std::string& name) const;

private:
    DeviceNames m_names;
};

} // namespace dax
