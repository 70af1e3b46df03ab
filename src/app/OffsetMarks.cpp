#include "app/CPrint.h"
#include "app/CRotationalDlg.h"
#include "app/CalibrationStrings.h"

namespace dax {

bool CRotationalDlg::PrintOffsetMarks(std::string& reason) {
    // A Morrane printer counts only once found on its USB port: nothing prints the marks then.
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
