// `ports` and `udev-rule` over a system laid out under a temporary root.
#include "cli/PortsCommand.h"
#include "cli/UdevRuleCommand.h"
#include "support/FakeSysfs.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace dax;

namespace {

struct PortCommands : ::testing::Test {
    daxtest::FakeSysfs sys;
    const std::string kDir = "home/.config/Korvix/devices";

    PortCommands() {
        sys.addUsbSerial(sys.DeviceNumber("/dev/zero"), "ttyUSB0", "1-2", "0403", "6001", "A1B2C3",
                         "/dev/zero");
        sys.addOtherDevice(sys.DeviceNumber("/dev/null"), "mem", "null");
        sys.link(kDir + "/com5", "/dev/zero");
        sys.link(kDir + "/com6", "/dev/null");
    }
    // The exit status and what went to the output.
    std::pair<int, std::string> Print(std::optional<int> port, bool json = false,
                                      bool rule = true) {
        std::FILE* out = std::tmpfile();
        const int status = rule ? PrintUdevRule(DeviceNames(sys.env), port, json, out)
                                : PrintPorts(DeviceNames(sys.env), json, out, port);
        std::string text(4096, '\0');
        std::rewind(out);
        text.resize(std::fread(text.data(), 1, text.size(), out));
        std::fclose(out);
        return {status, text};
    }
};

} // namespace

TEST_F(PortCommands, APortSaysWhatTheAdapterIs) {
    EXPECT_EQ(Print(5, false, false),
              std::pair(0, std::string("COM5: /dev/zero (ttyUSB0, ftdi_sio; USB 0403:6001 FTDI "
                                       "FT232R USB UART, serial A1B2C3)\n")));
    EXPECT_EQ(Print(6, false, false),
              std::pair(1, "not a port: COM6 -> /dev/null, character device " +
                               sys.DeviceNumber("/dev/null") + " (mem null)\n"));
}

TEST_F(PortCommands, UdevRuleMatchesTheAdapterAndKeepsModemManagerOffIt) {
    auto [status, text] = Print(5);
    EXPECT_EQ(status, 0);
    EXPECT_NE(
        text.find("\nSUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
                  "ATTRS{serial}==\"A1B2C3\", SYMLINK+=\"daxtool-com5\", GROUP=\"dialout\", "
                  "MODE=\"0660\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("/etc/udev/rules.d/70-daxtool-com5.rules"), std::string::npos) << text;

    // A serial number a rule cannot hold: the USB socket instead. Several interfaces: the one
    // of the port.
    sys.touch("sys/devices/pci0/usb1/1-2/serial", "A\"1\n");
    sys.touch("sys/devices/pci0/usb1/1-2/bNumInterfaces", " 2\n");
    text = Print(5).second;
    EXPECT_NE(text.find("ATTRS{idProduct}==\"6001\", KERNELS==\"1-2\", "
                        "ENV{ID_USB_INTERFACE_NUM}==\"00\", SYMLINK+="),
              std::string::npos)
        << text;

    // No USB adapter, no port, no --port: no rule.
    EXPECT_EQ(Print(6).first, 1);
    EXPECT_EQ(Print(7).first, 1);
    EXPECT_EQ(Print(std::nullopt).first, 64);
    const auto j = nlohmann::json::parse(Print(6, true).second);
    EXPECT_TRUE(j["rule"].is_null());
    EXPECT_NE(j["status"].get<std::string>().find("COM6: no such port"), std::string::npos);
}
