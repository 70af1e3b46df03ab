#include "platform/posix/PosixSerialDevice.h"

#include "support/Process.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace dax;
namespace fs = std::filesystem;

namespace {

using SteadyClock = std::chrono::steady_clock;

double msSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
}

// Scheduling on a loaded machine may add to a wait; it must never take from it.
constexpr double kSlack = 60.0;
testing::AssertionResult Waited(SteadyClock::time_point t0, double ms, double from = 0) {
    const double took = msSince(t0) - from;
    return (took >= ms - 1 && took <= ms + kSlack ? testing::AssertionSuccess()
                                                  : testing::AssertionFailure())
           << "waited " << took << " ms for " << ms;
}

// COM1 is a pseudo-terminal: the test plays the far end on the master and watches the line
// settings through a second descriptor of the slave.
class PosixSerialDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_TRUE(m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0);
        const std::string slave = ::ptsname(m_master);
        m_observer = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_observer, 0);
        fs::create_symlink(slave, m_dir.Path() + "/com1");
        std::ofstream(m_dir.Path() + "/com3"); // a plain file
        ASSERT_TRUE(m_dev.open("\\\\.\\COM1")) << m_dev.lastError();
    }
    void TearDown() override {
        m_dev.close();
        ::close(m_observer);
        ::close(m_master); // -1 once a test hung up
    }

    // Writes to the master; with `arrive`, waits until the bytes reach the slave's input.
    void feed(const std::string& bytes, bool arrive = false) {
        ASSERT_EQ(::write(m_master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
        pollfd p{m_observer, POLLIN, 0};
        ASSERT_TRUE(!arrive || ::poll(&p, 1, 2000) == 1);
    }
    std::string drainMaster() {
        std::string out;
        char buf[4096];
        for (ssize_t n; (n = ::read(m_master, buf, sizeof buf)) > 0;)
            out.append(buf, size_t(n));
        return out;
    }
    std::string read(size_t length) {
        std::string buf(length, '\0');
        size_t got = 99;
        EXPECT_TRUE(m_dev.read(reinterpret_cast<uint8_t*>(buf.data()), length, got));
        return buf.substr(0, got);
    }
    // Feeds `bytes` from another thread `delayMs` after m_t0 (now), noting in m_sentAt when.
    std::jthread feedLater(int delayMs, std::string bytes) {
        m_t0 = SteadyClock::now();
        return std::jthread([=, this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            m_sentAt = msSince(m_t0);
            [[maybe_unused]] ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        });
    }
    void expectLine(speed_t rate, const SerialLineState& state) {
        termios seen{};
        ASSERT_EQ(::tcgetattr(m_observer, &seen), 0);
        EXPECT_EQ(::cfgetospeed(&seen), rate);
        SerialLineState back;
        ASSERT_TRUE(m_dev.getLineState(back));
        EXPECT_EQ(back, state);
    }

    daxtest::TempDir m_dir;
    DeviceNames m_names{DeviceEnvironment{}, m_dir.Path()};
    PosixSerialDevice m_dev{m_names};
    int m_master = -1;
    int m_observer = -1;
    SteadyClock::time_point m_t0;
    std::atomic<double> m_sentAt{0};
};

} // namespace

TEST_F(PosixSerialDeviceTest, ReadTimeoutsKeepTheirWindowsMeaning) {
    ASSERT_TRUE(m_dev.setTimeouts({0, 20, 50, 0, 0})); // 20 ms per byte x 5 + 50 ms
    feed("abc");
    auto t0 = SteadyClock::now();
    EXPECT_EQ(read(5), "abc");
    EXPECT_TRUE(Waited(t0, 150));

    ASSERT_TRUE(m_dev.setTimeouts({40, 0, 0, 0, 0}));
    feed("ab");
    t0 = SteadyClock::now();
    EXPECT_EQ(read(10), "ab");
    EXPECT_TRUE(Waited(t0, 40));

    // Nothing for 100 ms must not end the read: the gap is counted from the first byte.
    ASSERT_TRUE(m_dev.setTimeouts({30, 0, 3000, 0, 0}));
    {
        auto far = feedLater(100, "x");
        EXPECT_EQ(read(4), "x");
        EXPECT_TRUE(Waited(m_t0, 30, m_sentAt));
    }
    // Everything asked for is in: no waiting for the total.
    ASSERT_TRUE(m_dev.setTimeouts({0, 0, 3000, 0, 0}));
    feed("wx");
    auto far = feedLater(60, "yz");
    EXPECT_EQ(read(4), "wxyz");
    EXPECT_LE(msSince(m_t0), m_sentAt + kSlack);
}

