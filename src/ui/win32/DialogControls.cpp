#include "ui/win32/DialogControls.h"

#include "ui/win32/Win32Text.h"

namespace dax::win32 {

HWND DialogControls::Find(int id) const {
    return m_hDialog ? ::GetDlgItem(m_hDialog, id) : nullptr;
}

int DialogControls::IdOf(HWND window) const {
    for (HWND w = window; w && w != m_hDialog; w = ::GetParent(w)) {
        if (::GetParent(w) == m_hDialog)
            return ::GetDlgCtrlID(w);
    }
    return IDC_NONE;
}

void DialogControls::SetText(int id, const std::string& text) {
    if (HWND w = Find(id))
        ::SetWindowTextW(w, Widen(text).c_str());
}

std::string DialogControls::Text(int id) const {
    HWND w = Find(id);
    if (!w)
        return {};
    std::wstring text(size_t(::GetWindowTextLengthW(w)) + 1, L'\0');
    text.resize(size_t(::GetWindowTextW(w, text.data(), int(text.size()))));
    return Narrow(text);
}

void DialogControls::SetChecked(int id, bool checked) {
    if (HWND w = Find(id))
        ::SendMessageW(w, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool DialogControls::IsChecked(int id) const {
    HWND w = Find(id);
    return w && ::SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogControls::Enable(int id, bool enabled) {
    if (HWND w = Find(id))
        ::EnableWindow(w, enabled);
}

bool DialogControls::IsEnabled(int id) const {
    HWND w = Find(id);
    return w && !(::GetWindowLongW(w, GWL_STYLE) & WS_DISABLED);
}

void DialogControls::Show(int id, bool visible) {
    if (HWND w = Find(id))
        ::ShowWindow(w, visible ? SW_SHOWNA : SW_HIDE);
}

bool DialogControls::IsShown(int id) const {
    HWND w = Find(id);
    return w && (::GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
}

void DialogControls::SetSpinRange(int id, int lower, int upper) {
    if (HWND w = Find(id))
        ::SendMessageW(w, UDM_SETRANGE32, WPARAM(lower), LPARAM(upper));
}

void DialogControls::Focus(int id) {
    if (HWND w = Find(id))
        ::SendMessageW(m_hDialog, WM_NEXTDLGCTL, WPARAM(w), TRUE);
}

int DialogControls::FocusId() const {
    return IdOf(::GetFocus());
}

void DialogControls::SetComboItems(int id, const std::vector<std::string>& items) {
    HWND w = Find(id);
    if (!w)
        return;
    ::SendMessageW(w, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items)
        ::SendMessageW(w, CB_ADDSTRING, 0, LPARAM(Widen(item).c_str()));
    ::SendMessageW(w, CB_SETCURSEL, WPARAM(-1), 0);
}

void DialogControls::SetComboSelection(int id, int index) {
    HWND w = Find(id);
    if (!w)
        return;
    // A port without an item shows no selection.
    const int count = int(::SendMessageW(w, CB_GETCOUNT, 0, 0));
    ::SendMessageW(w, CB_SETCURSEL, WPARAM(index >= 0 && index < count ? index : -1), 0);
}

int DialogControls::ComboSelection(int id) const {
    HWND w = Find(id);
    return w ? int(::SendMessageW(w, CB_GETCURSEL, 0, 0)) : -1;
}

} // namespace dax::win32
