#include "app/FlashFile.h"

#include "platform/Format.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace dax {

FlashFile::~FlashFile() {
    Close();
}

bool FlashFile::Open(const std::string& path) {
    Close();
    m_strPath = path;
    m_strFailure = Format("Unable to open file %s", path.c_str());
#ifdef _WIN32
    // Windows has no FIFOs to block an open: look at the kind of file first, then open it.
    struct _stat64 st {};
    if (::_stat64(path.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & _S_IFMT) != _S_IFREG) {
        m_strFailure = Format("Unable to open file %s: not a regular file", path.c_str());
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    struct _stat64 opened {};
    const bool regular =
        ::_fstat64(_fileno(file), &opened) == 0 && (opened.st_mode & _S_IFMT) == _S_IFREG;
#else
    // Non-blocking, so a FIFO cannot hold the open; the kind of file is checked on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        m_strFailure = Format("Unable to open file %s: not a regular file", path.c_str());
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return false;
    }
    const bool regular = true;
#endif
    if (!regular) {
        std::fclose(file);
        m_strFailure = Format("Unable to get size of file '%s'", path.c_str());
        return false;
    }
    Load(file, uint64_t(opened.st_size));
    std::fclose(file);
    m_bOpen = true;
    m_strFailure.clear();
    return true;
}

void FlashFile::Load(std::FILE* file, uint64_t systemSize) {
    m_data.clear();
    if (systemSize > kMaxFileSize) {
        m_bTooLarge = true;
        m_nLargeSize = systemSize;
        return;
    }
    // Read to the end, not to the size the system gave: a file that grows meanwhile is seen
    // whole or refused, never cut.
    uint8_t chunk[65536];
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file);
        m_data.insert(m_data.end(), chunk, chunk + n);
        if (m_data.size() > kMaxFileSize) {
            m_bTooLarge = true;
            m_nLargeSize = m_data.size();
            m_data.clear();
            return;
        }
        if (n < sizeof chunk)
            break;
    }
    m_bReadFailed = std::ferror(file) != 0;
}

void FlashFile::Close() {
    m_bOpen = false;
    m_bReadFailed = false;
    m_bTooLarge = false;
    m_nLargeSize = 0;
    m_data.clear();
}

bool FlashFile::GetSize(uint32_t& size) {
    if (!m_bOpen || m_bReadFailed) {
        m_strFailure = Format("Unable to get size of file '%s'", m_strPath.c_str());
        return false;
    }
    if (m_bTooLarge) {
        m_strFailure =
            Format("Flash file %s is too large: %llu bytes, a flash file has at most %u",
                   m_strPath.c_str(), static_cast<unsigned long long>(m_nLargeSize), kMaxFileSize);
        return false;
    }
    size = uint32_t(m_data.size());
    return true;
}

bool FlashFile::ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& got) {
    got = 0;
    if (!m_bOpen || m_bReadFailed || m_bTooLarge)
        return false;
    if (offset < m_data.size()) {
        got = uint32_t(std::min<uint64_t>(length, m_data.size() - offset));
        std::memcpy(buffer, m_data.data() + offset, got);
    }
    return true;
}
bool FlashFile::ReadHeaderBlock(uint64_t offset, std::vector<uint8_t>& block) {
    block.assign(kHeaderBlock, 0);
    uint32_t got = 0;
    return ReadAt(offset, block.data(), kHeaderBlock, got);
}

bool FlashFile::IsMultiImage(uint32_t fileSize, bool& multi) {
    multi = false;
    if (fileSize <= kSingleImageLimit)
        return true;
    uint8_t marker[16] = {};
    uint32_t got = 0;
    if (!ReadAt(kMarkerOffset, marker, sizeof marker, got))
        return false;
    multi = got == sizeof marker && (std::memcmp(marker, "DISC TRANSPORTER", 16) == 0 ||
                                     std::memcmp(marker, "QUENTAR CD XPTR ", 16) == 0);
    return true;
}

} // namespace dax
