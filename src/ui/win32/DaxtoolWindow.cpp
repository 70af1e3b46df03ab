#include "ui/win32/DaxtoolWindow.h"

#include "app/DialogStrings.h"
#include "ui/win32/MessageLoop.h"
#include "ui/win32/Win32Text.h"

#include <algorithm>
#include <map>

namespace dax::win32 {

namespace {

// The buttons and what they run.
const std::map<int, void (CDaxtoolDlg::*)()>& ButtonCommands() {
    static const std::map<int, void (CDaxtoolDlg::*)()> commands = {
        {IDC_EXIT, &CDaxtoolDlg::OnClose},
        {IDC_ABOUT, &CDaxtoolDlg::OnAbout},
        {IDC_FLASH_LEDS, &CDaxtoolDlg::OnFlashLeds},
        {IDC_UPDATE_FLASH, &CDaxtoolDlg::OnUpdateFlash},
        {IDC_UPDATE_SERIAL, &CDaxtoolDlg::OnUpdateSerial},
        {IDC_SET_PARAMS, &CDaxtoolDlg::OnSetParams},
        {IDC_TEST, &CDaxtoolDlg::OnTest},
        {IDC_EXERCISER, &CDaxtoolDlg::OnExerciser},
        {IDC_PRINT_GRID, &CDaxtoolDlg::OnPrintGrid},
        {IDC_CALIBRATE_ROTATOR, &CDaxtoolDlg::OnCalibrateRotator},
        {IDC_CALIBRATE_POCKET, &CDaxtoolDlg::OnCalibratePocket},
    };
    return commands;
}

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, size, size,
                                           LR_DEFAULTCOLOR));
}

} // namespace

DaxtoolWindow::DaxtoolWindow(DialogContext context, Prompter* prompter)
    : m_prompter(prompter ? *prompter : m_systemPrompter) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_hAccel = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    const HWND window = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_DAXTOOL_DIALOG),
                                             nullptr, Proc, reinterpret_cast<LPARAM>(this));
    m_controls.SetDialog(window);
    if (window) {
        RegisterDialog(window, [this](MSG& msg) { return Filter(msg); });
        // The window menu's About item.
        if (HMENU menu = ::GetSystemMenu(window, FALSE)) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            ::AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, Widen(kAboutMenuItem).c_str());
        }
        m_hIcon = LoadProgramIcon(::GetSystemMetrics(SM_CXICON));
        m_hSmallIcon = LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON));
        ::SendMessageW(window, WM_SETICON, ICON_BIG, LPARAM(m_hIcon));
        ::SendMessageW(window, WM_SETICON, ICON_SMALL, LPARAM(m_hSmallIcon));
    }
    m_dlg = std::make_unique<CDaxtoolDlg>(std::move(context), *this);
}

DaxtoolWindow::~DaxtoolWindow() {
    // The device and port go before the window they report to.
    m_dlg.reset();
    m_waitBox.reset();
    if (const HWND window = Window()) {
        UnregisterDialog(window);
        ::DestroyWindow(window);
    }
    win32::SetWaitCursor(false);
    for (HICON icon : {m_hIcon, m_hSmallIcon})
        if (icon)
            ::DestroyIcon(icon);
}

void DaxtoolWindow::Show() {
    ::ShowWindow(Window(), SW_SHOW);
    ::SetForegroundWindow(Window());
    ::UpdateWindow(Window());
}

bool DaxtoolWindow::OnCommand(int id, int code) {
    if (code == BN_CLICKED) {
        const auto& commands = ButtonCommands();
        if (const auto it = commands.find(id); it != commands.end()) {
            ((*m_dlg).*(it->second))();
            return true;
        }
    }
    if (id == IDC_PORT && code == CBN_SELCHANGE) {
        m_dlg->OnPortChange();
        return true;
    }
    if (id == ID_COUNTER_TO_SERIAL && code == 1) { // from the accelerator
        m_dlg->OnCounterToSerial();
        return true;
    }
    // Enter and Escape (IDOK, IDCANCEL) and Ctrl+Help do nothing: the window closes only by
    // Exit or the close sequence.
    return id == IDOK || id == IDCANCEL || id == ID_CONTEXT_HELP;
}

bool DaxtoolWindow::Filter(MSG& msg) {
    switch (msg.message) {
    case WM_RBUTTONUP: {
        const DWORD pos = ::GetMessagePos();
        m_dlg->OnContextHelp(short(LOWORD(pos)), short(HIWORD(pos)));
        return true;
    }
    case WM_RBUTTONDOWN:
        return true;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // F1 explains the control under the mouse, not the one with the focus; the
        // context-menu key carries no point.
        if (msg.wParam == VK_F1 && msg.message == WM_KEYDOWN) {
            POINT p;
            ::GetCursorPos(&p);
            m_dlg->OnContextHelp(p.x, p.y);
            return true;
        }
        if (msg.wParam == VK_APPS || (msg.wParam == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000))) {
            m_dlg->OnContextHelp(-1, -1);
            return true;
        }
        break;
    }
    return m_hAccel && ::TranslateAcceleratorW(Window(), m_hAccel, &msg);
}

INT_PTR CALLBACK DaxtoolWindow::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<DaxtoolWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self || !self->m_dlg)
        return FALSE;
    return self->OnMessage(message, wParam, lParam);
}

