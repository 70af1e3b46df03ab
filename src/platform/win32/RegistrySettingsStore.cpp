#include "platform/win32/RegistrySettingsStore.h"

#include <windows.h>

namespace dax {

int32_t RegistrySettingsStore::GetInt(const std::string& section, const std::string& value,
                                      int32_t defaultValue) {
    HKEY key = nullptr;
    const std::string path = m_strKey + "\\" + section;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return defaultValue;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    const LONG rc = ::RegQueryValueExA(key, value.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&data), &size);
    ::RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_DWORD || size != sizeof data)
        return defaultValue;
    return static_cast<int32_t>(data);
}

bool RegistrySettingsStore::WriteInt(const std::string& section, const std::string& value,
                                     int32_t data) {
    HKEY key = nullptr;
    const std::string path = m_strKey + "\\" + section;
    LONG rc = ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (rc == ERROR_SUCCESS) {
        const DWORD dword = static_cast<DWORD>(data);
        rc = ::RegSetValueExA(key, value.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&dword), sizeof dword);
        ::RegCloseKey(key);
    }
    if (rc == ERROR_SUCCESS) {
        m_strWriteError.clear();
        return true;
    }
    m_strWriteError = "HKEY_CURRENT_USER\\" + path + ": registry error " + std::to_string(rc);
    return false;
}

} // namespace dax
