#include "platform/win32/Win32NamedMutex.h"

#include <windows.h>

namespace dax {

Win32NamedMutex::~Win32NamedMutex() {
    release();
}

NamedMutex::Result Win32NamedMutex::create(const std::string& name) {
    release();
    m_nError = 0;
    HANDLE h = ::CreateMutexA(nullptr, FALSE, name.c_str());
    // Taken at once: the next call may change it.
    const DWORD err = ::GetLastError();
    if (h == nullptr) {
        m_nError = static_cast<int>(err);
        return err == ERROR_ACCESS_DENIED ? Result::AccessDenied : Result::OtherError;
    }
    if (err == ERROR_ALREADY_EXISTS) {
        // Our handle would keep the other holder's mutex alive after it ends.
        ::CloseHandle(h);
        m_nError = static_cast<int>(err);
        return Result::AlreadyExists;
    }
    m_hMutex = h;
    return Result::Created;
}

void Win32NamedMutex::release() {
    if (m_hMutex != nullptr) {
        ::CloseHandle(static_cast<HANDLE>(m_hMutex));
        m_hMutex = nullptr;
    }
}

std::unique_ptr<NamedMutex> Win32NamedMutexFactory::create() {
    return std::make_unique<Win32NamedMutex>();
}

} // namespace dax
