#pragma once

#include <cstdio>
#include <string>

#include "app/ControlPanel.h"
#include "app/DialogView.h"

namespace dax {

// The dialog's view on a terminal: the controls live in memory, boxes go to stderr, questions
// take the safe answer, and on a terminal the progress of the scan and of long operations shows
// on one line that is rewritten.
class CliView : public DialogView {
public:
    explicit CliView(std::FILE* err = stderr);
    ~CliView() override;

    ControlPanel& Panel() { return m_panel; }

    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) override { return m_panel.GetControlText(id); }
    void SetCheck(int id, bool checked) override { m_panel.SetCheck(id, checked); }
    bool GetCheck(int id) override { return m_panel.GetCheck(id); }
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

    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override;
    bool OpenFileDialog(const std::string& title, const std::string& filterName,
                        const std::string& pattern, std::string& path) override;
    void SetWaitCursor(bool) override {}
    void PumpMessages() override {}
    void Beep() override;
    void ShowWaitBox(const std::string& message) override { Progress(message); }
    void SetWaitBoxMessage(const std::string& message) override { Progress(message); }
    void CloseWaitBox() override { ClearProgress(); }
    void ShowAboutBox(const std::string& version, const std::string& legal,
                      const std::string& date) override;
    void EndDialog(int) override {}

    // Clears the progress line before the report is printed.
    void ClearProgress();

private:
    void Progress(const std::string& text);

    ControlPanel m_panel;
    std::FILE* m_err;
    bool m_bTerminal;
    bool m_bProgressShown = false;
    int m_nFocus = IDC_NONE;
};

} // namespace dax
