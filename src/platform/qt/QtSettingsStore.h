#pragma once

#include "platform/SettingsStore.h"

#include <QSettings>

namespace dax {

// Settings kept where the platform keeps per-user settings of "Korvix"/"Daxtool" (an INI
// file under $XDG_CONFIG_HOME on Linux).
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    int32_t GetInt(const std::string& section, const std::string& value,
                   int32_t defaultValue) override;
    void WriteInt(const std::string& section, const std::string& value, int32_t data) override;

private:
    QSettings m_settings;
};

} // namespace dax
