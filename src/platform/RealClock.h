#pragma once

#include "platform/Clock.h"

namespace dax {

class RealClock : public Clock {
public:
    void sleep(uint32_t ms) override;
    uint64_t nowMs() const override;
};

} // namespace dax
