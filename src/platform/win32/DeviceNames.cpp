#include "platform/DeviceNames.h"

#include "platform/DeviceNameText.h"
#include "platform/win32/UsbDeviceList.h"

#include <algorithm>
#include <cctype>
#include <windows.h>

namespace dax {

using namespace device_name_text;

// On Windows the program's device names are the system's own: COMn is COMn, served by whatever
// the system has behind it. There is no device directory; the environment is not consulted.

namespace {

// The system's target of an MS-DOS device name ("\Device\Serial0"), none when it has no such
// device now.
std::optional<std::string> dosDeviceTarget(const std::string& name) {
    char target[1024];
    const DWORD n = ::QueryDosDeviceA(name.c_str(), target, sizeof target);
    if (n == 0)
        return std::nullopt;
    return std::string(target); // the first of the zero-separated targets
}

} // namespace

DeviceEnvironment DeviceEnvironment::fromProcess() {
    return {};
}

DeviceNames::DeviceNames(DeviceEnvironment env, std::optional<std::string>)
    : m_env(std::move(env)) {}

std::optional<std::string> DeviceNames::entry(const std::string&) const {
    return std::nullopt;
}

std::optional<std::string> DeviceNames::resolveCom(int number) const {
    if (number < 1 || number > kMaxComPort)
        return std::nullopt;
    return "\\\\.\\COM" + std::to_string(number);
}

std::optional<std::string> DeviceNames::resolveLpt(int number) const {
    if (number != 1 && number != 2)
        return std::nullopt;
    return "LPT" + std::to_string(number);
}

std::optional<std::string> DeviceNames::resolvePath(const std::string& windowsPath) const {
    if (auto com = parseComPath(windowsPath))
        return resolveCom(*com);
    if (auto lpt = parseLptPath(windowsPath))
        return resolveLpt(*lpt);
    if (lower(windowsPath).rfind("\\\\?\\usb#", 0) == 0)
        return windowsPath;
    return std::nullopt;
}

bool DeviceNames::isPresent(const std::string& node) const {
    // COM and LPT names are there when the system has them; a USB path when it can be found.
    if (parseComPath(node) || parseLptPath(node))
        return dosDeviceTarget(stripDevicePrefix(node)).has_value();
    return ::GetFileAttributesA(node.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<ComPortNode> DeviceNames::listComPorts() const {
    std::vector<ComPortNode> ports;
    for (int n = 1; n <= kMaxComPort; ++n)
        if (auto target = dosDeviceTarget("COM" + std::to_string(n)))
            ports.push_back({n, *target});
    return ports;
}

std::vector<UsbPrinterNode> DeviceNames::sysfsPrinters() const {
    return {};
}

std::vector<UsbPrinterNode> DeviceNames::listUsbPrinters() const {
    UsbDeviceList list;
    list.Enumerate();
    std::vector<UsbPrinterNode> printers;
    for (const std::string& path : list.GetEntries())
        printers.push_back({path, path});
    return printers;
}

std::string DeviceNames::describeOpenError(const std::string& windowsPath, const std::string& node,
                                           int err) {
    std::string text = windowsPath;
    if (!node.empty() && node != windowsPath)
        text += " (" + node + ")";
    switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return text + ": no such port";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return text + ": in use by another program";
    default:
        return text + ": system error " + std::to_string(err);
    }
}

std::string DeviceNames::describeOpenFailure(const std::string& windowsPath,
                                             const std::string& node, int err) const {
    // No device directory to tell more: the system's word is all there is.
    return describeOpenError(windowsPath, node, err);
}

} // namespace dax
