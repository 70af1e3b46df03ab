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
    // Creates the keys as needed; a write the registry refuses is lost, as a setting that could
    // not be kept.
    void WriteInt(const std::string& section, const std::string& value, int32_t data) override;

    const std::string& key() const { return m_strKey; }

private:
    std::string m_strKey;
};

} // namespace dax
