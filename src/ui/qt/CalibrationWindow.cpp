#include "ui/qt/CalibrationWindow.h"

#include "ui/qt/ProgramIcon.h"
#include "ui/qt/QtText.h"
#include "ui/qt/SpinButtons.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace dax {

CalibrationWindow::CalibrationWindow(Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setWindowIcon(ProgramIcon());
}

CalibrationWindow::~CalibrationWindow() {
    if (m_bWaitCursor)
        QApplication::restoreOverrideCursor();
}

QWidget* CalibrationWindow::Control(int id) const {
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
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

void CalibrationWindow::SetControlText(int id, const std::string& text) {
    QWidget* w = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->setText(ToQt(text));
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(ToQt(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(ToQt(text));
}

std::string CalibrationWindow::GetControlText(int id) {
    QWidget* w = Control(id);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        text = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(w))
        text = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        text = button->text();
    return FromQt(text);
}

void CalibrationWindow::SetCheck(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    if (!button)
        return;
    // The checked button of a radio group cannot be unchecked while it is exclusive.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

bool CalibrationWindow::GetCheck(int id) {
    auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button && button->isChecked();
}

void CalibrationWindow::EnableControl(int id, bool enabled) {
    if (QWidget* w = Control(id))
        w->setEnabled(enabled);
}

bool CalibrationWindow::IsControlEnabled(int id) {
    QWidget* w = Control(id);
    return w && w->isEnabledTo(this);
}

void CalibrationWindow::ShowControl(int id, bool visible) {
    if (QWidget* w = Control(id))
        w->setVisible(visible);
}

bool CalibrationWindow::IsControlVisible(int id) {
    QWidget* w = Control(id);
    return w && !w->isHidden();
}

void CalibrationWindow::SetSpinRange(int id, int lower, int upper) {
    if (auto* spin = dynamic_cast<SpinButtons*>(Control(id)))
        spin->SetRange(lower, upper);
}

void CalibrationWindow::SetFocusId(int id) {
    QWidget* w = Control(id);
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();
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
