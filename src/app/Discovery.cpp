#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "devices/Answers.h"
#include "devices/Commands.h"
#include "devices/RecogniseTransporter.h"
#include "platform/Format.h"

#include <algorithm>

namespace dax {

namespace {

constexpr int kRates[] = {9600, 38400, 115200};
constexpr uint32_t kInquiryBufferSize = CDaxtoolDlg::kInquiryAnswerSize;
constexpr uint32_t kMaxIdentification = kInquiryBufferSize - kInquiryHeadLength;
constexpr uint32_t kProbeReadTimeoutMs = 1000;
constexpr int kDefaultRate = 9600; // "COM Params"/"Baud" when absent or not a transporter rate

} // namespace

bool CDaxtoolDlg::ScanPort(bool withWaitBox) {
    DropDevice();
    m_bSerialsRead = false;
    m_bParamsRead = false;
    m_strPortPath = Format("\\\\.\\COM%d", m_nPort);
    if (m_nBaud == kNoRate) {
        m_nBaud = m_ctx.settings.GetInt(kSectionComParams, kValueBaud, kDefaultRate);
        if (!IsTransporterRate(m_nBaud))
            m_nBaud = kDefaultRate;
    }

    m_pPort = std::make_unique<CTransporterPort>(m_ctx.serialDevices.create(), m_ctx.clock,
                                                 m_strPortPath, uint32_t(m_nBaud), m_ctx.trace);
    if (!m_pPort->IsOpen() && m_pPort->GetErrorCode() == kSerialSetStateFailed) {
        // The node opened; it is the line settings, the rate above all, that were refused.
        m_pPort.reset();
        const std::string why = Format("Unable to open %s at %d Baud: the port refused the rate",
                                       m_strPortPath.c_str(), m_nBaud);
        m_strProbeOutcome = why;
        return FailProbe(why);
    }
    if (!m_pPort->IsOpen()) {
        // The system's reason (no such node, busy, permission, ...) follows the port's name.
        const std::string why = m_pPort->GetOpenFailureText();
        m_pPort.reset();
        m_strProbeOutcome = why.empty() ? m_strPortPath + ": it cannot be opened" : why;
        return FailProbe("Unable to open " + (why.empty() ? m_strPortPath : why));
    }
    m_pPort->SetReadTimeout(kProbeReadTimeoutMs);

    bool tried[3] = {};
    for (int i = 0; i < 3; ++i)
        tried[i] = kRates[i] == m_nBaud;
    // For the summary of a scan that finds nothing: the rates tried here, and whether anything
    // answered at all.
    std::string rates = std::to_string(m_nBaud);
    bool answered = false;

    for (;;) {
        const std::string progress = Format("Looking for a transporter on %s at %d baud",
                                            m_strPortPath.c_str() + 4, m_nBaud);
        if (withWaitBox) {
            m_view.SetWaitBoxMessage(progress);
        } else {
            SetStatus(progress);
            UpdateData(false);
            m_view.PumpMessages();
        }

        uint8_t answer[kInquiryBufferSize] = {};
        uint32_t n = 0;
        if (ReadInquiry(answer, n, &answered)) {
            m_pTransporter = RecogniseTransporter(answer, n, m_pPort.get(), m_ctx.clock, *this,
                                                  {m_ctx.printerDevices, m_ctx.dataDirectories});
            if (m_pTransporter)
                break;
        } else if (m_pPort->GetErrorCode() == kSerialCtsOff) {
            m_strProbeOutcome = m_strPortPath + ": CTS is off";
            return FailProbe(WithUnfinishedUpdate("CTS is off", m_nPort));
        }

        int next = -1;
        for (int i = 0; i < 3 && next < 0; ++i)
            if (!tried[i])
                next = i;
        if (next < 0) {
            m_strProbeOutcome = m_strPortPath + ": " +
                                (answered ? "no transporter's answer at " : "no answer at ") +
                                rates + " baud";
            return FailProbe(WithUnfinishedUpdate(kNoTransporterFound, m_nPort),
                             CommandOutcome::NotFound);
        }
        if (!m_pPort->ChangeBaudRate(uint32_t(kRates[next]))) {
            // The third text is the dialog's own, rate and all.
            const int shown = kRates[next] == 115200 ? 115300 : kRates[next];
            const std::string why =
                Format("Unable to change to %d Baud on %s", shown, m_strPortPath.c_str());
            m_strProbeOutcome = why;
            return FailProbe(why);
        }
        m_nBaud = kRates[next];
        tried[next] = true;
        rates += (tried[0] && tried[1] && tried[2] ? " and " : ", ") + std::to_string(m_nBaud);
    }

    m_pTransporter->Initialize();
    UnfinishedUpdateAnswered(m_nPort);
    AddPortItem(m_nPort);
    SetSucceeded("");
    m_strBaudText = Format("Current Baud Rate: %d", m_nBaud);
    SetControlsAfterScan();
    FillSerialPage();
    UpdateData(false);
    if (m_bFocusSerial) {
        // A transporter that was never given a serial number: invite the technician to.
        m_bFocusSerial = false;
        m_view.SetFocusId(IDC_TRANSPORTER_SN);
    }
    return true;
}

bool CDaxtoolDlg::ReadInquiry(uint8_t (&answer)[kInquiryAnswerSize], uint32_t& count,
                              bool* answered) {
    std::fill(std::begin(answer), std::end(answer), uint8_t(0));
    const std::string inquiry = Command(kCmdInquiry);
    if (!m_pPort->Exchange(inquiry.data(), uint32_t(inquiry.size()), answer, kInquiryHeadLength,
                           kInquirySeconds))
        return false;
    if (answered)
        *answered = true;
    // A head without its count is no transporter's answer: the next rate is tried.
    if (!ParseInquiryHead(answer, kInquiryHeadLength, count))
        return false;
    // The count is kept as received; the read is bounded by the buffer.
    m_pPort->Read(answer + kInquiryHeadLength, std::min(count, kMaxIdentification));
    return true;
}

bool CDaxtoolDlg::FailProbe(const std::string& reason, CommandOutcome outcome) {
    // Nothing of the device that was there before may stay beside the reason.
    ClearDeviceFields();
    // Shown at once: the Status field must not keep the last progress text.
    SetStatus(reason);
    m_outcome = outcome;
    UpdateData(false);
    DisableControlsAfterFailure();
    return false;
}

void CDaxtoolDlg::ClearDeviceFields() {
    m_strInquiryId.clear();
    m_strBaudText.clear();
    m_strTransporterSn.clear();
    m_strPrinterSn.clear();
    m_strPrinterBSn.clear();
    m_strCountPrint.clear();
    m_strCountRibbon.clear();
    m_strCountImage.clear();
    m_strDisplayName.clear();
    m_nBeeps = 0;
    m_bEnableShutdown = false;
    m_bOverrideName = false;
    m_bUseComputerName = false;
}

void CDaxtoolDlg::AddPortItem(int port) {
    // A port that appeared after start-up, or one the scan found beyond the list.
    if (m_portList.Add(port))
        m_view.SetComboItems(IDC_PORT, m_portList.Texts());
}

bool CDaxtoolDlg::SelectPort(int port) {
    if (port < 0 || port > kMaxPort)
        return false;
    AddPortItem(port);
    m_view.SetComboSelection(IDC_PORT, m_portList.IndexOf(port));
    return true;
}

bool CDaxtoolDlg::ScanAllPorts() {
    for (m_nPort = 1; m_nPort <= kMaxPort; ++m_nPort)
        if (ScanPort(false))
            return true;
    m_nPort = 1;
    m_outcome = CommandOutcome::NotFound;
    ReportUnfinishedUpdate();
    return false;
}

void CDaxtoolDlg::StartupScan() {
    int first = m_ctx.settings.GetInt(kSectionLastGood, kValueFirstPort, 1);
    if (first > kMaxPort)
        first = 1;
    // The ports that are there say, each, why they gave nothing: the last one's reason alone
    // would name a port that does not even exist.
    const std::vector<int> existing = m_ctx.serialDevices.existingPorts();
    std::string summary;
    auto scan = [&] {
        if (ScanPort(true))
            return true;
        if (std::find(existing.begin(), existing.end(), m_nPort) != existing.end())
            summary += (summary.empty() ? ": " : "; ") + m_strProbeOutcome;
        return false;
    };
    // Numbers below 0 name no port; starting there could keep the scan busy for hours.
    for (m_nPort = std::max(first, 0); m_nPort <= kMaxPort; ++m_nPort)
        if (scan())
            return;
    for (m_nPort = 1; m_nPort < first; ++m_nPort)
        if (scan())
            return;
    m_nPort = first;
    m_outcome = CommandOutcome::NotFound;
    SetStatus(kNoTransporterFound + (summary.empty() ? ": there are no serial ports" : summary));
    ReportUnfinishedUpdate();
}

void CDaxtoolDlg::OnPortChange() {
    ClearDisableCheck();
    if (m_bBusy)
        return;
    BusyScope busy(*this);
    UpdateData(true);
    if (m_nPort != 0) {
        if (!ScanPort(false))
            m_view.MessageBox(kNoTransporterOnPort + m_strPortPath, MessageBoxType::Ok);
    } else if (!ScanAllPorts()) {
        // The last port's own reason would stand beside COM1; the scan's is the one that holds.
        SetStatus(kNoTransporterAnywhere);
        UpdateData(false);
        m_view.MessageBox(kNoTransporterAnywhere, MessageBoxType::Ok);
    }
}

void CDaxtoolDlg::SetControlsAfterScan() {
    CTransporter& t = *m_pTransporter;
    DialogView& v = m_view;
    v.EnableControl(IDC_UPDATE_FLASH, true);
    v.EnableControl(IDC_UPDATE_SERIAL, t.m_bWritableSettings);
    v.SetControlText(IDC_CALIBRATE_ROTATOR, t.m_bWritableSettings && !t.m_bRotator
                                                ? "&Calibrate Margins"
                                                : "&Calibrate Rotator");
    v.EnableControl(IDC_CALIBRATE_ROTATOR, t.m_bCalibration);
    v.EnableControl(IDC_CALIBRATE_POCKET, t.m_bPocketCalibration);
    v.EnableControl(IDC_TRANSPORTER_SN, t.m_bWritableSettings);
    v.EnableControl(IDC_PRINTER_SN, t.m_bWritableSettings);
    v.EnableControl(IDC_FLASH_LEDS, t.m_bLedFlashing);
    v.ShowControl(IDC_TEST, m_ctx.testLevel > 0 && t.m_bMailbox);
    // A failed probe on another port before this one disabled it: the device found has the
    // mailbox all the same.
    v.EnableControl(IDC_TEST, m_ctx.testLevel > 0 && t.m_bMailbox);
    v.EnableControl(IDC_PRINT_GRID, t.m_bGridPrintable && t.m_nPrinters > 0);
    for (int id : {IDC_DISPLAY_NAME, IDC_ENABLE_SHUTDOWN, IDC_OVERRIDE_NAME, IDC_SET_PARAMS,
                   IDC_BEEPS, IDC_BEEPS_SPIN, IDC_USE_COMPUTER_NAME})
        v.EnableControl(id, t.HasVaultekParams());
}

void CDaxtoolDlg::DisableControlsAfterFailure() {
    for (int id :
         {IDC_UPDATE_FLASH, IDC_UPDATE_SERIAL, IDC_CALIBRATE_ROTATOR, IDC_CALIBRATE_POCKET,
          IDC_FLASH_LEDS, IDC_TEST, IDC_PRINT_GRID, IDC_TRANSPORTER_SN, IDC_PRINTER_SN,
          IDC_PRINTER_B_SN, IDC_PRINTER_B_SN_LABEL, IDC_PRINTER_SN_LABEL, IDC_DISPLAY_NAME,
          IDC_ENABLE_SHUTDOWN, IDC_OVERRIDE_NAME, IDC_SET_PARAMS, IDC_BEEPS, IDC_BEEPS_SPIN})
        m_view.EnableControl(id, false);
}

} // namespace dax
