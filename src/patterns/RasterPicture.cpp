#include "patterns/RasterPicture.h"

#include "patterns/RasterBlock.h"
#include "patterns/RasterCodec.h"

#include <algorithm>
#include <utility>

namespace dax {

bool DecodeRasterPicture(std::span<const uint8_t> block, RasterPicture& picture,
                         std::string& error) {
    picture = RasterPicture{};
    std::vector<RasterRow> rows;
    if (!ReadRasterBlock(block, rows, error))
        return false;
    int last = -1;
    for (const auto& r : rows)
        last = std::max(last, r.dotRow);
    if (last >= kMaxPictureRows) {
        error = "dot row " + std::to_string(last) + " is past the end of any disc";
        return false;
    }
    RasterPicture result;
    result.rows = last + 1;
    result.bits.assign(static_cast<size_t>(result.rows) * kRasterRowBytes, 0);
    std::vector<uint8_t> decoded;
    for (const auto& r : rows) {
        if (!DecodeRasterRow(r.data, decoded) || decoded.size() != kRasterRowBytes) {
            error = "dot row " + std::to_string(r.dotRow) + " does not decode to " +
                    std::to_string(kRasterRowBytes) + " bytes";
            return false;
        }
        // A row sent twice prints over itself.
        auto out = result.bits.begin() + static_cast<ptrdiff_t>(r.dotRow * kRasterRowBytes);
        for (size_t i = 0; i < kRasterRowBytes; ++i)
            out[i] |= decoded[i];
    }
    picture = std::move(result);
    return true;
}

} // namespace dax
