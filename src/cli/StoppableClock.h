#pragma once

#include "platform/RealClock.h"

#include <functional>

namespace dax {

// The real clock, whose pauses end early once the work under way is asked to stop; the seconds
// of waiting after a firmware download would otherwise hold back a stop and its warning.
class StoppableClock : public Clock {
public:
    void SetStopCheck(std::function<bool()> stopRequested) { m_stop = std::move(stopRequested); }
    void sleep(uint32_t ms) override;
    uint64_t nowMs() const override { return m_real.nowMs(); }

private:
    RealClock m_real;
    std::function<bool()> m_stop;
};

} // namespace dax
