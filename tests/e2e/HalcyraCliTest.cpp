// daxtool-cli against daxsim playing the dual-printer transporter: each printer found on a port
// of its own, printer B's serial, printer firmware through the printers' ports, a print and a
// calibration round on the chosen printer, and the question no script can answer.
#include "patterns/BuiltInPatterns.h"
#include "support/SimSession.h"

#include <algorithm>
#include <gtest/gtest.h>

using daxtest::Json;
using daxtest::RunResult;

namespace {

class HalcyraCli : public daxtest::SimSession {
protected:
    // The printers' firmware is too old for their alignment probe, which would cost every
    // start-up some fifteen seconds of the printers' self-check.
    void StartSim(const std::string& profile, const std::string& setting = "baud=9600") {
        SimSession::StartSim(profile, {"baud=9600", "printer_revision=0.30", setting});
    }
};

} // namespace

TEST_F(HalcyraCli, InfoShowsBothPrintersAndPrinterBsSerialGoesIn) {
    StartSim("halcyra");
    Json j = CliJson({"info"});
    EXPECT_EQ(j["device"]["class"], "CHalcyra");
    EXPECT_EQ(j["device"]["printers"], 2);
    EXPECT_EQ(j["serial"]["printer"], "PA200001");
    EXPECT_EQ(j["serial"]["printer_b"], "PB200002");
    // Each printer's drawer was opened through one USB port and found by the transporter.
    EXPECT_TRUE(Sent("f12602C") && Sent("f12612C"));

    RunResult r = Cli({"set-serial", "--transporter", "QX100001", "--printer", "PA200001",
                       "--printer-b", "PB777"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("printer b sn: PB777"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status: Parameter update succeeded"), std::string::npos) << r.out;
    std::vector<std::string> stored;
    for (const Json& line : Log("rx"))
        if (line.value("cmd", "") == "f9261C")
            stored.push_back(line.value("data", ""));
    EXPECT_EQ(stored, std::vector<std::string>{"PB777   "});
}

TEST_F(HalcyraCli, PrinterFirmwareGoesToBothPrintersOverTheParallelPorts) {
    StartSim("halcyra-lpt");
    std::string image(65536, '\0');
    // The family of its printers, whose revision (0.30) is below the new family's.
    image.replace(160, 45, "CD-R InkographerVERSION 5.40 A   Inkographer ");
    const std::string trace = dir.Path() + "/trace.txt";
    EXPECT_EQ(CliJson({"--trace", trace, "flash", WriteFile("printer.bin", image)})["status"],
              "Downloading - completed");
    // Both parallel ports' bytes are in the trace, each line naming its port.
    const std::string text = daxtest::ReadFile(trace);
    for (const char* port : {"LPT1", "LPT2"})
        EXPECT_NE(text.find(std::string("> ") + port + ": 1b 21 67 30 36 35 35 33 36 43"),
                  std::string::npos)
            << port;
    std::vector<std::string> programmed;
    for (const Json& e : Log("event", "flash"))
        if (e.value("accepted", false))
            programmed.push_back(e.value("printer", ""));
    std::sort(programmed.begin(), programmed.end()); // the ports are read in either order
    EXPECT_EQ(programmed, (std::vector<std::string>{"a", "b"}));
    // Nothing of it went over the transporter's link.
    for (const std::string& cmd : Commands())
        EXPECT_NE(cmd.rfind("g0", 0), 0u) << cmd;
}

TEST_F(HalcyraCli, PrintGridOnPrinterAThenACalibrationRoundOnPrinterB) {
    StartSim("halcyra");
    RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    // The grid went to printer A's own USB port (the link's set-up may land between its rows).
    long long onA = 0;
    for (const Json& p : Log("print"))
        if (p.value("source", "") == "usb1" && p.value("printer", "") == "a")
            onA += p.value("size", 0LL);
    EXPECT_GE(onA,
              static_cast<long long>(dax::BuiltInPattern(dax::kPatternCalibrationGrid).size()));

    r = Cli({"--json", "calibrate-rotator", "--printer", "B", "--left", "30", "--right", "35",
             "--left-margin", "5", "--top-margin", "75", "--save"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // The settings, the turn onto the printer and the store all name printer B.
    for (const char* cmd :
         {"f4261032C", "f6261005C", "f7261075C", "f32611100000C", "f12616C", "h1261C", "f12614C"})
        EXPECT_TRUE(Sent(cmd)) << cmd;
}

// With no recorder drawer open the search is retried as often as --retry or the person at a
// terminal says; a script that says nothing is told the option.
TEST_F(HalcyraCli, WithNoRecorderDrawerOpenTheSearchIsRetriedAsToldThenCancelled) {
    StartSim("halcyra-1", "open_drive=none");
    const std::string box = "Open one of the recorder drawers and hit Retry";
    RunResult r;
    Json j = CliJson({"print-grid"}, 1, &r);
    EXPECT_NE(r.err.find(box), std::string::npos);
    EXPECT_EQ(j["status"], box + ": answered Cancel off a terminal; pass --retry N to answer "
                                 "Retry up to N times");
    EXPECT_EQ(j["device"]["printers"], 1);
    EXPECT_TRUE(j["serial"]["printer_b"].is_null());
    EXPECT_EQ(Count(Commands(), "f12402C"), 1);
    j = CliJson({"print-grid", "--retry", "2"}, 1);
    EXPECT_EQ(j["status"], box + ": answered Cancel after 2 retries (--retry 2)");
    EXPECT_EQ(Count(Commands(), "f12402C"), 4);

    daxtest::Background cli(
        {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--port", "1", "print-grid"}, Env(),
        false, true);
    for (const char* answer : {"r\n", "c\n"}) {
        ASSERT_TRUE(cli.WaitForScreen("Retry or Cancel? [r/c]: ", 20000)) << cli.screen;
        cli.screen.clear();
        cli.Type(answer);
    }
    std::string out;
    EXPECT_EQ(cli.Wait(30000, out), 1) << out;
    EXPECT_NE(out.find("status: No recorder tray is open"), std::string::npos) << out;
    EXPECT_EQ(Count(Commands(), "f12402C"), 6);
}
