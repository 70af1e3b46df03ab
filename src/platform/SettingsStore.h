#pragma once

#include <cstdint>
#include <string>

namespace dax {

// The program's per-user settings: 32-bit integers by section and value name.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int32_t GetInt(const std::string& section, const std::string& value,
                           int32_t defaultValue) = 0;
    virtual void WriteInt(const std::string& section, const std::string& value, int32_t data) = 0;
};

} // namespace dax
