#include "app/CRotationalDlg.h"

namespace dax {

// Waits for the print job class.
bool CRotationalDlg::PrintOffsetMarks() {
    return false;
}

} // namespace dax
