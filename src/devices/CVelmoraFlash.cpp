#include "devices/Answers.h"
#include "devices/CVelmora.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/FlashImageDescription.h"
#include "devices/FlashImageHeader.h"
#include "devices/KnownFlashImages.h"
#include "link/CTransporterPort.h"
#include "platform/Format.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace dax {

namespace {

// Where an image says more about itself (offsets from the start of the image).
constexpr size_t kImageRevisionDigitOffset = 184;
static_assert(kImage240xIdOffset + kImageIdLength <= CVelmora::kFlashHeaderSize);

constexpr char kOldFirmwareDigitLimit = '3'; // old firmware takes images below 3.x
// BIN4 families split at this image size and at this revision suffix.
constexpr uint32_t kFamilySizeBoundary = 65536;
constexpr int kSuffixLargeImages = 'F';

// Transporters whose printer takes the Morrane firmware run their link at this rate.
constexpr uint32_t kMorraneBaud = 9600;

// What is left in the receive queue before programming starts is thrown away.
constexpr uint32_t kFlashDrainMs = 500;
constexpr uint32_t kFlashDrainBytes = 8;

} // namespace

bool CVelmora::OnMorranePath() const {
    return m_pPort->GetBaudRate() == kMorraneBaud || m_bMorranePrinter;
}

// `image` holds at least min(length, kFlashHeaderSize) bytes; nothing beyond that is read.
bool CVelmora::CheckFlashFile(const uint8_t* image, uint32_t length) {
    m_bPrinterFirmwareFile = false;
    m_strFlashMismatch.clear();
    const uint32_t readable = image == nullptr ? 0 : std::min(length, kFlashHeaderSize);
    const ImageHeader header(image, readable);

    if (header.Has(kImageIdOffset, kPrinterImageId, true)) {
        if (!PrinterImageFits(image, readable, length)) {
            return false;
        }
        m_bOldFirmware = false;
        m_bPrinterFirmwareFile = true;
        return true;
    }

    bool fits = false;
    if (CheckLoaderImage(image, readable, fits)) {
        return fits;
    }
    return CheckGeneralImage(image, readable, length);
}

std::string CVelmora::FlashProductName() const {
    std::string name = m_inquiry.View().ProductName();
    name.erase(name.find_last_not_of(' ') + 1);
    return name;
}

bool CVelmora::PrinterImageFits(const uint8_t* image, uint32_t readable, uint32_t length,
                                bool familyToo) {
    const ImageHeader header(image, readable);
    const Identification id = m_inquiry.View();
    if (!id.Matches(Identification::kPrinterOffset, kPrinterProductName)) {
        std::string printer = id.HasPrinter() ? id.Bytes(Identification::kPrinterOffset,
                                                         Identification::kProductNameLength)
                                              : std::string();
        printer.erase(printer.find_last_not_of(' ') + 1);
        return RefuseFlashImage(
            Format("the image is printer firmware for a %s, this transporter's printer is %s",
                   std::string(kPrinterProductName).c_str(),
                   printer.empty() ? "none" : ("a " + printer).c_str()));
    }
    if (length != kPrinterImageSize) {
        return RefuseFlashImage(Format("printer firmware is exactly %u bytes, the image has %u",
                                       kPrinterImageSize, length));
    }
    const std::string_view wanted = PrinterImageFamily(m_nPrinterRevision);
    if (familyToo && !header.HasFamily(wanted)) {
        return RefuseFlashImage(Format(
            "the image is for %s, this printer (revision %s) takes %s",
            FamilyText(DescribeFlashImage(image, readable).family).c_str(),
            RevisionText(m_nPrinterRevision, 0).c_str(), FamilyText(std::string(wanted)).c_str()));
    }
    return true;
}

bool CVelmora::CheckLoaderImage(const uint8_t* image, uint32_t readable, bool& fits) {
    const ImageHeader header(image, readable);
    const Identification id = m_inquiry.View();
    for (const LoaderImage& row : kLoaderImages) {
        if (!header.Has(row.offset, row.id)) {
            continue;
        }
        bool applies = false;
        switch (row.needs) {
        case LoaderNeeds::QT6400:
            applies = m_bQT6400Model;
            break;
        case LoaderNeeds::K6400:
            applies = m_bK6400Model;
            break;
        case LoaderNeeds::K6800:
            applies = m_bK6800Model;
            break;
        case LoaderNeeds::BuiltInPrinter:
            applies = m_bBuiltInPrinterModel;
            break;
        case LoaderNeeds::PlainLoader:
            applies = m_bLoaderModel && !m_bQT6400Model && !m_bK6400Model && !m_bK6800Model;
            break;
        case LoaderNeeds::BootCapable:
            applies = m_bBootCapableModel;
            break;
        case LoaderNeeds::Moltrian:
            applies = id.Matches(0, row.id) || (!row.alsoFor.empty() && id.Matches(0, row.alsoFor));
            break;
        }
        if (!applies) {
            continue;
        }
        const bool morrane = OnMorranePath();
        const std::string_view wanted = morrane ? row.morraneFamily : row.family;
        fits = row.family.empty() || header.HasFamily(wanted);
        if (!fits) {
            RefuseFlashImage(Format("the image is for %s, this %s takes %s %s",
                                    FamilyText(DescribeFlashImage(image, readable).family).c_str(),
                                    FlashProductName().c_str(),
                                    FamilyText(std::string(wanted)).c_str(),
                                    morrane ? "at 9600 baud or with a Morrane printer"
                                            : "without a Morrane printer, off 9600 baud"));
        }
        return true;
    }
    return false;
}

