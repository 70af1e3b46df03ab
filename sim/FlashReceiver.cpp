#include "FlashReceiver.h"

#include <algorithm>

namespace dax::sim {

void CFlashReceiver::Begin(EFlashTarget target, std::size_t expected) {
    m_target = target;
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
    return true;
}

} // namespace dax::sim
