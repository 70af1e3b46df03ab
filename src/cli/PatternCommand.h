#pragma once

#include <cstdio>
#include <string>

namespace dax {

// `pattern grid|marks --png FILE`: draws what the printer would print from a built-in pattern's
// print data, decoded as the printer reads it, 1536 dots wide. The exit status.
int RunPatternCommand(const std::string& name, const std::string& pngFile, bool json,
                      std::FILE* out, std::FILE* err);

} // namespace dax
