#include "devices/Answers.h"
#include "devices/CVelmora.h"
#include "devices/Commands.h"

namespace dax {

namespace {

char Flag(bool value) {
    return value ? '1' : '0';
}

// Positions of the loader parameters in the stored-text answer of the flags area.
constexpr size_t kParamShutdown = 0;
constexpr size_t kParamOverride = 1;
constexpr size_t kParamBeeps = 3;
constexpr size_t kParamComputerName = 4;

} // namespace

CVelmora::StoredRead CVelmora::ReadStoredText(int area, uint32_t seconds, const std::string& prefix,
                                              std::string& text) {
    uint8_t answer[kStoredTextLength] = {};
    const std::string command = Command(kCmdReadStoredText, area);
    if (!ExchangeOrFail(command, answer, kStoredTextLength, seconds, prefix)) {
        return StoredRead::LinkFailed;
    }
    StoredText stored;
    std::string reason;
    if (!ParseStoredText(answer, kStoredTextLength, stored, &reason)) {
        m_strError = prefix + reason;
        return StoredRead::LinkFailed;
    }
    if (!stored.valid) {
        bool noFault = false;
        if (SenseAfterRefusal(command, &noFault) && noFault) {
            // Not a refusal the device stands by (it reports no fault): a garbled answer.
            m_strError = prefix + "unreadable answer, and the transporter reports no fault";
            return StoredRead::LinkFailed;
        }
        return StoredRead::Refused;
    }
    text = stored.text;
    return StoredRead::Read;
}

bool CVelmora::GetSerialNumbers(std::string& transporterSerial, std::string& printerSerial) {
    transporterSerial.clear();
    printerSerial.clear();
    if (m_bShortStatus) {
        return true; // this firmware keeps no serial numbers to read
    }
    m_bNoSerialNumbersKept =
        m_bOtpFirmware || (!m_bBootCapableModel && m_nTransporterRevision < kRevisionSerialNumbers);
    if (m_bOtpFirmware) {
        m_strError = "GetSerialNumbers failed - OTP firmware";
        return false;
    }
    if (!m_bBootCapableModel && m_nTransporterRevision < kRevisionSerialNumbers) {
        m_strError = "GetSerialNumbers failed - low revision firmware";
        return false;
    }
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (ReadStoredText(kAreaTransporterSerial, kReadTransporterSerialSeconds, "Get SN - ",
                       transporterSerial) != StoredRead::Read) {
        return false;
    }
    m_strReadTransporterSerial = transporterSerial;
    if (m_nPrinters >= 1 && !m_bBuiltInPrinterModel) {
        // A printer that refuses leaves its field empty; the transporter serial still counts.
        const bool read =
            ReadStoredText(kAreaPrinterSerial, kReadStoredTextSeconds, "Get Printer SN - ",
                           printerSerial) != StoredRead::LinkFailed;
        m_strReadTransporterSerial = transporterSerial;
        m_strReadPrinterSerial = printerSerial;
        return read;
    }
    return true;
}

bool CVelmora::SetSerialNumbers(const std::string& transporterSerial,
                                const std::string& printerSerial) {
    if (m_bOtpFirmware) {
        m_strError = "SetSerialNumbers failed - OTP firmware";
        return false;
    }
    if (!m_bBootCapableModel && m_nTransporterRevision < kRevisionSerialNumbers) {
        m_strError = "SetSerialNumbers failed - low revision firmware";
        return false;
    }
    // Checked before anything goes out, whether or not the printer serial is sent.
    if (!MaySendText(transporterSerial, m_strReadTransporterSerial) ||
        !MaySendText(printerSerial, m_strReadPrinterSerial)) {
        m_strError = kSerialNotPrintable;
        return false;
    }
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    bool taken = false;
    if (!SendStore(Command(kCmdStoreTransporterSerial, transporterSerial.c_str()), kStoreSeconds,
                   taken)) {
        return false;
    }
    // These printers keep their serial number themselves.
    if (m_bMorranePrinter || m_bShortStatus || m_bBuiltInPrinterModel) {
        return true;
    }
    return SendStore(Command(kCmdStorePrinterSerial, printerSerial.c_str()), kStoreSeconds, taken);
}

bool CVelmora::GetPrinterSerial2(std::string&) {
    return false;
}

bool CVelmora::SetPrinterSerial2(const std::string&) {
    return false;
}

bool CVelmora::HasVaultekParams() {
    return m_bLoaderModel || m_bMoltrianLoader;
}

bool CVelmora::SetVaultekParams(const std::string& displayName, bool enableShutdown,
                                bool overrideName, bool useComputerName, int beeps) {
    if (m_bOtpFirmware) {
        m_strError = "SetVaultekParams failed - OTP firmware";
        return false;
    }
    if (!m_bMoltrianLoader && m_nTransporterRevision < kRevisionLoaderParams) {
        m_strError = "SetVaultekParams failed - low revision firmware";
        return false;
    }
    // The name goes out only with the override; then it is checked before anything is sent.
    if (overrideName && !MaySendText(displayName, m_strReadDisplayName)) {
        m_strError = kNameNotPrintable;
        return false;
    }
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (beeps < 0 || beeps > kMaxBeeps) {
        beeps = 0; // one digit on the wire
    }
    const std::string flags =
        Command(kCmdStoreParams, Flag(enableShutdown), Flag(overrideName), Flag(overrideName),
                static_cast<char>('0' + beeps), Flag(useComputerName));
    bool taken = false;
    if (!SendStore(flags, kStoreSeconds, taken)) {
        return false;
    }
    if (!overrideName) {
        return true;
    }
    std::string name = displayName.substr(0, kDisplayNameLength);
    name.resize(kDisplayNameLength, ' ');
    const std::string first = name.substr(0, kDisplayNameLength / 2);
    const std::string second = name.substr(kDisplayNameLength / 2);
    return SendStore(Command(kCmdStoreName1, first.c_str()), kStoreSeconds, taken) &&
           SendStore(Command(kCmdStoreName2, second.c_str()), kStoreSeconds, taken);
}

bool CVelmora::GetVaultekParams(std::string& displayName, bool& enableShutdown, bool& overrideName,
                                bool& useComputerName, int& beeps) {
    displayName.clear();
    enableShutdown = false;
    overrideName = false;
    useComputerName = false;
    beeps = 0;
    if (m_bOtpFirmware) {
        m_strError = "GetVaultekParams failed - OTP firmware";
        return false;
    }
    if (!m_bMoltrianLoader && m_nTransporterRevision < kRevisionLoaderParams) {
        m_strError = "GetVaultekParams failed - low revision firmware";
        return false;
    }
    RequestSense(kDefaultTimeout, nullptr, nullptr);

    std::string flags;
    if (ReadStoredText(kAreaParams, kReadParamsSeconds, "Get Vaultek Params - ", flags) !=
        StoredRead::Read) {
        return false;
    }
    enableShutdown = flags[kParamShutdown] == '1';
    overrideName = flags[kParamOverride] == '1';
    const char digit = flags[kParamBeeps];
    beeps = digit >= '0' && digit <= '9' ? digit - '0' : 0;
    useComputerName = flags[kParamComputerName] == '1';
    if (!overrideName) {
        return true;
    }

    std::string first;
    std::string second;
    if (ReadStoredText(kAreaName1, kReadStoredTextSeconds, {}, first) != StoredRead::Read ||
        ReadStoredText(kAreaName2, kReadStoredTextSeconds, {}, second) != StoredRead::Read) {
        return false;
    }
    displayName = first + second;
    m_strReadDisplayName = displayName;
    return true;
}

} // namespace dax
