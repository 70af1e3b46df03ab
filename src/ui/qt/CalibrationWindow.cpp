#include "ui/qt/CalibrationWindow.h"

#include "app/ControlIds.h"
#include "ui/qt/ProgramIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace dax {

CalibrationWindow::CalibrationWindow(Prompter& prompter, QWidget* parent)
    : QDialog(parent), ControlView(this), m_prompter(prompter) {
    setWindowIcon(ProgramIcon());
}

CalibrationWindow::~CalibrationWindow() {
    if (m_bWaitCursor)
        QApplication::restoreOverrideCursor();
}

QPushButton* CalibrationWindow::Button(int id, const char* text) {
    auto* b = Register(id, new QPushButton(text, this));
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QRadioButton* CalibrationWindow::Radio(int id, const char* text) {
    return Register(id, new QRadioButton(text, this));
}

void CalibrationWindow::Arrange(QLayout* fields, QLayout* choices) {
    auto* status = Register(IDC_CAL_STATUS, new QLabel(this));
    status->setTextFormat(Qt::PlainText);
    status->setWordWrap(true);
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status->setFrameShape(QFrame::StyledPanel);
    status->setMinimumSize(380, 96);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(choices);
    left->addWidget(status, 1);

    auto* commands = new QVBoxLayout;
    commands->addWidget(Button(IDC_CAL_TEST, "&Test"));
    commands->addWidget(Button(IDC_SAVE_OFFSET, "&Save Offset"));
    commands->addWidget(Button(IDC_RESTORE_DEFAULT, "Restore Default"));
    commands->addStretch();
    commands->addWidget(Button(IDC_CAL_EXIT, "E&xit"));

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addSpacing(8);
    layout->addLayout(commands);
}

void CalibrationWindow::Run(const std::function<void()>& command) {
    if (m_bRunning)
        return;
    m_bRunning = true;
    // Exit stays: it waits for the command to end.
    HoldDisabled(std::initializer_list<int>{IDC_CAL_TEST, IDC_SAVE_OFFSET, IDC_RESTORE_DEFAULT,
                                            IDC_PRINTER_A, IDC_PRINTER_B, IDC_SIZE_58, IDC_SIZE_61,
                                            IDC_SIZE_63});
    command();
    ReleaseHeld();
    m_bRunning = false;
    if (m_bClosePending) {
        m_bClosePending = false;
        Run(m_exit);
    }
}

void CalibrationWindow::OnClick(int id, const std::function<void()>& command) {
    auto* button = static_cast<QAbstractButton*>(Control(id));
    connect(button, &QAbstractButton::clicked, this, [this, command] { Run(command); });
}

MessageBoxResult CalibrationWindow::MessageBox(const std::string& text, MessageBoxType type) {
    return m_prompter.MessageBox(this, text, type);
}

void CalibrationWindow::SetWaitCursor(bool wait) {
    if (wait == m_bWaitCursor)
        return;
    m_bWaitCursor = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void CalibrationWindow::PumpMessages() {
    QCoreApplication::processEvents();
}

void CalibrationWindow::EndDialog(int result) {
    m_popup.Hide();
    QDialog::done(result);
}

void CalibrationWindow::reject() {
    if (m_bRunning)
        m_bClosePending = true;
    else
        Run(m_exit);
}

void CalibrationWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event); // Escape comes back as reject()
    }
}

void CalibrationWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}

void CalibrationWindow::SetHelp(const std::vector<HelpEntry>& table) {
    m_help = &table;
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setContextMenuPolicy(Qt::NoContextMenu);
        child->installEventFilter(this);
    }
    // F1 explains the control under the mouse, not the one with the focus.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        const QPoint p = QCursor::pos();
        ShowContextHelp(p.x(), p.y());
    });
}

void CalibrationWindow::ShowContextHelp(int x, int y) {
    if (m_help)
        ShowHelpFrom(*this, *m_help, x, y);
}

int CalibrationWindow::ControlAtPoint(int x, int y) {
    const QPoint local = mapFromGlobal(QPoint(x, y));
    if (!rect().contains(local))
        return IDC_NONE;
    for (QWidget* w = childAt(local); w && w != this; w = w->parentWidget()) {
        const QVariant id = w->property(kControlIdProperty);
        if (id.isValid())
            return w->isEnabled() ? id.toInt() : IDC_NONE; // a disabled control is not found
    }
    return IDC_NONE;
}

void CalibrationWindow::MeasureText(const std::string& text, int& width, int& height) {
    m_popup.Measure(text, width, height);
}

void CalibrationWindow::ShowHelpPopup(const std::string& text, int left, int top, int width,
                                      int height) {
    m_popup.ShowAt(text, QRect(left, top, width, height));
}

void CalibrationWindow::HideHelpPopup() {
    m_popup.Hide();
}

void CalibrationWindow::ContextHelpFor(const QContextMenuEvent& event) {
    // The context-menu key carries no mouse point.
    const QPoint p =
        event.reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event.globalPos();
    ShowContextHelp(p.x(), p.y());
}

void CalibrationWindow::contextMenuEvent(QContextMenuEvent* event) {
    ContextHelpFor(*event);
    event->accept();
}

bool CalibrationWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu && watched != this) {
        ContextHelpFor(*static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dax
