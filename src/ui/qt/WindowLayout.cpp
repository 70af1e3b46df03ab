// The main window's controls and their arrangement: identification and status at the top with
// Exit, About and Flash Leds beside them; the firmware, grid and port row; the compatibility
// check box; the calibration buttons; the loader parameters; statistics beside the serial
// numbers; the Test button, the help hint and the Exerciser at the bottom.
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "app/PortList.h"
#include "ui/qt/DaxtoolWindow.h"
#include "ui/qt/SpinButtons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace dax {

namespace {

QLabel* FixedLabel(const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

void DaxtoolWindow::BuildControls() {
    auto button = [this](int id, const char* text) {
        auto* b = Register(id, new QPushButton(text, this));
        // Enter presses nothing in this window.
        b->setAutoDefault(false);
        b->setDefault(false);
        return b;
    };
    auto edit = [this](int id, bool readOnly = false) {
        auto* e = Register(id, new QLineEdit(this));
        e->setReadOnly(readOnly);
        if (readOnly) {
            // Shown, not typed into: the window's own colour behind the text says so.
            QPalette look = e->palette();
            look.setColor(QPalette::Base, look.color(QPalette::Window));
            e->setPalette(look);
        }
        return e;
    };
    auto check = [this](int id, const char* text) {
        return Register(id, new QCheckBox(text, this));
    };
    auto label = [this](int id, const char* text) {
        auto* l = Register(id, new QLabel(text, this));
        l->setTextFormat(Qt::PlainText);
        return l;
    };

    // Identification and status, with the window's own buttons at the right edge.
    auto* ident = new QGridLayout;
    ident->addWidget(FixedLabel("Inquiry ID:", this), 0, 0);
    ident->addWidget(edit(IDC_INQUIRY_ID, true), 0, 1);
    ident->addWidget(FixedLabel("Status:", this), 1, 0);
    auto* status = new QHBoxLayout;
    status->addWidget(edit(IDC_STATUS, true), 1);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName("downloadProgress");
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(120);
    m_progress->hide();
    status->addWidget(m_progress);
    ident->addLayout(status, 1, 1);
    ident->setRowStretch(2, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(button(IDC_EXIT, "E&xit"));
    side->addWidget(button(IDC_ABOUT, "&About"));
    side->addWidget(button(IDC_FLASH_LEDS, "Flash &Leds"));
    auto* head = new QHBoxLayout;
    head->addLayout(ident, 1);
    head->addSpacing(12);
    head->addLayout(side);

    auto* port = Register(IDC_PORT, new QComboBox(this));
    for (const std::string& item : PortList().Texts())
        port->addItem(QString::fromStdString(item));
    port->setCurrentIndex(-1);
    auto* commands = new QHBoxLayout;
    commands->addWidget(button(IDC_UPDATE_FLASH, "Update &Flash Firmware"));
    commands->addWidget(button(IDC_PRINT_GRID, "Print Calibration &Grid"));
    commands->addSpacing(12);
    commands->addWidget(FixedLabel("Port:", this));
    commands->addWidget(port);
    commands->addSpacing(12);
    commands->addWidget(label(IDC_BAUD_TEXT, "Current Baud Rate:  38400"));
    commands->addStretch();

    auto* calibration = new QHBoxLayout;
    calibration->addWidget(button(IDC_CALIBRATE_ROTATOR, "&Calibrate Rotator"));
    calibration->addWidget(button(IDC_CALIBRATE_POCKET, "Calibrate Poc&ket CDs"));
    calibration->addStretch();

    // Loader parameters.
    auto* params = new QGroupBox("Vaultek or Moltrian-III Parameters", this);
    auto* beeps = edit(IDC_BEEPS);
    beeps->setMaximumWidth(40);
    auto* spin = Register(IDC_BEEPS_SPIN, new SpinButtons(beeps, this));
    auto* beepsRow = new QHBoxLayout;
    beepsRow->setSpacing(0);
    beepsRow->addWidget(beeps);
    beepsRow->addWidget(spin);
    beepsRow->addStretch();
    auto* checks = new QHBoxLayout;
    checks->addWidget(check(IDC_OVERRIDE_NAME, "Override Name"));
    checks->addWidget(check(IDC_ENABLE_SHUTDOWN, "Enable Shutdown"));
    checks->addWidget(check(IDC_USE_COMPUTER_NAME, "Use Computer Name"));
    checks->addStretch();
    auto* paramGrid = new QGridLayout(params);
    paramGrid->addWidget(FixedLabel("Display Name: ", this), 0, 0);
    paramGrid->addWidget(edit(IDC_DISPLAY_NAME), 0, 1, 1, 2);
    paramGrid->addLayout(checks, 1, 1, 1, 2);
    paramGrid->addWidget(FixedLabel("# of Beeps on Fault: ", this), 2, 0);
    paramGrid->addLayout(beepsRow, 2, 1);
    paramGrid->addWidget(button(IDC_SET_PARAMS, "Set Params"), 2, 2, Qt::AlignRight);
    paramGrid->setColumnStretch(1, 1);

    // Printer counters beside the serial numbers.
    auto* stats = new QGroupBox("Pyrel Statistics", this);
    auto* statGrid = new QGridLayout(stats);
    statGrid->addWidget(FixedLabel("Print Count:", this), 0, 0);
    statGrid->addWidget(edit(IDC_COUNT_PRINT, true), 0, 1);
    statGrid->addWidget(FixedLabel("Ribbon Count:", this), 1, 0);
    statGrid->addWidget(edit(IDC_COUNT_RIBBON, true), 1, 1);
    statGrid->addWidget(FixedLabel("Image Count:", this), 2, 0);
    statGrid->addWidget(edit(IDC_COUNT_IMAGE, true), 2, 1);
    statGrid->setRowStretch(3, 1);

    auto* serials = new QGridLayout;
    serials->addWidget(FixedLabel("Transporter SN:", this), 0, 0);
    serials->addWidget(edit(IDC_TRANSPORTER_SN), 0, 1);
    serials->addWidget(label(IDC_PRINTER_SN_LABEL, "Printer SN:"), 1, 0);
    serials->addWidget(edit(IDC_PRINTER_SN), 1, 1);
    serials->addWidget(label(IDC_PRINTER_B_SN_LABEL, "Printer B SN:"), 2, 0);
    serials->addWidget(edit(IDC_PRINTER_B_SN), 2, 1);
    serials->addWidget(button(IDC_UPDATE_SERIAL, "&Update Serial #s"), 3, 1);
    serials->setRowStretch(4, 1);
    Control(IDC_PRINTER_B_SN_LABEL)->hide();
    Control(IDC_PRINTER_B_SN)->hide();

    auto* lower = new QHBoxLayout;
    lower->addWidget(stats, 1);
    lower->addSpacing(12);
    lower->addLayout(serials, 1);

    auto* hint = FixedLabel("Place cursor over an item and right-click or press F1 for help", this);
    hint->setAlignment(Qt::AlignCenter);
    auto* footer = new QHBoxLayout;
    footer->addWidget(button(IDC_TEST, "Test"));
    footer->addWidget(hint, 1);
    footer->addWidget(button(IDC_EXERCISER, "&Exerciser"));
    Control(IDC_TEST)->hide();

    auto* layout = new QVBoxLayout(this);
    // The window menu's one item: X11 window managers keep the system menu to themselves.
    auto* menus = new QMenuBar(this);
    QMenu* window = menus->addMenu("&Window");
    QAction* about = window->addAction(QString::fromLatin1(kAboutMenuItem));
    connect(about, &QAction::triggered, this, [this] { m_dlg->OnSysCommand(IDM_ABOUTBOX); });
    layout->setMenuBar(menus);
    layout->addLayout(head);
    layout->addLayout(commands);
    layout->addWidget(
        check(IDC_DISABLE_CHECK, "Disable Update Flash Firmware device compatibility checking"));
    layout->addLayout(calibration);
    layout->addWidget(params);
    layout->addLayout(lower);
    layout->addLayout(footer);
    setMinimumWidth(560);
    // A dialog of fixed size, as its template is: it grows only for the second printer's
    // fields, and offers no maximise button that would do nothing.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
}

} // namespace dax
