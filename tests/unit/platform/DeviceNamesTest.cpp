#include "platform/DeviceNames.h"

#include "platform/posix/SerialPortFacts.h"
#include "support/FakeSysfs.h"
#include "support/Process.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using namespace dax;
namespace fs = std::filesystem;

namespace {

const std::string kUsbClass = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
const std::string kConfig = "home/.config/Korvix/devices";

// A system under a temporary root with a few default nodes and nothing else.
struct FakeSystem {
    daxtest::TempDir root;
    DeviceEnvironment env;

    FakeSystem() {
        env.home = path("home");
        env.sysfsRoot = path("sys");
        env.devRoot = path("dev");
        for (const char* node : {"ttyS0", "ttyS2", "ttyUSB0", "ttyACM31", "lp0", "usb/lp0"})
            touch(std::string("dev/") + node);
    }
    std::string path(const std::string& name) const { return root.Path() + "/" + name; }
    std::string dev(const std::string& node) const { return path("dev/" + node); }
    // A plain file standing in for a device node (or a link to `target`), folders made as needed.
    std::string touch(const std::string& name, const std::string& content = {}) const {
        fs::create_directories(fs::path(path(name)).parent_path());
        std::ofstream(path(name)) << content;
        return path(name);
    }
    void link(const std::string& name, const std::string& target) const {
        fs::create_directories(fs::path(path(name)).parent_path());
        fs::create_symlink(target, path(name));
    }

    // sysfs as the kernel lays it out: the class entry links into the interface's folder, whose
    // parent USB device carries the identifiers.
    void addUsbPrinter(const std::string& lp, const std::string& usbDev, const std::string& vid,
                       const std::string& pid, const std::string& serial) {
        const std::string dev = "sys/devices/pci0/usb1/" + usbDev;
        const std::string intf = dev + "/" + usbDev + ":1.0";
        for (const auto& [file, text] :
             {std::pair{"idVendor", vid}, {"idProduct", pid}, {"serial", serial}})
            if (!text.empty())
                touch(dev + "/" + file, text + "\n");
        link(intf + "/usbmisc/" + lp + "/device", "../../../" + usbDev + ":1.0");
        link("sys/class/usbmisc/" + lp, "../../" + intf.substr(4) + "/usbmisc/" + lp);
    }
};

} // namespace

TEST(DeviceNames, DefaultsAndConfigEntriesResolveComAndLpt) {
    FakeSystem sys;
    const std::string pinned = sys.touch("by-id/adapter");
    sys.link(kConfig + "/com2", pinned);
    sys.link(kConfig + "/com3", sys.path("gone")); // hides ttyS2
    sys.link(kConfig + "/lpt2", pinned);
    for (const char* entry : {"com100", "com0", "com257"}) // the last two are no valid names
        sys.touch(kConfig + "/" + entry);

    DeviceNames names(sys.env);
    EXPECT_FALSE(names.isolated());
    EXPECT_EQ(names.directory(), sys.path(kConfig));
    // Expected nodes under the fake root; "" for none. COM32 is mapped while absent.
    // clang-format off
    const std::pair<int, const char*> coms[] = {
        {1, "dev/ttyS0"}, {2, "by-id/adapter"}, {32, "dev/ttyS31"}, {33, "dev/ttyUSB0"},
        {64, "dev/ttyUSB31"}, {65, "dev/ttyACM0"}, {96, "dev/ttyACM31"}, {97, ""}, {0, ""},
        {100, "home/.config/Korvix/devices/com100"}, {257, ""}};
    const std::pair<const char*, const char*> paths[] = {
        {"\\\\.\\COM2", "by-id/adapter"}, {"com33", "dev/ttyUSB0"}, {"\\\\.\\lpt1", "dev/lp0"},
        {"LPT2", "by-id/adapter"}, {"COM02", ""}, {"COM", ""}, {"COM1x", ""}, {"\\\\.\\COM-1", ""},
        {"LPT3", ""}, {"/dev/ttyS0", ""}, {"", ""}};
    // Only present nodes count.
    const std::vector<ComPortNode> present = {{1, sys.dev("ttyS0")}, {2, pinned},
        {33, sys.dev("ttyUSB0")}, {96, sys.dev("ttyACM31")}, {100, sys.path(kConfig) + "/com100"}};
    // clang-format on
    auto expected = [&](const std::string& node) { return node.empty() ? "" : sys.path(node); };
    for (const auto& [number, node] : coms)
        EXPECT_EQ(names.resolveCom(number).value_or(""), expected(node)) << number;
    for (const auto& [path, node] : paths)
        EXPECT_EQ(names.resolvePath(path).value_or(""), expected(node)) << path;
    EXPECT_EQ(names.resolveLpt(1), sys.dev("lp0"));
    EXPECT_EQ(names.resolveLpt(2), pinned);
    EXPECT_EQ(names.resolveLpt(3), std::nullopt);

    EXPECT_EQ(names.listComPorts(), present);

    sys.env.xdgConfigHome = sys.path("xdg");
    EXPECT_EQ(DeviceNames(sys.env).directory(), sys.path("xdg/Korvix/devices"));
    sys.env.xdgConfigHome = "relative/xdg"; // invalid: falls back to the home folder
    EXPECT_EQ(DeviceNames(sys.env).directory(), sys.path(kConfig));
}

