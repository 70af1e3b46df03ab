#include "platform/RealClock.h"

#include "platform/Idle.h"

#include <windows.h>

namespace dax {

void RealClock::sleep(uint32_t ms) {
    // A pause of the device lets the window go on answering.
    Idle::Sleep(ms, [](uint32_t some) { ::Sleep(some); });
}

uint64_t RealClock::nowMs() const {
    // Milliseconds since the system started; 64 bits do not wrap.
    return ::GetTickCount64();
}

} // namespace dax
