#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

namespace dax::sim {

// One JSON object on one line. Byte strings are written with every control or non-ASCII byte as
// \u00XX, so a reader gets the exact bytes back by mapping each code point to one byte.
class CJsonLine {
public:
    CJsonLine& Add(std::string_view key, std::string_view value);
    CJsonLine& Add(std::string_view key, const char* value) {
        return Add(key, std::string_view(value));
    }
    CJsonLine& Add(std::string_view key, long long value);
    CJsonLine& Add(std::string_view key, int value) {
        return Add(key, static_cast<long long>(value));
    }
    // Named apart: a string literal would otherwise convert to bool before string_view.
    CJsonLine& AddFlag(std::string_view key, bool value);
    std::string Text() const { return "{" + m_strBody + "}"; }

    static std::string Quote(std::string_view bytes);

private:
    void Key(std::string_view key);
    std::string m_strBody;
};

// The --log file: one line per command received, answer sent or event, flushed at once so that a
// test can read it while the simulator runs.
class CJsonLog {
public:
    CJsonLog() = default;
    ~CJsonLog();
    CJsonLog(const CJsonLog&) = delete;
    CJsonLog& operator=(const CJsonLog&) = delete;

    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_pFile != nullptr; }

    // Prefixes t_ms (milliseconds since the simulator started) and dir.
    void Write(std::string_view dir, const CJsonLine& fields);

private:
    std::FILE* m_pFile = nullptr;
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

} // namespace dax::sim
