#pragma once

// setupapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <setupapi.h>
// clang-format on

namespace dax {

// setupapi.dll bound at run time, so that a system without it (or with an incomplete one) only
// finds no USB printers instead of refusing to start.
class CSetupApiLib {
public:
    using GetClassDevsFn = HDEVINFO(WINAPI*)(const GUID*, PCSTR, HWND, DWORD);
    using EnumDeviceInterfacesFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                                 PSP_DEVICE_INTERFACE_DATA);
    using GetDeviceInterfaceDetailFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD,
                                                     PDWORD, PSP_DEVINFO_DATA);
    using GetDeviceRegistryPropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, DWORD, PDWORD,
                                                      PBYTE, DWORD, PDWORD);
    using DestroyDeviceInfoListFn = BOOL(WINAPI*)(HDEVINFO);

    CSetupApiLib() = default;
    virtual ~CSetupApiLib();
    CSetupApiLib(const CSetupApiLib&) = delete;
    CSetupApiLib& operator=(const CSetupApiLib&) = delete;

    // Loads setupapi.dll (or `module` in tests) and finds its five functions. On failure the
    // library is unloaded again and GetMessage() says what was missing.
    bool Load(const char* module = "setupapi.dll");
    bool IsLoaded() const { return m_bLoaded; }
    bool HasFailed() const { return m_bFailed; }
    const char* GetMessage() const { return m_pszMessage; }

    HDEVINFO SetupDiGetClassDevs(const GUID* classGuid, PCSTR enumerator, HWND parent, DWORD flags);
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA info, const GUID* classGuid,
                                     DWORD index, PSP_DEVICE_INTERFACE_DATA data);
    BOOL SetupDiGetDeviceInterfaceDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                         PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail, DWORD size,
                                         PDWORD required, PSP_DEVINFO_DATA info);
    BOOL SetupDiGetDeviceRegistryProperty(HDEVINFO set, PSP_DEVINFO_DATA info, DWORD property,
                                          PDWORD type, PBYTE buffer, DWORD size, PDWORD required);
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set);

private:
    void Unload();

    BOOL m_bLoaded = FALSE;
    BOOL m_bFailed = FALSE;
    const char* m_pszMessage = "";
    HMODULE m_hModule = nullptr;
    GetClassDevsFn m_pGetClassDevs = nullptr;
    EnumDeviceInterfacesFn m_pEnumDeviceInterfaces = nullptr;
    GetDeviceInterfaceDetailFn m_pGetDeviceInterfaceDetail = nullptr;
    GetDeviceRegistryPropertyFn m_pGetDeviceRegistryProperty = nullptr;
    DestroyDeviceInfoListFn m_pDestroyDeviceInfoList = nullptr;
};

} // namespace dax
