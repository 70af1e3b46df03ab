// daxtool-cli's calibration rounds against daxsim: what reaches the simulator's printer settings,
// read back from its log, and the printed offset marks as its printer decoded them.
#include "support/SimSession.h"

#include <gtest/gtest.h>

using daxtest::Json;
using daxtest::RunResult;

namespace {

using CalibrateAgainstSim = daxtest::SimSession;

TEST_F(CalibrateAgainstSim, OutOfRangeValuesSendNothingThenARotatorRoundPrintsAndSaves) {
    StartSim("basic");
    RunResult r;
    CliJson({"calibrate-rotator", "--left", "65", "--right", "32", "--left-margin", "5",
             "--top-margin", "75"},
            64, &r);
    EXPECT_NE(r.err.find("--left: Please enter an integer between 0 and 64."), std::string::npos)
        << r.err;
    CliJson({"calibrate-pocket", "--size", "63", "--angle", "181"}, 64, &r);
    EXPECT_NE(r.err.find("--angle: Please enter an integer between 0 and 180."), std::string::npos)
        << r.err;
    // The values are refused before any port is opened: not even discovery reaches the device.
    EXPECT_TRUE(Commands().empty());

    Json j = CliJson({"calibrate-rotator", "--left", "30", "--right", "35", "--left-margin", "4",
                      "--top-margin", "80", "--save"},
                     0);
    const Json& c = j["calibration"];
    EXPECT_EQ(c["sent"], (Json{{"rotational_offset", 32}, {"left_margin", 4}, {"top_margin", 80}}));
    EXPECT_EQ(c["loaded"], true);
    EXPECT_EQ(c["printed"], true);
    EXPECT_EQ(c["saved"], true);
    EXPECT_EQ(j["status"].get<std::string>().rfind("Enter new left and right offset values", 0),
              0u);

    // The order of moves, the print and the store are the dialog's (flow tests); here: the
    // marks reached the printer, and the command ends the round with Exit, which puts the disc
    // away.
    EXPECT_EQ(Log("event", "print_job").size(), 1u);
    EXPECT_EQ(Commands().back(), "f12011C");
}

// The settings the window's Calibrate Margins and a Morrane printer's fixed margins leave out:
// a value for a disabled field is refused before anything is sent, and none is required.
TEST_F(CalibrateAgainstSim, FieldsTheWindowDisablesTakeNoValue) {
    StartSim("basic", {"rotator=0"});
    auto settingSent = [&] {
        for (const std::string& c : Commands())
            for (const char* setting : {"f4", "f6", "f7", "f31"})
                if (c.rfind(setting, 0) == 0)
                    return true;
        return false;
    };
    Json j = CliJson({"calibrate-rotator", "--left", "60", "--right", "32", "--left-margin", "4",
                      "--top-margin", "80"},
                     1);
    EXPECT_EQ(j["status"], "Left Offset cannot be changed on this printer");
    EXPECT_FALSE(settingSent());
    RunResult r;
    CliJson({"calibrate-rotator", "--left-margin", "4"}, 64, &r);
    EXPECT_NE(r.err.find("--top-margin is required"), std::string::npos) << r.err;
    EXPECT_FALSE(settingSent());
    j = CliJson({"calibrate-rotator", "--left-margin", "4", "--top-margin", "80"}, 0);
    EXPECT_EQ(j["calibration"]["sent"],
              (Json{{"rotational_offset", nullptr}, {"left_margin", 4}, {"top_margin", 80}}));
    EXPECT_TRUE(Sent("f6004C") && Sent("f7080C"));
}

// A Morrane printer: its margins are fixed, and its offset marks come from an alignment file
// that is not next to the program here: the Test says which.
TEST_F(CalibrateAgainstSim, MorranePrinterWithoutItsAlignmentFile) {
    StartSim("morrane", {}, 1, {"--usb-printer"});
    Json j =
        CliJson({"calibrate-rotator", "--left", "30", "--right", "34", "--left-margin", "6"}, 1);
    EXPECT_EQ(j["status"], "Left Margin cannot be changed on this printer");
    EXPECT_FALSE(Sent("f6006C"));
    // Restore Default needs no offsets, and fixed margins need none either; the missing
    // alignment file is found before the offset goes out or the disc moves.
    j = CliJson({"calibrate-rotator", "--restore-default"}, 1);
    EXPECT_EQ(j["calibration"]["loaded"], false);
    EXPECT_EQ(j["calibration"]["printed"], false);
    const std::string status = j["status"];
    EXPECT_EQ(status.rfind("Unable to find ", 0), 0u) << status;
    EXPECT_NE(status.find("AlignCMY.prn"), std::string::npos) << status;
}

// The report says what went out and what the device took: after a refused left margin the top
// margin is never sent.
TEST_F(CalibrateAgainstSim, ARefusedMarginIsReportedAsSentAndRefused) {
    StartSim("basic", {"refuse=f6:5"});
    const std::vector<std::string> round = {
        "calibrate-rotator", "--restore-default", "--left-margin", "4", "--top-margin", "80"};
    Json j = CliJson(round, 1);
    const Json& c = j["calibration"];
    EXPECT_EQ(c["sent"],
              (Json{{"rotational_offset", 100}, {"left_margin", 4}, {"top_margin", nullptr}}));
    EXPECT_EQ(c["accepted"],
              (Json{{"rotational_offset", true}, {"left_margin", false}, {"top_margin", nullptr}}));
    EXPECT_EQ(j["status"], "Transporter: Illegal Request");
    const RunResult r = Cli(round);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("left margin sent: 4 (refused)\ntop margin sent: not sent\n"),
              std::string::npos)
        << r.out;
}

