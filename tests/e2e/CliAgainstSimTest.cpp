// daxtool-cli against daxsim on a pseudo-terminal: what a scripting technician sees.
#include "support/SimSession.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
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
};

TEST_F(CliAgainstSim, HuntsTheRateFromTheRememberedOneAndRemembersWhatItFound) {
    StartSim("basic", {"baud=115200"}, 3);
    WriteSettings("[Last%20Good]\nBaud%20Rate=9600\n");
    Json j = CliJson({"info"});
    EXPECT_EQ(j["baud"], 115200);
    EXPECT_EQ(j["port"], 3);
    EXPECT_EQ(j["port_path"], "\\\\.\\COM3");
    EXPECT_EQ(j["device"]["class"], "CVelmora");
    // Asked at 9600, then 38400, then 115200, where it answered.
    EXPECT_EQ(Count(LogValues("rx", "bytes"), "\x1b!e0C"), 3);
    EXPECT_EQ(Count(Commands(), "e0C"), 1);
    const std::string settings = Settings();
    EXPECT_NE(settings.find("Baud%20Rate=115200"), std::string::npos) << settings;
    EXPECT_NE(settings.find("First%20Port=4"), std::string::npos) << settings;
}

TEST_F(CliAgainstSim, SerialNumbersGoInAndComeBackWithoutTheirPadding) {
    StartSim("basic");
    RunResult r = Cli({"set-serial", "--transporter", "TS123", "--printer", "PS45678"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status: Parameter update succeeded"), std::string::npos) << r.out;
    const auto cmds = Commands();
    EXPECT_EQ(Count(cmds, "f9000C"), 1);
    EXPECT_EQ(Count(cmds, "h1C"), 1);
    EXPECT_EQ(Count(cmds, "g1C"), 1);

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

TEST_F(CliAgainstSim, BadValuesAreRefusedBeforeAnyPortOpens) {
    StartSim("qt6400");
    RunResult r = Cli({"set-serial", "--transporter", "123456789", "--printer", "1"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("Please enter no more than 8 characters."), std::string::npos);
    // The JSON names the reason and shows nothing as the device's.
    Json j = CliJson({"set-params", "--name", "SEVENTEEN CHARS.."}, 64);
    EXPECT_EQ(j["status"], "Please enter no more than 16 characters.");
    EXPECT_TRUE(j["device"].is_null());
    EXPECT_TRUE(j["port"].is_null());
    EXPECT_TRUE(j["params"]["display_name"].is_null());
    EXPECT_EQ(CliJson({"set-params", "--beeps", "10"}, 64)["status"],
              "Please enter an integer between 0 and 9.");
    EXPECT_EQ(CliJson({"set-params", "--name", "LINE\t4"}, 64)["status"],
              "Please enter only letters, digits, spaces and the punctuation of plain ASCII "
              "(characters 0x20 to 0x7E).");

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
    r = Cli({"flash", dir.Path() + "/none.bin"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.out.find("status: Unable to open file " + dir.Path() + "/none.bin"),
              std::string::npos)
        << r.out;
    r = Cli({"mailbox-test"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("mailbox-test needs -Test1"), std::string::npos) << r.err;

    EXPECT_TRUE(LogValues("rx", "bytes").empty()); // no port was opened
    EXPECT_EQ(Settings(), "");                     // nor a setting written
    EXPECT_EQ(Cli({"--port", "0", "info"}).exitCode, 64);
}

TEST_F(CliAgainstSim, GlobalOptionsGoAnywhereAndWrongNamesAreAnsweredWithTheNearest) {
    StartSim("basic", {}, 5);
    for (const char* port : {"5", "COM5", "com5"}) {
        Json j = CliJson({"scan", "--port", port});
        EXPECT_EQ(j["port"], 5) << port;
        EXPECT_EQ(j["status"], "Transporter found on COM5 at 38400 baud");
    }
    RunResult r = Cli({"inf"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("unknown command 'inf'; did you mean 'info'?"), std::string::npos)
        << r.err;
    r = Cli({"info", "--jsno"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("unknown option '--jsno' for 'info'; did you mean '--json'?"),
              std::string::npos)
        << r.err;
    r = Cli({"set-serial", "--transporter", "A", "--printr", "B"});
    EXPECT_NE(r.err.find("unknown option '--printr' for 'set-serial'; did you mean '--printer'?"),
              std::string::npos)
        << r.err;
    r = Cli({"--port", "COM0", "scan"});
    EXPECT_EQ(r.exitCode, 64);
    EXPECT_NE(r.err.find("'COM0' names no port"), std::string::npos) << r.err;
    r = Cli({"flash-leds", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* option : {"--port", "--json", "--device-dir", "--trace"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option << r.out;
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
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(daxtest::ReadFile(trace).find("* " + warning), std::string::npos);
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

    RunResult r;
    Json j = CliJson({"flash", path}, 0, &r);
    EXPECT_EQ(j["status"], "Flash update succeeded - now 3.31 B");
    EXPECT_EQ(j["device"]["transporter_revision"], 3310);
    EXPECT_EQ(j["device"]["revision_suffix"], "B");
    EXPECT_EQ(Count(Commands(), "g09000C"), 1);
    // Not a terminal: plain percentage lines.
    EXPECT_NE(r.err.find("Downloading - 45%\n"), std::string::npos) << r.err;

    // An incompatible file is refused before programming mode.
    const std::string other = WriteFile("other.bin", TransporterImage(5000, "3.40 C", "Quentar"));
    r = Cli({"flash", other});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("status: Flash file is incompatible"), std::string::npos) << r.out;
    EXPECT_EQ(Count(Commands(), "g05000C"), 0);
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
    // Nothing of the image went out: the device received only commands.
    EXPECT_LT(MostFlash("flash_bytes"), 64) << daxtest::ReadFile(LogPath());

    r = Cli({"--port", "1", "info"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.out.find("status: No transporter found - the firmware update on \\\\.\\COM1 did "
                         "not finish: " +
                         advice),
              std::string::npos)
        << r.out;
}

// The first Ctrl-C during programming only warns; a second one, or SIGTERM, stops the download
// at a block with the advice, remembered for the next run.
TEST_F(CliAgainstSim, SignalsDuringADownloadWarnFirstThenStopAtABlock) {
    const std::string path = WriteFile("fw.bin", TransporterImage(60000));
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\n");
    for (const int signal : {SIGINT, SIGTERM}) {
        StartSim("basic", {"pace=1"}); // about 4 KB a second
        Background cli({DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "flash", path},
                       Env(), true);
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

// The download went out into the line's buffer, the device died with it: the update failed
// (exit 1), not "no transporter found".
TEST_F(CliAgainstSim, ATransporterKilledDuringTheDownloadFailsTheUpdate) {
    StartSim("basic", {"pace=1"});
    WriteSettings("[Last%20Good]\nBaud%20Rate=38400\n");
    const std::string path = WriteFile("fw.bin", TransporterImage(12000));
    Background cli({DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "flash", path}, Env(),
                   true);
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
