#include "app/CPrint.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationStrings.h"

namespace dax {

bool CRotationalDlg::PrintOffsetMarks(std::string& reason) {
    // No printer counted (a Morrane printer not found on its USB port): nothing prints them.
    if (m_device.m_nPrinters <= 0) {
        reason = kNoPrinterForMarks;
        return false;
    }
    CPrint print(m_device, m_clock);
    if (print.PrintPattern(kOffsetMarksPattern))
        return true;
    reason = print.GetErrorText();
    return false;
}

} // namespace dax
