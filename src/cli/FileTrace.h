#pragma once

#include "link/PortTrace.h"
#include "platform/Clock.h"

#include <cstdio>
#include <functional>
#include <string>

namespace dax {

// --trace: one line per event, with the milliseconds since the start: a port opened (and the
// node it resolved to), not opened, its rate changed, closed, a note of the program's own; and
// one line per block sent or received, the bytes in hex and as text; blocks written to a printer
// port name the port.
class FileTrace : public PortTrace {
public:
    // `nodeOf` gives the node a Windows device path resolves to ("" when none).
    FileTrace(const std::string& path, const Clock& clock,
              std::function<std::string(const std::string&)> nodeOf = {});
    ~FileTrace() override;
    FileTrace(const FileTrace&) = delete;
    FileTrace& operator=(const FileTrace&) = delete;
    bool IsOpen() const { return m_file != nullptr; }

    void sent(const uint8_t* data, size_t length) override { Line('>', data, length); }
    void received(const uint8_t* data, size_t length) override { Line('<', data, length); }
    void opened(const std::string& path, uint32_t baud) override;
    void openFailed(const std::string& path, const std::string& why) override;
    void rateChanged(const std::string& path, uint32_t baud) override;
    void closed(const std::string& path) override;
    void Note(const std::string& text);
    // Bytes written to a printer port (a USB device path, LPT1, LPT2).
    void Sent(const std::string& port, const uint8_t* data, size_t length) {
        Line('>', data, length, port);
    }

private:
    void Line(char direction, const uint8_t* data, size_t length, const std::string& port = {});
    void Event(const std::string& text);

    std::FILE* m_file;
    const Clock& m_clock;
    uint64_t m_start;
    std::function<std::string(const std::string&)> m_nodeOf;
};

} // namespace dax
