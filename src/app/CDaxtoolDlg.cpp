#include "app/CDaxtoolDlg.h"

#include "app/BusyScope.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "devices/Answers.h"
#include "devices/Commands.h"
#include "platform/Format.h"

#include <cstring>

namespace dax {

CDaxtoolDlg::CDaxtoolDlg(DialogContext context, DialogView& view)
    : m_ctx(std::move(context)), m_view(view), m_portList(m_ctx.serialDevices.existingPorts()) {
    m_nBaud = m_ctx.settings.GetInt(kSectionLastGood, kValueBaudRate, kNoRate);
    // Any other rate would make every port refuse to open, and be written back at close.
    if (!IsTransporterRate(m_nBaud))
        m_nBaud = kNoRate;
}

bool CDaxtoolDlg::IsTransporterRate(int baud) {
    return baud == 9600 || baud == 38400 || baud == 115200;
}

CDaxtoolDlg::~CDaxtoolDlg() {
    DropDevice();
}

void CDaxtoolDlg::DropDevice() {
    // The device borrows the port: it goes first.
    m_pTransporter.reset();
    m_pPort.reset();
}

bool CDaxtoolDlg::OnInitDialog(bool startupScan) {
    m_view.ShowControl(IDC_EXERCISER, false);
    m_view.SetComboItems(IDC_PORT, m_portList.Texts());
    if (startupScan) {
        m_view.ShowWaitBox(kWaitBoxMessage);
        m_view.PumpMessages();
        StartupScan();
        m_view.CloseWaitBox();
        if (!m_pTransporter)
            m_view.MessageBox(kNoTransporterAtStart, MessageBoxType::Ok);
    }
    m_bBusy = false;
    UpdateData(false);
    return true;
}

void CDaxtoolDlg::SetStatus(const std::string& text) {
    m_strStatus = text;
}

void CDaxtoolDlg::SetSucceeded(const std::string& status) {
    SetStatus(status);
    m_outcome = CommandOutcome::Succeeded;
}

void CDaxtoolDlg::ClearDisableCheck() {
    m_view.SetCheck(IDC_DISABLE_CHECK, false);
}

void CDaxtoolDlg::PumpMessages() {
    m_view.PumpMessages();
}

bool CDaxtoolDlg::ShowMessage(const std::string& text, Question question) {
    return m_view.Ask(question, text, MessageBoxType::Ok) == MessageBoxResult::Ok;
}

bool CDaxtoolDlg::AskRetryCancel(const std::string& text) {
    return m_view.MessageBox(text, MessageBoxType::RetryCancel) == MessageBoxResult::Retry;
}

void CDaxtoolDlg::OnAbout() {
    ClearDisableCheck();
    OnSysCommand(IDM_ABOUTBOX);
}

bool CDaxtoolDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    // A modal box opened from inside an operation's wait would hold the operation until it
    // closes, and its device time-outs would run out meanwhile.
    if (m_bBusy)
        return true;
    // Not a button of the dialog: the compatibility check box keeps its state.
    m_view.ShowAboutBox(Format("Version %s", m_ctx.version.c_str()), m_ctx.legal, m_ctx.date);
    return true;
}

void CDaxtoolDlg::OnExerciser() {
    ClearDisableCheck();
}

void CDaxtoolDlg::OnFlashLeds() {
    ClearDisableCheck();
    if (!CanRunCommand())
        return;
    BusyScope busy(*this);
    // FlashLeds has no result; a failure shows only in the device's error text, and the
    // technician must not be left believing the lights flashed.
    m_pTransporter->m_strError.clear();
    m_pTransporter->FlashLeds(5);
    if (!m_pTransporter->GetErrorText().empty())
        SetStatus(m_pTransporter->GetErrorText());
    else
        m_outcome = CommandOutcome::Succeeded;
    UpdateData(false);
}

void CDaxtoolDlg::OnTest() {
    ClearDisableCheck();
    if (!CanRunCommand() || !m_pPort || m_ctx.testLevel != 1 || !m_pTransporter->m_bMailbox)
        return;
    BusyScope busy(*this, false);
    m_view.EnableControl(IDC_TEST, false);
    m_pTransporter->TestMailbox();
    m_view.EnableControl(IDC_TEST, true);
}

bool CDaxtoolDlg::StepDownTo38400() {
    if (m_nBaud <= 38400)
        return true;
    const std::string command = BaudCommand(38400);
    uint8_t answer[kBaudAnswerLength] = {};
    if (!m_pPort->Exchange(command.data(), uint32_t(command.size()), answer, sizeof answer,
                           kStepDownBaudSeconds) ||
        !IsBaudAccepted(answer, sizeof answer)) {
        SetStatus("Failed to change to 38400 Baud");
        return false;
    }
    m_nBaud = 38400;
    if (!m_pPort->ChangeBaudRate(38400)) {
        SetStatus(Format("Unable to change to 38400 Baud on %s", m_strPortPath.c_str()));
        return false;
    }
    return true;
}

void CDaxtoolDlg::OnClose() {
    if (m_bEnded)
        return; // the dialog is over; its settings were written or must not be
    if (m_bBusy) {
        // Deleting the device under a running operation would pull the port from under it.
        m_bCloseRequested = true;
        return;
    }
    RunCloseSequence();
}

void CDaxtoolDlg::RunCloseSequence() {
    // After a device the next start-up begins one port further on; after a scan that found
    // nothing it begins where this one did, the port the Port box shows.
    const int next = m_pTransporter ? m_nPort + 1 : m_nPort;
    DropDevice();
    SaveSetting(kSectionLastGood, kValueBaudRate, m_nBaud);
    SaveSetting(kSectionLastGood, kValueFirstPort, next);
    m_bEnded = true;
    m_view.EndDialog(IDCANCEL);
}

void CDaxtoolDlg::SaveSetting(const char* section, const char* value, int32_t data,
                              const std::string& consequence) {
    if (m_ctx.settings.WriteInt(section, value, data))
        return;
    const std::string why = m_ctx.settings.WriteError();
    m_view.SettingNotSaved(Format("Unable to save the setting %s/%s%s%s", section, value,
                                  why.empty() ? "" : (": " + why).c_str(),
                                  consequence.empty() ? "" : ("; " + consequence).c_str()));
}

void CDaxtoolDlg::OnEndSession() {
    // A close kept back for a running command must not write the settings when it ends.
    m_bCloseRequested = false;
    m_bEnded = true;
    m_view.EndDialog(IDCANCEL);
}

} // namespace dax
