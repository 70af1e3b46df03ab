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
    // "PREFIX:TSENSE[:PSENSE]" for refusals, "PREFIX" for the others.
    bool Add(EFault kind, const std::string& text, std::string& error);

    // The first rule whose prefix the command text begins with (text without ESC "!").
    SFault Find(const std::string& text) const;

private:
    struct SRule {
        std::string prefix;
        SFault fault;
    };
    std::vector<SRule> m_rules;
};

} // namespace dax::sim
