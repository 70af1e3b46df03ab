// The device fails at one chosen step of a command: it refuses with a sense code, drops or
// garbles its answer, falls silent, or vanishes (its simulator killed). daxtool-cli must end
// within the time-outs of that step, say what failed, exit with the status a script relies on,
// and leave the settings as the close sequence leaves them, nothing else.
#include "support/SimSession.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
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

// The line, not the device, fails: a byte changed on its way, bytes added after an answer, an
// answer held back, or another unit on the line from a step on (the cable moved). A proxy
// between the two programs does it; every rule must have met its command.
struct LineCase {
    const char* name;
    const char* profile;
    std::vector<std::string> command;
    std::vector<std::string> rules; // the proxy's
    std::vector<std::string> sets;  // the device's own fault, if any
    const char* swapIn;             // the profile of the unit swapped in, or null
    int exit;
    std::string status; // what the status begins with
    int limitMs;
    const char* never = nullptr; // what neither unit may log (nothing programmed, stored)
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

const char* const kProgrammed = "\"event\":\"programming\"";
const std::string kDiffers = "Parameter update failed - ";

// clang-format off
const LineCase kLineCases[] = {
    // A read-back that is not what was sent is a failed store, whichever way it changed.
    {"set_serial_read_back_changed", "basic", kSetSerial, {"change-answer=9@f:000C#2"}, {},
     nullptr, kFailed, kDiffers + "the transporter serial number reads back as ", 60000},
    {"set_serial_stored_changed", "basic", kSetSerial, {"change-command=8@f9000C"}, {},
     nullptr, kFailed, kDiffers + "the transporter serial number reads back as ", 20000},
    {"set_params_flags_changed", "qt6400", kSetParams, {"change-command=9@f9099C"}, {},
     nullptr, kFailed, kDiffers, 20000},
    {"set_params_name_read_back_changed", "qt6400", kSetParams, {"change-answer=8@f:100C#2"},
     {}, nullptr, kFailed, kDiffers + "the display name reads back as ", 20000},
    // A refusal with stray bytes after it is still a refusal.
    {"set_serial_refusal_with_stray_bytes", "basic", kSetSerial,
     {"stray=\\x1b!f9000C1@f9000C"}, {"refuse=f9000C:5"}, nullptr, kFailed,
     "Transporter: Illegal Request", 20000},
    {"set_params_refusal_with_stray_bytes", "qt6400", kSetParams, {"stray=\\x1b!f1@f9101C"},
     {"refuse=f9101C:5"}, nullptr, kFailed, "Transporter: Illegal Request", 20000},
    // A confirmation changed into something else: the store is in doubt.
    {"set_serial_confirmation_changed", "basic", kSetSerial, {"change-answer=4@f9000C"}, {},
     nullptr, kFailed, "ESC !f9000C was not confirmed, and no fault is reported" + kUnknown, 20000},
    {"info_printer_serial_held_back", "basic", {"info"}, {"hold=8000@f:260C"}, {}, nullptr,
     kFailed, "Get Printer SN - Receive timeout", 20000},
    {"info_stray_after_inquiry", "basic", {"info"}, {"stray=\\x1b!e0@e0C"}, {}, nullptr, kDone,
     "Transporter found on COM1", 20000},
    {"scan_inquiry_changed", "basic", {"scan"}, {"change-answer=4@e0C"}, {}, nullptr, kDone,
     "Transporter found", 30000},
    // Another unit on the line before programming: nothing is programmed into either.
    {"flash_unit_swapped_before_programming", "basic", kFlash, {"swap@e0C#2"}, {}, "otp",
     kFailed, "The transporter on \\\\.\\COM1 has changed since it was found", 60000,
     kProgrammed},
    {"flash_inquiry_changed_before_programming", "basic", kFlash, {"change-answer=20@e0C#2"}, {},
     nullptr, kFailed, "The transporter on \\\\.\\COM1 has changed since it was found", 60000,
     kProgrammed},
    // Another unit found after the restart: the update did not take on the unit now there.
    {"flash_unit_swapped_at_reprobe", "basic", kFlash, {"swap@e0C#3"}, {}, "basic", kFailed,
     "Flash update did not take - the transporter runs 3.25 A after its restart, the image holds "
     "3.40 C", 90000},
    // One store on one unit, the other on another: what is read back is not what was sent.
    {"set_serial_unit_swapped_between_stores", "basic", kSetSerial, {"swap@f9260C"}, {}, "basic",
     kFailed, kDiffers + "the transporter serial number reads back as \"TS999999\"", 60000},
    // A status poll whose outcome changed is asked again.
    {"print_grid_status_poll_changed", "basic", kPrintGrid, {"change-answer=3@e1C#4"}, {},
     nullptr, kDone, "Printing Completed", 20000},
    {"print_grid_unit_swapped_at_load", "basic", kPrintGrid, {"swap@f12002C"}, {}, "moltrian3",
     kFailed, "Transporter: Illegal Request", 20000},
    {"calibrate_rotator_store_answer_lost", "basic", kRotator, {"drop@h1C"}, {}, nullptr,
     kFailed, "Save Offset failed - Settings not stored - Receive timeout (ESC !h1C)", 60000},
    {"calibrate_pocket_offset_stray", "basic", kPocket, {"stray=\\x1b!f4@f4000C"}, {}, nullptr,
     kDone, "Enter the angle of the bottom right edge", 30000},
};
// clang-format on

class LineFaults : public daxtest::SimSession, public ::testing::WithParamInterface<LineCase> {
protected:
    // The device on its own directory's COM1; the proxy's link is the program's COM1.
    std::unique_ptr<daxtest::Background> StartProxy(const LineCase& c) {
        auto sets = c.sets;
        sets.push_back("seed=7");
        StartSim(c.profile, sets, 1, {"--device-dir", dir.Path() + "/a"});
        if (HasFatalFailure())
            return nullptr;
        std::vector<std::string> args = {
            DAXLINEPROXY_PATH, "--link", dir.Path() + "/dev/com1", "--to", simNode,
            "--life",          "120"};
        if (c.swapIn) {
            other = std::make_unique<daxtest::Background>(
                std::vector<std::string>{DAXSIM_PATH, "--profile", c.swapIn, "--device-dir",
                                         dir.Path() + "/b", "--log", dir.Path() + "/b.log", "--set",
                                         "reboot_ms=200", "--set", "serial=TS999999"},
                std::map<std::string, std::string>{});
            const std::string ready = other->ReadLine(20000);
            EXPECT_EQ(ready.rfind("ready COM1 ", 0), 0u) << ready;
            args.insert(args.end(), {"--swap-to", ready.substr(ready.rfind(' ') + 1)});
        }
        for (const auto& rule : c.rules)
            args.insert(args.end(), {"--rule", rule});
        std::filesystem::create_directories(dir.Path() + "/dev");
        auto proxy =
            std::make_unique<daxtest::Background>(args, std::map<std::string, std::string>{}, true);
        const std::string ready = proxy->ReadLine(20000);
        EXPECT_EQ(ready.rfind("ready ", 0), 0u) << ready;
        return proxy;
    }
    std::unique_ptr<daxtest::Background> other;
};

TEST_P(LineFaults, OnTheLine) {
    const LineCase& c = GetParam();
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\nFirst%20Port=1\n");
    auto proxy = StartProxy(c);
    ASSERT_TRUE(proxy && !HasFailure());
    std::vector<std::string> args = {"--json"};
    for (const auto& a : c.command)
        args.push_back(a == "@image" ? WriteFile("fw.bin", TransporterImage(20000)) : a);
    const RunResult r = Cli(args, c.limitMs);

    ASSERT_EQ(r.exitCode, c.exit) << r.out << r.err;
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
    const Json j = Json::parse(r.out, nullptr, false);
    ASSERT_FALSE(j.is_discarded()) << r.out;
    const std::string status = j["status"].is_string() ? j["status"].get<std::string>() : "";
    EXPECT_FALSE(status.empty()) << r.out;
    EXPECT_EQ(status.rfind(c.status, 0), 0u) << status;
    for (const auto& rule : c.rules)
        EXPECT_EQ(proxy->ReadLine(2000), "fired " + rule);
    if (c.never) {
        EXPECT_EQ(daxtest::ReadFile(LogPath()).find(c.never), std::string::npos);
        EXPECT_EQ(daxtest::ReadFile(dir.Path() + "/b.log").find(c.never), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Line, LineFaults, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A signal at each phase of each command. Where the program holds signals (a download and the
// re-probe after it, a store sequence and the restart after it) the operation is finished, or
// stopped at a safe point with its status; elsewhere the program ends by the signal as any
// program does, or with a status. Ctrl-Z only ever pauses it.
struct Phase {
    const char* name;
    const char* profile;
    std::vector<std::string> command;
    const char* at;   // the simulator's log holds this when the signal goes
    bool held;        // signals are held here
    const char* done; // the device's log holds this once the operation is through
};

// clang-format off
const Phase kPhases[] = {
    {"scan_discovery", "basic", {"scan"}, "e0C", false, "e0C"},
    {"info_page", "basic", {"info"}, "f:000C", false, "f:260C"},
    {"set_serial_store", "basic", kSetSerial, "f9260C", true, "\"why\":\"restarted\""},
    {"set_serial_restart", "basic", kSetSerial, "\"event\":\"restarting\"", true,
     "\"why\":\"restarted\""},
    {"set_params_store", "qt6400", kSetParams, "f9100C", true, "\"why\":\"restarted\""},
    {"flash_download", "basic", kFlash, "\"flash_bytes\"", true, "\"accepted\":true"},
    {"flash_reprobe", "basic", kFlash, "\"event\":\"restarting\"", true, "\"accepted\":true"},
    {"print_grid_print", "basic", kPrintGrid, "\"event\":\"print_job\"", false, "f12601C"},
    {"calibrate_rotator_offsets", "basic", kRotator, "f6", false, "h1C"},
    {"calibrate_pocket_print", "basic", kPocket, "\"event\":\"print_job\"", false, "f12701C"},
};
// clang-format on

constexpr int kClosedReader = 0; // not a signal: nobody reads the output from the start

struct SignalCase {
    Phase phase;
    int signal;
};

std::vector<SignalCase> SignalCases() {
    std::vector<SignalCase> cases;
    for (const Phase& p : kPhases)
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP, kClosedReader})
            cases.push_back({p, s});
    return cases;
}

void PrintTo(const SignalCase& c, std::ostream* os) {
    *os << c.phase.name << "/" << c.signal;
}

class Signals : public daxtest::SimSession, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(Signals, AtPhase) {
    const auto& [p, signal] = GetParam();
    rlimit noCore{0, 0}; // SIGQUIT's default leaves no core behind
    setrlimit(RLIMIT_CORE, &noCore);
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\nFirst%20Port=1\n");
    ASSERT_NO_FATAL_FAILURE(StartSim(p.profile, {"pace=1"}));
    std::vector<std::string> args = {"--json"};
    for (const auto& a : p.command)
        args.push_back(a == "@image" ? WriteFile("fw.bin", TransporterImage(20000)) : a);

    std::atomic<bool> ended = false, pausedEarly = false;
    std::thread sender;
    daxtest::RunHooks hooks;
    hooks.closedOutput = signal == kClosedReader;
    hooks.started = [&](pid_t pid) {
        if (signal == kClosedReader)
            return;
        const std::string trigger = p.at[0] == '"' ? std::string(p.at) : kRx + std::string(p.at);
        sender = std::thread([&, pid, trigger] {
            while (!ended && daxtest::ReadFile(LogPath()).find(trigger) == std::string::npos)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!ended)
                kill(pid, signal);
            // A paused program goes on; paused again later (a stop held back), again. Paused
            // before a held operation is through, it was not held.
            auto paused = [pid] {
                const std::string stat =
                    daxtest::ReadFile("/proc/" + std::to_string(pid) + "/stat");
                const size_t end = stat.rfind(')');
                return end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'T';
            };
            while (signal == SIGTSTP && !ended) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                if (paused() && p.held &&
                    daxtest::ReadFile(LogPath()).find(p.done) == std::string::npos)
                    pausedEarly = true;
                kill(pid, SIGCONT);
            }
        });
    };
    const RunResult r = Cli(args, 60000, hooks);
    ended = true;
    if (sender.joinable())
        sender.join();
    const std::string log = daxtest::ReadFile(LogPath());
    const Json j = Json::parse(r.out, nullptr, false);
    const std::string status =
        !j.is_discarded() && j["status"].is_string() ? j["status"].get<std::string>() : "";
    const bool finished = log.find(p.done) != std::string::npos;
    SCOPED_TRACE("exit " + std::to_string(r.exitCode) + ", signal " + std::to_string(r.signal) +
                 "\n" + r.out + r.err);

    ASSERT_NE(r.signal, SIGKILL) << "not ended within its bound";
    EXPECT_EQ(r.err.find("runtime error"), std::string::npos);
    if (signal == kClosedReader) {
        // The report is lost, and said to be; a held operation was finished first.
        EXPECT_TRUE(r.signal == SIGPIPE || (r.exitCode != 0 && !r.err.empty()));
        EXPECT_TRUE(!p.held || finished);
    } else if (signal == SIGTSTP) {
        EXPECT_EQ(r.exitCode, kDone);
        EXPECT_TRUE(finished);
        EXPECT_FALSE(pausedEarly);
    } else if (r.signal != 0) {
        // Ended by the signal: only where nothing is held, and only by the one delivered.
        EXPECT_EQ(r.signal, signal);
        EXPECT_FALSE(p.held);
    } else {
        // A status, always; success only when the device finished the operation; the first
        // Ctrl-C of a held sequence only warns.
        EXPECT_FALSE(status.empty());
        EXPECT_TRUE(r.exitCode == kDone || r.exitCode == 128 + signal) << r.exitCode;
        EXPECT_TRUE(r.exitCode != kDone || finished);
        EXPECT_TRUE(
            !p.held || signal != SIGINT ||
            (r.exitCode == kDone && r.err.find("Warning: stopping now") != std::string::npos));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPhase, Signals, ::testing::ValuesIn(SignalCases()),
                         [](const auto& info) {
                             return std::string(info.param.phase.name) + "_" +
                                    (info.param.signal == kClosedReader
                                         ? std::string("closed_reader")
                                         : std::string(sigabbrev_np(info.param.signal)));
                         });

} // namespace
