#include "ui/qt/DaxtoolWindow.h"

#include "app/ControlIds.h"
#include "ui/qt/PocketWindow.h"
#include "ui/qt/ProgramIcon.h"
#include "ui/qt/QtText.h"
#include "ui/qt/RotationalWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QThread>
#include <QWindow>
#include <algorithm>
#include <cstdio>

namespace dax {

namespace {

const char kIdProperty[] = "controlId";
// How long a window manager may take to map the "Scanning..." box.
constexpr int kMapWaitMs = 2000;

bool IsOnScreen(const QWidget& w) {
    return w.windowHandle() && w.windowHandle()->isExposed();
}

} // namespace

DaxtoolWindow::DaxtoolWindow(DialogContext context, Prompter* prompter)
    : ControlView(this), m_prompter(prompter ? *prompter : m_qtPrompter) {
    setWindowIcon(ProgramIcon());
    BuildControls();
    ConnectCommands();
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    m_dlg = std::make_unique<CDaxtoolDlg>(std::move(context), *this);
}

DaxtoolWindow::~DaxtoolWindow() {
    // The device and port go before the widgets they report to.
    m_dlg.reset();
    if (m_bWaitCursor)
        QApplication::restoreOverrideCursor();
}

void DaxtoolWindow::RegisterControl(int id, QWidget* widget) {
    m_controls.Add(id, widget);
    widget->setObjectName(QString("control%1").arg(id));
    widget->setProperty(kIdProperty, id);
    widget->setContextMenuPolicy(Qt::NoContextMenu);
}

void DaxtoolWindow::ConnectCommands() {
    auto onClick = [this](int id, void (CDaxtoolDlg::*handler)()) {
        auto* button = static_cast<QAbstractButton*>(Control(id));
        connect(button, &QAbstractButton::clicked, this,
                [this, handler] { ((*m_dlg).*handler)(); });
    };
    onClick(IDC_EXIT, &CDaxtoolDlg::OnClose);
    onClick(IDC_ABOUT, &CDaxtoolDlg::OnAbout);
    onClick(IDC_FLASH_LEDS, &CDaxtoolDlg::OnFlashLeds);
    onClick(IDC_UPDATE_FLASH, &CDaxtoolDlg::OnUpdateFlash);
    onClick(IDC_UPDATE_SERIAL, &CDaxtoolDlg::OnUpdateSerial);
    onClick(IDC_SET_PARAMS, &CDaxtoolDlg::OnSetParams);
    onClick(IDC_TEST, &CDaxtoolDlg::OnTest);
    onClick(IDC_EXERCISER, &CDaxtoolDlg::OnExerciser);
    onClick(IDC_PRINT_GRID, &CDaxtoolDlg::OnPrintGrid);
    onClick(IDC_CALIBRATE_ROTATOR, &CDaxtoolDlg::OnCalibrateRotator);
    onClick(IDC_CALIBRATE_POCKET, &CDaxtoolDlg::OnCalibratePocket);

    // Only a choice the user makes starts a probe, not the window showing a port.
    auto* port = static_cast<QComboBox*>(Control(IDC_PORT));
    connect(port, &QComboBox::activated, this, [this] { m_dlg->OnPortChange(); });

    auto* counter = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    connect(counter, &QShortcut::activated, this, [this] { m_dlg->OnCounterToSerial(); });
    // Ctrl+Help is taken and does nothing.
    new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Help), this);
    // F1 explains the control under the mouse, not the one with the focus.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] {
        const QPoint p = QCursor::pos();
        m_dlg->OnContextHelp(p.x(), p.y());
    });
}

void DaxtoolWindow::SetComboItems(int id, const std::vector<std::string>& items) {
    auto* combo = qobject_cast<QComboBox*>(Control(id));
    if (!combo)
        return;
    // The selection is the dialog's to set; it comes with the next refresh.
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& item : items)
        combo->addItem(ToQt(item));
    combo->setCurrentIndex(-1);
}

