// The three programs as a user starts them first: --help, --version, and no display.
#include "support/Process.h"

#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <tuple>

using daxtest::RunResult;

namespace {

// A session without a display: nothing that would let the toolkit find one.
const std::map<std::string, std::string> kNoDisplay = {
    {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}};

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

TEST(Programs, EachVersionNamesItsProgramAndTheCliKeepsTheAboutText) {
    RunResult cli = daxtest::Run({DAXTOOL_CLI_PATH, "--version"}, kNoDisplay, 10000);
    EXPECT_EQ(cli.exitCode, 0) << cli.err;
    EXPECT_EQ(FirstLine(cli.out), "daxtool-cli " DAXTOOL_VERSION ".0");
    EXPECT_NE(cli.out.find("\nVersion " DAXTOOL_VERSION ".0\n"), std::string::npos) << cli.out;

    RunResult sim = daxtest::Run({DAXSIM_PATH, "--version"}, kNoDisplay, 10000);
    EXPECT_EQ(sim.exitCode, 0) << sim.err;
    EXPECT_EQ(sim.out, "daxsim " DAXTOOL_VERSION "\n");
    RunResult simHelp = daxtest::Run({DAXSIM_PATH, "--help"}, kNoDisplay, 10000);
    EXPECT_EQ(simHelp.exitCode, 0) << simHelp.err;
    EXPECT_NE(simHelp.out.find("--version"), std::string::npos) << simHelp.out;
}

// Every command's help as a technician reads it, and as the manual page and the completion are
// made from it: 80 columns, no parser internals, the options that must be given marked, and
// the global options only where they mean something.
TEST(Programs, EveryHelpOfTheCliFitsEightyColumnsAndShowsOnlyWhatTheCommandTakes) {
    const RunResult top = daxtest::Run({DAXTOOL_CLI_PATH, "--help"}, kNoDisplay, 10000);
    std::vector<std::string> commands;
    const size_t list = top.out.find("\nSubcommands:\n");
    ASSERT_NE(list, std::string::npos) << top.out;
    std::istringstream lines(top.out.substr(list + 14));
    for (std::string line; std::getline(lines, line) && !line.empty();)
        if (line.rfind("  ", 0) == 0 && line[2] != ' ')
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    ASSERT_GE(commands.size(), 12u) << top.out;

    std::map<std::string, std::string> help = {{"", top.out}};
    for (const std::string& command : commands) {
        const RunResult r = daxtest::Run({DAXTOOL_CLI_PATH, command, "--help"}, kNoDisplay, 10000);
        EXPECT_EQ(r.exitCode, 0) << command << r.err;
        help[command] = r.out;
    }
    for (const auto& [command, text] : help) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            EXPECT_LE(line.size(), 80u) << command << ": " << line;
        for (const char* internal :
             {"INT", "TEXT", "FLOAT", ":{", " in [", "Option Group", "Needs:"})
            EXPECT_EQ(text.find(internal), std::string::npos) << command << ": " << internal;
    }
    // An option marked REQUIRED must be given; one a device may not need is not marked.
    const std::pair<const char*, const char*> kMarked[] = {
        {"calibrate-pocket", "  --size 58|61|63 REQUIRED "},
        {"pattern", "  --png FILE REQUIRED "},
        {"set-params", "  --override 0|1 "},
        {"set-serial", "  --transporter SN "},
    };
    for (const auto& [command, entry] : kMarked)
        EXPECT_NE(help[command].find(entry), std::string::npos) << help[command];
    // Where no device is used, no port, device directory or trace is offered.
    const std::tuple<const char*, bool, bool, bool> kGlobals[] = {
        {"", true, true, true},      {"info", true, true, true},       {"ports", true, true, false},
        {"pin", false, true, false}, {"pattern", false, false, false},
    };
    for (const auto& [command, port, deviceDir, trace] : kGlobals) {
        if (!help.count(command))
            continue; // a command of the Linux build only
        const std::string& text = help[command];
        EXPECT_EQ(text.find("  --port ") != std::string::npos, port) << text;
        EXPECT_EQ(text.find("  --device-dir ") != std::string::npos, deviceDir) << text;
        EXPECT_EQ(text.find("  --trace ") != std::string::npos, trace) << text;
        EXPECT_NE(text.find("  --json "), std::string::npos) << text;
    }
}

#ifdef DAXTOOL_PATH
TEST(Programs, TheWindowPrintsHelpAndVersionWithoutADisplayAndRefusesWhatItDoesNotKnow) {
    RunResult help = daxtest::Run({DAXTOOL_PATH, "--help"}, kNoDisplay, 10000);
    EXPECT_EQ(help.exitCode, 0) << help.err;
    EXPECT_EQ(FirstLine(help.out), "Usage: daxtool [-TestN] [--help] [--version]");
    EXPECT_NE(help.out.find("Exit status:"), std::string::npos) << help.out;

    RunResult version = daxtest::Run({DAXTOOL_PATH, "--version"}, kNoDisplay, 10000);
    EXPECT_EQ(version.exitCode, 0) << version.err;
    EXPECT_EQ(FirstLine(version.out), "daxtool " DAXTOOL_VERSION ".0");

    // No display named, or one named where no server listens (a stale forwarded session).
    for (const char* display : {"", ":93"}) {
        auto env = kNoDisplay;
        env["DISPLAY"] = display;
        RunResult none = daxtest::Run({DAXTOOL_PATH}, env, 10000);
        EXPECT_EQ(none.exitCode, 1) << display;
        EXPECT_EQ(none.err, "daxtool: no display; daxtool-cli does the same from a terminal\n");
        EXPECT_EQ(none.out, "");
    }

    // An option it does not know: one line, bad usage, no window.
    RunResult bad = daxtest::Run({DAXTOOL_PATH, "--port", "3"}, kNoDisplay, 10000);
    EXPECT_EQ(bad.exitCode, 64);
    EXPECT_EQ(bad.err, "daxtool: unknown option '--port'; daxtool --help lists the options\n");
}
#endif

} // namespace
