#include "platform/RealClock.h"

#include <windows.h>

namespace dax {

void RealClock::sleep(uint32_t ms) {
    ::Sleep(ms);
}

uint64_t RealClock::nowMs() const {
    // Milliseconds since the system started; 64 bits do not wrap.
    return ::GetTickCount64();
}

} // namespace dax
