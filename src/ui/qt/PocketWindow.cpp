// The CD Size group and the disc picture at the top, the angle with its arrows, the status
// and instructions, and the commands down the right edge.
#include "ui/qt/PocketWindow.h"

#include "app/CalibrationHelp.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "ui/qt/PocketDiscPicture.h"
#include "ui/qt/SpinButtons.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dax {

PocketWindow::PocketWindow(CPocketDlg& dlg, Prompter& prompter, QWidget* parent)
    : CalibrationWindow(prompter, parent), m_dlg(dlg) {
    setWindowTitle(kPocketTitle);

    auto* sizes = new QGroupBox(kSizeGroup, this);
    auto* sizeRow = new QVBoxLayout(sizes);
    const char* names[CPocketDlg::kSizes] = {"58 mm", "61 mm", "63 mm"};
    for (int i = 0; i < CPocketDlg::kSizes; ++i) {
        auto* radio = new QRadioButton(names[i], sizes);
        Register(IDC_SIZE_58 + i, radio);
        sizeRow->addWidget(radio);
    }
    auto* picture = new PocketDiscPicture(this);
    picture->setObjectName(QString("bitmap%1").arg(IDB_POCKET_DISC));
    auto* top = new QHBoxLayout;
    top->addWidget(sizes);
    top->addSpacing(12);
    top->addWidget(picture, 0, Qt::AlignVCenter);
    top->addStretch();

    auto* angle = Register(IDC_ANGLE, new QLineEdit(this));
    angle->setMaximumWidth(48);
    auto* spin = Register(IDC_ANGLE_SPIN, new SpinButtons(angle, this));
    auto* angleLabel = new QLabel(kAngleLabel, this);
    angleLabel->setTextFormat(Qt::PlainText);
    auto* angleRow = new QHBoxLayout;
    angleRow->setSpacing(0);
    angleRow->addWidget(angleLabel);
    angleRow->addWidget(angle);
    angleRow->addWidget(spin);
    angleRow->addStretch();

    Arrange(top, angleRow);

    m_exit = [this] { m_dlg.OnExit(); };
    for (int i = 0; i < CPocketDlg::kSizes; ++i)
        OnClick(IDC_SIZE_58 + i, [this, i] { m_dlg.OnSize(i); });
    OnClick(IDC_CAL_TEST, [this] { m_dlg.OnTest(); });
    OnClick(IDC_SAVE_OFFSET, [this] { m_dlg.OnSaveOffset(); });
    OnClick(IDC_RESTORE_DEFAULT, [this] { m_dlg.OnRestoreDefault(); });
    OnClick(IDC_CAL_EXIT, m_exit);

    SetHelp(PocketHelpTable());
    m_dlg.Attach(*this);
    m_dlg.OnInitDialog();
}

} // namespace dax