TEST(DeviceNames, DeviceDirectoryAloneSaysWhatExists) {
    FakeSystem sys;
    sys.addUsbPrinter("lp0", "1-1", "044e", "200a", "S1");
    const std::string node = sys.touch("devices/nodes/pts7");
    sys.link("devices/com7", node);
    sys.link("devices/usb/vid_044e&pid_200a#SIM0", node);
    sys.touch("devices/com8/notes"); // a folder is not a port
    sys.env.deviceDir = sys.path("devices");

    DeviceNames names(sys.env);
    EXPECT_TRUE(names.isolated());
    EXPECT_EQ(names.resolveCom(1), std::nullopt); // the system's ttyS0 is not looked at
    EXPECT_EQ(names.resolveLpt(1), std::nullopt);
    EXPECT_EQ(names.listComPorts(), (std::vector<ComPortNode>{{7, node}}));
    EXPECT_EQ(
        names.listUsbPrinters(),
        (std::vector<UsbPrinterNode>{{"\\\\?\\usb#vid_044e&pid_200a#SIM0" + kUsbClass, node}}));

    // The caller's directory wins over the environment's.
    DeviceNames cli(sys.env, sys.path("other"));
    EXPECT_EQ(cli.directory(), sys.path("other"));
    EXPECT_EQ(cli.resolveCom(7), std::nullopt);
    EXPECT_TRUE(cli.listUsbPrinters().empty());
}

TEST(DeviceNames, UsbPrintersFromSysfsThenDirectoryEntriesInNameOrder) {
    FakeSystem sys;
    sys.addUsbPrinter("lp10", "2-1", "047E", "1001", ""); // no serial: bus position
    sys.addUsbPrinter("lp0", "1-1", "044e", "200a", "AB#12 x");
    sys.addUsbPrinter("lp2", "1-2", "1293", "0002", "P2"); // no node in /dev: not present
    sys.touch("dev/usb/lp10");
    sys.touch("sys/class/usbmisc/hiddev0");
    const std::string n1 = sys.touch("dev/pts/1"), n0 = sys.touch("dev/pts/0");
    sys.link(kConfig + "/usb/vid_044e&pid_200a#SIM1", n1);
    sys.link(kConfig + "/usb/vid_044e&pid_200a#SIM0", n0);
    sys.link(kConfig + "/usb/vid_044e&pid_200a#GONE", sys.path("nothing"));

    const std::vector<UsbPrinterNode> expected = {
        {"\\\\?\\usb#vid_044e&pid_200a#AB_12_x" + kUsbClass, sys.dev("usb/lp0")},
        {"\\\\?\\usb#vid_047e&pid_1001#2-1" + kUsbClass, sys.dev("usb/lp10")},
        {"\\\\?\\usb#vid_044e&pid_200a#SIM0" + kUsbClass, n0},
        {"\\\\?\\usb#vid_044e&pid_200a#SIM1" + kUsbClass, n1},
    };
    DeviceNames names(sys.env);
    EXPECT_EQ(names.listUsbPrinters(), expected);
    EXPECT_EQ(names.resolvePath("\\\\?\\USB#VID_044E&PID_200A#SIM1" + kUsbClass), n1);
    EXPECT_EQ(names.resolvePath("\\\\?\\usb#vid_044e&pid_200a#SIM9" + kUsbClass), std::nullopt);
}

