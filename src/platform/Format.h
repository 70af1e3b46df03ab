#pragma once

#include <string>

// Checks printf formats with the C99 meaning on every system (MinGW's plain "printf" would check
// them as the Microsoft runtime reads them); clang knows that meaning only as "printf".
#if defined(__clang__)
#define DAX_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define DAX_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#endif

namespace dax {

// printf into a std::string of whatever length the text needs. The C99 formats (%zu, %llu)
// are checked and meant on every system, Windows included.
std::string Format(const char* format, ...) DAX_PRINTF_FORMAT(1, 2);

} // namespace dax
