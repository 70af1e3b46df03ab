#pragma once

#include "platform/SettingsStore.h"

#include <QSettings>
#include <memory>
#include <string>

namespace dax {

// Settings kept where the platform keeps per-user settings of "Korvix"/"Daxtool": the INI file
// $XDG_CONFIG_HOME/Korvix/Daxtool.conf (~/.config when unset).
class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    // The settings in the INI file at `path`.
    explicit QtSettingsStore(const std::string& path);
    ~QtSettingsStore() override;

    // The settings file's path.
    static std::string DefaultPath();
    const std::string& Path() const { return m_strPath; }
    // Empty when the file can be used; else why not, naming it. Something other than a regular
    // file at the path (a FIFO would hold the program before it starts) is never opened: every
    // value reads as its default and nothing is written.
    const std::string& Problem() const { return m_strProblem; }

    int32_t GetInt(const std::string& section, const std::string& value,
                   int32_t defaultValue) override;
    bool WriteInt(const std::string& section, const std::string& value, int32_t data) override;
    std::string WriteError() const override { return m_strWriteError; }

private:
    std::string m_strPath;
    std::string m_strProblem;
    std::string m_strWriteError;
    std::unique_ptr<QSettings> m_settings;
};

} // namespace dax
