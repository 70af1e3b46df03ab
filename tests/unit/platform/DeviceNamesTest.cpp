#include "platform/DeviceNames.h"

#include "unit/platform/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>

using namespace dax;
using dax::test::TempDir;

namespace {

const std::string kUsbClass = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// A system with a few default nodes, one USB printer in sysfs and nothing else.
struct FakeSystem {
    TempDir root;
    DeviceEnvironment env;

    FakeSystem() {
        env.sysfsRoot = root / "sys";
        env.devRoot = root / "dev";
        env.home = root / "home";
        for (const char* node : {"ttyS0", "ttyS2", "ttyUSB0", "ttyACM31", "lp0", "usb/lp0"})
            root.touch(std::string("dev/") + node);
    }
    std::string dev(const std::string& node) const { return root / ("dev/" + node); }
    std::string configDir() const { return root / "home/.config/Korvix/devices"; }

    // sysfs as the kernel lays it out: the class entry links into the interface's folder, whose
    // parent USB device carries the identifiers.
    void addUsbPrinter(const std::string& lp, const std::string& usbDev, const std::string& vid,
                       const std::string& pid, const char* serial) {
        const std::string dev = "sys/devices/pci0/usb1/" + usbDev;
        const std::string intf = dev + "/" + usbDev + ":1.0";
        root.touch(dev + "/idVendor", vid + "\n");
        root.touch(dev + "/idProduct", pid + "\n");
        if (serial)
            root.touch(dev + "/serial", std::string(serial) + "\n");
        std::filesystem::create_directories(root / (intf + "/usbmisc/" + lp));
        root.link(intf + "/usbmisc/" + lp + "/device", "../../../" + usbDev + ":1.0");
        root.link("sys/class/usbmisc/" + lp, "../../" + intf.substr(4) + "/usbmisc/" + lp);
    }
};

} // namespace

TEST(DeviceNames, DefaultsAndConfigEntriesResolveComAndLpt) {
    FakeSystem sys;
    TempDir targets;
    const std::string pinned = targets.touch("by-id-adapter");
    sys.root.link("home/.config/Korvix/devices/com2", pinned);
    sys.root.link("home/.config/Korvix/devices/com3", targets / "gone"); // overrides ttyS2
    sys.root.touch("home/.config/Korvix/devices/com100");
    sys.root.link("home/.config/Korvix/devices/lpt2", pinned);
    sys.root.touch("home/.config/Korvix/devices/com0"); // not a valid entry name
    sys.root.touch("home/.config/Korvix/devices/com257");

    DeviceNames names(sys.env);
    EXPECT_FALSE(names.isolated());
    EXPECT_EQ(names.directory(), sys.configDir());
    EXPECT_EQ(names.resolveCom(1), sys.dev("ttyS0"));
    EXPECT_EQ(names.resolveCom(2), pinned);
    EXPECT_EQ(names.resolveCom(32), sys.dev("ttyS31")); // mapped even while absent
    EXPECT_EQ(names.resolveCom(33), sys.dev("ttyUSB0"));
    EXPECT_EQ(names.resolveCom(65), sys.dev("ttyACM0"));
    EXPECT_EQ(names.resolveCom(96), sys.dev("ttyACM31"));
    EXPECT_EQ(names.resolveCom(97), std::nullopt);
    EXPECT_EQ(names.resolveCom(100), sys.configDir() + "/com100");
    EXPECT_EQ(names.resolveCom(0), std::nullopt);
    EXPECT_EQ(names.resolveCom(257), std::nullopt);
    EXPECT_EQ(names.resolveLpt(1), sys.dev("lp0"));
    EXPECT_EQ(names.resolveLpt(2), pinned);
    EXPECT_EQ(names.resolveLpt(3), std::nullopt);

    // Only present nodes count; the dangling com3 entry hides the default ttyS2.
    const std::vector<ComPortNode> expected = {{1, sys.dev("ttyS0")},
                                               {2, pinned},
                                               {33, sys.dev("ttyUSB0")},
                                               {96, sys.dev("ttyACM31")},
                                               {100, sys.configDir() + "/com100"}};
    EXPECT_EQ(names.listComPorts(), expected);

    EXPECT_EQ(names.resolvePath("\\\\.\\COM2"), pinned);
    EXPECT_EQ(names.resolvePath("com33"), sys.dev("ttyUSB0"));
    EXPECT_EQ(names.resolvePath("\\\\.\\lpt1"), sys.dev("lp0"));
    EXPECT_EQ(names.resolvePath("LPT2"), pinned);
    for (const char* bad : {"COM02", "COM", "COM1x", "\\\\.\\COM-1", "LPT3", "/dev/ttyS0", ""})
        EXPECT_EQ(names.resolvePath(bad), std::nullopt) << bad;
}

