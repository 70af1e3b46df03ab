#include "app/FieldValidation.h"

#include "app/DialogStrings.h"
#include "app/IntegerField.h"
#include "platform/Format.h"

#include <algorithm>
#include <cstdint>

namespace dax {

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
    return ReadIntegerField(text, kMinBeeps, kMaxBeeps, beeps);
}

} // namespace dax
