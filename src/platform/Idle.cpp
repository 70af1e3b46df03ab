#include "platform/Idle.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace dax {

namespace {

using Steady = std::chrono::steady_clock;

// A wait that loops fast (bytes trickling in) would otherwise run the handler on every turn.
constexpr auto kMinGap = std::chrono::milliseconds(10);

thread_local std::function<void()> t_handler;
thread_local bool t_running = false;
thread_local Steady::time_point t_lastRun{};

} // namespace

void Idle::Run() {
    if (!t_handler || t_running)
        return;
    const Steady::time_point now = Steady::now();
    if (now - t_lastRun < kMinGap)
        return;
    t_running = true;
    // The handler may replace itself (a window closing); run the copy it was.
    const std::function<void()> handler = t_handler;
    handler();
    t_running = false;
    t_lastRun = Steady::now();
}

bool Idle::HasHandler() {
    return bool(t_handler);
}

int Idle::PollSlice(int timeoutMs) {
    if (!t_handler)
        return timeoutMs;
    const int slice = int(kSliceMs);
    return timeoutMs < 0 ? slice : std::min(timeoutMs, slice);
}

void Idle::Sleep(uint32_t ms, void (*sleepSome)(uint32_t)) {
    if (!t_handler) {
        sleepSome(ms);
        return;
    }
    const Steady::time_point end = Steady::now() + std::chrono::milliseconds(ms);
    for (;;) {
        Run();
        const Steady::time_point now = Steady::now();
        if (now >= end)
            return;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
        sleepSome(uint32_t(std::min<int64_t>(left, kSliceMs)));
    }
}

IdleHandlerScope::IdleHandlerScope(std::function<void()> handler)
    : m_previous(std::exchange(t_handler, std::move(handler))) {}

IdleHandlerScope::~IdleHandlerScope() {
    t_handler = std::move(m_previous);
}

} // namespace dax
