#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace dax::sim {

// Method 1 row data: (count, value) pairs, each standing for count + 1 copies of value. Nothing
// for an odd number of bytes.
std::optional<std::string> DecodeRunLength(std::string_view data);

// The page a print job draws: rows of 1536 dots (192 bytes, most significant bit first, a set bit
// a dot), placed where ESC "*p%Y" moved to, each row one below the one before. Keeps what a test
// needs to judge the job: how many rows came, where, and how many decoded to a full row.
class CRasterPage {
public:
    static constexpr int kRowBytes = 192;
    static constexpr int kMaxRows = 65536; // rows below this are not kept

    void Clear() { *this = CRasterPage(); }
    void SetMethod(long method) { m_nMethod = method; }
    void MoveTo(long row) { m_nRow = row; }
    // One row of compressed data at the current row; the next row is the one below.
    void Row(std::string_view data);

    int RowsReceived() const { return m_nRowsReceived; }
    int DecodedRows() const { return m_nDecodedRows; } // exactly 192 bytes
    int BadRows() const { return m_nRowsReceived - m_nDecodedRows; }
    long FirstRow() const { return m_nFirstRow; } // -1 before any row
    long LastRow() const { return m_nLastRow; }
    // The bytes of a row, all 192 of them; an untouched row is blank.
    std::string RowBytes(long row) const;

    // A binary PBM (P4) 1536 dots wide down to the lowest row drawn; false with error set.
    bool WritePbm(const std::string& path, std::string& error) const;

private:
    long m_nMethod = 0; // 0 sends rows uncompressed
    long m_nRow = 0;
    int m_nRowsReceived = 0;
    int m_nDecodedRows = 0;
    long m_nFirstRow = -1;
    long m_nLastRow = -1;
    std::map<long, std::string> m_rows;
};

} // namespace dax::sim
