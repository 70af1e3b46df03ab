#pragma once

#include "platform/NamedMutex.h"

#include <string>

namespace dax {

// A named mutex as an flock()ed file <directory>/<name>.lock. The lock goes with the process, so
// a crashed holder never leaves the name taken; the file itself stays.
class PosixNamedMutex : public NamedMutex {
public:
    // $XDG_RUNTIME_DIR when it is an absolute path, else /tmp.
    static std::string defaultDirectory();
    // Characters other than letters, digits, '_', '-' and '.' become '_', and a leading '.' too.
    static std::string fileNameFor(const std::string& name);

    explicit PosixNamedMutex(std::string directory = defaultDirectory());
    ~PosixNamedMutex() override;
    PosixNamedMutex(const PosixNamedMutex&) = delete;
    PosixNamedMutex& operator=(const PosixNamedMutex&) = delete;

    Result create(const std::string& name) override;
    void release() override;
    int lastError() const override { return m_nError; }
    std::string lastErrorText() const override;

    const std::string& path() const { return m_strPath; }

private:
    Result fail(Result result, int err);

    std::string m_strDirectory;
    std::string m_strPath;
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
