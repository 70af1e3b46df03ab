#pragma once

#include <csignal>

namespace dax {

// While a firmware download runs, the signals that would end the program only ask it to stop:
// the first Ctrl-C warns and the download goes on, a second one (or SIGTERM, SIGHUP) stops it
// at the next block. The handlers only count; the download polls. Outside a download every
// signal has its ordinary effect.
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

    void Hold();
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
