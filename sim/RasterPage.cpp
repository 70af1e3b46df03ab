#include "RasterPage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace dax::sim {

std::optional<std::string> DecodeRunLength(std::string_view data) {
    if (data.size() % 2 != 0)
        return std::nullopt;
    // Far longer than any row can be: stop there, the row is wrong anyway.
    constexpr std::size_t kLimit = 1 << 16;
    std::string out;
    for (std::size_t i = 0; i < data.size() && out.size() <= kLimit; i += 2)
        out.append(static_cast<unsigned char>(data[i]) + 1u, data[i + 1]);
    return out;
}

void CRasterPage::Row(std::string_view data) {
    const long row = m_nRow++;
    ++m_nRowsReceived;
    if (m_nFirstRow < 0)
        m_nFirstRow = row;
    m_nLastRow = row;

    std::optional<std::string> bytes;
    if (m_nMethod == 1)
        bytes = DecodeRunLength(data);
    else if (m_nMethod == 0)
        bytes = std::string(data);
    if (bytes && bytes->size() == kRowBytes)
        ++m_nDecodedRows;
    if (!bytes || row < 0 || row >= kMaxRows)
        return;
    // A short or long row is kept as far as it fits the width; it counts as not decoded.
    bytes->resize(kRowBytes, '\0');
    m_rows[row] = *bytes;
}

std::string CRasterPage::RowBytes(long row) const {
    const auto it = m_rows.find(row);
    return it == m_rows.end() ? std::string(kRowBytes, '\0') : it->second;
}

bool CRasterPage::WritePbm(const std::string& path, std::string& error) const {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const long height = m_rows.empty() ? 0 : m_rows.rbegin()->first + 1;
    std::fprintf(f, "P4\n%d %ld\n", kRowBytes * 8, height);
    for (long row = 0; row < height; ++row) {
        const std::string bytes = RowBytes(row);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    }
    const bool ok = std::fclose(f) == 0;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

} // namespace dax::sim
