// `daxtool-cli print-grid` into daxsim: the bytes the printer receives, over its USB port and
// over the transporter's serial link, decoded here and compared row by row with the grid.
#include "patterns/BuiltInPatterns.h"
#include "support/SimSession.h"

#include <gtest/gtest.h>
#include <map>

using dax::BuiltInPattern;
using dax::kPatternCalibrationGrid;
using daxtest::Json;
using daxtest::RunResult;

namespace {

// The dot rows a printer would draw from a byte stream: ESC "*p<n>Y" moves to row n, ESC
// "*b<n>W" and n bytes of (count, value) pairs fill the current row and move one down; ESC "!"
// commands are skipped (ESC "!c2C" with its 12 test bytes). A row keeps the last data drawn
// on it; `bad` counts rows that do not decode to 192 bytes.
struct Page {
    std::map<int, std::vector<uint8_t>> rows;
    int bad = 0;
    int rowsReceived = 0;
};

Page Decode(const uint8_t* b, size_t n) {
    Page page;
    int row = 0;
    size_t i = 0;
    auto number = [&](size_t& at) {
        long v = 0;
        while (at < n && b[at] >= '0' && b[at] <= '9')
            v = v * 10 + (b[at++] - '0');
        return v;
    };
    while (i < n) {
        if (b[i] != 0x1B || i + 2 >= n) {
            ++i;
            continue;
        }
        const uint8_t kind = b[i + 1];
        const uint8_t group = b[i + 2];
        size_t at = i + 3;
        if (kind == '!') {
            while (at < n && !(b[at] >= 'A' && b[at] <= 'Z'))
                ++at;
            i = at + 1 + (group == 'c' ? 12 : 0);
            continue;
        }
        if (kind != '*') {
            ++i;
            continue;
        }
        const long value = number(at);
        const uint8_t end = at < n ? b[at] : 0;
        i = at + 1;
        if (group == 'p' && end == 'Y') {
            row = int(value);
        } else if (group == 'b' && end == 'W') {
            std::vector<uint8_t> dots;
            for (long k = 0; k + 1 < value && i + size_t(k) + 1 < n; k += 2)
                dots.insert(dots.end(), size_t(b[i + size_t(k)]) + 1, b[i + size_t(k) + 1]);
            ++page.rowsReceived;
            if (dots.size() != 192)
                ++page.bad;
            page.rows[row++] = dots;
            i += size_t(value);
        }
    }
    return page;
}

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
    // Every row the printer got is the grid's row, and it got them all.
    void ExpectTheGridArrived() {
        const std::string captured = daxtest::ReadFile(CapturePath());
        const Page got = Decode(reinterpret_cast<const uint8_t*>(captured.data()), captured.size());
        const auto grid = BuiltInPattern(kPatternCalibrationGrid);
        const Page want = Decode(grid.data(), grid.size());
        ASSERT_EQ(want.rows.size(), 1350u);
        EXPECT_EQ(got.bad, 0);
        EXPECT_EQ(got.rowsReceived, 1350);
        ASSERT_EQ(got.rows.size(), want.rows.size());
        int differing = 0;
        for (const auto& [row, dots] : want.rows) {
            auto it = got.rows.find(row);
            if (it == got.rows.end() || it->second != dots) {
                if (++differing <= 3)
                    ADD_FAILURE() << "dot row " << row << " differs";
            }
        }
        EXPECT_EQ(differing, 0);
        EXPECT_EQ(got.rows.begin()->first, 33);
        EXPECT_EQ(got.rows.rbegin()->first, 1382);
    }
};

} // namespace

TEST_F(PrintGrid, OverTheMatchedUsbPrinter) {
    StartSim("basic", {}, 1, {"--usb-printer"});
    const RunResult r = Cli({"print-grid"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
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
    StartSim("basic");
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
