#include "devices/Answers.h"

#include "devices/Commands.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace dax {
namespace {

// The answer's bytes, in a buffer of exactly their length so that a read past it shows up
// under the address sanitizer.
std::vector<uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

uint32_t Size(const std::vector<uint8_t>& v) {
    return static_cast<uint32_t>(v.size());
}

TEST(Answers, Acknowledgement) {
    EXPECT_TRUE(IsAcknowledged(Bytes("\x1B!f11x").data(), 6));
    EXPECT_FALSE(IsAcknowledged(Bytes("\x1B!f10x").data(), 6));
    const auto shortAnswer = Bytes("\x1B!f11");
    EXPECT_FALSE(IsAcknowledged(shortAnswer.data(), Size(shortAnswer)));
    EXPECT_FALSE(IsAcknowledged(nullptr, 6));
}

TEST(Answers, Sense) {
    SenseCodes codes;
    std::string reason;
    auto a = Bytes("\x1B!e1005013x");
    ASSERT_TRUE(ParseSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(codes.transporter, 5);
    EXPECT_EQ(codes.printer, 13);

    // A longer answer (CHalcyra's 14 bytes) reads the same fields.
    a = Bytes("\x1B!e1255002007x");
    ASSERT_TRUE(ParseSense(a.data(), Size(a), codes));
    EXPECT_EQ(codes.transporter, 255);

    codes = {7, 7};
    a = Bytes("\x1B!e1005013");
    EXPECT_FALSE(ParseSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(reason, "Short sense answer");
    a = Bytes("\x1B!e10 5013x");
    EXPECT_FALSE(ParseSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(reason, "Malformed sense answer");
    a = Bytes("\x1B!e1005-13x");
    EXPECT_FALSE(ParseSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(codes.transporter, 7) << "a failed parse leaves the codes alone";
}

TEST(Answers, BootSense) {
    SenseCodes codes{9, 9};
    std::string reason;
    auto a = Bytes("\x1B!f03x");
    ASSERT_TRUE(ParseBootSense(a.data(), Size(a), codes));
    EXPECT_EQ(codes.transporter, 3);
    EXPECT_EQ(codes.printer, 0);
    a = Bytes("\x1B!f0Ax");
    EXPECT_FALSE(ParseBootSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(reason, "Malformed sense answer");
    a = Bytes("\x1B!f03");
    EXPECT_FALSE(ParseBootSense(a.data(), Size(a), codes, &reason));
    EXPECT_EQ(reason, "Short sense answer");
}

TEST(Answers, ElementStatus) {
    ElementStatus status;
    std::string reason;
    auto a = Bytes("\x1B!f01215150x");
    ASSERT_TRUE(ParseElementStatus(a.data(), Size(a), status));
    EXPECT_TRUE(status.valid);
    EXPECT_EQ(status.state, 2);
    EXPECT_EQ(status.value, 15150);

    // A refusal still reports what it carries, and -1 where it carries no digits.
    a = Bytes("\x1B!f00100042x");
    ASSERT_TRUE(ParseElementStatus(a.data(), Size(a), status));
    EXPECT_FALSE(status.valid);
    EXPECT_EQ(status.state, 1);
    EXPECT_EQ(status.value, 42);
    a = Bytes("\x1B!f00?     x");
    ASSERT_TRUE(ParseElementStatus(a.data(), Size(a), status));
    EXPECT_EQ(status.state, -1);
    EXPECT_EQ(status.value, -1);

    a = Bytes("\x1B!f012151 0x");
    EXPECT_FALSE(ParseElementStatus(a.data(), Size(a), status, &reason));
    EXPECT_EQ(reason, "Malformed element status answer");
    a = Bytes("\x1B!f01215150");
    EXPECT_FALSE(ParseElementStatus(a.data(), Size(a), status, &reason));
    EXPECT_EQ(reason, "Short element status answer");
}

TEST(Answers, StoredTextKeepsItsBlanks) {
    StoredText stored;
    std::string reason;
    auto a = Bytes("\x1B!f:1xAB12    ");
    ASSERT_TRUE(ParseStoredText(a.data(), Size(a), stored));
    EXPECT_TRUE(stored.valid);
    EXPECT_EQ(stored.text, "AB12    ");
    a = Bytes("\x1B!f:0xAB12    ");
    ASSERT_TRUE(ParseStoredText(a.data(), Size(a), stored));
    EXPECT_FALSE(stored.valid);
    EXPECT_EQ(stored.text, "");
    a = Bytes("\x1B!f:1xAB12   ");
    EXPECT_FALSE(ParseStoredText(a.data(), Size(a), stored, &reason));
    EXPECT_EQ(reason, "Short stored text answer");
}

TEST(Answers, BaudAcceptedOnlyOnTheExactFiveBytes) {
    EXPECT_TRUE(IsBaudAccepted(Bytes("\x1B!b1C").data(), 5));
    EXPECT_FALSE(IsBaudAccepted(Bytes("\x1B!b0C").data(), 5));
    EXPECT_FALSE(IsBaudAccepted(Bytes("\x1B!b1D").data(), 5));
    EXPECT_FALSE(IsBaudAccepted(Bytes("\x1B!b1").data(), 4));
}

TEST(Answers, Counter) {
    const std::string command = Command(kCmdCounter, '1');
    struct Case {
        std::string answer;
        int expected;
    };
    const Case cases[] = {
        {"\x1B!f;1 012345", 12345},
        {"\x1B!f;1x  42  ", 42},
        {"\x1B!f;1x-7    ", -7},
        {"\x1B!f;2x012345", -1}, // another counter's answer
        {"\x1B!f;1x      ", -1}, // no value at all
        {"\x1B!f;1xabc   ", -1},
        {"\x1B!f;1", -1}, // nothing after the echo
        {"\x1B!f;", -1},  // shorter than the echo
    };
    for (const Case& c : cases) {
        const auto a = Bytes(c.answer);
        EXPECT_EQ(ParseCounter(command, a.data(), Size(a)), c.expected) << c.answer.substr(1);
    }
    // Digits right up to the end of the buffer are read and no further.
    auto a = Bytes("\x1B!f;1x999999");
    EXPECT_EQ(ParseCounter(command, a.data(), Size(a)), 999999);
    a = Bytes("\x1B!f;1x" + std::string(40, '9'));
    EXPECT_EQ(ParseCounter(command, a.data(), Size(a)), INT_MAX);
    // CHalcyra: four-byte prefix, value from byte 5.
    a = Bytes("\x1B!f;2601234 ");
    EXPECT_EQ(
        ParseCounter(kHalcyraCounterPrefix, a.data(), Size(a), 5, kHalcyraCounterPrefixLength),
        601234);
}

TEST(Answers, InquiryHead) {
    uint32_t count = 0;
    std::string reason;
    auto a = Bytes("\x1B!e0064");
    ASSERT_TRUE(ParseInquiryHead(a.data(), Size(a), count));
    EXPECT_EQ(count, 64u);
    a = Bytes("\x1B!e096x");
    ASSERT_TRUE(ParseInquiryHead(a.data(), Size(a), count));
    EXPECT_EQ(count, 96u);
    a = Bytes("\x1B!e x64");
    EXPECT_FALSE(ParseInquiryHead(a.data(), Size(a), count, &reason));
    EXPECT_EQ(reason, "Malformed inquiry answer");
    a = Bytes("\x1B!e006");
    EXPECT_FALSE(ParseInquiryHead(a.data(), Size(a), count, &reason));
    EXPECT_EQ(reason, "Short inquiry answer");
}

TEST(Answers, Revision) {
    struct Case {
        std::string text;
        int expected; // -1: refused
    };
    const Case cases[] = {
        {"3.07 ", 3070}, {"3.209", 3209}, {"3.07", 3070}, {"6.013", 6013},
        {"3.0x", -1},    {"x.07 ", -1},   {"3.0", -1},
    };
    for (const Case& c : cases) {
        const auto digits = Bytes(c.text);
        int revision = 0;
        const bool ok = ParseRevision(digits.data(), Size(digits), revision);
        EXPECT_EQ(ok ? revision : -1, c.expected) << c.text;
    }
}

// An inquiry answer: header, then the identification laid out field by field.
std::vector<uint8_t> Inquiry(uint32_t count, size_t bufferSize, const std::string& product,
                             const std::string& revision, const std::string& printer = {}) {
    std::vector<uint8_t> buffer(bufferSize, 0);
    std::string id = product; // 0-15
    id += "VERSION ";         // 16-23
    id += revision;           // 24-29
    id.resize(32, ' ');
    id += printer;
    std::memcpy(buffer.data(), "\x1B!e0", 4);
    const std::string n = std::to_string(count);
    std::memcpy(buffer.data() + 4, (std::string(3 - n.size(), '0') + n).data(), 3);
    std::memcpy(buffer.data() + 7, id.data(), std::min(id.size(), bufferSize - 7));
    return buffer;
}

TEST(Identification, ReadsTheFields) {
    std::string printer = "MORRANE PRINTER DKPR22  1.234";
    const auto buffer = Inquiry(64, 103, "KORVIX 6400     ", "3.07 A", printer);
    const Identification id(buffer.data(), buffer.size(), 64);
    EXPECT_TRUE(id.HasPrinter());
    EXPECT_EQ(id.ProductName(), "KORVIX 6400     ");
    int revision = 0;
    ASSERT_TRUE(id.TransporterRevision(revision));
    EXPECT_EQ(revision, 3070);
    EXPECT_EQ(id.RevisionSuffix(), 'A');
    EXPECT_EQ(id.TransporterId(), "KORVIX 6400     VERSION 3.07 A  ");
    EXPECT_TRUE(id.IsMorranePrinter());
    EXPECT_EQ(id.PrinterModelCode(), "DKPR22");
    ASSERT_TRUE(id.PrinterRevision(revision));
    EXPECT_EQ(revision, 1234);
    EXPECT_EQ(id.PrinterId(), std::string(3, ' ') + printer);
}

TEST(Identification, ReadsOnlyWhatArrived) {
    // N = 20: the revision field never came, the printer half neither.
    auto buffer = Inquiry(20, 103, "DISC TRANSPORTER", "3.07 A");
    const Identification id(buffer.data(), buffer.size(), 20);
    EXPECT_FALSE(id.HasPrinter());
    EXPECT_EQ(id.Present(), 20u);
    int revision = 0;
    EXPECT_FALSE(id.TransporterRevision(revision));
    EXPECT_EQ(id.RevisionSuffix(), 0);
    EXPECT_EQ(id.At(20), 0);
    EXPECT_EQ(id.TransporterId(), std::string(12, ' ') + "DISC TRANSPORTERVERS");
    EXPECT_FALSE(id.IsMorranePrinter());

    // A count larger than the buffer is cut to the buffer (a 39-byte store holds 32 bytes).
    buffer = Inquiry(96, 39, "CD-R Inkographer", "4.010 ");
    const Identification small(buffer.data(), buffer.size(), 96);
    EXPECT_EQ(small.Count(), 96u);
    EXPECT_EQ(small.Present(), 32u);
    EXPECT_EQ(small.PrinterId(), std::string(32, ' '));
    EXPECT_EQ(small.Bytes(30, 10).size(), 2u);
    ASSERT_TRUE(small.TransporterRevision(revision));
    EXPECT_EQ(revision, 4010);
}

} // namespace
} // namespace dax
