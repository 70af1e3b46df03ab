#include "platform/win32/UsbDeviceList.h"

#include "platform/win32/CSetupApiLib.h"

#include <cstddef>
#include <vector>

namespace dax {

int UsbDeviceList::Enumerate() {
    m_entries.clear();
    CSetupApiLib lib;
    if (!lib.Load())
        return 0;
    HDEVINFO set = lib.SetupDiGetClassDevs(&m_interfaceClass, nullptr, nullptr,
                                           DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE)
        return 0;

    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = sizeof data;
    for (DWORD index = 0;
         lib.SetupDiEnumDeviceInterfaces(set, nullptr, &m_interfaceClass, index, &data); ++index) {
        DWORD required = 0;
        lib.SetupDiGetDeviceInterfaceDetail(set, &data, nullptr, 0, &required, nullptr);
        if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
            continue;
        // The size fields are those of this build's records: the fixed part of the detail
        // record is 5 bytes in a 32-bit program and 8 in a 64-bit one, and the system checks it.
        std::vector<std::byte> buffer(required);
        auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        if (!lib.SetupDiGetDeviceInterfaceDetail(set, &data, detail, required, nullptr, &info))
            continue;
        m_entries.emplace_back(detail->DevicePath);
    }
    lib.SetupDiDestroyDeviceInfoList(set);
    return GetCount();
}

} // namespace dax
