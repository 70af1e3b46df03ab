#include "app/CRotationalDlg.h"

#include "app/CPrint.h"
#include "app/CalibrationStrings.h"
#include "app/ControlIds.h"
#include "app/IntegerField.h"
#include "platform/Format.h"

namespace dax {

CRotationalDlg::CRotationalDlg(CTransporter& device, Clock& clock, void* parent)
    : m_device(device), m_clock(clock), m_pParent(parent) {}

void CRotationalDlg::OnInitDialog() {
    CalibrationView& v = *m_pView;
    // Without a rotator the printer has no rotational offset, only margins.
    if (m_device.m_bWritableSettings && !m_device.m_bRotator) {
        v.EnableControl(IDC_LEFT_OFFSET, false);
        v.EnableControl(IDC_RIGHT_OFFSET, false);
    }
    if (!m_device.m_bMarginsEditable) {
        v.EnableControl(IDC_LEFT_MARGIN, false);
        v.EnableControl(IDC_TOP_MARGIN, false);
    }
    const bool twoPrinters = m_device.m_nPrinters >= 2;
    v.ShowControl(IDC_PRINTER_A, twoPrinters);
    v.ShowControl(IDC_PRINTER_B, twoPrinters);
    m_strStatus = twoPrinters ? kRotationalOpenTwoPrinters : kRotationalOpen;
    m_nPrinter = -1;
    ResetFields();
    UpdateData(false);
}

void CRotationalDlg::ResetFields() {
    m_nLeftOffset = kCentreOffset;
    m_nRightOffset = kCentreOffset;
    m_nLeftMargin = kCentreLeftMargin;
    m_nTopMargin = kCentreTopMargin;
}

bool CRotationalDlg::UpdateData(bool save) {
    CalibrationView& v = *m_pView;
    if (!save) {
        v.SetControlText(IDC_CAL_STATUS, m_strStatus);
        v.SetCheck(IDC_PRINTER_A, m_nPrinter == 0);
        v.SetCheck(IDC_PRINTER_B, m_nPrinter == 1);
        v.SetControlText(IDC_LEFT_MARGIN, Format("%d", m_nLeftMargin));
        v.SetControlText(IDC_LEFT_OFFSET, Format("%d", m_nLeftOffset));
        v.SetControlText(IDC_RIGHT_OFFSET, Format("%d", m_nRightOffset));
        v.SetControlText(IDC_TOP_MARGIN, Format("%d", m_nTopMargin));
        return true;
    }
    m_nPrinter = v.GetCheck(IDC_PRINTER_A) ? 0 : v.GetCheck(IDC_PRINTER_B) ? 1 : -1;
    // In exchange order; the first field out of its range stops with the toolkit's message.
    struct Field {
        int id;
        int upper;
        int& value;
    };
    const Field fields[] = {{IDC_LEFT_MARGIN, kMaxLeftMargin, m_nLeftMargin},
                            {IDC_LEFT_OFFSET, kMaxOffset, m_nLeftOffset},
                            {IDC_RIGHT_OFFSET, kMaxOffset, m_nRightOffset},
                            {IDC_TOP_MARGIN, kMaxTopMargin, m_nTopMargin}};
    for (const Field& f : fields) {
        const std::string message = ReadIntegerField(v.GetControlText(f.id), 0, f.upper, f.value);
        if (!message.empty()) {
            v.MessageBox(message, MessageBoxType::Ok);
            v.SetFocusId(f.id);
            return false;
        }
    }
    return true;
}

void CRotationalDlg::ShowStatus(const std::string& text) {
    m_strStatus = text;
    m_pView->SetControlText(IDC_CAL_STATUS, m_strStatus);
    m_pView->PumpMessages();
}

void CRotationalDlg::OnTest() {
    if (!UpdateData(true))
        return;
    if (m_device.m_nPrinters > 1) {
        if (m_nPrinter < 0) {
            m_pView->MessageBox(kPrinterNotSelected, MessageBoxType::Ok);
            return;
        }
        m_device.SelectPrinter(m_nPrinter);
    }
    WaitCursorScope wait(*m_pView);
    m_round = Round();
    m_round.ran = true;
    m_round.printer = m_device.m_nPrinters > 1 ? m_nPrinter : -1;

    // The marks' print data before anything is sent or moved: a Morrane printer's alignment
    // file that cannot be read leaves the values and the disc as they were.
    CPrint print(m_device, m_clock);
    if (m_device.m_nPrinters > 0 && !print.Prepare(kOffsetMarksPattern)) {
        m_strStatus = print.GetErrorText();
        UpdateData(false);
        return;
    }

    if (m_bRestorePending)
        m_nLeftOffset = m_nRightOffset = kDefaultOffsetRequest;
    const int offset = (m_nLeftOffset + m_nRightOffset) / 2;
    // The values go out before the disc moves; a failed load or print has changed them anyway,
    // and the status says so. A value the device refused stops the Test: marks printed with
    // another value would mislead.
    bool taken = true;
    if (m_device.m_bRotator)
        taken = Send(&CTransporter::SetRotationalOffset, offset, m_round.offset);
    if (taken && (m_device.m_bWritableSettings || m_device.m_bStandAlonePrinter))
        taken = Send(&CTransporter::SetLeftMargin, m_nLeftMargin, m_round.leftMargin) &&
                Send(&CTransporter::SetTopMargin, m_nTopMargin, m_round.topMargin);
    if (!m_bRestorePending)
        m_nLeftOffset = m_nRightOffset = offset;
    m_bRestorePending = false;
    if (!taken) {
        m_strStatus = m_device.GetErrorText();
        ResetFields();
        UpdateData(false);
        return;
    }
    m_strStatus = kLoadingPrinter;
    UpdateData(false);
    m_pView->PumpMessages();

    // A disc left in the printer by the last Test is re-seated instead of fetching another.
    m_round.reloaded = m_bDiscLoaded;
    const bool loaded = m_bDiscLoaded ? m_device.ReloadPrinter(kCalibrationBin)
                                      : m_device.LoadPrinter(kCalibrationBin);
    if (!loaded) {
        m_bDiscLoaded = false;
        m_strStatus = m_device.GetErrorText() + kCalibrationFailedSuffix;
    } else {
        m_bDiscLoaded = true;
        m_round.loaded = true;
        ShowStatus(kPrintingOffsetMarks);
        // The technician needs to know why before re-testing; no printer counted (a Morrane
        // printer not found on its USB port) means nothing prints them.
        const bool printed = m_device.m_nPrinters > 0 && print.PrintPrepared();
        if (!printed) {
            m_strStatus += "\n";
            m_strStatus += m_device.m_nPrinters > 0 ? print.GetErrorText() : kNoPrinterForMarks;
            m_strStatus += kCalibrationFailedSuffix;
        } else {
            m_round.printed = true;
            m_strStatus = kEnterNewOffsets;
        }
    }
    ResetFields();
    UpdateData(false);
}

bool CRotationalDlg::Send(bool (CTransporter::*set)(int), int value, SentSetting& record) {
    record.sent = value;
    record.accepted = (m_device.*set)(value);
    return record.accepted;
}

void CRotationalDlg::OnRestoreDefault() {
    m_bRestorePending = true;
    OnTest();
    // A Test that stopped before sending (a field out of range, no printer chosen) must not
    // leave the default request behind for the next plain Test.
    m_bRestorePending = false;
}

void CRotationalDlg::OnSaveOffset() {
    WaitCursorScope wait(*m_pView);
    m_round.saved = m_device.SaveSettings(true) ? 1 : 0;
    // The stand-alone printer hands the disc back when it restarts.
    if (m_device.m_bStandAlonePrinter)
        m_bDiscLoaded = false;
    m_device.SetMediaSize(0);
}

void CRotationalDlg::OnPrinterA() {
    if (m_bDiscLoaded && m_nPrinter == 1)
        Unload();
}

void CRotationalDlg::OnPrinterB() {
    if (m_bDiscLoaded && m_nPrinter == 0)
        Unload();
}

void CRotationalDlg::Unload() {
    WaitCursorScope wait(*m_pView);
    m_device.UnloadPrinter();
    m_bDiscLoaded = false;
}

void CRotationalDlg::OnExit() {
    if (m_bDiscLoaded)
        Unload();
    m_pView->EndDialog(IDOK);
}

} // namespace dax
