#include "printers/CUsbPool.h"

#include <cstring>

namespace dax {

namespace {

// Device path prefixes of the supported printers, in the order they are checked.
constexpr const char* kPrinterPrefixes[] = {
    "\\\\?\\usb#vid_044e&pid_200a", "\\\\?\\usb#vid_044e&pid_1301", "\\\\?\\usb#vid_044e&pid_130a",
    "\\\\?\\usb#vid_047e&pid_1001", "\\\\?\\usb#vid_1293&pid_0002",
};

} // namespace

CUsbPool::CUsbPool(PrinterDevices& devices) : m_devices(devices) {
    m_ports.reserve(8);
}

bool CUsbPool::IsSupportedPrinter(const std::string& devicePath) {
    for (const char* prefix : kPrinterPrefixes)
        if (devicePath.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

int CUsbPool::Enumerate() {
    if (m_bEnumerated)
        return GetPortCount();
    m_bEnumerated = true;
    const std::vector<std::string> paths = m_devices.ListUsbPrinters();
    m_nDeviceCount = int(paths.size());
    for (int i = 0; i < m_nDeviceCount; ++i) {
        if (!IsSupportedPrinter(paths[i]))
            continue;
        // A printer that cannot be opened now (another program holds it) is left out.
        auto port = std::make_unique<CUsbPrinterPort>(m_devices, paths[i], i);
        if (!port->IsOpen())
            continue;
        port->Close();
        m_ports.push_back({std::move(port), false});
    }
    return GetPortCount();
}

CUsbPrinterPort* CUsbPool::Acquire(int index) {
    Slot* slot = nullptr;
    if (index == -1) {
        for (Slot& s : m_ports) {
            if (!s.inUse) {
                slot = &s;
                break;
            }
        }
    } else if (index >= 0 && index < GetPortCount() && !m_ports[index].inUse) {
        slot = &m_ports[index];
    }
    if (slot == nullptr)
        return nullptr;
    slot->inUse = true;
    return slot->port.get();
}

void CUsbPool::Release(CUsbPrinterPort* port) {
    for (Slot& s : m_ports) {
        if (s.port.get() == port) {
            s.port->Close();
            s.inUse = false;
            return;
        }
    }
}

} // namespace dax
