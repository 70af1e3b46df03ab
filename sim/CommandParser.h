#pragma once

#include "Command.h"

#include <cstddef>
#include <optional>
#include <string>

namespace dax::sim {

// Splits the byte stream from the host into commands. Every command begins with ESC "!" and is
// read by its own fixed-width grammar; whatever is not a command (stray bytes, printer escapes that
// do not begin with "!", a command cut short by the next ESC) is handed back as junk, so the
// interpreter always starts again on the next ESC.
class CCommandParser {
public:
    struct SItem {
        bool isJunk = false;
        std::string junk; // when isJunk
        SCommand command; // otherwise
    };

    static constexpr std::size_t kMaxPending = 64;

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
};

} // namespace dax::sim
