#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace dax {

// A flash file opened for reading: single image, or a sequence of records (a 32-bit
// little-endian size followed by that many image bytes) marked by a transporter identification
// at offset 164.
class FlashFile {
public:
    static constexpr uint32_t kHeaderBlock = 4096;
    static constexpr uint32_t kSingleImageLimit = 65536;
    static constexpr uint32_t kMarkerOffset = 164;
    // No transporter takes more than a few MiB of firmware; a larger file is not a flash file,
    // and reading it whole could exhaust memory or take minutes.
    static constexpr uint32_t kMaxFileSize = 16u << 20;

    FlashFile() = default;
    ~FlashFile();
    FlashFile(const FlashFile&) = delete;
    FlashFile& operator=(const FlashFile&) = delete;

    // Only a regular file opens: a FIFO, a device or a folder is refused without being read (a
    // FIFO without a writer would block the open for ever).
    bool Open(const std::string& path);
    // False when the size cannot be had or exceeds kMaxFileSize.
    bool GetSize(uint32_t& size);
    // The firmware update's status text for the last failed Open or GetSize.
    const std::string& GetFailure() const { return m_strFailure; }
    // Reads up to `length` bytes at `offset`; `got` says how many came. False on a read error.
    bool ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& got);
    // The first 4096 bytes of an image (fewer at the end of the file), zero-padded.
    bool ReadHeaderBlock(uint64_t offset, std::vector<uint8_t>& block);
    // Whether a file of this size holds several images.
    bool IsMultiImage(uint32_t fileSize, bool& multi);
    void Close();

private:
    std::FILE* m_file = nullptr;
    std::string m_strPath;
    std::string m_strFailure;
};

} // namespace dax
