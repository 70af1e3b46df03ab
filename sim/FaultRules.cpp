#include "FaultRules.h"

#include "Numbers.h"

namespace dax::sim {

bool CFaultRules::Add(EFault kind, const std::string& text, std::string& error, bool once) {
    SRule rule;
    rule.once = once;
    rule.fault.kind = kind;
    std::string rest = text;
    if (kind == EFault::Refuse) {
        const auto colon = text.find(':');
        if (colon == std::string::npos) {
            error = "refuse needs PREFIX:TSENSE[:PSENSE], got '" + text + "'";
            return false;
        }
        rest = text.substr(0, colon);
        std::string codes = text.substr(colon + 1);
        std::string printer = "0";
        if (const auto second = codes.find(':'); second != std::string::npos) {
            printer = codes.substr(second + 1);
            codes = codes.substr(0, second);
        }
        long t = 0;
        long p = 0;
        if (!ParseNumber(codes, 0, 999, t) || !ParseNumber(printer, 0, 999, p)) {
            error = "sense codes of refuse must be numbers from 0 to 999, got '" + text + "'";
            return false;
        }
        rule.fault.transporterSense = static_cast<int>(t);
        rule.fault.printerSense = static_cast<int>(p);
    }
    // The rule is written without ESC; "!f9000C" and "f9000C" mean the same.
    if (!rest.empty() && rest[0] == '!')
        rest.erase(0, 1);
    if (rest.empty()) {
        error = "a fault rule needs a command prefix";
        return false;
    }
    rule.prefix = rest;
    m_rules.push_back(rule);
    return true;
}

SFault CFaultRules::Find(const std::string& text) {
    for (SRule& r : m_rules) {
        if (r.spent || text.compare(0, r.prefix.size(), r.prefix) != 0)
            continue;
        r.spent = r.once;
        return r.fault;
    }
    return {};
}

} // namespace dax::sim
