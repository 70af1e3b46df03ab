// Offsets at the left under their label, margins beside them, the printer choice below, the
// status and instructions across the window and the commands down the right edge.
#include "ui/qt/RotationalWindow.h"

#include "app/CalibrationHelp.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dax {

namespace {

QLabel* Label(const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

RotationalWindow::RotationalWindow(CRotationalDlg& dlg, Prompter& prompter, QWidget* parent)
    : CalibrationWindow(prompter, parent), m_dlg(dlg) {
    setWindowTitle(kRotationalTitle);
    auto edit = [this](int id) {
        auto* e = Register(id, new QLineEdit(this));
        e->setMaximumWidth(48);
        return e;
    };

    auto* fields = new QGridLayout;
    auto* offsetsLabel = Label(kOffsetsLabel, this);
    offsetsLabel->setWordWrap(true);
    fields->addWidget(offsetsLabel, 1, 0);
    fields->addWidget(Label("Left", this), 0, 1, Qt::AlignHCenter);
    fields->addWidget(Label("Right", this), 0, 2, Qt::AlignHCenter);
    fields->addWidget(edit(IDC_LEFT_OFFSET), 1, 1);
    fields->addWidget(edit(IDC_RIGHT_OFFSET), 1, 2);
    fields->addWidget(Label("Left Margin", this), 0, 3, Qt::AlignHCenter);
    fields->addWidget(Label("Top Margin", this), 0, 4, Qt::AlignHCenter);
    fields->addWidget(edit(IDC_LEFT_MARGIN), 1, 3);
    fields->addWidget(edit(IDC_TOP_MARGIN), 1, 4);
    fields->setColumnStretch(0, 1);

    auto* printers = new QHBoxLayout;
    printers->addWidget(Radio(IDC_PRINTER_A, "Printer A"));
    printers->addWidget(Radio(IDC_PRINTER_B, "Printer B"));
    printers->addStretch();
    Control(IDC_PRINTER_A)->hide();
    Control(IDC_PRINTER_B)->hide();

    Arrange(fields, printers);

    m_exit = [this] { m_dlg.OnExit(); };
    OnClick(IDC_CAL_TEST, [this] { m_dlg.OnTest(); });
    OnClick(IDC_SAVE_OFFSET, [this] { m_dlg.OnSaveOffset(); });
    OnClick(IDC_RESTORE_DEFAULT, [this] { m_dlg.OnRestoreDefault(); });
    OnClick(IDC_PRINTER_A, [this] { m_dlg.OnPrinterA(); });
    OnClick(IDC_PRINTER_B, [this] { m_dlg.OnPrinterB(); });
    OnClick(IDC_CAL_EXIT, m_exit);

    SetHelp(RotationalHelpTable());
    m_dlg.Attach(*this);
    m_dlg.OnInitDialog();
}

} // namespace dax
