#include "platform/posix/SerialPortFacts.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace dax {

// Helpers in a named namespace: the platform files are built together and share no local names.
namespace serial_facts {

std::string realPath(const std::string& path) {
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf) == nullptr)
        return {};
    return buf;
}

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

std::string attribute(const std::string& path) {
    std::ifstream in(path);
    std::string value;
    std::getline(in, value);
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back())))
        value.pop_back();
    return value;
}

bool exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

std::string linkText(const std::string& path) {
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, size_t(n)) : std::string();
}

// The USB device above a tty's device, and the interface on the way there.
void readUsb(const std::string& deviceDir, SerialNodeFacts& f) {
    std::string dir = deviceDir;
    std::string interfaceDir;
    for (int up = 0; up < 6 && !dir.empty(); ++up, dir = parentOf(dir)) {
        if (interfaceDir.empty() && exists(dir + "/bInterfaceNumber"))
            interfaceDir = dir;
        if (!exists(dir + "/idVendor"))
            continue;
        f.usbVendorId = attribute(dir + "/idVendor");
        f.usbProductId = attribute(dir + "/idProduct");
        f.manufacturer = attribute(dir + "/manufacturer");
        f.product = attribute(dir + "/product");
        f.serial = attribute(dir + "/serial");
        f.usbPosition = baseName(dir);
        const std::string interfaces = attribute(dir + "/bNumInterfaces");
        if (!interfaceDir.empty() && !interfaces.empty() && std::atoi(interfaces.c_str()) > 1)
            f.usbInterface = attribute(interfaceDir + "/bInterfaceNumber");
        return;
    }
}

std::string byIdOf(const DeviceEnvironment& env, const std::string& node) {
    const std::string dir = env.devRoot + "/serial/by-id";
    std::vector<std::string> names;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.')
                names.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        if (realPath(dir + "/" + name) == node)
            return dir + "/" + name;
    return {};
}

// A character device as sysfs knows it, by its device number.
void describeCharDevice(const DeviceEnvironment& env, const struct stat& st, SerialNodeFacts& f) {
    const unsigned maj = major(st.st_rdev), mnr = minor(st.st_rdev);
    const std::string number = std::to_string(maj) + ":" + std::to_string(mnr);
    const std::string record = realPath(env.sysfsRoot + "/dev/char/" + number);
    if (record.empty()) {
        // Pseudo-terminals have no sysfs record; their numbers are fixed (136 to 143).
        if (maj >= 136 && maj <= 143) {
            f.kind = SerialNodeFacts::Kind::PseudoTerminal;
            f.what = "pseudo-terminal";
        } else {
            f.kind = SerialNodeFacts::Kind::Unknown;
            f.what = "character device " + number + " the system has no record of";
        }
        return;
    }
    f.kernelName = baseName(record);
    const std::string subsystem = baseName(realPath(record + "/subsystem"));
    const std::string device = realPath(record + "/device");
    // A terminal without a device behind it is a console or a virtual terminal, no port.
    if (subsystem != "tty" || device.empty()) {
        f.kind = SerialNodeFacts::Kind::NotSerial;
        f.what = "character device " + number + " (" +
                 (subsystem.empty() ? std::string() : subsystem + " ") + f.kernelName + ")";
        return;
    }
    f.kind = SerialNodeFacts::Kind::Serial;
    // The serial core's own port and controller devices stand between a UART's tty and the
    // driver that found it: that one says what the port is.
    std::string holder = device;
    for (int up = 0; up < 3 && !holder.empty(); ++up, holder = parentOf(holder)) {
        const std::string driver = realPath(holder + "/driver");
        f.driver = baseName(driver);
        if (driver.find("/bus/serial-base/") == std::string::npos)
            break;
    }
    f.what = f.kernelName + (f.driver.empty() ? "" : ", " + f.driver);
    readUsb(device, f);
    f.byId = byIdOf(env, f.node);
}

bool sameNode(const std::string& a, const std::string& b) {
    const std::string ra = realPath(a);
    return !ra.empty() && ra == realPath(b);
}

std::string comEntry(const DeviceNames& names, int number) {
    if (names.directory().empty())
        return {};
    return names.directory() + "/com" + std::to_string(number);
}

} // namespace serial_facts

