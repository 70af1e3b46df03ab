#pragma once

#include "DeviceLink.h"
#include "FlashReceiver.h"
#include "PrinterStream.h"
#include "PseudoTerminal.h"

#include <chrono>
#include <string>

namespace dax::sim {

// A port of the printer's own (USB or parallel): a pseudo-terminal whose slave the device
// directory's entry points to. The host only writes to it; everything it writes is print data.
class CPrinterPort {
public:
    // source names the port in the log: "usb", "lpt1", "lpt2" ("usb1", "usb2" on the
    // dual-printer transporter). printer: the dual-printer transporter's printer behind the
    // port, 'A' or 'B', '-' for a printer that is not the transporter's; 0 on the others.
    explicit CPrinterPort(std::string source, char printer = 0)
        : m_strSource(std::move(source)), m_cPrinter(printer) {
        m_stream.TakeFirmware(printer == 'A' || printer == 'B');
    }

    // Opens the pseudo-terminal (raw) and links dir/entry to it.
    bool Open(const std::string& dir, const std::string& entry, std::string& error) {
        return m_line.Open(error) && m_link.Create(dir, entry, m_line.SlavePath(), error);
    }
    void Close() { m_link.Remove(); }

    const std::string& Source() const { return m_strSource; }
    CPseudoTerminal& Line() { return m_line; }
    CPrinterStream& Stream() { return m_stream; }
    const std::string& LinkPath() const { return m_link.Path(); }
    char Printer() const { return m_cPrinter; }
    // The printer's firmware coming in on this port, while Flashing().
    CFlashReceiver& Flash() { return m_flash; }
    bool Flashing() const { return m_bFlashing; }
    void SetFlashing(bool on) { m_bFlashing = on; }
    std::chrono::steady_clock::time_point LastFlashRx() const { return m_lastFlashRx; }
    void SetLastFlashRx(std::chrono::steady_clock::time_point t) { m_lastFlashRx = t; }

private:
    std::string m_strSource;
    CPseudoTerminal m_line;
    CDeviceLink m_link;
    CPrinterStream m_stream;
    char m_cPrinter = 0;
    CFlashReceiver m_flash;
    bool m_bFlashing = false;
    std::chrono::steady_clock::time_point m_lastFlashRx;
};

} // namespace dax::sim
