#include "cli/FileTrace.h"

#include "platform/DeviceNames.h"

#include <sys/stat.h>

namespace dax {

FileTrace::FileTrace(const std::string& path, const Clock& clock,
                     std::function<std::string(const std::string&)> nodeOf)
    : m_file(std::fopen(path.c_str(), "w")), m_clock(clock), m_start(clock.nowMs()),
      m_nodeOf(std::move(nodeOf)) {}

FileTrace::~FileTrace() {
    if (m_file)
        std::fclose(m_file);
}

namespace {

// A dangling link is there too on Linux: it says why the port is missing. On Windows the node
// is the port's own name, there when the system has it.
bool NodeIsThere(const std::string& node) {
#ifdef _WIN32
    return DeviceNames().isPresent(node);
#else
    struct stat st;
    return ::lstat(node.c_str(), &st) == 0;
#endif
}

} // namespace

void FileTrace::opened(const std::string& path, uint32_t baud) {
    const std::string node = m_nodeOf ? m_nodeOf(path) : std::string();
    Event("open " + path + (node.empty() ? "" : " -> " + node) + " at " + std::to_string(baud) +
          " baud");
}

void FileTrace::openFailed(const std::string& path, const std::string& why) {
    // A scan tries every number; only ports that are there are worth a line.
    const std::string node = m_nodeOf ? m_nodeOf(path) : std::string();
    if (m_nodeOf && (node.empty() || !NodeIsThere(node)))
        return;
    // The reason names the port itself.
    Event(why.empty() ? "open " + path + " failed" : "open failed: " + why);
}

void FileTrace::rateChanged(const std::string& path, uint32_t baud) {
    Event("rate " + path + " " + std::to_string(baud) + " baud");
}

void FileTrace::closed(const std::string& path) {
    Event("close " + path);
}

void FileTrace::Note(const std::string& text) {
    Event(text);
}

void FileTrace::Event(const std::string& text) {
    if (!m_file)
        return;
    std::fprintf(m_file, "%8llu * %s\n", static_cast<unsigned long long>(m_clock.nowMs() - m_start),
                 text.c_str());
    std::fflush(m_file);
}

void FileTrace::Line(char direction, const uint8_t* data, size_t length, const std::string& port) {
    if (!m_file || length == 0)
        return;
    std::fprintf(m_file, "%8llu %c", static_cast<unsigned long long>(m_clock.nowMs() - m_start),
                 direction);
    if (!port.empty())
        std::fprintf(m_file, " %s:", port.c_str());
    for (size_t i = 0; i < length; ++i)
        std::fprintf(m_file, " %02x", data[i]);
    std::fputs("  |", m_file);
    for (size_t i = 0; i < length; ++i)
        std::fputc(data[i] >= 0x20 && data[i] < 0x7f ? data[i] : '.', m_file);
    std::fputs("|\n", m_file);
    std::fflush(m_file);
}

} // namespace dax
