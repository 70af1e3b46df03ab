#include "devices/Answers.h"

#include "devices/Commands.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace dax {
namespace {

// Each answer lives in a heap buffer of exactly its length, so a read past it trips the
// address sanitizer.
struct A {
    std::vector<uint8_t> bytes;
    A(const std::string& text) : bytes(text.begin(), text.end()) {}
    const uint8_t* p() const { return bytes.data(); }
    uint32_t n() const { return static_cast<uint32_t>(bytes.size()); }
};

TEST(Answers, AcknowledgementAndBaud) {
    EXPECT_TRUE(IsAcknowledged(A("\x1B!f11x").p(), 6));
    EXPECT_FALSE(IsAcknowledged(A("\x1B!f10x").p(), 6)); // all six bytes came: still refused
    EXPECT_FALSE(IsAcknowledged(A("\x1B!f11").p(), 5));
    EXPECT_TRUE(IsBaudAccepted(A("\x1B!b1C").p(), 5));
    EXPECT_FALSE(IsBaudAccepted(A("\x1B!b1D").p(), 5));
    EXPECT_FALSE(IsBaudAccepted(A("\x1B!b1").p(), 4));
}

TEST(Answers, Sense) {
    SenseCodes codes{7, 7};
    std::string reason;
    const A ok("\x1B!e1005013x");
    ASSERT_TRUE(ParseSense(ok.p(), ok.n(), codes));
    EXPECT_EQ(codes.transporter, 5);
    EXPECT_EQ(codes.printer, 13);
    const std::pair<std::string, std::string> bad[] = {
        {"\x1B!e1005013", "Short sense answer"},
        {"\x1B!e10 5013x", "Malformed sense answer"},
        {"\x1B!e1005-13x", "Malformed sense answer"},
    };
    for (const auto& [text, why] : bad) {
        const A a(text);
        EXPECT_FALSE(ParseSense(a.p(), a.n(), codes, &reason));
        EXPECT_EQ(reason, why);
    }
    EXPECT_EQ(codes.transporter, 5) << "a failed parse leaves the codes alone";

    const A boot("\x1B!f03x");
    ASSERT_TRUE(ParseBootSense(boot.p(), boot.n(), codes));
    EXPECT_EQ(codes.transporter, 3);
    EXPECT_EQ(codes.printer, 0);
    EXPECT_FALSE(ParseBootSense(A("\x1B!f0Ax").p(), 6, codes, &reason));
    EXPECT_EQ(reason, "Malformed sense answer");
    EXPECT_FALSE(ParseBootSense(A("\x1B!f03").p(), 5, codes));
}

TEST(Answers, ElementStatus) {
    ElementStatus s;
    std::string reason;
    ASSERT_TRUE(ParseElementStatus(A("\x1B!f01215150x").p(), 12, s));
    EXPECT_TRUE(s.valid && s.state == 2 && s.value == 15150);
    // A refusal still reports what it carries, -1 where that is not digits.
    ASSERT_TRUE(ParseElementStatus(A("\x1B!f00100042x").p(), 12, s));
    EXPECT_TRUE(!s.valid && s.state == 1 && s.value == 42);
    ASSERT_TRUE(ParseElementStatus(A("\x1B!f00?     x").p(), 12, s));
    EXPECT_TRUE(s.state == -1 && s.value == -1);
    EXPECT_FALSE(ParseElementStatus(A("\x1B!f012151 0x").p(), 12, s, &reason));
    EXPECT_EQ(reason, "Malformed element status answer");
    EXPECT_FALSE(ParseElementStatus(A("\x1B!f01215150").p(), 11, s, &reason));
    EXPECT_EQ(reason, "Short element status answer");
}

TEST(Answers, StoredTextKeepsItsBlanks) {
    StoredText t;
    ASSERT_TRUE(ParseStoredText(A("\x1B!f:1xAB12    ").p(), 14, t));
    EXPECT_TRUE(t.valid);
    EXPECT_EQ(t.text, "AB12    ");
    ASSERT_TRUE(ParseStoredText(A("\x1B!f:0xAB12    ").p(), 14, t));
    EXPECT_FALSE(t.valid);
    EXPECT_EQ(t.text, "");
    EXPECT_FALSE(ParseStoredText(A("\x1B!f:1xAB12   ").p(), 13, t));
}

TEST(Answers, Counter) {
    const std::string command = Command(kCmdCounter, '1');
    const std::pair<std::string, int> cases[] = {
        {"\x1B!f;1 012345", 12345},
        {"\x1B!f;1x  42  ", 42},
        {"\x1B!f;1x-7    ", -7},
        {"\x1B!f;2x012345", -1}, // another counter's answer
        {"\x1B!f;1x      ", -1},
        {"\x1B!f;1xabc   ", -1},
        {"\x1B!f;1", -1},
        {"\x1B!f;", -1},
        {"\x1B!f;1x999999", 999999}, // digits up to the very end, no further
        {"\x1B!f;1x" + std::string(40, '9'), INT_MAX},
    };
    for (const auto& [text, expected] : cases) {
        const A a(text);
        EXPECT_EQ(ParseCounter(command, a.p(), a.n()), expected) << text.substr(1);
    }
    // CHalcyra: four-byte prefix, value from byte 5.
    EXPECT_EQ(ParseCounter(kHalcyraCounterPrefix, A("\x1B!f;2601234 ").p(), 12, 5,
                           kHalcyraCounterPrefixLength),
              601234);
}

TEST(Answers, InquiryHeadAndRevision) {
    uint32_t count = 0;
    std::string reason;
    ASSERT_TRUE(ParseInquiryHead(A("\x1B!e096x").p(), 7, count));
    EXPECT_EQ(count, 96u);
    EXPECT_FALSE(ParseInquiryHead(A("\x1B!e x64").p(), 7, count, &reason));
    EXPECT_EQ(reason, "Malformed inquiry answer");
    EXPECT_FALSE(ParseInquiryHead(A("\x1B!e006").p(), 6, count));

    const std::pair<std::string, int> revisions[] = {
        {"3.07 ", 3070}, {"3.209", 3209}, {"3.07", 3070}, {"3.0x", -1}, {"x.07 ", -1}, {"3.0", -1},
    };
    for (const auto& [text, expected] : revisions) {
        const A a(text);
        int revision = 0;
        EXPECT_EQ(ParseRevision(a.p(), a.n(), revision) ? revision : -1, expected) << text;
    }
}

// An inquiry answer in a zero-filled buffer: header, product, "VERSION ", revision, printer.
std::vector<uint8_t> Inquiry(uint32_t count, size_t size, std::string product,
                             const std::string& revision, const std::string& printer = {}) {
    std::vector<uint8_t> buffer(size, 0);
    std::string id = std::move(product) + "VERSION " + revision;
    id.resize(32, ' ');
    id = "\x1B!e0" + std::to_string(count + 1000).substr(1) + id + printer;
    std::memcpy(buffer.data(), id.data(), std::min(id.size(), size));
    return buffer;
}

TEST(Identification, ReadsTheFields) {
    const std::string printer = "MORRANE PRINTER DKPR22  1.234";
    const auto buffer = Inquiry(64, 103, "KORVIX 6400     ", "3.07 A", printer);
    const Identification id(buffer.data(), buffer.size(), 64);
    int revision = 0;
    EXPECT_TRUE(id.HasPrinter());
    EXPECT_EQ(id.ProductName(), "KORVIX 6400     ");
    ASSERT_TRUE(id.TransporterRevision(revision));
    EXPECT_EQ(revision, 3070);
    EXPECT_EQ(id.RevisionSuffix(), 'A');
    EXPECT_EQ(id.TransporterId(), "KORVIX 6400     VERSION 3.07 A  ");
    EXPECT_TRUE(id.IsMorranePrinter());
    EXPECT_EQ(id.PrinterModelCode(), "DKPR22");
    ASSERT_TRUE(id.PrinterRevision(revision));
    EXPECT_EQ(revision, 1234);
    EXPECT_EQ(id.PrinterId(), "   " + printer); // "%32.32s" right-aligns a short text
}

TEST(Identification, ReadsOnlyWhatArrived) {
    auto buffer = Inquiry(20, 103, "DISC TRANSPORTER", "3.07 A");
    const Identification id(buffer.data(), buffer.size(), 20);
    int revision = 0;
    EXPECT_FALSE(id.HasPrinter());
    EXPECT_FALSE(id.TransporterRevision(revision));
    EXPECT_EQ(id.RevisionSuffix(), 0);
    EXPECT_EQ(id.TransporterId(), std::string(12, ' ') + "DISC TRANSPORTERVERS");

    // A count larger than the store is cut to the store.
    buffer = Inquiry(96, 39, "CD-R Inkographer", "4.010 ");
    const Identification small(buffer.data(), buffer.size(), 96);
    EXPECT_EQ(small.Count(), 96u);
    EXPECT_EQ(small.Present(), 32u);
    EXPECT_EQ(small.PrinterId(), std::string(32, ' '));
    EXPECT_FALSE(small.IsMorranePrinter());
    ASSERT_TRUE(small.TransporterRevision(revision));
    EXPECT_EQ(revision, 4010);
}

} // namespace
} // namespace dax
