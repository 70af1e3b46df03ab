#include "platform/posix/PosixSerialDevice.h"

#include "unit/platform/TempDir.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace dax;
using dax::test::TempDir;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Scheduling on a loaded machine may add to a wait; it must never take from it.
constexpr double kSlack = 60.0;

// COM1 is a pseudo-terminal: the test plays the far end on the master and watches the line
// settings through a second descriptor of the slave.
class PosixSerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_master, 0);
        ASSERT_EQ(::grantpt(m_master), 0);
        ASSERT_EQ(::unlockpt(m_master), 0);
        m_slave = ::ptsname(m_master);
        m_observer = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_observer, 0);
        m_dir.link("com1", m_slave);
        m_dir.touch("com3");
        m_names.emplace(DeviceEnvironment{}, m_dir.path());
        m_dev = std::make_unique<PosixSerialDevice>(*m_names);
        ASSERT_TRUE(m_dev->open("\\\\.\\COM1")) << m_dev->lastError();
    }
    void TearDown() override {
        m_dev.reset();
        if (m_observer >= 0)
            ::close(m_observer);
        if (m_master >= 0)
            ::close(m_master);
    }

    void feed(const std::string& bytes) {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Bytes written to the master reach the slave's input a moment later.
    void awaitInput() {
        pollfd p{m_observer, POLLIN, 0};
        ASSERT_EQ(::poll(&p, 1, 2000), 1);
    }
    std::string drainMaster() {
        std::string out;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(m_master, buf, sizeof buf)) > 0)
            out.append(buf, size_t(n));
        return out;
    }
    std::string readSome(size_t length, size_t& got) {
        std::string buf(length, '\0');
        EXPECT_TRUE(m_dev->read(reinterpret_cast<uint8_t*>(buf.data()), length, got));
        return buf.substr(0, got);
    }
    // Feeds `bytes` after `delayMs` from another thread; returns when it was written.
    std::thread feedLater(int delayMs, std::string bytes, std::atomic<double>& sentAtMs,
                          Clock::time_point t0) {
        return std::thread([=, this, &sentAtMs] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            sentAtMs = msSince(t0);
            [[maybe_unused]] ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        });
    }

    TempDir m_dir;
    std::optional<DeviceNames> m_names;
    std::unique_ptr<PosixSerialDevice> m_dev;
    int m_master = -1;
    int m_observer = -1;
    std::string m_slave;
};

} // namespace

TEST_F(PosixSerialDeviceTest, TotalTimeoutEndsReadWithWhatCame) {
    // 20 ms per byte x 5 + 50 ms = 150 ms.
    ASSERT_TRUE(m_dev->setTimeouts({0, 20, 50, 0, 0}));
    feed("abc");
    size_t got = 0;
    const auto t0 = Clock::now();
    EXPECT_EQ(readSome(5, got), "abc");
    const double took = msSince(t0);
    EXPECT_GE(took, 149.0);
    EXPECT_LE(took, 150.0 + kSlack);
}

TEST_F(PosixSerialDeviceTest, IntervalRunsOnlyOnceAByteHasCome) {
    ASSERT_TRUE(m_dev->setTimeouts({40, 0, 0, 0, 0}));
    feed("ab");
    size_t got = 0;
    auto t0 = Clock::now();
    EXPECT_EQ(readSome(10, got), "ab");
    double took = msSince(t0);
    EXPECT_GE(took, 39.0);
    EXPECT_LE(took, 40.0 + kSlack);

    // Nothing for 100 ms must not end the read: the gap is counted from the first byte.
    ASSERT_TRUE(m_dev->setTimeouts({30, 0, 3000, 0, 0}));
    std::atomic<double> sentAt{0};
    t0 = Clock::now();
    std::thread far = feedLater(100, "x", sentAt, t0);
    EXPECT_EQ(readSome(4, got), "x");
    took = msSince(t0);
    far.join();
    EXPECT_GE(took, sentAt + 29.0);
    EXPECT_LE(took, sentAt + 30.0 + kSlack);
}

