// daxtool-cli against daxsim playing the stand-alone disc printer, with and without its disc
// handler: what a technician scripting it sees, and what the printer took.
#include "patterns/BuiltInPatterns.h"
#include "support/SimSession.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

using daxtest::Json;
using daxtest::RunResult;

namespace {

class InkographerCli : public daxtest::SimSession {
protected:
    // The simulator answers at 9600, the rate a first run asks at, so nothing waits for a
    // rate hunt.
    void StartSim(const std::string& profile) { SimSession::StartSim(profile, {"baud=9600"}); }
    Json Info() { return CliJson({"info"}); }
};

} // namespace

TEST_F(InkographerCli, InfoShowsTheStandAlonePrinterAndPrintGridGoesOverTheSerialLink) {
    StartSim("inkographer");
    Json j = Info();
    EXPECT_EQ(j["device"]["class"], "CInkographer");
    EXPECT_EQ(j["device"]["transporter_revision"], 5210);
    EXPECT_EQ(j["device"]["printers"], 1);
    const Json& flags = j["device"]["flags"];
    EXPECT_TRUE(flags["stand_alone_printer"] && flags["rotator"] && flags["pocket_calibration"]);
    EXPECT_FALSE(flags["led_flashing"]);
    EXPECT_EQ(j["serial"]["printer"], "IG300001");
    EXPECT_TRUE(j["serial"]["transporter"].is_null()); // it has none
    EXPECT_EQ(j["counters"]["print"], 1234);
    // The printer's start-up, then the ROTATOR asked; no transporter command.
    const auto cmds = LogValues("rx", "cmd");
    EXPECT_EQ(Count(cmds, "f0280C"), 1);
    EXPECT_EQ(Count(cmds, "e1C"), 0);

    const size_t before = LogValues("print", "cmd").size();
    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    // The self-check at start-up, the print start, the grid with its own set-up, the drawer
    // after it and at the unload.
    const auto printed = LogValues("print", "cmd");
    EXPECT_EQ(std::vector<std::string>(printed.begin() + long(std::min(before, printed.size())),
                                       printed.end()),
              (std::vector<std::string>{"!a3H", "!d1C", "!t0C", "!s500C", "!c2C", "!u0C", "!t000C",
                                        "!s425C", "!d0C", "!d0C"}));
    // Every byte of the grid reached the printer in order.
    const std::string captured = daxtest::ReadFile(CapturePath());
    const auto grid = dax::BuiltInPattern(dax::kPatternCalibrationGrid);
    EXPECT_NE(captured.find(std::string(grid.begin(), grid.end())), std::string::npos);
}

