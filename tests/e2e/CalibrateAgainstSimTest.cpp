// daxtool-cli's calibration rounds against daxsim: what reaches the simulator's printer settings,
// read back from its log, and the printed offset marks as its printer decoded them.
#include "support/Process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using daxtest::Background;
using daxtest::RunResult;
using daxtest::TempDir;
using Json = nlohmann::json;

namespace {

class CalibrateAgainstSim : public ::testing::Test {
protected:
    void StartSim(std::vector<std::string> sets = {}) {
        std::vector<std::string> args = {DAXSIM_PATH,
                                         "--profile",
                                         "basic",
                                         "--port",
                                         "1",
                                         "--device-dir",
                                         dir.Path() + "/dev",
                                         "--log",
                                         dir.Path() + "/sim.log"};
        sets.push_back("reboot_ms=200");
        for (const auto& s : sets) {
            args.push_back("--set");
            args.push_back(s);
        }
        sim = std::make_unique<Background>(args, std::map<std::string, std::string>{});
        const std::string ready = sim->ReadLine(10000);
        ASSERT_EQ(ready.rfind("ready COM1 ", 0), 0u) << ready;
    }

    // One run with --json; its report.
    Json Calibrate(std::vector<std::string> args, int expectedExit, RunResult* result = nullptr) {
        args.insert(args.begin(), {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--port",
                                   "1", "--json"});
        RunResult r = daxtest::Run(args, {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                          {"XDG_RUNTIME_DIR", dir.Path()},
                                          {"DAXTOOL_DEVICE_DIR", ""}});
        EXPECT_EQ(r.exitCode, expectedExit) << r.out << r.err;
        if (result)
            *result = r;
        Json j = Json::parse(r.out, nullptr, false);
        EXPECT_FALSE(j.is_discarded()) << r.out << r.err;
        return j;
    }

    // The simulator's log lines of one direction (and event).
    std::vector<Json> Log(const std::string& dir_, const std::string& event = "") {
        std::vector<Json> lines;
        std::istringstream log(daxtest::ReadFile(dir.Path() + "/sim.log"));
        for (std::string line; std::getline(log, line);) {
            Json j = Json::parse(line, nullptr, false);
            if (!j.is_discarded() && j.value("dir", "") == dir_ &&
                (event.empty() || j.value("event", "") == event))
                lines.push_back(j);
        }
        return lines;
    }
    std::vector<std::string> Commands() {
        std::vector<std::string> cmds;
        for (const Json& j : Log("rx"))
            if (j.contains("cmd"))
                cmds.push_back(j["cmd"]);
        return cmds;
    }
    bool Sent(const std::string& cmd) {
        const auto cmds = Commands();
        return std::find(cmds.begin(), cmds.end(), cmd) != cmds.end();
    }

