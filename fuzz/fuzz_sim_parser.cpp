// daxsim's command parser over bytes fed in chunks the input chooses. Properties: no byte is
// lost or made up (junk, commands and printer commands put back together are the input); every
// transporter command begins with ESC "!", holds no other ESC, and its head and data are where
// its grammar puts them; what is found does not depend on how the bytes were split.
#include "CommandParser.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include <algorithm>

using namespace dax::sim;
using namespace daxfuzz;

namespace {

std::vector<std::string> Parse(const std::string& bytes, const std::vector<size_t>& cuts,
                               std::string& rebuilt) {
    CCommandParser parser;
    std::vector<std::string> commands;
    auto take = [&](const CCommandParser::SItem& item) {
        if (item.isJunk) {
            FUZZ_CHECK(!item.junk.empty());
            rebuilt += item.junk;
            return;
        }
        if (item.isPrint) {
            // A printer command: ESC, its name, then its payload (which may hold any byte).
            const auto& p = item.print;
            FUZZ_CHECK(p.raw.size() >= 2 && p.raw[0] == 0x1B);
            FUZZ_CHECK(p.raw.compare(1, p.name.size(), p.name) == 0);
            FUZZ_CHECK(p.raw.size() >= 1 + p.name.size() + p.data.size());
            rebuilt += p.raw;
            commands.push_back(p.raw);
            return;
        }
        const SCommand& c = item.command;
        FUZZ_CHECK(c.raw.size() >= 2 && c.raw[0] == 0x1B && c.raw[1] == '!');
        FUZZ_CHECK(c.raw.find('\x1B', 1) == std::string::npos);
        FUZZ_CHECK(c.raw.compare(2, c.head.size(), c.head) == 0);
        if (c.kind == ECommand::StoreText)
            FUZZ_CHECK(c.data.size() == 8 && c.raw.size() == 2 + c.head.size() + 8);
        FUZZ_CHECK(c.answerLength >= 0 && c.answerLength <= 14);
        rebuilt += c.raw;
        commands.push_back(c.raw);
    };
    size_t at = 0;
    for (size_t cut : cuts) {
        parser.Feed(bytes.substr(at, cut - at));
        at = cut;
        while (auto item = parser.Next())
            take(*item);
    }
    parser.Feed(bytes.substr(at));
    while (auto item = parser.Next())
        take(*item);
    if (auto rest = parser.FlushIncomplete())
        take(*rest);
    FUZZ_CHECK(!parser.HasPending());
    return commands;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    std::vector<size_t> cuts;
    const size_t pieces = in.Byte() % 8;
    const std::vector<uint8_t> raw = in.Rest();
    const std::string bytes(raw.begin(), raw.end());
    FuzzInput choose(data, size);
    for (size_t i = 0; i < pieces; ++i)
        cuts.push_back(bytes.empty() ? 0 : choose.Number(uint32_t(bytes.size())));
    std::sort(cuts.begin(), cuts.end());

    std::string whole, split;
    const auto once = Parse(bytes, {}, whole);
    const auto chunked = Parse(bytes, cuts, split);
    FUZZ_CHECK(whole == bytes);
    FUZZ_CHECK(split == bytes);
    FUZZ_CHECK(once == chunked);
    return 0;
}
