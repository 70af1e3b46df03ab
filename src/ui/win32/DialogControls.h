#pragma once

#include "ui/win32/Win32Api.h"

#include <string>
#include <vector>

namespace dax::win32 {

// A dialog window's controls found by their ids, and what the dialogs do to a control by its
// id. An id without a control in the template is ignored (a control this window lacks).
class DialogControls {
public:
    explicit DialogControls(HWND dialog = nullptr) : m_hDialog(dialog) {}
    void SetDialog(HWND dialog) { m_hDialog = dialog; }
    HWND Dialog() const { return m_hDialog; }
    HWND Find(int id) const;
    // The id of the control a window belongs to (a combo box's edit is its combo's); IDC_NONE
    // for a window that is not one of ours.
    int IdOf(HWND window) const;

    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    void SetChecked(int id, bool checked);
    bool IsChecked(int id) const;
    void Enable(int id, bool enabled);
    bool IsEnabled(int id) const;
    void Show(int id, bool visible);
    // Its own state: the window itself may not be shown yet.
    bool IsShown(int id) const;
    void SetSpinRange(int id, int lower, int upper);
    // An edit that gets the focus has its text selected, ready to be typed over.
    void Focus(int id);
    int FocusId() const;
    void SetComboItems(int id, const std::vector<std::string>& items);
    void SetComboSelection(int id, int index);
    int ComboSelection(int id) const;

private:
    HWND m_hDialog;
};

} // namespace dax::win32
