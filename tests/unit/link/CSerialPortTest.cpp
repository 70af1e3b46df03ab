#include "link/CSerialPort.h"

#include "link/PortTrace.h"
#include "platform/fake/FakeSerialLine.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace dax;

namespace {

struct RecordingTrace : PortTrace {
    std::vector<uint8_t> out, in;
    void sent(const uint8_t* d, size_t n) override { out.insert(out.end(), d, d + n); }
    void received(const uint8_t* d, size_t n) override { in.insert(in.end(), d, d + n); }
};

class SerialPortTest : public ::testing::Test {
protected:
    FakeClock clock;
    std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>(clock);
    CSerialPort port{std::make_unique<FakeSerialDevice>(line)};
    void open(uint8_t dataBits = 8, uint8_t stopBits = kOneStopBit) {
        port.Open("\\\\.\\COM3", 38400, dataBits, kEvenParity, stopBits);
    }
};

} // namespace

TEST_F(SerialPortTest, OpenAppliesSoftwareFlowLineAndStartTimeouts) {
    line->lineState.ctsOutputFlow = line->lineState.rtsHandshake = line->lineState.dtr = true;
    line->lineState.xonChar = 0;
    open(8, kOne5StopBits);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.GetErrorCode(), 0u);
    EXPECT_EQ(line->timeoutHistory.at(0), (SerialTimeouts{500, 500, 5000, 500, 2000}));
    SerialLineState want;
    want.baudRate = 38400;
    want.parity = kEvenParity;
    want.stopBits = kTwoStopBits; // 1.5 stop bits only exist for 5-bit characters
    want.xonXoffOutput = want.xonXoffInput = true;
    EXPECT_EQ(line->lineState, want);

    auto fiveLine = std::make_shared<FakeSerialLine>(clock);
    CSerialPort p5{std::make_unique<FakeSerialDevice>(fiveLine)};
    p5.Open("COM", 9600, 5, kNoParity, kOne5StopBits);
    EXPECT_EQ(fiveLine->lineState.stopBits, kOne5StopBits);
}

TEST_F(SerialPortTest, OpenFailuresReportTheFailingStep) {
    line->openErrno = EBUSY;
    open();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_STREQ(port.GetErrorText(), "Failed to open COM port - 16");

    line->openErrno = 0;
    line->getStateErrno = EIO;
    open();
    EXPECT_TRUE(port.IsOpen()); // stays open; only the code tells
    EXPECT_STREQ(port.GetErrorText(), "GetCommState failed - 5");
    EXPECT_TRUE(line->lineStateHistory.empty());
}

TEST_F(SerialPortTest, ClosedPortRefusesEvenEmptyTransfers) {
    uint8_t b[1] = {};
    EXPECT_FALSE(port.Write(b, 0));
    EXPECT_EQ(port.GetErrorCode(), kSerialOpenFailed);
    EXPECT_EQ(port.GetSystemError(), 0u);
    EXPECT_FALSE(port.Read(b, 0));
    EXPECT_STREQ(port.GetErrorText(), "Failed to open COM port - 0");

    open();
    port.Read(b, 1); // times out: code 107
    EXPECT_TRUE(port.Write(b, 0));
    EXPECT_TRUE(port.Read(b, 0));
    EXPECT_EQ(port.GetErrorCode(), 0u);
    EXPECT_TRUE(line->writeCalls.empty());
    EXPECT_EQ(line->readCalls.size(), 1u);

    port.Close();
    EXPECT_FALSE(line->open);
    EXPECT_TRUE(line->dtrCleared);
    EXPECT_EQ(line->purges, 1);
    EXPECT_FALSE(port.Write(b, 1)); // the handle is gone
    EXPECT_EQ(port.GetErrorCode(), kSerialOpenFailed);
}

