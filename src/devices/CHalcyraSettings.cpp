#include "devices/Answers.h"
#include "devices/CHalcyra.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "link/CTransporterPort.h"

namespace dax {

namespace {

constexpr uint32_t kMarginSeconds = 3;
constexpr uint32_t kOffsetSeconds = 5;
constexpr uint32_t kSerialBSeconds = 5;
constexpr uint32_t kSaveSeconds = 15;
constexpr uint32_t kCounterSecondsHalcyra = 15;
constexpr int kPrintCounter = 1;
constexpr size_t kCounterValueFrom = 5;

} // namespace

bool CHalcyra::SetTopMargin(int value) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    return SendCommand(Command(kCmdHalcyraTopMargin, SelectedElement(), value), kMarginSeconds);
}

bool CHalcyra::SetLeftMargin(int value) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    return SendCommand(Command(kCmdHalcyraLeftMargin, SelectedElement(), value), kMarginSeconds);
}

bool CHalcyra::SetRotationalOffset(int offset) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetReadTimeout(kOffsetReadTimeoutMs);
    return SendCommand(Command(kCmdHalcyraRotationalOffset, SelectedElement(), offset),
                       kOffsetSeconds);
}

// The printers take their media from the rotator's turn, not from a size setting.
bool CHalcyra::SetMediaSize(int) {
    return true;
}

bool CHalcyra::PrinterBSerialKept(const char* step) {
    const char* why = m_bOtpFirmware                                     ? "OTP firmware"
                      : m_nTransporterRevision < kRevisionPrinterBSerial ? "low revision firmware"
                      : m_nPrinters < 2                                  ? "no printer B"
                                                                         : nullptr;
    if (why)
        m_strError = std::string(step) + " failed - " + why;
    return why == nullptr;
}

bool CHalcyra::GetPrinterSerial2(std::string& serial) {
    serial.clear();
    if (!PrinterBSerialKept("GetPrinterSerial2"))
        return false;
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (ReadStoredText(kAreaPrinterBSerial, kReadStoredTextSeconds, {}, serial) !=
        StoredRead::Read) {
        return false;
    }
    m_strReadPrinterBSerial = serial;
    return true;
}

bool CHalcyra::SetPrinterSerial2(const std::string& serial) {
    // Without printer B the field was never shown: what it holds is no serial of printer B, and
    // writing it would blank the one that a printer without its port still keeps.
    if (!PrinterBSerialKept("SetPrinterSerial2"))
        return false;
    // An escape byte in the serial would start a second command on the transporter.
    if (!MaySendText(serial, m_strReadPrinterBSerial)) {
        m_strError = kSerialNotPrintable;
        return false;
    }
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    m_pPort->SetReadTimeout(kSerialReadTimeoutMs);
    bool taken = false;
    return SendStore(Command(kCmdStorePrinterBSerial, serial.c_str()), kSerialBSeconds, taken);
}

// Stores (with `store`, the selected printer's settings too) and restarts the transporter, then
// waits until it answers again. False when the store is refused or the transporter stays silent:
// nothing says the settings were kept.
bool CHalcyra::SaveSettings(bool store) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (store && !SendCommand(Command(kCmdHalcyraStoreSettings, SelectedElement()), kSaveSeconds)) {
        // A refused store is no save, and the restart would throw the values away.
        m_strError = kSettingsNotStored + m_strError;
        return false;
    }
    SendCommand(Command(kCmdRestart), kSaveSeconds);
    if (!WaitForRestart())
        return false;
    PickerHome();
    return true;
}

int CHalcyra::GetPrinterCounter(int printer, int counter) {
    if (m_nPrinterRevision < kRevisionPrinterCounters || counter != kPrintCounter ||
        m_nTransporterRevision < kRevisionCounters) {
        return -1;
    }
    const int element = printer == 1 ? kElementPrinterB : kElementPrinter;
    uint8_t answer[kHalcyraCounterLength] = {};
    if (!ExchangeOrFail(Command(kCmdHalcyraCounter, element, '1'), answer, kHalcyraCounterLength,
                        kCounterSecondsHalcyra)) {
        return -1;
    }
    const int value = ParseCounter(kHalcyraCounterPrefix, answer, kHalcyraCounterLength,
                                   kCounterValueFrom, kHalcyraCounterPrefixLength);
    return value < 0 ? -1 : value;
}

} // namespace dax
