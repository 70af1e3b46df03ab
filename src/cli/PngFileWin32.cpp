// The Windows build's PNG writer: no libpng there, so the picture goes out as stored (not
// compressed) deflate blocks, which every PNG reader takes. The pictures are one bit a dot and
// small, so the size costs little.
#include "cli/PngFile.h"
#include "platform/LocalFile.h"

#include <array>
#include <cstdio>
#include <windows.h>

namespace dax {

namespace {

uint32_t Crc32(const uint8_t* data, size_t length, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < length; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
    PutBig32(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored blocks (at most 65535 bytes each) with its Adler-32.
std::vector<uint8_t> Stored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - pos, 65535);
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(pos), raw.begin() + long(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, (b << 16) | a);
    return z;
}

std::string SystemText(DWORD error) {
    char buffer[256];
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               error, 0, buffer, sizeof buffer, nullptr);
    while (n > 0 && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r' || buffer[n - 1] == ' '))
        --n;
    return n > 0 ? std::string(buffer, n) : "error " + std::to_string(error);
}

} // namespace

bool WriteMonoPng(const std::string& path, int width, int height, const std::vector<uint8_t>& bits,
                  std::string& error) {
    const size_t stride = static_cast<size_t>(width + 7) / 8;
    if (width <= 0 || height <= 0 || bits.size() < stride * static_cast<size_t>(height)) {
        error = "nothing to draw";
        return false;
    }
    // Each row behind its filter byte (none); in a grey PNG a set bit is white, on paper a dot.
    std::vector<uint8_t> raw;
    raw.reserve((stride + 1) * size_t(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (size_t x = 0; x < stride; ++x)
            raw.push_back(uint8_t(~bits[size_t(y) * stride + x]));
    }
    std::vector<uint8_t> header;
    PutBig32(header, uint32_t(width));
    PutBig32(header, uint32_t(height));
    header.insert(header.end(), {1, 0, 0, 0, 0}); // 1 bit grey, deflate, no filter, no interlace
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", Stored(raw));
    Chunk(png, "IEND", {});

    // Only a regular file is replaced: a device name or a directory is refused.
    if (const std::string kind = NotARegularFile(path); !kind.empty()) {
        error = "Unable to write " + path + ": it is " + kind +
                ", not a regular file; the picture replaces regular files only";
        return false;
    }
    // Whole or not at all: a temporary file first, then moved over the old picture.
    const std::string temporary = path + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = "Unable to write " + path + ": " + SystemText(::GetLastError());
        return false;
    }
    const bool written = std::fwrite(png.data(), 1, png.size(), file) == png.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = "Unable to write " + path + ": the disk refused the data";
        std::remove(temporary.c_str());
        return false;
    }
    if (!::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = "Unable to write " + path + ": " + SystemText(::GetLastError());
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace dax
