#include "patterns/BuiltInPatterns.h"

#include "patterns/RasterBlock.h"
#include "patterns/RasterCodec.h"
#include "patterns/RasterPicture.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace dax {
namespace {

using Bytes = std::vector<uint8_t>;
using namespace std::string_literals;

std::vector<RasterRow> Rows(int pattern) {
    std::vector<RasterRow> rows;
    std::string error;
    EXPECT_TRUE(ReadRasterBlock(BuiltInPattern(pattern), rows, error)) << error;
    return rows;
}

Bytes Data(const RasterRow& row) {
    return Bytes(row.data.begin(), row.data.end());
}

// The dot rows where the offset marks have dots.
std::set<int> MarkRows() {
    std::set<int> rows;
    for (auto [first, last] :
         {std::pair{230, 262}, {453, 460}, {673, 748}, {960, 967}, {1145, 1147}})
        for (int y = first; y <= last; ++y)
            rows.insert(y);
    return rows;
}

TEST(BuiltInPatterns, BlocksHaveTheirSizesAndAreHandedOutByAddress) {
    EXPECT_EQ(BuiltInPattern(kPatternCalibrationGrid).size(), 53957u);
    EXPECT_EQ(BuiltInPattern(kPatternOffsetMarks).size(), 3370u);
    EXPECT_EQ(BuiltInPattern(2).data(), BuiltInPattern(2).data());
    for (int other : {0, 1, 4, -1})
        EXPECT_TRUE(BuiltInPattern(other).empty()) << other;
}

TEST(BuiltInPatterns, HeadersCarryTheSetUpCommandsInOrder) {
    const auto grid = BuiltInPattern(kPatternCalibrationGrid);
    const std::string header = "\x1B!c2C\xFF\x00\x55\xAA\x01\x02\x04\x08\x10\x20\x40\x80"
                               "\x1B!u0C\x1B!t000C\x1B!s425C\x1B*b1M\x1B*p33Y\x1B*b6W"s;
    ASSERT_GE(grid.size(), header.size());
    EXPECT_EQ(std::string(grid.begin(), grid.begin() + header.size()), header);
    const auto marks = BuiltInPattern(kPatternOffsetMarks);
    EXPECT_EQ(std::string(marks.begin(), marks.begin() + 12), "\x1B*b1M\x1B*p230Y");
}

TEST(BuiltInPatterns, EveryRowDecodesToAWholeRowAndReencodesToTheSameBytes) {
    for (int pattern : {kPatternCalibrationGrid, kPatternOffsetMarks}) {
        const auto rows = Rows(pattern);
        ASSERT_FALSE(rows.empty());
        for (const auto& row : rows) {
            Bytes decoded;
            ASSERT_TRUE(DecodeRasterRow(row.data, decoded)) << pattern << " row " << row.dotRow;
            ASSERT_EQ(decoded.size(), kRasterRowBytes) << pattern << " row " << row.dotRow;
            EXPECT_NE(decoded, Bytes(kRasterRowBytes, 0)) << "empty row " << row.dotRow << " sent";
            EXPECT_EQ(EncodeRasterRow(decoded), Data(row)) << pattern << " row " << row.dotRow;
        }
    }
}

TEST(BuiltInPatterns, RowRanges) {
    // The grid: one move to row 33, then every row to 1382, one after the other.
    const auto grid = Rows(kPatternCalibrationGrid);
    ASSERT_EQ(grid.size(), 1350u);
    for (size_t i = 0; i < grid.size(); ++i) {
        EXPECT_EQ(grid[i].dotRow, 33 + static_cast<int>(i));
        EXPECT_EQ(grid[i].moved, i == 0) << grid[i].dotRow;
    }
    // The marks: a move before every row, only the marks' rows.
    const auto marks = Rows(kPatternOffsetMarks);
    std::set<int> sent;
    for (const auto& row : marks) {
        EXPECT_TRUE(row.moved) << row.dotRow;
        EXPECT_TRUE(sent.insert(row.dotRow).second) << "row " << row.dotRow << " sent twice";
    }
    EXPECT_EQ(marks.size(), 128u);
    EXPECT_EQ(sent, MarkRows());
}

TEST(BuiltInPatterns, TellingRows) {
    const auto grid = Rows(kPatternCalibrationGrid);
    ASSERT_FALSE(grid.empty());
    EXPECT_EQ(Data(grid.front()), (Bytes{0x5F, 0x00, 0x00, 0x40, 0x5E, 0x00}));
    int barRows = 0;
    for (const auto& row : Rows(kPatternOffsetMarks))
        if (row.dotRow >= 230 && row.dotRow <= 262) {
            EXPECT_EQ(Data(row), (Bytes{0x5C, 0x00, 0x00, 0x07, 0x61, 0x00})) << row.dotRow;
            ++barRows;
        }
    EXPECT_EQ(barRows, 33);
}

// Each mark stays in its place on the disc, or the technician reads a wrong value.
TEST(BuiltInPatterns, MarksAndDiscOutlineLieWhereTheScalesExpectThem) {
    RasterPicture marks, grid;
    std::string error;
    ASSERT_TRUE(DecodeRasterPicture(BuiltInPattern(kPatternOffsetMarks), marks, error)) << error;
    ASSERT_TRUE(DecodeRasterPicture(BuiltInPattern(kPatternCalibrationGrid), grid, error)) << error;
    auto dot = [](const RasterPicture& p, int x, int y) {
        return (p.bits[y * kRasterRowBytes + x / 8] & (0x80 >> (x % 8))) != 0;
    };
    struct Box {
        int top, bottom, left, right;
    };
    const Box boxes[] = {{230, 262, 749, 751},   {453, 460, 727, 802},   {673, 748, 507, 514},
                         {673, 748, 1014, 1021}, {704, 717, 118, 171},   {704, 717, 262, 291},
                         {704, 717, 1235, 1263}, {704, 717, 1354, 1408}, {960, 967, 727, 802},
                         {1145, 1147, 653, 685}, {1145, 1147, 749, 781}};
    for (int y = 0; y < marks.rows; ++y)
        for (int x = 0; x < kRasterRowDots; ++x)
            if (dot(marks, x, y)) {
                bool inside = false;
                for (const auto& b : boxes)
                    inside |= y >= b.top && y <= b.bottom && x >= b.left && x <= b.right;
                ASSERT_TRUE(inside) << "stray mark dot at column " << x << ", row " << y;
            }
    // The rotational arrows reach both ends of their columns, tip and tail, where the technician
    // reads them; and the grid prints nothing there that an arrow would overprint (the scales'
    // "32").
    for (const Box& b : {boxes[4], boxes[5], boxes[6], boxes[7]}) {
        bool left = false, right = false;
        int under = 0;
        for (int y = b.top; y <= b.bottom; ++y) {
            left |= dot(marks, b.left, y);
            right |= dot(marks, b.right, y);
            for (int x = b.left; x <= b.right; ++x)
                under += dot(grid, x, y);
        }
        EXPECT_TRUE(left && right) << "arrow " << b.left << "-" << b.right;
        EXPECT_EQ(under, 0) << "grid dots under the arrow " << b.left << "-" << b.right;
    }
    // The disc outline reaches columns 90 and 1439 on the centre row and row 1382 at the bottom.
    ASSERT_EQ(grid.rows, 1383);
    int left = kRasterRowDots, right = -1;
    for (int x = 0; x < kRasterRowDots; ++x)
        if (dot(grid, x, 707) || dot(grid, x, 708)) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    EXPECT_EQ(left, 90);
    EXPECT_EQ(right, 1439);
}

} // namespace
} // namespace dax
