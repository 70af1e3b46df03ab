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
    // The print data first: what cannot be printed leaves the disc in its bin.
    CPrint print(*m_pTransporter, m_ctx.clock);
    if (!print.Prepare(pattern)) {
        SetStatus(print.GetErrorText());
        UpdateData(false);
        return;
    }
    if (!m_pTransporter->LoadPrinter(-1)) {
        SetStatus(m_pTransporter->GetErrorText());
        UpdateData(false);
        return;
    }
    SetStatus(kPrintingPattern);
    UpdateData(false);
    m_view.PumpMessages();
    if (!print.PrintPrepared()) {
        SetStatus(print.GetErrorText());
    } else if (!m_pTransporter->UnloadPrinter()) {
        SetStatus(m_pTransporter->GetErrorText());
    } else {
        SetSucceeded(kPrintingCompleted);
    }
    UpdateData(false);
}

} // namespace dax
