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
    // `nodeOf` gives the node a Windows device path resolves to ("" when none). Nothing is
    // opened yet: the options are checked first, and until Open() events go nowhere.
    FileTrace(const std::string& path, const Clock& clock,
              std::function<std::string(const std::string&)> nodeOf = {});
    ~FileTrace() override;
    FileTrace(const FileTrace&) = delete;
    FileTrace& operator=(const FileTrace&) = delete;

    // Creates or empties the file. Only a regular file is written: anything else at the path
    // (a FIFO would hold the program, a device would take the lines) is refused. False with the
    // reason, naming the path.
    bool Open(std::string& error);
    bool IsOpen() const { return m_file != nullptr; }
    // Closes the file. False with the reason when a line could not be written or the close
    // failed (a full disk, the file-size limit): the trace is incomplete.
    bool Close(std::string& error);

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

    // Notes the first failed write; later lines are not attempted.
    void Check(bool written);

    std::string m_strPath;
    std::FILE* m_file = nullptr;
    int m_nWriteError = 0; // errno of the first failed write
    const Clock& m_clock;
    uint64_t m_start;
    std::function<std::string(const std::string&)> m_nodeOf;
};

} // namespace dax
