#include "ui/win32/CalibrationWindow.h"

#include "ui/win32/MessageLoop.h"

namespace dax::win32 {

CalibrationWindow::CalibrationWindow(int templateId, Prompter& prompter, HWND owner)
    : m_prompter(prompter) {
    const HWND window =
        ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Proc,
                             reinterpret_cast<LPARAM>(this));
    m_controls.SetDialog(window);
    if (window)
        RegisterDialog(window);
}

CalibrationWindow::~CalibrationWindow() {
    if (m_bRunning)
        win32::SetWaitCursor(false);
    if (const HWND window = Window()) {
        UnregisterDialog(window);
        ::DestroyWindow(window);
    }
}

std::unique_ptr<CalibrationWindow>
CalibrationWindow::ForRotational(CRotationalDlg& dlg, Prompter& prompter, HWND owner) {
    std::unique_ptr<CalibrationWindow> w(new CalibrationWindow(IDD_ROTATIONAL, prompter, owner));
    w->m_exit = [&dlg] { dlg.OnExit(); };
    w->m_commands = {
        {IDC_CAL_TEST, [&dlg] { dlg.OnTest(); }},
        {IDC_SAVE_OFFSET, [&dlg] { dlg.OnSaveOffset(); }},
        {IDC_RESTORE_DEFAULT, [&dlg] { dlg.OnRestoreDefault(); }},
        {IDC_PRINTER_A, [&dlg] { dlg.OnPrinterA(); }},
        {IDC_PRINTER_B, [&dlg] { dlg.OnPrinterB(); }},
        {IDC_CAL_EXIT, w->m_exit},
    };
    dlg.Attach(*w);
    dlg.OnInitDialog();
    return w;
}

std::unique_ptr<CalibrationWindow> CalibrationWindow::ForPocket(CPocketDlg& dlg, Prompter& prompter,
                                                                HWND owner) {
    std::unique_ptr<CalibrationWindow> w(new CalibrationWindow(IDD_POCKET, prompter, owner));
    w->m_exit = [&dlg] { dlg.OnExit(); };
    w->m_commands = {
        {IDC_CAL_TEST, [&dlg] { dlg.OnTest(); }},
        {IDC_SAVE_OFFSET, [&dlg] { dlg.OnSaveOffset(); }},
        {IDC_RESTORE_DEFAULT, [&dlg] { dlg.OnRestoreDefault(); }},
        {IDC_CAL_EXIT, w->m_exit},
    };
    for (int i = 0; i < CPocketDlg::kSizes; ++i)
        w->m_commands[IDC_SIZE_58 + i] = [&dlg, i] { dlg.OnSize(i); };
    dlg.Attach(*w);
    dlg.OnInitDialog();
    return w;
}

void CalibrationWindow::RunModal(HWND disabled) {
    const HWND window = Window();
    if (!window || m_bEnded)
        return;
    const bool wasEnabled = disabled && !::EnableWindow(disabled, FALSE);
    ::ShowWindow(window, SW_SHOW);
    ::SetForegroundWindow(window);
    RunMessageLoop([this] { return m_bEnded; });
    if (wasEnabled)
        ::EnableWindow(disabled, TRUE);
    ::ShowWindow(window, SW_HIDE);
    if (disabled)
        ::SetActiveWindow(disabled);
}

void CalibrationWindow::Run(const std::function<void()>& command) {
    if (m_bRunning || m_bEnded)
        return;
    m_bRunning = true;
    command();
    m_bRunning = false;
    if (m_bClosePending) {
        m_bClosePending = false;
        Run(m_exit);
    }
}

void CalibrationWindow::Leave() {
    if (m_bRunning)
        m_bClosePending = true;
    else
        Run(m_exit);
}

MessageBoxResult CalibrationWindow::MessageBox(const std::string& text, MessageBoxType type) {
    return m_prompter.MessageBox(Window(), text, type);
}

void CalibrationWindow::SetWaitCursor(bool wait) {
    win32::SetWaitCursor(wait);
}

void CalibrationWindow::PumpMessages() {
    win32::PumpMessages();
}

void CalibrationWindow::EndDialog(int) {
    m_bEnded = true;
    if (const HWND window = Window())
        ::PostMessageW(window, WM_NULL, 0, 0); // wakes the loop that waits
}

INT_PTR CALLBACK CalibrationWindow::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return FALSE; // the dialog sets the focus itself
    }
    auto* self = reinterpret_cast<CalibrationWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self)
        return FALSE;
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDCANCEL) { // Escape
            self->Leave();
            return TRUE;
        }
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        const auto it = self->m_commands.find(id);
        if (it == self->m_commands.end())
            return FALSE;
        if (id == IDC_CAL_EXIT)
            self->Leave();
        else
            self->Run(it->second);
        return TRUE;
    }
    case WM_CLOSE:
        self->Leave();
        return TRUE;
    case WM_SETCURSOR:
        return KeepWaitCursor(dialog);
    }
    return FALSE;
}

} // namespace dax::win32
