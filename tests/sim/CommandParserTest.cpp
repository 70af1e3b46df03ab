// daxsim's command parser on its own: what it finds must not depend on how the bytes arrive.
#include "CommandParser.h"

#include <gtest/gtest.h>

using dax::sim::CCommandParser;

namespace {

// The command heads found, with the stream fed whole or one byte at a time.
std::vector<std::string> Heads(const std::string& bytes, bool byteByByte) {
    CCommandParser parser;
    std::vector<std::string> heads;
    auto drain = [&] {
        while (auto item = parser.Next())
            if (!item->isJunk)
                heads.push_back(item->command.head);
    };
    if (byteByByte) {
        for (char c : bytes) {
            parser.Feed(std::string(1, c));
            drain();
        }
    } else {
        parser.Feed(bytes);
        drain();
    }
    return heads;
}

TEST(SimCommandParser, ALongRunWithoutAGrammarIsJunkHoweverItArrives) {
    // Firmware data after programming was given up: 70 bytes before a closing letter.
    const std::string stream = "\x1B!b38400" + std::string(60, '\xE4') + "C\x1B!e1C\x1B!zzC";
    for (bool byteByByte : {false, true})
        EXPECT_EQ(Heads(stream, byteByByte), (std::vector<std::string>{"e1C", "zzC"}))
            << byteByByte;
}

} // namespace
