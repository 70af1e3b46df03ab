#pragma once
// The rig of the daxsim tests: a daxsim of its own, its pseudo-terminal held like a serial port.
#include "support/Process.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace simrig {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

inline std::string Esc(const std::string& text) {
    return "\x1b" + text;
}

inline std::vector<std::string> SimArgs(const std::string& profile,
                                        const std::vector<std::string>& sets,
                                        const std::string& dir, const std::string& log,
                                        const std::vector<std::string>& extra) {
    std::vector<std::string> args = {DAXSIM_PATH,    "--profile", profile, "--port", "4",
                                     "--device-dir", dir,         "--log", log};
    for (const auto& s : sets)
        args.insert(args.end(), {"--set", s});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

// One daxsim with its own device directory and log, serving COM4; the test holds the host's
// end, the slave of the pseudo-terminal, raw, at a chosen rate. extra: more options.
class Sim {
public:
    explicit Sim(const std::string& profile, const std::vector<std::string>& sets = {},
                 speed_t rate = B38400, const std::vector<std::string>& extra = {})
        : proc(SimArgs(profile, sets, dir, log, extra), {}) {
        SetRate(rate);
    }
    ~Sim() { close(m_fd); }
    void SetRate(speed_t rate) {
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, rate);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    // Writes everything, waiting for room (firmware images outgrow the pseudo-terminal).
    void Send(const std::string& bytes) {
        std::size_t done = 0;
        for (pollfd p{m_fd, POLLOUT, 0}; done < bytes.size() && poll(&p, 1, 5000) > 0;)
            done += std::max<ssize_t>(0, write(m_fd, bytes.data() + done, bytes.size() - done));
        EXPECT_EQ(done, bytes.size());
    }
    // Sends the command and reads up to n answer bytes, waiting at most ms.
    std::string Ask(const std::string& command, std::size_t n, int ms = 1000) {
        Send(command);
        std::string out;
        const auto end = Clock::now() + milliseconds(ms);
        for (pollfd p{m_fd, POLLIN, 0}; out.size() < n;) {
            const auto left = std::chrono::duration_cast<milliseconds>(end - Clock::now());
            if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0)
                break;
            char buf[256];
            const ssize_t got = read(m_fd, buf, std::min(sizeof buf, n - out.size()));
            out.append(buf, std::max<ssize_t>(0, got));
        }
        return out;
    }
    // Sends each command and expects its answer byte for byte (ESC added to both); "" is
    // silence.
    void Talk(const std::vector<std::pair<std::string, std::string>>& exchanges) {
        for (const auto& [command, answer] : exchanges)
            EXPECT_EQ(Ask(Esc(command), answer.size() + 1, answer.empty() ? 200 : 1000),
                      answer.empty() ? "" : Esc(answer))
                << command;
    }
    testing::AssertionResult Logged(const std::string& part) const {
        const std::string text = daxtest::ReadFile(log);
        if (text.find(part) != std::string::npos)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "not logged: " << part << "\n" << text;
    }

    daxtest::TempDir tmp;
    const std::string dir = tmp.Path() + "/dev", log = tmp.Path() + "/sim.log";
    daxtest::Background proc;
    // Generous: tests run side by side, and a loaded machine may take seconds to start it.
    const std::string ready = proc.ReadLine(20000);
    const std::string pts = ready.rfind("ready COM4 ", 0) == 0 ? ready.substr(11) : "";

private:
    int m_fd = open(pts.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
};

} // namespace simrig
