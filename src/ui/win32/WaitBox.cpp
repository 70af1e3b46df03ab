#include "ui/win32/WaitBox.h"

#include "ui/win32/MessageLoop.h"
#include "ui/win32/Win32Text.h"

#include <iterator>

namespace dax::win32 {

namespace {

INT_PTR CALLBACK WaitProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_SETCURSOR:
        return KeepWaitCursor(dialog);
    }
    return FALSE;
}

} // namespace

WaitBox::WaitBox(const std::string& message) {
    m_hWnd = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WAIT), nullptr,
                                  WaitProc, 0);
    if (!m_hWnd)
        return;
    RegisterDialog(m_hWnd);
    SetMessage(message);
    ::ShowWindow(m_hWnd, SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    ::UpdateWindow(m_hWnd);
}

WaitBox::~WaitBox() {
    if (!m_hWnd)
        return;
    UnregisterDialog(m_hWnd);
    ::DestroyWindow(m_hWnd);
}

void WaitBox::SetMessage(const std::string& message) {
    ::SetDlgItemTextW(m_hWnd, IDC_WAIT_MESSAGE, Widen(message).c_str());
    // The scan lets the queue run only now and then: paint the new text now.
    ::UpdateWindow(m_hWnd);
}

std::string WaitBox::Message() const {
    wchar_t text[512] = L"";
    ::GetDlgItemTextW(m_hWnd, IDC_WAIT_MESSAGE, text, int(std::size(text)));
    return Narrow(text);
}

} // namespace dax::win32
