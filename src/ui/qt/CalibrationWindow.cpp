#include "ui/qt/CalibrationWindow.h"

#include "app/ControlIds.h"
#include "ui/qt/ProgramIcon.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
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
    command();
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

} // namespace dax