TEST_F(PosixSerialDeviceTest, ImmediateReadTakesWhatIsBufferedClearErrorsKeepsItPurgeDropsIt) {
    ASSERT_TRUE(m_dev.setTimeouts({kMaxDword, 0, 0, 0, 0}));
    const auto t0 = SteadyClock::now();
    EXPECT_EQ(read(8), "");
    feed("abc", true);
    uint32_t errors = 99;
    m_dev.clearErrors(&errors);
    EXPECT_EQ(errors, 0u);
    EXPECT_EQ(read(8), "abc");
    EXPECT_LE(msSince(t0), kSlack);
    feed("stale", true);
    m_dev.purge();
    EXPECT_EQ(read(8), "");
}

TEST_F(PosixSerialDeviceTest, WriteSendsRawBytesAndStopsAtItsDeadline) {
    const std::string line = "\x1b!e0C\r\n\x11\x13";
    size_t written = 0;
    ASSERT_TRUE(m_dev.write(reinterpret_cast<const uint8_t*>(line.data()), line.size(), written));
    EXPECT_EQ(written, line.size());
    EXPECT_EQ(drainMaster(), line);

    // The far end reads nothing, so the pseudo-terminal fills up and the write times out.
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = char(i % 251);
    ASSERT_TRUE(m_dev.setTimeouts({0, 0, 0, 0, 100}));
    const auto t0 = SteadyClock::now();
    ASSERT_TRUE(m_dev.write(reinterpret_cast<const uint8_t*>(block.data()), block.size(), written));
    EXPECT_TRUE(Waited(t0, 100));
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
    EXPECT_EQ(drainMaster(), block.substr(0, written)); // exactly the bytes counted went out
}

TEST_F(PosixSerialDeviceTest, LineStateReachesTheTerminalAndReadsBack) {
    SerialLineState s{.baudRate = 38400,
                      .stopBits = kTwoStopBits,
                      .ctsOutputFlow = true,
                      .xonXoffOutput = true,
                      .dtr = true,
                      .xonChar = 0x21};
    ASSERT_TRUE(m_dev.setLineState(s)) << m_dev.lastError(); // DTR without modem lines: fine
    termios seen{};
    ASSERT_EQ(::tcgetattr(m_observer, &seen), 0);
    EXPECT_EQ(seen.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8 | CSTOPB | CRTSCTS));
    EXPECT_EQ(seen.c_iflag & (IXON | IXOFF), tcflag_t(IXON));
    EXPECT_EQ(seen.c_cc[VSTART], 0x21);
    expectLine(B38400, s);
    bool cts = false; // a pseudo-terminal has no modem lines: CTS counts as on
    ASSERT_TRUE(m_dev.getCts(cts));
    EXPECT_TRUE(cts);

    s = {.baudRate = 115200, .stopBits = kOne5StopBits, .rtsHandshake = true, .xonXoffInput = true};
    ASSERT_TRUE(m_dev.setLineState(s)) << m_dev.lastError();
    s.stopBits = kTwoStopBits; // 1.5 stop bits go out as two
    expectLine(B115200, s);

    // Received NUL bytes are kept, or dropped once the line state says so; a read still waits
    // for as many other bytes as it asked for.
    ASSERT_TRUE(m_dev.setTimeouts({0, 0, 2000, 0, 0}));
    feed(std::string("\0a", 2));
    EXPECT_EQ(read(2), std::string("\0a", 2));
    s.discardNul = true;
    ASSERT_TRUE(m_dev.setLineState(s)) << m_dev.lastError();
    expectLine(B115200, s);
    feed(std::string("\0\0b\0c\0", 6));
    {
        auto far = feedLater(30, std::string("\0d", 2));
        EXPECT_EQ(read(3), "bcd");
    }

    // A rate termios does not have, and settings the terminal drops (a pseudo-terminal carries
    // eight bits without parity), fail and leave the line as it was.
    for (const SerialLineState& refused : {SerialLineState{.baudRate = 14400},
                                           {.dataBits = 7, .parity = kOddParity},
                                           {.dataBits = 7, .parity = kMarkParity}}) {
        EXPECT_FALSE(m_dev.setLineState(refused));
        EXPECT_EQ(m_dev.lastError(), uint32_t(EINVAL));
    }
    expectLine(B115200, s);
}

