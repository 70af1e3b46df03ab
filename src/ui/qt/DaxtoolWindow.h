#pragma once

#include "app/CDaxtoolDlg.h"
#include "app/DialogView.h"
#include "platform/Idle.h"
#include "ui/qt/ControlView.h"
#include "ui/qt/HelpPopup.h"
#include "ui/qt/Prompter.h"
#include "ui/qt/WaitBox.h"

#include <QDialog>
#include <QProgressBar>
#include <memory>
#include <string>

namespace dax {

// The main window: the dialog's controls as widgets, addressed by their ids, and every click,
// key and close request handed to CDaxtoolDlg. It holds no logic of its own.
class DaxtoolWindow : public QDialog, public ControlView<DialogView> {
public:
    // Boxes go through `prompter` (the real Qt boxes when none is given).
    explicit DaxtoolWindow(DialogContext context, Prompter* prompter = nullptr);
    ~DaxtoolWindow() override;

    CDaxtoolDlg& Dialog() { return *m_dlg; }
    HelpPopup& Popup() { return m_popup; }
    // The "Scanning..." box while it is open.
    WaitBox* GetWaitBox() const { return m_waitBox.get(); }

    // Enter and Escape: the window closes only by Exit or the close sequence.
    void accept() override {}
    void reject() override {}

    // DialogView, beyond the controls of ControlView
    // The status shows a setting that could not be kept after the command's own text, until the
    // next command starts.
    void SetControlText(int id, const std::string& text) override;
    std::string GetControlText(int id) override;
    void SettingNotSaved(const std::string& text) override;
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
    // The firmware download's bar beside the status.
    QProgressBar* Progress() const { return m_progress; }
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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Right clicks on the controls, disabled ones included (those would swallow them).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildControls();
    void ConnectCommands();
    // Gives the widget its id; it is found by it and defers right clicks to the window.
    template <class W> W* Register(int id, W* widget) {
        RegisterControl(id, widget);
        return widget;
    }
    void RegisterControl(int id, QWidget* widget);
    QWidget* BoxParent();
    void ContextHelpFor(const QContextMenuEvent& event);

    QProgressBar* m_progress = nullptr;
    QtPrompter m_qtPrompter;
    Prompter& m_prompter;
    HelpPopup m_popup;
    std::unique_ptr<WaitBox> m_waitBox;
    bool m_bWaitCursor = false;
    std::string m_strStatus;      // the dialog's status, without the note
    std::string m_strSettingNote; // a setting that could not be kept
    std::unique_ptr<CDaxtoolDlg> m_dlg;
    // The window answers during every wait of an operation, not only at its progress points.
    IdleHandlerScope m_idle{[this] { PumpMessages(); }};
};

} // namespace dax
