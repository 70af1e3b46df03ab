#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dax {

// One printer raster row: 1536 dots, eight to a byte, the leftmost dot in the highest bit.
constexpr int kRasterRowDots = 1536;
constexpr size_t kRasterRowBytes = kRasterRowDots / 8;

// Method 1 of the printer's raster rows: pairs (count, value), each standing for count + 1
// copies of value. Runs are maximal: each pair takes as many equal bytes as it can (up to 256),
// so in a 192-byte row neighbouring pairs never carry the same value.
std::vector<uint8_t> EncodeRasterRow(std::span<const uint8_t> row);

// The bytes the pairs stand for; false (row left empty) when the data are not whole pairs.
bool DecodeRasterRow(std::span<const uint8_t> pairs, std::vector<uint8_t>& row);

} // namespace dax