    TempDir dir;
    std::unique_ptr<Background> sim;
};

TEST_F(CalibrateAgainstSim, RotatorRoundPrintsTheMarksAndSavesTheValues) {
    StartSim();
    Json j = Calibrate({"calibrate-rotator", "--left", "30", "--right", "35", "--left-margin", "4",
                        "--top-margin", "80", "--save"},
                       0);
    const Json& c = j["calibration"];
    EXPECT_EQ(c["sent"], (Json{{"rotational_offset", 32}, {"left_margin", 4}, {"top_margin", 80}}));
    EXPECT_EQ(c["loaded"], true);
    EXPECT_EQ(c["printed"], true);
    EXPECT_EQ(c["saved"], true);
    EXPECT_EQ(j["status"].get<std::string>().rfind("Enter new left and right offset values", 0),
              0u);

    // The disc came from bin 1 through the rotator, the marks were printed and decoded whole,
    // and Exit put the disc away.
    EXPECT_TRUE(Sent("f31100000C"));
    const auto jobs = Log("event", "print_job");
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_GT(jobs[0]["decoded_rows"], 0);
    EXPECT_EQ(jobs[0]["decoded_rows"], jobs[0]["rows"]);
    EXPECT_EQ(jobs[0]["bad_rows"], 0);
    EXPECT_EQ(Commands().back(), "f12011C");

    // Stored, and still there after the restart Save Offset asked for.
    const auto settings = Log("event", "settings");
    ASSERT_FALSE(settings.empty());
    const Json& last = settings.back();
    EXPECT_EQ(last["why"], "set"); // the media size goes back to plain discs
    EXPECT_EQ(last["media_size"], 0);
    EXPECT_EQ(last["rotational_offset"], 32);
    EXPECT_EQ(last["left_margin"], 4);
    EXPECT_EQ(last["top_margin"], 80);
    const auto restarted = std::find_if(settings.begin(), settings.end(),
                                        [](const Json& s) { return s["why"] == "restarted"; });
    ASSERT_NE(restarted, settings.end());
    EXPECT_EQ((*restarted)["left_margin"], 4);
    EXPECT_EQ((*restarted)["top_margin"], 80);
}

TEST_F(CalibrateAgainstSim, PocketRoundSetsTheOffsetOfItsSize) {
    StartSim();
    Json j = Calibrate({"calibrate-pocket", "--size", "61", "--angle", "93", "--save"}, 0);
    const Json& c = j["calibration"];
    EXPECT_EQ(c["sent"], (Json{{"media_size", 5}, {"pocket_offset", 35}}));
    EXPECT_EQ(c["loaded"], true);
    EXPECT_EQ(c["saved"], true);
    EXPECT_TRUE(Sent("f12701C")); // onto the pocket position

    const auto settings = Log("event", "settings");
    ASSERT_FALSE(settings.empty());
    const Json& last = settings.back();
    EXPECT_EQ(last["media_size"], 5);
    EXPECT_EQ(last["pocket_offset_61"], 35);
    EXPECT_EQ(last["pocket_offset_58"], 32);
    EXPECT_EQ(last["rotational_offset"], 32);
}

TEST_F(CalibrateAgainstSim, NoDiscInBin1) {
    StartSim({"bin1=0"});
    RunResult r;
    Json rot = Calibrate({"calibrate-rotator", "--left", "40", "--right", "40", "--left-margin",
                          "5", "--top-margin", "75", "--save"},
                         1, &r);
    EXPECT_EQ(rot["calibration"]["loaded"], false);
    EXPECT_EQ(rot["calibration"]["saved"], nullptr); // a failed round is not saved
    EXPECT_NE(rot["status"].get<std::string>().find("the offset value was incorporated"),
              std::string::npos)
        << rot["status"];
    EXPECT_TRUE(Log("event", "print_job").empty());
    EXPECT_EQ(Log("event", "settings").back()["rotational_offset"], 40);

    // The pocket dialog asks whether the disc is on the printer: no by default ...
    Json no = Calibrate({"calibrate-pocket", "--size", "58", "--angle", "90"}, 1, &r);
    EXPECT_NE(r.err.find("Is the disc on the printer?"), std::string::npos) << r.err;
    EXPECT_EQ(no["calibration"]["loaded"], false);
    EXPECT_EQ(no["status"], "The entered angle was saved but the disc failed to load. Retest "
                            "with the current angle.");
    // ... yes when the technician placed it by hand.
    Json yes =
        Calibrate({"calibrate-pocket", "--size", "58", "--angle", "90", "--assume-loaded"}, 0);
    EXPECT_EQ(yes["calibration"]["confirmed_by_hand"], true);
    EXPECT_EQ(Log("event", "settings").back()["pocket_offset_58"], 32);
}

TEST_F(CalibrateAgainstSim, ValuesOutOfRangeSendNothing) {
    StartSim();
    RunResult r;
    Calibrate({"calibrate-rotator", "--left", "65", "--right", "32", "--left-margin", "5",
               "--top-margin", "75"},
              64, &r);
    EXPECT_NE(r.err.find("Please enter an integer between 0 and 64."), std::string::npos) << r.err;
    Calibrate({"calibrate-pocket", "--size", "63", "--angle", "181"}, 64, &r);
    EXPECT_NE(r.err.find("Please enter an integer between 0 and 180."), std::string::npos) << r.err;
    // The values are refused before any port is opened: not even discovery reaches the device.
    EXPECT_TRUE(Commands().empty());
}

} // namespace
