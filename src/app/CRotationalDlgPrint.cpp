#include "app/CPrint.h"
#include "app/CRotationalDlg.h"

namespace dax {

bool CRotationalDlg::PrintOffsetMarks() {
    CPrint print(m_device, m_clock);
    return print.PrintPattern(kOffsetMarksPattern);
}

} // namespace dax
