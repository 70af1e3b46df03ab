#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dax {

// One raster row of a block of printer data, as sent: its dot row and its compressed bytes.
struct RasterRow {
    int dotRow = 0;
    bool moved = false; // a row move (ESC *p...Y) came right before it
    std::span<const uint8_t> data;
};

// Walks a block of printer raster data (row moves, compression method, raster rows and the
// printer set-up commands) and lists its rows in the order sent. False with a message naming
// the offset when the block holds anything else or ends inside a command.
bool ReadRasterBlock(std::span<const uint8_t> block, std::vector<RasterRow>& rows,
                     std::string& error);

} // namespace dax
