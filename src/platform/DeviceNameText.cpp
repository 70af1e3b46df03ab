#include "platform/DeviceNameText.h"

#include "platform/DeviceNames.h"

#include <algorithm>
#include <cctype>

namespace dax {

namespace device_name_text {

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string stripDevicePrefix(const std::string& path) {
    static const std::string prefix = "\\\\.\\";
    if (path.compare(0, prefix.size(), prefix) == 0)
        return path.substr(prefix.size());
    return path;
}

std::optional<int> parseNumber(const std::string& s, int min, int max) {
    if (s.empty() || s.size() > 3 || (s.size() > 1 && s[0] == '0') ||
        !std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); }))
        return std::nullopt;
    const int n = std::stoi(s);
    if (n < min || n > max)
        return std::nullopt;
    return n;
}

} // namespace device_name_text

using namespace device_name_text;

std::optional<int> DeviceNames::parseComPath(const std::string& windowsPath) {
    const std::string name = stripDevicePrefix(windowsPath);
    if (name.size() < 4 || lower(name.substr(0, 3)) != "com")
        return std::nullopt;
    return parseNumber(name.substr(3), 1, kMaxComPort);
}

std::optional<int> DeviceNames::parseLptPath(const std::string& windowsPath) {
    const std::string name = lower(stripDevicePrefix(windowsPath));
    if (name == "lpt1" || name == "lpt2")
        return name[3] - '0';
    return std::nullopt;
}

} // namespace dax
