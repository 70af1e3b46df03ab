#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/CPrint.h"
#include "app/DialogStrings.h"
#include "patterns/BuiltInPatterns.h"

namespace dax {

void CDaxtoolDlg::OnPrintGrid() {
    ClearDisableCheck();
    if (!CanRunCommand())
        return;
    BusyScope busy(*this);
    PrintDevicePattern(kPatternCalibrationGrid);
}

void CDaxtoolDlg::PrintDevicePattern(int pattern) {
    m_outcome = CommandOutcome::Failed;
    if (!m_pPort) {
        SetStatus(kNoTransporterAvailable);
        UpdateData(false);
        return;
    }
    CPrint print(*m_pTransporter, m_ctx.clock);
    if (!m_pTransporter->LoadPrinter(-1)) {
        SetStatus(m_pTransporter->GetErrorText());
        UpdateData(false);
        return;
    }
    SetStatus(kPrintingPattern);
    UpdateData(false);
    m_view.PumpMessages();
    if (!print.PrintPattern(pattern)) {
        SetStatus(print.GetErrorText());
    } else if (!m_pTransporter->UnloadPrinter()) {
        SetStatus(m_pTransporter->GetErrorText());
    } else {
        SetSucceeded(kPrintingCompleted);
    }
    UpdateData(false);
}

} // namespace dax
