#pragma once
// A test that starts daxsim on a port of a private device directory and runs daxtool-cli against
// it; the simulator's JSON log read back line by line. For the end-to-end programs, which know
// where both programs were built.
#include "support/Process.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

namespace daxtest {

using Json = nlohmann::json;

class SimSession : public ::testing::Test {
protected:
    // The simulator playing `profile` on COM`port` with `--set` values and `extra` options,
    // its own log and print capture; a short restart unless a test sets its own.
    void StartSim(const std::string& profile, const std::vector<std::string>& sets = {},
                  int port = 1, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {DAXSIM_PATH, "--profile", profile, "--port",
                                         std::to_string(port)};
        args.insert(args.end(), {"--device-dir", dir.Path() + "/dev", "--log", LogPath(),
                                 "--print-capture", CapturePath(), "--set", "reboot_ms=200"});
        for (const auto& s : sets)
            args.insert(args.end(), {"--set", s});
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<Background>(args, std::map<std::string, std::string>{});
        // Generous: tests run side by side, and a loaded machine may take seconds to start it.
        const std::string ready = sim->ReadLine(20000);
        ASSERT_EQ(ready.rfind("ready COM" + std::to_string(port) + " ", 0), 0u) << ready;
        simNode = ready.substr(ready.rfind(' ') + 1);
    }

    // A run on COM1, or with `scanPorts` a run that finds the transporter itself.
    RunResult Cli(std::vector<std::string> args, int limitMs = 120000, const RunHooks& hooks = {}) {
        if (!scanPorts)
            args.insert(args.begin(), {"--port", "1"});
        args.insert(args.begin(), {DAXTOOL_CLI_PATH, "--device-dir", dir.Path() + "/dev"});
        return daxtest::Run(args, Env(), limitMs, hooks);
    }
    std::map<std::string, std::string> Env() {
        return {{"XDG_CONFIG_HOME", dir.Path() + "/config"},
                {"XDG_RUNTIME_DIR", dir.Path()},
                {"DAXTOOL_DEVICE_DIR", ""}};
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
    int Count(const std::vector<std::string>& all, const std::string& one) {
        return int(std::count(all.begin(), all.end(), one));
    }
    bool Sent(const std::string& cmd) { return Count(Commands(), cmd) > 0; }

    std::string Settings() { return ReadFile(SettingsPath()); }
    void WriteSettings(const std::string& text) {
        std::filesystem::create_directories(dir.Path() + "/config/Korvix");
        std::ofstream(SettingsPath()) << text;
    }
    // A file of the test's own directory holding `bytes`; its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // A general transporter image for the simulator: identification, revision and family.
    static std::string TransporterImage(size_t size, const std::string& revision = "3.40 C",
                                        const std::string& family = "Velmora") {
        std::string image(size, '\0');
        for (size_t i = 0; i < size; ++i)
            image[i] = char(i * 31 + 7);
        image.replace(160, 30, "DISC TRANSPORTERVERSION " + revision);
        return image.replace(193, family.size(), family);
    }

    std::string LogPath() { return dir.Path() + "/sim.log"; }
    std::string CapturePath() { return dir.Path() + "/capture.bin"; }
    std::string SettingsPath() { return dir.Path() + "/config/Korvix/Daxtool.conf"; }

    TempDir dir;
    std::unique_ptr<Background> sim;
    std::string simNode;    // the pseudo-terminal the simulator serves
    bool scanPorts = false; // runs without --port
};

} // namespace daxtest
