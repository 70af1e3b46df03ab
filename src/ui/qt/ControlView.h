#pragma once

#include "app/HeldControls.h"
#include "ui/qt/ControlTable.h"

#include <string>

namespace dax {

// A window's side of a dialog's controls, for either view of the dialogs (the main dialog's and
// the calibration dialogs'): each control call goes to the window's table of widgets.
template <class View> class ControlView : public View {
public:
    explicit ControlView(QWidget* window) : m_controls(*window) {}

    // The widget of a control id, or nullptr.
    QWidget* Control(int id) const { return m_controls.Find(id); }

    void SetControlText(int id, const std::string& text) override { m_controls.SetText(id, text); }
    std::string GetControlText(int id) override { return m_controls.Text(id); }
    void SetCheck(int id, bool checked) override { m_controls.SetChecked(id, checked); }
    bool GetCheck(int id) override { return m_controls.IsChecked(id); }
    void EnableControl(int id, bool enabled) override { m_held.Enable(m_controls, id, enabled); }
    bool IsControlEnabled(int id) override { return m_held.IsEnabled(m_controls, id); }
    void ShowControl(int id, bool visible) override { m_controls.Show(id, visible); }
    bool IsControlVisible(int id) override { return m_controls.IsShown(id); }
    void SetSpinRange(int id, int lower, int upper) override {
        m_controls.SetSpinRange(id, lower, upper);
    }
    void SetFocusId(int id) override { m_controls.Focus(id); }

protected:
    // While a command runs its controls `ids` look disabled (see HeldControls).
    template <class Ids> void HoldDisabled(const Ids& ids) { m_held.Hold(m_controls, ids); }
    void ReleaseHeld() { m_held.Release(m_controls); }

    ControlTable m_controls;

private:
    HeldControls m_held;
};

} // namespace dax
