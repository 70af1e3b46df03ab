#include "FaultRules.h"

#include "Numbers.h"

namespace dax::sim {

namespace {

bool IsNumber(const std::string& s) {
    long n = 0;
    return ParseNumber(s, 0, 999, n);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The prefix with its %XX escapes turned into bytes.
bool Unescape(const std::string& text, std::string& out, std::string& error) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0) {
            error = "'%' in a prefix must start two hex digits (%3A is ':'), got '" + text + "'";
            return false;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

} // namespace

bool CFaultRules::Add(EFault kind, const std::string& text, std::string& error, bool once) {
    SRule rule;
    rule.once = once;
    rule.fault.kind = kind;
    std::string rest = text;
    if (kind == EFault::Refuse) {
        // The codes are the numbers at the end: "f:000C:5:1" is f:000C with 5 and 1.
        std::vector<std::string> fields;
        for (std::size_t start = 0;;) {
            const auto colon = text.find(':', start);
            fields.push_back(text.substr(start, colon - start));
            if (colon == std::string::npos)
                break;
            start = colon + 1;
        }
        std::size_t codes = 0;
        while (codes < 2 && codes + 1 < fields.size() &&
               IsNumber(fields[fields.size() - 1 - codes]))
            ++codes;
        if (codes == 0) {
            error = "refuse needs PREFIX:TSENSE[:PSENSE] with sense codes from 0 to 999, got '" +
                    text + "'";
            return false;
        }
        const std::size_t first = fields.size() - codes;
        rule.fault.transporterSense = std::stoi(fields[first]);
        rule.fault.printerSense = codes == 2 ? std::stoi(fields[first + 1]) : 0;
        rest = fields[0];
        for (std::size_t i = 1; i < first; ++i)
            rest += ":" + fields[i];
    }
    if (const auto hash = rest.find('#'); hash != std::string::npos) {
        if (!ParseNumber(rest.substr(hash + 1), 1, 999999, rule.from)) {
            error = "#N after a prefix must be a number from 1 on (%23 is '#'), got '" + text + "'";
            return false;
        }
        rest.erase(hash);
    }
    if (!Unescape(rest, rule.prefix, error))
        return false;
    // The rule is written without ESC; "!f9000C" and "f9000C" mean the same.
    if (!rule.prefix.empty() && rule.prefix[0] == '!')
        rule.prefix.erase(0, 1);
    if (rule.prefix.empty()) {
        error = "a fault rule needs a command prefix";
        return false;
    }
    m_rules.push_back(rule);
    return true;
}

SFault CFaultRules::Find(const std::string& text) {
    SFault found;
    if (m_silent)
        found.kind = EFault::Silent;
    for (SRule& r : m_rules) {
        if (text.compare(0, r.prefix.size(), r.prefix) != 0 || ++r.seen < r.from || r.spent)
            continue;
        if (found.kind == EFault::None) {
            found = r.fault;
            r.spent = r.once;
        }
    }
    m_silent = found.kind == EFault::Silent;
    return found;
}

} // namespace dax::sim
