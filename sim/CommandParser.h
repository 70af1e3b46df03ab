#pragma once

#include "Command.h"
#include "PrintGrammar.h"

#include <cstddef>
#include <optional>
#include <string>

namespace dax::sim {

// Splits the byte stream from the host into commands. Every command begins with ESC "!" and is
// read by its own fixed-width grammar; whatever is not a command (stray bytes, escapes the printer
// does not know either, a command cut short by the next ESC) is handed back as junk, so the
// interpreter starts again on the next ESC. Printer commands, which the transporter passes on to
// its printer, are handed back whole: a raster row or the test bytes with all their raw bytes,
// whatever those bytes are.
class CCommandParser {
public:
    struct SItem {
        bool isJunk = false;
        bool isPrint = false;
        std::string junk;    // when isJunk
        SPrintCommand print; // when isPrint
        SCommand command;    // otherwise
    };

    static constexpr std::size_t kMaxPending = 64;

    enum class ECommandSet { Transporter, Inkographer, Halcyra };

    // inkographer: the stand-alone disc printer's command set instead of the transporter's.
    explicit CCommandParser(bool inkographer = false)
        : m_set(inkographer ? ECommandSet::Inkographer : ECommandSet::Transporter) {}
    explicit CCommandParser(ECommandSet set) : m_set(set) {}

    void Feed(const std::string& bytes) { m_strPending += bytes; }

    // The next complete command or junk run, or nothing while a command is still incomplete.
    std::optional<SItem> Next();

    // Gives up on an incomplete command (the host went quiet in the middle of it).
    std::optional<SItem> FlushIncomplete();

    bool HasPending() const { return !m_strPending.empty(); }

    // The bytes not yet parsed, taken out (firmware data that follows a programming command).
    std::string TakePending();

    void Reset() { m_strPending.clear(); }

private:
    SItem TakeJunk(std::size_t count);
    std::string m_strPending;
    ECommandSet m_set = ECommandSet::Transporter;
};

} // namespace dax::sim
