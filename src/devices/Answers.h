#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dax {

// Readers of the transporter's fixed-length answers. Each reads only the `length` bytes it is
// given, and an answer shorter than its form is refused. A parser that fails leaves a short
// reason in *reason (when given) and its out value untouched.

// Form A: byte 4 is '1' when the command was carried out. Short answers are not acknowledged.
bool IsAcknowledged(const uint8_t* answer, uint32_t length);

struct SenseCodes {
    uint16_t transporter = 0;
    uint16_t printer = 0;
};

// Form B: transporter code in bytes 4-6, printer code in bytes 7-9, three decimal digits each.
bool ParseSense(const uint8_t* answer, uint32_t length, SenseCodes& codes,
                std::string* reason = nullptr);

// The dual-printer transporter's sense answer (14 bytes): the transporter code in bytes 4-6, then
// the codes of printer A (7-9) and printer B (10-12), three decimal digits each.
struct DualSenseCodes {
    uint16_t transporter = 0;
    uint16_t printerA = 0;
    uint16_t printerB = 0;
};
bool ParseDualSense(const uint8_t* answer, uint32_t length, DualSenseCodes& codes,
                    std::string* reason = nullptr);

// Form B': one decimal digit in byte 4, the transporter code; the printer code is 0.
bool ParseBootSense(const uint8_t* answer, uint32_t length, SenseCodes& codes,
                    std::string* reason = nullptr);

// The stand-alone printer's sense answer (9 bytes): the printer code in bytes 5-7, three decimal
// digits; the transporter code is 0.
bool ParseInkographerSense(const uint8_t* answer, uint32_t length, SenseCodes& codes,
                           std::string* reason = nullptr);

struct ElementStatus {
    bool valid = false; // byte 4 was '1'
    int state = 0;      // byte 5 as a digit
    int value = 0;      // bytes 6-10 as a decimal number
};

// Form C. A valid answer must carry a digit in byte 5 and five digits in 6-10, else it is
// malformed. A refused answer (byte 4 not '1') still parses: state and value are reported as
// they stand, -1 where they are not digits, so the caller can store them before judging.
bool ParseElementStatus(const uint8_t* answer, uint32_t length, ElementStatus& status,
                        std::string* reason = nullptr);

struct StoredText {
    bool valid = false; // byte 4 was '1'
    std::string text;   // bytes 6-13 as they are (trailing blanks kept); empty when not valid
};

// Form D.
bool ParseStoredText(const uint8_t* answer, uint32_t length, StoredText& stored,
                     std::string* reason = nullptr);

// Form E: all five bytes equal ESC "!b1C".
bool IsBaudAccepted(const uint8_t* answer, uint32_t length);

// Form F: -1 unless the first `matchLength` bytes of the answer repeat those of `command`;
// otherwise the decimal number from byte `valueStart` on (leading blanks and a sign allowed, as
// atoi reads it), bounded to the answer. An answer with no digits there also gives -1.
// CHalcyra and CInkographer read their 11-byte answers from byte 5.
inline constexpr uint32_t kCounterValueStart = 6;
inline constexpr uint32_t kCounterMatchLength = 5;
int ParseCounter(std::string_view command, const uint8_t* answer, uint32_t length,
                 uint32_t valueStart = kCounterValueStart,
                 uint32_t matchLength = kCounterMatchLength);

// Form G: the count N of identification bytes that follow, the digits that start at byte 4
// (at most three, up to the first non-digit).
bool ParseInquiryHead(const uint8_t* answer, uint32_t length, uint32_t& count,
                      std::string* reason = nullptr);

// Revision number from the identification's revision field: `digits` points at the major digit
// (identification byte 24) and holds `length` bytes from there. Digits at offsets 0, 2 and 3
// are required; offset 4 counts when it is a digit. 3.07 gives 3070, 3.209 gives 3209.
bool ParseRevision(const uint8_t* digits, uint32_t length, int& revision,
                   std::string* reason = nullptr);

// Read-only view of an inquiry answer (header and identification) as it lies in a receive or
// shared buffer. Positions are identification positions (answer byte 7 is position 0). Only
// bytes that are both inside the buffer and among the N that were announced are read; bytes
// outside read as 0.
class Identification {
public:
    static constexpr uint32_t kHeadLength = 7;
    static constexpr size_t kProductNameLength = 16;
    static constexpr size_t kIdLength = 32;
    static constexpr size_t kPrinterOffset = 32;
    static constexpr size_t kPrinterModelOffset = 48;
    static constexpr size_t kPrinterModelLength = 6;
    static constexpr size_t kRevisionOffset = 24;
    static constexpr size_t kRevisionSuffixOffset = 29;
    static constexpr size_t kPrinterRevisionOffset = 56;
    static constexpr uint32_t kPrinterCount = 64; // N from which a printer answered

    Identification(const uint8_t* answer, size_t bufferLength, uint32_t count);

    uint32_t Count() const { return m_nCount; }
    // Identification bytes actually readable.
    size_t Present() const { return m_nPresent; }
    bool HasPrinter() const { return m_nCount >= kPrinterCount; }

    // Byte at an identification position, 0 when it is not present.
    uint8_t At(size_t position) const;
    // The present bytes from a position, at most `length` of them.
    std::string Bytes(size_t position, size_t length) const;
    // True when `text` lies at the position in full.
    bool Matches(size_t position, std::string_view text) const;

    // Product name, positions 0-15 (as many as are present).
    std::string ProductName() const { return Bytes(0, kProductNameLength); }
    // "%32.32s" of positions 0-31 and 32-63: up to 32 characters, ending at the first zero
    // byte, right-aligned in 32 columns.
    std::string TransporterId() const { return FormatId(0); }
    std::string PrinterId() const { return FormatId(kPrinterOffset); }

    bool TransporterRevision(int& revision, std::string* reason = nullptr) const;
    // Byte 29, the character after the revision digits.
    int RevisionSuffix() const { return At(kRevisionSuffixOffset); }
    bool PrinterRevision(int& revision, std::string* reason = nullptr) const;

    // Printer product name begins with "MORRANE".
    bool IsMorranePrinter() const { return Matches(kPrinterOffset, "MORRANE"); }
    // Printer model code, positions 48-53 ("DKPR21", "DKPR22").
    std::string PrinterModelCode() const { return Bytes(kPrinterModelOffset, kPrinterModelLength); }

private:
    std::string FormatId(size_t position) const;

    const uint8_t* m_pIdentification = nullptr;
    size_t m_nPresent = 0;
    uint32_t m_nCount = 0;
};

} // namespace dax
