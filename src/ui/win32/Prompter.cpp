#include "ui/win32/Prompter.h"

#include "ui/win32/Win32Text.h"

namespace dax::win32 {

namespace {

struct AboutTexts {
    std::wstring version, legal, date;
};

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* texts = reinterpret_cast<const AboutTexts*>(lParam);
        ::SetDlgItemTextW(dialog, IDC_ABOUT_VERSION, texts->version.c_str());
        ::SetDlgItemTextW(dialog, IDC_ABOUT_LEGAL, texts->legal.c_str());
        ::SetDlgItemTextW(dialog, IDC_ABOUT_DATE, texts->date.c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

MessageBoxResult SystemPrompter::MessageBox(HWND owner, const std::string& text,
                                            MessageBoxType type) {
    UINT style = MB_OK | MB_ICONWARNING;
    if (type == MessageBoxType::YesNo)
        style = MB_YESNO | MB_ICONQUESTION;
    else if (type == MessageBoxType::RetryCancel)
        style = MB_RETRYCANCEL | MB_ICONWARNING;
    // Without an owner (the start-up scan, before the window shows) the box must not hide
    // behind other programs' windows.
    if (!owner)
        style |= MB_SETFOREGROUND;
    switch (::MessageBoxW(owner, Widen(text).c_str(), L"Daxtool", style)) {
    case IDYES:
        return MessageBoxResult::Yes;
    case IDNO:
        return MessageBoxResult::No;
    case IDRETRY:
        return MessageBoxResult::Retry;
    case IDOK:
        return MessageBoxResult::Ok;
    default:
        return type == MessageBoxType::Ok ? MessageBoxResult::Ok : MessageBoxResult::Cancel;
    }
}

bool SystemPrompter::OpenFile(HWND owner, const std::string& title, const std::string& filterName,
                              const std::string& pattern, std::string& path) {
    // "Flash Files(*.bin)" NUL "*.bin" NUL NUL
    std::string filter = filterName;
    filter.push_back('\0');
    filter += pattern;
    filter.push_back('\0');
    filter.push_back('\0');
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!::GetOpenFileNameA(&ofn))
        return false;
    path = file;
    return true;
}

void SystemPrompter::About(HWND owner, const std::string& version, const std::string& legal,
                           const std::string& date) {
    AboutTexts texts{Widen(version), Widen(legal), Widen(date)};
    ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, AboutProc,
                      reinterpret_cast<LPARAM>(&texts));
}

} // namespace dax::win32
