#include "devices/ProductRecognition.h"

#include <algorithm>
#include <cstring>

namespace dax {

InquiryBuffer::InquiryBuffer(size_t size) : m_data(size, 0) {}

void InquiryBuffer::Store(const uint8_t* answer, uint32_t count) {
    Clear();
    if (answer == nullptr) {
        return;
    }
    const size_t length =
        std::min<size_t>(Identification::kHeadLength + static_cast<size_t>(count), m_data.size());
    std::memcpy(m_data.data(), answer, length);
    m_nCount = count;
}

void InquiryBuffer::Clear() {
    std::fill(m_data.begin(), m_data.end(), 0);
    m_nCount = 0;
}

InquiryBuffer& SharedInquiry() {
    static InquiryBuffer buffer(InquiryBuffer::kTransporterSize);
    return buffer;
}

InquiryBuffer& SharedInkographerInquiry() {
    static InquiryBuffer buffer(InquiryBuffer::kInkographerSize);
    return buffer;
}

namespace {

constexpr KnownProduct kKnownProducts[] = {
    {"DISC TRANSPORTER", 16},
    {"QUILLON BENCHER ", 16},
    {"KORVIX 1400x    ", 16},
    {"BENCHER 2       ", 16},
    {"KORVIX QT6400   ", 16},
    {"KORVIX QT6600   ", 16},
    {"KORVIX QT6800   ", 16},
    {"KORVIX 6800     ", 16},
    {"KORVIX 6400     ", 16},
    {"BENCHER 4       ", 16},
    {"620x-T", 6},
    {"Korvix 240x     ", 16},
    {"Hue Master 240x ", 16},
    {"KORVIX BOOT     ", 16},
    {"Moltrian II E05 ", 16},
    {"Moltrian II P05 ", 16},
    {"Moltrian II E06 ", 16},
    {"Moltrian II P06 ", 16},
    {"Moltrian III E06", 16},
    {"Moltrian III P06", 16},
};

} // namespace

std::span<const KnownProduct> KnownTransporterProducts() {
    return kKnownProducts;
}

bool IsKnownTransporter(const uint8_t* answer, uint32_t count) {
    if (answer == nullptr) {
        return false;
    }
    const uint8_t* name = answer + Identification::kHeadLength;
    for (const KnownProduct& product : kKnownProducts) {
        if (std::memcmp(name, product.name.data(), product.compareLength) == 0) {
            SharedInquiry().Store(answer, count);
            return true;
        }
    }
    return false;
}

bool IsHalcyraInquiry(const uint8_t* answer, uint32_t count) {
    static constexpr std::string_view kName = "QUENTAR CD XPTR ";
    if (answer == nullptr ||
        std::memcmp(answer + Identification::kHeadLength, kName.data(), kName.size()) != 0) {
        return false;
    }
    SharedInquiry().Store(answer, count);
    return true;
}

bool IsInkographerInquiry(const uint8_t* answer, uint32_t count) {
    static constexpr std::string_view kName = "CD-R Inkographer";
    if (answer == nullptr ||
        std::memcmp(answer + Identification::kHeadLength, kName.data(), kName.size()) != 0) {
        return false;
    }
    SharedInkographerInquiry().Store(answer, count);
    return true;
}

} // namespace dax
