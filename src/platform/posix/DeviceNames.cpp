#include "platform/DeviceNames.h"

#include "platform/DeviceNameText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace dax {

using namespace device_name_text;

namespace {

std::optional<std::string> envValue(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr)
        return std::nullopt;
    return std::string(v);
}

bool present(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// A port is a device node (or, for the simulator and tests, a file or a pseudo-terminal); a
// folder in the device directory is never one.
bool presentPort(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// A directory entry as the node to open: a link is followed to its target so that messages and
// listings name the real device; a dangling link stays as it is (opening it then fails plainly).
std::string nodeOf(const std::string& entryPath, const struct stat& st) {
    if (!S_ISLNK(st.st_mode))
        return entryPath;
    char buf[PATH_MAX];
    if (::realpath(entryPath.c_str(), buf) != nullptr)
        return buf;
    return entryPath;
}

std::vector<std::string> listDir(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return names;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] != '.')
            names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAttribute(const std::string& path) {
    std::ifstream in(path);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
        value.pop_back();
    return value;
}

bool isHex4(const std::string& s) {
    return s.size() == 4 &&
           std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isxdigit(c); });
}

// A serial number becomes one segment of the interface path: '#', slashes and anything not
// printable would split or corrupt it.
std::string pathSegment(const std::string& s) {
    std::string out;
    for (unsigned char c : s)
        out += (c > 0x20 && c < 0x7f && c != '#' && c != '\\' && c != '/') ? char(c) : '_';
    return out;
}

} // namespace

DeviceEnvironment DeviceEnvironment::fromProcess() {
    DeviceEnvironment env;
    env.deviceDir = envValue("DAXTOOL_DEVICE_DIR");
    env.xdgConfigHome = envValue("XDG_CONFIG_HOME");
    env.home = envValue("HOME");
    if (!env.home || env.home->empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
            env.home = std::string(pw->pw_dir);
    }
    return env;
}

DeviceNames::DeviceNames(DeviceEnvironment env, std::optional<std::string> explicitDir)
    : m_env(std::move(env)) {
    if (explicitDir && !explicitDir->empty()) {
        m_strDir = *explicitDir;
        m_bIsolated = true;
    } else if (m_env.deviceDir && !m_env.deviceDir->empty()) {
        m_strDir = *m_env.deviceDir;
        m_bIsolated = true;
    } else if (m_env.xdgConfigHome && !m_env.xdgConfigHome->empty() &&
               m_env.xdgConfigHome->front() == '/') {
        // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
        m_strDir = *m_env.xdgConfigHome + "/Korvix/devices";
    } else if (m_env.home && !m_env.home->empty()) {
        m_strDir = *m_env.home + "/.config/Korvix/devices";
    }
}

std::optional<std::string> DeviceNames::entry(const std::string& name) const {
    if (m_strDir.empty())
        return std::nullopt;
    const std::string path = m_strDir + "/" + name;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return nodeOf(path, st);
}

std::optional<std::string> DeviceNames::resolveCom(int number) const {
    if (number < 1 || number > kMaxComPort)
        return std::nullopt;
    if (auto e = entry("com" + std::to_string(number)))
        return e;
    if (m_bIsolated)
        return std::nullopt;
    const std::string& dev = m_env.devRoot;
    if (number <= 32)
        return dev + "/ttyS" + std::to_string(number - 1);
    if (number <= 64)
        return dev + "/ttyUSB" + std::to_string(number - 33);
    if (number <= 96)
        return dev + "/ttyACM" + std::to_string(number - 65);
    return std::nullopt;
}

std::optional<std::string> DeviceNames::resolveLpt(int number) const {
    if (number != 1 && number != 2)
        return std::nullopt;
    if (auto e = entry("lpt" + std::to_string(number)))
        return e;
    if (m_bIsolated)
        return std::nullopt;
    return m_env.devRoot + "/lp" + std::to_string(number - 1);
}

std::optional<std::string> DeviceNames::resolvePath(const std::string& windowsPath) const {
    if (windowsPath.compare(0, 4, "\\\\?\\") == 0) {
        const std::string wanted = lower(windowsPath);
        for (const UsbPrinterNode& p : listUsbPrinters()) {
            if (lower(p.interfacePath) == wanted)
                return p.node;
        }
        return std::nullopt;
    }
    if (auto com = parseComPath(windowsPath))
        return resolveCom(*com);
    if (auto lpt = parseLptPath(windowsPath))
        return resolveLpt(*lpt);
    return std::nullopt;
}

bool DeviceNames::isPresent(const std::string& node) const {
    return presentPort(node);
}

std::vector<ComPortNode> DeviceNames::listComPorts() const {
    std::vector<ComPortNode> ports;
    for (int n = 1; n <= kMaxComPort; ++n) {
        auto node = resolveCom(n);
        if (node && presentPort(*node))
            ports.push_back({n, *node});
    }
    return ports;
}

