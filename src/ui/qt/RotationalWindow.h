#pragma once

#include "app/CRotationalDlg.h"
#include "ui/qt/CalibrationWindow.h"

namespace dax {

// The "Rotational Calibration" window over its dialog logic.
class RotationalWindow : public CalibrationWindow {
public:
    RotationalWindow(CRotationalDlg& dlg, Prompter& prompter, QWidget* parent);
    CRotationalDlg& Dialog() { return m_dlg; }

private:
    CRotationalDlg& m_dlg;
};

} // namespace dax
