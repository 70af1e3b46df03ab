#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace dax {

// A flash file opened for reading: single image, or a sequence of records (a 32-bit
// little-endian size followed by that many image bytes) marked by a transporter identification
// at offset 164. It is read once, when it opens: every later read, the check of an image as
// well as its programming, sees those same bytes, even if the file changes meanwhile (a copy
// still in progress).
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
    // The size of what was read; false when it exceeds kMaxFileSize or the file could not be
    // read.
    bool GetSize(uint32_t& size);
    // The file opened but reading it failed (an I/O error), as against a file that is not there,
    // not a regular file or not a flash file.
    bool ReadFailed() const { return m_bOpen && m_bReadFailed; }
    // The firmware update's status text for the last failed Open or GetSize.
    const std::string& GetFailure() const { return m_strFailure; }
    // Copies up to `length` bytes at `offset`; `got` says how many came. False when the file
    // could not be read.
    bool ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& got);
    // The first 4096 bytes of an image (fewer at the end of the file), zero-padded.
    bool ReadHeaderBlock(uint64_t offset, std::vector<uint8_t>& block);
    // Whether a file of this size holds several images.
    bool IsMultiImage(uint32_t fileSize, bool& multi);
    void Close();

private:
    // Reads the whole opened file into m_data, at most one byte more than kMaxFileSize.
    void Load(std::FILE* file, uint64_t systemSize);

    bool m_bOpen = false;
    bool m_bReadFailed = false;
    bool m_bTooLarge = false;
    uint64_t m_nLargeSize = 0;
    std::vector<uint8_t> m_data;
    std::string m_strPath;
    std::string m_strFailure;
};

} // namespace dax
