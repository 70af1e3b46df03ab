#include "FlashReceiver.h"

#include <algorithm>
#include <cstdio>

namespace dax::sim {

namespace {

std::string Hex16(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

} // namespace

void CFlashReceiver::Begin(EFlashTarget target, std::size_t expected, bool checksummed) {
    m_target = target;
    m_bChecksummed = checksummed;
    m_nExpected = std::min(expected, kMaxImage);
    m_nDamaged = 0;
    m_nChecksum = 0;
    m_image.clear();
    m_image.reserve(m_nExpected);
}

std::size_t CFlashReceiver::Feed(const std::string& data, bool rightRate) {
    const std::size_t take = std::min(data.size(), m_nExpected - m_image.size());
    for (std::size_t i = 0; i < take; ++i)
        m_nChecksum = static_cast<std::uint16_t>(m_nChecksum + static_cast<unsigned char>(data[i]));
    m_image.append(data, 0, take);
    if (!rightRate)
        m_nDamaged += take;
    return take;
}

bool CFlashReceiver::Judge(std::string& reason) const {
    if (!Complete()) {
        reason = "image incomplete";
        return false;
    }
    if (m_nDamaged > 0) {
        reason = std::to_string(m_nDamaged) + " bytes arrived at a wrong rate";
        return false;
    }
    if (!m_bChecksummed)
        return true;
    if (m_image.size() != kChecksummedImage) {
        reason = "old firmware takes " + std::to_string(kChecksummedImage) + " bytes, " +
                 std::to_string(m_image.size()) + " were announced";
        return false;
    }
    const std::size_t body = kChecksummedImage - 2;
    unsigned sum = 0;
    for (std::size_t i = 0; i < body; ++i)
        sum += static_cast<unsigned char>(m_image[i]);
    const unsigned stored = static_cast<unsigned>(static_cast<unsigned char>(m_image[body])) << 8 |
                            static_cast<unsigned char>(m_image[body + 1]);
    if ((sum & 0xFFFFu) != stored) {
        reason = "checksum " + Hex16(stored) + " sent, " + Hex16(sum) + " computed";
        return false;
    }
    return true;
}

} // namespace dax::sim
