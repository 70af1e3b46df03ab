#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace dax::sim {

// The printer's own commands, as the transporter passes them on and as a printer port carries
// them. Two of them carry raw bytes after their text (a raster row, the test bytes), and those
// bytes may be anything, ESC included: they are counted off, never read as commands.
enum class EPrintCommand {
    Setup,     // ESC "!u%C", ESC "!t%C", ESC "!s%C"
    TestBytes, // ESC "!c2C" and 12 bytes
    Pass,      // ESC "!a#H": align pass 1 to 3
    Drawer,    // ESC "!d#C": 0 opens, 1 closes
    Method,    // ESC "*b%M": compression of the rows that follow
    RowMove,   // ESC "*p%Y": to that dot row
    Row,       // ESC "*b%W" and n bytes of row data
};

struct SPrintCommand {
    EPrintCommand kind = EPrintCommand::Setup;
    std::string raw;  // every byte, payload included
    std::string name; // after ESC up to the closing letter: "s400C", "*b6W"
    long number = 0;  // the decimal field
    std::string data; // the payload of a row or of the test bytes
};

enum class EPrintMatch { Full, Partial, None };

struct SPrintMatch {
    EPrintMatch result = EPrintMatch::None;
    SPrintCommand command; // when Full
};

constexpr std::size_t kTestByteCount = 12;
constexpr long kMaxRowField = 99999; // five digits for a row number or a row's byte count

// Reads the printer command at the start of bytes (which begin with ESC). Partial: everything so
// far fits one and more bytes are needed; None: not a printer command.
SPrintMatch MatchPrintCommand(std::string_view bytes);

} // namespace dax::sim
