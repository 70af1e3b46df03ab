#include "devices/Answers.h"
#include "devices/CVelmora.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/SenseText.h"
#include "link/CTransporterPort.h"

namespace dax {

namespace {

constexpr uint32_t kStepDownBaud = 38400;
constexpr uint32_t kFastBaud = 115200;

} // namespace

bool CVelmora::SendSetting(const std::string& command) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    return SendCommand(command, kSettingSeconds);
}

bool CVelmora::SetTopMargin(int value) {
    return SendSetting(Command(kCmdTopMargin, value));
}

bool CVelmora::SetLeftMargin(int value) {
    return SendSetting(Command(kCmdLeftMargin, value));
}

bool CVelmora::SetRotationalOffset(int offset) {
    return SendSetting(Command(kCmdRotationalOffset, offset));
}

// The pocket disc shares the rotational offset; the media size says which one is meant.
bool CVelmora::SetPocketOffset(int offset) {
    return SendSetting(Command(kCmdRotationalOffset, offset));
}

bool CVelmora::SetMediaSize(int sizeCode) {
    return SendSetting(Command(kCmdMediaSize, sizeCode));
}

bool CVelmora::LoadPocketDisc(bool fromBin1) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (!PositionMedium(fromBin1 ? kElementBin1 : kElementPrinter, kActionGet, 0)) {
        return false;
    }
    return PositionMedium(kElementPocket, kActionPut, 0);
}

bool CVelmora::UnloadPrinter() {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (!PositionMedium(kElementPrinter, kActionGet, 0)) {
        if (m_nTransporterSense == kTransporterSenseMediumError) {
            // No disc to take: close the drawer anyway, and keep the reason of the failed move.
            const std::string reason = m_strError;
            OpenCloseElement(kElementPrinter, false);
            m_strError = reason;
        }
        return false;
    }
    OpenCloseElement(kElementPrinter, false);
    return PositionMedium(m_bLoaderModel ? kElementMailbox : kElementBin2, kActionPut, 0);
}

bool CVelmora::SaveSettings(bool store) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);

    // The restart runs at 38400; a faster link is brought back up afterwards.
    const bool fast = m_pPort->GetBaudRate() > kStepDownBaud;
    if (fast) {
        if (!SetBaudRate(kStepDownBaud)) {
            return false;
        }
        if (!m_pPort->ChangeBaudRate(kStepDownBaud)) {
            m_strError = m_pPort->GetErrorText();
            return false;
        }
    }

    if (store && !m_bBootCapableModel && !m_bMorranePrinter && !m_bShortStatus &&
        !SendCommand(Command(kCmdStoreSettings), kStoreSettingsSeconds)) {
        // Not stored: a restart would throw away what was sent, so the transporter keeps
        // running with it, and the caller must not report it saved.
        const std::string why = kSettingsNotStored + m_strError;
        if (fast && SetBaudRate(kFastBaud))
            m_pPort->ChangeBaudRate(kFastBaud);
        m_strError = why;
        return false;
    }
    SendCommand(Command(kCmdRestart), kRestartSeconds);

    if (!WaitForRestart()) {
        // Nothing answers, so there is nobody to hear a rate change either.
        return false;
    }

    if (fast && SetBaudRate(kFastBaud) && !m_pPort->ChangeBaudRate(kFastBaud)) {
        // The transporter runs at the fast rate now but the port could not follow.
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    return true;
}

void CVelmora::FlashLeds(int count) {
    for (int i = 0; i < count; ++i) {
        if (!SendCommand(Command(kCmdLedsOn), kLedSeconds)) {
            return;
        }
        m_clock.sleep(kLedPauseMs);
        if (!SendCommand(Command(kCmdLedsOff), kLedSeconds)) {
            return;
        }
        m_clock.sleep(kLedPauseMs);
    }
}

// Cycles the mailbox door for as long as the transporter answers: the test ends with the first
// failing command, or when the window is being closed.
void CVelmora::TestMailbox() {
    m_nMailboxCycles = 0;
    int state = 0;
    bool answered = ReadElementStatus(kElementMailbox, state);
    while (answered && !m_interaction.LoopStopRequested()) {
        if (state == kStateMailboxFull) {
            m_interaction.PumpMessages();
            m_clock.sleep(kMailboxFullPauseMs);
        } else {
            if (!OpenCloseElement(kElementMailbox, false)) {
                return;
            }
            m_interaction.PumpMessages();
            m_clock.sleep(kMailboxCyclePauseMs);
            if (!OpenCloseElement(kElementMailbox, true)) {
                return;
            }
            ++m_nMailboxCycles;
            m_interaction.PumpMessages();
            m_clock.sleep(kMailboxCyclePauseMs);
        }
        answered = ReadElementStatus(kElementMailbox, state);
    }
}

int CVelmora::GetRebootDelay() {
    return kRebootDelaySeconds;
}

int CVelmora::GetPrinterCounter(int printer, int counter) {
    const int revision = m_nTransporterRevision;
    const bool countingFirmware =
        revision >= kRevisionCountersNew ||
        (revision >= kRevisionCountersOld && revision < kRevisionCountersOldEnd);
    if (printer > 0 || m_nPrinterRevision < kRevisionPrinterCounters || m_bLoaderModel ||
        !countingFirmware) {
        return -1;
    }
    // Counters 1-3: print, ribbon and image count.
    if (counter < 1 || counter > 3) {
        return -1;
    }
    const std::string command = Command(kCmdCounter, static_cast<char>('0' + counter));
    uint8_t answer[kCounterLength] = {};
    static const char* const kCounterNames[] = {"Print", "Ribbon", "Image"};
    if (!ExchangeOrFail(command, answer, kCounterLength, kCounterSeconds,
                        std::string("Get ") + kCounterNames[counter - 1] + " Count - ")) {
        return -1;
    }
    const int value = ParseCounter(command, answer, kCounterLength);
    return value < 0 ? -1 : value;
}

int CVelmora::GetPrinterKind() {
    if (m_bMorraneDKPR21 || m_bMorraneDKPR22) {
        return 2;
    }
    if (m_bMorranePrinter) {
        return 1;
    }
    return m_nPrinters == 1 ? 0 : 3;
}

bool CVelmora::WaitForRestart() {
    bool answered = RequestSense(kDefaultTimeout, nullptr, nullptr);
    for (int retry = 0; !answered && retry < kRestartSenseRetries; ++retry) {
        m_clock.sleep(kRestartSensePauseMs);
        answered = RequestSense(kDefaultTimeout, nullptr, nullptr);
    }
    if (!answered)
        m_strError = kNoAnswerAfterRestart;
    return answered;
}

} // namespace dax
