#include "platform/fake/FakeSerialLine.h"

#include <gtest/gtest.h>

using namespace dax;

// The fake is the yardstick of every link test: its time-out model must be the real one.
TEST(FakeSerialLine, ReadKeepsTotalAndIntervalTimeouts) {
    FakeClock clock;
    auto line = std::make_shared<FakeSerialLine>(clock);
    FakeSerialDevice dev(line);
    ASSERT_TRUE(dev.open("\\\\.\\COM1"));
    dev.setTimeouts({0, 0, 100, 0, 0});
    line->queueInput("abc", 10);
    line->queueInput("def", 500);
    uint8_t buf[6] = {};
    size_t got = 0;
    const uint64_t t0 = clock.nowMs();
    ASSERT_TRUE(dev.read(buf, 6, got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(clock.nowMs() - t0, 100u);

    // The interval limit ends a read after the gap following the first byte.
    dev.setTimeouts({20, 0, 0, 0, 0});
    clock.advance(400);
    line->queueInput("gh", 50);
    const uint64_t t1 = clock.nowMs();
    ASSERT_TRUE(dev.read(buf, 6, got)); // "def" is already due, "gh" comes too late
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(clock.nowMs() - t1, 20u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "def");
    EXPECT_EQ(line->endlessReads, 0);

    ASSERT_TRUE(dev.read(buf, 2, got)); // all asked for: returns when the last byte is in
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(clock.nowMs() - t1, 50u);
}
