#include "ui/qt/DisplayProbe.h"

#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace dax {

namespace {

// A socket path; `abstractName` puts it in Linux's abstract namespace, where X servers listen too.
bool UnixSocketAnswers(const std::string& path, bool abstractName) {
    sockaddr_un addr{};
    if (path.empty() || path.size() + 1 >= sizeof addr.sun_path)
        return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + (abstractName ? 1 : 0), path.data(), path.size());
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), length) == 0;
    ::close(fd);
    return ok;
}

// A TCP connection within half a second, so that a dead forwarded display does not hang the start.
bool TcpAnswers(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return false;
    bool ok = false;
    for (addrinfo* a = found; a && !ok; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            continue;
        if (::connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            ok = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t size = sizeof error;
            ok = ::poll(&p, 1, 500) == 1 &&
                 ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
        }
        ::close(fd);
    }
    ::freeaddrinfo(found);
    return ok;
}

} // namespace

bool X11DisplayAnswers(const std::string& display) {
    if (!display.empty() && display[0] == '/')
        return UnixSocketAnswers(display.substr(0, display.rfind(':')), false) ||
               UnixSocketAnswers(display, false);
    const auto colon = display.rfind(':');
    if (colon == std::string::npos)
        return false;
    const std::string host = display.substr(0, colon);
    const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of("0123456789") != std::string::npos)
        return false;
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + number;
        return UnixSocketAnswers(path, false) || UnixSocketAnswers(path, true);
    }
    return TcpAnswers(host, 6000 + std::stoi(number));
}

bool WaylandDisplayAnswers(const std::string& display, const std::string& runtimeDir) {
    if (!display.empty() && display[0] == '/')
        return UnixSocketAnswers(display, false);
    if (runtimeDir.empty())
        return false;
    return UnixSocketAnswers(runtimeDir + "/" + (display.empty() ? "wayland-0" : display), false);
}

bool DisplayAnswers(const std::string& plugin, const std::string& display) {
    if (plugin == "xcb")
        return X11DisplayAnswers(display);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return WaylandDisplayAnswers(display, runtime ? runtime : "");
}

} // namespace dax