TEST_F(SerialPortTest, WritesGoOutInQueueSizedPieces) {
    RecordingTrace trace;
    port.SetTrace(&trace);
    open();
    std::vector<uint8_t> data(1300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    ASSERT_TRUE(port.Write(data.data(), uint32_t(data.size())));
    EXPECT_EQ(line->writeCalls, (std::vector<size_t>{512, 512, 276}));
    EXPECT_EQ(line->written, data);
    EXPECT_EQ(trace.out, data);

    line->writeCapacity = 100;
    EXPECT_FALSE(port.Write(data.data(), uint32_t(data.size())));
    EXPECT_STREQ(port.GetErrorText(), "Transmit timeout");
    EXPECT_EQ(port.GetSystemError(), 0u);
    EXPECT_EQ(line->writeCalls.size(), 4u); // stops after the short piece
    EXPECT_EQ(trace.out.size(), 1400u);     // only what went out

    line->writeErrno = EIO;
    EXPECT_FALSE(port.Write(data.data(), 10));
    EXPECT_STREQ(port.GetErrorText(), "Error writing to COM port - 5");
    EXPECT_EQ(line->clearErrorCalls, 1);
}

TEST_F(SerialPortTest, ShortReadKeepsTheBytesThatCame) {
    RecordingTrace trace;
    port.SetTrace(&trace);
    open();
    port.SetReadTimeout(1000);
    line->queueInput("abc", 200);
    uint8_t buf[6] = {};
    EXPECT_FALSE(port.Read(buf, 6));
    EXPECT_STREQ(port.GetErrorText(), "Receive timeout");
    EXPECT_EQ(port.GetLastReadCount(), 3u);
    EXPECT_EQ(std::memcmp(buf, "abc", 3), 0);
    EXPECT_EQ(trace.in, (std::vector<uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(line->readCalls, (std::vector<size_t>{6}));
    EXPECT_EQ(line->clearErrorCalls, 1);

    line->readErrno = EIO;
    EXPECT_FALSE(port.Read(buf, 6));
    EXPECT_STREQ(port.GetErrorText(), "Error reading from COM port - 5");
}

TEST_F(SerialPortTest, TimeoutSettersKeepTheOtherDirection) {
    open();
    ASSERT_TRUE(port.SetWriteTimeouts(10000, 200));
    ASSERT_TRUE(port.SetReadTimeout(750));
    EXPECT_EQ(line->timeouts, (SerialTimeouts{0, 0, 750, 200, 10000}));
    line->getTimeoutsErrno = EINVAL;
    EXPECT_FALSE(port.SetReadTimeout(1));
    EXPECT_STREQ(port.GetErrorText(), "GetCommTimeouts failed - 22");
    line->getTimeoutsErrno = 0;
    line->setTimeoutsErrno = EINVAL;
    EXPECT_FALSE(port.SetWriteTimeouts(1, 1));
    EXPECT_STREQ(port.GetErrorText(), "SetCommTimeouts failed - 22");
}

TEST(SerialPortText, EveryCodeHasItsLine) {
    struct Case {
        uint32_t code, sys;
        const char* text;
    } cases[] = {
        {101, 1, "GetCommState failed - 1"},
        {102, 2, "SetCommState failed - 2"},
        {103, 3, "CreateEvent failed - 3"},
        {110, 7, "COM error, major 110, minor 7"},
        {111, 0, "CTS signal is off"},
        {112, 0, "Buffer to big to send or receive ansynchronously"},
        {0, 0, "COM error, major 0, minor 0"},
        {0xFFFFFFFF, 0xFFFFFFFF, "COM error, major -1, minor -1"},
    };
    struct Probe : CSerialPort {
        using CSerialPort::CSerialPort;
        using CSerialPort::SetError;
    };
    FakeClock clock;
    Probe port{std::make_unique<FakeSerialDevice>(std::make_shared<FakeSerialLine>(clock))};
    for (const Case& c : cases) {
        port.SetError(c.code, c.sys);
        EXPECT_STREQ(port.GetErrorText(), c.text) << c.code;
    }
}
