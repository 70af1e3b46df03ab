#include "link/CTransporterPort.h"

#include "link/PortTrace.h"
#include "platform/fake/FakeSerialLine.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace dax;

namespace {

const std::string kInquiry = "\x1b!e0C";

class TransporterPortTest : public ::testing::Test {
protected:
    FakeClock clock;
    std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>(clock);
    std::unique_ptr<CTransporterPort> port;
    uint64_t writtenAt = 0;

    void make(uint32_t baud = 38400) {
        line->lineState.xonChar = 0x21; // the port must put its own back
        port = std::make_unique<CTransporterPort>(std::make_unique<FakeSerialDevice>(line), clock,
                                                  "\\\\.\\COM5", baud);
        answerWith("", 0);
    }
    void answerWith(const std::string& answer, uint64_t delayMs = 5) {
        line->onWrite = [this, answer, delayMs](FakeSerialLine& l, const std::vector<uint8_t>&) {
            writtenAt = l.clock().nowMs();
            l.queueInput(answer, delayMs);
        };
    }
    bool exchange(std::string& answer, uint32_t length, uint32_t seconds = 2) {
        answer.assign(length, '\0');
        return port->Exchange(kInquiry.data(), uint32_t(kInquiry.size()),
                              length ? answer.data() : nullptr, length, seconds);
    }
};

} // namespace

TEST_F(TransporterPortTest, OpensWithHardwareHandshake8N1OrNotAtAll) {
    make(115200);
    ASSERT_TRUE(port->IsOpen());
    SerialLineState want;
    want.baudRate = 115200;
    want.ctsOutputFlow = want.rtsHandshake = true;
    want.discardNul = true;
    EXPECT_EQ(line->lineState, want);
    EXPECT_EQ(line->timeouts, (SerialTimeouts{0, 0, 20000, 200, 10000}));
    const SerialLineState other = LineStateFromFlags(0x1310, want); // XON/XOFF, DTR and RTS on
    EXPECT_TRUE(other.xonXoffOutput && other.xonXoffInput && other.dtr && !other.rtsHandshake);
    EXPECT_EQ(other.baudRate, 115200u);

    port.reset();
    line->setStateErrno = EIO;
    make();
    EXPECT_FALSE(port->IsOpen());
    EXPECT_STREQ(port->GetErrorText(), "SetCommState failed - 5");
}

TEST_F(TransporterPortTest, CtsOffGivesUpAfterThreeSecondsWithoutWriting) {
    make();
    line->ctsOn = false;
    const uint64_t t0 = clock.nowMs();
    std::string answer;
    EXPECT_FALSE(exchange(answer, 6));
    EXPECT_STREQ(port->GetErrorText(), "CTS signal is off");
    EXPECT_EQ(clock.nowMs() - t0, 3000u);
    EXPECT_TRUE(line->written.empty());

    line->modemErrno = EIO;
    line->lineErrorMask = 0x8;
    EXPECT_FALSE(port->WaitForCts(3));
    EXPECT_STREQ(port->GetErrorText(), "COM error, major 110, minor 5");
    EXPECT_EQ(port->GetLineErrors(), 0x8u);
}

TEST_F(TransporterPortTest, StaleAnswerIsDrainedBeforeTheCommand) {
    make();
    line->queueInput("\x1b!e1XSTALE");
    answerWith("\x1b!e1C.");
    const uint64_t t0 = clock.nowMs();
    std::string answer;
    ASSERT_TRUE(exchange(answer, 6));
    EXPECT_EQ(answer, "\x1b!e1C.");
    EXPECT_EQ(line->readCalls, (std::vector<size_t>{64, 6}));
    EXPECT_EQ(writtenAt - t0, 50u); // a short stale block waits out the drain's 50 ms
    EXPECT_EQ(port->GetErrorCode(), 0u);
    EXPECT_EQ(line->timeouts, (SerialTimeouts{0, 0, 2000, 200, 10000}));

    line->queueInput(std::string(64, 'x')); // a full drain block returns at once
    const uint64_t t1 = clock.nowMs();
    ASSERT_TRUE(exchange(answer, 6));
    EXPECT_EQ(writtenAt, t1);

    // No answer expected: neither drain nor read.
    answerWith("", 0);
    line->queueInput("old");
    line->readCalls.clear();
    EXPECT_TRUE(exchange(answer, 0));
    EXPECT_TRUE(line->readCalls.empty());
    EXPECT_EQ(line->pendingInput(), 3u);
}