bool CVelmora::CheckGeneralImage(const uint8_t* image, uint32_t readable, uint32_t length) {
    const ImageHeader header(image, readable);
    const FlashImageDescription described = DescribeFlashImage(image, readable);
    if (!described.known) {
        return RefuseFlashImage(FlashImageSummary(described) + " found in the image");
    }
    if (!m_inquiry.View().Matches(0, kGeneralImageId) ||
        !header.Has(kImageIdOffset, kGeneralImageId)) {
        return RefuseFlashImage("the image is " + FlashImageSummary(described) +
                                ", this transporter is " + FlashProductName());
    }
    // The family this transporter's configuration takes, and the configuration's name.
    auto family = [&](std::string_view wanted, const char* configuration) {
        if (header.HasFamily(wanted)) {
            return true;
        }
        return RefuseFlashImage(Format("the image is for %s, this transporter (%s) takes %s",
                                       FamilyText(described.family).c_str(), configuration,
                                       FamilyText(std::string(wanted)).c_str()));
    };

    int state = 0;
    if (m_bOldFirmwareModel) {
        // Old firmware is only asked something so that it is awake; its answer changes nothing,
        // and neither does its error text.
        const std::string error = m_strError;
        ReadElementStatus(kElementRotator, state);
        m_strError = error;
        m_bOldFirmware = true;
        const int digit = header.At(kImageRevisionDigitOffset);
        if (digit >= 0 && digit < kOldFirmwareDigitLimit) {
            return true;
        }
        return RefuseFlashImage(Format("the image is of major revision %c, this transporter's old "
                                       "firmware takes only images below %c",
                                       digit >= 0x20 && digit < 0x7F ? char(digit) : '?',
                                       kOldFirmwareDigitLimit));
    }
    if (m_bOtpFirmware) {
        return true; // start-up firmware takes any general image
    }
    if (m_bBasicConfig) {
        return family(kFamilyBasic, "basic configuration");
    }
    if (m_bDrive3Config) {
        return family(kFamilyDrive3, "DRIVE3 configuration");
    }
    if (m_bDrive1Config) {
        const bool slow = m_pPort->GetBaudRate() == kMorraneBaud;
        return slow ? family(kFamilyDrive1Slow, "DRIVE1 configuration at 9600 baud")
                    : family(kFamilyDrive1, "DRIVE1 configuration off 9600 baud");
    }
    if (m_bShortStatus) {
        if (!ReadElementStatus(kElementBin4, state)) {
            return RefuseFlashImage("the state of BIN4, which decides the family, could not be "
                                    "read: " +
                                    m_strError);
        }
        return state == kStateAbsent ? family(kFamilyShortAbsent, "short status, no BIN4")
                                     : family(kFamilyShort, "short status, with BIN4");
    }
    if (!m_bBin4Config) {
        return RefuseFlashImage("this transporter reports no configuration that takes a general "
                                "transporter image");
    }

    const bool morrane = OnMorranePath();
    const bool earlySuffix = m_nRevisionSuffix < kSuffixLargeImages;
    const bool small = length <= kFamilySizeBoundary;
    const std::string suffix = m_nRevisionSuffix > ' ' && m_nRevisionSuffix < 0x7F
                                   ? std::string(1, char(m_nRevisionSuffix))
                                   : std::string("none");
    // A family whose large images need the suffix on one side of F.
    auto large = [&](std::string_view name, bool fits, const char* needs) {
        if (fits) {
            return true;
        }
        return RefuseFlashImage(Format("a %s image above %u bytes (this one has %u) needs %s; this "
                                       "transporter's revision suffix is %s",
                                       FamilyText(std::string(name)).c_str(), kFamilySizeBoundary,
                                       length, needs, suffix.c_str()));
    };
    if (!morrane && header.HasFamily(kFamilyTessan)) {
        return large(kFamilyTessan, earlySuffix || small, "a revision suffix below F");
    }
    if (!morrane && header.HasFamily(kFamilyTessan0)) {
        return large(kFamilyTessan0, !earlySuffix || small, "revision suffix F or later");
    }
    if (!morrane && !small) {
        return RefuseFlashImage(Format("the image is for %s and has %u bytes: above %u bytes this "
                                       "transporter (BIN4 configuration) takes only Tessan images",
                                       FamilyText(described.family).c_str(), length,
                                       kFamilySizeBoundary));
    }
    if (header.HasFamily(kFamilyMorrane)) {
        return large(kFamilyMorrane, earlySuffix || small, "a revision suffix below F");
    }
    if (header.HasFamily(kFamilyMorrane0)) {
        return large(kFamilyMorrane0, !earlySuffix || small, "revision suffix F or later");
    }
    return RefuseFlashImage(Format(
        "the image is for %s, this transporter (BIN4 configuration%s) takes %s",
        FamilyText(described.family).c_str(),
        morrane ? ", at 9600 baud or with a Morrane printer" : "",
        morrane ? "family Morrane or Morrane0" : "family Tessan, Tessan0, Morrane or Morrane0"));
}

