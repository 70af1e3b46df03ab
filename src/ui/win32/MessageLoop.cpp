#include "ui/win32/MessageLoop.h"

#include <utility>
#include <vector>

namespace dax::win32 {

namespace {

struct Registered {
    HWND dialog;
    std::function<bool(MSG&)> filter;
};

std::vector<Registered>& Dialogs() {
    static std::vector<Registered> dialogs;
    return dialogs;
}

bool g_bWaitCursor = false;

// Enter presses nothing: the dialogs have no default button (a technician types serial numbers
// and readings, and a calibration dialog's Exit is its OK button). Space presses the focused one.
bool IsEnter(const MSG& msg) {
    return msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN;
}

bool PreTranslate(MSG& msg) {
    // The most recent dialog first: a modal calibration dialog over the main one.
    auto& dialogs = Dialogs();
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
        const HWND dialog = it->dialog;
        if (msg.hwnd != dialog && !::IsChild(dialog, msg.hwnd))
            continue;
        if (it->filter && it->filter(msg))
            return true;
        if (IsEnter(msg))
            return true;
        return ::IsDialogMessageW(dialog, &msg);
    }
    return false;
}

void Dispatch(MSG& msg) {
    if (PreTranslate(msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

} // namespace

void RegisterDialog(HWND dialog, std::function<bool(MSG&)> filter) {
    Dialogs().push_back({dialog, std::move(filter)});
}

void UnregisterDialog(HWND dialog) {
    auto& dialogs = Dialogs();
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        if (it->dialog == dialog) {
            dialogs.erase(it);
            return;
        }
    }
}

void PumpMessages() {
    MSG msg;
    bool quit = false;
    int code = 0;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            code = int(msg.wParam);
            continue;
        }
        Dispatch(msg);
    }
    if (quit)
        ::PostQuitMessage(code);
}

bool RunMessageLoop(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(int(msg.wParam)); // for the loop around this one
            return false;
        }
        if (got < 0)
            return false;
        Dispatch(msg);
    }
    return true;
}

void SetWaitCursor(bool wait) {
    g_bWaitCursor = wait;
    ::SetCursor(::LoadCursorW(nullptr, wait ? IDC_WAIT : IDC_ARROW));
}

bool KeepWaitCursor(HWND dialog) {
    if (!g_bWaitCursor)
        return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    ::SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
    return true;
}

} // namespace dax::win32
