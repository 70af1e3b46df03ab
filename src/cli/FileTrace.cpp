#include "cli/FileTrace.h"

#include "platform/DeviceNames.h"
#include "platform/LocalFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace dax {

FileTrace::FileTrace(const std::string& path, const Clock& clock,
                     std::function<std::string(const std::string&)> nodeOf)
    : m_strPath(path), m_clock(clock), m_start(clock.nowMs()), m_nodeOf(std::move(nodeOf)) {}

FileTrace::~FileTrace() {
    if (m_file)
        std::fclose(m_file);
}

bool FileTrace::Open(std::string& error) {
    const std::string kind = NotARegularFile(m_strPath);
    if (!kind.empty()) {
        error = "The trace file " + m_strPath + " is " + kind + ", not a regular file";
        return false;
    }
#ifdef _WIN32
    m_file = std::fopen(m_strPath.c_str(), "w");
#else
    // Non-blocking, so a FIFO put there meanwhile cannot hold the open; emptied only once it is
    // known to be a regular file.
    const int fd =
        ::open(m_strPath.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            error = "The trace file " + m_strPath + " is not a regular file";
            return false;
        }
        if (::ftruncate(fd, 0) != 0 || (m_file = ::fdopen(fd, "w")) == nullptr)
            ::close(fd);
    }
#endif
    if (!m_file) {
        error = "Unable to write the trace file " + m_strPath + ": " + std::strerror(errno);
        return false;
    }
    m_start = m_clock.nowMs();
    return true;
}

bool FileTrace::Close(std::string& error) {
    if (!m_file)
        return true;
    Check(std::fflush(m_file) == 0);
    const int closeError = std::fclose(m_file) == 0 ? 0 : errno;
    m_file = nullptr;
    const int err = m_nWriteError ? m_nWriteError : closeError;
    if (err == 0)
        return true;
    error = "Unable to write the trace file " + m_strPath + ": " + std::strerror(err) +
            " (the trace is incomplete)";
    return false;
}

void FileTrace::Check(bool written) {
    if (!written && m_nWriteError == 0)
        m_nWriteError = errno ? errno : EIO;
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
    if (!m_file || m_nWriteError)
        return;
    Check(std::fprintf(m_file, "%8llu * %s\n",
                       static_cast<unsigned long long>(m_clock.nowMs() - m_start),
                       text.c_str()) >= 0 &&
          std::fflush(m_file) == 0);
}

void FileTrace::Line(char direction, const uint8_t* data, size_t length, const std::string& port) {
    if (!m_file || m_nWriteError || length == 0)
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
    // One check for the line: a stream that failed stays failed.
    Check(std::fflush(m_file) == 0 && !std::ferror(m_file));
}

} // namespace dax
