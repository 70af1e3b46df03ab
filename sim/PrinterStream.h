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
        // ESC "!g0%dC": this many bytes of printer firmware follow (command.raw holds it).
        std::size_t firmwareBytes = 0;
    };

    // The dual-printer transporter's printers take their firmware on their own port.
    void TakeFirmware(bool take) { m_bFirmware = take; }

    void Feed(const std::string& bytes) { m_strPending += bytes; }

    // The bytes not yet parsed, taken out (the firmware that follows its command).
    std::string TakePending() {
        std::string rest;
        rest.swap(m_strPending);
        return rest;
    }

    // The next command or run of other bytes, or nothing while a command is still incomplete.
    std::optional<SItem> Next();

private:
    SItem TakeOther(std::size_t from);
    std::optional<SItem> FirmwareCommand(bool& partial);
    std::string m_strPending;
    bool m_bFirmware = false;
};

} // namespace dax::sim
