#include "Numbers.h"

namespace dax::sim {

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 9)
        return false;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high)
        return false;
    value = v;
    return true;
}

std::string Digits(long value, int width) {
    std::string out(static_cast<std::size_t>(width), '0');
    unsigned long v = value < 0 ? 0 : static_cast<unsigned long>(value);
    for (int i = width - 1; i >= 0; --i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return out;
}

} // namespace dax::sim
