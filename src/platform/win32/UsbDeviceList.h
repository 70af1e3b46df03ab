#pragma once

#include <string>
#include <vector>
#include <windows.h>

namespace dax {

// The device interfaces of one class present on the system, as device paths in the system's
// order. The printer search lists GUID_DEVINTERFACE_USB_DEVICE.
class UsbDeviceList {
public:
    // {A5DCBF10-6530-11D2-901F-00C04FB951ED}
    static constexpr GUID kUsbDeviceClass = {
        0xa5dcbf10, 0x6530, 0x11d2, {0x90, 0x1f, 0x00, 0xc0, 0x4f, 0xb9, 0x51, 0xed}};

    explicit UsbDeviceList(const GUID& interfaceClass = kUsbDeviceClass)
        : m_interfaceClass(interfaceClass) {}

    // Lists the interfaces anew; their number, 0 when setupapi.dll cannot be used.
    int Enumerate();
    int GetCount() const { return int(m_entries.size()); }
    const std::string& GetAt(int index) const { return m_entries.at(size_t(index)); }
    const std::vector<std::string>& GetEntries() const { return m_entries; }

private:
    GUID m_interfaceClass;
    std::vector<std::string> m_entries;
};

} // namespace dax
