#include "platform/posix/PosixSerialDevice.h"

#include "platform/Idle.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace dax {

namespace {

struct RateCode {
    uint32_t rate;
    speed_t code;
};

constexpr RateCode kRates[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},   {576000, B576000},   {921600, B921600},   {1000000, B1000000},
    {1152000, B1152000}, {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000},
    {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
#endif
};

bool rateCode(uint32_t rate, speed_t& code) {
    for (const RateCode& r : kRates) {
        if (r.rate == rate) {
            code = r.code;
            return true;
        }
    }
    return false;
}

uint32_t rateOf(speed_t code) {
    for (const RateCode& r : kRates) {
        if (r.code == code)
            return r.rate;
    }
    return 0;
}

#ifdef CMSPAR
constexpr tcflag_t kMarkSpace = CMSPAR;
#else
constexpr tcflag_t kMarkSpace = 0;
#endif

// The character devices this process holds open: a port is exclusive to one SerialDevice, as a
// COM port is on Windows. TIOCEXCL alone does not stop a privileged process opening it twice.
std::mutex g_heldMutex;
std::set<dev_t> g_held;

bool reservePort(dev_t dev) {
    std::lock_guard<std::mutex> lock(g_heldMutex);
    return g_held.insert(dev).second;
}

void releasePort(dev_t dev) {
    std::lock_guard<std::mutex> lock(g_heldMutex);
    g_held.erase(dev);
}

uint64_t nowUs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// poll() time-out in whole milliseconds, rounded up so that a wait never ends before `stopUs`.
int pollTimeout(uint64_t stopUs, uint64_t nowUsValue) {
    const uint64_t ms = (stopUs - nowUsValue + 999) / 1000;
    return static_cast<int>(std::min<uint64_t>(ms, INT_MAX));
}

// A deadline `ms` after `fromUs`; time-outs near the 32-bit limits saturate instead of wrapping.
uint64_t deadlineAfter(uint64_t fromUs, uint64_t ms) {
    constexpr uint64_t limitMs = UINT64_MAX / 2000;
    return fromUs + std::min(ms, limitMs) * 1000;
}

// The process whose flock() holds the node, from the system's lock list; 0 when it cannot be
// known (no /proc, or the port is held some other way).
int lockHolder(const struct stat& node) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        if (!(fields >> number >> kind) || kind != "FLOCK")
            continue;
        if (!(fields >> mode >> access >> pid >> where))
            continue;
        // "MAJOR:MINOR:INODE" of the file system that holds the node, the numbers in hex.
        unsigned maj = 0, min = 0;
        unsigned long ino = 0;
        if (std::sscanf(where.c_str(), "%x:%x:%lu", &maj, &min, &ino) == 3 &&
            maj == major(node.st_dev) && min == minor(node.st_dev) && ino == node.st_ino)
            return std::atoi(pid.c_str());
    }
    return 0;
}

bool noModemLines(int err) {
    return err == ENOTTY || err == EINVAL;
}

} // namespace

PosixSerialDevice::PosixSerialDevice(DeviceNames names) : m_names(std::move(names)) {}

PosixSerialDevice::~PosixSerialDevice() {
    close();
}

bool PosixSerialDevice::fail(int err) {
    m_nError = static_cast<uint32_t>(err);
    return false;
}

bool PosixSerialDevice::failIfClosed() {
    return m_fd < 0 ? fail(EBADF) : true;
}

bool PosixSerialDevice::open(const std::string& path) {
    m_strOpenPath = path;
    m_nOpenError = 0;
    if (openNode(path))
        return true;
    m_nOpenError = int(m_nError);
    return false;
}

std::string PosixSerialDevice::describeOpenFailure() const {
    if (m_nOpenError == 0)
        return {};
    std::string text = m_names.describeOpenFailure(m_strOpenPath, m_strNode, m_nOpenError);
    if (m_nOpenError == EBUSY && m_nHolderPid > 0)
        text += " (process " + std::to_string(m_nHolderPid) + ")";
    return text;
}

