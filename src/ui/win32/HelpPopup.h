#pragma once

#include "ui/win32/Win32Api.h"

#include <string>

namespace dax::win32 {

// The one-line help box: a thin-bordered tool window in the tool-tip colours and the status-bar
// font that hides itself 2 seconds after it was last shown. Clicks and keys do not dismiss it.
class HelpPopup {
public:
    HelpPopup();
    ~HelpPopup();
    HelpPopup(const HelpPopup&) = delete;
    HelpPopup& operator=(const HelpPopup&) = delete;

    void Measure(const std::string& text, int& width, int& height);
    // Shows the text at the rectangle (screen pixels), moved as far as needed to lie inside the
    // work area of the screen the help was asked on.
    void ShowAt(const std::string& text, int left, int top, int width, int height);
    void Hide();

    HWND Window() const { return m_hWnd; }
    bool IsShown() const { return m_hWnd && ::IsWindowVisible(m_hWnd); }
    std::string Text() const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND m_hWnd = nullptr;
    HFONT m_hFont = nullptr;
};

} // namespace dax::win32
