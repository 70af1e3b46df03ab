#include "SimTransporter.h"

#include "Answers.h"
#include "Bytes.h"
#include "Identification.h"
#include "Numbers.h"

namespace dax::sim {

namespace {

constexpr int kNoPrinter = 9;
constexpr int kPrinterInvalidData = 8;

std::string Padded(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

// The loader parameter block: four flags and a beeps digit, then "000".
bool ValidParams(const std::string& d) {
    auto flag = [&](std::size_t i) { return d[i] == '0' || d[i] == '1'; };
    return d.size() == 8 && flag(0) && flag(1) && flag(2) && d[3] >= '0' && d[3] <= '9' &&
           flag(4) && d.compare(5, 3, "000") == 0;
}

} // namespace

CSimTransporter::CSimTransporter(const SDeviceConfig& config)
    : m_config(config), m_elements(config), m_nBaud(config.baud),
      m_nTransporterSense(config.initialTransporterSense),
      m_nPrinterSense(config.initialPrinterSense) {
    m_strSerial = Padded(config.serial, 8);
    m_strPrinterSerial = Padded(config.printerSerial, 8);
    m_strParams = Padded(config.paramFlags, 5) + "000";
    const std::string name = Padded(config.displayName, 16);
    m_strName1 = name.substr(0, 8);
    m_strName2 = name.substr(8);
    if (config.halcyra)
        m_halcyra = std::make_unique<CSimHalcyra>(config);
}

void CSimTransporter::SetSense(int transporterSense, int printerSense) {
    if (m_halcyra)
        m_halcyra->SetSense(transporterSense, printerSense);
    m_nTransporterSense = transporterSense;
    m_nPrinterSense = printerSense;
}

bool CSimTransporter::OldFirmware() const {
    return !m_config.bootFirmware && !m_config.revision.empty() && m_config.revision[0] < '3';
}

void CSimTransporter::StageFirmware(EFlashTarget target,
                                    const std::optional<SImageIdentification>& id) {
    m_staged = SStagedFirmware{target, id};
}

void CSimTransporter::RunNewFirmware() {
    const SStagedFirmware staged = *m_staged;
    m_staged.reset();
    if (!staged.id)
        return;
    const SImageIdentification& id = *staged.id;
    if (staged.target == EFlashTarget::Printer) {
        // The printer keeps its name and model; the image gives its revision.
        m_config.printerRevision = id.revision;
        m_config.printerSuffix = id.suffix;
        return;
    }
    m_config.name = id.name;
    m_config.revision = id.revision;
    m_config.suffix = id.suffix;
    if (!m_config.bootFirmware)
        return;
    // The start-up firmware has written normal firmware: the full command set from now on, and a
    // 240x shows the mailbox, printer and loader parameters its start-up firmware hides.
    m_config.bootFirmware = false;
    m_config.shortSense = m_config.configuration == EConfiguration::ShortStatus;
    if (id.family240x) {
        AddNormal240xFeatures(m_config);
        m_elements = CElements(m_config);
    }
}

void CSimTransporter::Restarted() {
    if (m_staged)
        RunNewFirmware();
    m_working = m_stored;
    m_nBusyPolls = 0;
    m_nPrintBusyPolls = 0;
    m_bPrintEnded = false;
    m_morraneCodes.clear();
    m_bLeds = false;
    SetSense(0, 0);
    if (m_halcyra)
        m_halcyra->Restarted();
}

bool CSimTransporter::Knows(ECommand kind) const {
    switch (kind) {
    case ECommand::Unknown:
        return false;
    case ECommand::ShortSense:
        return m_config.shortSense;
    case ECommand::Inquiry:
    case ECommand::RequestSense:
    case ECommand::BaudRate:
    case ECommand::BeginFlash:
    case ECommand::Restart:
        return true;
    default:
        // The start-up firmware knows no more than it needs to take new firmware.
        return !m_config.bootFirmware;
    }
}

int CSimTransporter::AnswerLength(const SCommand& c) const {
    if (!Knows(c.kind))
        return c.answerLength == 0 ? 0 : 6;
    if (c.kind == ECommand::Inquiry)
        return 7 + IdentificationCount(m_config);
    return c.answerLength;
}

SReply CSimTransporter::Ack(const SCommand& c, int sense) {
    if (sense != 0)
        SetSense(sense, 0);
    SReply r;
    r.send = true;
    r.answer = answer::Ack(c.head, sense == 0);
    return r;
}

SReply CSimTransporter::Refuse(const SCommand& c, int transporterSense, int printerSense) {
    if (m_halcyra)
        m_halcyra->Address(c);
    SetSense(transporterSense, printerSense);
    SReply r;
    r.send = c.answerLength > 0;
    switch (c.kind) {
    case ECommand::Inquiry:
        r.answer = answer::InquiryHead(0);
        break;
    case ECommand::RequestSense:
        return Sense(false);
    case ECommand::ShortSense:
        return Sense(true);
    case ECommand::ReadElementStatus:
        r.answer = answer::ElementStatus(false, 0, 0);
        break;
    case ECommand::ReadText:
        r.answer = answer::StoredText(Digits(c.element, 3), false, "");
        break;
    case ECommand::BaudRate:
        r.answer = answer::Baud(false);
        break;
    case ECommand::Counter:
        if (m_config.inkographer)
            return InkCounter(c, false);
        if (m_halcyra) {
            // Not led by ESC "!f;", so that the host takes no number from it.
            r.answer = "\x1b!f00" + Digits(0, 6);
            break;
        }
        r.answer = answer::Counter(c.raw, false, 0);
        break;
    case ECommand::InkSense:
        return InkSense();
    default:
        r.answer = answer::Ack(c.head, false);
        break;
    }
    return r;
}

SReply CSimTransporter::Handle(const SCommand& c) {
    if (m_config.inkographer) {
        if (auto reply = HandleInkographer(c))
            return *reply;
    }
    if (m_halcyra) {
        if (auto reply = HandleHalcyra(c))
            return *reply;
    }
    if (!Knows(c.kind)) {
        if (c.answerLength == 0)
            return {}; // printer bytes this firmware has no use for
        return Ack(c, kIllegalRequest);
    }
    const bool hasPrinter = m_config.printer != EPrinter::None || m_config.builtInPrinter;
    SReply r;
    switch (c.kind) {
    case ECommand::Inquiry: {
        const std::string id = BuildIdentification(m_config);
        r.send = true;
        r.answer = answer::InquiryHead(static_cast<int>(id.size())) + id;
        return r;
    }
    case ECommand::RequestSense:
        return Sense(false);
    case ECommand::ShortSense:
        return Sense(true);
    case ECommand::ReadElementStatus: {
        const auto status = m_elements.Status(c.element);
        if (!status)
            return Refuse(c, kIllegalRequest, 0);
        r.send = true;
        r.answer = answer::ElementStatus(true, status->state, status->value);
        return r;
    }
    case ECommand::PositionMedium:
        return Ack(c, m_elements.Move(c.element, c.letter));
    case ECommand::OpenCloseElement:
        return Ack(c, m_elements.OpenClose(c.element, c.letter));
    case ECommand::LoadFromBin:
        return Ack(c, hasPrinter ? m_elements.LoadFromBin(static_cast<int>(c.number)) : kNoPrinter);
    case ECommand::RotationalOffset:
        if (hasPrinter && c.number == 100) {
            m_working.Offset() = SSettings::kDefaultOffset;
            r = Ack(c, 0);
            r.settingsChanged = true;
        } else {
            r = Setting(c, 0, 64, m_working.Offset());
        }
        // A pocket disc's offset goes to the firmware's memory as it is set; only the plain
        // disc's settings wait for ESC "!h1C".
        if (r.settingsChanged && m_working.mediaSize >= 4)
            m_stored.pocketOffsets[m_working.mediaSize - 4] = m_working.Offset();
        return r;
    case ECommand::LeftMargin:
        return Setting(c, 0, 10, m_working.leftMargin);
    case ECommand::TopMargin:
        return Setting(c, 0, 150, m_working.topMargin);
    case ECommand::MediaSize:
        if (c.number == 1 || c.number == 2 || c.number == 3 || c.number > 6)
            return Ack(c, kIllegalRequest);
        return Setting(c, 0, 6, m_working.mediaSize);
    case ECommand::Leds:
        if (c.number != 111 && c.number != 0)
            return Ack(c, kIllegalRequest);
        m_bLeds = c.number == 111;
        return Ack(c, 0);
    case ECommand::Counter:
        return Counter(c);
    case ECommand::ReadText:
        return ReadText(c);
    case ECommand::StoreText:
        return StoreText(c);
    case ECommand::BaudRate:
        return Baud(c);
    case ECommand::BeginFlash:
        if (c.number < 1 || static_cast<std::size_t>(c.number) > CFlashReceiver::kMaxImage)
            return Ack(c, kIllegalRequest);
        r = Ack(c, 0);
        r.flashBytes = static_cast<std::size_t>(c.number);
        r.flashTarget = EFlashTarget::Transporter;
        r.flashChecksummed = OldFirmware();
        return r;
    case ECommand::BeginPrinterFlash:
        if (!NormalPrinter() || m_config.builtInPrinter)
            return Ack(c, hasPrinter ? kIllegalRequest : kNoPrinter);
        r = Ack(c, 0);
        r.flashBytes = CFlashReceiver::kPrinterImage;
        r.flashTarget = EFlashTarget::Printer;
        return r;
    case ECommand::StoreSettings:
        m_stored = m_working;
        r = Ack(c, 0);
        r.settingsChanged = true;
        return r;
    case ECommand::Restart:
        r = Ack(c, 0);
        r.restart = true;
        return r;
    case ECommand::InkSense:
    case ECommand::InkDrawer:
    case ECommand::InkSetting:
    case ECommand::InkReload:
    case ECommand::InkReadSerial:
    case ECommand::InkStoreSerial:
    case ECommand::PrinterSetting:
    case ECommand::Rotation:
    case ECommand::PrinterReady:
    case ECommand::StorePrinter:
    case ECommand::Unknown:
        break; // the stand-alone printer's commands are not the transporter's
    }
    return Ack(c, kIllegalRequest);
}

std::optional<SReply> CSimTransporter::HandleHalcyra(const SCommand& c) {
    const auto result = m_halcyra->Handle(c);
    if (!result)
        return std::nullopt;
    if (result->sense != 0 || result->printerSense != 0)
        return Refuse(c, result->sense, result->printerSense);
    SReply r;
    r.send = true;
    r.answer = result->answer.empty() ? answer::Ack(c.head, true) : result->answer;
    r.settingsChanged = result->settingsChanged;
    return r;
}

SReply CSimTransporter::Sense(bool shortForm) {
    if (m_halcyra) {
        SReply r;
        r.send = true;
        r.answer = m_halcyra->Sense();
        SetSense(0, 0);
        return r;
    }
    int transporter = m_nTransporterSense;
    int printer = m_nPrinterSense;
    if (m_nBusyPolls > 0) {
        printer = kPrinterBusy;
        --m_nBusyPolls;
    }
    if (m_nPrintBusyPolls > 0) {
        // Still printing: the transporter is not ready and its printer busy.
        transporter = transporter == 0 ? kNotReady : transporter;
        printer = kPrinterBusy;
        --m_nPrintBusyPolls;
    } else if (m_bPrintEnded) {
        m_bPrintEnded = false;
        transporter = transporter == 0 ? m_config.printEndTransporterSense : transporter;
        printer = printer == 0 ? m_config.printEndPrinterSense : printer;
    } else if (!m_morraneCodes.empty()) {
        printer = m_morraneCodes.front();
        m_morraneCodes.pop_front();
    }
    SReply r;
    r.send = true;
    r.answer = shortForm ? answer::ShortSense(transporter) : answer::Sense(transporter, printer);
    // Like a SCSI target: the condition is reported once.
    SetSense(0, 0);
    return r;
}

SReply CSimTransporter::Setting(const SCommand& c, long low, long high, int& value) {
    if (m_config.printer == EPrinter::None && !m_config.builtInPrinter)
        return Ack(c, kNoPrinter);
    if (c.number < low || c.number > high)
        return Ack(c, kIllegalRequest);
    value = static_cast<int>(c.number);
    SReply r = Ack(c, 0);
    r.settingsChanged = true;
    return r;
}

SReply CSimTransporter::Counter(const SCommand& c) {
    if (m_config.printer == EPrinter::None)
        return Refuse(c, kNoPrinter, 0);
    if (!NormalPrinter() || c.letter < '1' || c.letter > '3')
        return Refuse(c, kIllegalRequest, 0);
    SReply r;
    r.send = true;
    r.answer = answer::Counter(c.raw, true, m_config.counters[c.letter - '1']);
    return r;
}

bool CSimTransporter::HasArea(int area) const {
    switch (area) {
    case 0:
        return true;
    case 260:
        return m_config.printer != EPrinter::None && !m_config.builtInPrinter;
    case 99:
    case 100:
    case 101:
        return m_config.loaderParams;
    default:
        return false;
    }
}

std::string* CSimTransporter::Area(int area) {
    if (!HasArea(area))
        return nullptr;
    switch (area) {
    case 0:
        return &m_strSerial;
    case 260:
        return &m_strPrinterSerial;
    case 99:
        return &m_strParams;
    case 100:
        return &m_strName1;
    default:
        return &m_strName2;
    }
}

SReply CSimTransporter::ReadText(const SCommand& c) {
    const std::string* text = Area(c.element);
    if (!text)
        return Refuse(c, kIllegalRequest, 0);
    SReply r;
    r.send = true;
    r.answer = answer::StoredText(Digits(c.element, 3), true, *text);
    return r;
}

SReply CSimTransporter::StoreText(const SCommand& c) {
    std::string* text = Area(c.element);
    if (!text || (c.element == 99 && !ValidParams(c.data)))
        return Ack(c, kIllegalRequest);
    *text = c.data;
    return Ack(c, 0);
}

SReply CSimTransporter::Baud(const SCommand& c) {
    int rate = 0;
    if (c.number == 9600 || c.number == 38400)
        rate = static_cast<int>(c.number);
    else if (c.number == 11520) // 115200 in the five-digit field
        rate = 115200;
    if (rate == 0)
        return Refuse(c, kIllegalRequest, 0);
    SReply r;
    r.send = true;
    r.answer = answer::Baud(true);
    r.newBaud = rate;
    return r;
}

bool CSimTransporter::PassesPrintData() const {
    return (m_config.printer != EPrinter::None || m_config.builtInPrinter ||
            m_config.inkographer) &&
           !m_config.bootFirmware;
}

void CSimTransporter::SetPrinterDrawer(bool open, int printer) {
    if (m_halcyra)
        m_halcyra->SetDrawer(printer, open);
    else
        m_elements.SetPrinterDrawer(open);
}

long CSimTransporter::PrintCount(int printer) const {
    return m_halcyra ? m_halcyra->Printer(printer).counters[0] : m_config.counters[0];
}

void CSimTransporter::ProgramPrinter(int printer, const std::optional<SImageIdentification>& id) {
    if (!id)
        return; // programmed, but the printer goes on reporting the revision it had
    (printer == 0 ? m_config.printerRevision : m_config.hal.printerBRevision) = id->revision;
    if (printer == 0)
        m_config.printerSuffix = id->suffix;
}

void CSimTransporter::PrinterSelfCheck(int printer) {
    if (m_halcyra) {
        m_halcyra->SelfCheck(printer);
        return;
    }
    if (NormalPrinter() && m_config.alignPasses)
        m_nBusyPolls = m_config.alignBusyPolls;
    else
        SetSense(0, kPrinterInvalidData);
}

void CSimTransporter::PrintFinished(int printer) {
    if (m_halcyra) {
        m_halcyra->PrintFinished(printer);
        return;
    }
    ++m_config.counters[0];
    if (m_config.printer == EPrinter::Morrane) {
        m_morraneCodes.assign(m_config.morraneCodes.begin(), m_config.morraneCodes.end());
        return;
    }
    m_nPrintBusyPolls = m_config.printBusyPolls;
    m_bPrintEnded = true;
}

} // namespace dax::sim