TEST(DeviceNames, OpenErrorsSayWhatToDo) {
    FakeSystem sys; // the group of a real node is looked up
    const std::string node = sys.dev("ttyS0");
    const std::string denied = DeviceNames::describeOpenError("\\\\.\\COM5", node, EACCES);
    EXPECT_NE(denied.find("\\\\.\\COM5 (" + node + ")"), std::string::npos) << denied;
    EXPECT_NE(denied.find("dialout"), std::string::npos) << denied;
    EXPECT_EQ(DeviceNames::describeOpenError("\\\\.\\COM5", node, ENOENT),
              "\\\\.\\COM5 (" + node + "): no such port");
}

TEST(DeviceNames, AFailedOpenSaysWhichKindOfMissingItIs) {
    FakeSystem sys;
    sys.link(kConfig + "/com9", sys.path("dev/ttyUSB7"));
    DeviceNames names(sys.env);
    const std::string dir = sys.path(kConfig);
    EXPECT_EQ(names.describeOpenFailure("\\\\.\\COM200", "", ENOENT),
              "\\\\.\\COM200: no such port (" + dir + " has no com200)");
    EXPECT_EQ(names.describeOpenFailure("\\\\.\\COM2", sys.dev("ttyS1"), ENOENT),
              "\\\\.\\COM2 (" + sys.dev("ttyS1") + "): no such device node");
    EXPECT_EQ(names.describeOpenFailure("\\\\.\\COM9", *names.resolveCom(9), ENOENT),
              "\\\\.\\COM9 (" + dir + "/com9): dangling link to " + sys.dev("ttyUSB7") +
                  ", which does not exist");
    EXPECT_EQ(names.describeOpenFailure("\\\\.\\COM1", sys.dev("ttyS0"), ENOTTY),
              "\\\\.\\COM1 (" + sys.dev("ttyS0") + "): not a serial device");
}

namespace {

const char kById[] = "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";

// /dev/zero stands for a USB adapter's node (ttyUSB0 of an FTDI adapter, with its by-id link),
// /dev/null is what it is; a file, a dangling link and a pseudo-terminal beside them.
struct AdapterSystem : daxtest::FakeSysfs {
    std::string pts;
    int master = -1;

    AdapterSystem() {
        addUsbSerial(DeviceNumber("/dev/zero"), "ttyUSB0", "1-2", "0403", "6001", "A1B2C3",
                     "/dev/zero", kById);
        addOtherDevice(DeviceNumber("/dev/null"), "mem", "null");
        touch("dev/ttyS0"); // a default name with a file behind it
        link(kConfig + "/com5", "/dev/zero");
        link(kConfig + "/com6", "/dev/null");
        link(kConfig + "/com7", touch("notes.txt", "keep me"));
        link(kConfig + "/com8", path("dev/serial/by-id/usb-gone"));
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            pts = ::ptsname(master);
    }
    ~AdapterSystem() {
        if (master >= 0)
            ::close(master);
    }
    std::string entry(int n) const { return path(kConfig) + "/com" + std::to_string(n); }
};

} // namespace

