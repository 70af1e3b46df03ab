#include "app/FlashFile.h"

#include "platform/Format.h"

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
    m_file = std::fopen(path.c_str(), "rb");
    if (!m_file)
        return false;
#else
    // Non-blocking, so a FIFO cannot hold the open; the kind of file is checked on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        m_strFailure = Format("Unable to open file %s: not a regular file", path.c_str());
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_file = ::fdopen(fd, "rb");
    if (!m_file) {
        ::close(fd);
        return false;
    }
#endif
    m_strFailure.clear();
    return true;
}

void FlashFile::Close() {
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

bool FlashFile::GetSize(uint32_t& size) {
#ifdef _WIN32
    struct _stat64 st {};
    const bool known =
        m_file && ::_fstat64(_fileno(m_file), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat st {};
    const bool known = m_file && fstat(fileno(m_file), &st) == 0 && S_ISREG(st.st_mode);
#endif
    if (!known) {
        m_strFailure = Format("Unable to get size of file '%s'", m_strPath.c_str());
        return false;
    }
    if (uint64_t(st.st_size) > uint64_t(kMaxFileSize)) {
        m_strFailure = Format("Flash file %s is too large: %lld bytes, a flash file has at most %u",
                              m_strPath.c_str(), static_cast<long long>(st.st_size), kMaxFileSize);
        return false;
    }
    size = uint32_t(st.st_size);
    return true;
}

bool FlashFile::ReadAt(uint64_t offset, uint8_t* buffer, uint32_t length, uint32_t& got) {
    got = 0;
#ifdef _WIN32
    if (!m_file || _fseeki64(m_file, int64_t(offset), SEEK_SET) != 0)
#else
    if (!m_file || fseeko(m_file, off_t(offset), SEEK_SET) != 0)
#endif
        return false;
    got = uint32_t(std::fread(buffer, 1, length, m_file));
    return !std::ferror(m_file);
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
