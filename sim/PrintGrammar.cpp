#include "PrintGrammar.h"

#include "Bytes.h"

namespace dax::sim {

namespace {

// A decimal field of 1 to maxDigits digits at pos, closed by one of closers. On Full, pos is
// past the closing letter and closer holds it.
EPrintMatch Field(std::string_view t, std::size_t& pos, std::size_t maxDigits,
                  std::string_view closers, long& value, char& closer) {
    std::size_t n = 0;
    value = 0;
    while (pos + n < t.size() && IsDigit(t[pos + n])) {
        if (++n > maxDigits)
            return EPrintMatch::None;
        value = value * 10 + (t[pos + n - 1] - '0');
    }
    if (pos + n == t.size())
        return EPrintMatch::Partial;
    if (n == 0 || closers.find(t[pos + n]) == std::string_view::npos)
        return EPrintMatch::None;
    closer = t[pos + n];
    pos += n + 1;
    return EPrintMatch::Full;
}

// The fixed text lit at pos: Full and pos moved past it, Partial when t ends inside it.
EPrintMatch Literal(std::string_view t, std::size_t& pos, std::string_view lit) {
    for (std::size_t i = 0; i < lit.size(); ++i) {
        if (pos + i == t.size())
            return EPrintMatch::Partial;
        if (t[pos + i] != lit[i])
            return EPrintMatch::None;
    }
    pos += lit.size();
    return EPrintMatch::Full;
}

SPrintMatch Done(std::string_view t, std::size_t headEnd, std::size_t payload, EPrintCommand kind,
                 long number) {
    SPrintMatch m;
    if (t.size() < headEnd + payload) {
        m.result = EPrintMatch::Partial;
        return m;
    }
    m.result = EPrintMatch::Full;
    m.command.kind = kind;
    m.command.raw = std::string(t.substr(0, headEnd + payload));
    m.command.name = std::string(t.substr(1, headEnd - 1));
    m.command.number = number;
    m.command.data = std::string(t.substr(headEnd, payload));
    return m;
}

SPrintMatch Only(EPrintMatch result) {
    SPrintMatch m;
    m.result = result;
    return m;
}

SPrintMatch Bang(std::string_view t) {
    std::size_t pos = 2;
    if (t.size() == pos)
        return Only(EPrintMatch::Partial);
    const char letter = t[pos++];
    long value = 0;
    char closer = 0;
    EPrintMatch r = EPrintMatch::None;
    switch (letter) {
    case 'u':
    case 't':
    case 's':
        r = Field(t, pos, 7, "C", value, closer);
        return r == EPrintMatch::Full ? Done(t, pos, 0, EPrintCommand::Setup, value) : Only(r);
    case 'd':
    case 'a':
        r = Field(t, pos, 1, letter == 'd' ? "C" : "H", value, closer);
        return r == EPrintMatch::Full
                   ? Done(t, pos, 0, letter == 'd' ? EPrintCommand::Drawer : EPrintCommand::Pass,
                          value)
                   : Only(r);
    case 'c':
        r = Literal(t, pos, "2C");
        return r == EPrintMatch::Full ? Done(t, pos, kTestByteCount, EPrintCommand::TestBytes, 2)
                                      : Only(r);
    default:
        return Only(EPrintMatch::None);
    }
}

SPrintMatch Star(std::string_view t) {
    std::size_t pos = 2;
    if (t.size() == pos)
        return Only(EPrintMatch::Partial);
    const char letter = t[pos++];
    long value = 0;
    char closer = 0;
    if (letter != 'b' && letter != 'p')
        return Only(EPrintMatch::None);
    const EPrintMatch r = Field(t, pos, 5, letter == 'b' ? "MW" : "Y", value, closer);
    if (r != EPrintMatch::Full)
        return Only(r);
    if (closer == 'Y')
        return Done(t, pos, 0, EPrintCommand::RowMove, value);
    if (closer == 'M')
        return Done(t, pos, 0, EPrintCommand::Method, value);
    return Done(t, pos, static_cast<std::size_t>(value), EPrintCommand::Row, value);
}

} // namespace

SPrintMatch MatchPrintCommand(std::string_view t) {
    if (t.empty() || t[0] != kEsc)
        return Only(EPrintMatch::None);
    if (t.size() == 1)
        return Only(EPrintMatch::Partial);
    if (t[1] == '!')
        return Bang(t);
    if (t[1] == '*')
        return Star(t);
    return Only(EPrintMatch::None);
}

} // namespace dax::sim
