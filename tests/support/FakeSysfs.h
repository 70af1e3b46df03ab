#pragma once

// A system of its own under a temporary root: /dev and sysfs as the kernel lays them out for
// a USB serial adapter, for the code that reads what a node is.
#include "platform/DeviceNames.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace daxtest {

class FakeSysfs {
public:
    FakeSysfs() {
        std::string pattern = (std::filesystem::temp_directory_path() / "daxsys-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_root = pattern;
        env.home = path("home");
        env.sysfsRoot = path("sys");
        env.devRoot = path("dev");
        std::filesystem::create_directories(path("sys/class/tty"));
        std::filesystem::create_directories(path("dev"));
    }
    ~FakeSysfs() {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    std::string path(const std::string& name) const { return m_root + "/" + name; }
    std::string touch(const std::string& name, const std::string& content = {}) const {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        std::ofstream(path(name)) << content;
        return path(name);
    }
    void link(const std::string& name, const std::string& target) const {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        std::filesystem::create_symlink(target, path(name));
    }

    // A USB serial adapter whose tty has the device number `number` ("1:5": tests cannot make
    // device nodes, so a real one such as /dev/zero stands for the adapter's node). With
    // `byId`, /dev/serial/by-id/<byId> leads to `node`.
    void addUsbSerial(const std::string& number, const std::string& tty, const std::string& usbDev,
                      const std::string& vid, const std::string& pid, const std::string& serial,
                      const std::string& node, const std::string& byId = {}) {
        const std::string dev = "sys/devices/pci0/usb1/" + usbDev;
        const std::string intf = dev + "/" + usbDev + ":1.0";
        const std::string port = intf + "/" + tty;
        const std::string record = port + "/tty/" + tty;
        for (const auto& [file, text] : {std::pair{"idVendor", vid},
                                         {"idProduct", pid},
                                         {"manufacturer", std::string("FTDI")},
                                         {"product", std::string("FT232R USB UART")},
                                         {"serial", serial},
                                         {"bNumInterfaces", std::string(" 1")}})
            if (!text.empty())
                touch(dev + "/" + file, text + "\n");
        touch(intf + "/bInterfaceNumber", "00\n");
        touch("sys/bus/usb-serial/drivers/ftdi_sio/uevent");
        link(port + "/driver", path("sys/bus/usb-serial/drivers/ftdi_sio"));
        link(record + "/subsystem", path("sys/class/tty"));
        link(record + "/device", path(port));
        link("sys/dev/char/" + number, path(record));
        if (!byId.empty())
            link("dev/serial/by-id/" + byId, node);
    }
    // A character device of another class (/dev/null is mem's "null").
    void addOtherDevice(const std::string& number, const std::string& subsystem,
                        const std::string& name) {
        const std::string record = "sys/devices/virtual/" + subsystem + "/" + name;
        touch("sys/class/" + subsystem + "/.keep");
        touch(record + "/dev", number + "\n");
        link(record + "/subsystem", path("sys/class/" + subsystem));
        link("sys/dev/char/" + number, path(record));
    }

    // "1:5" for /dev/zero: the number sysfs files a real node under.
    static std::string DeviceNumber(const std::string& node) {
        struct stat st {};
        ::stat(node.c_str(), &st);
        return std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    }

    dax::DeviceEnvironment env;

private:
    std::string m_root;
};

} // namespace daxtest