void DaxtoolWindow::SetComboSelection(int id, int index) {
    auto* combo = qobject_cast<QComboBox*>(Control(id));
    if (!combo)
        return;
    // A port without an item shows no selection.
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

int DaxtoolWindow::GetComboSelection(int id) {
    auto* combo = qobject_cast<QComboBox*>(Control(id));
    return combo ? combo->currentIndex() : -1;
}

int DaxtoolWindow::GetFocusId() {
    for (QWidget* w = focusWidget(); w && w != this; w = w->parentWidget()) {
        const QVariant id = w->property(kIdProperty);
        if (id.isValid())
            return id.toInt();
    }
    return IDC_NONE;
}

QWidget* DaxtoolWindow::BoxParent() {
    // Before the window shows (the start-up scan) boxes stand on their own.
    return isVisible() ? this : nullptr;
}

MessageBoxResult DaxtoolWindow::MessageBox(const std::string& text, MessageBoxType type) {
    return m_prompter.MessageBox(BoxParent(), text, type);
}

bool DaxtoolWindow::OpenFileDialog(const std::string& title, const std::string& filterName,
                                   const std::string& pattern, std::string& path) {
    return m_prompter.OpenFile(BoxParent(), title, filterName, pattern, path);
}

void DaxtoolWindow::SetControlText(int id, const std::string& text) {
    if (id != IDC_STATUS) {
        ControlView::SetControlText(id, text);
        return;
    }
    m_strStatus = text;
    const std::string shown =
        m_strSettingNote.empty()
            ? text
            : (text.empty() ? m_strSettingNote : text + " - " + m_strSettingNote);
    ControlView::SetControlText(id, shown);
    // A reason longer than the field shows its start; the whole of it is the tool tip.
    Control(id)->setToolTip(ToQt(shown));
}

std::string DaxtoolWindow::GetControlText(int id) {
    return id == IDC_STATUS ? m_strStatus : ControlView::GetControlText(id);
}

void DaxtoolWindow::SettingNotSaved(const std::string& text) {
    // Also for the log of a session: a window may be closing when it happens.
    std::fprintf(stderr, "daxtool: %s\n", text.c_str());
    m_strSettingNote = text;
    SetControlText(IDC_STATUS, m_strStatus);
}

void DaxtoolWindow::SetWaitCursor(bool wait) {
    // A command starts: the note of the last one has been seen.
    if (wait && !m_strSettingNote.empty()) {
        m_strSettingNote.clear();
        SetControlText(IDC_STATUS, m_strStatus);
    }
    if (wait == m_bWaitCursor)
        return;
    m_bWaitCursor = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void DaxtoolWindow::PumpMessages() {
    QCoreApplication::processEvents();
}

void DaxtoolWindow::SetBusyLook(bool busy) {
    if (busy)
        HoldDisabled(kCommandControls);
    else
        ReleaseHeld();
}

void DaxtoolWindow::ShowProgress(int percent) {
    m_progress->setVisible(percent >= 0);
    m_progress->setValue(std::clamp(percent, 0, 100));
}

void DaxtoolWindow::Beep() {
    QApplication::beep();
}

void DaxtoolWindow::ShowWaitBox(const std::string& message) {
    m_waitBox = std::make_unique<WaitBox>(message);
    m_waitBox->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect box(QPoint(), m_waitBox->size());
        box.moveCenter(screen->availableGeometry().center());
        m_waitBox->move(box.topLeft());
    }
    m_waitBox->show();
    m_waitBox->raise();
    m_waitBox->activateWindow();
    // A window manager maps the box a moment after it is shown; the scan starts once the box
    // is on the screen, else its first ports pass under a blank box.
    QElapsedTimer waited;
    waited.start();
    while (!IsOnScreen(*m_waitBox) && waited.elapsed() < kMapWaitMs) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
}

void DaxtoolWindow::SetWaitBoxMessage(const std::string& message) {
    if (m_waitBox)
        m_waitBox->SetMessage(message);
}

void DaxtoolWindow::CloseWaitBox() {
    m_waitBox.reset();
}

void DaxtoolWindow::ShowAboutBox(const std::string& version, const std::string& legal,
                                 const std::string& date) {
    m_prompter.About(BoxParent(), version, legal, date);
}

void DaxtoolWindow::RunRotationalDialog(CRotationalDlg& dlg) {
    RotationalWindow window(dlg, m_prompter, this);
    window.exec();
}

void DaxtoolWindow::RunPocketDialog(CPocketDlg& dlg) {
    // The pocket dialog has no owner window; it is modal all the same.
    PocketWindow window(dlg, m_prompter, nullptr);
    window.setWindowModality(Qt::ApplicationModal);
    window.exec();
}

void DaxtoolWindow::EndDialog(int result) {
    m_popup.Hide();
    m_waitBox.reset();
    QDialog::done(result);
}

int DaxtoolWindow::ControlAtPoint(int x, int y) {
    const QPoint local = mapFromGlobal(QPoint(x, y));
    if (!rect().contains(local))
        return IDC_NONE;
    for (QWidget* w = childAt(local); w && w != this; w = w->parentWidget()) {
        const QVariant id = w->property(kIdProperty);
        if (id.isValid())
            return w->isEnabled() ? id.toInt() : IDC_NONE; // a disabled control is not found
    }
    return IDC_NONE;
}

void DaxtoolWindow::MeasureText(const std::string& text, int& width, int& height) {
    m_popup.Measure(text, width, height);
}

void DaxtoolWindow::ShowHelpPopup(const std::string& text, int left, int top, int width,
                                  int height) {
    m_popup.ShowAt(text, QRect(left, top, width, height));
}

void DaxtoolWindow::HideHelpPopup() {
    m_popup.Hide();
}

void DaxtoolWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept(); // no default button, no cancel
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void DaxtoolWindow::closeEvent(QCloseEvent* event) {
    // The window goes only through EndDialog; while an operation runs the dialog keeps the
    // request until the operation ends.
    event->ignore();
    if (!m_dlg->IsEnded())
        m_dlg->OnClose();
}

void DaxtoolWindow::ContextHelpFor(const QContextMenuEvent& event) {
    // The context-menu key carries no mouse point.
    const QPoint p =
        event.reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event.globalPos();
    m_dlg->OnContextHelp(p.x(), p.y());
}

void DaxtoolWindow::contextMenuEvent(QContextMenuEvent* event) {
    ContextHelpFor(*event);
    event->accept();
}

bool DaxtoolWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu && watched != this) {
        ContextHelpFor(*static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace dax
