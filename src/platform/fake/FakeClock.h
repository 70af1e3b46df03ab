#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <vector>

namespace dax {

// A clock that only moves when told to: sleeps advance it at once and are recorded, so tests
// can assert the pauses a flow makes.
class FakeClock : public Clock {
public:
    void sleep(uint32_t ms) override {
        sleeps.push_back(ms);
        now_ += ms;
    }
    uint64_t nowMs() const override { return now_; }
    void advance(uint64_t ms) { now_ += ms; }
    void setNow(uint64_t ms) { now_ = ms; }

    std::vector<uint32_t> sleeps;

private:
    uint64_t now_ = 1000000;
};

} // namespace dax
