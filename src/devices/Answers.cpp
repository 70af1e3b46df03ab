#include "devices/Answers.h"

#include "devices/Commands.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace dax {

namespace {

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

// Decimal number of exactly `count` digits at `p`; -1 when one of them is not a digit.
int FixedDigits(const uint8_t* p, size_t count) {
    int value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (!IsDigit(p[i])) {
            return -1;
        }
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

bool Fail(std::string* reason, const char* text) {
    if (reason != nullptr) {
        *reason = text;
    }
    return false;
}

} // namespace

bool IsAcknowledged(const uint8_t* answer, uint32_t length) {
    return answer != nullptr && length >= kAckLength && answer[4] == '1';
}

bool ParseSense(const uint8_t* answer, uint32_t length, SenseCodes& codes, std::string* reason) {
    if (answer == nullptr || length < kSenseLength) {
        return Fail(reason, "Short sense answer");
    }
    const int transporter = FixedDigits(answer + 4, 3);
    const int printer = FixedDigits(answer + 7, 3);
    if (transporter < 0 || printer < 0) {
        return Fail(reason, "Malformed sense answer");
    }
    codes.transporter = static_cast<uint16_t>(transporter);
    codes.printer = static_cast<uint16_t>(printer);
    return true;
}

bool ParseDualSense(const uint8_t* answer, uint32_t length, DualSenseCodes& codes,
                    std::string* reason) {
    if (answer == nullptr || length < kHalcyraSenseLength) {
        return Fail(reason, "Short sense answer");
    }
    const int transporter = FixedDigits(answer + 4, 3);
    const int printerA = FixedDigits(answer + 7, 3);
    const int printerB = FixedDigits(answer + 10, 3);
    if (transporter < 0 || printerA < 0 || printerB < 0) {
        return Fail(reason, "Malformed sense answer");
    }
    codes.transporter = static_cast<uint16_t>(transporter);
    codes.printerA = static_cast<uint16_t>(printerA);
    codes.printerB = static_cast<uint16_t>(printerB);
    return true;
}

bool ParseInkographerSense(const uint8_t* answer, uint32_t length, SenseCodes& codes,
                           std::string* reason) {
    if (answer == nullptr || length < kInkSenseLength) {
        return Fail(reason, "Short sense answer");
    }
    const int printer = FixedDigits(answer + 5, 3);
    if (printer < 0) {
        return Fail(reason, "Malformed sense answer");
    }
    codes.transporter = 0;
    codes.printer = static_cast<uint16_t>(printer);
    return true;
}

bool ParseBootSense(const uint8_t* answer, uint32_t length, SenseCodes& codes,
                    std::string* reason) {
    if (answer == nullptr || length < kBootSenseLength) {
        return Fail(reason, "Short sense answer");
    }
    if (!IsDigit(answer[4])) {
        return Fail(reason, "Malformed sense answer");
    }
    codes.transporter = static_cast<uint16_t>(answer[4] - '0');
    codes.printer = 0;
    return true;
}

bool ParseElementStatus(const uint8_t* answer, uint32_t length, ElementStatus& status,
                        std::string* reason) {
    if (answer == nullptr || length < kElementStatusLength) {
        return Fail(reason, "Short element status answer");
    }
    const bool valid = answer[4] == '1';
    const int state = IsDigit(answer[5]) ? answer[5] - '0' : -1;
    const int value = FixedDigits(answer + 6, 5);
    if (valid && (state < 0 || value < 0)) {
        return Fail(reason, "Malformed element status answer");
    }
    status.valid = valid;
    status.state = state;
    status.value = value;
    return true;
}

bool ParseStoredText(const uint8_t* answer, uint32_t length, StoredText& stored,
                     std::string* reason) {
    if (answer == nullptr || length < kStoredTextLength) {
        return Fail(reason, "Short stored text answer");
    }
    stored.valid = answer[4] == '1';
    stored.text.clear();
    if (stored.valid) {
        stored.text.assign(reinterpret_cast<const char*>(answer + 6), 8);
    }
    return true;
}

bool IsBaudAccepted(const uint8_t* answer, uint32_t length) {
    return answer != nullptr && length >= kBaudAnswerLength &&
           std::memcmp(answer, kBaudAccepted, kBaudAnswerLength) == 0;
}

int ParseCounter(std::string_view command, const uint8_t* answer, uint32_t length,
                 uint32_t valueStart, uint32_t matchLength) {
    if (answer == nullptr || command.size() < matchLength || length < matchLength ||
        std::memcmp(answer, command.data(), matchLength) != 0) {
        return -1;
    }
    uint32_t i = valueStart;
    while (i < length && (answer[i] == ' ' || (answer[i] >= '\t' && answer[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < length && (answer[i] == '+' || answer[i] == '-')) {
        negative = answer[i] == '-';
        ++i;
    }
    if (i >= length || !IsDigit(answer[i])) {
        return -1; // no number where the value belongs
    }
    long long value = 0;
    for (; i < length && IsDigit(answer[i]); ++i) {
        value = std::min<long long>(value * 10 + (answer[i] - '0'), INT_MAX);
    }
    return static_cast<int>(negative ? -value : value);
}

bool ParseInquiryHead(const uint8_t* answer, uint32_t length, uint32_t& count,
                      std::string* reason) {
    if (answer == nullptr || length < kInquiryHeadLength) {
        return Fail(reason, "Short inquiry answer");
    }
    if (!IsDigit(answer[4])) {
        return Fail(reason, "Malformed inquiry answer");
    }
    uint32_t value = 0;
    for (uint32_t i = 4; i < kInquiryHeadLength && IsDigit(answer[i]); ++i) {
        value = value * 10 + static_cast<uint32_t>(answer[i] - '0');
    }
    count = value;
    return true;
}

bool ParseRevision(const uint8_t* digits, uint32_t length, int& revision, std::string* reason) {
    if (digits == nullptr || length < 4) {
        return Fail(reason, "Short firmware revision");
    }
    if (!IsDigit(digits[0]) || !IsDigit(digits[2]) || !IsDigit(digits[3])) {
        return Fail(reason, "Malformed firmware revision");
    }
    int value = (digits[0] - '0') * 1000 + (digits[2] - '0') * 100 + (digits[3] - '0') * 10;
    if (length > 4 && IsDigit(digits[4])) {
        value += digits[4] - '0';
    }
    revision = value;
    return true;
}

Identification::Identification(const uint8_t* answer, size_t bufferLength, uint32_t count)
    : m_nCount(count) {
    if (answer != nullptr && bufferLength > kHeadLength) {
        m_pIdentification = answer + kHeadLength;
        m_nPresent = std::min<size_t>(bufferLength - kHeadLength, count);
    }
}

uint8_t Identification::At(size_t position) const {
    return position < m_nPresent ? m_pIdentification[position] : 0;
}

std::string Identification::Bytes(size_t position, size_t length) const {
    if (position >= m_nPresent) {
        return {};
    }
    const size_t available = std::min(length, m_nPresent - position);
    return std::string(reinterpret_cast<const char*>(m_pIdentification + position), available);
}

bool Identification::Matches(size_t position, std::string_view text) const {
    if (position > m_nPresent || text.size() > m_nPresent - position) {
        return false;
    }
    return text.empty() || std::memcmp(m_pIdentification + position, text.data(), text.size()) == 0;
}

std::string Identification::FormatId(size_t position) const {
    std::string id = Bytes(position, kIdLength);
    const size_t end = id.find('\0');
    if (end != std::string::npos) {
        id.resize(end);
    }
    return std::string(kIdLength - id.size(), ' ') + id;
}

bool Identification::TransporterRevision(int& revision, std::string* reason) const {
    const std::string digits = Bytes(kRevisionOffset, 5);
    return ParseRevision(reinterpret_cast<const uint8_t*>(digits.data()),
                         static_cast<uint32_t>(digits.size()), revision, reason);
}

bool Identification::PrinterRevision(int& revision, std::string* reason) const {
    const std::string digits = Bytes(kPrinterRevisionOffset, 5);
    return ParseRevision(reinterpret_cast<const uint8_t*>(digits.data()),
                         static_cast<uint32_t>(digits.size()), revision, reason);
}

} // namespace dax
