#pragma once

#include "platform/NamedMutex.h"

#include <string>

namespace dax {

// A named mutex as an flock()ed file <directory>/<name>.lock. The lock goes with the process, so
// a crashed holder never leaves the name taken; the file itself stays.
//
// In a directory other users may write to (/tmp), the program's own names are per user
// (<name>-<uid>.lock), as a Windows name is per session: one user's copy does not keep
// another's from starting, and a lock file of another user is not taken for a running copy.
// A name of another program (createShared) stays as that program makes it, and is locked
// shared, so that the copies of several users hold it together.
class PosixNamedMutex : public NamedMutex {
public:
    // $XDG_RUNTIME_DIR when it is an absolute path, else /tmp.
    static std::string defaultDirectory();
    // The directory is the user's alone: owned by them, writable by nobody else.
    static bool isPrivateDirectory(const std::string& directory);
    // Characters other than letters, digits, '_', '-' and '.' become '_', and a leading '.' too.
    static std::string fileNameFor(const std::string& name);

    explicit PosixNamedMutex(std::string directory = defaultDirectory());
    ~PosixNamedMutex() override;
    PosixNamedMutex(const PosixNamedMutex&) = delete;
    PosixNamedMutex& operator=(const PosixNamedMutex&) = delete;

    Result create(const std::string& name) override;
    Result createShared(const std::string& name) override;
    void release() override;
    int lastError() const override { return m_nError; }
    std::string lastErrorText() const override;
    std::string obstacle() const override { return m_strObstacle; }

    const std::string& path() const { return m_strPath; }

private:
    Result take(const std::string& fileName, bool shared);
    Result fail(Result result, int err);
    Result deny(const std::string& what);

    std::string m_strDirectory;
    std::string m_strPath;
    std::string m_strObstacle;
    int m_fd = -1;
    int m_nError = 0;
};

class PosixNamedMutexFactory : public NamedMutexFactory {
public:
    explicit PosixNamedMutexFactory(std::string directory = PosixNamedMutex::defaultDirectory())
        : m_strDirectory(std::move(directory)) {}
    std::unique_ptr<NamedMutex> create() override;

private:
    std::string m_strDirectory;
};

} // namespace dax
