#include "platform/LocalFile.h"

#include "platform/Format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace dax {

namespace fs = std::filesystem;

namespace {

std::string KindText(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
    case fs::file_type::not_found:
    case fs::file_type::none:
        return {};
    case fs::file_type::directory:
        return "a directory";
    case fs::file_type::fifo:
        return "a FIFO";
    case fs::file_type::character:
        return "a character device";
    case fs::file_type::block:
        return "a block device";
    case fs::file_type::socket:
        return "a socket";
    default:
        return "not a regular file";
    }
}

std::string Refusal(const std::string& path, const std::string& kind) {
    return Format("%s is %s, not a regular file", path.c_str(), kind.c_str());
}

std::string TooLarge(const std::string& path, uint64_t size, uint64_t maxBytes) {
    return Format("%s is too large: %llu bytes, at most %llu", path.c_str(),
                  static_cast<unsigned long long>(size), static_cast<unsigned long long>(maxBytes));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

std::string NotARegularFile(const std::string& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    // A path that cannot be looked at (no permission, a loop of links) fails at its open, which
    // says why.
    return ec ? std::string() : KindText(st.type());
}

bool IsSameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& data,
                     std::string& error) {
    data.clear();
#ifdef _WIN32
    // Windows has no FIFOs to hold an open: the kind of file is looked at first.
    if (const std::string kind = NotARegularFile(path); !kind.empty()) {
        error = Refusal(path, kind);
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = Format("Unable to open %s - %s", path.c_str(), std::strerror(errno));
        return false;
    }
#else
    // Non-blocking, so a FIFO cannot hold the open; the kind is checked on what was opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = Format("Unable to open %s - %s", path.c_str(), std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = Refusal(path, KindText(S_ISDIR(st.st_mode)    ? fs::file_type::directory
                                       : S_ISFIFO(st.st_mode) ? fs::file_type::fifo
                                       : S_ISCHR(st.st_mode)  ? fs::file_type::character
                                       : S_ISBLK(st.st_mode)  ? fs::file_type::block
                                       : S_ISSOCK(st.st_mode) ? fs::file_type::socket
                                                              : fs::file_type::unknown));
        return false;
    }
    if (uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        error = TooLarge(path, uint64_t(st.st_size), maxBytes);
        return false;
    }
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        ::close(fd);
        error = Format("Unable to open %s - %s", path.c_str(), std::strerror(errno));
        return false;
    }
#endif
    // The bound holds while reading too: a file that grows meanwhile is no different.
    uint8_t chunk[8192];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (data.size() + got > maxBytes) {
            error = TooLarge(path, data.size() + got, maxBytes);
            data.clear();
            return false;
        }
        data.insert(data.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        error = Format("Unable to read %s - %s", path.c_str(), std::strerror(errno));
        data.clear();
        return false;
    }
    return true;
}

} // namespace dax
