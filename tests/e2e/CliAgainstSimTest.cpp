// daxtool-cli against daxsim on a pseudo-terminal: what a scripting technician sees.
#include "support/SimSession.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using daxtest::Background;
using daxtest::Json;
using daxtest::RunResult;

namespace {

// Every run finds the transporter itself, as a script without --port does.
class CliAgainstSim : public daxtest::SimSession {
protected:
    CliAgainstSim() { scanPorts = true; }
    // The most of `key` ("received", "flash_bytes") in the simulator's firmware-data lines.
    long long MostFlash(const std::string& key) {
        long long most = 0;
        for (const Json& j : Log("rx"))
            most = std::max(most, j.value(key, 0LL));
        return most;
    }
    // The next line of its stderr past the rates the scan tried.
    static std::string LineAfterScan(Background& cli) {
        std::string line = cli.ReadLine(20000);
        while (line.rfind("Looking for a transporter", 0) == 0)
            line = cli.ReadLine(20000);
        return line;
    }
};

TEST_F(CliAgainstSim, HuntsTheRateFromTheRememberedOneAndRemembersWhatItFound) {
    StartSim("basic", {"baud=115200"}, 3);
    WriteSettings("[Last%20Good]\nBaud%20Rate=9600\n");
    RunResult r;
    Json j = CliJson({"info"}, 0, &r);
    // Off a terminal each rate tried is a line of its own.
    for (const std::string rate : {"9600", "38400", "115200"})
        EXPECT_NE(r.err.find("transporter on COM3 at " + rate + " baud\n"), std::string::npos);
    EXPECT_EQ(j["baud"], 115200);
    EXPECT_EQ(j["port"], 3);
    EXPECT_EQ(j["port_path"], "\\\\.\\COM3");
    EXPECT_EQ(j["device"]["class"], "CVelmora");
    const std::string settings = Settings();
    EXPECT_NE(settings.find("Baud%20Rate=115200"), std::string::npos) << settings;
    EXPECT_NE(settings.find("First%20Port=4"), std::string::npos) << settings;
    // Its node names the port too, as the COM number it is.
    EXPECT_EQ(CliJson({"--port", simNode, "scan"})["port_path"], "\\\\.\\COM3");
}

TEST_F(CliAgainstSim, SerialNumbersGoInAndComeBackWithoutTheirPadding) {
    StartSim("basic");
    RunResult r = Cli({"set-serial", "--transporter", "TS123", "--printer", "PS45678"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Parameter update succeeded"), std::string::npos) << r.out;
    // The store and restart on the wire are the flow tests' (DialogCommands, Settings).

    // Global options after the command, as before it.
    Json j = CliJson({"info", "--json"});
    EXPECT_EQ(j["serial"]["transporter"], "TS123");
    EXPECT_EQ(j["serial"]["printer"], "PS45678");
    EXPECT_EQ(j["device"]["inquiry_id"], "DISC TRANSPORTERVERSION 3.25 A");
    EXPECT_EQ(j["device"]["printer_id"], "DISC PRINTER    DP4000  3.50 A");
    EXPECT_EQ(j["port_node"], simNode);
}

TEST_F(CliAgainstSim, LoaderParametersGoInAndComeBack) {
    StartSim("qt6400");
    RunResult r = Cli({"set-params", "--name", "LINE 4", "--override", "1", "--shutdown", "0",
                       "--computer-name", "1", "--beeps", "7"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    Json j = CliJson({"info"});
    EXPECT_EQ(j["params"]["display_name"], "LINE 4");
    EXPECT_EQ(j["params"]["override_name"], true);
    EXPECT_EQ(j["params"]["enable_shutdown"], false);
    EXPECT_EQ(j["params"]["use_computer_name"], true);
    EXPECT_EQ(j["params"]["beeps"], 7);
}

TEST_F(CliAgainstSim, CommandsTheWindowWouldNotRunAreRefusedAndNothingIsSent) {
    StartSim("basic"); // no loader parameters
    Json j = CliJson({"set-params", "--name", "LINE 4"}, 1);
    EXPECT_EQ(j["status"], "Set Params is not available on this transporter");
    EXPECT_EQ(j["device"]["class"], "CVelmora");
    EXPECT_TRUE(j["params"]["display_name"].is_null());

    sim.reset();
    StartSim("old-firmware"); // its settings cannot be written: Update Serial #s is disabled
    RunResult r = Cli({"set-serial", "--transporter", "TS1", "--printer", "PS1"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Update Serial #s is not available on this transporter\n"),
              std::string::npos)
        << r.out;
    for (const std::string& cmd : Commands())
        EXPECT_TRUE(cmd.rfind("f9", 0) != 0 && cmd != "h1C" && cmd != "g1C") << cmd;
}

// What the device did not give is null, and has no line in the human report.
TEST_F(CliAgainstSim, ValuesNobodyReadAreNullNotDefaults) {
    StartSim("240x-boot"); // a loader in its start-up firmware keeps no parameters to read
    Json j = CliJson({"info"});
    ASSERT_EQ(j["device"]["class"], "CVelmora") << j;
    for (const char* key : {"display_name", "override_name", "enable_shutdown", "beeps"})
        EXPECT_TRUE(j["params"][key].is_null()) << key << j;
    EXPECT_TRUE(j["device"]["printer_id"].is_null());
    EXPECT_TRUE(j["device"]["printer_revision"].is_null()) << j;
    RunResult r = Cli({"info"});
    EXPECT_EQ(r.out.find("display name:"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("printer revision:"), std::string::npos) << r.out;

    sim.reset();
    StartSim("morrane"); // its printer counts only once found on USB, and it has no USB here
    j = CliJson({"info"});
    EXPECT_FALSE(j["device"]["printer_id"].is_null()) << j;
    EXPECT_TRUE(j["device"]["printers"].is_null()) << j;
    EXPECT_TRUE(j["device"]["printer_revision"].is_null()) << j;
    r = Cli({"info"});
    EXPECT_EQ(r.out.find("printers:"), std::string::npos) << r.out;
}

TEST_F(CliAgainstSim, BadValuesAreRefusedBeforeAnyPortOpens) {
    StartSim("qt6400");
    // Each refusal names its option, then the window's own words for the field; the JSON says
    // the same and shows nothing as the device's.
    const std::pair<std::vector<std::string>, std::string> kBadFields[] = {
        {{"set-serial", "--transporter", "123456789", "--printer", "1"},
         "--transporter: Please enter no more than 8 characters."},
        {{"set-serial", "--transporter", ""}, // an unset shell variable
         "--transporter: Please enter a serial number; an empty one would erase the stored one."},
        {{"set-serial", "--transporter", "TS1", "--printer", ""},
         "--printer: Please enter a serial number; an empty one would erase the stored one."},
        {{"set-params", "--name", "SEVENTEEN CHARS.."},
         "--name: Please enter no more than 16 characters."},
        {{"set-params", "--beeps", "10"}, "--beeps: Please enter an integer between 0 and 9."},
        {{"set-params", "--beeps", "9x"}, "--beeps: Please enter an integer."},
        {{"set-params", "--name", "LINE\t4"},
         "--name: Please enter only letters, digits, spaces and the punctuation of plain ASCII "
         "(characters 0x20 to 0x7E)."},
    };
    RunResult r;
    for (const auto& [args, message] : kBadFields) {
        Json j = CliJson(args, 64, &r);
        EXPECT_EQ(j["status"], message);
        EXPECT_NE(r.err.find(message + "\n"), std::string::npos) << r.err;
        EXPECT_TRUE(j["device"].is_null());
        EXPECT_TRUE(j["port"].is_null());
        EXPECT_TRUE(j["params"]["display_name"].is_null());
    }
    // A multi-image file whose first record claims more than the file holds.
    std::string file(70000, '\0');
    file.replace(0, 4, std::string("\xff\xff\xff\x00", 4));
    file.replace(164, 16, "DISC TRANSPORTER");
    r = Cli({"flash", WriteFile("damaged.bin", file)});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.out.find("status: Flash file is damaged: the image at offset 4 claims 16777215 "
                         "bytes, the file holds 69996\n"),
              std::string::npos)
        << r.out;

    // --trace is checked with the other options and names a regular file of its own: never
    // one the command reads, never a FIFO that would hold the run.
    const std::string image = TransporterImage(9000);
    const std::string fw = WriteFile("fw.bin", image);
    r = Cli({"--trace", fw, "flash", fw});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("--trace " + fw + " is " + fw + ", which this command reads"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(daxtest::ReadFile(fw), image);
    const std::string trace = dir.Path() + "/trace.txt";
    EXPECT_EQ(Cli({"--trace", trace, "set-params", "--beeps", "10"}).exitCode, 64);
    EXPECT_FALSE(std::filesystem::exists(trace));
    const std::string fifo = dir.Path() + "/fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    r = Cli({"--trace", fifo, "info"}, 20000);
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("--trace " + fifo + " is a FIFO"), std::string::npos) << r.err;

    EXPECT_TRUE(LogValues("rx", "bytes").empty()); // no port was opened
    EXPECT_EQ(Settings(), "");                     // nor a setting written
    WriteSettings("[Last%20Good]\nFirst%20Port=1\n");
    EXPECT_EQ(Cli({"--trace", SettingsPath(), "info"}).exitCode, 64);
    EXPECT_EQ(Settings(), "[Last%20Good]\nFirst%20Port=1\n");
}

TEST_F(CliAgainstSim, GlobalOptionsGoAnywhere) {
    StartSim("basic", {}, 5);
    for (const char* port : {"5", "COM5", "com5"}) {
        Json j = CliJson({"scan", "--port", port});
        EXPECT_EQ(j["port"], 5) << port;
        EXPECT_EQ(j["status"], "Transporter found on COM5 at 38400 baud");
    }
}

// A run that fails, refused by the parser or later, says why once: with --json (before or after
// the command) in the one object on stdout, else in the report's last line or on stderr.
TEST_F(CliAgainstSim, EveryFailingRunSaysWhyOnce) {
    StartSim("basic");
    std::filesystem::create_symlink("/dev/null", dir.Path() + "/dev/com9");
    WriteSettings("");
    const struct {
        std::vector<std::string> args;
        int exit;
        std::string status;
        bool usage = false; // the parser's refusal: stderr is the status and the --help hint
    } cases[] = {
        {{}, 64, "A command is required; daxtool-cli --help lists them", true},
        {{"inf"}, 64, "unknown command 'inf'; did you mean 'info'?", true},
        {{"info", "--jsno"},
         64,
         "unknown option '--jsno' for 'info'; did you mean '--json'?",
         true},
        {{"set-serial", "--transporter", "A", "--printr", "B"},
         64,
         "unknown option '--printr' for 'set-serial'; did you mean '--printer'?",
         true},
        {{"set-serial", "--printer", "B"}, 64, "--transporter"},
        {{"set-params", "--override", "2"}, 64, "--override: Please enter 0 or 1.", true},
        {{"calibrate-pocket", "--size", "60"}, 64, "--size: Please enter 58, 61 or 63.", true},
        {{"calibrate-rotator", "--printer", "C"}, 64, "--printer: Please enter A or B.", true},
        {{"info", "--json=x"}, 64, "--json: Please enter no value; it is a switch.", true},
        {{"pattern", "grid", "--png", "x.png", "--port", "3"},
         64,
         "'pattern' takes no --port",
         true},
        {{"--trace", "t.txt", "ports"}, 64, "'ports' takes no --trace", true},
        {{"pattern", "wheel", "--png", "x.png"}, 64, "NAME: Please enter grid or marks.", true},
        {{"info", "extra"}, 64, "unexpected argument 'extra' for 'info'", true},
        {{"info", "--port"}, 64, "--port: Please enter a value after it.", true},
        {{"info", "--port", "1", "--port", "2"}, 64, "--port: Please give it once."},
        {{"--port", "COM0", "scan"}, 64, "'COM0' names no port"},
        {{"--trace", SettingsPath(), "info"}, 64, "which this command reads"},
        {{"calibrate-rotator", "--printer", "B", "--left", "1", "--right", "1", "--left-margin",
          "1", "--top-margin", "1"},
         64,
         "This transporter has no printer B"},
        {{"--port", "7", "info"}, 2, "COM7"},
        {{"--port", "9", "ports"}, 1, "not a port"},
        {{"pattern", "grid", "--png", dir.Path() + "/no/grid.png"}, 1, "Unable to write"},
        {{"udev-rule"}, 64, "udev-rule needs --port"},
        {{"mailbox-test"}, 64, "mailbox-test needs -Test1"},
        {{"flash", "none.bin"}, 64, "Unable to open file none.bin"},
        {{"calibrate-pocket", "--size", "61"}, 64, "--angle is required unless --restore-default"},
        {{"pin", "COM0", "/dev/null"}, 64, "'COM0' names no port"},
    };
    for (const auto& c : cases) {
        for (const bool json : {true, false}) {
            std::vector<std::string> args = c.args;
            if (json)
                args.insert(c.args.size() % 2 ? args.end() : args.begin(), "--json");
            const RunResult r = Cli(args);
            EXPECT_EQ(r.exitCode, c.exit) << c.status << r.out << r.err;
            if (c.usage && !json) {
                EXPECT_EQ(r.err, c.status + "\nRun with --help for more information.\n");
            }
            std::string status =
                r.out.empty() ? r.err : r.out.substr(r.out.rfind('\n', r.out.size() - 2) + 1);
            if (json) {
                const Json j = Json::parse(r.out, nullptr, false); // one object, nothing more
                ASSERT_TRUE(j.is_object() && j["status"].is_string()) << c.status << r.out;
                status = j["status"];
            }
            EXPECT_NE(status.find(c.status), std::string::npos) << c.status << status;
        }
    }
}

TEST_F(CliAgainstSim, ADeviceThatAnswersGarbageIsNotTakenForATransporter) {
    StartSim("basic", {"garbage=e0C"}, 2);
    Json j = CliJson({"--port", "2", "scan"}, 2);
    EXPECT_TRUE(j["device"].is_null());
    EXPECT_EQ(j["port"], 2);
    EXPECT_EQ(j["status"], "No transporter found on \\\\.\\COM2: no transporter's answer at 9600, "
                           "38400 and 115200 baud");
    // Asked once at each of the three rates; garbage at its own, silence at the others.
    EXPECT_EQ(Count(LogValues("rx", "bytes"), "\x1b!e0C"), 3);
    // Nothing found: the next start-up begins at the port tried.
    EXPECT_NE(Settings().find("First%20Port=2"), std::string::npos);
}

TEST_F(CliAgainstSim, NothingThereMeansExitTwoAndAReasonForTheSamePort) {
    StartSim("basic");
    const std::string devices = dir.Path() + "/dev";
    RunResult r = Cli({"--port", "7", "info"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Unable to communicate with the transporter on \\\\.\\COM7"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("port: COM7\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status: Unable to open \\\\.\\COM7: no such port (" + devices +
                         " has no com7)\n"),
              std::string::npos)
        << r.out;

    std::filesystem::create_symlink(dir.Path() + "/gone", devices + "/com3");
    std::ofstream(devices + "/com4") << "not a device";
    // A whole scan that finds nothing names no port and says how each one that is there ended.
    sim.reset();
    Json j = CliJson({"scan"}, 2);
    EXPECT_TRUE(j["port"].is_null());
    EXPECT_TRUE(j["port_path"].is_null());
    EXPECT_EQ(j["status"], "No transporter found: \\\\.\\COM3 (" + devices +
                               "/com3): dangling link to " + dir.Path() +
                               "/gone, which does not exist; \\\\.\\COM4 (" + devices +
                               "/com4): not a serial device");
    std::filesystem::create_directory(dir.Path() + "/empty");
    r = daxtest::Run({DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/empty", "scan"}, Env());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("status: No transporter found: there are no serial ports (" + dir.Path() +
                         "/empty has no comN entries)"),
              std::string::npos)
        << r.out;
}

TEST_F(CliAgainstSim, RefusesToStartBesideAnotherCopyOrTheJobServer) {
    StartSim("basic");
    const std::pair<const char*, const char*> holders[] = {
        {"Kvx_DaxtoolIsLaunchedMutex", "Daxtool is already running"},
        {"Kvx_eJDIsLaunchedMutex", "The Jobdock or eJD service is running. Please stop it "
                                   "before running Daxtool.exe"}};
    for (const auto& [name, message] : holders) {
        const std::string lock = dir.Path() + "/" + name + ".lock";
        const int fd = open(lock.c_str(), O_RDWR | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        RunResult r = Cli({"info"});
        EXPECT_EQ(r.exitCode, 3);
        EXPECT_EQ(r.err, std::string(message) + "\n");
        EXPECT_EQ(CliJson({"info"}, 3)["status"], message);
        // Listing the ports opens none of them: it runs beside the other copy.
        r = Cli({"ports"});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.out.find("COM1: " + simNode), std::string::npos) << r.out;
        close(fd);
    }
    EXPECT_TRUE(Commands().empty()); // nothing was opened
}

TEST_F(CliAgainstSim, ALockThatCannotBeMadeOnlyWarnsOnce) {
    StartSim("basic");
    auto env = Env();
    env["XDG_RUNTIME_DIR"] = "/sys"; // no file can be made there, not even by root
    const std::string trace = dir.Path() + "/trace.txt";
    RunResult r = daxtest::Run(
        {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--trace", trace, "scan"}, env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string warning = "Warning: starting without the single-instance guard";
    ASSERT_NE(r.err.find(warning), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(warning, r.err.find(warning) + 1), std::string::npos) << r.err;
    std::istringstream lines(r.err);
    int others = 0; // than the rates the scan tried
    for (std::string line; std::getline(lines, line);)
        others += line.rfind("Looking for a transporter", 0) != 0;
    EXPECT_EQ(others, 1) << r.err;
    EXPECT_NE(daxtest::ReadFile(trace).find("* " + warning), std::string::npos);
}

TEST_F(CliAgainstSim, SettingsThatAreNoFileOrCannotBeKeptAreSaid) {
    StartSim("basic");
    // A FIFO would hold the program before anything happens: refused, naming it.
    std::filesystem::create_directories(dir.Path() + "/config/Korvix");
    ASSERT_EQ(mkfifo(SettingsPath().c_str(), 0600), 0);
    RunResult r = Cli({"info"}, 20000);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("The settings file " + SettingsPath() + " is a FIFO"), std::string::npos)
        << r.err;
    EXPECT_TRUE(Commands().empty());

    // Settings that cannot be kept (their folder is a file): each write says so on stderr and
    // in the trace, the marker of a firmware download under way among them.
    std::filesystem::remove_all(dir.Path() + "/config");
    WriteFile("config", "not a folder");
    const std::string trace = dir.Path() + "/trace.txt";
    r = Cli({"--trace", trace, "flash", WriteFile("fw.bin", TransporterImage(9000))});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    for (const char* setting :
         {"Firmware Update/Unfinished Port", "Last Good/Baud Rate", "Last Good/First Port"}) {
        EXPECT_NE(r.err.find(std::string("Warning: Unable to save the setting ") + setting),
                  std::string::npos)
            << r.err;
        EXPECT_NE(daxtest::ReadFile(trace).find(
                      std::string("* warning: Unable to save the setting ") + setting),
                  std::string::npos);
    }
}

TEST_F(CliAgainstSim, OutputThatCannotBeWrittenIsAFailure) {
    StartSim("basic");
    // The run through a shell that sets up its output first.
    auto shell = [&](const std::string& script, const std::vector<std::string>& args) {
        std::vector<std::string> argv = {
            "/bin/sh", "-c", script, "sh", DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev"};
        argv.insert(argv.end(), args.begin(), args.end());
        return daxtest::Run(argv, Env());
    };
    RunResult r = shell("exec \"$@\" >/dev/full", {"scan"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Unable to write the output: No space left on device"), std::string::npos)
        << r.err;
    // A closed stdout: the report goes nowhere, and not into a port or file opened meanwhile.
    const std::string trace = dir.Path() + "/trace.txt";
    r = shell("exec \"$@\" >&-", {"--trace", trace, "scan"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Unable to write the output: Bad file descriptor"), std::string::npos)
        << r.err;
    EXPECT_EQ(daxtest::ReadFile(trace).find("status:"), std::string::npos);
    // A trace cut short by the file-size limit.
    r = shell("ulimit -f 1 && exec \"$@\"", {"--trace", trace, "scan"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("Unable to write the trace file " + trace + ": File too large"),
              std::string::npos)
        << r.err;
    EXPECT_LE(std::filesystem::file_size(trace), 1024u);
}

TEST_F(CliAgainstSim, TraceShowsThePortsLifeAndEveryByteBothWays) {
    StartSim("basic");
    const std::string trace = dir.Path() + "/trace.txt";
    ASSERT_EQ(Cli({"--trace", trace, "scan"}).exitCode, 0);
    const std::string text = daxtest::ReadFile(trace);
    EXPECT_NE(text.find("> 1b 21 65 30 43  |.!e0C|"), std::string::npos) << text;
    EXPECT_NE(text.find("< 1b 21 65 30 30 36 34"), std::string::npos) << text;
    // No rate remembered: 9600 first, then the simulator's 38400.
    const std::string open = "* open \\\\.\\COM1 -> " + simNode + " at 9600 baud\n";
    const std::string rate = "* rate \\\\.\\COM1 38400 baud\n";
    const std::string closed = "* close \\\\.\\COM1\n";
    ASSERT_NE(text.find(open), std::string::npos) << text;
    EXPECT_LT(text.find(open), text.find(rate)) << text;
    EXPECT_LT(text.find(rate), text.find(closed)) << text;
    EXPECT_EQ(text.find("COM2"), std::string::npos) << text; // ports that are not there

    // A command with no text of its own confirms it was done.
    RunResult r = Cli({"flash-leds"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("status: The transporter on COM1 flashes its lights\n"), std::string::npos)
        << r.out;
}

TEST_F(CliAgainstSim, FlashesTheImageOfAMultiImageFileThatFitsAndFindsTheTransporterAgain) {
    StartSim("basic");
    // The first image is for another configuration; the second one fits.
    std::string file;
    for (const std::string& image :
         {TransporterImage(70000, "3.40 C", "Quentar"), TransporterImage(9000, "3.31 B")}) {
        for (int i = 0; i < 4; ++i)
            file += char(image.size() >> (8 * i));
        file += image;
    }
    const std::string path = WriteFile("fw.bin", file);
    auto programmed = [&] {
        const auto c = Commands();
        return std::count_if(c.begin(), c.end(), [](const std::string& x) {
            return x.rfind("g0", 0) == 0 || x.rfind("h0", 0) == 0;
        });
    };

    // Read without a device: each image and what it is for.
    RunResult r = Cli({"flash-info", path});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("image 1: offset 4, 70000 bytes, \"DISC TRANSPORTERVERSION 3.40 C\", "
                         "general transporter firmware for DISC TRANSPORTER 3.40 C, family "
                         "Quentar\nimage 2: offset 70008, 9000 bytes, "),
              std::string::npos)
        << r.out;
    Json info = CliJson({"flash-info", path});
    EXPECT_EQ(info["images"][1]["family"], "Velmora");
    EXPECT_EQ(info["images"][1]["version"], "3.31 B");
    EXPECT_EQ(info["images"][1]["for"], "DISC TRANSPORTER");
    const std::string text = WriteFile("notes.bin", "hello\n");
    EXPECT_EQ(CliJson({"flash-info", text}, 64)["status"],
              text + " is not a flash file: it carries no identification of a product this "
                     "program knows");
    EXPECT_EQ(Cli({"flash-info", dir.Path() + "/none.bin"}).exitCode, 64);
    EXPECT_TRUE(Commands().empty());

    // Checked against the transporter: which image and why, nothing programmed.
    Json check = CliJson({"flash", path, "--check"}, 0);
    EXPECT_EQ(check["flash"]["image"], 2);
    EXPECT_EQ(Cli({"flash", "--check", "--no-check", path}).exitCode, 64);
    // Unknown bytes are refused even with the check disabled, before anything is programmed.
    r = Cli({"flash", "--no-check", text});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("status: Flash file is incompatible - image 1 of 1 carries no "
                         "identification"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(programmed(), 0);

    Json j = CliJson({"flash", path}, 0, &r);
    EXPECT_EQ(j["status"], "Flash update succeeded - now 3.31 B");
    EXPECT_NE(r.err.find("Programming DISC TRANSPORTER 3.25 A on COM1 <- image 2 of 2, 9000 bytes, "
                         "general transporter firmware for DISC TRANSPORTER 3.31 B, family "
                         "Velmora\n"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(j["device"]["transporter_revision"], 3310);
    EXPECT_EQ(j["device"]["revision_suffix"], "B");
    EXPECT_EQ(Count(Commands(), "g09000C"), 1);
    // Not a terminal: plain percentage lines.
    EXPECT_NE(r.err.find("Downloading - 45%\n"), std::string::npos) << r.err;
}

TEST_F(CliAgainstSim, AnImageTheTransporterGaveUpOnIsAFailure) {
    // Firmware data that pauses for 5 ms is given up: the old firmware stays, sense 16.
    StartSim("basic", {"flash_timeout_ms=5", "pace=1"});
    const std::string path = WriteFile("fw.bin", TransporterImage(20000));
    Json j = CliJson({"flash", path}, 1);
    EXPECT_EQ(j["status"], "Flash update failed - Transporter: Prog Flash Failure");
    EXPECT_EQ(j["device"]["transporter_revision"], 3250);
}

TEST_F(CliAgainstSim, AGarbledAnswerToTheProgrammingCommandIsSaidAndRememberedForTheNextRun) {
    // The device takes the command, the host cannot read the answer; the device then waits for
    // the image for ten minutes.
    StartSim("basic", {"garbage=g0", "seed=3", "flash_timeout_ms=600000"});
    const std::string path = WriteFile("fw.bin", TransporterImage(20000));
    RunResult r = Cli({"flash", path});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    const std::string advice = "the transporter may be left in programming mode: switch it off "
                               "and on, then run the update again";
    EXPECT_NE(r.out.find("status: Failed to send Update Flash command - "), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("; " + advice + "\n"), std::string::npos) << r.out;

    r = Cli({"--port", "1", "info"});
    EXPECT_EQ(r.exitCode, 2);
    // What the port did, then why it may not answer.
    EXPECT_NE(r.out.find("status: No transporter found on \\\\.\\COM1: no answer at "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(" baud - the firmware update on \\\\.\\COM1 did not finish: " + advice),
              std::string::npos)
        << r.out;
}

// The first Ctrl-C during programming only warns; a second one, or SIGTERM, stops the download
// at a block with the advice, remembered for the next run.
TEST_F(CliAgainstSim, SignalsDuringADownloadWarnFirstThenStopAtABlock) {
    const std::string path = WriteFile("fw.bin", TransporterImage(60000));
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\n");
    for (const int signal : {SIGINT, SIGTERM, SIGQUIT}) {
        StartSim("basic", {"pace=1"}); // about 4 KB a second
        Background cli({DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "flash", path},
                       Env(), true);
        // What goes where, said before the download.
        ASSERT_EQ(LineAfterScan(cli).rfind("Programming DISC TRANSPORTER 3.25 A on COM1 <- ", 0),
                  0u);
        ASSERT_EQ(cli.ReadLine(20000).rfind("Downloading - ", 0), 0u);
        kill(cli.Pid(), signal);
        if (signal == SIGINT) {
            // A loaded machine (the sanitizers, tests side by side) may take seconds a block.
            std::string line = cli.ReadLine(20000);
            while (line.rfind("Downloading - ", 0) == 0)
                line = cli.ReadLine(20000);
            EXPECT_EQ(
                line.rfind("Warning: stopping now leaves the transporter in programming mode", 0),
                0u)
                << line;
            kill(cli.Pid(), SIGINT);
        }
        std::string rest;
        EXPECT_EQ(cli.Wait(20000, rest), 128 + signal) << rest;
        EXPECT_NE(rest.find("status: Firmware download stopped after "), std::string::npos) << rest;
        EXPECT_NE(rest.find("switch it off and on, then run the update again"), std::string::npos);
        EXPECT_NE(Settings().find("Unfinished%20Port=1"), std::string::npos) << Settings();
    }
}

// The mailbox test runs until a command fails or a signal stops it, and says how many cycles it
// did and why it ended.
TEST_F(CliAgainstSim, TheMailboxTestEndsWithItsCyclesAndWhyItStopped) {
    StartSim("qt6400");
    Background cli(
        {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "-Test1", "mailbox-test"}, Env());
    for (int i = 0; i < 400 && Count(Commands(), "f23001C") < 2; ++i)
        usleep(50000);
    ASSERT_GE(Count(Commands(), "f23001C"), 2);
    kill(cli.Pid(), SIGTERM);
    std::string rest;
    EXPECT_EQ(cli.Wait(20000, rest), 128 + SIGTERM) << rest;
    const size_t at = rest.find("status: Mailbox test: ");
    ASSERT_NE(at, std::string::npos) << rest;
    EXPECT_GE(std::atoi(rest.c_str() + at + 22), 2) << rest;
    EXPECT_NE(rest.find(" cycles done, stopped by SIGTERM\n", at), std::string::npos) << rest;

    StartSim("qt6400", {"refuse=f23001C:18"});
    // The scan starts at the remembered COM2, which fails: the test is there all the same.
    RunResult r = Cli({"-Test1", "mailbox-test"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("status: Mailbox test: 0 cycles done, ended by a failed command: "),
              std::string::npos)
        << r.out;
}

// The download went out into the line's buffer, the device died with it: the update failed
// (exit 1), not "no transporter found".
TEST_F(CliAgainstSim, ATransporterKilledDuringTheDownloadFailsTheUpdate) {
    StartSim("basic", {"pace=1"});
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\n");
    const std::string path = WriteFile("fw.bin", TransporterImage(12000));
    Background cli({DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "flash", path}, Env(),
                   true);
    ASSERT_EQ(LineAfterScan(cli).rfind("Programming ", 0), 0u);
    std::string line = cli.ReadLine(20000);
    while (line == "Downloading - 34%")
        line = cli.ReadLine(20000);
    ASSERT_EQ(line, "Downloading - 68%");
    // Killed with the last 1500 bytes still in the line's buffer: all of them written.
    for (int i = 0; i < 1000 && MostFlash("received") < 12000 - 1500; ++i)
        usleep(10000);
    sim.reset();
    std::string rest;
    EXPECT_EQ(cli.Wait(60000, rest), 1) << rest;
    EXPECT_NE(rest.find("status: Flash update: the transporter was not found again after the "
                        "download - Unable to open \\\\.\\COM1"),
              std::string::npos)
        << rest;
}

} // namespace
