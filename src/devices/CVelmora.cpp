#include "devices/CVelmora.h"

#include "devices/Answers.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/ProductRecognition.h"
#include "devices/SenseText.h"
#include "link/CTransporterPort.h"
#include "printers/CUsbPool.h"

#include <string_view>
#include <utility>

namespace dax {

namespace {

enum ModelFlag : unsigned {
    kLoader = 1u << 0,
    kQT6400 = 1u << 1,
    kK6400 = 1u << 2,
    kK6800 = 1u << 3,
    kBuiltInPrinter = 1u << 4,
    kBootCapable = 1u << 5,
    kMoltrian = 1u << 6,
};

struct ModelEntry {
    std::string_view name; // compared over its whole length
    unsigned flags;
    bool variant6Only; // also needs a '6' at identification byte 14
};

constexpr unsigned kBootLoader = kBootCapable | kBuiltInPrinter | kLoader;

// Compared in this order; the first entry that matches wins.
constexpr ModelEntry kModels[] = {
    {"BENCHER 2       ", kLoader, false},
    {"KORVIX QT6400   ", kQT6400 | kLoader, false},
    {"KORVIX 6400     ", kK6400 | kLoader, false},
    {"KORVIX 6800     ", kK6800 | kLoader, false},
    {"QUILLON BENCHER ", kBuiltInPrinter | kLoader, false},
    {"KORVIX 1400x    ", kBuiltInPrinter | kLoader, false},
    {"Korvix 240x     ", kBootLoader, false},
    {"Hue Master 240x ", kBootLoader, false},
    {"620x-T", kBootLoader, false},
    {"KORVIX BOOT     ", kBootLoader, false},
    {"Moltrian II", kMoltrian, true},
    {"Moltrian III", kMoltrian, false},
};

constexpr std::string_view kBootProductName = "KORVIX BOOT     ";
constexpr size_t kMoltrianVariantPosition = 14;
constexpr std::string_view kModelDKPR21 = "DKPR21";
constexpr std::string_view kModelDKPR22 = "DKPR22";

} // namespace

CVelmora::CVelmora(CTransporterPort* port, Clock& clock, Interaction& interaction,
                   PrinterAccess printers)
    : CTransporter(clock, interaction), m_pPort(port), m_printers(std::move(printers)) {
    const Identification id = SharedInquiry().View();
    if (id.HasPrinter()) {
        m_nPrinters = 1;
    }
    ReadModel(id);
    ReadPrinter(id);
}

void CVelmora::ReadModel(const Identification& id) {
    for (const ModelEntry& model : kModels) {
        if (!id.Matches(0, model.name)) {
            continue;
        }
        if (model.variant6Only && id.At(kMoltrianVariantPosition) != '6') {
            continue;
        }
        m_bLoaderModel = (model.flags & kLoader) != 0;
        m_bQT6400Model = (model.flags & kQT6400) != 0;
        m_bK6400Model = (model.flags & kK6400) != 0;
        m_bK6800Model = (model.flags & kK6800) != 0;
        m_bBuiltInPrinterModel = (model.flags & kBuiltInPrinter) != 0;
        m_bBootCapableModel = (model.flags & kBootCapable) != 0;
        m_bMoltrianLoader = (model.flags & kMoltrian) != 0;
        if (m_bLoaderModel) {
            m_bCalibration = false; // loaders have no rotator or margin calibration
        }
        break;
    }
    m_bBootProductName = id.Matches(0, kBootProductName);
}

void CVelmora::ReadPrinter(const Identification& id) {
    const bool hasPrinter = m_nPrinters > 0;
    if (hasPrinter && id.IsMorranePrinter()) {
        m_bMorranePrinter = true;
        m_bPrinterSerialEditable = false;
        m_bMarginsEditable = false;
        m_bGridPrintable = false;
        const std::string model = id.PrinterModelCode();
        if (model == kModelDKPR22) {
            m_bMorraneDKPR22 = true;
        } else if (model == kModelDKPR21) {
            m_bMorraneDKPR21 = true;
        }
    }

    m_strTransporterId = id.TransporterId();
    if (hasPrinter) {
        m_strPrinterId = id.PrinterId();
    }

    // A revision field that is not digits leaves revision 0, which Initialize treats as OTP
    // firmware: nothing is sent to a transporter that cannot be identified.
    std::string reason;
    if (!id.TransporterRevision(m_nTransporterRevision, &reason)) {
        m_strError = "Transporter identification: " + reason;
    }
    m_nRevisionSuffix = id.RevisionSuffix();
    if (hasPrinter && !m_bMorranePrinter && !id.PrinterRevision(m_nPrinterRevision, &reason)) {
        m_strError = "Printer identification: " + reason;
    }

    // A Morrane printer counts only once it has been found on USB.
    if (hasPrinter && m_bMorranePrinter) {
        m_nPrinters = 0;
    }
}

void CVelmora::Initialize() {
    const int revision = m_nTransporterRevision;
    if (m_bBootCapableModel) {
        m_bOtpFirmware = m_bBootProductName;
        m_bWritableSettings = !m_bOtpFirmware;
    } else {
        m_bOtpFirmware = revision < kRevisionOtpBelow ||
                         (revision >= kRevisionNewFirmware && revision <= kRevisionOtpLast);
        m_bWritableSettings = revision > kRevisionNewFirmware;
    }
    if (!m_bLoaderModel && revision < kRevisionNewFirmware) {
        m_bOldFirmwareModel = true;
        m_bOldFirmware = true;
    }
    m_bLedFlashing = true;
    if (m_bOtpFirmware) {
        return;
    }

    // The first sense after a restart tells whether the firmware just programmed was taken.
    m_bStartSenseRead = RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_nStartTransporterSense = m_nTransporterSense;
    if (!m_bLoaderModel && !m_bOldFirmwareModel) {
        ProbeConfiguration();
    }
    if (m_bShortStatus) {
        m_bCalibration = false;
        m_bSerialNumbers = false;
        return;
    }

    int state = 0;
    if (Probe(kElementRotator, state) && state != kStateAbsent) {
        m_bRotator = true;
        if (revision >= kRevisionPocketCalibration) {
            m_bPocketCalibration = true;
        }
    }
    if (Probe(kElementMailbox, state) && state != kStateAbsent) {
        m_bMailbox = true;
    }

    if (m_nPrinterRevision >= kRevisionPrinterAlignProbe && !m_bMorranePrinter) {
        ProbePrinterAlignPasses();
    }
    PositionMedium(kElementPrinter, kActionNone, 0);
    MatchUsbPrinter();
}

bool CVelmora::Probe(int element, int& state) {
    state = -1;
    return ReadElementStatus(element, state, nullptr);
}

void CVelmora::ProbeConfiguration() {
    const int revision = m_nTransporterRevision;
    int state = 0;
    if (revision >= kRevisionBin4Probe && Probe(kElementBin4, state) && state != kStateAbsent &&
        Probe(kElementDriveHome, state)) {
        if (state == kStateAbsent) {
            m_bShortStatus = true;
        } else {
            m_bBin4Config = true;
        }
    }
    if (m_bBin4Config) {
        return;
    }
    if (!m_bShortStatus && revision >= kRevisionDriveProbes && Probe(kElementDriveHome, state) &&
        state == kStateAbsent) {
        m_bShortStatus = true;
    }
    if (!m_bShortStatus && Probe(kElementDrive1, state) && state == kStateAbsent) {
        m_bDrive1Config = true;
    }
    if (!m_bShortStatus && !m_bDrive1Config && Probe(kElementDrive3, state) &&
        state != kStateAbsent) {
        m_bDrive3Config = true;
    }
    if (!m_bBin4Config && !m_bDrive1Config && !m_bDrive3Config && !m_bShortStatus) {
        m_bBasicConfig = true;
    }
}

void CVelmora::ProbePrinterAlignPasses() {
    const std::string alignPass = Command(kCmdAlignPass3);
    if (!m_pPort->Exchange(alignPass.data(), static_cast<uint32_t>(alignPass.size()), nullptr, 0,
                           kNoAnswerSeconds)) {
        return;
    }
    m_clock.sleep(kAlignStartMs);
    int polls = 0;
    do {
        m_clock.sleep(kAlignPollMs);
        if (!RequestSense(static_cast<int>(kAlignPollSeconds), nullptr, nullptr)) {
            return;
        }
    } while (m_nPrinterSense == kPrinterSenseBusy && ++polls < kAlignMaxPolls);
    if (m_nPrinterSense == 0) {
        m_bAlignPasses = true;
    }

    m_clock.sleep(kDrawerSettleMs);
    const std::string closeDrawer = Command(kCmdClosePrinterDrawer);
    m_pPort->Exchange(closeDrawer.data(), static_cast<uint32_t>(closeDrawer.size()), nullptr, 0,
                      kNoAnswerSeconds);
    m_clock.sleep(kDrawerSettleMs);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
}

bool CVelmora::RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) {
    m_nTransporterSense = 0;
    m_nPrinterSense = 0;
    const uint32_t timeout = seconds < 0 ? kSenseSeconds : static_cast<uint32_t>(seconds);
    std::string command;
    uint32_t length = 0;
    if (m_bShortStatus) {
        command = Command(kCmdBootSense);
        length = kBootSenseLength;
    } else {
        command = Command(kCmdRequestSense);
        length = kSenseLength;
    }

    uint8_t answer[kSenseLength] = {};
    const auto commandLength = static_cast<uint32_t>(command.size());
    bool answered = m_pPort->Exchange(command.data(), commandLength, answer, length, timeout);
    if (!answered && m_pPort->GetErrorCode() == kSerialReceiveTimeout) {
        answered =
            m_pPort->Exchange(command.data(), commandLength, answer, length, kSenseRetrySeconds);
    }
    if (!answered) {
        return false; // the caller decides what the silence means
    }

    SenseCodes codes;
    std::string reason;
    const bool parsed = m_bShortStatus ? ParseBootSense(answer, length, codes, &reason)
                                       : ParseSense(answer, length, codes, &reason);
    if (!parsed) {
        m_strError = reason;
        return false;
    }
    m_nTransporterSense = codes.transporter;
    m_nPrinterSense = codes.printer;
    if (transporterSense != nullptr) {
        *transporterSense = m_nTransporterSense;
    }
    if (printerSense != nullptr) {
        *printerSense = m_nPrinterSense;
    }
    return true;
}