// Without its disc handler the disc is placed by hand: nothing prints until a script says it is
// on the tray, or a person at a terminal presses Enter; Ctrl-C there stops with nothing printed.
TEST_F(InkographerCli, WithoutItsDiscHandlerNothingPrintsUntilTheDiscIsPlaced) {
    StartSim("inkographer-manual");
    EXPECT_FALSE(Info()["device"]["flags"]["rotator"]);
    // Grids begun: the first command of the grid's print data.
    auto grids = [&] { return Count(LogValues("print", "cmd"), "!c2C"); };
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"print-grid"},
                             Args{"calibrate-rotator", "--left-margin", "4", "--top-margin", "80"}})
        EXPECT_EQ(CliJson(args, 1)["status"],
                  "Place disc on printer tray: nobody to confirm it off a terminal, so nothing "
                  "was printed or moved; pass --disc-placed when the disc is on the tray");
    EXPECT_EQ(grids(), 0);
    EXPECT_TRUE(Log("event", "print_job").empty());

    const RunResult r = Cli({"print-grid", "--disc-placed"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    // No print start, no disc move: only the grid and the drawer.
    const auto printed = LogValues("print", "cmd");
    EXPECT_EQ(Count(printed, "!t0C"), 0);
    EXPECT_EQ(Count(printed, "!d0C"), 1);

    for (const bool enter : {true, false}) {
        daxtest::Background cli(
            {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--port", "1", "print-grid"},
            Env(), false, true);
        ASSERT_TRUE(cli.WaitForScreen("Place disc on printer tray", 20000)) << cli.screen;
        ASSERT_TRUE(cli.WaitForScreen("Press Enter when done, Ctrl-C to stop: ", 5000));
        const int before = grids();
        if (enter)
            cli.Type("\n");
        else
            kill(cli.Pid(), SIGINT);
        std::string out;
        EXPECT_EQ(cli.Wait(30000, out), enter ? 0 : 130) << out;
        EXPECT_NE(out.find(enter ? "status: Printing Completed"
                                 : "status: Stopped by Ctrl-C at \"Place disc on printer tray\": "
                                   "nothing was printed or moved"),
                  std::string::npos)
            << out;
        EXPECT_EQ(grids(), before + (enter ? 1 : 0));
    }
}

TEST_F(InkographerCli, SerialNumberGoesInAndComesBack) {
    StartSim("inkographer");
    // The printer keeps no transporter serial: it is neither needed nor taken.
    RunResult r = Cli({"set-serial"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("--printer is required on this transporter"), std::string::npos) << r.err;
    r = Cli({"set-serial", "--transporter", "TS1", "--printer", "PS777"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("status: Transporter SN cannot be changed on this transporter"),
              std::string::npos)
        << r.out;
    EXPECT_TRUE(LogValues("rx", "data").empty());
    r = Cli({"set-serial", "--printer", "PS777"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Parameter update succeeded"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("printer sn: PS777"), std::string::npos) << r.out;
    // Only the printer's serial exists; the transporter's is not sent.
    EXPECT_EQ(LogValues("rx", "data"), std::vector<std::string>{"PS777   "});
}

TEST_F(InkographerCli, FirmwareGoesInAndTheSerialNumberStays) {
    StartSim("inkographer");
    std::string image(65536, '\0');
    image.replace(160, 45, "CD-R InkographerVERSION 5.30 B   Inkographer1");
    Json j = CliJson({"flash", WriteFile("ink.bin", image)});
    EXPECT_EQ(j["status"], "Flash update succeeded - now 5.30 B");
    EXPECT_EQ(j["device"]["transporter_revision"], 5300);
    EXPECT_EQ(j["serial"]["printer"], "IG300001");
}

TEST_F(InkographerCli, RotatorRoundSetsThePrintersOwnSettings) {
    StartSim("inkographer");
    const Json j = CliJson({"calibrate-rotator", "--left", "30", "--right", "35", "--left-margin",
                            "4", "--top-margin", "80", "--save"});
    EXPECT_EQ(j["calibration"]["sent"],
              (Json{{"rotational_offset", 32}, {"left_margin", 4}, {"top_margin", 80}}));
    EXPECT_EQ(j["calibration"]["printed"], true);
    // Its own setting commands, not the transporter's, and the marks printed whole.
    const auto cmds = LogValues("rx", "cmd");
    for (const char* cmd : {"m0004C", "m1080C", "m2032C"})
        EXPECT_EQ(Count(cmds, cmd), 1) << cmd;
    const auto jobs = Log("event", "print_job");
    const auto settingsLog = Log("event", "settings");
    ASSERT_FALSE(jobs.empty() || settingsLog.empty());
    const Json& job = jobs.back();
    const Json& settings = settingsLog.back();
    EXPECT_GT(job.value("decoded_rows", 0), 0) << job;
    EXPECT_EQ(job.value("bad_rows", -1), 0) << job;
    EXPECT_EQ(settings.value("left_margin", -1), 4) << settings;
    EXPECT_EQ(settings.value("top_margin", -1), 80) << settings;
}

// OTP firmware keeps no serial numbers: info says so and is no failure.
TEST_F(InkographerCli, InfoOnOtpFirmwareSaysSoAndSucceeds) {
    SimSession::StartSim("inkographer", {"baud=9600", "revision=4.01"});
    const Json j = Info();
    EXPECT_EQ(j["status"], "OTP firmware is running");
    EXPECT_TRUE(j["device"]["flags"]["otp_firmware"]);
}
