#pragma once

#include "app/ControlIds.h"
#include "app/DialogView.h"

#include <map>
#include <string>
#include <vector>

namespace dax {

// The main dialog's controls held in memory, for views that have no window (the command line
// and the tests). Initial texts and states are those of the dialog template.
class ControlPanel {
public:
    struct Control {
        std::string text;
        bool checked = false;
        std::vector<std::string> items; // of a combo box
        int selection = -1;
        bool enabled = true;
        bool visible = true;
        int spinLower = 0;
        int spinUpper = 0;
    };

    ControlPanel();

    Control& operator[](int id) { return m_controls[id]; }
    const Control* Find(int id) const;

    void SetControlText(int id, const std::string& text) { m_controls[id].text = text; }
    std::string GetControlText(int id) { return m_controls[id].text; }
    void SetCheck(int id, bool checked) { m_controls[id].checked = checked; }
    bool GetCheck(int id) { return m_controls[id].checked; }
    void SetComboItems(int id, const std::vector<std::string>& items) {
        m_controls[id].items = items;
    }
    void SetComboSelection(int id, int index) { m_controls[id].selection = index; }
    int GetComboSelection(int id) { return m_controls[id].selection; }
    void EnableControl(int id, bool enabled) { m_controls[id].enabled = enabled; }
    bool IsControlEnabled(int id) { return m_controls[id].enabled; }
    void ShowControl(int id, bool visible) { m_controls[id].visible = visible; }
    bool IsControlVisible(int id) { return m_controls[id].visible; }
    void SetSpinRange(int id, int lower, int upper) {
        m_controls[id].spinLower = lower;
        m_controls[id].spinUpper = upper;
    }

private:
    std::map<int, Control> m_controls;
};

} // namespace dax
