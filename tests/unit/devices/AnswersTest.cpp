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
struct A : std::vector<uint8_t> {
    A(const std::string& text) : vector(text.begin(), text.end()) {}
    uint32_t n() const { return static_cast<uint32_t>(size()); }
};

// What a parser makes of an answer: the fields it read, or the reason it refused it.
std::string Parse(char parser, const std::string& answer) {
    const A a(answer);
    std::string why = "refused";
    SenseCodes c;
    ElementStatus e;
    StoredText t;
    uint32_t count = 0;
    int revision = 0;
    auto fields = [](auto... v) {
        std::string s;
        ((s += (s.empty() ? "" : " ") + std::to_string(v)), ...);
        return s;
    };
    switch (parser) {
    case 's':
        return ParseSense(a.data(), a.n(), c, &why) ? fields(c.transporter, c.printer) : why;
    case 'b':
        return ParseBootSense(a.data(), a.n(), c, &why) ? fields(c.transporter, c.printer) : why;
    case 'e':
        return ParseElementStatus(a.data(), a.n(), e, &why) ? fields(e.valid, e.state, e.value)
                                                            : why;
    case 't':
        return ParseStoredText(a.data(), a.n(), t, &why) ? fields(t.valid) + ":" + t.text : why;
    case 'i':
        return ParseInquiryHead(a.data(), a.n(), count, &why) ? fields(count) : why;
    case 'r':
        return ParseRevision(a.data(), a.n(), revision, &why) ? fields(revision) : why;
    case 'a':
        return fields(IsAcknowledged(a.data(), a.n()));
    case 'B':
        return fields(IsBaudAccepted(a.data(), a.n()));
    default:
        return fields(ParseCounter(Command(kCmdCounter, '1'), a.data(), a.n()));
    }
}

TEST(Answers, ParsersReadTheirFieldsOrSayWhyNot) {
    // clang-format off
    const std::tuple<char, std::string, std::string> cases[] = {
        {'a', "\x1B!f11x", "1"}, {'a', "\x1B!f10x", "0"}, {'a', "\x1B!f11", "0"}, // all six bytes
        {'B', "\x1B!b1C", "1"}, {'B', "\x1B!b1D", "0"}, {'B', "\x1B!b1", "0"},
        {'s', "\x1B!e1005013x", "5 13"}, {'s', "\x1B!e1005013", "Short sense answer"},
        {'s', "\x1B!e10 5013x", "Malformed sense answer"},
        {'s', "\x1B!e1005-13x", "Malformed sense answer"},
        {'b', "\x1B!f03x", "3 0"}, {'b', "\x1B!f03", "Short sense answer"},
        {'b', "\x1B!f0Ax", "Malformed sense answer"},
        {'e', "\x1B!f01215150x", "1 2 15150"},
        {'e', "\x1B!f01215150", "Short element status answer"},
        {'e', "\x1B!f012151 0x", "Malformed element status answer"},
        // A refusal still reports what it carries, -1 where that is not digits.
        {'e', "\x1B!f00100042x", "0 1 42"}, {'e', "\x1B!f00?     x", "0 -1 -1"},
        {'t', "\x1B!f:1xAB12    ", "1:AB12    "}, {'t', "\x1B!f:0xAB12    ", "0:"},
        {'t', "\x1B!f:1xAB12   ", "Short stored text answer"},
        {'i', "\x1B!e096x", "96"}, {'i', "\x1B!e006", "Short inquiry answer"},
        {'i', "\x1B!e x64", "Malformed inquiry answer"},
        {'r', "3.07 ", "3070"}, {'r', "3.209", "3209"}, {'r', "3.07", "3070"},
        {'r', "3.0x", "Malformed firmware revision"}, {'r', "x.07 ", "Malformed firmware revision"},
        {'r', "3.0", "Short firmware revision"},
        {'c', "\x1B!f;1 012345", "12345"}, {'c', "\x1B!f;1x  42  ", "42"},
        {'c', "\x1B!f;1x-7    ", "-7"},
        {'c', "\x1B!f;2x012345", "-1"}, // another counter's answer
        {'c', "\x1B!f;1x      ", "-1"}, {'c', "\x1B!f;1xabc   ", "-1"}, {'c', "\x1B!f;1", "-1"},
        {'c', "\x1B!f;", "-1"},
        {'c', "\x1B!f;1x999999", "999999"}, // digits up to the very end, no further
        {'c', "\x1B!f;1x" + std::string(40, '9'), std::to_string(INT_MAX)},
    };
    // clang-format on
    for (const auto& [parser, answer, expected] : cases)
        EXPECT_EQ(Parse(parser, answer), expected) << parser << " " << answer.substr(1);

    SenseCodes codes{5, 13}; // a failed parse leaves the codes alone
    EXPECT_FALSE(ParseSense(A("\x1B!e1009-13x").data(), 11, codes));
    EXPECT_TRUE(codes.transporter == 5 && codes.printer == 13);
    // CHalcyra: four-byte prefix, value from byte 5.
    EXPECT_EQ(ParseCounter(kHalcyraCounterPrefix, A("\x1B!f;2601234 ").data(), 12, 5,
                           kHalcyraCounterPrefixLength),
              601234);
}

// Everything the identification in an inquiry answer tells, on one line. The answer lies in a
// zero-filled store of `size` bytes: header, product, "VERSION ", revision, printer.
std::string Identify(uint32_t count, size_t size, std::string product, const std::string& revision,
                     const std::string& printer = {}) {
    std::string answer = std::move(product) + "VERSION " + revision;
    answer.resize(32, ' ');
    answer = "\x1B!e0" + std::to_string(count + 1000).substr(1) + answer + printer;
    answer.resize(size, '\0');
    const A store(answer);
    const Identification id(store.data(), store.size(), count);
    int t = -1, p = -1;
    id.TransporterRevision(t);
    id.PrinterRevision(p);
    return "[" + id.ProductName() + "][" + id.TransporterId() + "] " + std::to_string(t) + " " +
           std::to_string(id.RevisionSuffix()) + " [" + id.PrinterId() + "] " +
           id.PrinterModelCode() + " " + std::to_string(p) + (id.HasPrinter() ? " printer" : "") +
           (id.IsMorranePrinter() ? " morrane" : "") + " " + std::to_string(id.Present()) + "/" +
           std::to_string(id.Count());
}

TEST(Identification, ReadsTheFieldsThatArrived) {
    // "%32.32s" right-aligns a short text.
    EXPECT_EQ(Identify(64, 103, "KORVIX 6400     ", "3.07 A", "MORRANE PRINTER DKPR22  1.234"),
              "[KORVIX 6400     ][KORVIX 6400     VERSION 3.07 A  ] 3070 65 "
              "[   MORRANE PRINTER DKPR22  1.234] DKPR22 1234 printer morrane 64/64");
    EXPECT_EQ(Identify(20, 103, "DISC TRANSPORTER", "3.07 A"),
              "[DISC TRANSPORTER][            DISC TRANSPORTERVERS] -1 0 [" + std::string(32, ' ') +
                  "]  -1 20/20");
    // A count larger than the store is cut to the store.
    EXPECT_EQ(Identify(96, 39, "CD-R Inkographer", "4.010 "),
              "[CD-R Inkographer][CD-R InkographerVERSION 4.010   ] 4010 32 [" +
                  std::string(32, ' ') + "]  -1 printer 32/96");
}

} // namespace
} // namespace dax
