#pragma once

#include <cstdint>

namespace dax {

// Every pause and time-out of the program goes through this seam, so tests can run device
// flows with seconds of pauses on a fake clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleep(uint32_t ms) = 0;
    // Milliseconds since an arbitrary, fixed origin; never goes backwards.
    virtual uint64_t nowMs() const = 0;
};

} // namespace dax
