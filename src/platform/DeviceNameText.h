#pragma once

#include <optional>
#include <string>

// Text rules that every system's device names share: the "\\.\" prefix, case, port numbers.
namespace dax::device_name_text {

std::string lower(std::string s);

// "\\.\COM3" -> "COM3"; any other text as it is.
std::string stripDevicePrefix(const std::string& path);

// Decimal number without sign or leading zero, within min..max.
std::optional<int> parseNumber(const std::string& s, int min, int max);

} // namespace dax::device_name_text
