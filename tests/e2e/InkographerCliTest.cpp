// daxtool-cli against daxsim playing the stand-alone disc printer, with and without its disc
// handler: what a technician scripting it sees, and what the printer took.
#include "patterns/BuiltInPatterns.h"
#include "support/Process.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using daxtest::Background;
using daxtest::RunResult;
using daxtest::TempDir;
using Json = nlohmann::json;

namespace {

class InkographerCli : public ::testing::Test {
protected:
    // The simulator answers at 9600, the rate a first run asks at, so nothing waits for a
    // rate hunt.
    void StartSim(const std::string& profile) {
        sim = std::make_unique<Background>(
            std::vector<std::string>{DAXSIM_PATH, "--profile", profile, "--device-dir",
                                     dir.Path() + "/dev", "--log", dir.Path() + "/sim.log",
                                     "--print-capture", dir.Path() + "/capture.bin", "--set",
                                     "baud=9600", "--set", "reboot_ms=200"},
            std::map<std::string, std::string>{});
        const std::string ready = sim->ReadLine(10000);
        ASSERT_EQ(ready.rfind("ready COM1 ", 0), 0u) << ready;
    }

    RunResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--port", "1"});
        return daxtest::Run(args, {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                   {"XDG_RUNTIME_DIR", dir.Path()},
                                   {"DAXTOOL_DEVICE_DIR", ""}});
    }

    Json Info() {
        const RunResult r = Cli({"--json", "info"});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        return Json::parse(r.out, nullptr, false);
    }

    // Values of `key` in the simulator's log lines going `dir` ("rx", "print").
    std::vector<std::string> Log(const std::string& dirName, const std::string& key) {
        std::vector<std::string> values;
        std::istringstream log(daxtest::ReadFile(dir.Path() + "/sim.log"));
        for (std::string line; std::getline(log, line);) {
            Json j = Json::parse(line, nullptr, false);
            if (!j.is_discarded() && j.value("dir", "") == dirName && j.contains(key) &&
                j[key].is_string())
                values.push_back(j[key].get<std::string>());
        }
        return values;
    }

    TempDir dir;
    std::unique_ptr<Background> sim;
};

} // namespace

TEST_F(InkographerCli, InfoShowsTheStandAlonePrinter) {
    StartSim("inkographer");
    Json j = Info();
    EXPECT_EQ(j["device"]["class"], "CInkographer");
    EXPECT_EQ(j["device"]["transporter_revision"], 5210);
    EXPECT_EQ(j["device"]["printers"], 1);
    const Json& flags = j["device"]["flags"];
    EXPECT_TRUE(flags["stand_alone_printer"] && flags["rotator"] && flags["pocket_calibration"]);
    EXPECT_FALSE(flags["led_flashing"]);
    EXPECT_EQ(j["serial"]["printer"], "IG300001");
    EXPECT_EQ(j["counters"]["print"], 1234);
    // The printer's start-up, then the ROTATOR asked; no transporter command.
    const auto cmds = Log("rx", "cmd");
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "f0280C"), 1);
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "e1C"), 0);
}

TEST_F(InkographerCli, WithoutItsDiscHandlerTheDiscIsPlacedByHand) {
    StartSim("inkographer-manual");
    EXPECT_FALSE(Info()["device"]["flags"]["rotator"]);

    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.err.find("Place disc on printer tray"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    // No print start, no disc move: only the grid and the drawer.
    const auto printed = Log("print", "cmd");
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "!t0C"), 0);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), "!d0C"), 1);
}

TEST_F(InkographerCli, PrintGridGoesOverTheSerialLink) {
    StartSim("inkographer");
    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    // The self-check at start-up, the print start, the grid with its own set-up, the drawer
    // after it and at the unload.
    EXPECT_EQ(Log("print", "cmd"),
              (std::vector<std::string>{"!a3H", "!d1C", "!t0C", "!s500C", "!c2C", "!u0C", "!t000C",
                                        "!s425C", "!d0C", "!d0C"}));
    // Every byte of the grid reached the printer in order.
    const std::string captured = daxtest::ReadFile(dir.Path() + "/capture.bin");
    const auto grid = dax::BuiltInPattern(dax::kPatternCalibrationGrid);
    EXPECT_NE(captured.find(std::string(grid.begin(), grid.end())), std::string::npos);
}

TEST_F(InkographerCli, SerialNumberGoesInAndComesBack) {
    StartSim("inkographer");
    RunResult r = Cli({"set-serial", "--transporter", "TS1", "--printer", "PS777"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Parameter update succeeded"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("printer sn: PS777"), std::string::npos) << r.out;
    // Only the printer's serial exists; the transporter's is not sent.
    EXPECT_EQ(Log("rx", "data"), std::vector<std::string>{"PS777   "});
}

TEST_F(InkographerCli, FirmwareGoesInAndTheSerialNumberStays) {
    StartSim("inkographer");
    std::vector<char> image(65536, 0);
    const std::string id = "CD-R InkographerVERSION 5.30 B   Inkographer1";
    std::copy(id.begin(), id.end(), image.begin() + 160);
    const std::string path = dir.Path() + "/ink.bin";
    std::ofstream(path, std::ios::binary).write(image.data(), std::streamsize(image.size()));
    RunResult r = Cli({"--json", "flash", path});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    Json j = Json::parse(r.out, nullptr, false);
    EXPECT_EQ(j["status"], "Flash update succeeded - now 5.30 B");
    EXPECT_EQ(j["device"]["transporter_revision"], 5300);
    EXPECT_EQ(j["serial"]["printer"], "IG300001");

    // One byte short is refused before anything is programmed.
    image.pop_back();
    std::ofstream(path, std::ios::binary).write(image.data(), std::streamsize(image.size()));
    r = Cli({"flash", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("status: Flash file is incompatible"), std::string::npos) << r.out;
    const auto cmds = Log("rx", "cmd");
    EXPECT_EQ(std::count(cmds.begin(), cmds.end(), "g065535C"), 0);
}

TEST_F(InkographerCli, RotatorRoundSetsThePrintersOwnSettings) {
    StartSim("inkographer");
    const RunResult r = Cli({"--json", "calibrate-rotator", "--left", "30", "--right", "35",
                             "--left-margin", "4", "--top-margin", "80", "--save"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    const Json j = Json::parse(r.out, nullptr, false);
    EXPECT_EQ(j["calibration"]["sent"],
              (Json{{"rotational_offset", 32}, {"left_margin", 4}, {"top_margin", 80}}));
    EXPECT_EQ(j["calibration"]["printed"], true);
    // Its own setting commands, not the transporter's, and the marks printed whole.
    const auto cmds = Log("rx", "cmd");
    for (const char* cmd : {"m0004C", "m1080C", "m2032C"})
        EXPECT_EQ(std::count(cmds.begin(), cmds.end(), cmd), 1) << cmd;
    std::istringstream log(daxtest::ReadFile(dir.Path() + "/sim.log"));
    Json job, settings;
    for (std::string line; std::getline(log, line);) {
        Json e = Json::parse(line, nullptr, false);
        if (!e.is_discarded() && e.value("event", "") == "print_job")
            job = e;
        if (!e.is_discarded() && e.value("event", "") == "settings")
            settings = e;
    }
    EXPECT_GT(job.value("decoded_rows", 0), 0) << job;
    EXPECT_EQ(job.value("bad_rows", -1), 0) << job;
    EXPECT_EQ(settings.value("left_margin", -1), 4) << settings;
    EXPECT_EQ(settings.value("top_margin", -1), 80) << settings;
}
