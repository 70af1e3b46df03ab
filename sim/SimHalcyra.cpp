#include "SimHalcyra.h"

#include "Answers.h"
#include "Bytes.h"
#include "Numbers.h"

namespace dax::sim {

namespace {

constexpr int kMediumError = 3;
constexpr int kNoAlignPasses = 13;
constexpr int kAbsentPrinter = 255;

constexpr int kDriveHome = 240;
constexpr int kFirstDrive = 241;
constexpr int kLastDrive = 250;
constexpr int kGripper0 = 220;
constexpr int kGripper1 = 221;
constexpr int kPocket = 270;
constexpr int kRotator = 280;
constexpr int kMailbox = 300;
constexpr int kBinCapacity = 99;

// The picker's height at a drive: drives lie 3620 apart, the first one's band ends at 15150.
long DriveHeight(int drive) {
    return 13340 + static_cast<long>(drive - kFirstDrive) * 3620;
}

bool IsBin(int element) {
    return element >= 200 && element <= 203;
}

bool IsDrive(int element) {
    return element >= kFirstDrive && element <= kLastDrive;
}

std::string Padded(const std::string& text) {
    std::string out = text.substr(0, 8);
    out.resize(8, ' ');
    return out;
}

} // namespace

CSimHalcyra::CSimHalcyra(const SDeviceConfig& config) : m_config(config) {
    SHalcyraPrinter& a = m_printers[0];
    a.present = config.hal.printers >= 1;
    a.serial = Padded(config.printerSerial);
    for (int i = 0; i < 3; ++i)
        a.counters[i] = config.counters[i];
    a.alignPasses = config.alignPasses;
    a.sense = config.initialPrinterSense;

    SHalcyraPrinter& b = m_printers[1];
    b.present = config.hal.printers == 2;
    b.serial = Padded(config.hal.printerBSerial);
    for (int i = 0; i < 3; ++i)
        b.counters[i] = config.hal.printerBCounters[i];
    b.alignPasses = config.hal.alignB;
    b.sense = config.hal.initialPrinterBSense;

    m_nTransporterSense = config.initialTransporterSense;
    for (int bin = 200; bin <= 203; ++bin)
        m_discs[bin] = bin == 200 ? config.bin1Discs : 0;
    m_discs[kGripper0] = m_discs[kGripper1] = 0;
    for (int drive = kFirstDrive; drive <= kLastDrive; ++drive)
        m_discs[drive] = 0;
    m_discs[kPrinterA] = m_discs[kPrinterB] = 0;
}

SHalcyraPrinter* CSimHalcyra::PrinterAt(int element) {
    if (element != kPrinterA && element != kPrinterB)
        return nullptr;
    SHalcyraPrinter& p = m_printers[element - kPrinterA];
    return p.present ? &p : nullptr;
}

int* CSimHalcyra::Place(int element) {
    if ((element == kPrinterA || element == kPrinterB) && !PrinterAt(element))
        return nullptr;
    const auto setting = m_config.elements.find(element);
    if (setting != m_config.elements.end() && !setting->second.present)
        return nullptr;
    const auto it = m_discs.find(element);
    return it == m_discs.end() ? nullptr : &it->second;
}

void CSimHalcyra::Address(const SCommand& c) {
    switch (c.kind) {
    case ECommand::ReadElementStatus:
    case ECommand::PositionMedium:
    case ECommand::OpenCloseElement:
    case ECommand::Rotation:
    case ECommand::PrinterSetting:
    case ECommand::PrinterReady:
    case ECommand::Counter:
    case ECommand::ReadText:
    case ECommand::StoreText:
    case ECommand::StorePrinter:
        if (c.element == kPrinterA || c.element == kPrinterB)
            m_nAddressed = c.element - kPrinterA;
        break;
    default:
        break;
    }
}

std::optional<CSimHalcyra::SResult> CSimHalcyra::Handle(const SCommand& c) {
    Address(c);
    SResult r;
    switch (c.kind) {
    case ECommand::RequestSense:
        r.answer = Sense();
        return r;
    case ECommand::ReadElementStatus:
        return Status(c.element);
    case ECommand::PositionMedium:
        return Move(c.element, c.letter);
    case ECommand::OpenCloseElement: {
        SHalcyraPrinter* p = PrinterAt(c.element);
        const bool mailbox = c.element == kMailbox && m_config.mailbox;
        if ((!p && !mailbox) || (c.letter != '0' && c.letter != '1'))
            r.sense = kIllegalRequest;
        else if (p)
            p->drawerOut = c.letter == '1';
        return r;
    }
    case ECommand::Rotation:
        if (!PrinterAt(c.element))
            r.sense = kIllegalRequest;
        else if (m_discs[kGripper1] == 0)
            r.sense = kMediumError; // nothing in gripper 1 to turn
        return r;
    case ECommand::PrinterSetting:
        return Setting(c);
    case ECommand::PrinterReady:
        if (!PrinterAt(c.element))
            r.sense = kIllegalRequest;
        return r;
    case ECommand::Counter:
        return Counter(c);
    case ECommand::ReadText:
    case ECommand::StoreText: {
        if (c.element != kPrinterA && c.element != kPrinterB)
            return std::nullopt; // the transporter's own areas
        SHalcyraPrinter* p = PrinterAt(c.element);
        if (!p) {
            r.sense = kIllegalRequest;
        } else if (c.kind == ECommand::StoreText) {
            p->serial = c.data;
        } else {
            r.answer = answer::StoredText(Digits(c.element, 3), true, p->serial);
        }
        return r;
    }
    case ECommand::StorePrinter:
        if (SHalcyraPrinter* p = PrinterAt(c.element)) {
            p->stored = p->working;
            r.settingsChanged = true;
        } else {
            r.sense = kIllegalRequest;
        }
        return r;
    case ECommand::StoreSettings:
        for (SHalcyraPrinter& p : m_printers)
            p.stored = p.working;
        r.settingsChanged = true;
        return r;
    default:
        return std::nullopt;
    }
}

CSimHalcyra::SResult CSimHalcyra::Status(int element) {
    SResult r;
    int state = 0;
    long value = 0;
    if (element == kDriveHome) {
        value = m_nPickerHeight;
    } else if (const int* discs = Place(element)) {
        state = *discs > 0 ? 1 : 0;
        value = IsBin(element) ? *discs : 0;
    } else if (element == kPocket) {
        value = m_config.pocketValue;
    } else if (element == kRotator) {
        state = m_config.rotator ? 0 : 2;
    } else if (element == kMailbox) {
        state = m_config.mailbox ? 0 : 2;
    } else {
        r.sense = kIllegalRequest;
        return r;
    }
    if (const auto it = m_config.elements.find(element); it != m_config.elements.end()) {
        if (!it->second.present) {
            r.sense = kIllegalRequest;
            return r;
        }
        if (it->second.state >= 0)
            state = it->second.state;
        if (it->second.value >= 0)
            value = it->second.value;
    }
    r.answer = answer::ElementStatus(true, state, value);
    return r;
}

CSimHalcyra::SResult CSimHalcyra::Find(int element) {
    SResult r;
    if (element == kDriveHome) {
        // The picker goes down the drive column until it meets an open drawer.
        if (m_config.hal.openDrive == 0) {
            r.sense = kMediumError;
            return r;
        }
        m_nPickerHeight = m_config.hal.driveHeight >= 0 ? m_config.hal.driveHeight
                                                        : DriveHeight(m_config.hal.openDrive);
        return r;
    }
    const SHalcyraPrinter* p = PrinterAt(element);
    if (!p)
        r.sense = kIllegalRequest;
    else if (!p->drawerOut)
        r.sense = kMediumError;
    return r;
}

CSimHalcyra::SResult CSimHalcyra::Move(int element, char action) {
    SResult r;
    if (action == '2')
        return Find(element);
    int* place = Place(element);
    const bool picker = element == 2;
    if (action == '0' || action == '1') {
        // Plain moves of the picker: nothing is picked up or put down.
        if (!picker && !place && element != kDriveHome)
            r.sense = kIllegalRequest;
        else if (picker)
            m_nPickerHeight = 0;
        return r;
    }
    const bool put = action == '3' || action == '5' || action == '6';
    const bool get = action == '4' || action == '7';
    const int gripper = action == '3' || action == '4' ? kGripper0 : kGripper1;
    const bool printer = element == kPrinterA || element == kPrinterB;
    if ((!put && !get) || !place || element == kGripper0 || element == kGripper1 ||
        (action == '6' && !printer)) {
        r.sense = kIllegalRequest;
        return r;
    }
    // A recorder is reached only through its open drawer.
    if (IsDrive(element) && element != m_config.hal.openDrive) {
        r.sense = kMediumError;
        return r;
    }
    int& held = m_discs[gripper];
    if (put) {
        const int capacity = IsBin(element) ? kBinCapacity : 1;
        if (held == 0 || *place >= capacity) {
            r.sense = kMediumError;
            return r;
        }
        --held;
        ++*place;
    } else {
        if (held > 0)
            r.sense = kIllegalRequest;
        else if (*place == 0)
            r.sense = kMediumError;
        else {
            --*place;
            ++held;
        }
    }
    return r;
}

CSimHalcyra::SResult CSimHalcyra::Setting(const SCommand& c) {
    SResult r;
    SHalcyraPrinter* p = PrinterAt(c.element);
    if (!p) {
        r.sense = kIllegalRequest;
        return r;
    }
    SHalcyraPrinter::SSettings& s = p->working;
    long high = 0;
    int* field = nullptr;
    switch (c.letter) {
    case '4':
        field = &s.rotationalOffset;
        high = 64;
        break;
    case '6':
        field = &s.leftMargin;
        high = 10;
        break;
    default:
        field = &s.topMargin;
        high = 150;
        break;
    }
    if (c.letter == '4' && c.number == 100) {
        *field = SHalcyraPrinter::SSettings{}.rotationalOffset; // 100 restores the default
    } else if (c.number > high) {
        r.sense = kIllegalRequest;
        return r;
    } else {
        *field = static_cast<int>(c.number);
    }
    r.settingsChanged = true;
    return r;
}

CSimHalcyra::SResult CSimHalcyra::Counter(const SCommand& c) {
    SResult r;
    const SHalcyraPrinter* p = PrinterAt(c.element);
    if (!p || c.letter < '1' || c.letter > '3') {
        r.sense = kIllegalRequest;
        return r;
    }
    r.answer = c.raw.substr(0, 5) + Digits(p->counters[c.letter - '1'], 6);
    return r;
}

std::string CSimHalcyra::Sense() {
    int transporter = m_nTransporterSense;
    bool printing = false;
    bool ended = false;
    std::string codes;
    for (SHalcyraPrinter& p : m_printers) {
        int code = p.sense;
        if (!p.present) {
            code = kAbsentPrinter;
        } else if (p.alignBusyPolls > 0) {
            code = kPrinterBusy;
            if (--p.alignBusyPolls == 0 && !p.alignPasses)
                p.alignVerdict = true;
        } else if (p.alignVerdict) {
            code = kNoAlignPasses;
            p.alignVerdict = false;
        } else if (p.printBusyPolls > 0) {
            code = kPrinterBusy;
            --p.printBusyPolls;
            printing = true;
        } else if (p.printEnded) {
            p.printEnded = false;
            code = code == 0 ? m_config.printEndPrinterSense : code;
            ended = true;
        }
        codes += Digits(code, 3);
        p.sense = 0;
    }
    if (transporter == 0 && printing)
        transporter = kNotReady;
    else if (transporter == 0 && ended)
        transporter = m_config.printEndTransporterSense;
    m_nTransporterSense = 0;
    // A condition is reported once.
    return "\x1b!e1" + Digits(transporter, 3) + codes + "C";
}

void CSimHalcyra::SetSense(int transporterSense, int printerSense) {
    m_nTransporterSense = transporterSense;
    m_printers[m_nAddressed].sense = printerSense;
}

void CSimHalcyra::Restarted() {
    for (SHalcyraPrinter& p : m_printers) {
        p.working = p.stored;
        p.sense = 0;
        p.alignBusyPolls = 0;
        p.alignVerdict = false;
        p.printBusyPolls = 0;
        p.printEnded = false;
    }
    m_nTransporterSense = 0;
    m_nPickerHeight = 0;
}

void CSimHalcyra::SetDrawer(int printer, bool out) {
    m_printers[printer].drawerOut = out;
}

void CSimHalcyra::SelfCheck(int printer) {
    SHalcyraPrinter& p = m_printers[printer];
    if (!p.present)
        return;
    p.alignBusyPolls = m_config.alignBusyPolls;
    p.alignVerdict = !p.alignPasses && p.alignBusyPolls == 0;
}

void CSimHalcyra::PrintFinished(int printer) {
    SHalcyraPrinter& p = m_printers[printer];
    ++p.counters[0];
    p.printBusyPolls = m_config.printBusyPolls;
    p.printEnded = true;
}

} // namespace dax::sim
