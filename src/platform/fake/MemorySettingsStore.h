#pragma once

#include "platform/SettingsStore.h"

#include <map>
#include <string>
#include <utility>

namespace dax {

class MemorySettingsStore : public SettingsStore {
public:
    int32_t GetInt(const std::string& section, const std::string& value,
                   int32_t defaultValue) override {
        auto it = values.find({section, value});
        return it == values.end() ? defaultValue : it->second;
    }
    void WriteInt(const std::string& section, const std::string& value, int32_t data) override {
        values[{section, value}] = data;
        writes++;
    }
    std::map<std::pair<std::string, std::string>, int32_t> values;
    int writes = 0;
};

} // namespace dax