bool PosixSerialDevice::openNode(const std::string& path) {
    close();
    m_strNode.clear();
    m_nHolderPid = 0;
    const std::optional<std::string> node = m_names.resolvePath(path);
    if (!node)
        return fail(ENOENT);
    m_strNode = *node;

    struct stat st;
    if (::stat(m_strNode.c_str(), &st) != 0)
        return fail(errno);
    if (!S_ISCHR(st.st_mode))
        return fail(ENOTTY);
    if (!reservePort(st.st_rdev))
        return fail(EBUSY);

    const int fd = ::open(m_strNode.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        releasePort(st.st_rdev);
        if (err == EBUSY)
            m_nHolderPid = lockHolder(st);
        return fail(err);
    }
    auto abandon = [&](int err) {
        ::close(fd);
        releasePort(st.st_rdev);
        return fail(err);
    };
    // The port is ours across processes while it is open, whoever runs them (TIOCEXCL does not
    // bind root): before anything touches its settings or its queues, which may hold another
    // copy's firmware download.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err != EWOULDBLOCK)
            return abandon(err);
        m_nHolderPid = lockHolder(st);
        return abandon(EBUSY);
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0)
        return abandon(errno);
    if (!S_ISCHR(opened.st_mode) || opened.st_rdev != st.st_rdev)
        return abandon(EBUSY); // the node changed under us
    if (!::isatty(fd)) {
        // A parallel port node is no terminal and has no line settings; it is only written.
        if (!DeviceNames::parseLptPath(path))
            return abandon(ENOTTY);
        adopt(fd, st.st_rdev);
        return true;
    }
    if (::ioctl(fd, TIOCEXCL) != 0)
        return abandon(errno);

    termios tio;
    if (::tcgetattr(fd, &tio) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        return abandon(err);
    }
    // Raw bytes, modem status lines ignored for opening and reading. VMIN 1 makes a read with
    // nothing buffered fail with EAGAIN, so a read of 0 bytes can only mean the line hung up.
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int err = errno;
        ::ioctl(fd, TIOCNXCL);
        return abandon(err);
    }
    // A freshly opened port starts with empty queues, as it does on Windows.
    ::tcflush(fd, TCIOFLUSH);

    adopt(fd, st.st_rdev);
    return true;
}

void PosixSerialDevice::adopt(int fd, uint64_t lockKey) {
    m_fd = fd;
    m_nLockKey = lockKey;
    m_timeouts = {};
    m_applied = {};
    m_bApplied = false;
}

bool PosixSerialDevice::getLineState(SerialLineState& state) {
    if (!failIfClosed())
        return false;
    termios tio;
    if (::tcgetattr(m_fd, &tio) != 0)
        return fail(errno);
    SerialLineState s;
    s.baudRate = rateOf(::cfgetospeed(&tio));
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        s.dataBits = 5;
        break;
    case CS6:
        s.dataBits = 6;
        break;
    case CS7:
        s.dataBits = 7;
        break;
    default:
        s.dataBits = 8;
        break;
    }
    const bool odd = (tio.c_cflag & PARODD) != 0;
    if (!(tio.c_cflag & PARENB))
        s.parity = kNoParity;
    else if (kMarkSpace != 0 && (tio.c_cflag & kMarkSpace))
        s.parity = odd ? kMarkParity : kSpaceParity;
    else
        s.parity = odd ? kOddParity : kEvenParity;
    s.stopBits = (tio.c_cflag & CSTOPB) ? kTwoStopBits : kOneStopBit;
    if (tio.c_cflag & CRTSCTS) {
        // One flag stands for both directions; say back which of the two the caller asked for.
        const bool asked = m_bApplied && (m_applied.ctsOutputFlow || m_applied.rtsHandshake);
        s.ctsOutputFlow = asked ? m_applied.ctsOutputFlow : true;
        s.rtsHandshake = asked ? m_applied.rtsHandshake : true;
    }
    s.xonXoffOutput = (tio.c_iflag & IXON) != 0;
    s.xonXoffInput = (tio.c_iflag & IXOFF) != 0;
    s.xonChar = tio.c_cc[VSTART];
    s.xoffChar = tio.c_cc[VSTOP];
    s.discardNul = m_bApplied && m_applied.discardNul; // done by read(): termios has no such flag
    int lines = 0;
    if (::ioctl(m_fd, TIOCMGET, &lines) == 0)
        s.dtr = (lines & TIOCM_DTR) != 0;
    else if (noModemLines(errno))
        s.dtr = m_bApplied && m_applied.dtr;
    else
        return fail(errno);
    state = s;
    return true;
}

