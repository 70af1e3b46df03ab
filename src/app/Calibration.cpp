#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/CPocketDlg.h"
#include "app/CRotationalDlg.h"

namespace dax {

// The calibration dialogs borrow the device for their modal run. The main dialog counts as
// busy meanwhile, so a close request that comes in while a dialog moves a disc waits for it
// instead of deleting the device under it.
void CDaxtoolDlg::OnCalibrateRotator() {
    ClearDisableCheck();
    if (!CanRunCommand())
        return;
    BusyScope busy(*this, false);
    CRotationalDlg dlg(*m_pTransporter, m_ctx.clock, this);
    m_view.RunRotationalDialog(dlg);
}

void CDaxtoolDlg::OnCalibratePocket() {
    ClearDisableCheck();
    if (!CanRunCommand())
        return;
    BusyScope busy(*this, false);
    if (!StepDownTo38400()) {
        UpdateData(false);
        return;
    }
    CPocketDlg dlg(*m_pTransporter);
    m_view.RunPocketDialog(dlg);
}

} // namespace dax