TEST(DeviceNames, ConfigDirectoryFollowsXdgConfigHome) {
    FakeSystem sys;
    sys.env.xdgConfigHome = sys.root / "xdg";
    EXPECT_EQ(DeviceNames(sys.env).directory(), sys.root / "xdg/Korvix/devices");
    sys.env.xdgConfigHome = "relative/xdg"; // invalid: falls back to the home folder
    EXPECT_EQ(DeviceNames(sys.env).directory(), sys.configDir());
}

TEST(DeviceNames, DeviceDirectoryAloneSaysWhatExists) {
    FakeSystem sys;
    sys.addUsbPrinter("lp0", "1-1", "044e", "200a", "S1");
    TempDir devices, other;
    const std::string node = devices.touch("nodes/pts7");
    devices.link("com7", node);
    devices.link("usb/vid_044e&pid_200a#SIM0", node);
    sys.env.deviceDir = devices.path();

    DeviceNames names(sys.env);
    EXPECT_TRUE(names.isolated());
    EXPECT_EQ(names.resolveCom(1), std::nullopt); // the system's ttyS0 is not looked at
    EXPECT_EQ(names.resolveLpt(1), std::nullopt);
    EXPECT_EQ(names.resolveCom(7), node);
    EXPECT_EQ(names.listComPorts(), (std::vector<ComPortNode>{{7, node}}));
    EXPECT_EQ(
        names.listUsbPrinters(),
        (std::vector<UsbPrinterNode>{{"\\\\?\\usb#vid_044e&pid_200a#SIM0" + kUsbClass, node}}));

    // The caller's directory wins over the environment's.
    DeviceNames cli(sys.env, other.path());
    EXPECT_EQ(cli.directory(), other.path());
    EXPECT_EQ(cli.resolveCom(7), std::nullopt);
    EXPECT_TRUE(cli.listUsbPrinters().empty());
}

TEST(DeviceNames, UsbPrintersFromSysfsThenDirectoryEntriesInNameOrder) {
    FakeSystem sys;
    sys.addUsbPrinter("lp10", "2-1", "047E", "1001", nullptr); // no serial: bus position
    sys.addUsbPrinter("lp0", "1-1", "044e", "200a", "AB#12 x");
    sys.addUsbPrinter("lp2", "1-2", "1293", "0002", "P2"); // no node in /dev: not present
    sys.root.touch("dev/usb/lp10");
    sys.root.touch("sys/class/usbmisc/hiddev0");
    const std::string n1 = sys.root.touch("dev/pts/1");
    const std::string n0 = sys.root.touch("dev/pts/0");
    sys.root.link("home/.config/Korvix/devices/usb/vid_044e&pid_200a#SIM1", n1);
    sys.root.link("home/.config/Korvix/devices/usb/vid_044e&pid_200a#SIM0", n0);
    sys.root.link("home/.config/Korvix/devices/usb/vid_044e&pid_200a#GONE", sys.root / "nothing");

    DeviceNames names(sys.env);
    const std::vector<UsbPrinterNode> expected = {
        {"\\\\?\\usb#vid_044e&pid_200a#AB_12_x" + kUsbClass, sys.dev("usb/lp0")},
        {"\\\\?\\usb#vid_047e&pid_1001#2-1" + kUsbClass, sys.dev("usb/lp10")},
        {"\\\\?\\usb#vid_044e&pid_200a#SIM0" + kUsbClass, n0},
        {"\\\\?\\usb#vid_044e&pid_200a#SIM1" + kUsbClass, n1},
    };
    EXPECT_EQ(names.listUsbPrinters(), expected);
    EXPECT_EQ(names.resolvePath("\\\\?\\USB#VID_044E&PID_200A#SIM1" + kUsbClass), n1);
    EXPECT_EQ(names.resolvePath("\\\\?\\usb#vid_044e&pid_200a#SIM9" + kUsbClass), std::nullopt);
}

TEST(DeviceNames, OpenErrorsSayWhatToDo) {
    TempDir dir;
    const std::string node = dir.touch("ttyS4");
    const std::string denied = DeviceNames::describeOpenError("\\\\.\\COM5", node, EACCES);
    EXPECT_NE(denied.find("\\\\.\\COM5 (" + node + ")"), std::string::npos) << denied;
    EXPECT_NE(denied.find("dialout"), std::string::npos) << denied;
    EXPECT_EQ(DeviceNames::describeOpenError("\\\\.\\COM5", node, ENOENT),
              "\\\\.\\COM5 (" + node + "): no such port");
}
