// daxsim's fault rules on their own: which command a rule hits, and with what.
#include "FaultRules.h"

#include <gtest/gtest.h>

using dax::sim::CFaultRules;
using dax::sim::EFault;

namespace {

// What a single rule does to each command in turn: "" untouched, "refused T/P", "drop",
// "garbage", "silent".
std::vector<std::string> Hits(EFault kind, const std::string& rule,
                              const std::vector<std::string>& commands) {
    CFaultRules rules;
    std::string error;
    EXPECT_TRUE(rules.Add(kind, rule, error)) << rule << ": " << error;
    std::vector<std::string> hits;
    for (const auto& c : commands) {
        const auto f = rules.Find(c);
        hits.push_back(f.kind == EFault::None ? ""
                       : f.kind == EFault::Refuse
                           ? "refused " + std::to_string(f.transporterSense) + "/" +
                                 std::to_string(f.printerSense)
                       : f.kind == EFault::Drop    ? "drop"
                       : f.kind == EFault::Garbage ? "garbage"
                                                   : "silent");
    }
    return hits;
}

using V = std::vector<std::string>;

TEST(SimFaultRules, RefusalsNameEveryCommandTheStoredTextReadsIncluded) {
    const V cmds = {"f9000CABCDEFGH", "f:000C", "f:260C", "f:099C", "f:09C"};
    EXPECT_EQ(Hits(EFault::Refuse, "f9000C:5", cmds), (V{"refused 5/0", "", "", "", ""}));
    EXPECT_EQ(Hits(EFault::Refuse, "!f9000C:4:7", cmds), (V{"refused 4/7", "", "", "", ""}));
    EXPECT_EQ(Hits(EFault::Refuse, "f:000C:5", cmds), (V{"", "refused 5/0", "", "", ""}));
    EXPECT_EQ(Hits(EFault::Refuse, "f:260C:0:8", cmds), (V{"", "", "refused 0/8", "", ""}));
    // A prefix that ends in ':' and digits: escaped, or the digits are taken for sense codes.
    EXPECT_EQ(Hits(EFault::Refuse, "f%3A09:5", cmds),
              (V{"", "", "", "refused 5/0", "refused 5/0"}));
    EXPECT_EQ(Hits(EFault::Refuse, "f:09:5", cmds),
              (V{"refused 9/5", "refused 9/5", "refused 9/5", "refused 9/5", "refused 9/5"}));
    EXPECT_EQ(Hits(EFault::Drop, "f:0", cmds), (V{"", "drop", "", "drop", "drop"}));
    EXPECT_EQ(Hits(EFault::Garbage, "f%3a260", cmds), (V{"", "", "garbage", "", ""}));
}

TEST(SimFaultRules, CountsAndSilenceStartAtTheirCommand) {
    const V cmds = {"f:000C", "f9000CX", "f:000C", "e1C", "f:000C"};
    EXPECT_EQ(Hits(EFault::Drop, "f:000C#2", cmds), (V{"", "", "drop", "", "drop"}));
    EXPECT_EQ(Hits(EFault::Refuse, "f:000C#3:2", cmds), (V{"", "", "", "", "refused 2/0"}));
    EXPECT_EQ(Hits(EFault::Silent, "f9", cmds), (V{"", "silent", "silent", "silent", "silent"}));

    // The first rule that applies wins; a rule not yet due lets the next one apply.
    CFaultRules rules;
    std::string error;
    ASSERT_TRUE(rules.Add(EFault::Drop, "e1C#2", error));
    ASSERT_TRUE(rules.Add(EFault::Refuse, "e:3", error));
    EXPECT_EQ(rules.Find("e1C").kind, EFault::Refuse);
    EXPECT_EQ(rules.Find("e1C").kind, EFault::Drop);
    EXPECT_EQ(rules.Find("e0C").transporterSense, 3);
}

TEST(SimFaultRules, MalformedRulesAreRefusedWithAReason) {
    for (const char* bad : {"f9000C", ":5", "f9000C:", "f9000C:1000", "f9000C:x", "f%3:5", "f%GG:5",
                            "!:5", "f#0:5", "f#:5"}) {
        CFaultRules rules;
        std::string error;
        EXPECT_FALSE(rules.Add(EFault::Refuse, bad, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
    for (const char* bad : {"", "!", "%2", "e1C#x"}) {
        CFaultRules rules;
        std::string error;
        EXPECT_FALSE(rules.Add(EFault::Drop, bad, error)) << bad;
    }
}

} // namespace