bool CVelmora::ExchangeOrFail(const std::string& command, void* answer, uint32_t answerLength,
                              uint32_t seconds, const std::string& prefix) {
    if (m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                          answerLength, seconds)) {
        return true;
    }
    // Without a prefix of its own, the text names the command that met the failure.
    m_strError = prefix.empty()
                     ? Format("%s (ESC %s)", m_pPort->GetErrorText(), CommandHead(command).c_str())
                     : prefix + m_pPort->GetErrorText();
    return false;
}

bool CVelmora::SenseAfterRefusal(const std::string& command, bool* noFault) {
    m_strError.clear();
    if (noFault)
        *noFault = false;
    if (RequestSense(kDefaultTimeout, nullptr, nullptr)) {
        FormatSenseError();
        if (m_strError.empty()) {
            if (noFault)
                *noFault = true;
            m_strError = UnconfirmedCommandText(command);
        }
        return true;
    }
    if (m_strError.empty()) {
        // The reason of the refusal cannot be read; the link's own message says why.
        m_strError = m_pPort->GetErrorText();
    }
    return false;
}

bool CVelmora::SendCommand(const std::string& command, uint32_t seconds) {
    uint8_t answer[kAckLength] = {};
    if (!ExchangeOrFail(command, answer, kAckLength, seconds)) {
        return false;
    }
    if (IsAcknowledged(answer, kAckLength)) {
        return true;
    }
    SenseAfterRefusal(command);
    return false;
}

