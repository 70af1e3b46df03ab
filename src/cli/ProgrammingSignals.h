#pragma once

#include <csignal>

namespace dax {

// While a firmware download, or a store of the transporter's settings, runs, the signals that
// would end the program only ask it to stop: the first Ctrl-C warns and the work goes on, a
// second one (or SIGTERM, SIGHUP, SIGQUIT) stops it at its next safe point. Held for a loop that
// may stop at any step (the mailbox test), the first Ctrl-C stops it. The handlers only count;
// the work polls. A lost output reader (SIGPIPE) is no reason to stop: the failed write is
// handled where it happens. A terminal stop (Ctrl-Z) waits until the hold ends. Outside a hold
// every signal has its ordinary effect.
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
    // Ends the hold; a terminal stop that came meanwhile takes effect now.
    void Release();
    // Polled by the work while held.
    Request Poll();
    // The signal that stopped the work, 0 when none did.
    int StoppedBy() const { return m_nStoppedBy; }

private:
    bool m_bHeld = false;
    bool m_bWarned = false;
    int m_nStoppedBy = 0;
#ifndef _WIN32
    struct sigaction m_previous[6] = {};
#else
    void (*m_previous[2])(int) = {};
#endif
};

} // namespace dax
