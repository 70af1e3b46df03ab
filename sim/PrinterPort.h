#pragma once

#include "DeviceLink.h"
#include "PrinterStream.h"
#include "PseudoTerminal.h"

#include <string>

namespace dax::sim {

// A port of the printer's own (USB or parallel): a pseudo-terminal whose slave the device
// directory's entry points to. The host only writes to it; everything it writes is print data.
class CPrinterPort {
public:
    // source names the port in the log: "usb", "lpt1", "lpt2".
    explicit CPrinterPort(std::string source) : m_strSource(std::move(source)) {}

    // Opens the pseudo-terminal (raw) and links dir/entry to it.
    bool Open(const std::string& dir, const std::string& entry, std::string& error) {
        return m_line.Open(error) && m_link.Create(dir, entry, m_line.SlavePath(), error);
    }
    void Close() { m_link.Remove(); }

    const std::string& Source() const { return m_strSource; }
    CPseudoTerminal& Line() { return m_line; }
    CPrinterStream& Stream() { return m_stream; }
    const std::string& LinkPath() const { return m_link.Path(); }

private:
    std::string m_strSource;
    CPseudoTerminal m_line;
    CDeviceLink m_link;
    CPrinterStream m_stream;
};

} // namespace dax::sim
