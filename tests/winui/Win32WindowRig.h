#pragma once
// The real Windows main window, made from its templates, over fake serial ports, settings and
// clock, its boxes scripted; messages reach it through the window's own message handling.
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "flow/ScriptedTransporter.h"
#include "ui/WindowScenarios.h"
#include "ui/win32/DaxtoolWindow.h"
#include "ui/win32/MessageLoop.h"
#include "ui/win32/Win32Text.h"

#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace dax::win32 {

// Answers the window's boxes from a script, without opening them; unscripted questions get
// the safe answer (No, Cancel), and no file is chosen.
class ScriptedPrompter : public Prompter {
public:
    MessageBoxResult MessageBox(HWND, const std::string& text, MessageBoxType type) override {
        messages.push_back(text);
        if (!answers.empty()) {
            const MessageBoxResult a = answers.front();
            answers.pop_front();
            return a;
        }
        return type == MessageBoxType::Ok      ? MessageBoxResult::Ok
               : type == MessageBoxType::YesNo ? MessageBoxResult::No
                                               : MessageBoxResult::Cancel;
    }
    bool OpenFile(HWND, const std::string&, const std::string& filterName, const std::string&,
                  std::string&) override {
        filters.push_back(filterName);
        return false;
    }
    void About(HWND, const std::string& version, const std::string& legal,
               const std::string& date) override {
        abouts.push_back(version + "|" + legal + "|" + date);
    }

    std::deque<MessageBoxResult> answers;
    std::vector<std::string> messages;
    std::vector<std::string> filters;
    std::vector<std::string> abouts;
};

using scenarios::General;

// A control's text, state and input, as the window system gives them.
inline std::string WindowText(HWND w) {
    wchar_t text[1024] = L"";
    ::GetWindowTextW(w, text, 1024);
    return Narrow(text);
}
inline void Click(HWND control) {
    ::SendMessageW(control, BM_CLICK, 0, 0);
}
// A key pressed on the control with the focus, with Control held or not, through the queue.
inline void PressKey(UINT key, bool control = false) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_CONTROL] = control ? 0x80 : 0;
    ::SetKeyboardState(state);
    const HWND focus = ::GetFocus();
    ::PostMessageW(focus, WM_KEYDOWN, key, 1);
    ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
    PumpMessages();
    state[VK_CONTROL] = 0;
    ::SetKeyboardState(state);
}
inline POINT CentreOf(HWND w) {
    RECT r;
    ::GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

struct WindowRig : scenarios::DeviceSide {
    explicit WindowRig(int testLevel = 0) : DeviceSide(testLevel) {}

    DaxtoolWindow& Start() {
        window = std::make_unique<DaxtoolWindow>(context, &prompter);
        EXPECT_NE(window->Window(), nullptr);
        window->Dialog().OnInitDialog();
        if (!window->Dialog().IsEnded())
            window->Show();
        PumpMessages();
        for (auto& t : transporters)
            t->commands.clear();
        return *window;
    }
    HWND Get(int id) {
        const HWND w = window->Control(id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    // The driver of the scenarios both windows run (ui/WindowScenarios.h).
    std::string TextOf(int id) { return WindowText(Get(id)); }
    bool Checked(int id) { return ::SendMessageW(Get(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    int FocusId() { return window->GetFocusId(); }
    void PressCtrlP() { PressKey('P', true); }
    void PressEnterAndEscape() {
        PressKey(VK_RETURN);
        PressKey(VK_ESCAPE);
    }
    bool IsEnded() { return window->Dialog().IsEnded(); }
    bool Visible() { return ::IsWindowVisible(window->Window()); }
    bool Enabled(int id) { return ::IsWindowEnabled(Get(id)); }
    bool Shown(int id) { return ::IsWindowVisible(Get(id)); }
    void Click(int id) { win32::Click(Get(id)); }
    void Type(int id, const std::string& text) { ::SetWindowTextW(Get(id), Widen(text).c_str()); }
    void Focus(int id) { ::SendMessageW(window->Window(), WM_NEXTDLGCTL, WPARAM(Get(id)), TRUE); }
    // A right click on the middle of a control, as the window system reports it.
    void RightClick(int id) {
        const POINT p = CentreOf(Get(id));
        ::SendMessageW(window->Window(), WM_CONTEXTMENU, WPARAM(Get(id)), MAKELPARAM(p.x, p.y));
    }
    bool Sent(const flow::ScriptedTransporter& t, const std::string& command) {
        for (const std::string& c : t.commands)
            if (c == command)
                return true;
        return false;
    }

    ScriptedPrompter prompter;
    std::unique_ptr<DaxtoolWindow> window;
};

} // namespace dax::win32
