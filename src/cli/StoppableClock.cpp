#include "cli/StoppableClock.h"

#include <algorithm>

namespace dax {

namespace {
constexpr uint32_t kSliceMs = 100;
} // namespace

void StoppableClock::sleep(uint32_t ms) {
    if (!m_stop) {
        m_real.sleep(ms);
        return;
    }
    while (ms > 0 && !m_stop()) {
        const uint32_t slice = std::min(ms, kSliceMs);
        m_real.sleep(slice);
        ms -= slice;
    }
}

} // namespace dax
