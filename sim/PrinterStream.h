#pragma once

#include "PrintGrammar.h"

#include <optional>
#include <string>

namespace dax::sim {

// The byte stream of a printer port: printer commands, and any other bytes (data in a format of
// the printer's own, such as an alignment file) handed back as they are, up to the next ESC.
class CPrinterStream {
public:
    struct SItem {
        bool isCommand = false;
        SPrintCommand command; // when isCommand
        std::string other;     // otherwise
    };

    void Feed(const std::string& bytes) { m_strPending += bytes; }

    // The next command or run of other bytes, or nothing while a command is still incomplete.
    std::optional<SItem> Next();

private:
    SItem TakeOther(std::size_t from);
    std::string m_strPending;
};

} // namespace dax::sim
