// The run-length codec of printer raster rows. Properties: decoding takes whole pairs only and
// gives count + 1 copies of each value; encoding any row decodes back to that row, in maximal
// runs (a pair repeats its neighbour's value only after a full run of 256) and never longer than
// two bytes per byte.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "patterns/RasterCodec.h"

using namespace dax;
using namespace daxfuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);

    std::vector<uint8_t> row{1, 2, 3};
    if (DecodeRasterRow(bytes, row)) {
        FUZZ_CHECK(size % 2 == 0);
        size_t at = 0;
        for (size_t i = 0; i < size; i += 2) {
            for (size_t k = 0; k <= bytes[i]; ++k)
                FUZZ_CHECK(at < row.size() && row[at++] == bytes[i + 1]);
        }
        FUZZ_CHECK(at == row.size());
    } else {
        FUZZ_CHECK(size % 2 == 1 && row.empty());
    }

    const std::vector<uint8_t> pairs = EncodeRasterRow(bytes);
    FUZZ_CHECK(pairs.size() % 2 == 0 && pairs.size() <= 2 * size);
    for (size_t i = 2; i < pairs.size(); i += 2)
        FUZZ_CHECK(pairs[i + 1] != pairs[i - 1] || pairs[i - 2] == 255);
    std::vector<uint8_t> back;
    FUZZ_CHECK(DecodeRasterRow(pairs, back));
    FUZZ_CHECK(back == bytes);
    return 0;
}
