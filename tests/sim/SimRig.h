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
#include <thread>
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
        EXPECT_FALSE(pts.empty()) << "not started: " << ready;
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

inline const std::string kUsbEntry = "usb/vid_044e&pid_200a#SIM0";

// Method 1 run-length pairs with maximal runs, written out here on their own.
inline std::string Rle(const std::string& row) {
    std::string out;
    for (std::size_t i = 0; i < row.size();) {
        std::size_t n = 1;
        while (i + n < row.size() && n < 256 && row[i + n] == row[i])
            ++n;
        out += char(n - 1);
        out += row[i];
        i += n;
    }
    return out;
}

inline std::string RowCommand(const std::string& data) {
    return Esc("*b" + std::to_string(data.size()) + "W") + data;
}

// A page of `rows` rows from dot row `top`: row i has the byte 0x81 at column byte i.
inline std::string Block(int top, int rows) {
    std::string block = Esc("*b1M") + Esc("*p" + std::to_string(top) + "Y");
    for (int i = 0; i < rows; ++i) {
        std::string row(192, '\0');
        row[std::size_t(i % 192)] = '\x81';
        block += RowCommand(Rle(row));
    }
    return block;
}

// Writes to a printer port as the host does: open, write, close.
inline void WritePort(const Sim& sim, const std::string& bytes,
                      const std::string& entry = kUsbEntry) {
    const int fd = open((sim.dir + "/" + entry).c_str(), O_WRONLY | O_NOCTTY);
    ASSERT_GE(fd, 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        ASSERT_GT(n, 0);
        done += std::size_t(n);
    }
    close(fd);
    // The pseudo-terminal hands the bytes on a moment later, as a real port would.
    std::this_thread::sleep_for(milliseconds(50));
}

// The log line of the next print job, waiting for it a little.
// printer: "a" or "b" on the dual-printer transporter, whose job lines name the printer.
inline std::string JobLine(const Sim& sim, int job = 1, const std::string& printer = "") {
    const std::string key = R"("event":"print_job",)" +
                            (printer.empty() ? "" : R"("printer":")" + printer + R"(",)") +
                            R"("job":)" + std::to_string(job) + ",";
    for (int i = 0; i < 40; ++i) {
        const std::string text = daxtest::ReadFile(sim.log);
        if (const auto at = text.find(key); at != std::string::npos)
            return text.substr(at, text.find('\n', at) - at);
        std::this_thread::sleep_for(milliseconds(50));
    }
    return "";
}

} // namespace simrig