TEST_F(PosixSerialDeviceTest, ReadReturnsAsSoonAsEveryByteIsIn) {
    ASSERT_TRUE(m_dev->setTimeouts({0, 0, 3000, 0, 0}));
    std::atomic<double> firstAt{0}, lastAt{0};
    const auto t0 = Clock::now();
    std::thread first = feedLater(30, "wx", firstAt, t0);
    std::thread last = feedLater(90, "yz", lastAt, t0);
    size_t got = 0;
    EXPECT_EQ(readSome(4, got), "wxyz");
    const double took = msSince(t0);
    first.join();
    last.join();
    EXPECT_LE(took, lastAt + kSlack);
}

TEST_F(PosixSerialDeviceTest, ImmediateReadTakesOnlyWhatIsBuffered) {
    ASSERT_TRUE(m_dev->setTimeouts({kMaxDword, 0, 0, 0, 0}));
    size_t got = 1;
    auto t0 = Clock::now();
    EXPECT_EQ(readSome(8, got), "");
    feed("xy");
    awaitInput();
    EXPECT_EQ(readSome(8, got), "xy");
    EXPECT_LE(msSince(t0), kSlack);
}

TEST_F(PosixSerialDeviceTest, WriteSendsRawBytesAndStopsAtItsDeadline) {
    const std::string line = "\x1b!e0C\r\n\x11\x13";
    size_t written = 0;
    ASSERT_TRUE(m_dev->write(reinterpret_cast<const uint8_t*>(line.data()), line.size(), written));
    EXPECT_EQ(written, line.size());
    EXPECT_EQ(drainMaster(), line);

    // The far end reads nothing, so the pseudo-terminal fills up and the write times out.
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = char(i % 251);
    ASSERT_TRUE(m_dev->setTimeouts({0, 0, 0, 0, 100}));
    const auto t0 = Clock::now();
    ASSERT_TRUE(
        m_dev->write(reinterpret_cast<const uint8_t*>(block.data()), block.size(), written));
    const double took = msSince(t0);
    EXPECT_GE(took, 99.0);
    EXPECT_LE(took, 100.0 + kSlack);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
    // Exactly the bytes counted went out.
    EXPECT_EQ(drainMaster(), block.substr(0, written));
}

TEST_F(PosixSerialDeviceTest, LineStateReachesTheTerminalAndReadsBack) {
    SerialLineState s;
    s.baudRate = 38400;
    s.stopBits = kTwoStopBits;
    s.ctsOutputFlow = true;
    s.xonXoffOutput = true;
    s.xonChar = 0x21;
    s.dtr = true; // no modem lines on a pseudo-terminal: accepted, not an error
    ASSERT_TRUE(m_dev->setLineState(s)) << m_dev->lastError();

    termios seen{};
    ASSERT_EQ(::tcgetattr(m_observer, &seen), 0);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t(B38400));
    EXPECT_EQ(seen.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB | CRTSCTS));
    EXPECT_TRUE(seen.c_iflag & IXON);
    EXPECT_FALSE(seen.c_iflag & IXOFF);
    EXPECT_EQ(seen.c_cc[VSTART], 0x21);
    SerialLineState back;
    ASSERT_TRUE(m_dev->getLineState(back));
    EXPECT_EQ(back, s);
    bool cts = false; // a pseudo-terminal has no modem lines: CTS counts as on
    ASSERT_TRUE(m_dev->getCts(cts));
    EXPECT_TRUE(cts);

    // 1.5 stop bits go out as two.
    s = {};
    s.baudRate = 115200;
    s.stopBits = kOne5StopBits;
    s.rtsHandshake = true;
    s.xonXoffInput = true;
    ASSERT_TRUE(m_dev->setLineState(s)) << m_dev->lastError();
    ASSERT_TRUE(m_dev->getLineState(back));
    s.stopBits = kTwoStopBits;
    EXPECT_EQ(back, s);
    ASSERT_EQ(::tcgetattr(m_observer, &seen), 0);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t(B115200));

    // A rate termios does not have, and settings the terminal drops (a pseudo-terminal carries
    // eight bits without parity), fail and leave the line as it was.
    SerialLineState refused = s;
    refused.baudRate = 14400;
    EXPECT_FALSE(m_dev->setLineState(refused));
    EXPECT_EQ(m_dev->lastError(), uint32_t(EINVAL));
    for (uint8_t parity : {kOddParity, kMarkParity}) {
        refused = s;
        refused.dataBits = 7;
        refused.parity = parity;
        refused.baudRate = 9600;
        EXPECT_FALSE(m_dev->setLineState(refused));
        EXPECT_EQ(m_dev->lastError(), uint32_t(EINVAL));
    }
    ASSERT_TRUE(m_dev->getLineState(back));
    EXPECT_EQ(back, s);
    ASSERT_EQ(::tcgetattr(m_observer, &seen), 0);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t(B115200));
}

