#include "cli/ProgrammingSignals.h"

#include <atomic>
#include <iterator>

namespace dax {

namespace {

#ifndef _WIN32
// The last three are not stop requests: a lost reader of the output, and a terminal stop.
constexpr int kHeldSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGTSTP};
#else
constexpr int kHeldSignals[] = {SIGINT, SIGTERM};
#endif

std::atomic<int> g_interrupts{0};    // Ctrl-C presses while held
std::atomic<int> g_stopSignal{0};    // the signal that asks to stop, 0 none
std::atomic<bool> g_warnFirst{true}; // the first Ctrl-C only warns
std::atomic<bool> g_terminalStop{false};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnHeldSignal(int signal) {
#ifdef _WIN32
    std::signal(signal, OnHeldSignal); // the handler is reset before each call
#else
    if (signal == SIGPIPE)
        return;
    if (signal == SIGTSTP) {
        g_terminalStop.store(true);
        return;
    }
#endif
    if (signal != SIGINT || !g_warnFirst.load() || g_interrupts.fetch_add(1) >= 1)
        g_stopSignal.store(signal);
}

} // namespace

void ProgrammingSignals::Hold(bool warnFirst) {
    if (m_bHeld)
        return;
    g_warnFirst.store(warnFirst);
    g_interrupts.store(0);
    g_stopSignal.store(0);
    g_terminalStop.store(false);
    m_bWarned = false;
    m_nStoppedBy = 0;
    for (size_t i = 0; i < std::size(kHeldSignals); ++i) {
#ifndef _WIN32
        struct sigaction action = {};
        action.sa_handler = OnHeldSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // the link's reads and writes go on where they were
        sigaction(kHeldSignals[i], &action, &m_previous[i]);
#else
        m_previous[i] = std::signal(kHeldSignals[i], OnHeldSignal);
#endif
    }
    m_bHeld = true;
}

void ProgrammingSignals::Release() {
    if (!m_bHeld)
        return;
    for (size_t i = 0; i < std::size(kHeldSignals); ++i) {
#ifndef _WIN32
        sigaction(kHeldSignals[i], &m_previous[i], nullptr);
#else
        std::signal(kHeldSignals[i], m_previous[i]);
#endif
    }
    m_bHeld = false;
#ifndef _WIN32
    // The stop the user asked for during the hold, now that the device is safe.
    if (g_terminalStop.exchange(false))
        std::raise(SIGTSTP);
#endif
}

ProgrammingSignals::Request ProgrammingSignals::Poll() {
    if (!m_bHeld)
        return Request::None;
    if (const int signal = g_stopSignal.load()) {
        m_nStoppedBy = signal;
        return Request::Stop;
    }
    if (g_interrupts.load() >= 1 && !m_bWarned) {
        m_bWarned = true;
        return Request::Warn;
    }
    return Request::None;
}

} // namespace dax
