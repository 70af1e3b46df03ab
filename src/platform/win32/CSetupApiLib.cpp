#include "platform/win32/CSetupApiLib.h"

namespace dax {

namespace {

// GetProcAddress gives a generic address; the cast to the real signature goes through void*.
template <typename Fn> bool Find(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return fn != nullptr;
}

} // namespace

CSetupApiLib::~CSetupApiLib() {
    Unload();
}

void CSetupApiLib::Unload() {
    if (m_hModule != nullptr)
        ::FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_bLoaded = FALSE;
}

bool CSetupApiLib::Load(const char* module) {
    m_hModule = ::LoadLibraryA(module);
    if (m_hModule == nullptr) {
        m_bFailed = TRUE;
        m_pszMessage = "Failed to load setupapi.dll";
        return false;
    }
    const char* missing = nullptr;
    if (!Find(m_hModule, "SetupDiGetClassDevsA", m_pGetClassDevs))
        missing = "Failed to retrieve function address for 'SetupDiGetClassDevs'";
    else if (!Find(m_hModule, "SetupDiEnumDeviceInterfaces", m_pEnumDeviceInterfaces))
        missing = "Failed to retrieve function address for 'SetupDiEnumDeviceInterfaces'";
    else if (!Find(m_hModule, "SetupDiGetDeviceInterfaceDetailA", m_pGetDeviceInterfaceDetail))
        missing = "Failed to retrieve function address for 'SetupDiGetDeviceInterfaceDetail'";
    else if (!Find(m_hModule, "SetupDiGetDeviceRegistryPropertyA", m_pGetDeviceRegistryProperty))
        missing = "Failed to retrieve function address for 'SetupDiGetDeviceRegistryProperty'";
    else if (!Find(m_hModule, "SetupDiDestroyDeviceInfoList", m_pDestroyDeviceInfoList))
        missing = "Failed to retrieve function address for 'SetupDiDestroyDeviceInfoList'";
    if (missing != nullptr) {
        m_bFailed = TRUE;
        m_pszMessage = missing;
        Unload();
        return false;
    }
    m_bLoaded = TRUE;
    return true;
}

HDEVINFO CSetupApiLib::SetupDiGetClassDevs(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                           DWORD flags) {
    return m_pGetClassDevs(classGuid, enumerator, parent, flags);
}

BOOL CSetupApiLib::SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info,
                                               const GUID* classGuid, DWORD index,
                                               PSP_DEVICE_INTERFACE_DATA data) {
    return m_pEnumDeviceInterfaces(set, info, classGuid, index, data);
}

BOOL CSetupApiLib::SetupDiGetDeviceInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                                                   DWORD size, PDWORD required,
                                                   PSP_DEVINFO_DATA info) {
    return m_pGetDeviceInterfaceDetail(set, data, detail, size, required, info);
}

BOOL CSetupApiLib::SetupDiGetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA info,
                                                    DWORD property, PDWORD type, PBYTE buffer,
                                                    DWORD size, PDWORD required) {
    return m_pGetDeviceRegistryProperty(set, info, property, type, buffer, size, required);
}

BOOL CSetupApiLib::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return m_pDestroyDeviceInfoList(set);
}

} // namespace dax