SerialNodeFacts DescribeNode(const DeviceEnvironment& env, const std::string& path) {
    SerialNodeFacts f;
    f.node = serial_facts::realPath(path);
    struct stat st;
    if (f.node.empty() || ::stat(f.node.c_str(), &st) != 0) {
        f.node = path;
        f.kind = SerialNodeFacts::Kind::Missing;
        f.what = "does not exist";
        return f;
    }
    if (S_ISCHR(st.st_mode)) {
        serial_facts::describeCharDevice(env, st, f);
        return f;
    }
    f.kind = SerialNodeFacts::Kind::NotSerial;
    f.what = S_ISREG(st.st_mode)    ? "a regular file"
             : S_ISDIR(st.st_mode)  ? "a folder"
             : S_ISFIFO(st.st_mode) ? "a FIFO"
             : S_ISBLK(st.st_mode)  ? "a block device"
             : S_ISSOCK(st.st_mode) ? "a socket"
                                    : "no device";
    return f;
}

std::optional<ComPortFacts> DescribeComPort(const DeviceNames& names, int number) {
    const auto node = names.resolveCom(number);
    if (!node)
        return std::nullopt;
    ComPortFacts port;
    port.number = number;
    const std::string entry = serial_facts::comEntry(names, number);
    struct stat st;
    if (!entry.empty() && ::lstat(entry.c_str(), &st) == 0) {
        port.entry = entry;
        if (S_ISLNK(st.st_mode))
            port.linkTarget = serial_facts::linkText(entry);
    } else if (!serial_facts::exists(*node)) {
        return std::nullopt; // a default name with no node behind it
    }
    port.facts = DescribeNode(names.environment(), *node);
    return port;
}

std::vector<ComPortFacts> DescribeComPorts(const DeviceNames& names) {
    std::vector<ComPortFacts> ports;
    for (int n = 1; n <= DeviceNames::kMaxComPort; ++n)
        if (auto port = DescribeComPort(names, n))
            ports.push_back(std::move(*port));
    return ports;
}

std::optional<int> ComNumberOfNode(const DeviceNames& names, const std::string& path) {
    if (serial_facts::realPath(path).empty())
        return std::nullopt;
    std::optional<int> byDefault;
    for (int n = 1; n <= DeviceNames::kMaxComPort; ++n) {
        const auto node = names.resolveCom(n);
        if (!node || !serial_facts::sameNode(*node, path))
            continue;
        struct stat st;
        const std::string entry = serial_facts::comEntry(names, n);
        if (!entry.empty() && ::lstat(entry.c_str(), &st) == 0)
            return n; // pinned: the number the technician chose
        if (!byDefault)
            byDefault = n;
    }
    return byDefault;
}

PinResult PinComPort(const DeviceNames& names, int number, const std::string& node) {
    PinResult r;
    const std::string port = "COM" + std::to_string(number);
    r.entry = serial_facts::comEntry(names, number);
    if (number < 1 || number > DeviceNames::kMaxComPort || r.entry.empty()) {
        r.message = r.entry.empty() ? "there is no device directory (no $HOME)"
                                    : port + " is no COM port (COM1-COM256)";
        return r;
    }
    const SerialNodeFacts facts = DescribeNode(names.environment(), node);
    if (!facts.IsPort()) {
        r.outcome = PinResult::Outcome::NotSerial;
        r.message = node + " is not a serial device: " +
                    (facts.node != node && facts.kind != SerialNodeFacts::Kind::Missing
                         ? facts.node + " is "
                         : std::string()) +
                    facts.what;
        return r;
    }
    // A link the user named (a by-id or udev name) is kept as named; a node is pinned by the
    // by-id name that leads to it, which stays the same when the adapter moves to another
    // socket or is plugged in after another one.
    struct stat st;
    std::error_code ec;
    const std::string given = std::filesystem::absolute(node, ec).lexically_normal().string();
    if (::lstat(node.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        r.target = given;
    else
        r.target = facts.byId.empty() ? given : facts.byId;

    if (::lstat(r.entry.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            r.outcome = PinResult::Outcome::EntryInTheWay;
            r.message = r.entry + " is there and is not a link: it is left as it is";
            return r;
        }
        r.previous = serial_facts::linkText(r.entry);
        if (r.previous == r.target) {
            r.outcome = PinResult::Outcome::Unchanged;
            r.message = port + " already leads to " + r.target;
            return r;
        }
    } else if (errno != ENOENT) {
        r.message = r.entry + ": " + std::strerror(errno);
        return r;
    }

    std::filesystem::create_directories(names.directory(), ec);
    // The new link is made aside and renamed over the old one, so the entry is never missing.
    const std::string temporary =
        names.directory() + "/.com" + std::to_string(number) + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(r.target.c_str(), temporary.c_str()) != 0 ||
        ::rename(temporary.c_str(), r.entry.c_str()) != 0) {
        r.message = r.entry + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return r;
    }
    r.outcome = PinResult::Outcome::Pinned;
    r.message = port + " -> " + r.target +
                (r.target != facts.node ? " (" + facts.node + ")" : std::string()) +
                (r.previous.empty() ? std::string() : ", was " + r.previous);
    return r;
}

} // namespace dax
