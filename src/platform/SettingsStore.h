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
    // False when the value could not be kept; WriteError() then says where and why.
    virtual bool WriteInt(const std::string& section, const std::string& value, int32_t data) = 0;
    virtual std::string WriteError() const { return {}; }
};

} // namespace dax
