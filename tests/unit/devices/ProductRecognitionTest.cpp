#include "devices/ProductRecognition.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace dax {
namespace {

// Discovery's receive buffer: 103 zero bytes, the header, then N identification bytes.
std::vector<uint8_t> Answer(const std::string& identification, uint32_t count) {
    std::vector<uint8_t> buffer(InquiryBuffer::kTransporterSize, 0);
    std::memcpy(buffer.data(), "\x1B!e0", 4);
    const std::string n = std::to_string(count);
    std::memcpy(buffer.data() + 4, (std::string(3 - std::min<size_t>(n.size(), 3), '0') + n).data(),
                3);
    std::memcpy(buffer.data() + 7, identification.data(),
                std::min<size_t>({identification.size(), count, buffer.size() - 7}));
    return buffer;
}

class ProductRecognition : public ::testing::Test {
protected:
    void SetUp() override { SharedInquiry().Clear(); }
};

TEST_F(ProductRecognition, EveryKnownProductIsRecognisedOverItsCompareLength) {
    const auto products = KnownTransporterProducts();
    ASSERT_EQ(products.size(), 20u);
    for (const KnownProduct& p : products) {
        EXPECT_EQ(p.compareLength, p.name == "620x-T" ? 6u : 16u) << p.name;
        EXPECT_TRUE(IsKnownTransporter(Answer(std::string(p.name) + "VERSION 3.07", 32).data(), 32))
            << p.name;
    }
}

TEST_F(ProductRecognition, StoresHeaderIdentificationAndZeroFillUpTo103Bytes) {
    // Stale bytes after the announced identification are not taken over.
    auto answer = Answer(std::string("KORVIX 6800     ") + std::string(48, 'p'), 64);
    answer[80] = 0xEE;
    ASSERT_TRUE(IsKnownTransporter(answer.data(), 64));
    const InquiryBuffer& shared = SharedInquiry();
    EXPECT_EQ(shared.Count(), 64u);
    ASSERT_EQ(shared.Size(), 103u);
    EXPECT_TRUE(std::equal(answer.begin(), answer.begin() + 71, shared.Data()));
    EXPECT_TRUE(
        std::all_of(shared.Data() + 71, shared.Data() + 103, [](uint8_t b) { return b == 0; }));
    EXPECT_TRUE(shared.View().HasPrinter());

    // A count beyond the store: of a larger buffer only 103 bytes are taken.
    std::vector<uint8_t> big(300, 'z');
    const auto head = Answer("DISC TRANSPORTER", 200);
    std::copy(head.begin(), head.begin() + 23, big.begin());
    ASSERT_TRUE(IsKnownTransporter(big.data(), 200));
    EXPECT_EQ(SharedInquiry().Count(), 200u);
    EXPECT_EQ(SharedInquiry().View().Present(), 96u);
    EXPECT_TRUE(std::equal(big.begin(), big.begin() + 103, SharedInquiry().Data()));
}

// Prefix and blanks matter; a rejected answer, of another family too, leaves the buffer as it was.
TEST_F(ProductRecognition, AnythingButAKnownNameIsRejectedAndTheBufferKept) {
    EXPECT_TRUE(IsKnownTransporter(Answer("620x-T\x01zzzzzzzzz", 16).data(), 16));
    ASSERT_TRUE(IsKnownTransporter(Answer("BENCHER 4       ", 32).data(), 32));
    const std::vector<uint8_t> before(SharedInquiry().Data(), SharedInquiry().Data() + 103);
    EXPECT_FALSE(IsKnownTransporter(Answer("KORVIX 6400    x", 32).data(), 32));
    EXPECT_FALSE(IsKnownTransporter(Answer("korvix 6400     ", 32).data(), 32));
    EXPECT_FALSE(IsKnownTransporter(Answer("QUENTAR CD XPTR ", 96).data(), 96));
    EXPECT_FALSE(IsKnownTransporter(Answer("CD-R Inkographer", 32).data(), 32));
    EXPECT_EQ(SharedInquiry().Count(), 32u);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), SharedInquiry().Data()));
}

} // namespace
} // namespace dax
