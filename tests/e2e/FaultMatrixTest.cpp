// The device fails at one chosen step of a command: it refuses with a sense code, drops or
// garbles its answer, falls silent, or vanishes (its simulator killed). daxtool-cli must end
// within the time-outs of that step, say what failed, exit with the status a script relies on,
// and leave the settings as the close sequence leaves them, nothing else.
#include "support/SimSession.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

using daxtest::Json;
using daxtest::RunResult;

namespace {

constexpr int kDone = 0, kFailed = 1;

struct FaultCase {
    const char* name;
    const char* profile;
    std::vector<std::string> sets; // fault rules and what else the device needs
    std::vector<std::string> command;
    const char* vanishAt; // the simulator is killed when its log first holds this; or null
    int exit;
    std::string status;
    int limitMs;                     // the step's time-outs, with room for a loaded machine
    std::string settings = "";       // what the settings file must hold after; "" = as before
    std::string serial = "TS100001"; // the transporter serial in the report ("null": none)
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<std::string> kSetSerial = {"set-serial", "--transporter", "TX1", "--printer",
                                             "PX1"};
const std::vector<std::string> kSetParams = {"set-params", "--name",  "LINE 4", "--override",
                                             "1",          "--beeps", "3"};
const std::vector<std::string> kFlash = {"flash", "@image"};
const std::vector<std::string> kPrintGrid = {"print-grid"};
const std::vector<std::string> kRotator = {
    "calibrate-rotator", "--left", "30",           "--right", "34",
    "--left-margin",     "5",      "--top-margin", "70",      "--save"};
const std::vector<std::string> kPocket = {
    "calibrate-pocket", "--size", "58", "--angle", "10", "--save", "--assume-loaded"};

const char* const kRx = R"("dir":"rx","bytes":"\u001b!)"; // a command arriving, then its text
const std::string kUnknown = "; what the transporter now holds is not known: read its values again";
const char* const kNoPoll = "The transporter did not answer the status poll after the print data";
const std::string kFailedSuffix = "\nThe calibration operation failed but the offset value was "
                                  "incorporated.\nClear the transporter and re-test with displayed "
                                  "margin values";

// clang-format off
const FaultCase kCases[] = {
    // info: the serial reads that fill the page. The transporter was found, but a page with a
    // read that failed is a failed info: the status says what could not be read, the report
    // shows no serial, and the exit status is 1.
    {"info_serial_read_refused", "basic", {"refuse=f:000C:5"}, {"info"}, nullptr,
     kFailed, "Transporter: Illegal Request", 8000, "", "null"},
    {"info_serial_read_garbled", "basic", {"garbage=f:000C"}, {"info"}, nullptr,
     kFailed, "Get SN - unreadable answer, and the transporter reports no fault", 8000, "", "null"},
    {"info_printer_serial_read_unanswered", "basic", {"silent=f:260C"}, {"info"}, nullptr,
     kFailed, "Get Printer SN - Receive timeout", 15000, "", "null"},
    {"info_vanishes_at_serial_read", "basic", {"drop=f:000C"}, {"info"}, "f:000C",
     kFailed, "Get SN - Error reading from COM port - 5", 8000, "", "null"},

    // set-serial: its own two writes; the restart's answer does not matter, the device comes
    // back all the same. A write that was carried out, or may have been, leaves the serial
    // unknown: the report says so (null) rather than give the old one as the device's.
    {"set_serial_printer_write_refused", "basic", {"refuse=f9260C:0:8"}, kSetSerial, nullptr,
     kFailed, "Printer: Invalid Data" + kUnknown, 8000, "", "null"},
    {"set_serial_transporter_write_refused", "basic", {"refuse=f9000C:5"}, kSetSerial, nullptr,
     kFailed, "Transporter: Illegal Request", 8000, "", "TS100001"},
    {"set_serial_write_garbled", "basic", {"garbage=f9000C"}, kSetSerial, nullptr,
     kFailed, "ESC !f9000C was not confirmed, and no fault is reported" + kUnknown, 8000, "",
     "null"},
    {"set_serial_write_unanswered", "basic", {"drop=f9000C"}, kSetSerial, nullptr,
     kFailed, "Receive timeout (ESC !f9000C)" + kUnknown, 15000, "", "null"},
    {"set_serial_vanishes_at_write", "basic", {"drop=f9000C"}, kSetSerial, "f9000C",
     kFailed, "Error reading from COM port - 5 (ESC !f9000C)" + kUnknown, 8000, "", "null"},
    {"set_serial_restart_answer_garbled", "basic", {"garbage=g1C"}, kSetSerial, nullptr,
     kDone, "Parameter update succeeded", 20000, "", "TX1"},

    // set-params: the flags, then the name in two halves.
    {"set_params_flags_garbled", "qt6400", {"garbage=f9099C"}, kSetParams, nullptr,
     kFailed, "ESC !f9099C was not confirmed, and no fault is reported" + kUnknown, 8000},
    {"set_params_name_refused", "qt6400", {"refuse=f9101C:5"}, kSetParams, nullptr,
     kFailed, "Transporter: Illegal Request" + kUnknown, 8000},
    {"set_params_name_unanswered", "qt6400", {"drop=f9100C"}, kSetParams, nullptr,
     kFailed, "Receive timeout (ESC !f9100C)" + kUnknown, 15000},
    {"set_params_vanishes_at_flags", "qt6400", {"drop=f9099C"}, kSetParams, "f9099C",
     kFailed, "Error reading from COM port - 5 (ESC !f9099C)" + kUnknown, 8000},

    // flash: the programming command and the first image block.
    {"flash_programming_refused", "basic", {"refuse=g0:16"}, kFlash, nullptr,
     kFailed, "Failed to send Update Flash command - Transporter: Prog Flash Failure", 8000,
     "[Firmware%20Update]\nUnfinished%20Port=0\n\n[Last%20Good]\nBaud%20Rate=38400\nFirst%20Port=2\n"},
    {"flash_vanishes_in_first_block", "basic", {"pace=1"}, kFlash, "\"flash_bytes\"",
     kFailed, "Error sending flash data - Error writing to COM port - 5; the transporter may be "
     "left in programming mode: switch it off and on, then run the update again", 10000,
     "[Firmware%20Update]\nUnfinished%20Port=1\n\n[Last%20Good]\nBaud%20Rate=38400\nFirst%20Port=2\n"},

    // print-grid: the disc's moves, then the printer's status poll after the print data.
    {"print_grid_load_refused", "basic", {"refuse=f12002C:3"}, kPrintGrid, nullptr,
     kFailed, "Transporter: Medium Error", 8000},
    {"print_grid_put_garbled", "basic", {"garbage=f12601C"}, kPrintGrid, nullptr,
     kFailed, "ESC !f12601C was not confirmed, and no fault is reported", 8000},
    {"print_grid_status_poll_garbled", "basic", {"garbage=e1C#4"}, kPrintGrid, nullptr,
     kFailed, "Malformed sense answer", 8000},
    {"print_grid_status_poll_unanswered", "basic", {"silent=e1C#4"}, kPrintGrid, nullptr,
     kFailed, kNoPoll, 25000},
    // The job ends at the first status poll, which the killed device never answers.
    {"print_grid_vanishes_at_status_poll", "basic", {"drop=e1C#4"}, kPrintGrid,
     "\"event\":\"print_job\"", kFailed, kNoPoll, 15000},

    // The calibrations: their settings, the disc's load and the store.
    {"calibrate_rotator_offset_refused", "basic", {"refuse=f4:5"}, kRotator, nullptr,
     kFailed, "Transporter: Illegal Request", 8000},
    {"calibrate_rotator_load_garbled", "basic", {"garbage=f311"}, kRotator, nullptr,
     kFailed, "ESC !f31100000C was not confirmed, and no fault is reported" + kFailedSuffix, 8000},
    {"calibrate_rotator_vanishes_at_margin", "basic", {"drop=f6"}, kRotator, "f6005C",
     kFailed, "Error reading from COM port - 5 (ESC !f6005C)", 8000},
    {"calibrate_rotator_store_refused", "basic", {"refuse=h1C:16"}, kRotator, nullptr,
     kFailed, "Save Offset failed - Settings not stored - Transporter: Prog Flash Failure", 15000},
    {"calibrate_pocket_media_refused", "basic", {"refuse=e46C:5"}, kPocket, nullptr,
     kFailed, "Set Media Size failed - Transporter: Illegal Request", 8000},
    {"calibrate_pocket_offset_garbled", "basic", {"garbage=f4000C"}, kPocket, nullptr,
     kFailed, "Set Business Card Offset failed - ESC !f4000C was not confirmed, and no fault is "
     "reported", 8000},
    {"calibrate_pocket_vanishes_at_offset", "basic", {"drop=f4000C"}, kPocket, "f4000C",
     kFailed, "Set Business Card Offset failed - Error reading from COM port - 5 (ESC !f4000C)",
     8000},
};
// clang-format on

// Each run finds the transporter itself.
class FaultMatrix : public daxtest::SimSession, public ::testing::WithParamInterface<FaultCase> {
protected:
    FaultMatrix() { scanPorts = true; }
};

TEST_P(FaultMatrix, AtStep) {
    const FaultCase& c = GetParam();
    // Found at once at its rate on COM1; the close sequence writes the same values again.
    const std::string before = "[Last%20Good]\nBaud%20Rate=38400\nFirst%20Port=2\n";
    WriteSettings(before);
    auto sets = c.sets;
    sets.push_back("seed=7");
    ASSERT_NO_FATAL_FAILURE(StartSim(c.profile, sets));

    // Vanishing: killed the moment the step reaches it, while the host waits for the answer.
    std::atomic<bool> stop = false;
    std::thread killer;
    if (c.vanishAt) {
        const std::string trigger =
            c.vanishAt[0] == '"' ? std::string(c.vanishAt) : std::string(kRx) + c.vanishAt;
        killer = std::thread([&, pid = sim->Pid(), trigger] {
            while (!stop && daxtest::ReadFile(LogPath()).find(trigger) == std::string::npos)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!stop)
                kill(pid, SIGKILL);
        });
    }

    std::vector<std::string> args = {"--json"};
    for (const auto& a : c.command)
        args.push_back(a == "@image" ? WriteFile("fw.bin", TransporterImage(100000)) : a);
    const auto start = std::chrono::steady_clock::now();
    const RunResult r = Cli(args, c.limitMs);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    stop = true;
    if (killer.joinable())
        killer.join();

    // -1: killed at the time limit, or ended by a signal of its own.
    ASSERT_EQ(r.exitCode, c.exit) << "after " << ms << " ms\n" << r.out << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    const Json j = Json::parse(r.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out;
    EXPECT_EQ(j["status"], c.status);
    EXPECT_EQ(j["serial"]["transporter"].is_null() ? std::string("null")
                                                   : j["serial"]["transporter"].get<std::string>(),
              c.serial);
    // Loader parameters whose store is in doubt are not reported as the device's either.
    if (c.command == kSetParams) {
        EXPECT_EQ(j["params"]["display_name"].is_null(),
                  c.status.find(kUnknown) != std::string::npos)
            << j["params"];
    }
    EXPECT_EQ(Settings(), c.settings.empty() ? before : c.settings);
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