TEST_F(PosixSerialDeviceTest, PortIsExclusiveUntilClosed) {
    PosixSerialDevice second(m_names);
    EXPECT_FALSE(second.open("COM1"));
    EXPECT_EQ(second.lastError(), uint32_t(EBUSY));
#ifdef TIOCGEXCL
    int exclusive = 0;
    ASSERT_EQ(::ioctl(m_observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
#endif
    m_dev.close();
    EXPECT_FALSE(m_dev.isOpen());
#ifdef TIOCGEXCL
    // The far end keeps the terminal open; it must not stay locked against the next open.
    ASSERT_EQ(::ioctl(m_observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
#endif
    // Another program's lock on the node (root passes TIOCEXCL, not this): refused, naming the
    // holder, with the bytes queued for it still there.
    ASSERT_EQ(::flock(m_observer, LOCK_EX | LOCK_NB), 0);
    feed("queued", true);
    EXPECT_FALSE(second.open("com1"));
    EXPECT_EQ(second.lastError(), uint32_t(EBUSY));
    EXPECT_NE(second.describeOpenFailure().find(": in use by another program (process " +
                                                std::to_string(::getpid()) + ")"),
              std::string::npos)
        << second.describeOpenFailure();
    char queued[16] = {};
    EXPECT_EQ(::read(m_observer, queued, sizeof queued), 6);
    ASSERT_EQ(::flock(m_observer, LOCK_UN), 0);
    EXPECT_TRUE(second.open("com1")) << second.lastError();
}

TEST_F(PosixSerialDeviceTest, MissingOrWrongPortsFailWithTheirErrno) {
    PosixSerialDevice dev(m_names);
    EXPECT_FALSE(dev.open("\\\\.\\COM2"));
    EXPECT_EQ(dev.lastError(), uint32_t(ENOENT));
    EXPECT_FALSE(dev.open("\\\\.\\COM3")); // a plain file is no serial port
    EXPECT_EQ(dev.lastError(), uint32_t(ENOTTY));

    // A character device that is no terminal: refused as a COM port, written as a parallel one.
    fs::create_symlink("/dev/null", m_dir.Path() + "/com4");
    fs::create_symlink("/dev/null", m_dir.Path() + "/lpt1");
    EXPECT_FALSE(dev.open("COM4"));
    EXPECT_EQ(dev.lastError(), uint32_t(ENOTTY));
    EXPECT_FALSE(dev.isOpen());
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
    ASSERT_TRUE(m_dev.setTimeouts({0, 0, 0, 0, 0}));
    ::close(m_master);
    m_master = -1;
    uint8_t buf[4];
    size_t got = 0;
    const auto t0 = SteadyClock::now();
    EXPECT_FALSE(m_dev.read(buf, sizeof buf, got));
    EXPECT_EQ(m_dev.lastError(), uint32_t(EIO));
    EXPECT_LE(msSince(t0), kSlack);
}
