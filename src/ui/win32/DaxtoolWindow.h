#pragma once

#include "app/CDaxtoolDlg.h"
#include "app/DialogView.h"
#include "platform/Idle.h"
#include "ui/win32/CalibrationWindow.h"
#include "ui/win32/ControlView.h"
#include "ui/win32/HelpPopup.h"
#include "ui/win32/Prompter.h"
#include "ui/win32/WaitBox.h"

#include <functional>
#include <memory>
#include <string>

namespace dax::win32 {

// The main window: dialog template 102, its controls addressed by their ids, and every click,
// key and close request handed to CDaxtoolDlg. It holds no logic of its own.
class DaxtoolWindow : public ControlView<DialogView> {
public:
    // Boxes go through `prompter` (the system's boxes when none is given). The window is made
    // hidden; the start-up scan runs before it shows.
    explicit DaxtoolWindow(DialogContext context, Prompter* prompter = nullptr);
    ~DaxtoolWindow() override;
    DaxtoolWindow(const DaxtoolWindow&) = delete;
    DaxtoolWindow& operator=(const DaxtoolWindow&) = delete;

    HWND Window() const { return m_controls.Dialog(); }
    CDaxtoolDlg& Dialog() { return *m_dlg; }
    HelpPopup& Popup() { return m_popup; }
    // The "Scanning..." box while it is open.
    WaitBox* GetWaitBox() const { return m_waitBox.get(); }
    void Show();

    // What happens once a calibration window is up, before its modal run (which it skips when
    // the dialog has ended): the tests act there as the technician would.
    std::function<void(CalibrationWindow&)> onCalibrationShown;

    // DialogView, beyond the controls of ControlView
    void SetComboItems(int id, const std::vector<std::string>& items) override;
    void SetComboSelection(int id, int index) override;
    int GetComboSelection(int id) override;
    int GetFocusId() override;
    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override;
    bool OpenFileDialog(const std::string& title, const std::string& filterName,
                        const std::string& pattern, std::string& path) override;
    void SetWaitCursor(bool wait) override;
    void PumpMessages() override;
    void SetBusyLook(bool busy) override;
    void ShowProgress(int percent) override;
    void Beep() override;
    void ShowWaitBox(const std::string& message) override;
    void SetWaitBoxMessage(const std::string& message) override;
    void CloseWaitBox() override;
    void ShowAboutBox(const std::string& version, const std::string& legal,
                      const std::string& date) override;
    void RunRotationalDialog(CRotationalDlg& dlg) override;
    void RunPocketDialog(CPocketDlg& dlg) override;
    void EndDialog(int result) override;
    int ControlAtPoint(int x, int y) override;
    void MeasureText(const std::string& text, int& width, int& height) override;
    void ShowHelpPopup(const std::string& text, int left, int top, int width, int height) override;
    void HideHelpPopup() override;

private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCommand(int id, int code);
    // Keys and clicks the window takes before the dialog manager: right clicks and the help
    // keys on any control (an edit would open its own menu), and the accelerators.
    bool Filter(MSG& msg);
    HWND BoxOwner() const;
    void RunCalibration(CalibrationWindow& window);

    SystemPrompter m_systemPrompter;
    Prompter& m_prompter;
    HelpPopup m_popup;
    HACCEL m_hAccel = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hSmallIcon = nullptr;
    std::unique_ptr<WaitBox> m_waitBox;
    std::unique_ptr<CDaxtoolDlg> m_dlg;
    // Every wait of an operation lets the window (and a calibration window over it) repaint
    // and take input.
    IdleHandlerScope m_idle{[this] { PumpMessages(); }};
};

} // namespace dax::win32
