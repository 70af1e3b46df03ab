// `daxtool-cli ports` over a private device directory: what a technician sees before printing.
#include "support/Process.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(PortsCommand, ListsUsbPrintersWithTheirPortNamesAndParallelPorts) {
    daxtest::TempDir dir;
    const std::string dev = dir.Path() + "/dev";
    const std::string node = dir.Path() + "/printer-node";
    std::ofstream(node).flush();
    fs::create_directories(dev + "/usb");
    fs::create_symlink(node, dev + "/usb/vid_044e&pid_200a#SIM0");
    fs::create_symlink(node, dev + "/usb/vid_0bda&pid_8153#NIC");
    fs::create_symlink(node, dev + "/lpt2");
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                                    {"XDG_RUNTIME_DIR", dir.Path()}};
    const std::string sim0 =
        "\\\\?\\usb#vid_044e&pid_200a#SIM0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

    auto human = daxtest::Run({DAXTOOL_CLI_PATH, "--device-dir", dev, "ports"}, env);
    ASSERT_EQ(human.exitCode, 0) << human.err;
    EXPECT_NE(human.out.find("USBPRINT-0: " + sim0 + " -> " + node + "\n"), std::string::npos)
        << human.out;
    EXPECT_NE(human.out.find("usb printer: \\\\?\\usb#vid_0bda&pid_8153#NIC#"), std::string::npos)
        << human.out;
    EXPECT_NE(human.out.find("LPT2: " + node + "\n"), std::string::npos) << human.out;
    EXPECT_EQ(human.out.find("LPT1"), std::string::npos) << human.out;

    auto json = daxtest::Run({DAXTOOL_CLI_PATH, "--json", "--device-dir", dev, "ports"}, env);
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const auto j = nlohmann::json::parse(json.out);
    ASSERT_EQ(j["usb_printers"].size(), 2u) << json.out;
    EXPECT_EQ(j["usb_printers"][0]["path"], sim0);
    EXPECT_EQ(j["usb_printers"][0]["name"], "USBPRINT-0");
    EXPECT_EQ(j["usb_printers"][0]["node"], node);
    EXPECT_TRUE(j["usb_printers"][1]["name"].is_null());
    EXPECT_EQ(j["parallel"], nlohmann::json::array({{{"path", "LPT2"}, {"node", node}}}));
}

// Entries of no serial device are flagged, not listed as ports; a node is named as its COM
// number; `pin` succeeds only for a serial device.
TEST(PortsCommand, FlagsEntriesOfNoSerialDeviceAndPinsOnlySerialDevices) {
    daxtest::TempDir dir;
    const std::string dev = dir.Path() + "/dev";
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const std::string pts = ::ptsname(master);
    fs::create_directories(dev);
    fs::create_symlink(pts, dev + "/com2");
    fs::create_symlink("/dev/null", dev + "/com3");
    std::ofstream(dev + "/com4") << "notes";
    const std::map<std::string, std::string> env = {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                                    {"XDG_RUNTIME_DIR", dir.Path()}};
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {DAXTOOL_CLI_PATH, "--device-dir", dev});
        return daxtest::Run(args, env);
    };

    auto r = cli({"ports"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("COM2: " + pts + " (pseudo-terminal)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("not a port: COM3 -> /dev/null, character device 1:3"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("not a port: COM4 -> " + dev + "/com4, a regular file\n"),
              std::string::npos)
        << r.out;
    const auto j = nlohmann::json::parse(cli({"--json", "ports"}).out);
    ASSERT_EQ(j["com"].size(), 1u);
    EXPECT_EQ(j["com"][0]["kind"], "pseudo-terminal");
    EXPECT_EQ(j["not_ports"].size(), 2u);

    // --port takes the node and reports the COM number it is.
    r = cli({"--port", pts, "ports"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "COM2: " + pts + " (pseudo-terminal)\n");
    EXPECT_EQ(cli({"--port", "/dev/full", "ports"}).exitCode, 64);

    // What pin does to the entries is DeviceNames' (unit tests); here its exit statuses.
    EXPECT_EQ(cli({"pin", "COM5", "/dev/null"}).exitCode, 64);
    EXPECT_EQ(cli({"pin", "COM4", pts}).exitCode, 1); // a file is there
    r = cli({"pin", "5", pts});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ::close(master);
}
