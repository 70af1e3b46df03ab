#include "platform/RealClock.h"
#include "platform/VersionBlock.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace dax {
namespace {

// The version block is the executable's version resource on Windows (built into daxtool-cli.exe
// only), where Linux builds it in from the project's version.
TEST(Win32ProgramTest, AProgramWithoutVersionResourceHasNoBlock) {
    const VersionBlock block = ReadVersionBlock();
    EXPECT_FALSE(block.present);
    EXPECT_TRUE(block.fileVersion.empty());
}

TEST(Win32ProgramTest, ClockSleepsAndCountsMilliseconds) {
    RealClock clock;
    const uint64_t start = clock.nowMs();
    clock.sleep(50);
    const uint64_t elapsed = clock.nowMs() - start;
    // The tick is coarse (10 to 16 ms), never backwards.
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 2000u);
}

} // namespace
} // namespace dax
