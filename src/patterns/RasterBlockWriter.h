#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace dax {

class RasterCanvas;

// Puts a block of printer raster data together: commands, raw bytes and the canvas's rows
// compressed with method 1.
class RasterBlockWriter {
public:
    // The escape byte, then `text`.
    void Command(std::string_view text);
    void Bytes(std::span<const uint8_t> bytes);
    // The rows first..last of the canvas that have dots, compressed. A row move goes before
    // every row with `moveEveryRow`, else only where the rows do not follow each other.
    void Rows(const RasterCanvas& canvas, int first, int last, bool moveEveryRow);

    const std::vector<uint8_t>& Block() const { return m_block; }

private:
    std::vector<uint8_t> m_block;
};

} // namespace dax
