// `daxtool-cli print-grid` into daxsim: the bytes the printer receives, over its USB port and
// over the transporter's serial link, as the simulator's printer drew them, compared row by row
// with the grid.
#include "patterns/BuiltInPatterns.h"
#include "patterns/RasterPicture.h"
#include "support/SimSession.h"

#include <cstdio>
#include <gtest/gtest.h>

using dax::BuiltInPattern;
using dax::kPatternCalibrationGrid;
using daxtest::Json;
using daxtest::RunResult;

namespace {

class PrintGrid : public daxtest::SimSession {
protected:
    // The printer commands that arrived from `source` ("serial", "usb"), in order.
    std::vector<std::string> PrinterCommands(const std::string& source) {
        std::vector<std::string> commands;
        for (const Json& j : Log("print"))
            if (j.value("source", "") == source && j.contains("cmd"))
                commands.push_back(j["cmd"].get<std::string>());
        return commands;
    }
    // The simulator's record of the one print job.
    Json Job() {
        const auto jobs = Log("event", "print_job");
        return jobs.empty() ? Json() : jobs.back();
    }
    // The printer drew every row of the grid once, where the grid puts it, and nothing else.
    void ExpectTheGridArrived() {
        const Json job = Job();
        for (const char* key : {"rows", "decoded_rows"})
            EXPECT_EQ(job.value(key, 0), 1350) << key << job;
        EXPECT_EQ(job.value("bad_rows", -1), 0) << job;
        EXPECT_EQ(job.value("first_row", 0), 33) << job;
        EXPECT_EQ(job.value("last_row", 0), 1382) << job;
        dax::RasterPicture want;
        std::string error;
        ASSERT_TRUE(dax::DecodeRasterPicture(BuiltInPattern(kPatternCalibrationGrid), want, error))
            << error;
        const std::string pbm = daxtest::ReadFile(job.value("pbm", ""));
        const std::string header = "P4\n1536 1383\n";
        ASSERT_EQ(pbm.size(), header.size() + want.bits.size()) << job;
        EXPECT_EQ(pbm.substr(0, header.size()), header);
        const std::string rows(want.bits.begin(), want.bits.end());
        int differing = 0;
        for (size_t row = 0; row < size_t(want.rows); ++row)
            if (pbm.compare(header.size() + row * 192, 192, rows, row * 192, 192) != 0 &&
                ++differing <= 3)
                ADD_FAILURE() << "dot row " << row << " differs";
        EXPECT_EQ(differing, 0);
    }
};

} // namespace

TEST_F(PrintGrid, OverTheMatchedUsbPrinter) {
    StartSim("basic", {}, 1, {"--usb-printer", "--print-pbm", dir.Path()});
    const std::string trace = dir.Path() + "/trace.txt";
    const RunResult r = Cli({"--trace", trace, "print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // The trace shows the USB port's bytes too, each line naming the port.
    const std::string text = daxtest::ReadFile(trace);
    const std::string usb =
        "\\\\?\\usb#vid_044e&pid_200a#SIM0#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    EXPECT_NE(text.find("* open " + usb + "\n"), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("> " + usb + ": 1b 21 64 31 43  |.!d1C|\n"), std::string::npos)
        << text.substr(0, 2000);
    const auto grid = BuiltInPattern(kPatternCalibrationGrid);
    char first[8];
    std::snprintf(first, sizeof first, "%02x %02x", grid[0], grid[1]);
    EXPECT_NE(text.find("> " + usb + ": " + first), std::string::npos);
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    ExpectTheGridArrived();
    // The grid block went to the USB port, then the drawer command; the load and pre-print
    // set-up over the link (the simulator may take those before or after the USB bytes).
    const Json job = Job();
    EXPECT_EQ(job.value("bytes_usb", 0), int(BuiltInPattern(kPatternCalibrationGrid).size()))
        << job;
    EXPECT_EQ(PrinterCommands("usb"),
              (std::vector<std::string>{"!d1C", "!d0C", "!d1C", "!c2C", "!u0C", "!t000C", "!s425C",
                                        "!d0C"}));
    EXPECT_EQ(PrinterCommands("serial"),
              (std::vector<std::string>{"!t0C", "!s500C", "!u0C", "!t000C", "!s400C", "!d0C"}));
}

TEST_F(PrintGrid, OverTheSerialLink) {
    StartSim("basic", {}, 1, {"--print-pbm", dir.Path()});
    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Printing Completed"), std::string::npos) << r.out;
    ExpectTheGridArrived();
    const Json job = Job();
    EXPECT_EQ(job.value("bytes_serial", 0),
              12 + 19 + int(BuiltInPattern(kPatternCalibrationGrid).size()))
        << job;
    EXPECT_TRUE(PrinterCommands("usb").empty());
}

// The window offers no Print Calibration Grid for a printer that cannot take the grid, and
// neither does the command: no disc is moved.
TEST_F(PrintGrid, IsRefusedWhereTheButtonWouldBeDisabled) {
    StartSim("morrane", {}, 1, {"--usb-printer"});
    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find("Print Calibration Grid is not available on this transporter"),
              std::string::npos)
        << r.out << r.err;
    const std::string log = daxtest::ReadFile(LogPath());
    EXPECT_EQ(log.find("f12002C"), std::string::npos);
}
