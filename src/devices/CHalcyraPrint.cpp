#include "devices/CHalcyra.h"
#include "devices/Commands.h"
#include "devices/FlashImageDescription.h"
#include "devices/FlashImageHeader.h"
#include "devices/KnownFlashImages.h"
#include "platform/Format.h"
#include "printers/CParallelPort.h"
#include "printers/CUsbPrinterPort.h"

#include <algorithm>
#include <string_view>

namespace dax {

namespace {

constexpr char kDrawerSuffix[] = "- error opening printer drawer";
constexpr char kPrePrintSuffix[] = "- error sending pre-print data";
constexpr char kDataSuffix[] = " ";

// The port's name, what went wrong and what was being sent.
std::string PortWriteMessage(const std::string& name, std::string error,
                             const std::string& suffix) {
    if (error.empty()) {
        error = "not all bytes were written";
    }
    return name + " : " + error + " " + suffix;
}

} // namespace

bool CHalcyra::WritePrinterPort(const uint8_t* data, uint32_t length, const std::string& suffix) {
    m_strError.clear();
    const int printer = m_nSelectedPrinter == 0 ? 0 : 1;
    if (CUsbPrinterPort* usb = m_pUsb[printer]) {
        if (usb->Write(data, length)) {
            return true;
        }
        m_strError = PortWriteMessage(usb->GetName(), usb->GetErrorText(), suffix);
        return false;
    }
    if (CParallelPort* lpt = m_pParallel[printer]) {
        if (lpt->Write(data, length)) {
            return true;
        }
        m_strError = PortWriteMessage(lpt->GetName(), lpt->GetErrorText(), suffix);
        return false;
    }
    m_strError = kPortNotOpen + suffix;
    return false;
}

bool CHalcyra::SendPrintData(const uint8_t* data, uint32_t length) {
    for (uint32_t done = 0; done < length;) {
        const uint32_t piece = std::min(length - done, kLinkPrintPiece);
        if (!WritePrinterPort(data + done, piece, kDataSuffix)) {
            return false;
        }
        done += piece;
    }
    return true;
}

bool CHalcyra::OpenPrinterDrawer() {
    const std::string open = Command(kCmdOpenPrinterDrawer);
    return WritePrinterPort(reinterpret_cast<const uint8_t*>(open.data()),
                            static_cast<uint32_t>(open.size()), kDrawerSuffix);
}

bool CHalcyra::SendPrePrint() {
    return WritePrinterPort(reinterpret_cast<const uint8_t*>(kSeqPrePrint), kSeqPrePrintLength,
                            kPrePrintSuffix);
}

// `image` holds at least min(length, kFlashHeaderSize) bytes; nothing beyond that is read.
bool CHalcyra::CheckFlashFile(const uint8_t* image, uint32_t length) {
    m_bPrinterFirmwareFile = false;
    m_strFlashMismatch.clear();
    const uint32_t readable = image == nullptr ? 0 : std::min(length, kFlashHeaderSize);
    const ImageHeader header(image, readable);
    // This family's printer files begin with the identification; images of the printer that
    // other transporters take keep it at the usual place, with the printer family after it,
    // which must be this printer's as on those transporters.
    const bool atStart = header.Has(0, kPrinterImageId, true);
    if (atStart || header.Has(kImageIdOffset, kPrinterImageId, true)) {
        if (m_nPrinters == 0) {
            return RefuseFlashImage("the image is printer firmware, this transporter reports no "
                                    "printer");
        }
        if (!PrinterImageFits(image, readable, length, !atStart)) {
            return false;
        }
        m_bPrinterFirmwareFile = true;
        return true;
    }
    const FlashImageDescription described = DescribeFlashImage(image, readable);
    if (!header.Has(kImageIdOffset, kHalcyraImageId)) {
        return RefuseFlashImage(described.known
                                    ? "the image is " + FlashImageSummary(described) +
                                          ", this transporter is " + FlashProductName()
                                    : FlashImageSummary(described) + " found in the image");
    }
    if (!header.HasFamily(kFamilyHalcyra)) {
        return RefuseFlashImage(Format("the image is for %s, this transporter takes %s",
                                       FamilyText(described.family).c_str(),
                                       FamilyText(std::string(kFamilyHalcyra)).c_str()));
    }
    return true;
}

// Printer firmware goes to each printer through its own port; transporter firmware over the
// link as on the other transporters.
bool CHalcyra::BeginFlash(uint32_t length) {
    m_bFlashing[0] = m_bFlashing[1] = false;
    if (!m_bPrinterFirmwareFile) {
        return CVelmora::BeginFlash(length);
    }
    if (!FitsProgrammingSize(length)) {
        return false;
    }
    const std::string command = Command(kCmdBeginFlash, static_cast<int>(length));
    for (int printer = 0; printer < std::min(m_nPrinters, 2); ++printer) {
        m_bFlashing[printer] = HasPort(printer);
    }
    if (!m_bFlashing[0] && !m_bFlashing[1]) {
        m_strError = std::string(kPortNotOpen) + kDataSuffix;
        return false;
    }
    WriteToFlashingPrinters(reinterpret_cast<const uint8_t*>(command.data()),
                            static_cast<uint32_t>(command.size()));
    m_clock.sleep(kPrinterFlashSettleMs);
    return m_bFlashing[0] || m_bFlashing[1];
}

bool CHalcyra::SendFlashData(const uint8_t* data, uint32_t length) {
    if (!m_bPrinterFirmwareFile) {
        return CVelmora::SendFlashData(data, length);
    }
    return WriteToFlashingPrinters(data, length);
}

// A printer whose write fails drops out of the download; the others go on. The error text is
// that of the last printer that failed, worded as the link's failure is.
bool CHalcyra::WriteToFlashingPrinters(const uint8_t* data, uint32_t length) {
    const int selected = m_nSelectedPrinter;
    std::string failure;
    for (int printer = 0; printer < 2; ++printer) {
        if (!m_bFlashing[printer]) {
            continue;
        }
        SelectPrinter(printer);
        m_bFlashing[printer] = WritePrinterPort(data, length, kDataSuffix);
        if (!m_bFlashing[printer]) {
            failure = m_strError;
        }
    }
    SelectPrinter(selected);
    const bool going = m_bFlashing[0] || m_bFlashing[1];
    m_strError = going ? std::string() : kFlashDataFailed + failure;
    return going;
}

} // namespace dax
