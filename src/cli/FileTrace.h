#pragma once

#include "link/PortTrace.h"
#include "platform/Clock.h"

#include <cstdio>
#include <string>

namespace dax {

// --trace: one line per block sent or received, with the milliseconds since the start, the
// bytes in hex and as text.
class FileTrace : public PortTrace {
public:
    FileTrace(const std::string& path, const Clock& clock);
    ~FileTrace() override;
    FileTrace(const FileTrace&) = delete;
    FileTrace& operator=(const FileTrace&) = delete;
    bool IsOpen() const { return m_file != nullptr; }

    void sent(const uint8_t* data, size_t length) override { Line('>', data, length); }
    void received(const uint8_t* data, size_t length) override { Line('<', data, length); }

private:
    void Line(char direction, const uint8_t* data, size_t length);

    std::FILE* m_file;
    const Clock& m_clock;
    uint64_t m_start;
};

} // namespace dax
