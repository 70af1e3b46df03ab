#include "cli/FileTrace.h"

namespace dax {

FileTrace::FileTrace(const std::string& path, const Clock& clock)
    : m_file(std::fopen(path.c_str(), "w")), m_clock(clock), m_start(clock.nowMs()) {}

FileTrace::~FileTrace() {
    if (m_file)
        std::fclose(m_file);
}

void FileTrace::Line(char direction, const uint8_t* data, size_t length) {
    if (!m_file || length == 0)
        return;
    std::fprintf(m_file, "%8llu %c", static_cast<unsigned long long>(m_clock.nowMs() - m_start),
                 direction);
    for (size_t i = 0; i < length; ++i)
        std::fprintf(m_file, " %02x", data[i]);
    std::fputs("  |", m_file);
    for (size_t i = 0; i < length; ++i)
        std::fputc(data[i] >= 0x20 && data[i] < 0x7f ? data[i] : '.', m_file);
    std::fputs("|\n", m_file);
    std::fflush(m_file);
}

} // namespace dax
