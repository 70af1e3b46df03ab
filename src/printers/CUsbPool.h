#pragma once

#include "platform/PrinterDevices.h"
#include "printers/CUsbPrinterPort.h"

#include <memory>
#include <string>
#include <vector>

namespace dax {

// The supported USB printers present on the system, as closed ports handed out one user at a
// time. The pool owns its ports: an acquired port stays valid as long as the pool lives, and
// the pool closes whatever is still open when it goes.
class CUsbPool {
public:
    explicit CUsbPool(PrinterDevices& devices);
    virtual ~CUsbPool() = default;
    CUsbPool(const CUsbPool&) = delete;
    CUsbPool& operator=(const CUsbPool&) = delete;

    // Lists the USB printer interfaces and keeps each supported one that opens (closed again);
    // returns the number of ports. Runs once: a second call lists nothing and keeps the ports
    // handed out valid.
    int Enumerate();
    // Hands out port `index` of the pool, or the first free one for -1; null when it is out of
    // range, in use, or none is free.
    CUsbPrinterPort* Acquire(int index);
    // Takes a port back, closing it; a port not of this pool is ignored.
    void Release(CUsbPrinterPort* port);

    // USB printer interfaces the last enumeration listed, supported or not.
    int GetDeviceCount() const { return m_nDeviceCount; }
    int GetPortCount() const { return int(m_ports.size()); }

    // True when `devicePath` begins with one of the supported printers' prefixes (compared
    // case-sensitively, as the system spells them).
    static bool IsSupportedPrinter(const std::string& devicePath);

private:
    struct Slot {
        std::unique_ptr<CUsbPrinterPort> port;
        bool inUse = false;
    };

    PrinterDevices& m_devices;
    std::vector<Slot> m_ports;
    int m_nDeviceCount = 0;
    bool m_bEnumerated = false;
};

} // namespace dax
