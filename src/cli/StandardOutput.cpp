#include "cli/StandardOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace dax {

namespace {
bool g_stdoutClosed = false;
} // namespace

void StandardOutput::Protect() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == 1)
            g_stdoutClosed = true;
        // The lowest free number is the one just found closed.
        const int null = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd)
            ::close(null);
    }
#endif
}

bool StandardOutput::Finish(std::string& error) {
    int err = g_stdoutClosed ? EBADF : 0;
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && err == 0)
        err = errno ? errno : EIO;
    if (std::fclose(stdout) != 0 && err == 0)
        err = errno ? errno : EIO;
    if (err == 0)
        return true;
    error = std::string("Unable to write the output: ") + std::strerror(err);
    return false;
}

} // namespace dax
