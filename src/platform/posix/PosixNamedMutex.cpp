#include "platform/posix/PosixNamedMutex.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dax {

std::string PosixNamedMutex::defaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st;
    if (runtime != nullptr && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
        return runtime;
    return "/tmp";
}

std::string PosixNamedMutex::fileNameFor(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
        out += safe ? char(c) : '_';
    }
    if (out.empty() || out[0] == '.')
        out.insert(out.begin(), '_');
    return out;
}

PosixNamedMutex::PosixNamedMutex(std::string directory) : m_strDirectory(std::move(directory)) {}

PosixNamedMutex::~PosixNamedMutex() {
    release();
}

NamedMutex::Result PosixNamedMutex::fail(Result result, int err) {
    m_nError = err;
    return result;
}

NamedMutex::Result PosixNamedMutex::create(const std::string& name) {
    release();
    m_nError = 0;
    m_strPath = m_strDirectory + "/" + fileNameFor(name) + ".lock";

    // Read-only and world-readable, so that another user's copy can still lock the same file
    // (in /tmp); never follow a link or block on a FIFO someone planted at the path.
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(m_strPath.c_str(), flags);
    if (fd < 0 && errno == ENOENT) {
        // Not O_CREAT on an existing file: in a sticky directory that is refused for files of
        // other users.
        fd = ::open(m_strPath.c_str(), flags | O_CREAT | O_EXCL, 0644);
        if (fd < 0 && errno == EEXIST)
            fd = ::open(m_strPath.c_str(), flags);
    }
    if (fd < 0) {
        // A link planted at the path refuses; a file we may not create or open (an unwritable
        // runtime directory, a file left by another user) tells nothing of a running copy.
        const int err = errno;
        return fail(err == ELOOP ? Result::AccessDenied : Result::OtherError, err);
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(Result::AccessDenied, EACCES);
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        return fail(err == EWOULDBLOCK ? Result::AlreadyExists : Result::OtherError, err);
    }
    m_fd = fd;
    return Result::Created;
}

std::string PosixNamedMutex::lastErrorText() const {
    return m_strPath + ": " + std::strerror(m_nError);
}

void PosixNamedMutex::release() {
    // The file stays: removing it would let a newcomer lock a fresh file while an older holder
    // still has the old one locked.
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::unique_ptr<NamedMutex> PosixNamedMutexFactory::create() {
    return std::make_unique<PosixNamedMutex>(m_strDirectory);
}

} // namespace dax
