#include "platform/posix/PosixPrinterDevices.h"

#include "platform/Idle.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <system_error>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace dax {

namespace {

uint64_t monotonicMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

// An open printer node. The descriptor is non-blocking so that a write time-out can end a write
// that the printer does not take; without a time-out a write waits as long as the printer does.
class PosixPrinterDevice : public PrinterDevice {
public:
    explicit PosixPrinterDevice(int fd) : m_fd(fd) {}
    ~PosixPrinterDevice() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PosixPrinterDevice(const PosixPrinterDevice&) = delete;
    PosixPrinterDevice& operator=(const PosixPrinterDevice&) = delete;

    bool Write(const uint8_t* data, uint32_t length, uint32_t& written, uint32_t& error) override {
        written = 0;
        error = 0;
        if (m_fd < 0) {
            error = kInvalidHandleError;
            return false;
        }
        const uint64_t limit = uint64_t(m_nPerByteMs) * length + m_nConstantMs;
        const uint64_t deadline = monotonicMs() + limit;
        bool readyButFull = false;
        while (written < length) {
            const ssize_t n = ::write(m_fd, data + written, length - written);
            if (n > 0) {
                written += uint32_t(n);
                readyButFull = false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                error = uint32_t(errno);
                return false;
            }
            int sliceMs = 100;
            if (limit != 0) {
                const uint64_t now = monotonicMs();
                if (now >= deadline)
                    break; // timed out: the caller sees the short count
                sliceMs = int(std::min<uint64_t>(deadline - now, 100));
            }
            // Some drivers (the parallel port's) say ready while they are not: do not spin.
            if (readyButFull)
                ::usleep(2000);
            // The window answers while the printer takes its time.
            Idle::Run();
            pollfd p{m_fd, POLLOUT, 0};
            const int r = ::poll(&p, 1, Idle::PollSlice(sliceMs));
            if (r < 0 && errno != EINTR) {
                error = uint32_t(errno);
                return false;
            }
            readyButFull = r > 0;
        }
        return true;
    }

    void SetWriteTimeout(uint32_t perByteMs, uint32_t constantMs) override {
        m_nPerByteMs = perByteMs;
        m_nConstantMs = constantMs;
    }

    // The descriptor is gone after close() whatever it returns, so a failed close is reported
    // once and a second Close does not close a number the system may have handed out again.
    bool Close(uint32_t& error) override {
        error = 0;
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0 && errno != EINTR) {
            error = uint32_t(errno);
            return false;
        }
        return true;
    }

private:
    int m_fd = -1;
    uint32_t m_nPerByteMs = 0;
    uint32_t m_nConstantMs = 0;
};

} // namespace

std::vector<std::string> PosixPrinterDevices::ListUsbPrinters() {
    std::vector<std::string> paths;
    for (const UsbPrinterNode& p : m_names.listUsbPrinters())
        paths.push_back(p.interfacePath);
    return paths;
}

std::string PosixPrinterDevices::NodeOf(const std::string& name) const {
    if (DeviceNames::parseComPath(name))
        return {};
    return m_names.resolvePath(name).value_or("");
}

std::unique_ptr<PrinterDevice> PosixPrinterDevices::Open(const std::string& name, uint32_t& error) {
    error = 0;
    const std::string node = NodeOf(name);
    if (node.empty()) {
        error = ENOENT;
        return nullptr;
    }
    // Printer ports are character devices, as serial ports are: an entry linked to a file
    // would get the drawer probe's bytes written into it at every start.
    struct stat st {};
    if (::stat(node.c_str(), &st) != 0) {
        error = uint32_t(errno);
        return nullptr;
    }
    if (!S_ISCHR(st.st_mode)) {
        error = ENODEV;
        return nullptr;
    }
    const int fd = ::open(node.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = uint32_t(errno);
        return nullptr;
    }
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd); // the node changed between the look and the open
        error = ENODEV;
        return nullptr;
    }
    if (::isatty(fd)) {
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            if (::tcsetattr(fd, TCSANOW, &t) == 0) {
                return std::make_unique<PosixPrinterDevice>(fd);
            }
        }
        error = uint32_t(errno);
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixPrinterDevice>(fd);
}

std::string PosixPrinterDevices::ErrorText(uint32_t error) {
    if (error == 0)
        return {};
    std::string text = std::error_code(int(error), std::generic_category()).message();
    if (text.rfind("Unknown error", 0) == 0)
        return {};
    return text;
}

} // namespace dax