bool PosixSerialDevice::setLineState(const SerialLineState& state) {
    if (!failIfClosed())
        return false;
    speed_t speed;
    if (!rateCode(state.baudRate, speed) || state.dataBits < 5 || state.dataBits > 8 ||
        state.parity > kSpaceParity || state.stopBits > kTwoStopBits)
        return fail(EINVAL);
    if (kMarkSpace == 0 && (state.parity == kMarkParity || state.parity == kSpaceParity))
        return fail(EINVAL);

    termios before;
    if (::tcgetattr(m_fd, &before) != 0)
        return fail(errno);
    termios tio = before;
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | kMarkSpace | CSTOPB | CRTSCTS);
    tio.c_cflag |= kSizes[state.dataBits - 5];
    switch (state.parity) {
    case kOddParity:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case kEvenParity:
        tio.c_cflag |= PARENB;
        break;
    case kMarkParity:
        tio.c_cflag |= PARENB | kMarkSpace | PARODD;
        break;
    case kSpaceParity:
        tio.c_cflag |= PARENB | kMarkSpace;
        break;
    default:
        break;
    }
    // 1.5 stop bits do not exist in termios; two are the nearest.
    if (state.stopBits != kOneStopBit)
        tio.c_cflag |= CSTOPB;
    if (state.ctsOutputFlow || state.rtsHandshake)
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (state.xonXoffOutput)
        tio.c_iflag |= IXON;
    if (state.xonXoffInput)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = state.xonChar;
    tio.c_cc[VSTOP] = state.xoffChar;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return fail(errno);

    // tcsetattr succeeds when any part took; a driver that dropped a setting leaves the port as
    // it was and fails, so what getLineState reports is always what was applied.
    termios after;
    if (::tcgetattr(m_fd, &after) != 0)
        return fail(errno);
    const tcflag_t checked = CSIZE | PARENB | PARODD | kMarkSpace | CSTOPB | CRTSCTS;
    if (::cfgetospeed(&after) != speed || (after.c_cflag & checked) != (tio.c_cflag & checked)) {
        ::tcsetattr(m_fd, TCSANOW, &before);
        return fail(EINVAL);
    }

    const int dtr = TIOCM_DTR;
    if (::ioctl(m_fd, state.dtr ? TIOCMBIS : TIOCMBIC, &dtr) != 0 && !noModemLines(errno))
        return fail(errno);

    m_applied = state;
    if (m_applied.stopBits == kOne5StopBits)
        m_applied.stopBits = kTwoStopBits;
    m_bApplied = true;
    return true;
}

bool PosixSerialDevice::getTimeouts(SerialTimeouts& timeouts) {
    if (!failIfClosed())
        return false;
    timeouts = m_timeouts;
    return true;
}

bool PosixSerialDevice::setTimeouts(const SerialTimeouts& timeouts) {
    if (!failIfClosed())
        return false;
    m_timeouts = timeouts;
    return true;
}

bool PosixSerialDevice::read(uint8_t* buffer, size_t length, size_t& received) {
    received = 0;
    if (!failIfClosed())
        return false;
    if (length == 0)
        return true;
    if (buffer == nullptr)
        return fail(EINVAL);

    const SerialTimeouts& t = m_timeouts;
    const bool immediate =
        t.readInterval == kMaxDword && t.readTotalMultiplier == 0 && t.readTotalConstant == 0;
    const uint64_t totalMs =
        uint64_t(t.readTotalMultiplier) * std::min<uint64_t>(length, kMaxDword) +
        t.readTotalConstant;
    const bool hasTotal = totalMs > 0;
    const bool hasInterval = t.readInterval != 0 && t.readInterval != kMaxDword;
    const uint64_t start = nowUs();
    const uint64_t deadline = deadlineAfter(start, totalMs);
    uint64_t lastByte = start;
    bool hungUp = false;

    for (;;) {
        const ssize_t n = ::read(m_fd, buffer + received, length - received);
        if (n > 0) {
            uint8_t* const from = buffer + received;
            const uint8_t* const end =
                m_bApplied && m_applied.discardNul ? std::remove(from, from + n, 0) : from + n;
            received += static_cast<size_t>(end - from);
            lastByte = nowUs();
            if (received == length)
                return true;
            continue;
        }
        if (n == 0)
            return fail(EIO); // hung up: the device went away
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return fail(errno);
        if (hungUp)
            return fail(EIO);
        if (immediate)
            return true;

        constexpr uint64_t never = UINT64_MAX;
        uint64_t stop = hasTotal ? deadline : never;
        if (received > 0 && hasInterval)
            stop = std::min(stop, deadlineAfter(lastByte, t.readInterval));
        const uint64_t now = nowUs();
        if (stop != never && now >= stop)
            return true;
        // The window answers while the device takes its time.
        Idle::Run();
        pollfd p{m_fd, POLLIN, 0};
        const int rc = ::poll(&p, 1, Idle::PollSlice(stop == never ? -1 : pollTimeout(stop, now)));
        if (rc < 0 && errno != EINTR)
            return fail(errno);
        if (rc > 0 && (p.revents & POLLNVAL))
            return fail(EBADF);
        // Data, a time-out or a hang-up: the next read or the deadline check tells which.
        hungUp = rc > 0 && (p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN);
    }
}

