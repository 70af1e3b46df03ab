#include "ui/qt/QtText.h"

#include "app/Latin1Text.h"

namespace dax {

QString ToQt(const std::string& text) {
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

std::string FromQt(const QString& text) {
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (const QChar c : text)
        bytes.push_back(Latin1Byte(c.unicode()));
    return bytes;
}

} // namespace dax
