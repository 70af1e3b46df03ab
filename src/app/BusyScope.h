#pragma once

#include "app/CDaxtoolDlg.h"

namespace dax {

// Held by a command for as long as it uses the device.
class CDaxtoolDlg::BusyScope {
public:
    explicit BusyScope(CDaxtoolDlg& dlg, bool waitCursor = true)
        : m_dlg(dlg), m_bCursor(waitCursor) {
        m_dlg.m_bBusy = true;
        // Whatever way the command ends, it has failed unless it reaches its success.
        m_dlg.m_outcome = CommandOutcome::Failed;
        m_dlg.m_view.SetBusyLook(true);
        if (m_bCursor)
            m_dlg.m_view.SetWaitCursor(true);
    }
    ~BusyScope() {
        m_dlg.m_bBusy = false;
        m_dlg.m_view.SetBusyLook(false);
        if (m_bCursor)
            m_dlg.m_view.SetWaitCursor(false);
        // The close was asked for while the device was in use; it is safe now.
        if (m_dlg.m_bCloseRequested) {
            m_dlg.m_bCloseRequested = false;
            m_dlg.RunCloseSequence();
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    CDaxtoolDlg& m_dlg;
    bool m_bCursor;
};

} // namespace dax
