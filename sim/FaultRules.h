#pragma once

#include <string>
#include <vector>

namespace dax::sim {

// Faults a test asks for: a command whose text (after ESC "!") begins with a rule's prefix is
// refused with the rule's sense codes, gets no answer, or gets random bytes instead of its answer.
enum class EFault { None, Refuse, Drop, Garbage };

struct SFault {
    EFault kind = EFault::None;
    int transporterSense = 0;
    int printerSense = 0;
};

class CFaultRules {
public:
    // "PREFIX:TSENSE[:PSENSE]" for refusals, "PREFIX" for the others. once: the rule applies
    // to the first matching command only (a door opened once, a drive not ready once).
    bool Add(EFault kind, const std::string& text, std::string& error, bool once = false);

    // The first rule in force whose prefix the command text begins with (text without
    // ESC "!"); a rule for once is spent by it.
    SFault Find(const std::string& text);

private:
    struct SRule {
        std::string prefix;
        SFault fault;
        bool once = false;
        bool spent = false;
    };
    std::vector<SRule> m_rules;
};

} // namespace dax::sim
