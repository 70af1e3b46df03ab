#pragma once

#include <string>

namespace dax::sim {

// A whole decimal number in [low, high]; nothing else (no sign, no blanks, no trailing text).
bool ParseNumber(const std::string& text, long low, long high, long& value);

// Zero-padded decimal field of the given width; values that do not fit show their low digits.
std::string Digits(long value, int width);

} // namespace dax::sim
