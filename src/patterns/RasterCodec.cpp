#include "patterns/RasterCodec.h"

namespace dax {

std::vector<uint8_t> EncodeRasterRow(std::span<const uint8_t> row) {
    std::vector<uint8_t> pairs;
    size_t i = 0;
    while (i < row.size()) {
        const uint8_t value = row[i];
        size_t run = 1;
        while (i + run < row.size() && row[i + run] == value && run < 256)
            ++run;
        pairs.push_back(static_cast<uint8_t>(run - 1));
        pairs.push_back(value);
        i += run;
    }
    return pairs;
}

bool DecodeRasterRow(std::span<const uint8_t> pairs, std::vector<uint8_t>& row) {
    row.clear();
    if (pairs.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < pairs.size(); i += 2)
        row.insert(row.end(), static_cast<size_t>(pairs[i]) + 1, pairs[i + 1]);
    return true;
}

} // namespace dax
