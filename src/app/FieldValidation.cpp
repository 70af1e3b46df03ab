#include "app/FieldValidation.h"

#include "app/DialogStrings.h"
#include "platform/Format.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace dax {

namespace {

// Reads an edit control holding an integer; false when it holds none.
bool ParseInt(const std::string& text, int& value) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    value = int(v);
    return true;
}

} // namespace

bool IsPrintableAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return uint8_t(c) >= 0x20 && uint8_t(c) <= 0x7E; });
}

std::string CheckDeviceText(const std::string& text, size_t maxChars) {
    // The device would keep other bytes and give them back garbled.
    if (!IsPrintableAscii(text))
        return kNotPrintableAscii;
    return CheckTextLength(text, maxChars);
}

std::string CheckTextLength(const std::string& text, size_t maxChars) {
    if (text.size() > maxChars)
        return Format(kTooManyCharacters, int(maxChars));
    return {};
}

std::string CheckBeeps(const std::string& text, int& beeps) {
    int value = 0;
    if (!ParseInt(text, value))
        return kNotAnInteger;
    if (value < kMinBeeps || value > kMaxBeeps)
        return Format(kIntegerRange, kMinBeeps, kMaxBeeps);
    beeps = value;
    return {};
}

} // namespace dax
