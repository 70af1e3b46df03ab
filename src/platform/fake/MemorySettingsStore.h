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
    bool WriteInt(const std::string& section, const std::string& value, int32_t data) override {
        writes++;
        if (readOnly)
            return false;
        values[{section, value}] = data;
        return true;
    }
    std::string WriteError() const override {
        return readOnly ? "the settings file is read-only" : "";
    }
    std::map<std::pair<std::string, std::string>, int32_t> values;
    int writes = 0;
    bool readOnly = false; // every write fails
};

} // namespace dax
