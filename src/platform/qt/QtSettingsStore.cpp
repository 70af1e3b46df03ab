#include "platform/qt/QtSettingsStore.h"

#include "platform/LocalFile.h"

#include <QStandardPaths>

namespace dax {

namespace {
QString Key(const std::string& section, const std::string& value) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(value);
}
} // namespace

std::string QtSettingsStore::DefaultPath() {
    // Where QSettings keeps the native settings of "Korvix"/"Daxtool" on Linux; named
    // explicitly, so that only this file is read (no organisation-wide or system fallbacks,
    // each of which could be a FIFO too).
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/Korvix/Daxtool.conf";
}

QtSettingsStore::QtSettingsStore() : QtSettingsStore(DefaultPath()) {}

QtSettingsStore::QtSettingsStore(const std::string& path) : m_strPath(path) {
    // QSettings reads the file as it is made, with a blocking open.
    if (const std::string kind = NotARegularFile(m_strPath); !kind.empty()) {
        m_strProblem = "The settings file " + m_strPath + " is " + kind +
                       ", not a regular file; remove it or set XDG_CONFIG_HOME elsewhere";
        return;
    }
    m_settings =
        std::make_unique<QSettings>(QString::fromStdString(m_strPath), QSettings::IniFormat);
}

QtSettingsStore::~QtSettingsStore() = default;

int32_t QtSettingsStore::GetInt(const std::string& section, const std::string& value,
                                int32_t defaultValue) {
    if (!m_settings)
        return defaultValue;
    bool ok = false;
    const int v = m_settings->value(Key(section, value), defaultValue).toInt(&ok);
    return ok ? v : defaultValue;
}

bool QtSettingsStore::WriteInt(const std::string& section, const std::string& value, int32_t data) {
    if (!m_settings) {
        m_strWriteError = m_strProblem;
        return false;
    }
    // The file may have become something else since it was read.
    if (const std::string kind = NotARegularFile(m_strPath); !kind.empty()) {
        m_strWriteError = m_strPath + " is " + kind + ", not a regular file";
        return false;
    }
    m_settings->setValue(Key(section, value), data);
    m_settings->sync();
    switch (m_settings->status()) {
    case QSettings::NoError:
        m_strWriteError.clear();
        return true;
    case QSettings::AccessError:
        m_strWriteError = m_strPath + " cannot be written";
        break;
    case QSettings::FormatError:
        m_strWriteError = m_strPath + " is not a settings file";
        break;
    }
    return false;
}

} // namespace dax
