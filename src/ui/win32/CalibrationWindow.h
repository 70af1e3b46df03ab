#pragma once

#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationView.h"
#include "ui/win32/ControlView.h"
#include "ui/win32/Prompter.h"

#include <functional>
#include <map>
#include <memory>

namespace dax::win32 {

// A calibration dialog's window, made from its template (134 or 132): controls found by their
// ids, boxes through the prompter, the wait cursor, and commands that cannot overlap. A command
// runs device moves and lets the window repaint meanwhile; a click that comes in then is
// dropped, and a close request waits for the command to end. Enter presses nothing (the
// technician types readings); Escape and the close button leave through Exit, so a disc left
// in the printer is taken out.
class CalibrationWindow : public ControlView<CalibrationView> {
public:
    // The window of each dialog, attached to it and initialised. `owner` stands above it; the
    // main window is disabled while it runs.
    static std::unique_ptr<CalibrationWindow> ForRotational(CRotationalDlg& dlg, Prompter& prompter,
                                                            HWND owner);
    static std::unique_ptr<CalibrationWindow> ForPocket(CPocketDlg& dlg, Prompter& prompter,
                                                        HWND owner);
    ~CalibrationWindow() override;
    CalibrationWindow(const CalibrationWindow&) = delete;
    CalibrationWindow& operator=(const CalibrationWindow&) = delete;

    HWND Window() const { return m_controls.Dialog(); }
    bool IsEnded() const { return m_bEnded; }
    bool IsRunningCommand() const { return m_bRunning; }
    // Shows the window and runs its messages until the dialog ends, with `disabled` (the main
    // window) taking no input meanwhile.
    void RunModal(HWND disabled);

    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override;
    void SetWaitCursor(bool wait) override;
    void PumpMessages() override;
    void EndDialog(int result) override;

private:
    CalibrationWindow(int templateId, Prompter& prompter, HWND owner);
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    // Runs a command of the dialog unless one is running already.
    void Run(const std::function<void()>& command);
    void Leave();

    Prompter& m_prompter;
    std::map<int, std::function<void()>> m_commands; // by control id, clicked
    std::function<void()> m_exit;
    bool m_bRunning = false;
    bool m_bClosePending = false;
    bool m_bEnded = false;
};

} // namespace dax::win32