bool CVelmora::FitsProgrammingSize(uint32_t imageLength) {
    if (imageLength == 0) {
        m_strError = kFlashImageEmpty;
        return false;
    }
    // The size goes out as a signed decimal; old firmware takes a fixed size with the checksum.
    const bool oldCommand = !m_bPrinterFirmwareFile && m_bOldFirmware;
    if (imageLength > static_cast<uint32_t>(INT_MAX) ||
        (oldCommand && imageLength > kOldFirmwareImageLimit)) {
        m_strError = kFlashImageTooLarge;
        return false;
    }
    return true;
}

bool CVelmora::BeginFlash(uint32_t length) {
    m_nFlashChecksum = 0;
    m_nFlashSent = 0;
    m_nFlashAnnounced = 0;
    m_bFlashOpen = false;
    m_bProgrammingStateUnknown = false;
    if (!FitsProgrammingSize(length)) {
        return false;
    }

    m_pPort->SetReadTimeout(kFlashDrainMs);
    uint8_t stale[kFlashDrainBytes];
    m_pPort->Read(stale, kFlashDrainBytes);

    std::string command;
    uint32_t announced = kPrinterImageSize;
    if (m_bPrinterFirmwareFile) {
        command = Command(kCmdBeginPrinterFlash);
    } else {
        announced = m_bOldFirmware ? kOldFirmwareFlashSize : length;
        command = Command(kCmdBeginFlash, static_cast<int>(announced));
    }
    uint8_t answer[kAckLength] = {};
    if (!ExchangeOrFail(command, answer, kAckLength, kBeginFlashSeconds)) {
        // Unless the line stopped it before the command went out, the device may have taken
        // it and be waiting for the image.
        const uint32_t code = m_pPort->GetErrorCode();
        m_bProgrammingStateUnknown = code != kSerialCtsOff && code != kSerialModemStatusFailed;
        return false;
    }
    if (!IsAcknowledged(answer, kAckLength)) {
        // A device that answers the sense is not in programming mode; one that does not may
        // be taking the sense command as image data.
        m_bProgrammingStateUnknown = !SenseAfterRefusal(command);
        return false;
    }
    m_bFlashOpen = true;
    m_nFlashAnnounced = announced;
    return true;
}

bool CVelmora::SendFlashData(const uint8_t* data, uint32_t length) {
    if (length == 0) {
        return true;
    }
    if (data == nullptr) {
        m_strError = std::string(kFlashDataFailed) + "no data";
        return false;
    }
    // Outside programming mode, image bytes would be taken as commands.
    if (!m_bFlashOpen) {
        m_strError = std::string(kFlashDataFailed) + "programming mode was not entered";
        return false;
    }
    // Bytes past the announced size would be taken as commands.
    if (uint64_t(m_nFlashSent) + length > m_nFlashAnnounced) {
        m_strError = std::string(kFlashDataFailed) + "more data than the " +
                     std::to_string(m_nFlashAnnounced) + " bytes announced";
        return false;
    }
    if (!m_pPort->Exchange(data, length, nullptr, 0, kNoAnswerSeconds)) {
        m_strError = std::string(kFlashDataFailed) + m_pPort->GetErrorText();
        return false;
    }
    uint32_t sum = m_nFlashChecksum;
    for (uint32_t i = 0; i < length; ++i) {
        sum += data[i];
    }
    m_nFlashChecksum = static_cast<uint16_t>(sum);
    m_nFlashSent += length;
    return true;
}

} // namespace dax
