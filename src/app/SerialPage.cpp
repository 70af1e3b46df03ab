#include "app/BusyScope.h"
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "platform/Format.h"

#include <functional>
#include <vector>

namespace dax {

namespace {

constexpr uint32_t kComebackReadTimeoutMs = 2000;
constexpr uint32_t kComebackFirstWaitMs = 3000;
constexpr uint32_t kComebackRetryWaitMs = 1000;
constexpr int kComebackRetries = 20;
constexpr uint32_t kAfterComebackReadTimeoutMs = 60000;
constexpr uint32_t kAfterComebackWaitMs = 500;
// Widths of the stored texts: serial numbers and the loader's display name.
constexpr size_t kSerialLength = 8;
constexpr size_t kDisplayNameLength = 16;

std::string CounterText(int value) {
    return value >= 0 ? Format("%d", value) : std::string();
}

// A text as the transporter stores it in a field of `width` characters: cut, padded with blanks.
std::string AsStored(const std::string& text, size_t width) {
    std::string stored = text.substr(0, width);
    stored.resize(width, ' ');
    return stored;
}

std::string Quoted(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return "\"" + text + "\"";
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

// Collects the fields whose read-back is not what was sent.
class ReadBackComparison {
public:
    void Compare(const char* field, const std::string& device, const std::string& sent) {
        if (device != sent)
            Add(field, device, sent);
    }
    void Add(const char* field, const std::string& device, const std::string& sent) {
        m_strDiffers +=
            Format("%s%s reads back as %s, %s was sent", m_strDiffers.empty() ? "" : "; ", field,
                   device.c_str(), sent.c_str());
    }
    const std::string& Differences() const { return m_strDiffers; }

private:
    std::string m_strDiffers;
};

// Holds the front end's interrupts back while values are sent and stored.
class StoringUnderway {
public:
    explicit StoringUnderway(DialogView& view) : m_view(view) { m_view.SetStoringUnderway(true); }
    ~StoringUnderway() { m_view.SetStoringUnderway(false); }
    StoringUnderway(const StoringUnderway&) = delete;
    StoringUnderway& operator=(const StoringUnderway&) = delete;

private:
    DialogView& m_view;
};

} // namespace

void CDaxtoolDlg::FillSerialPage() {
    CTransporter& t = *m_pTransporter;
    DialogView& v = m_view;
    m_bSerialsRead = false;
    m_bPageReadFailed = false;
    m_unknownFields.clear();
    m_bStoredFieldsReadBack = false;
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
        // The stand-alone printer keeps its own serial only: a transporter serial typed here
        // would never be stored.
        if (t.m_bStandAlonePrinter)
            v.EnableControl(IDC_TRANSPORTER_SN, false);
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
    for (int i = 0; i < kComebackRetries && !m_view.StopRequested(); ++i) {
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
        SetStatus(m_pTransporter->GetErrorText() + "; " + kValuesNotKnown);
        UpdateData(false);
        return false;
    }
    const bool back = WaitForTransporter();
    m_pPort->SetReadTimeout(kAfterComebackReadTimeoutMs);
    m_ctx.clock.sleep(kAfterComebackWaitMs);
    if (!back) {
        // Reading back now would only empty the fields; say what is known instead.
        SetStatus(m_view.StopRequested()
                      ? std::string("Parameter update stopped while the transporter restarted; ") +
                            kValuesNotKnown
                      : std::string(CTransporter::kNoAnswerAfterRestart) + "; " + kValuesNotKnown);
        UpdateData(false);
    }
    return back;
}

void CDaxtoolDlg::RunParameterUpdate(bool stepDown, const std::vector<int>& fields,
                                     const std::function<bool()>& send,
                                     const std::function<bool(std::string&)>& readBack) {
    ClearDisableCheck();
    if (!UpdateData(true) || !CanRunCommand())
        return;
    // The wait cursor stays on until the command ends, whichever way it ends.
    BusyScope busy(*this);
    m_view.PumpMessages();
    m_unknownFields.clear();
    m_bStoredFieldsReadBack = false;
    CTransporter& t = *m_pTransporter;
    t.RequestSense(CTransporter::kDefaultTimeout, nullptr, nullptr);
    // A failed step-down has put its own reason into the status.
    if (stepDown && !StepDownTo38400()) {
        UpdateData(false);
        return;
    }
    {
        // Ended half-way, the transporter would keep some values new and some old.
        const StoringUnderway storing(m_view);
        t.m_bStoreOutcomeUnknown = false;
        const bool taken = send();
        // Asked once the sequence is through: a stop never splits it.
        const bool stop = m_view.StopRequested();
        if (!taken) {
            std::string why = t.GetErrorText();
            if (t.m_bStoreOutcomeUnknown) {
                // Sent, but neither taken nor refused for certain.
                m_unknownFields = fields;
                why += std::string("; ") + kValuesNotKnown;
            }
            SetStatus(why);
            UpdateData(false);
            return;
        }
        // Everything went out, and the device took it; what it keeps is now unknown until read.
        m_unknownFields = fields;
        if (stop) {
            SetStatus(std::string("Parameter update stopped before the values were stored: the "
                                  "transporter keeps them only until it restarts; ") +
                      kValuesNotKnown);
            UpdateData(false);
            return;
        }
        if (!SaveAndWaitForTransporter())
            return;
    }
    // What the transporter now holds, compared with what was sent.
    std::string differs;
    if (!readBack(differs)) {
        SetStatus("Parameter update: the values stored could not be read back - " +
                  t.GetErrorText() + "; " + kValuesNotKnown);
        UpdateData(false);
        return;
    }
    m_unknownFields.clear();
    m_bStoredFieldsReadBack = true;
    if (differs.empty())
        SetSucceeded(kUpdateSucceeded);
    else
        SetStatus("Parameter update failed - " + differs);
    UpdateData(false);
}

void CDaxtoolDlg::OnUpdateSerial() {
    const bool printerB = m_view.IsControlVisible(IDC_PRINTER_B_SN);
    std::vector<int> fields = {IDC_TRANSPORTER_SN, IDC_PRINTER_SN};
    if (printerB)
        fields.push_back(IDC_PRINTER_B_SN);
    // As they go out: cut and padded to the field's width.
    std::string sentTransporter, sentPrinter, sentPrinterB;
    RunParameterUpdate(
        true, fields,
        [&] {
            sentTransporter = AsStored(m_strTransporterSn, kSerialLength);
            sentPrinter = AsStored(m_strPrinterSn, kSerialLength);
            sentPrinterB = AsStored(m_strPrinterBSn, kSerialLength);
            if (!m_pTransporter->SetSerialNumbers(m_strTransporterSn, m_strPrinterSn))
                return false;
            m_pTransporter->SetPrinterSerial2(m_strPrinterBSn);
            return true;
        },
        [&](std::string& differs) {
            CTransporter& t = *m_pTransporter;
            if (!t.GetSerialNumbers(m_strTransporterSn, m_strPrinterSn) ||
                (printerB && !t.GetPrinterSerial2(m_strPrinterBSn)))
                return false;
            // A field the device does not give back (firmware that keeps none, a printer
            // that keeps its own) cannot be compared.
            ReadBackComparison c;
            auto compare = [&](const char* field, const std::string& device,
                               const std::string& sent) {
                if (!device.empty() && device != sent)
                    c.Add(field, Quoted(device), Quoted(sent));
            };
            compare("the transporter serial number", m_strTransporterSn, sentTransporter);
            compare("the printer serial number", m_strPrinterSn, sentPrinter);
            if (printerB)
                compare("printer B's serial number", m_strPrinterBSn, sentPrinterB);
            differs = c.Differences();
            return true;
        });
}

void CDaxtoolDlg::OnSetParams() {
    std::string sentName;
    bool sentShutdown = false, sentOverride = false, sentComputerName = false;
    int sentBeeps = 0;
    RunParameterUpdate(
        false,
        {IDC_DISPLAY_NAME, IDC_OVERRIDE_NAME, IDC_ENABLE_SHUTDOWN, IDC_USE_COMPUTER_NAME,
         IDC_BEEPS},
        [&] {
            sentName = AsStored(m_strDisplayName, kDisplayNameLength);
            sentShutdown = m_bEnableShutdown;
            sentOverride = m_bOverrideName;
            sentComputerName = m_bUseComputerName;
            sentBeeps = m_nBeeps;
            return m_pTransporter->SetVaultekParams(m_strDisplayName, m_bEnableShutdown,
                                                    m_bOverrideName, m_bUseComputerName, m_nBeeps);
        },
        [&](std::string& differs) {
            // The page shows what the device holds, the beep count too.
            int beeps = 0;
            m_bParamsRead = m_pTransporter->GetVaultekParams(
                m_strDisplayName, m_bEnableShutdown, m_bOverrideName, m_bUseComputerName, beeps);
            if (!m_bParamsRead)
                return false;
            m_nBeeps = unsigned(beeps) > 9 ? 0 : beeps;
            ReadBackComparison c;
            c.Compare("enable shutdown", OnOff(m_bEnableShutdown), OnOff(sentShutdown));
            c.Compare("override name", OnOff(m_bOverrideName), OnOff(sentOverride));
            c.Compare("use computer name", OnOff(m_bUseComputerName), OnOff(sentComputerName));
            c.Compare("the beep count", Format("%d", m_nBeeps), Format("%d", sentBeeps));
            // The name is sent, and read, only with the override.
            if (sentOverride && m_bOverrideName && m_strDisplayName != sentName)
                c.Add("the display name", Quoted(m_strDisplayName), Quoted(sentName));
            differs = c.Differences();
            return true;
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