TEST_F(TransporterPortTest, AnswerTimeoutFollowsTheSecondsAndZeroWaits) {
    make();
    answerWith("\x1b!e", 100);
    const uint64_t t0 = clock.nowMs();
    std::string answer;
    EXPECT_FALSE(exchange(answer, 6, 4));
    EXPECT_STREQ(port->GetErrorText(), "Receive timeout");
    EXPECT_EQ(answer.substr(0, 3), "\x1b!e");
    EXPECT_EQ(clock.nowMs() - t0, 50u + 4000u);

    answerWith("\x1b!e1C.", 45000);
    ASSERT_TRUE(exchange(answer, 6, 0));
    EXPECT_EQ(answer, "\x1b!e1C.");

    // Time-outs that cannot be set: nothing is sent rather than a read that might never end.
    line->setTimeoutsErrno = EINVAL;
    line->written.clear();
    EXPECT_FALSE(exchange(answer, 6, 0));
    EXPECT_TRUE(line->written.empty());
}

TEST_F(TransporterPortTest, BaudRateChangeTouchesOnlyTheRate) {
    make();
    SerialLineState want = line->lineState;
    ASSERT_TRUE(port->ChangeBaudRate(9600));
    want.baudRate = 9600;
    EXPECT_EQ(line->lineState, want);
    EXPECT_EQ(port->GetBaudRate(), 9600u);

    line->setStateErrno = EIO;
    EXPECT_FALSE(port->ChangeBaudRate(115200));
    EXPECT_EQ(port->GetErrorCode(), kSerialSetStateFailed);
    EXPECT_EQ(port->GetBaudRate(), 9600u);
}

namespace {
// The port's life as the trace sees it, one text per event.
struct EventTrace : PortTrace {
    std::vector<std::string> events;
    void sent(const uint8_t*, size_t) override {}
    void received(const uint8_t*, size_t) override {}
    void opened(const std::string& path, uint32_t baud) override {
        events.push_back("open " + path + " " + std::to_string(baud));
    }
    void openFailed(const std::string& path, const std::string& why) override {
        events.push_back("failed " + path + " | " + why);
    }
    void rateChanged(const std::string& path, uint32_t baud) override {
        events.push_back("rate " + path + " " + std::to_string(baud));
    }
    void closed(const std::string& path) override { events.push_back("close " + path); }
};
} // namespace

TEST_F(TransporterPortTest, TheTraceSeesOpenRateChangesAndCloseAndWhyAnOpenFailed) {
    EventTrace trace;
    port = std::make_unique<CTransporterPort>(std::make_unique<FakeSerialDevice>(line), clock,
                                              "\\\\.\\COM5", 9600, &trace);
    ASSERT_TRUE(port->ChangeBaudRate(38400));
    line->setStateErrno = EIO;
    EXPECT_FALSE(port->ChangeBaudRate(115200)); // not changed: not traced
    port.reset();
    line->openErrno = EBUSY;
    CTransporterPort busy(std::make_unique<FakeSerialDevice>(line), clock, "\\\\.\\COM6", 9600,
                          &trace);
    EXPECT_EQ(busy.GetOpenFailureText(), "\\\\.\\COM6: " + std::string(std::strerror(EBUSY)));
    const std::vector<std::string> expected = {
        "open \\\\.\\COM5 9600", "rate \\\\.\\COM5 38400", "close \\\\.\\COM5",
        "failed \\\\.\\COM6 | \\\\.\\COM6: " + std::string(std::strerror(EBUSY))};
    EXPECT_EQ(trace.events, expected);
}
