#pragma once

#include "ui/win32/DialogControls.h"

#include <map>
#include <string>

namespace dax::win32 {

// A dialog window's side of a dialog's controls, for either view of the dialogs (the main
// dialog's and the calibration dialogs'): each control call goes to the window's control.
template <class View> class ControlView : public View {
public:
    DialogControls& Controls() { return m_controls; }
    HWND Control(int id) const { return m_controls.Find(id); }

    void SetControlText(int id, const std::string& text) override { m_controls.SetText(id, text); }
    std::string GetControlText(int id) override { return m_controls.Text(id); }
    void SetCheck(int id, bool checked) override { m_controls.SetChecked(id, checked); }
    bool GetCheck(int id) override { return m_controls.IsChecked(id); }
    void EnableControl(int id, bool enabled) override {
        if (auto held = m_held.find(id); held != m_held.end())
            held->second = enabled;
        else
            m_controls.Enable(id, enabled);
    }
    bool IsControlEnabled(int id) override {
        const auto held = m_held.find(id);
        return held != m_held.end() ? held->second : m_controls.IsEnabled(id);
    }
    void ShowControl(int id, bool visible) override { m_controls.Show(id, visible); }
    bool IsControlVisible(int id) override { return m_controls.IsShown(id); }
    void SetSpinRange(int id, int lower, int upper) override {
        m_controls.SetSpinRange(id, lower, upper);
    }
    void SetFocusId(int id) override { m_controls.Focus(id); }

protected:
    // While a command runs its controls `ids` look disabled; each keeps the state the dialog
    // gives it meanwhile, shown when they are released.
    template <class Ids> void HoldDisabled(const Ids& ids) {
        if (!m_held.empty())
            return;
        for (int id : ids) {
            if (!Control(id))
                continue;
            m_held[id] = m_controls.IsEnabled(id);
            m_controls.Enable(id, false);
        }
    }
    void ReleaseHeld() {
        const std::map<int, bool> held = std::move(m_held);
        m_held.clear();
        for (const auto& [id, enabled] : held)
            m_controls.Enable(id, enabled);
    }

    DialogControls m_controls;

private:
    std::map<int, bool> m_held;
};

} // namespace dax::win32
