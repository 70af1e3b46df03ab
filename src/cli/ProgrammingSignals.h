#pragma once

#include <csignal>

namespace dax {

// While a firmware download runs, the signals that would end the program only ask it to stop:
// the first Ctrl-C warns and the download goes on, a second one (or SIGTERM, SIGHUP) stops it
// at the next block. Held for a loop that may stop at any step (the mailbox test), the first
// Ctrl-C stops it. The handlers only count; the loop polls. Otherwise every signal has its
// ordinary effect.
class ProgrammingSignals {
public:
    enum class Request {
        None,
        Warn, // the first Ctrl-C: given once
        Stop,
    };

    ProgrammingSignals() = default;
    ~ProgrammingSignals() { Release(); }
    ProgrammingSignals(const ProgrammingSignals&) = delete;
    ProgrammingSignals& operator=(const ProgrammingSignals&) = delete;

    // With warnFirst, the first Ctrl-C only warns.
    void Hold(bool warnFirst = true);
    void Release();
    // Polled by the download while held.
    Request Poll();
    // The signal that stopped the download, 0 when none did.
    int StoppedBy() const { return m_nStoppedBy; }

private:
    bool m_bHeld = false;
    bool m_bWarned = false;
    int m_nStoppedBy = 0;
#ifndef _WIN32
    struct sigaction m_previous[3] = {};
#else
    void (*m_previous[2])(int) = {};
#endif
};

} // namespace dax
