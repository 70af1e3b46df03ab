#include "patterns/RasterBlock.h"

#include <cctype>

namespace dax {

namespace {

constexpr uint8_t kEsc = 0x1B;
// The printer's test bytes follow ESC !c2C.
constexpr size_t kTestByteCount = 12;

class BlockCursor {
public:
    explicit BlockCursor(std::span<const uint8_t> block) : m_block(block) {}
    bool AtEnd() const { return m_pos >= m_block.size(); }
    size_t Pos() const { return m_pos; }
    size_t Left() const { return m_block.size() - m_pos; }
    bool Take(char c) {
        if (AtEnd() || m_block[m_pos] != static_cast<uint8_t>(c))
            return false;
        ++m_pos;
        return true;
    }
    int Peek() const { return AtEnd() ? -1 : m_block[m_pos]; }
    // A decimal number of at most six digits; -1 when there is none.
    long Number() {
        long value = -1;
        int digits = 0;
        while (!AtEnd() && std::isdigit(m_block[m_pos]) && digits < 6) {
            value = (value < 0 ? 0 : value * 10) + (m_block[m_pos] - '0');
            ++m_pos;
            ++digits;
        }
        return value;
    }
    std::span<const uint8_t> Bytes(size_t n) {
        auto bytes = m_block.subspan(m_pos, n);
        m_pos += n;
        return bytes;
    }

private:
    std::span<const uint8_t> m_block;
    size_t m_pos = 0;
};

} // namespace

bool ReadRasterBlock(std::span<const uint8_t> block, std::vector<RasterRow>& rows,
                     std::string& error) {
    rows.clear();
    BlockCursor in(block);
    int method = -1;
    int row = 0;
    bool moved = false;
    while (!in.AtEnd()) {
        const size_t start = in.Pos();
        auto fail = [&](const char* what) {
            error = std::string(what) + " at offset " + std::to_string(start);
            rows.clear();
            return false;
        };
        if (!in.Take(static_cast<char>(kEsc)))
            return fail("data outside a command");
        if (in.Take('*')) {
            if (in.Take('p')) {
                const long n = in.Number();
                if (n < 0 || !in.Take('Y'))
                    return fail("malformed row move");
                row = static_cast<int>(n);
                moved = true;
                continue;
            }
            if (!in.Take('b'))
                return fail("unknown raster command");
            const long n = in.Number();
            if (n < 0)
                return fail("raster command without a number");
            if (in.Take('M')) {
                method = static_cast<int>(n);
                if (method != 1)
                    return fail("unsupported compression method");
                continue;
            }
            if (!in.Take('W'))
                return fail("unknown raster command");
            if (method != 1)
                return fail("raster row before its compression method");
            if (static_cast<size_t>(n) > in.Left())
                return fail("raster row cut short");
            rows.push_back({row++, moved, in.Bytes(static_cast<size_t>(n))});
            moved = false;
            continue;
        }
        // Printer set-up: ESC ! letter digits C; the test-byte command carries 12 bytes after it.
        if (!in.Take('!') || !std::isalpha(in.Peek()))
            return fail("unknown command");
        const int letter = in.Peek();
        in.Bytes(1);
        const long n = in.Number();
        if (n < 0 || !in.Take('C'))
            return fail("malformed set-up command");
        if (letter == 'c' && n == 2) {
            if (in.Left() < kTestByteCount)
                return fail("test bytes cut short");
            in.Bytes(kTestByteCount);
        }
    }
    return true;
}

} // namespace dax
