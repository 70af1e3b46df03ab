#pragma once

#include <string>

namespace dax {

// printf into a std::string of whatever length the text needs.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace dax
