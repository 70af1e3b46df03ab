#include "ui/win32/HelpPopup.h"

#include "app/ContextHelp.h"
#include "ui/win32/Win32Text.h"

#include <iterator>

namespace dax::win32 {

namespace {

constexpr wchar_t kClassName[] = L"DaxtoolHelpPopup";
constexpr UINT_PTR kHideTimer = 1;

} // namespace

HelpPopup::HelpPopup() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        m_hFont = ::CreateFontIndirectW(&metrics.lfStatusFont);

    static bool registered = false;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        registered = ::RegisterClassW(&wc) != 0;
    }
    m_hWnd = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"",
                               WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, instance, this);
}

HelpPopup::~HelpPopup() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    if (m_hFont)
        ::DeleteObject(m_hFont);
}

void HelpPopup::Measure(const std::string& text, int& width, int& height) {
    width = height = 0;
    HDC dc = ::GetDC(m_hWnd);
    if (!dc)
        return;
    const HGDIOBJ old = m_hFont ? ::SelectObject(dc, m_hFont) : nullptr;
    const std::wstring wide = Widen(text);
    SIZE size{};
    if (::GetTextExtentPoint32W(dc, wide.c_str(), int(wide.size()), &size)) {
        width = size.cx;
        height = size.cy;
    }
    if (old)
        ::SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
}

void HelpPopup::ShowAt(const std::string& text, int left, int top, int width, int height) {
    if (!m_hWnd)
        return;
    // The screen of the point the help was asked at (the popup's bottom middle).
    const POINT point{left + width / 2, top + height};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    PopupRect placed{left, top, width, height};
    if (::GetMonitorInfoW(::MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        const RECT& a = monitor.rcWork;
        placed = KeepInside(placed, {a.left, a.top, a.right - a.left, a.bottom - a.top});
    }
    ::SetWindowTextW(m_hWnd, Widen(text).c_str());
    ::SetWindowPos(m_hWnd, HWND_TOPMOST, placed.left, placed.top, placed.width, placed.height,
                   SWP_NOACTIVATE);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    ::SetTimer(m_hWnd, kHideTimer, kHelpHideMs, nullptr); // restarts the 2 seconds
}

void HelpPopup::Hide() {
    if (!m_hWnd)
        return;
    ::KillTimer(m_hWnd, kHideTimer);
    ::ShowWindow(m_hWnd, SW_HIDE);
}

std::string HelpPopup::Text() const {
    wchar_t text[512] = L"";
    ::GetWindowTextW(m_hWnd, text, int(std::size(text)));
    return Narrow(text);
}

void HelpPopup::Paint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
    const HGDIOBJ old = m_hFont ? ::SelectObject(dc, m_hFont) : nullptr;
    wchar_t text[512] = L"";
    ::GetWindowTextW(m_hWnd, text, int(std::size(text)));
    ::DrawTextW(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (old)
        ::SelectObject(dc, old);
    ::EndPaint(m_hWnd, &ps);
}

LRESULT CALLBACK HelpPopup::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HelpPopup*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_PAINT:
        if (self) {
            self->m_hWnd = window;
            self->Paint();
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kHideTimer) {
            ::KillTimer(window, kHideTimer);
            ::ShowWindow(window, SW_HIDE);
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace dax::win32
