#pragma once

#include <string>

namespace dax {

// printf into a std::string of whatever length the text needs. The C99 formats (%zu, %llu)
// are checked and meant on every system, Windows included.
std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

} // namespace dax
