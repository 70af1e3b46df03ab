// A running daxtool.exe as another program sees it through the window system: what the
// end-to-end check and the screenshots use as a technician's eyes and hands.
//   window_probe.exe [SECONDS]            waits for the main window, prints its identification,
//                                         status, port and serial number, presses Exit and
//                                         waits for the window to go (exit status 0 if it did)
//   window_probe.exe rect TITLE [SECONDS] prints "left top width height" of the shown window
//   window_probe.exe press TITLE ID       clicks the control ID of the shown window
#include "app/ControlIds.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <windows.h>

namespace {

std::string TextOf(HWND window) {
    char text[512] = "";
    DWORD_PTR got = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, LPARAM(text), SMTO_ABORTIFHUNG,
                               1000, &got))
        return "(no answer: error " + std::to_string(::GetLastError()) + ")";
    return text;
}

struct Search {
    const char* title;
    HWND found;
};

// The shown top-level window with this title; the main window's title is also a message box's,
// so it must have the Exit button.
HWND FindShown(const char* title) {
    Search search{title, nullptr};
    ::EnumWindows(
        [](HWND w, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            char text[128] = "";
            ::GetWindowTextA(w, text, sizeof text);
            const bool main = std::strcmp(s->title, "Daxtool") == 0;
            if (std::strcmp(text, s->title) == 0 && ::IsWindowVisible(w) &&
                (!main || ::GetDlgItem(w, IDC_EXIT))) {
                s->found = w;
                return FALSE;
            }
            return TRUE;
        },
        LPARAM(&search));
    return search.found;
}

HWND WaitFor(const char* title, int seconds) {
    for (int i = 0; i < seconds * 10; ++i) {
        if (HWND w = FindShown(title))
            return w;
        ::Sleep(100);
    }
    std::printf("no window \"%s\"\n", title);
    return nullptr;
}

void Press(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   LPARAM(::GetDlgItem(dialog, id)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "rect") == 0) {
        HWND w = WaitFor(argv[2], argc > 3 ? std::atoi(argv[3]) : 30);
        if (!w)
            return 1;
        RECT r;
        ::GetWindowRect(w, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "press") == 0) {
        HWND w = WaitFor(argv[2], 30);
        if (!w)
            return 1;
        Press(w, std::atoi(argv[3]));
        return 0;
    }

    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    HWND main = WaitFor("Daxtool", seconds);
    if (!main)
        return 1;
    // Until the window shows what its scan found: the identification, or the reason in the
    // status. A window that does not answer yet (Wine may still be starting its desktop) is
    // asked again.
    auto shown = [](const std::string& text) { return !text.empty() && text[0] != '('; };
    const ULONGLONG deadline = ::GetTickCount64() + ULONGLONG(seconds) * 1000;
    while (::GetTickCount64() < deadline) {
        if (shown(TextOf(::GetDlgItem(main, IDC_INQUIRY_ID))) ||
            shown(TextOf(::GetDlgItem(main, IDC_STATUS))))
            break;
        ::Sleep(100);
    }
    std::printf("inquiry: %s\n", TextOf(::GetDlgItem(main, IDC_INQUIRY_ID)).c_str());
    std::printf("status: %s\n", TextOf(::GetDlgItem(main, IDC_STATUS)).c_str());
    std::printf("port: %s\n", TextOf(::GetDlgItem(main, IDC_PORT)).c_str());
    std::printf("transporter sn: %s\n", TextOf(::GetDlgItem(main, IDC_TRANSPORTER_SN)).c_str());
    std::fflush(stdout);
    Press(main, IDC_EXIT);
    for (int i = 0; i < seconds * 10 && ::IsWindow(main); ++i)
        ::Sleep(100);
    if (::IsWindow(main)) {
        std::printf("still open after Exit\n");
        return 1;
    }
    std::printf("closed\n");
    return 0;
}
