#pragma once

#include <cstdint>
#include <functional>

namespace dax {

// What the program does while an operation waits. Every wait that can last (the clock's pauses,
// serial and printer-port time-outs) calls Idle::Run at least every Idle::kIntervalMs, so a
// window that sets the handler to its PumpMessages repaints and answers input during any
// operation. The handler belongs to the thread that sets it; without one a wait only waits.
class Idle {
public:
    // The longest a wait goes without calling Run while a handler is set.
    static constexpr uint32_t kIntervalMs = 100;
    // The longest a wait blocks between two calls; the rest of the interval is the handler's.
    static constexpr uint32_t kSliceMs = 50;

    // Runs the handler, unless it ran a moment ago or this call comes from inside it.
    static void Run();
    static bool HasHandler();
    // A poll() time-out (-1: none) cut to one slice while a handler is set.
    static int PollSlice(int timeoutMs);
    // Sleeps `ms` through `sleepSome` (milliseconds at a time), running the handler between.
    static void Sleep(uint32_t ms, void (*sleepSome)(uint32_t));
};

// Sets the calling thread's idle handler for its lifetime; the one before it comes back after.
class IdleHandlerScope {
public:
    explicit IdleHandlerScope(std::function<void()> handler);
    ~IdleHandlerScope();
    IdleHandlerScope(const IdleHandlerScope&) = delete;
    IdleHandlerScope& operator=(const IdleHandlerScope&) = delete;

private:
    std::function<void()> m_previous;
};

} // namespace dax
