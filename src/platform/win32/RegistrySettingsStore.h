#pragma once

#include "platform/SettingsStore.h"

#include <string>

namespace dax {

// Settings as REG_DWORD values in the current user's registry:
// HKEY_CURRENT_USER\<key>\<section>, value by name. A value that is missing, or stored with
// another type or size, reads as the default.
class RegistrySettingsStore : public SettingsStore {
public:
    static constexpr char kDefaultKey[] = "Software\\Korvix\\Daxtool";

    explicit RegistrySettingsStore(std::string key = kDefaultKey) : m_strKey(std::move(key)) {}
    int32_t GetInt(const std::string& section, const std::string& value,
                   int32_t defaultValue) override;
    // Creates the keys as needed; false when the registry refuses.
    bool WriteInt(const std::string& section, const std::string& value, int32_t data) override;
    std::string WriteError() const override { return m_strWriteError; }

    const std::string& key() const { return m_strKey; }

private:
    std::string m_strKey;
    std::string m_strWriteError;
};

} // namespace dax
