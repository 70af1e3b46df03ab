#pragma once
// A test that starts daxsim on COM1 of a private device directory and runs daxtool-cli against
// it; the simulator's JSON log read back line by line. For the end-to-end programs, which know
// where both programs were built.
#include "support/Process.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace daxtest {

using Json = nlohmann::json;

class SimSession : public ::testing::Test {
protected:
    // `args` follow the simulator's own device directory, log and print capture; a short
    // restart unless a test asks for its own.
    void StartSim(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {DAXSIM_PATH, "--device-dir", dir.Path() + "/dev", "--log", LogPath(),
                     "--print-capture", CapturePath(), "--set", "reboot_ms=200"});
        sim = std::make_unique<Background>(args, std::map<std::string, std::string>{});
        const std::string ready = sim->ReadLine(10000);
        ASSERT_EQ(ready.rfind("ready COM1 ", 0), 0u) << ready;
    }

    RunResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(),
                    {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev", "--port", "1"});
        return daxtest::Run(args, {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                                   {"XDG_RUNTIME_DIR", dir.Path()},
                                   {"DAXTOOL_DEVICE_DIR", ""}});
    }
    // One run with --json and the exit it must end with; its report.
    Json CliJson(std::vector<std::string> args, int expectedExit = 0, RunResult* result = nullptr) {
        args.insert(args.begin(), "--json");
        const RunResult r = Cli(args);
        EXPECT_EQ(r.exitCode, expectedExit) << r.out << r.err;
        if (result)
            *result = r;
        Json j = Json::parse(r.out, nullptr, false);
        EXPECT_FALSE(j.is_discarded()) << r.out << r.err;
        return j;
    }

    // The simulator's log lines going `dirName` ("rx", "print", "event"), of one event if named.
    std::vector<Json> Log(const std::string& dirName, const std::string& event = "") {
        std::vector<Json> lines;
        std::istringstream log(ReadFile(LogPath()));
        for (std::string line; std::getline(log, line);) {
            Json j = Json::parse(line, nullptr, false);
            if (!j.is_discarded() && j.value("dir", "") == dirName &&
                (event.empty() || j.value("event", "") == event))
                lines.push_back(j);
        }
        return lines;
    }
    // The string values of `key` in those lines.
    std::vector<std::string> LogValues(const std::string& dirName, const std::string& key) {
        std::vector<std::string> values;
        for (const Json& j : Log(dirName))
            if (j.contains(key) && j[key].is_string())
                values.push_back(j[key].get<std::string>());
        return values;
    }
    // The commands the transporter took on its serial link.
    std::vector<std::string> Commands() {
        std::vector<std::string> cmds;
        for (const Json& j : Log("rx"))
            if (j.contains("cmd") && !j.contains("source"))
                cmds.push_back(j["cmd"]);
        return cmds;
    }
    bool Sent(const std::string& cmd) {
        const auto cmds = Commands();
        return std::find(cmds.begin(), cmds.end(), cmd) != cmds.end();
    }

    std::string LogPath() { return dir.Path() + "/sim.log"; }
    std::string CapturePath() { return dir.Path() + "/capture.bin"; }

    TempDir dir;
    std::unique_ptr<Background> sim;
};

} // namespace daxtest
