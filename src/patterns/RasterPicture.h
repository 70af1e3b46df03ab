#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dax {

// What a block of raster data prints: dot rows 0 to the last row sent, each a full 1536-dot
// row (192 bytes, leftmost dot in the highest bit); rows not sent stay blank.
struct RasterPicture {
    int rows = 0;
    std::vector<uint8_t> bits;
};

// Rows past this are not believed: no disc is that tall.
constexpr int kMaxPictureRows = 16384;

// False with a message when the block cannot be read or a row does not make a whole dot row.
bool DecodeRasterPicture(std::span<const uint8_t> block, RasterPicture& picture,
                         std::string& error);

} // namespace dax
