#include "patterns/BuiltInPatterns.h"

#include "patterns/PatternArtwork.h"
#include "patterns/RasterBlockWriter.h"

#include <vector>

namespace dax {

namespace {

// Printer test bytes sent ahead of the grid: all dots, none, both alternations, each single dot.
constexpr uint8_t kTestBytes[] = {0xFF, 0x00, 0x55, 0xAA, 0x01, 0x02,
                                  0x04, 0x08, 0x10, 0x20, 0x40, 0x80};

std::vector<uint8_t> BuildCalibrationGrid() {
    RasterBlockWriter w;
    w.Command("!c2C");
    w.Bytes(kTestBytes);
    w.Command("!u0C");
    w.Command("!t000C");
    w.Command("!s425C");
    w.Command("*b1M");
    // One move to the top of the disc; the outline puts dots in every row below it.
    w.Rows(DrawCalibrationGrid(), kDiscTopRow, kDiscBottomRow, false);
    return w.Block();
}

std::vector<uint8_t> BuildOffsetMarks() {
    RasterBlockWriter w;
    w.Command("*b1M");
    w.Rows(DrawOffsetMarks(), 0, kArtworkRows - 1, true);
    return w.Block();
}

} // namespace

std::span<const uint8_t> BuiltInPattern(int number) {
    if (number == kPatternCalibrationGrid) {
        static const std::vector<uint8_t> grid = BuildCalibrationGrid();
        return grid;
    }
    if (number == kPatternOffsetMarks) {
        static const std::vector<uint8_t> marks = BuildOffsetMarks();
        return marks;
    }
    return {};
}

} // namespace dax
