#include "PseudoTerminal.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace dax::sim {

int BaudFromSpeed(unsigned speed) {
    switch (speed) {
    case B1200:
        return 1200;
    case B2400:
        return 2400;
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

CPseudoTerminal::~CPseudoTerminal() {
    if (m_nSlave >= 0)
        close(m_nSlave);
    if (m_nMaster >= 0)
        close(m_nMaster);
}

bool CPseudoTerminal::Open(std::string& error) {
    m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_nMaster < 0 || grantpt(m_nMaster) != 0 || unlockpt(m_nMaster) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128];
    if (ptsname_r(m_nMaster, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_strSlavePath = name;
    m_nSlave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_nSlave < 0) {
        error = "cannot open " + m_strSlavePath + ": " + std::strerror(errno);
        return false;
    }
    // Raw, so that nothing the host sends is echoed back or altered before it reaches us.
    termios tio{};
    if (tcgetattr(m_nSlave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_nSlave, TCSANOW, &tio);
    }
    return true;
}

int CPseudoTerminal::CurrentRate() const {
    termios tio{};
    if (tcgetattr(m_nSlave, &tio) != 0)
        return 0;
    return BaudFromSpeed(static_cast<unsigned>(cfgetospeed(&tio)));
}

bool CPseudoTerminal::ReadAvailable(std::string& out, std::size_t limit) {
    char buf[4096];
    std::size_t taken = 0;
    while (taken < limit) {
        const ssize_t n = read(m_nMaster, buf, std::min(sizeof buf, limit - taken));
        if (n > 0) {
            out.append(buf, static_cast<std::size_t>(n));
            taken += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false; // EOF or error: the line is gone
    }
    return true;
}

bool CPseudoTerminal::Write(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_nMaster, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The host is not reading; wait a little for room, then give the answer up.
            pollfd p{m_nMaster, POLLOUT, 0};
            if (poll(&p, 1, 1000) <= 0)
                return false;
            continue;
        }
        return false;
    }
    return true;
}

} // namespace dax::sim
