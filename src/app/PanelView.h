#pragma once

#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationPanelView.h"
#include "app/ControlPanel.h"
#include "app/DialogView.h"

#include <functional>
#include <string>
#include <vector>

namespace dax {

// A view without a window: the controls live in a ControlPanel; boxes are recorded and take the
// safe answer (No, Cancel); nothing is drawn. The command line and the tests build on it.
class PanelView : public DialogView {
public:
    ControlPanel& Panel() { return m_panel; }

    void SetControlText(int id, const std::string& text) override {
        m_panel.SetControlText(id, text);
    }
    std::string GetControlText(int id) override { return m_panel.GetControlText(id); }
    void SetCheck(int id, bool checked) override { m_panel.SetCheck(id, checked); }
    bool GetCheck(int id) override { return m_panel.GetCheck(id); }
    void SetComboItems(int id, const std::vector<std::string>& items) override {
        m_panel.SetComboItems(id, items);
    }
    void SetComboSelection(int id, int index) override { m_panel.SetComboSelection(id, index); }
    int GetComboSelection(int id) override { return m_panel.GetComboSelection(id); }
    void EnableControl(int id, bool enabled) override { m_panel.EnableControl(id, enabled); }
    bool IsControlEnabled(int id) override { return m_panel.IsControlEnabled(id); }
    void ShowControl(int id, bool visible) override { m_panel.ShowControl(id, visible); }
    bool IsControlVisible(int id) override { return m_panel.IsControlVisible(id); }
    void SetSpinRange(int id, int lower, int upper) override {
        m_panel.SetSpinRange(id, lower, upper);
    }
    int GetFocusId() override { return m_nFocus; }
    void SetFocusId(int id) override { m_nFocus = id; }

    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override {
        messages.push_back(text);
        switch (type) {
        case MessageBoxType::Ok:
            return MessageBoxResult::Ok;
        case MessageBoxType::YesNo:
            return MessageBoxResult::No;
        case MessageBoxType::RetryCancel:
            return MessageBoxResult::Cancel;
        }
        return MessageBoxResult::Cancel;
    }
    bool OpenFileDialog(const std::string&, const std::string&, const std::string&,
                        std::string&) override {
        return false;
    }
    void SetWaitCursor(bool) override {}
    void PumpMessages() override {}
    void Beep() override { beeps++; }
    void ShowWaitBox(const std::string&) override {}
    void SetWaitBoxMessage(const std::string&) override {}
    void CloseWaitBox() override {}
    void ShowAboutBox(const std::string& version, const std::string&, const std::string&) override {
        aboutBoxes.push_back(version);
    }
    // The calibration dialogs run on in-memory controls: `onRotational` and `onPocket` do what
    // the person at them would; whoever leaves one open has it closed with Exit.
    void RunRotationalDialog(CRotationalDlg& dlg) override {
        ++rotationalRuns;
        RunCalibration(dlg, rotationalPanel, onRotational);
    }
    void RunPocketDialog(CPocketDlg& dlg) override {
        ++pocketRuns;
        RunCalibration(dlg, pocketPanel, onPocket);
    }
    void EndDialog(int result) override { endResult = result; }
    // No window, so no control is under any point; texts measure in a nominal 6 x 13 pixel
    // cell per character; the last popup shown is kept.
    int ControlAtPoint(int, int) override { return IDC_NONE; }
    void MeasureText(const std::string& text, int& width, int& height) override {
        width = int(text.size()) * 6;
        height = 13;
    }
    void ShowHelpPopup(const std::string& text, int left, int top, int width, int height) override {
        helpPopup = {text, left, top, width, height, true};
    }
    void HideHelpPopup() override { helpPopup.shown = false; }

    std::function<void(CRotationalDlg&)> onRotational;
    std::function<void(CPocketDlg&)> onPocket;
    CalibrationPanelView rotationalPanel; // the controls of the last run of each
    CalibrationPanelView pocketPanel;
    int rotationalRuns = 0;
    int pocketRuns = 0;

    std::vector<std::string> messages;
    int beeps = 0;
    std::vector<std::string> aboutBoxes; // the version line of each About box
    int endResult = -1;
    struct HelpPopup {
        std::string text;
        int left = 0, top = 0, width = 0, height = 0;
        bool shown = false;
    } helpPopup;

private:
    template <class Dlg>
    static void RunCalibration(Dlg& dlg, CalibrationPanelView& panel,
                               const std::function<void(Dlg&)>& person) {
        panel = CalibrationPanelView();
        dlg.Attach(panel);
        dlg.OnInitDialog();
        if (person)
            person(dlg);
        if (!panel.ended)
            dlg.OnExit();
    }

    ControlPanel m_panel;
    int m_nFocus = IDC_NONE;
};

} // namespace dax
