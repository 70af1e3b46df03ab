#include "devices/CVelmora.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "link/CTransporterPort.h"

#include <algorithm>

namespace dax {

namespace {

constexpr char kPrintWaitTimedOut[] = "Timed out waiting for print completion";
constexpr char kPrinterIdle[] = "Print failed - the printer has no print job";
constexpr char kPrintFailed[] = "Print failed - ";

} // namespace

bool CVelmora::WriteRaw(const char* bytes, uint32_t length) {
    if (m_pPort->Write(bytes, length)) {
        return true;
    }
    m_strError = m_pPort->GetErrorText();
    return false;
}

bool CVelmora::SendPrintData(const uint8_t* data, uint32_t length) {
    if (m_pUsbPrinterPort != nullptr) {
        return SendPrintDataUsb(data, length);
    }
    return SendPrintDataLink(data, length);
}

// Raw bytes on the link, no framing and no answer; the transporter hands them to its printer.
bool CVelmora::SendPrintDataLink(const uint8_t* data, uint32_t length) {
    // Without its own time-out a write to a stalled printer could block for ever.
    if (!m_pPort->SetWriteTimeouts(kPrintWriteConstantMs, kPrintWritePerByteMs)) {
        m_strError = m_pPort->GetErrorText();
        return false;
    }
    for (uint32_t done = 0; done < length;) {
        const uint32_t piece = std::min(length - done, kLinkPrintPiece);
        if (!m_pPort->Write(data + done, piece)) {
            m_strError = m_pPort->GetErrorText();
            return false;
        }
        done += piece;
    }
    return true;
}

bool CVelmora::SendPrePrint() {
    if (m_bMorranePrinter) {
        // The Morrane printer takes no set-up; its drawer is closed for the print.
        OpenCloseElement(kElementPrinter, false);
        return true;
    }
    return WriteRaw(kSeqPrePrint, kSeqPrePrintLength);
}

bool CVelmora::OpenPrinterDrawer() {
    const std::string open = Command(kCmdOpenPrinterDrawer);
    return WriteRaw(open.data(), static_cast<uint32_t>(open.size()));
}

bool CVelmora::MoveDiscToPrinter(int getElement, int bin) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (!PositionMedium(getElement, kActionGet, 0)) {
        return false;
    }
    if (bin >= 0 && m_bRotator) {
        return SendCommand(Command(kCmdLoadPrinter, bin), kLoadPrinterSeconds);
    }
    return PositionMedium(kElementPrinter, kActionPut, 0);
}

bool CVelmora::LoadPrinter(int bin) {
    if (!MoveDiscToPrinter(kElementBin1, bin)) {
        return false;
    }
    if (m_bMorranePrinter) {
        return OpenCloseElement(kElementPrinter, false);
    }
    return WriteRaw(kSeqPrinterPreparation, kSeqPrinterPreparationLength);
}

// The disc in the printer is taken out and put back.
bool CVelmora::ReloadPrinter(int bin) {
    if (!MoveDiscToPrinter(kElementPrinter, bin)) {
        return false;
    }
    if (m_bMorranePrinter || m_bShortStatus) {
        return true;
    }
    return WriteRaw(kSeqPrinterPreparation, kSeqPrinterPreparationLength);
}

bool CVelmora::WaitPrintComplete() {
    if (m_bMorranePrinter) {
        return WaitForMorranePrint();
    }
    return CTransporter::WaitPrintComplete();
}

// Polls the printer's sense code until the print is done. Code 3 means the printer waits for
// its drawer to be closed (asked once); 4, or 21 right after 3, is done; 22-254 and any other 21
// are faults; 0 twice running means the printer has nothing to print. Every way out but done
// leaves its reason in the error text, so the status never shows an older failure.
bool CVelmora::WaitForMorranePrint() {
    int lastCode = 2;
    bool zeroSeen = false;
    int code3Count = 0;
    bool commandSent = false;
    for (int pass = 0;; ++pass) {
        if (pass > 0) {
            m_clock.sleep(kMorranePollMs);
        }
        if (!RequestSense(kDefaultTimeout, nullptr, nullptr)) {
            m_clock.sleep(kMorraneSenseRetryMs);
            if (!RequestSense(kDefaultTimeout, nullptr, nullptr)) {
                m_strError = m_pPort->GetErrorText();
                return false;
            }
        }
        const int code = m_nPrinterSense;
        if (code == 3) {
            if (!commandSent) {
                const std::string close =
                    Command(kCmdPositionMediumDigit, kElementPrinter, kActionNone - '0');
                uint8_t answer[kAckLength] = {};
                m_pPort->Exchange(close.data(), static_cast<uint32_t>(close.size()), answer,
                                  kAckLength, kMorranePositionSeconds);
                commandSent = true;
            }
            if (code3Count > kMorraneMaxCode3) {
                m_strError = kPrintWaitTimedOut;
                return false;
            }
            ++code3Count;
        }

        if (code == 4) {
            return true;
        }
        if (code == 0) {
            if (zeroSeen) {
                m_strError = kPrinterIdle;
                return false;
            }
            m_clock.sleep(kMorraneIdlePauseMs);
            zeroSeen = true;
        } else {
            zeroSeen = false;
            if (code == 21 && lastCode == 3) {
                return true;
            }
            if (code >= 21 && code <= 254) {
                m_strError = std::string(kPrintFailed) + GetPrinterSenseText();
                return false;
            }
            lastCode = code;
        }
        if (pass >= kMorraneMaxPasses) {
            m_strError = kPrintWaitTimedOut;
            return false;
        }
    }
}

} // namespace dax
