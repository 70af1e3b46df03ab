#include "platform/RealClock.h"

#include "platform/Idle.h"

#include <chrono>
#include <thread>

namespace dax {

void RealClock::sleep(uint32_t ms) {
    // A pause of the device lets the window go on answering.
    Idle::Sleep(
        ms, [](uint32_t some) { std::this_thread::sleep_for(std::chrono::milliseconds(some)); });
}

uint64_t RealClock::nowMs() const {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace dax
