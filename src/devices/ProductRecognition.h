#pragma once

#include "devices/Answers.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace dax {

// The last accepted inquiry answer (header and identification) and its identification count N,
// kept for the whole run: discovery's recogniser stores it and the device constructor reads it.
class InquiryBuffer {
public:
    // Header and up to 96 identification bytes.
    static constexpr size_t kTransporterSize = 103;
    // CInkographer keeps the header and 32 identification bytes.
    static constexpr size_t kInkographerSize = 39;

    explicit InquiryBuffer(size_t size);

    // Clears the buffer, then copies the header and the N identification bytes of `answer`,
    // never more than the buffer's size; N is kept as received. `answer` must hold at least
    // min(7 + count, Size()) bytes.
    void Store(const uint8_t* answer, uint32_t count);
    void Clear();

    const uint8_t* Data() const { return m_data.data(); }
    size_t Size() const { return m_data.size(); }
    uint32_t Count() const { return m_nCount; }
    Identification View() const { return Identification(m_data.data(), m_data.size(), m_nCount); }

private:
    std::vector<uint8_t> m_data;
    uint32_t m_nCount = 0;
};

// The shared buffer of CVelmora and CHalcyra (103 bytes).
InquiryBuffer& SharedInquiry();
// The shared buffer of CInkographer (39 bytes).
InquiryBuffer& SharedInkographerInquiry();

struct KnownProduct {
    std::string_view name;
    size_t compareLength;
};

// The products CVelmora drives, in the order they are compared.
std::span<const KnownProduct> KnownTransporterProducts();

// Recogniser for CVelmora: compares answer bytes 7-22 (the product name) with the known
// products in order, each over its compare length. On a match the answer goes into
// SharedInquiry() with N and the result is true; otherwise nothing is stored.
// `answer` is discovery's receive buffer: at least 103 bytes, zero-filled before the read.
bool IsKnownTransporter(const uint8_t* answer, uint32_t count);

// Recogniser for CHalcyra: the product name must be "QUENTAR CD XPTR ". On a match the answer
// goes into SharedInquiry() (103 bytes at most) with N, as IsKnownTransporter stores it.
bool IsHalcyraInquiry(const uint8_t* answer, uint32_t count);

// Recogniser for CInkographer: the product name must be "CD-R Inkographer". On a match the
// header and identification go into SharedInkographerInquiry() (39 bytes at most) with N.
bool IsInkographerInquiry(const uint8_t* answer, uint32_t count);

} // namespace dax
