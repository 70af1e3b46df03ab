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

bool PosixNamedMutex::isPrivateDirectory(const std::string& directory) {
    struct stat st;
    return ::stat(directory.c_str(), &st) == 0 && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

PosixNamedMutex::PosixNamedMutex(std::string directory) : m_strDirectory(std::move(directory)) {}

PosixNamedMutex::~PosixNamedMutex() {
    release();
}

NamedMutex::Result PosixNamedMutex::fail(Result result, int err) {
    m_nError = err;
    return result;
}

NamedMutex::Result PosixNamedMutex::deny(const std::string& what) {
    m_strObstacle = m_strPath + " " + what + "; it is no lock of a running copy: remove it";
    return fail(Result::AccessDenied, EACCES);
}

NamedMutex::Result PosixNamedMutex::create(const std::string& name) {
    const bool everyoneWrites = !isPrivateDirectory(m_strDirectory);
    return take(fileNameFor(name) + (everyoneWrites ? "-" + std::to_string(::geteuid()) : ""),
                false);
}

NamedMutex::Result PosixNamedMutex::createShared(const std::string& name) {
    return take(fileNameFor(name), true);
}

NamedMutex::Result PosixNamedMutex::take(const std::string& fileName, bool shared) {
    release();
    m_nError = 0;
    m_strObstacle.clear();
    m_strPath = m_strDirectory + "/" + fileName + ".lock";

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
        if (err == ELOOP)
            return deny("is a symbolic link");
        return fail(Result::OtherError, err);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return deny(S_ISDIR(st.st_mode)    ? "is a directory"
                    : S_ISFIFO(st.st_mode) ? "is a FIFO"
                                           : "is not a regular file");
    }
    // A name of the user's own that another user's file stands at, where everybody may write.
    if (!shared && st.st_uid != ::geteuid()) {
        ::close(fd);
        return deny("belongs to another user (uid " + std::to_string(st.st_uid) + ")");
    }
    int rc;
    do {
        rc = ::flock(fd, (shared ? LOCK_SH : LOCK_EX) | LOCK_NB);
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
