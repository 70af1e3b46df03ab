// The three programs as a user starts them first: --help, --version, and no display.
#include "support/Process.h"

#include <gtest/gtest.h>

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