bool PosixSerialDevice::waitForDrain(size_t& queued, bool hasDeadline, uint64_t deadlineUs) {
    for (;;) {
        int q = 0;
        if (::ioctl(m_fd, TIOCOUTQ, &q) != 0)
            q = 0; // no output queue to ask about: what the driver took has gone
        queued = static_cast<size_t>(std::max(q, 0));
        if (queued == 0)
            return true;
        const uint64_t now = nowUs();
        if (hasDeadline && now >= deadlineUs)
            return false;
        Idle::Run();
        // The queue cannot be waited on; look again after about one millisecond.
        const uint64_t pauseUs = hasDeadline ? std::min<uint64_t>(1000, deadlineUs - now) : 1000;
        const timespec pause{0, static_cast<long>(pauseUs * 1000)};
        ::nanosleep(&pause, nullptr);
    }
}

bool PosixSerialDevice::write(const uint8_t* data, size_t length, size_t& written) {
    written = 0;
    if (!failIfClosed())
        return false;
    if (length == 0)
        return true;
    if (data == nullptr)
        return fail(EINVAL);

    const SerialTimeouts& t = m_timeouts;
    const uint64_t totalMs =
        uint64_t(t.writeTotalMultiplier) * std::min<uint64_t>(length, kMaxDword) +
        t.writeTotalConstant;
    const bool hasTotal = totalMs > 0;
    const uint64_t deadline = deadlineAfter(nowUs(), totalMs);

    size_t accepted = 0;
    bool hungUp = false;
    bool saidReady = false;
    while (accepted < length) {
        const ssize_t n = ::write(m_fd, data + accepted, length - accepted);
        if (n > 0) {
            accepted += static_cast<size_t>(n);
            saidReady = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            const int err = errno;
            written = accepted;
            return fail(err);
        }
        if (hungUp) {
            written = accepted;
            return fail(EIO);
        }
        if (saidReady) {
            // Some drivers (a parallel port) always poll writable; do not spin on them.
            const timespec pause{0, 1000000};
            ::nanosleep(&pause, nullptr);
        }
        const uint64_t now = nowUs();
        if (hasTotal && now >= deadline)
            break;
        Idle::Run();
        pollfd p{m_fd, POLLOUT, 0};
        const int rc = ::poll(&p, 1, Idle::PollSlice(hasTotal ? pollTimeout(deadline, now) : -1));
        if (rc < 0 && errno != EINTR) {
            const int err = errno;
            written = accepted;
            return fail(err);
        }
        if (rc > 0 && (p.revents & POLLNVAL))
            return fail(EBADF);
        hungUp = rc > 0 && (p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLOUT);
        saidReady = rc > 0 && (p.revents & POLLOUT);
    }

    // A write is done when its bytes are on the line, as on Windows; what is still queued at the
    // deadline is dropped and not counted, so it cannot go out later behind the caller's back.
    size_t queued = 0;
    if (!waitForDrain(queued, hasTotal, deadline))
        ::tcflush(m_fd, TCOFLUSH);
    written = accepted - std::min(queued, accepted);
    return true;
}

bool PosixSerialDevice::getCts(bool& ctsOn) {
    if (!failIfClosed())
        return false;
    int lines = 0;
    if (::ioctl(m_fd, TIOCMGET, &lines) == 0) {
        ctsOn = (lines & TIOCM_CTS) != 0;
        return true;
    }
    if (noModemLines(errno)) {
        ctsOn = true; // a pseudo-terminal has no modem lines
        return true;
    }
    return fail(errno);
}

void PosixSerialDevice::clearErrors(uint32_t* errors) {
    // termios keeps no sticky error state that would stop I/O, so there is nothing to clear;
    // buffered input is the caller's and stays.
    if (errors != nullptr)
        *errors = 0;
}

void PosixSerialDevice::purge() {
    if (m_fd >= 0)
        ::tcflush(m_fd, TCIOFLUSH);
}

void PosixSerialDevice::clearDtr() {
    if (m_fd >= 0) {
        const int dtr = TIOCM_DTR;
        ::ioctl(m_fd, TIOCMBIC, &dtr);
    }
}

void PosixSerialDevice::close() {
    if (m_fd < 0)
        return;
    // Exclusive mode belongs to the terminal, not to our descriptor: a pseudo-terminal that the
    // far end keeps open would stay locked for the next open. Unsent output is dropped so that
    // close() cannot wait on a held-off line.
    ::ioctl(m_fd, TIOCNXCL);
    ::tcflush(m_fd, TCOFLUSH);
    ::close(m_fd);
    m_fd = -1;
    releasePort(static_cast<dev_t>(m_nLockKey));
    m_nLockKey = 0;
}

std::unique_ptr<SerialDevice> PosixSerialDeviceFactory::create() {
    return std::make_unique<PosixSerialDevice>(m_names);
}

std::vector<int> PosixSerialDeviceFactory::existingPorts() {
    std::vector<int> numbers;
    for (const ComPortNode& port : m_names.listComPorts())
        numbers.push_back(port.number);
    return numbers;
}

} // namespace dax
