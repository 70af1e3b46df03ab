#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "platform/Format.h"

#include <functional>

namespace dax {

namespace {

constexpr uint32_t kComebackReadTimeoutMs = 2000;
constexpr uint32_t kComebackFirstWaitMs = 3000;
constexpr uint32_t kComebackRetryWaitMs = 1000;
constexpr int kComebackRetries = 20;
constexpr uint32_t kAfterComebackReadTimeoutMs = 60000;
constexpr uint32_t kAfterComebackWaitMs = 500;

std::string CounterText(int value) {
    return value >= 0 ? Format("%d", value) : std::string();
}

} // namespace

void CDaxtoolDlg::FillSerialPage() {
    CTransporter& t = *m_pTransporter;
    DialogView& v = m_view;
    m_bSerialsRead = false;
    m_bPageReadFailed = false;
    if (t.m_bSerialNumbers) {
        m_bSerialsRead = t.GetSerialNumbers(m_strTransporterSn, m_strPrinterSn);
        if (m_bSerialsRead) {
            v.EnableControl(IDC_PRINTER_SN_LABEL, true);
            m_bFocusSerial = m_strTransporterSn == std::string(8, '\xFF');
        } else {
            SetStatus(t.GetErrorText());
            // Firmware that keeps no serial numbers (OTP, low revisions) is no failed read.
            m_bPageReadFailed = !t.m_bOtpFirmware && !t.m_bNoSerialNumbersKept;
        }
        if (t.GetPrinterSerial2(m_strPrinterBSn)) {
            v.ShowControl(IDC_PRINTER_B_SN, true);
            v.ShowControl(IDC_PRINTER_B_SN_LABEL, true);
            v.SetControlText(IDC_PRINTER_SN_LABEL, "Printer A SN:");
        }
        if (!t.m_bPrinterSerialEditable)
            v.EnableControl(IDC_PRINTER_SN, false);
    } else {
        v.EnableControl(IDC_TRANSPORTER_SN, false);
        v.EnableControl(IDC_PRINTER_SN, false);
        v.EnableControl(IDC_UPDATE_SERIAL, false);
    }
    m_strInquiryId = t.m_strTransporterId;

    int beeps = 0;
    m_bParamsRead = t.GetVaultekParams(m_strDisplayName, m_bEnableShutdown, m_bOverrideName,
                                       m_bUseComputerName, beeps);
    m_nBeeps = unsigned(beeps) > 9 ? 0 : beeps;
    v.SetSpinRange(IDC_BEEPS_SPIN, 0, 9);

    // A counter the printer does not keep is empty; one whose read failed says so too.
    auto counter = [&](int which) {
        t.m_strError.clear();
        const int value = t.GetPrinterCounter(0, which);
        if (value < 0 && !t.GetErrorText().empty()) {
            if (!m_bPageReadFailed)
                SetStatus(t.GetErrorText());
            m_bPageReadFailed = true;
        }
        return CounterText(value);
    };
    m_strCountPrint = counter(1);
    m_strCountRibbon = counter(2);
    m_strCountImage = counter(3);
}

bool CDaxtoolDlg::WaitForTransporter() {
    m_pPort->SetReadTimeout(kComebackReadTimeoutMs);
    m_ctx.clock.sleep(kComebackFirstWaitMs);
    if (m_pTransporter->RequestSense(CTransporter::kDefaultTimeout, nullptr, nullptr))
        return true;
    for (int i = 0; i < kComebackRetries; ++i) {
        m_ctx.clock.sleep(kComebackRetryWaitMs);
        if (m_pTransporter->RequestSense(CTransporter::kDefaultTimeout, nullptr, nullptr))
            return true;
    }
    return false;
}

bool CDaxtoolDlg::SaveAndWaitForTransporter() {
    SetStatus(kUpdatingParameters);
    UpdateData(false);
    m_view.PumpMessages();
    m_view.SetWaitCursor(true); // shown again: the store and the restart wait are long
    if (!m_pTransporter->SaveSettings(true)) {
        SetStatus(m_pTransporter->GetErrorText());
        UpdateData(false);
        return false;
    }
    const bool back = WaitForTransporter();
    m_pPort->SetReadTimeout(kAfterComebackReadTimeoutMs);
    m_ctx.clock.sleep(kAfterComebackWaitMs);
    if (!back) {
        // Reading back now would only empty the fields; say what is known instead.
        SetStatus(CTransporter::kNoAnswerAfterRestart);
        UpdateData(false);
    }
    return back;
}

void CDaxtoolDlg::RunParameterUpdate(bool stepDown, const std::function<bool()>& send,
                                     const std::function<void()>& readBack) {
    ClearDisableCheck();
    if (!UpdateData(true) || !CanRunCommand())
        return;
    // The wait cursor stays on until the command ends, whichever way it ends.
    BusyScope busy(*this);
    m_view.PumpMessages();
    CTransporter& t = *m_pTransporter;
    t.RequestSense(CTransporter::kDefaultTimeout, nullptr, nullptr);
    // A failed step-down has put its own reason into the status.
    bool sent = !stepDown || StepDownTo38400();
    if (sent && !(sent = send()))
        SetStatus(t.GetErrorText());
    if (!sent) {
        UpdateData(false);
        return;
    }
    if (!SaveAndWaitForTransporter())
        return;
    // Show what the transporter now holds.
    readBack();
    SetSucceeded(kUpdateSucceeded);
    UpdateData(false);
}

void CDaxtoolDlg::OnUpdateSerial() {
    RunParameterUpdate(
        true,
        [this] {
            if (!m_pTransporter->SetSerialNumbers(m_strTransporterSn, m_strPrinterSn))
                return false;
            m_pTransporter->SetPrinterSerial2(m_strPrinterBSn);
            return true;
        },
        [this] { m_pTransporter->GetSerialNumbers(m_strTransporterSn, m_strPrinterSn); });
}

void CDaxtoolDlg::OnSetParams() {
    RunParameterUpdate(
        false,
        [this] {
            return m_pTransporter->SetVaultekParams(m_strDisplayName, m_bEnableShutdown,
                                                    m_bOverrideName, m_bUseComputerName, m_nBeeps);
        },
        [this] {
            // The beep count keeps the value sent.
            int scratch = 0;
            m_bParamsRead = m_pTransporter->GetVaultekParams(
                m_strDisplayName, m_bEnableShutdown, m_bOverrideName, m_bUseComputerName, scratch);
        });
}

void CDaxtoolDlg::OnCounterToSerial() {
    ClearDisableCheck();
    if (!CanRunCommand())
        return;
    int value = 0;
    const int focus = m_view.GetFocusId();
    if (focus == IDC_PRINTER_SN) {
        value = m_pTransporter->GetPrinterCounter(0, 1);
        if (value >= 0)
            m_strPrinterSn = Format("%d", value);
    } else if (focus == IDC_PRINTER_B_SN) {
        value = m_pTransporter->GetPrinterCounter(1, 1);
        if (value >= 0)
            m_strPrinterBSn = Format("%d", value);
    } else {
        m_view.Beep();
        return;
    }
    if (value == -1)
        m_view.Beep();
    else
        UpdateData(false);
}

} // namespace dax
