// The stand-alone disc printer's own command set, as the printer carries it out. It is the
// printer itself: its print set-up, drawer and pass commands are the printer commands; its
// settings, moves and serial number are not answered, and the host reads their outcome with
// ESC "!r3C", which reports one printer sense code.
#include "Answers.h"
#include "Numbers.h"
#include "SimTransporter.h"

namespace dax::sim {

namespace {

// Printer sense codes of the stand-alone printer.
constexpr int kInvalidData = 8;
constexpr int kBusy = 2;

constexpr long kSettingLimits[4] = {10, 150, 64, 999}; // left, top, rotation, pocket

} // namespace

std::optional<SReply> CSimTransporter::HandleInkographer(const SCommand& c) {
    SReply r;
    switch (c.kind) {
    case ECommand::InkSense:
        return InkSense();
    case ECommand::InkDrawer:
        m_elements.SetPrinterDrawer(true);
        r.send = true;
        r.answer = answer::Ack(c.head, true);
        return r;
    case ECommand::InkSetting:
        return InkSetting(c);
    case ECommand::LoadFromBin:
    case ECommand::InkReload:
        return InkMove(c);
    case ECommand::InkReadSerial:
        r.send = true;
        r.answer = std::string("\x1b!f:1 ") + m_strSerial;
        return r;
    case ECommand::InkStoreSerial:
        m_strSerial = c.data;
        return r;
    case ECommand::Counter:
        return InkCounter(c, c.letter >= '1' && c.letter <= '3');
    case ECommand::ReadElementStatus: {
        // Only the ROTATOR answers: state 0 with the disc handler, 2 without it.
        if (c.element != 280)
            return Refuse(c, 0, kInvalidData);
        r.send = true;
        r.answer = answer::ElementStatus(true, m_config.rotator ? 0 : 2, 0);
        return r;
    }
    case ECommand::Restart:
        r.restart = true;
        return r;
    case ECommand::Unknown:
        // Not answered either: the printer reports what it could not take in its sense.
        SetSense(0, kInvalidData);
        return r;
    default:
        return std::nullopt;
    }
}

SReply CSimTransporter::InkSense() {
    int printer = m_nPrinterSense;
    if (m_nBusyPolls > 0) {
        printer = kBusy;
        --m_nBusyPolls;
    }
    // The host's print wait reads no transporter code here: a finished print is not reported.
    m_nPrintBusyPolls = 0;
    m_bPrintEnded = false;
    SReply r;
    r.send = true;
    r.answer = "\x1b!r31" + Digits(printer, 3) + "C";
    SetSense(0, 0);
    return r;
}

SReply CSimTransporter::InkSetting(const SCommand& c) {
    SReply r; // not answered: the sense tells
    if (c.element < 0 || c.element > 3 || c.number > kSettingLimits[c.element]) {
        SetSense(0, kInvalidData);
        return r;
    }
    int* fields[4] = {&m_working.leftMargin, &m_working.topMargin, &m_working.rotationalOffset,
                      &m_working.pocketOffsets[0]}; // one pocket offset, whatever the media
    *fields[c.element] = static_cast<int>(c.number);
    // The printer keeps its settings at once; nothing waits for a store command.
    m_stored = m_working;
    return r;
}

SReply CSimTransporter::InkMove(const SCommand&) {
    // Without the disc handler the discs are placed by hand: nothing to move them with.
    if (!m_config.rotator)
        SetSense(0, kInvalidData);
    return {};
}

SReply CSimTransporter::InkCounter(const SCommand& c, bool valid) {
    SReply r;
    r.send = true;
    std::string answer = c.raw.substr(0, 5);
    if (!valid && answer.size() == 5)
        answer[4] = '0';
    answer += Digits(valid ? m_config.counters[c.letter - '1'] : 0, 6);
    r.answer = answer;
    return r;
}

} // namespace dax::sim
