#include "link/CSerialPort.h"

#include "link/PortTrace.h"
#include "platform/fake/FakeSerialLine.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace dax;

namespace {

struct RecordingTrace : PortTrace {
    std::vector<uint8_t> out;
    void sent(const uint8_t* d, size_t n) override { out.insert(out.end(), d, d + n); }
    void received(const uint8_t*, size_t) override {}
};

class SerialPortTest : public ::testing::Test {
protected:
    FakeClock clock;
    std::shared_ptr<FakeSerialLine> line = std::make_shared<FakeSerialLine>(clock);
    RecordingTrace trace; // outlives the port, which reports its close to it
    CSerialPort port{std::make_unique<FakeSerialDevice>(line)};
    void open(uint8_t dataBits = 8, uint8_t stopBits = kOneStopBit) {
        port.Open("\\\\.\\COM3", 38400, dataBits, kEvenParity, stopBits);
    }
};

} // namespace

TEST_F(SerialPortTest, OpenSetsSoftwareFlowLineAndReportsTheFailingStep) {
    line->lineState.ctsOutputFlow = line->lineState.rtsHandshake = line->lineState.dtr = true;
    line->lineState.xonChar = 0;
    open(8, kOne5StopBits);
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(line->timeoutHistory.at(0), (SerialTimeouts{500, 500, 5000, 500, 2000}));
    SerialLineState want;
    want.baudRate = 38400;
    want.parity = kEvenParity;
    want.stopBits = kTwoStopBits; // 1.5 stop bits only exist for 5-bit characters
    want.xonXoffOutput = want.xonXoffInput = true;
    EXPECT_EQ(line->lineState, want);
    port.Close();

    line->getStateErrno = EIO;
    open(5, kOne5StopBits);
    EXPECT_TRUE(port.IsOpen()); // stays open; only the code tells
    EXPECT_STREQ(port.GetErrorText(), "GetCommState failed - 5");
    line->getStateErrno = 0;
    port.Close();
    open(5, kOne5StopBits);
    EXPECT_EQ(line->lineState.stopBits, kOne5StopBits);
    port.Close();

    line->openErrno = ENOENT;
    open();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_STREQ(port.GetErrorText(), "Failed to open COM port - 2");
}

TEST_F(SerialPortTest, ClosedPortRefusesEvenEmptyTransfersAndOpenOneSkipsThem) {
    uint8_t b[1] = {};
    EXPECT_FALSE(port.Write(b, 0));
    EXPECT_FALSE(port.Read(b, 0));
    EXPECT_STREQ(port.GetErrorText(), "Failed to open COM port - 0");

    open();
    port.Read(b, 1); // times out: code 107
    EXPECT_TRUE(port.Write(b, 0) && port.Read(b, 0));
    EXPECT_EQ(port.GetErrorCode(), 0u);
    EXPECT_TRUE(line->writeCalls.empty());
    EXPECT_EQ(line->readCalls.size(), 1u);

    port.Close();
    EXPECT_TRUE(!line->open && line->dtrCleared && line->purges == 1);
    EXPECT_FALSE(port.Write(b, 1)); // the handle is gone
    EXPECT_EQ(port.GetErrorCode(), kSerialOpenFailed);
}

TEST_F(SerialPortTest, WritesGoOutInQueueSizedPieces) {
    port.SetTrace(&trace);
    open();
    std::vector<uint8_t> data(1300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = uint8_t(i * 7);
    ASSERT_TRUE(port.Write(data.data(), uint32_t(data.size())));
    EXPECT_EQ(line->writeCalls, (std::vector<size_t>{512, 512, 276}));
    EXPECT_EQ(line->written, data);

    line->writeCapacity = 100;
    EXPECT_FALSE(port.Write(data.data(), uint32_t(data.size())));
    EXPECT_STREQ(port.GetErrorText(), "Transmit timeout");
    EXPECT_EQ(line->writeCalls.size(), 4u); // stops after the short piece
    EXPECT_EQ(trace.out, line->written);    // only what went out

    line->writeErrno = EIO;
    EXPECT_FALSE(port.Write(data.data(), 10));
    EXPECT_STREQ(port.GetErrorText(), "Error writing to COM port - 5");
    EXPECT_EQ(line->clearErrorCalls, 1);
}

TEST_F(SerialPortTest, ShortReadKeepsTheBytesThatCame) {
    open();
    port.SetReadTimeout(1000);
    line->queueInput("abc", 200);
    uint8_t buf[6] = {};
    EXPECT_FALSE(port.Read(buf, 6));
    EXPECT_STREQ(port.GetErrorText(), "Receive timeout");
    EXPECT_EQ(port.GetLastReadCount(), 3u);
    EXPECT_EQ(std::memcmp(buf, "abc", 3), 0);
    EXPECT_EQ(line->readCalls, (std::vector<size_t>{6}));
    EXPECT_EQ(line->clearErrorCalls, 1);

    line->readErrno = EIO;
    EXPECT_FALSE(port.Read(buf, 6));
    EXPECT_STREQ(port.GetErrorText(), "Error reading from COM port - 5");
    line->getTimeoutsErrno = EIO;
    EXPECT_FALSE(port.SetReadTimeout(1));
    EXPECT_STREQ(port.GetErrorText(), "GetCommTimeouts failed - 5");
    line->getTimeoutsErrno = 0;
    line->setTimeoutsErrno = EINVAL;
    EXPECT_FALSE(port.SetWriteTimeouts(1, 1));
    EXPECT_STREQ(port.GetErrorText(), "SetCommTimeouts failed - 22");
}
