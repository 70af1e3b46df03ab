#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace daxfuzz {

// Takes choices and byte runs from the front of a fuzz input; past its end everything is 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint32_t Number(uint32_t below) {
        uint32_t n = uint32_t(Byte()) << 8 | Byte();
        return below == 0 ? 0 : n % below;
    }
    bool Flag() { return Byte() & 1; }
    std::vector<uint8_t> Bytes(size_t n) {
        n = std::min(n, m_size - m_pos);
        std::vector<uint8_t> out(m_data + m_pos, m_data + m_pos + n);
        m_pos += n;
        return out;
    }
    std::vector<uint8_t> Rest() { return Bytes(m_size - m_pos); }
    size_t Left() const { return m_size - m_pos; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace daxfuzz