TEST(DeviceNames, PortsSayWhatTheirNodesAreAndEntriesOfNoSerialDeviceAreFlagged) {
    AdapterSystem sys;
    ASSERT_FALSE(sys.pts.empty());
    sys.link(kConfig + "/com9", sys.pts);
    DeviceNames names(sys.env);
    using K = SerialNodeFacts::Kind;

    std::map<int, ComPortFacts> ports;
    for (ComPortFacts& p : DescribeComPorts(names))
        ports[p.number] = p;
    ASSERT_EQ(ports.size(), 6u); // COM1 (the file at ttyS0), COM5 to COM9
    const SerialNodeFacts& usb = ports[5].facts;
    EXPECT_EQ(usb.kind, K::Serial);
    EXPECT_EQ(usb.node, "/dev/zero");
    EXPECT_EQ(usb.what, "ttyUSB0, ftdi_sio");
    EXPECT_EQ(usb.usbVendorId + ":" + usb.usbProductId, "0403:6001");
    EXPECT_EQ(usb.manufacturer + "|" + usb.product + "|" + usb.serial,
              "FTDI|FT232R USB UART|A1B2C3");
    EXPECT_EQ(usb.usbPosition, "1-2");
    EXPECT_EQ(usb.usbInterface, ""); // one interface: no number needed
    EXPECT_EQ(usb.byId, sys.path("dev/serial/by-id/") + kById);
    EXPECT_EQ(ports[5].entry, sys.entry(5));
    EXPECT_EQ(ports[5].linkTarget, "/dev/zero");

    EXPECT_EQ(ports[9].facts.kind, K::PseudoTerminal);
    EXPECT_TRUE(ports[9].facts.IsPort());
    const std::pair<int, std::string> flagged[] = {
        {1, "a regular file"},
        {6, "character device " + sys.DeviceNumber("/dev/null") + " (mem null)"},
        {7, "a regular file"},
        {8, "does not exist"}};
    for (const auto& [n, what] : flagged) {
        EXPECT_FALSE(ports[n].facts.IsPort()) << n;
        EXPECT_EQ(ports[n].facts.what, what) << n;
    }
    EXPECT_EQ(ports[8].facts.kind, K::Missing);
    EXPECT_EQ(ports[1].entry, ""); // a default name

    // A node, or a link to it, is the COM number that leads to it: a pinned one before a default.
    EXPECT_EQ(ComNumberOfNode(names, "/dev/zero"), 5);
    EXPECT_EQ(ComNumberOfNode(names, sys.path("dev/serial/by-id/") + kById), 5);
    EXPECT_EQ(ComNumberOfNode(names, sys.path("dev/ttyS0")), 1);
    EXPECT_EQ(ComNumberOfNode(names, sys.pts), 9);
    EXPECT_EQ(ComNumberOfNode(names, "/dev/full"), std::nullopt);
    EXPECT_EQ(ComNumberOfNode(names, sys.path("dev/ttyUSB9")), std::nullopt);
}

TEST(DeviceNames, PinLinksAnEntryToTheStableNameAndReplacesOnlyALink) {
    AdapterSystem sys;
    ASSERT_FALSE(sys.pts.empty());
    DeviceNames names(sys.env);
    using O = PinResult::Outcome;
    const std::string byId = sys.path("dev/serial/by-id/") + kById;
    auto target = [&](int n) { return fs::read_symlink(sys.entry(n)).string(); };

    // A node is pinned by its by-id name; the same again changes nothing.
    PinResult r = PinComPort(names, 3, "/dev/zero");
    EXPECT_EQ(r.outcome, O::Pinned) << r.message;
    EXPECT_EQ(target(3), byId);
    EXPECT_EQ(PinComPort(names, 3, byId).outcome, O::Unchanged);
    // A dangling link is replaced, and what it led to is said.
    r = PinComPort(names, 8, "/dev/zero");
    EXPECT_EQ(r.outcome, O::Pinned);
    EXPECT_EQ(r.previous, sys.path("dev/serial/by-id/usb-gone"));
    EXPECT_EQ(target(8), byId);
    // A node with no by-id name is pinned as it is.
    EXPECT_EQ(PinComPort(names, 4, sys.pts).outcome, O::Pinned);
    EXPECT_EQ(target(4), sys.pts);

    // No serial device: refused, the entry left as it was.
    for (const std::string& node : {std::string("/dev/null"), sys.path("notes.txt"),
                                    sys.path("dev/ttyUSB9"), sys.path("dev")}) {
        r = PinComPort(names, 3, node);
        EXPECT_EQ(r.outcome, O::NotSerial) << node;
        EXPECT_NE(r.message.find("is not a serial device"), std::string::npos) << r.message;
    }
    EXPECT_EQ(target(3), byId);
    // A link to a file is replaced, the file untouched; an entry that is no link never is.
    EXPECT_EQ(PinComPort(names, 7, "/dev/zero").outcome, O::Pinned);
    EXPECT_EQ(daxtest::ReadFile(sys.path("notes.txt")), "keep me");
    sys.touch(kConfig + "/com1", "a file");
    EXPECT_EQ(PinComPort(names, 1, "/dev/zero").outcome, O::EntryInTheWay);
    EXPECT_EQ(daxtest::ReadFile(sys.entry(1)), "a file");

    // The directory is made when there is none yet (a fresh $XDG_CONFIG_HOME).
    sys.env.xdgConfigHome = sys.path("fresh");
    EXPECT_EQ(PinComPort(DeviceNames(sys.env), 2, "/dev/zero").outcome, O::Pinned);
    EXPECT_EQ(fs::read_symlink(sys.path("fresh/Korvix/devices/com2")), byId);
}