TEST_F(PosixSerialDeviceTest, ClearErrorsKeepsInputAndPurgeDropsIt) {
    ASSERT_TRUE(m_dev->setTimeouts({kMaxDword, 0, 0, 0, 0}));
    feed("abc");
    awaitInput();
    uint32_t errors = 99;
    m_dev->clearErrors(&errors);
    EXPECT_EQ(errors, 0u);
    size_t got = 0;
    EXPECT_EQ(readSome(8, got), "abc");

    feed("stale");
    awaitInput();
    m_dev->purge();
    EXPECT_EQ(readSome(8, got), "");
}

TEST_F(PosixSerialDeviceTest, PortIsExclusiveUntilClosed) {
    PosixSerialDevice second(*m_names);
    EXPECT_FALSE(second.open("COM1"));
    EXPECT_EQ(second.lastError(), uint32_t(EBUSY));
#ifdef TIOCGEXCL
    int exclusive = 0;
    ASSERT_EQ(::ioctl(m_observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
#endif
    m_dev->close();
    EXPECT_FALSE(m_dev->isOpen());
#ifdef TIOCGEXCL
    // The far end keeps the terminal open; it must not stay locked against the next open.
    ASSERT_EQ(::ioctl(m_observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
#endif
    EXPECT_TRUE(second.open("com1")) << second.lastError();
}

TEST_F(PosixSerialDeviceTest, MissingOrWrongPortsFailWithTheirErrno) {
    PosixSerialDevice dev(*m_names);
    EXPECT_FALSE(dev.open("\\\\.\\COM2"));
    EXPECT_EQ(dev.lastError(), uint32_t(ENOENT));
    EXPECT_FALSE(dev.open("\\\\.\\COM3")); // a plain file is no serial port
    EXPECT_EQ(dev.lastError(), uint32_t(ENOTTY));
    EXPECT_FALSE(dev.isOpen());

    // A character device that is no terminal: refused as a COM port, written as a parallel one.
    m_dir.link("com4", "/dev/null");
    m_dir.link("lpt1", "/dev/null");
    EXPECT_FALSE(dev.open("COM4"));
    EXPECT_EQ(dev.lastError(), uint32_t(ENOTTY));
    ASSERT_TRUE(dev.open("LPT1")) << dev.lastError();
    const uint8_t data[3] = {1, 2, 3};
    size_t written = 0;
    EXPECT_TRUE(dev.write(data, sizeof data, written));
    EXPECT_EQ(written, 3u);
    SerialLineState state;
    EXPECT_FALSE(dev.getLineState(state));
    EXPECT_EQ(dev.lastError(), uint32_t(ENOTTY));
}

TEST_F(PosixSerialDeviceTest, HangUpEndsAReadWithoutTimeouts) {
    ASSERT_TRUE(m_dev->setTimeouts({0, 0, 0, 0, 0}));
    ::close(m_master);
    m_master = -1;
    uint8_t buf[4];
    size_t got = 0;
    const auto t0 = Clock::now();
    EXPECT_FALSE(m_dev->read(buf, sizeof buf, got));
    EXPECT_EQ(m_dev->lastError(), uint32_t(EIO));
    EXPECT_LE(msSince(t0), kSlack);
}
