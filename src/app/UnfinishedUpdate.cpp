#include "app/CDaxtoolDlg.h"
#include "app/DialogStrings.h"
#include "platform/Format.h"

// A firmware update that did not finish (the transporter may be left in programming mode) is
// remembered by its COM number in the settings, for this run and the next, until that port
// answers again; probes and scans that find nothing say so.

namespace dax {

void CDaxtoolDlg::RememberUnfinishedUpdate(int port) {
    // Written at once: the run may never reach the close sequence.
    if (UnfinishedUpdatePort() != port)
        SaveSetting(kSectionFirmwareUpdate, kValueUnfinishedPort, port,
                    port != 0 ? Format("a later run will not know that the firmware update on "
                                       "\\\\.\\COM%d did not finish, if it does not",
                                       port)
                              : "a later run may warn of a firmware update that did finish");
}

int CDaxtoolDlg::UnfinishedUpdatePort() {
    const int port = m_ctx.settings.GetInt(kSectionFirmwareUpdate, kValueUnfinishedPort, 0);
    return port >= 1 && port <= kMaxPort ? port : 0;
}

void CDaxtoolDlg::UnfinishedUpdateAnswered(int port) {
    // It answers: whatever the update left, it is not stuck.
    if (port == UnfinishedUpdatePort())
        RememberUnfinishedUpdate(0);
}

std::string CDaxtoolDlg::WithUnfinishedUpdate(const std::string& reason, int port) {
    if (port == 0 || port != UnfinishedUpdatePort())
        return reason;
    return Format("%s - the firmware update on \\\\.\\COM%d did not finish: %s", reason.c_str(),
                  port, kMayBeProgramming);
}

void CDaxtoolDlg::ReportUnfinishedUpdate() {
    // The last port's reason would hide why the transporter may not answer anywhere.
    if (const int port = UnfinishedUpdatePort())
        SetStatus(WithUnfinishedUpdate(kNoTransporterFound, port));
}

} // namespace dax
