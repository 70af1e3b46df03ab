#pragma once

#include <string>
#include <vector>

namespace dax::sim {

// Faults a test asks for: a command whose text (after ESC "!") begins with a rule's prefix is
// refused with the rule's sense codes, gets no answer, or gets random bytes instead of its
// answer; or the device falls silent there and answers nothing more.
enum class EFault { None, Refuse, Drop, Garbage, Silent };

struct SFault {
    EFault kind = EFault::None;
    int transporterSense = 0;
    int printerSense = 0;
};

class CFaultRules {
public:
    // "PREFIX[#N]:TSENSE[:PSENSE]" for refusals, "PREFIX[#N]" for the others. In PREFIX, %XX
    // (two hex digits) stands for that byte: %3A is ':', %23 '#', %25 '%'. The sense codes are the
    // one or two numbers after the last ':' that only numbers follow, so "f:000C:5" refuses
    // "f:000C" with 5. #N: the rule applies from the Nth command it matches on. once: to that
    // command only (a door opened once, a drive not ready once).
    bool Add(EFault kind, const std::string& text, std::string& error, bool once = false);

    // The fault for a command (text without ESC "!"): the first rule that applies, or silence
    // for every command once a silent rule has applied. Counts the commands each rule matches.
    SFault Find(const std::string& text);

private:
    struct SRule {
        std::string prefix;
        long from = 1;
        long seen = 0;
        SFault fault;
        bool once = false;
        bool spent = false;
    };
    std::vector<SRule> m_rules;
    bool m_silent = false;
};

} // namespace dax::sim
