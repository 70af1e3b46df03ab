#pragma once

#include "app/CPocketDlg.h"
#include "ui/qt/CalibrationWindow.h"

namespace dax {

// The "Pocket CD Calibration" window over its dialog logic.
class PocketWindow : public CalibrationWindow {
public:
    PocketWindow(CPocketDlg& dlg, Prompter& prompter, QWidget* parent);
    CPocketDlg& Dialog() { return m_dlg; }

private:
    CPocketDlg& m_dlg;
};

} // namespace dax