std::vector<UsbPrinterNode> DeviceNames::sysfsPrinters() const {
    const std::string classDir = m_env.sysfsRoot + "/class/usbmisc";
    std::vector<std::pair<int, std::string>> lps;
    for (const std::string& name : listDir(classDir)) {
        if (name.size() > 2 && name.compare(0, 2, "lp") == 0)
            if (auto n = parseNumber(name.substr(2), 0, 999))
                lps.emplace_back(*n, name);
    }
    std::sort(lps.begin(), lps.end());

    std::vector<UsbPrinterNode> printers;
    for (const auto& [n, name] : lps) {
        // The class entry leads to the printer interface; its parent is the USB device that
        // carries the identifiers.
        char buf[PATH_MAX];
        if (::realpath((classDir + "/" + name + "/device").c_str(), buf) == nullptr)
            continue;
        std::string dir = buf;
        std::string usbDevice;
        for (int up = 0; up < 4 && usbDevice.empty(); ++up) {
            if (present(dir + "/idVendor"))
                usbDevice = dir;
            else if (const auto slash = dir.rfind('/'); slash != std::string::npos && slash > 0)
                dir.erase(slash);
            else
                break;
        }
        if (usbDevice.empty())
            continue;
        const std::string vid = lower(readAttribute(usbDevice + "/idVendor"));
        const std::string pid = lower(readAttribute(usbDevice + "/idProduct"));
        if (!isHex4(vid) || !isHex4(pid))
            continue;
        std::string serial = pathSegment(readAttribute(usbDevice + "/serial"));
        if (serial.empty()) // no serial: the bus position stands in as the instance
            serial = pathSegment(usbDevice.substr(usbDevice.rfind('/') + 1));
        const std::string node = m_env.devRoot + "/usb/" + name;
        if (!present(node))
            continue;
        printers.push_back(
            {"\\\\?\\usb#vid_" + vid + "&pid_" + pid + "#" + serial + "#" + kUsbDeviceClass, node});
    }
    return printers;
}

std::vector<UsbPrinterNode> DeviceNames::listUsbPrinters() const {
    std::vector<UsbPrinterNode> printers;
    if (!m_bIsolated)
        printers = sysfsPrinters();
    if (m_strDir.empty())
        return printers;
    const std::string usbDir = m_strDir + "/usb";
    for (const std::string& name : listDir(usbDir)) {
        const std::string path = usbDir + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        const std::string node = nodeOf(path, st);
        if (present(node))
            printers.push_back({"\\\\?\\usb#" + name + "#" + kUsbDeviceClass, node});
    }
    return printers;
}

std::string DeviceNames::describeOpenError(const std::string& windowsPath, const std::string& node,
                                           int err) {
    std::string text = windowsPath;
    if (!node.empty())
        text += " (" + node + ")";
    switch (err) {
    case EACCES:
    case EPERM: {
        std::string owner;
        struct stat st;
        if (!node.empty() && ::stat(node.c_str(), &st) == 0) {
            if (const struct group* g = ::getgrgid(st.st_gid);
                g != nullptr && g->gr_name != nullptr)
                owner = g->gr_name;
        }
        if (owner.empty() || owner == "root" || owner == "dialout")
            return text + ": permission denied; add your user to the 'dialout' group "
                          "(sudo usermod -aG dialout $USER) and log in again";
        return text + ": permission denied; " + node + " belongs to the group '" + owner +
               "' ('dialout' on most systems): add your user to it (sudo usermod -aG " + owner +
               " $USER) and log in again";
    }
    case ENOENT:
        return text + ": no such port";
    case EBUSY:
        return text + ": in use by another program";
    case ENOTTY:
        return text + ": not a serial device";
    default:
        return text + ": " + std::error_code(err, std::generic_category()).message();
    }
}

std::string DeviceNames::describeOpenFailure(const std::string& windowsPath,
                                             const std::string& node, int err) const {
    if (err != ENOENT)
        return describeOpenError(windowsPath, node, err);
    if (node.empty()) {
        const auto com = parseComPath(windowsPath);
        if (com && !m_strDir.empty())
            return windowsPath + ": no such port (" + m_strDir + " has no com" +
                   std::to_string(*com) + ")";
        return windowsPath + ": no such port";
    }
    struct stat st;
    char target[PATH_MAX];
    if (::lstat(node.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        const ssize_t n = ::readlink(node.c_str(), target, sizeof target - 1);
        target[n > 0 ? n : 0] = '\0';
        return windowsPath + " (" + node + "): dangling link to " + target +
               ", which does not exist";
    }
    return windowsPath + " (" + node + "): no such device node";
}

} // namespace dax
