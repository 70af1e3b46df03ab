#include "Elements.h"

namespace dax::sim {

namespace {

constexpr int kSenseMediumError = 3;
constexpr int kSenseIllegalRequest = 5;
constexpr int kStackCapacity = 99;

// States of the probed elements for each configuration: {BIN4, DRIVE HOME, DRIVE1, DRIVE3}.
struct SProbeStates {
    int bin4, driveHome, drive1, drive3;
};

SProbeStates ProbeStates(EConfiguration c) {
    switch (c) {
    case EConfiguration::Drive1:
        return {2, 0, 2, 2};
    case EConfiguration::Drive3:
        return {2, 0, 0, 0};
    case EConfiguration::Bin4:
        return {0, 0, 0, 0};
    case EConfiguration::ShortStatus:
        return {0, 2, 0, 0};
    case EConfiguration::Basic:
        break;
    }
    return {2, 0, 0, 2};
}

} // namespace

CElements::CElements(const SDeviceConfig& c) {
    const SProbeStates probe = ProbeStates(c.configuration);
    for (int bin = 200; bin <= 203; ++bin)
        m_slots[bin] = SSlot{true, false, false, bin == BIN1 ? c.bin1Discs : 0, -1, 0};
    m_slots[BIN4].fixedState = probe.bin4;
    m_slots[GRIPPER] = SSlot{};
    m_slots[DRIVE_HOME] = SSlot{false, false, false, 0, probe.driveHome, 0};
    for (int drive = 241; drive <= 244; ++drive)
        m_slots[drive] = SSlot{false, true, false, 0, -1, 0};
    m_slots[DRIVE1].fixedState = probe.drive1;
    m_slots[DRIVE3].fixedState = probe.drive3;
    if (c.printer != EPrinter::None || c.builtInPrinter) {
        m_slots[PRINTER] = SSlot{false, true, false, 0, -1, 0};
        // The last digit of the pocket position's value tells colour (0, 1) or monochrome (2).
        m_slots[POCKET] = SSlot{false, false, false, 0, -1, c.pocketValue};
    }
    m_slots[ROTATOR] = SSlot{false, false, false, 0, c.rotator ? 0 : 2, 0};
    m_slots[MAILBOX] = SSlot{true, true, false, 0, c.mailbox ? 0 : 2, 0};

    for (const auto& [element, setting] : c.elements) {
        if (!setting.present) {
            m_slots.erase(element);
            continue;
        }
        SSlot& s = m_slots[element];
        s.fixedState = setting.state;
        if (setting.value >= 0) {
            s.value = setting.value;
            if (s.stack)
                s.discs = setting.value;
        }
    }
}

CElements::SSlot* CElements::Find(int element) {
    // The pocket position is a place on the printer tray: one disc slot with the printer.
    if (element == POCKET && m_slots.count(POCKET))
        element = PRINTER;
    const auto it = m_slots.find(element);
    return it == m_slots.end() ? nullptr : &it->second;
}

const CElements::SSlot* CElements::Find(int element) const {
    return const_cast<CElements*>(this)->Find(element);
}

std::optional<CElements::SStatus> CElements::Status(int element) const {
    const auto it = m_slots.find(element);
    if (it == m_slots.end())
        return std::nullopt;
    const SSlot& own = it->second;
    const SSlot* content = Find(element);
    const int discs = element == GRIPPER ? (m_bHolding ? 1 : 0) : content->discs;
    const int state = own.fixedState >= 0 ? own.fixedState : (discs > 0 ? 1 : 0);
    const long value = own.stack ? discs : own.value;
    return SStatus{state, value};
}

int CElements::Move(int element, char action) {
    SSlot* s = Find(element);
    if (!s || element == GRIPPER || !Fitted(*s))
        return kSenseIllegalRequest;
    switch (action) {
    case '0':
        return 0;
    case '1':
        if (!m_bHolding || s->discs >= (s->stack ? kStackCapacity : 1))
            return kSenseMediumError;
        ++s->discs;
        m_bHolding = false;
        return 0;
    case '2':
        if (m_bHolding)
            return kSenseIllegalRequest;
        if (s->discs == 0)
            return kSenseMediumError;
        --s->discs;
        m_bHolding = true;
        return 0;
    case '3':
        // Tells the host whether the printer drawer it opened through a printer port is ours.
        if (element != PRINTER)
            return kSenseIllegalRequest;
        return s->open ? 0 : kSenseMediumError;
    default:
        return kSenseIllegalRequest;
    }
}

int CElements::OpenClose(int element, char how) {
    SSlot* s = Find(element);
    if (!s || !s->door || !Fitted(*s) || (how != '0' && how != '1'))
        return kSenseIllegalRequest;
    s->open = how == '1';
    return 0;
}

int CElements::LoadFromBin(int bin) {
    const SSlot* rotator = Find(ROTATOR);
    if (!rotator || !Fitted(*rotator))
        return kSenseIllegalRequest;
    // A disc already in the gripper (taken from BIN1 or from the printer just before) goes onto
    // the printer through the rotator; with an empty gripper the disc comes from the bin.
    const SSlot* printer = Find(PRINTER);
    if (!printer)
        return kSenseIllegalRequest;
    if (printer->discs > 0)
        return kSenseMediumError; // nothing is picked up for a printer that is not free
    if (!m_bHolding) {
        if (bin < 0 || bin > 3)
            return kSenseIllegalRequest;
        if (const int sense = Move(BIN1 + bin, '2'))
            return sense;
    }
    return Move(PRINTER, '1');
}

void CElements::SetPrinterDrawer(bool open) {
    if (SSlot* s = Find(PRINTER))
        s->open = open;
}

bool CElements::PrinterDrawerOpen() const {
    const SSlot* s = Find(PRINTER);
    return s && s->open;
}

} // namespace dax::sim
