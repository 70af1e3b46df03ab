#pragma once

#include <string>

namespace dax {

// The program's version block: its string values as stored, made when the program is built.
struct VersionBlock {
    bool present = false;
    std::string fileVersion; // for example "1, 0, 0, 0"
    std::string date;
    std::string legalCopyright;
};

// The block of the running program.
VersionBlock ReadVersionBlock();

} // namespace dax
