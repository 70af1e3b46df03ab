#pragma once

#include "ui/win32/Win32Api.h"

#include <string>

namespace dax::win32 {

// The modeless "Scanning..." box of the start-up scan (template 131). Its Cancel button closes
// nothing: the scan does not look at it.
class WaitBox {
public:
    explicit WaitBox(const std::string& message);
    ~WaitBox();
    WaitBox(const WaitBox&) = delete;
    WaitBox& operator=(const WaitBox&) = delete;

    void SetMessage(const std::string& message);
    std::string Message() const;
    HWND Window() const { return m_hWnd; }

private:
    HWND m_hWnd = nullptr;
};

} // namespace dax::win32
