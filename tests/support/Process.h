#pragma once

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace daxtest {

struct RunResult {
    int exitCode = -1; // -1: killed after its time limit, or ended by a signal
    int signal = 0;    // the signal that ended it (SIGKILL at the time limit)
    std::string out;
    std::string err;
};

// What a run may do besides: `started` is called with the program's process id once it runs
// (to signal it from another thread); with `closedOutput` nobody reads its stdout.
struct RunHooks {
    std::function<void(pid_t)> started;
    bool closedOutput = false;
};

// Runs a program to its end with extra environment variables; killed after `limitMs`.
RunResult Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
              int limitMs = 120000, const RunHooks& hooks = {});

// A program left running in the background, its stdout (and with `withStderr` its stderr too)
// readable line by line; ended with SIGTERM when the object goes.
class Background {
public:
    // With `onTerminal`, stdin and stderr are a pseudo-terminal, as a person at one has them.
    Background(const std::vector<std::string>& args, const std::map<std::string, std::string>& env,
               bool withStderr = false, bool onTerminal = false);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    // The next line of its stdout, or "" when none comes within `limitMs`.
    std::string ReadLine(int limitMs);
    // Waits for its end: the exit status (-1 when a signal ended it or it is killed after
    // `limitMs`); what it wrote and was not read yet goes into `rest`.
    int Wait(int limitMs, std::string& rest);
    pid_t Pid() const { return m_pid; }
    // On the terminal: what it shows, read until `text` appears (false when it does not
    // within `limitMs`), and what is typed into it.
    bool WaitForScreen(const std::string& text, int limitMs);
    void Type(const std::string& text);
    std::string screen;

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_terminal = -1;
    std::string m_buffer;
};

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::string ReadFile(const std::string& path);

} // namespace daxtest