TEST_F(CalibrateAgainstSim, PocketRoundSetsTheOffsetOfItsSize) {
    StartSim("basic");
    Json j = CliJson({"calibrate-pocket", "--size", "63", "--restore-default"}, 0);
    EXPECT_EQ(j["calibration"]["sent"], (Json{{"media_size", 4}, {"pocket_offset", 100}}));
    EXPECT_EQ(j["calibration"]["angle"], nullptr);

    j = CliJson({"calibrate-pocket", "--size", "61", "--angle", "93", "--save"}, 0);
    const Json& c = j["calibration"];
    EXPECT_EQ(c["sent"], (Json{{"media_size", 5}, {"pocket_offset", 35}}));
    EXPECT_EQ(c["loaded"], true);
    EXPECT_EQ(c["saved"], true);
}

TEST_F(CalibrateAgainstSim, NoDiscInBin1) {
    StartSim("basic", {"bin1=0"});
    RunResult r;
    Json rot = CliJson({"calibrate-rotator", "--left", "40", "--right", "40", "--left-margin", "5",
                        "--top-margin", "75", "--save"},
                       1, &r);
    EXPECT_EQ(rot["calibration"]["loaded"], false);
    EXPECT_EQ(rot["calibration"]["saved"], nullptr); // a failed round is not saved
    EXPECT_NE(rot["status"].get<std::string>().find("the offset value was incorporated"),
              std::string::npos)
        << rot["status"];

    // The pocket dialog asks whether the disc is on the printer: no off a terminal ...
    Json no = CliJson({"calibrate-pocket", "--size", "58", "--angle", "90"}, 1, &r);
    EXPECT_NE(r.err.find("Is the disc on the printer?"), std::string::npos) << r.err;
    EXPECT_EQ(no["calibration"]["loaded"], false);
    EXPECT_NE(no["status"].get<std::string>().find(
                  "Is the disc on the printer?: answered No off a terminal; pass --assume-loaded "
                  "when the disc is on the printer"),
              std::string::npos)
        << no["status"];
    // ... yes when the technician placed it by hand.
    Json yes = CliJson({"calibrate-pocket", "--size", "58", "--angle", "90", "--assume-loaded"}, 0);
    EXPECT_EQ(yes["calibration"]["confirmed_by_hand"], true);
}

} // namespace
