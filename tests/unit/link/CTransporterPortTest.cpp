#include "link/CTransporterPort.h"

#include "platform/fake/FakeSerialLine.h"

#include <cerrno>
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

    void SetUp() override {
        line->lineState.xonChar = 0x21; // the port must put its own back
        line->onWrite = [this](FakeSerialLine& l, const std::vector<uint8_t>&) {
            writtenAt = l.clock().nowMs();
        };
    }
    void make(uint32_t baud = 38400) {
        port = std::make_unique<CTransporterPort>(std::make_unique<FakeSerialDevice>(line), clock,
                                                  "\\\\.\\COM5", baud);
    }
    void answerWith(const std::string& answer, uint64_t delayMs = 5) {
        line->onWrite = [this, answer, delayMs](FakeSerialLine& l, const std::vector<uint8_t>&) {
            writtenAt = l.clock().nowMs();
            l.queueInput(answer, delayMs);
        };
    }
    bool exchange(std::string& answer, uint32_t length, uint32_t seconds = 2) {
        answer.assign(length, '\0');
        return port->Exchange(kInquiry.data(), uint32_t(kInquiry.size()), answer.data(), length,
                              seconds);
    }
};

} // namespace

TEST_F(TransporterPortTest, OpensWithHardwareHandshake8N1) {
    make(115200);
    ASSERT_TRUE(port->IsOpen());
    EXPECT_EQ(port->GetPortName(), "\\\\.\\COM5");
    SerialLineState want;
    want.baudRate = 115200;
    want.ctsOutputFlow = want.rtsHandshake = true;
    EXPECT_EQ(line->lineState, want);
    EXPECT_EQ(line->timeouts, (SerialTimeouts{0, 0, 20000, 200, 10000}));
}

TEST(LineStateFromFlags, DecodesFlowAndControlBits) {
    SerialLineState base;
    base.baudRate = 9600;
    base.dataBits = 7;
    const SerialLineState s = LineStateFromFlags(0x1000 | 0x0300 | 0x0010, base);
    EXPECT_TRUE(s.xonXoffOutput && s.xonXoffInput && s.dtr);
    EXPECT_FALSE(s.rtsHandshake || s.ctsOutputFlow); // RTS enable is not handshake
    EXPECT_EQ(s.baudRate, 9600u);
    EXPECT_EQ(s.dataBits, 7);
}

TEST_F(TransporterPortTest, UnconfigurableLineLeavesThePortClosed) {
    line->setStateErrno = EIO;
    make();
    EXPECT_FALSE(port->IsOpen());
    EXPECT_STREQ(port->GetErrorText(), "SetCommState failed - 5");
    std::string answer;
    EXPECT_FALSE(exchange(answer, 6));
    EXPECT_TRUE(line->written.empty());
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
    EXPECT_EQ(std::string(line->written.begin(), line->written.end()), kInquiry);
    EXPECT_EQ(line->readCalls, (std::vector<size_t>{64, 6}));
    EXPECT_EQ(writtenAt - t0, 50u); // the drain waits out its 50 ms on a short stale block
    EXPECT_EQ(port->GetErrorCode(), 0u);
    EXPECT_EQ(line->timeouts.readTotalConstant, 2000u);

    // A full drain block returns at once.
    line->queueInput(std::string(64, 'x'));
    const uint64_t t1 = clock.nowMs();
    ASSERT_TRUE(exchange(answer, 6));
    EXPECT_EQ(writtenAt, t1);
}

TEST_F(TransporterPortTest, NoAnswerMeansNoDrainAndNoRead) {
    make();
    line->queueInput("old");
    const size_t timeoutsSet = line->timeoutHistory.size();
    EXPECT_TRUE(port->Exchange(kInquiry.data(), uint32_t(kInquiry.size()), nullptr, 0, 5));
    EXPECT_TRUE(line->readCalls.empty());
    EXPECT_EQ(line->timeoutHistory.size(), timeoutsSet);
    EXPECT_EQ(line->pendingInput(), 3u);
    EXPECT_EQ(line->written.size(), kInquiry.size());

    // An answer expected but no buffer: drained and sent, nothing left over as an error.
    EXPECT_TRUE(port->Exchange(kInquiry.data(), uint32_t(kInquiry.size()), nullptr, 6, 5));
    EXPECT_EQ(line->readCalls, (std::vector<size_t>{64}));
    EXPECT_EQ(port->GetErrorCode(), 0u);
}

TEST_F(TransporterPortTest, AnswerTimeoutsFollowTheSeconds) {
    make();
    answerWith("\x1b!e", 100);
    const uint64_t t0 = clock.nowMs();
    std::string answer;
    EXPECT_FALSE(exchange(answer, 6, 4));
    EXPECT_STREQ(port->GetErrorText(), "Receive timeout");
    EXPECT_EQ(port->GetLastReadCount(), 3u);
    EXPECT_EQ(answer.substr(0, 3), "\x1b!e");
    EXPECT_EQ(clock.nowMs() - t0, 50u + 4000u);

    // 0 s: no total limit, a slow answer is still waited for.
    answerWith("\x1b!e1C.", 45000);
    ASSERT_TRUE(exchange(answer, 6, 0));
    EXPECT_EQ(answer, "\x1b!e1C.");
    EXPECT_EQ(line->timeouts.readTotalConstant, 0u);
}

TEST_F(TransporterPortTest, UnsettableDrainTimeoutStopsBeforeWriting) {
    make();
    line->setTimeoutsErrno = EINVAL;
    std::string answer;
    EXPECT_FALSE(exchange(answer, 6, 0));
    EXPECT_STREQ(port->GetErrorText(), "SetCommTimeouts failed - 22");
    EXPECT_TRUE(line->readCalls.empty());
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