bool CVelmora::SendStore(const std::string& command, uint32_t seconds, bool& taken) {
    uint8_t answer[kAckLength] = {};
    if (ExchangeOrFail(command, answer, kAckLength, seconds)) {
        if (IsAcknowledged(answer, kAckLength)) {
            taken = true;
            return true;
        }
        bool noFault = false;
        if (SenseAfterRefusal(command, &noFault) && !noFault) {
            // Refused for certain: only what an earlier command stored has changed.
            m_bStoreOutcomeUnknown = m_bStoreOutcomeUnknown || taken;
            return false;
        }
    }
    // The answer was lost or unreadable: the command may have been carried out.
    m_bStoreOutcomeUnknown = true;
    return false;
}

bool CVelmora::SetBaudRate(uint32_t baud) {
    uint8_t answer[kBaudAnswerLength] = {};
    if (!ExchangeOrFail(BaudCommand(baud), answer, kBaudAnswerLength, kBaudSeconds)) {
        return false;
    }
    if (IsBaudAccepted(answer, kBaudAnswerLength)) {
        return true;
    }
    SenseAfterRefusal(BaudCommand(baud));
    return false;
}

bool CVelmora::PositionMedium(int element, char action, int) {
    return SendCommand(Command(kCmdPositionMedium, element, action), kPositionSeconds);
}

bool CVelmora::OpenCloseElement(int element, bool open) {
    return SendCommand(Command(kCmdOpenCloseElement, element, open ? '1' : '0'), kOpenCloseSeconds);
}

bool CVelmora::ReadElementStatus(int element, int& state, int* value) {
    if (m_bBootCapableModel) {
        return false;
    }
    uint8_t answer[kElementStatusLength] = {};
    if (!ExchangeOrFail(Command(kCmdReadElementStatus, element), answer, kElementStatusLength,
                        kReadElementSeconds)) {
        return false;
    }
    ElementStatus status;
    std::string reason;
    if (!ParseElementStatus(answer, kElementStatusLength, status, &reason)) {
        m_strError = reason;
        return false;
    }
    state = status.state;
    if (value != nullptr) {
        *value = status.value;
    }
    if (status.valid) {
        return true;
    }
    SenseAfterRefusal(Command(kCmdReadElementStatus, element));
    return false;
}

void CVelmora::FormatSenseError() {
    // Only the text that goes into the message is built: the other buffer keeps its last text.
    const std::string transporterText = m_nTransporterSense > 0 ? GetSenseText() : std::string();
    const std::string printerText =
        m_nTransporterSense == 0 && m_nPrinterSense > 0 ? GetPrinterSenseText() : std::string();
    m_strError =
        FormatSenseErrorText(transporterText, printerText, m_nTransporterSense, m_nPrinterSense);
}

const std::string& CVelmora::GetSenseText() {
    m_strTransporterSenseText = TransporterSenseText(m_nTransporterSense);
    return m_strTransporterSenseText;
}

const std::string& CVelmora::GetPrinterSenseText() {
    m_strPrinterSenseText = PrinterSenseText(m_nPrinterSense, m_bMorranePrinter);
    return m_strPrinterSenseText;
}

} // namespace dax
