#include "devices/Answers.h"
#include "devices/CInkographer.h"
#include "devices/Commands.h"
#include "devices/FlashImageDescription.h"
#include "devices/FlashImageHeader.h"
#include "link/CTransporterPort.h"
#include "patterns/BuiltInPatterns.h"
#include "platform/Format.h"

#include <algorithm>
#include <cstring>

namespace dax {

namespace {

// CTS waits (s), sense time-outs (s) and read time-outs (ms) of the disc moves.
constexpr uint32_t kCtsShort = 3;
constexpr uint32_t kCtsPrintStart = 20;
constexpr uint32_t kCtsMove = 120;
constexpr uint32_t kCtsUnload = 10;
constexpr uint32_t kCtsRestart = 30;
constexpr int kSenseShort = 3;
constexpr int kSensePrint = 60;
constexpr int kSensePrintAtAngle = 180;
constexpr int kSenseReload = 120;
constexpr int kSensePocket = 60;
constexpr int kSenseUnload = 10;
constexpr int kSenseRestart = 20;
constexpr uint32_t kReadMoveMs = 60000;
constexpr uint32_t kReadNormalMs = 20000;
constexpr uint32_t kReadRestartMs = 30000;
constexpr uint32_t kRestartWaitMs = 10000;
constexpr uint32_t kLedSecondMs = 1000;

constexpr uint32_t kSerialSeconds = 5;
constexpr uint32_t kDrawerSeconds = 15;
constexpr uint32_t kFlashSeconds = 30;
// Print data on the link: a constant and a per-byte part of the write time-out.
constexpr uint32_t kPrintWriteConstantMs = 180000;
constexpr uint32_t kPrintWritePerByteMs = 100;

constexpr uint32_t kFlashHeaderBlock = 4096;

} // namespace

bool CInkographer::LoadPrinter(int angle) {
    if (m_bManualLoading) {
        if (m_interaction.ShowMessage(kPlaceDiscText, Question::DiscOnTray))
            return true;
        m_strError = kDiscNotPlaced;
        return false;
    }
    m_pPort->SetCtsWait(kCtsShort);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    std::string command;
    int senseTimeout = 0;
    m_pPort->SetCtsWait(angle < 0 ? kCtsPrintStart : kCtsMove);
    m_nSenseTimeout = kSenseShort;
    if (!SendAndCheck(Command(kCmdInkPrintStart))) {
        return false;
    }
    if (angle < 0) {
        command = Command(kCmdInkPrintNoAngle);
        senseTimeout = kSensePrint;
    } else {
        command = Command(kCmdLoadPrinter, angle);
        senseTimeout = kSensePrintAtAngle;
    }
    m_nSenseTimeout = senseTimeout;
    return SendAndCheck(command);
}

bool CInkographer::ReloadPrinter(int angle) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetCtsWait(kCtsMove);
    m_pPort->SetReadTimeout(kReadMoveMs);
    m_nSenseTimeout = kSenseReload;
    return SendAndCheck(Command(kCmdInkReload, angle == -1 ? 0 : angle));
}

bool CInkographer::LoadPocketDisc(bool fromBin) {
    m_pPort->SetCtsWait(kCtsShort);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetCtsWait(kCtsMove);
    m_pPort->SetReadTimeout(kReadMoveMs);
    m_nSenseTimeout = kSensePocket;
    const bool ok =
        SendAndCheck(Command(fromBin ? kCmdInkPocketFromBin : kCmdInkPocketFromPrinter));
    m_pPort->SetReadTimeout(kReadNormalMs);
    return ok;
}

bool CInkographer::UnloadPrinter() {
    if (m_bManualLoading) {
        return true;
    }
    m_pPort->SetCtsWait(kCtsShort);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetCtsWait(kCtsUnload);
    m_nSenseTimeout = kSenseUnload;
    return SendAndCheck(Command(kCmdOpenPrinterDrawer));
}

bool CInkographer::GetSerialNumbers(std::string& transporterSerial, std::string& printerSerial) {
    transporterSerial.clear();
    printerSerial.clear();
    if (m_bOtpFirmware) {
        m_strError = kOtpText;
        return false;
    }
    m_pPort->SetCtsWait(kCtsShort);
    const std::string command = Command(kCmdInkReadSerial);
    uint8_t answer[kStoredTextLength] = {};
    if (!m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                           kStoredTextLength, kSerialSeconds)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    StoredText stored;
    if (!ParseStoredText(answer, kStoredTextLength, stored) || !stored.valid) {
        SenseAfterRefusal(command);
        return false;
    }
    printerSerial = stored.text;
    return true;
}

