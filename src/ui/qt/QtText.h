#pragma once

#include <QString>
#include <string>

namespace dax {

// Device and dialog texts are bytes; Latin-1 keeps every byte as one character and back.
QString ToQt(const std::string& text);

// A character beyond Latin-1 becomes SUB, not the '?' the user never typed, so that the field
// validation refuses it.
std::string FromQt(const QString& text);

} // namespace dax
