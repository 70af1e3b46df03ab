#include "platform/qt/QtSettingsStore.h"

namespace dax {

namespace {
QString Key(const std::string& section, const std::string& value) {
    return QString::fromStdString(section) + "/" + QString::fromStdString(value);
}
} // namespace

QtSettingsStore::QtSettingsStore() : m_settings("Korvix", "Daxtool") {}

int32_t QtSettingsStore::GetInt(const std::string& section, const std::string& value,
                                int32_t defaultValue) {
    bool ok = false;
    const int v = m_settings.value(Key(section, value), defaultValue).toInt(&ok);
    return ok ? v : defaultValue;
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& value, int32_t data) {
    m_settings.setValue(Key(section, value), data);
    m_settings.sync();
}

} // namespace dax
