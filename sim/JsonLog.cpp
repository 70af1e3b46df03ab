#include "JsonLog.h"

#include <cerrno>
#include <cstring>

namespace dax::sim {

std::string CJsonLine::Quote(std::string_view bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b < 0x20 || b >= 0x7f) {
            out += "\\u00";
            out += hex[b >> 4];
            out += hex[b & 0x0f];
        } else {
            out += static_cast<char>(b);
        }
    }
    out += '"';
    return out;
}

void CJsonLine::Key(std::string_view key) {
    if (!m_strBody.empty())
        m_strBody += ',';
    m_strBody += Quote(key);
    m_strBody += ':';
}

CJsonLine& CJsonLine::Add(std::string_view key, std::string_view value) {
    Key(key);
    m_strBody += Quote(value);
    return *this;
}

CJsonLine& CJsonLine::Add(std::string_view key, long long value) {
    Key(key);
    m_strBody += std::to_string(value);
    return *this;
}

CJsonLine& CJsonLine::AddFlag(std::string_view key, bool value) {
    Key(key);
    m_strBody += value ? "true" : "false";
    return *this;
}

CJsonLog::~CJsonLog() {
    if (m_pFile)
        std::fclose(m_pFile);
}

bool CJsonLog::Open(const std::string& path, std::string& error) {
    m_pFile = std::fopen(path.c_str(), "w");
    if (!m_pFile) {
        error = "cannot write the log file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void CJsonLog::Write(std::string_view dir, const CJsonLine& fields) {
    if (!m_pFile)
        return;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - m_start)
                        .count();
    CJsonLine line;
    line.Add("t_ms", static_cast<long long>(ms)).Add("dir", dir);
    std::string text = line.Text();
    const std::string rest = fields.Text();
    if (rest.size() > 2) {
        text.pop_back();
        text += ',';
        text += rest.substr(1);
    }
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), m_pFile);
    std::fflush(m_pFile);
}

} // namespace dax::sim
