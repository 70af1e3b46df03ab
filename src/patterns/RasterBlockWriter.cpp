#include "patterns/RasterBlockWriter.h"

#include "patterns/RasterCanvas.h"
#include "patterns/RasterCodec.h"

#include <string>

namespace dax {

void RasterBlockWriter::Command(std::string_view text) {
    m_block.push_back(0x1B);
    m_block.insert(m_block.end(), text.begin(), text.end());
}

void RasterBlockWriter::Bytes(std::span<const uint8_t> bytes) {
    m_block.insert(m_block.end(), bytes.begin(), bytes.end());
}

void RasterBlockWriter::Rows(const RasterCanvas& canvas, int first, int last, bool moveEveryRow) {
    int next = -1; // the row the printer is at
    for (int y = first; y <= last && y < canvas.Rows(); ++y) {
        if (canvas.RowEmpty(y))
            continue;
        if (moveEveryRow || y != next)
            Command("*p" + std::to_string(y) + "Y");
        const auto pairs = EncodeRasterRow(canvas.Row(y));
        Command("*b" + std::to_string(pairs.size()) + "W");
        Bytes(pairs);
        next = y + 1;
    }
}

} // namespace dax
