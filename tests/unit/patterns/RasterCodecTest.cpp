#include "patterns/RasterCodec.h"

#include "patterns/RasterBlock.h"
#include "patterns/RasterPicture.h"

#include <gtest/gtest.h>
#include <string>

namespace dax {
namespace {

using Bytes = std::vector<uint8_t>;

using namespace std::string_literals;

Bytes Block(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

TEST(RasterCodec, PairsAreMaximalRunsOfOneTo256Bytes) {
    Bytes row(kRasterRowBytes, 0);
    EXPECT_EQ(EncodeRasterRow(row), (Bytes{0xBF, 0x00}));
    row[0] = 0xFF;
    row[1] = 0xFF;
    row[96] = 0x40;
    row[191] = 0x01;
    EXPECT_EQ(EncodeRasterRow(row),
              (Bytes{0x01, 0xFF, 0x5D, 0x00, 0x00, 0x40, 0x5D, 0x00, 0x00, 0x01}));
    // Longer than one pair can carry: the run goes on in a second pair.
    EXPECT_EQ(EncodeRasterRow(Bytes(300, 0xAA)), (Bytes{0xFF, 0xAA, 0x2B, 0xAA}));

    Bytes decoded;
    ASSERT_TRUE(DecodeRasterRow(Bytes{0xFF, 0xAA, 0x2B, 0xAA}, decoded));
    EXPECT_EQ(decoded, Bytes(300, 0xAA));
    EXPECT_FALSE(DecodeRasterRow(Bytes{0x05, 0x00, 0x07}, decoded)) << "half a pair";
    EXPECT_TRUE(decoded.empty());
}

TEST(RasterBlock, ReadsMovesRowsAndSetUpAndRefusesAnythingElse) {
    const Bytes good = Block("\x1B!u0C\x1B*b1M\x1B*p7Y\x1B*b2W\xBF\x00\x1B*b2W\xBF\x01"
                             "\x1B*p3Y\x1B*b4W\x00\x80\xBE\x00"s);
    std::vector<RasterRow> rows;
    std::string error;
    ASSERT_TRUE(ReadRasterBlock(good, rows, error)) << error;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].dotRow, 7);
    EXPECT_TRUE(rows[0].moved);
    EXPECT_EQ(rows[1].dotRow, 8);
    EXPECT_FALSE(rows[1].moved);
    EXPECT_EQ(rows[2].dotRow, 3);
    EXPECT_EQ(rows[2].data.size(), 4u);

    const std::pair<std::string, std::string> bad[] = {
        {"\x1B*b1M\x1B*b4W\x00\x80"s, "raster row cut short at offset 5"},
        {"\x1B*b2W\xBF\x00"s, "raster row before its compression method at offset 0"},
        {"\x1B*b2M", "unsupported compression method at offset 0"},
        {"\x1B*b1M\x1B*p12", "malformed row move at offset 5"},
        {"\x1B*b1MX", "data outside a command at offset 5"},
        {"\x1B!c2C\xFF\x00"s, "test bytes cut short at offset 0"},
        {"\x1B&l0H", "unknown command at offset 0"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_FALSE(ReadRasterBlock(Block(text), rows, error)) << message;
        EXPECT_EQ(error, message);
        EXPECT_TRUE(rows.empty());
    }
}

TEST(RasterPicture, RowsOverprintAndMalformedRowsOrFarRowsAreRefused) {
    RasterPicture picture;
    std::string error;
    const Bytes twice = Block("\x1B*b1M\x1B*p2Y\x1B*b4W\x00\x80\xBE\x00"
                              "\x1B*p2Y\x1B*b4W\x00\x01\xBE\x00"s);
    ASSERT_TRUE(DecodeRasterPicture(twice, picture, error)) << error;
    EXPECT_EQ(picture.rows, 3);
    ASSERT_EQ(picture.bits.size(), 3 * kRasterRowBytes);
    EXPECT_EQ(picture.bits[2 * kRasterRowBytes], 0x81);
    EXPECT_EQ(picture.bits[0], 0x00);

    EXPECT_FALSE(DecodeRasterPicture(Block("\x1B*b1M\x1B*b2W\x00\x80"s), picture, error));
    EXPECT_EQ(error, "dot row 0 does not decode to 192 bytes");
    EXPECT_FALSE(
        DecodeRasterPicture(Block("\x1B*b1M\x1B*p999999Y\x1B*b2W\xBF\x00"s), picture, error));
    EXPECT_EQ(error, "dot row 999999 is past the end of any disc");
    EXPECT_EQ(picture.rows, 0);
}

} // namespace
} // namespace dax
