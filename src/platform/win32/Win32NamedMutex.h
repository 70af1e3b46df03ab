#pragma once

#include "platform/NamedMutex.h"

#include <string>

namespace dax {

// A named mutex of the Windows session (CreateMutexA, default security, not owned). A mutex
// that exists already, whoever made it, is AlreadyExists (ERROR_ALREADY_EXISTS, 183); one that
// exists but may not be opened by us is AccessDenied (ERROR_ACCESS_DENIED, 5).
class Win32NamedMutex : public NamedMutex {
public:
    Win32NamedMutex() = default;
    ~Win32NamedMutex() override;
    Win32NamedMutex(const Win32NamedMutex&) = delete;
    Win32NamedMutex& operator=(const Win32NamedMutex&) = delete;

    Result create(const std::string& name) override;
    void release() override;
    int lastError() const override { return m_nError; }

private:
    void* m_hMutex = nullptr; // HANDLE
    int m_nError = 0;
};

class Win32NamedMutexFactory : public NamedMutexFactory {
public:
    std::unique_ptr<NamedMutex> create() override;
};

} // namespace dax
