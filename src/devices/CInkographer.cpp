#include "devices/CInkographer.h"

#include "devices/Answers.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/ProductRecognition.h"
#include "devices/SenseText.h"
#include "link/CTransporterPort.h"

namespace dax {

namespace {

// Read time-outs (ms) of the link around the printer's long operations.
constexpr uint32_t kReadTimeoutMs = 20000;
// Pauses of Initialize's printer start-up.
constexpr uint32_t kSelfCheckMs = 5000;
constexpr uint32_t kDrawerSettleMs = 1000;
constexpr uint32_t kStartupSeconds = 10;
// After each command, before its sense.
constexpr uint32_t kSenseDelayMs = 500;
// CTS wait and sense time-out of the settings.
constexpr int kPrinterSettingSeconds = 3;

} // namespace

CInkographer::CInkographer(CTransporterPort* port, Clock& clock, Interaction& interaction)
    : CTransporter(clock, interaction), m_pPort(port) {
    m_bStandAlonePrinter = true;
    m_nPrinters = 1;
    const Identification id = SharedInkographerInquiry().View();
    m_strTransporterId = id.TransporterId();
    std::string reason;
    if (!id.TransporterRevision(m_nTransporterRevision, &reason)) {
        m_strError = "Inkographer identification: " + reason;
    }
    m_nRevisionSuffix = id.RevisionSuffix();
    if (m_nTransporterRevision == kRevisionOtp) {
        m_bOtpFirmware = true;
    }
}

CInkographer::~CInkographer() = default;

bool CInkographer::SendNoAnswer(const std::string& command) {
    if (m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), nullptr, 0,
                          kNoAnswerSeconds)) {
        return true;
    }
    m_strError = m_pPort->GetErrorText();
    return false;
}

bool CInkographer::SendAndCheck(const std::string& command, bool* unconfirmed) {
    if (unconfirmed) {
        *unconfirmed = true;
    }
    if (!SendNoAnswer(command)) {
        return false;
    }
    m_clock.sleep(kSenseDelayMs);
    if (!RequestSense(kDefaultTimeout, nullptr, nullptr)) {
        return false;
    }
    if (unconfirmed) {
        *unconfirmed = false;
    }
    FormatPrinterError();
    return m_nPrinterSense == 0;
}

void CInkographer::SenseAfterRefusal(const std::string& command) {
    m_strError.clear();
    if (RequestSense(kDefaultTimeout, nullptr, nullptr)) {
        FormatPrinterError();
        if (m_strError.empty()) {
            m_strError = UnconfirmedCommandText(command);
        }
    } else if (m_strError.empty()) {
        m_strError = m_pPort->GetErrorText();
    }
}

bool CInkographer::ExchangeAcknowledged(const std::string& command, uint32_t seconds) {
    uint8_t answer[kAckLength] = {};
    if (!m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                           kAckLength, seconds)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    if (IsAcknowledged(answer, kAckLength)) {
        return true;
    }
    SenseAfterRefusal(command);
    return false;
}

bool CInkographer::QueryElement(int element, int& state) {
    const std::string command = Command(kCmdReadElementStatus, element);
    uint8_t answer[kElementStatusLength] = {};
    if (!m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                           kElementStatusLength, kReadElementSeconds)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    state = answer[5] - '0';
    if (answer[4] == '1') {
        return true;
    }
    SenseAfterRefusal(command);
    return false;
}

bool CInkographer::RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) {
    m_nTransporterSense = 0;
    m_nPrinterSense = 0;
    const uint32_t timeout = static_cast<uint32_t>(seconds < 0 ? m_nSenseTimeout : seconds);
    const std::string command = Command(kCmdInkRequestSense);
    uint8_t answer[kInkSenseLength] = {};
    if (!m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                           kInkSenseLength, timeout)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    // An answer without its three digits tells nothing: reading it as "no condition" would
    // let a garbled sense pass a command as done.
    SenseCodes codes;
    std::string reason;
    if (!ParseInkographerSense(answer, kInkSenseLength, codes, &reason)) {
        m_strError = reason;
        return false;
    }
    m_nPrinterSense = codes.printer;
    if (transporterSense != nullptr) {
        *transporterSense = 0;
    }
    if (printerSense != nullptr) {
        *printerSense = m_nPrinterSense;
    }
    return true;
}

void CInkographer::FormatPrinterError() {
    const std::string text = m_nPrinterSense > 0 ? GetPrinterSenseText() : std::string();
    m_strError = FormatInkographerErrorText(text, m_nPrinterSense);
}

const std::string& CInkographer::GetPrinterSenseText() {
    m_strPrinterSenseText = InkographerPrinterSenseText(m_nPrinterSense);
    return m_strPrinterSenseText;
}

const std::string& CInkographer::GetSenseText() {
    static const std::string kEmpty;
    return kEmpty;
}

void CInkographer::Initialize() {
    m_pPort->SetReadTimeout(kReadTimeoutMs);
    m_bRotator = true;
    m_bWritableSettings = true;
    if (m_nTransporterRevision >= kRevisionPocketCalibration) {
        m_bPocketCalibration = true;
    }
    if (!m_bOtpFirmware && SendNoAnswer(Command(kCmdAlignPass3))) {
        m_clock.sleep(kSelfCheckMs);
        m_pPort->SetCtsWait(kStartupSeconds);
        m_nSenseTimeout = static_cast<int>(kStartupSeconds);
        if (RequestSense(static_cast<int>(kStartupSeconds), nullptr, nullptr)) {
            if (m_nPrinterSense == 0) {
                m_bAlignPasses = true;
            }
            SendNoAnswer(Command(kCmdClosePrinterDrawer));
            m_clock.sleep(kDrawerSettleMs);
            RequestSense(kDefaultTimeout, nullptr, nullptr);
        }
    }
    int state = -1;
    if (QueryElement(kElementRotator, state) && state == kStateManualLoading) {
        m_bManualLoading = true;
        m_bRotator = false;
    }
}

bool CInkographer::SendSetting(const char* format, int value) {
    m_pPort->SetCtsWait(kPrinterSettingSeconds);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    const std::string command = Command(format, value);
    m_nSenseTimeout = kPrinterSettingSeconds;
    return SendAndCheck(command);
}

// The limits compare signed values: a negative value passes them as it is.
bool CInkographer::SetLeftMargin(int value) {
    return SendSetting(kCmdInkLeftMargin, value > kMaxLeftMargin ? kMaxLeftMargin : value);
}

bool CInkographer::SetTopMargin(int value) {
    return SendSetting(kCmdInkTopMargin, value > kMaxTopMargin ? kMaxTopMargin : value);
}

bool CInkographer::SetRotationalOffset(int offset) {
    return SendSetting(kCmdInkRotationalOffset,
                       offset > kMaxRotationalOffset ? kMaxRotationalOffset : offset);
}

bool CInkographer::SetPocketOffset(int offset) {
    return SendSetting(kCmdInkPocketOffset, offset);
}

bool CInkographer::SetMediaSize(int sizeCode) {
    return SendSetting(kCmdInkMediaSize, sizeCode);
}

int CInkographer::GetRebootDelay() {
    return kRebootDelaySeconds;
}

int CInkographer::GetPrinterKind() {
    return 0;
}

} // namespace dax
