#pragma once

#include "app/CalibrationView.h"
#include "app/ContextHelp.h"
#include "ui/qt/ControlView.h"
#include "ui/qt/HelpPopup.h"
#include "ui/qt/Prompter.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLayout;
class QPushButton;
class QRadioButton;

namespace dax {

// What both calibration windows share: controls found by their ids, boxes through the
// prompter, the wait cursor, and commands that cannot overlap. A command runs device moves
// and lets the window repaint meanwhile; a click that comes in then is dropped, and a close
// request waits for the command to end.
class CalibrationWindow : public QDialog, public ControlView<CalibrationView> {
public:
    CalibrationWindow(Prompter& prompter, QWidget* parent);
    ~CalibrationWindow() override;

    bool IsRunningCommand() const { return m_bRunning; }

    MessageBoxResult MessageBox(const std::string& text, MessageBoxType type) override;
    void SetWaitCursor(bool wait) override;
    void PumpMessages() override;
    void EndDialog(int result) override;

    // Context help, as in the main window: the sentence of the control under a screen point.
    void ShowContextHelp(int x, int y);
    int ControlAtPoint(int x, int y);
    void MeasureText(const std::string& text, int& width, int& height);
    void ShowHelpPopup(const std::string& text, int left, int top, int width, int height);
    void HideHelpPopup();
    HelpPopup& Popup() { return m_popup; }

    // Enter presses nothing (the technician types readings); Escape and the close button
    // leave through Exit, so a disc left in the printer is taken out.
    void accept() override {}
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Right clicks on the controls, disabled ones included (those would swallow them).
    bool eventFilter(QObject* watched, QEvent* event) override;

    template <class W> W* Register(int id, W* widget) {
        m_controls.Add(id, widget);
        widget->setObjectName(QString("control%1").arg(id));
        widget->setProperty(kControlIdProperty, id);
        return widget;
    }
    // The dialog's sentences; once every control is built.
    void SetHelp(const std::vector<HelpEntry>& table);
    QPushButton* Button(int id, const char* text);
    QRadioButton* Radio(int id, const char* text);
    // The fields and choices over the status and instructions at the left, the commands down
    // the right edge: Test, Save Offset, Restore Default and, at the bottom, Exit.
    void Arrange(QLayout* fields, QLayout* choices);
    // Runs a command of the dialog unless one is running already.
    void Run(const std::function<void()>& command);
    void OnClick(int id, const std::function<void()>& command);
    // The dialog's Exit.
    std::function<void()> m_exit;

private:
    static constexpr char kControlIdProperty[] = "controlId";
    void ContextHelpFor(const QContextMenuEvent& event);

    Prompter& m_prompter;
    HelpPopup m_popup;
    const std::vector<HelpEntry>* m_help = nullptr;
    bool m_bWaitCursor = false;
    bool m_bRunning = false;
    bool m_bClosePending = false;
};

} // namespace dax
