// `daxtool-cli ports` over a private device directory: what a technician sees before printing.
#include "support/Process.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

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