bool CInkographer::SetSerialNumbers(const std::string&, const std::string& printerSerial) {
    m_pPort->SetCtsWait(kCtsShort);
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    const std::string command = Command(kCmdInkStoreSerial, printerSerial.c_str());
    m_nSenseTimeout = kSenseShort;
    // Not answered: only a sense that reports a fault says the serial was not taken.
    bool unconfirmed = false;
    const bool taken = SendAndCheck(command, &unconfirmed);
    m_bStoreOutcomeUnknown = m_bStoreOutcomeUnknown || unconfirmed;
    return taken;
}

bool CInkographer::CheckFlashFile(const uint8_t* image, uint32_t length) {
    m_bPrinterFirmwareFile = false;
    m_strFlashMismatch.clear();
    // The size first: a shorter file does not reach the identification at all.
    if (image == nullptr || length != kFlashImageSize) {
        return RefuseFlashImage(Format("this printer takes images of exactly %u bytes, the image "
                                       "has %u",
                                       kFlashImageSize, image == nullptr ? 0 : length));
    }
    // Nothing past the header block the caller passes is read.
    const FlashImageDescription described = DescribeFlashImage(image, kFlashHeaderBlock);
    const ImageHeader header(image, kFlashHeaderBlock);
    if (!header.Has(kImageIdOffset, kPrinterImageId, true)) {
        return RefuseFlashImage(described.known
                                    ? "the image is " + FlashImageSummary(described) +
                                          ", this is the stand-alone CD-R Inkographer"
                                    : FlashImageSummary(described) + " found in the image");
    }
    const std::string_view model =
        m_nTransporterRevision < kRevisionFlashModel1 ? kFamilyInkographer0 : kFamilyInkographer1;
    if (header.HasFamily(model)) {
        return true;
    }
    return RefuseFlashImage(Format("the image is for %s, this printer (revision %s) takes %s",
                                   FamilyText(described.family).c_str(),
                                   RevisionText(m_nTransporterRevision, 0).c_str(),
                                   FamilyText(std::string(model)).c_str()));
}

bool CInkographer::BeginFlash(uint32_t length) {
    return ExchangeAcknowledged(Command(kCmdBeginFlash, static_cast<int>(length)), kFlashSeconds);
}

bool CInkographer::SendFlashData(const uint8_t* data, uint32_t length) {
    if (m_pPort->Exchange(data, length, nullptr, 0, kFlashSeconds)) {
        return true;
    }
    m_strError = std::string("Error sending flash data - ") + m_pPort->GetErrorText();
    return false;
}

bool CInkographer::SaveSettings(bool) {
    m_pPort->SetCtsWait(kCtsRestart);
    m_pPort->SetReadTimeout(kReadRestartMs);
    if (!SendNoAnswer(Command(kCmdRestart))) {
        return false;
    }
    m_clock.sleep(kRestartWaitMs);
    m_nSenseTimeout = kSenseRestart;
    const bool ok = RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetReadTimeout(kReadNormalMs);
    return ok;
}

void CInkographer::FlashLeds(int count) {
    for (int i = 0; i < count; ++i) {
        m_clock.sleep(kLedSecondMs);
    }
}

bool CInkographer::SendPrintData(const uint8_t* data, uint32_t length) {
    // Without its own time-out a write to a stalled printer could block for ever.
    if (!m_pPort->SetWriteTimeouts(kPrintWriteConstantMs, kPrintWritePerByteMs)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    for (uint32_t sent = 0; sent < length; sent += kPrintPiece) {
        if (!m_pPort->Write(data + sent, std::min(kPrintPiece, length - sent))) {
            m_strError = m_pPort->GetErrorText();
            return false;
        }
    }
    return true;
}

bool CInkographer::OpenPrinterDrawer() {
    const std::string command = Command(kCmdInkOpenDrawer);
    if (m_bManualLoading) {
        return SendNoAnswer(command);
    }
    return ExchangeAcknowledged(command, kDrawerSeconds);
}

bool CInkographer::SendPrePrint() {
    return true;
}

int CInkographer::GetPrinterCounter(int printer, int counter) {
    if (printer > 0 || m_nTransporterRevision < kRevisionCounters) {
        return -1;
    }
    const std::string command = Command(kCmdCounter, static_cast<char>('0' + counter));
    uint8_t answer[kInkCounterLength] = {};
    if (!m_pPort->Exchange(command.data(), static_cast<uint32_t>(command.size()), answer,
                           kInkCounterLength, kCounterSeconds)) {
        m_strError = m_pPort->GetErrorText();
        return -1;
    }
    return ParseCounter(command, answer, kInkCounterLength, 5, 5);
}

uint32_t CInkographer::GetPattern(int pattern, const uint8_t** data) {
    if (data == nullptr) {
        return 0;
    }
    const std::span<const uint8_t> builtIn = BuiltInPattern(pattern);
    *data = builtIn.empty() ? nullptr : builtIn.data();
    return static_cast<uint32_t>(builtIn.size());
}

} // namespace dax