INT_PTR DaxtoolWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    case WM_SYSCOMMAND:
        return m_dlg->OnSysCommand(int(wParam));
    case WM_CLOSE:
        // While an operation runs the dialog keeps the request until the operation ends.
        if (!m_dlg->IsEnded())
            m_dlg->OnClose();
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            m_dlg->OnEndSession();
        return TRUE;
    case WM_CONTEXTMENU: {
        m_dlg->OnContextHelp(short(LOWORD(lParam)), short(HIWORD(lParam)));
        return TRUE;
    }
    case WM_HELP: {
        const auto* info = reinterpret_cast<const HELPINFO*>(lParam);
        m_dlg->OnContextHelp(info->MousePos.x, info->MousePos.y);
        return TRUE;
    }
    case WM_SETCURSOR:
        return KeepWaitCursor(Window());
    }
    return FALSE;
}

void DaxtoolWindow::SetComboItems(int id, const std::vector<std::string>& items) {
    m_controls.SetComboItems(id, items);
}

void DaxtoolWindow::SetComboSelection(int id, int index) {
    m_controls.SetComboSelection(id, index);
}

int DaxtoolWindow::GetComboSelection(int id) {
    return m_controls.ComboSelection(id);
}

int DaxtoolWindow::GetFocusId() {
    return m_controls.FocusId();
}

HWND DaxtoolWindow::BoxOwner() const {
    // Before the window shows (the start-up scan) boxes stand on their own.
    return ::IsWindowVisible(Window()) ? Window() : nullptr;
}

MessageBoxResult DaxtoolWindow::MessageBox(const std::string& text, MessageBoxType type) {
    return m_prompter.MessageBox(BoxOwner(), text, type);
}

bool DaxtoolWindow::OpenFileDialog(const std::string& title, const std::string& filterName,
                                   const std::string& pattern, std::string& path) {
    return m_prompter.OpenFile(BoxOwner(), title, filterName, pattern, path);
}

void DaxtoolWindow::SetWaitCursor(bool wait) {
    win32::SetWaitCursor(wait);
}

void DaxtoolWindow::PumpMessages() {
    win32::PumpMessages();
}

void DaxtoolWindow::SetBusyLook(bool busy) {
    if (busy)
        HoldDisabled(kCommandControls);
    else
        ReleaseHeld();
}

void DaxtoolWindow::ShowProgress(int percent) {
    const HWND bar = Control(IDC_PROGRESS);
    if (!bar)
        return;
    ::SendMessageW(bar, PBM_SETPOS, WPARAM(std::clamp(percent, 0, 100)), 0);
    m_controls.Show(IDC_PROGRESS, percent >= 0);
}

void DaxtoolWindow::Beep() {
    ::MessageBeep(MB_ICONEXCLAMATION);
}

void DaxtoolWindow::ShowWaitBox(const std::string& message) {
    m_waitBox = std::make_unique<WaitBox>(message);
}

void DaxtoolWindow::SetWaitBoxMessage(const std::string& message) {
    if (m_waitBox)
        m_waitBox->SetMessage(message);
}

void DaxtoolWindow::CloseWaitBox() {
    m_waitBox.reset();
}

void DaxtoolWindow::ShowAboutBox(const std::string& version, const std::string& legal,
                                 const std::string& date) {
    m_prompter.About(BoxOwner(), version, legal, date);
}

void DaxtoolWindow::RunCalibration(CalibrationWindow& window) {
    if (onCalibrationShown)
        onCalibrationShown(window);
    window.RunModal(Window());
}

void DaxtoolWindow::RunRotationalDialog(CRotationalDlg& dlg) {
    auto window = CalibrationWindow::ForRotational(dlg, m_prompter, Window());
    RunCalibration(*window);
}

void DaxtoolWindow::RunPocketDialog(CPocketDlg& dlg) {
    // The pocket dialog has no owner window; it is modal all the same.
    auto window = CalibrationWindow::ForPocket(dlg, m_prompter, nullptr);
    RunCalibration(*window);
}

void DaxtoolWindow::EndDialog(int) {
    m_popup.Hide();
    m_waitBox.reset();
    ::ShowWindow(Window(), SW_HIDE);
    ::PostMessageW(Window(), WM_NULL, 0, 0); // wakes the loop that waits
}

int DaxtoolWindow::ControlAtPoint(int x, int y) {
    // A disabled or hidden control is not found: the point then lies on the dialog itself.
    const HWND under = ::WindowFromPoint(POINT{x, y});
    const int id = m_controls.IdOf(under);
    if (id == IDC_NONE)
        return IDC_NONE;
    const HWND control = m_controls.Find(id);
    return control && ::IsWindowEnabled(control) && ::IsWindowVisible(control) ? id : IDC_NONE;
}

void DaxtoolWindow::MeasureText(const std::string& text, int& width, int& height) {
    m_popup.Measure(text, width, height);
}

void DaxtoolWindow::ShowHelpPopup(const std::string& text, int left, int top, int width,
                                  int height) {
    m_popup.ShowAt(text, left, top, width, height);
}

void DaxtoolWindow::HideHelpPopup() {
    m_popup.Hide();
}

} // namespace dax::win32
