#include "app/IntegerField.h"

#include "app/DialogStrings.h"
#include "platform/Format.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace dax {

std::string ReadIntegerField(const std::string& text, int lower, int upper, int& value) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t')
        ++p;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || v < INT32_MIN || v > INT32_MAX)
        return kNotAnInteger;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return kNotAnInteger;
    if (v < lower || v > upper)
        return Format(kIntegerRange, lower, upper);
    value = int(v);
    return {};
}

} // namespace dax
