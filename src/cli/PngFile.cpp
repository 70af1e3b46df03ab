#include "cli/PngFile.h"

#include "platform/LocalFile.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <png.h>
#include <unistd.h>

namespace dax {

namespace {

struct PngFailure {
    char message[256];
};

void OnPngError(png_structp png, png_const_charp message) {
    auto* failure = static_cast<PngFailure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump: nothing here may need a destructor.
bool Encode(std::FILE* file, int width, int height, const uint8_t* bits, PngFailure& failure) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnPngError, OnPngWarning);
    if (!png) {
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 1,
                 PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // In a grey PNG a set bit is white; on paper a set bit is a dot.
    png_set_invert_mono(png);
    const size_t stride = static_cast<size_t>(width + 7) / 8;
    for (int y = 0; y < height; ++y)
        png_write_row(png, bits + static_cast<size_t>(y) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Where the picture goes: `path` itself, or the file a link at `path` leads to, so the link
// stays. Only a regular file is replaced; anything else (a device node, a FIFO, a directory, a
// link to one of them) is refused. Empty with the reason in `error` then.
std::string Destination(const std::string& path, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string target = path;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        target = fs::weakly_canonical(path, ec).string();
        if (ec) {
            error = "Unable to write " + path + ": " + ec.message();
            return {};
        }
    }
    if (const std::string kind = NotARegularFile(target); !kind.empty()) {
        error = "Unable to write " + path + ": " + (target == path ? "it" : target) + " is " +
                kind + ", not a regular file; the picture replaces regular files only";
        return {};
    }
    return target;
}

} // namespace

bool WriteMonoPng(const std::string& path, int width, int height, const std::vector<uint8_t>& bits,
                  std::string& error) {
    if (width <= 0 || height <= 0 ||
        bits.size() < static_cast<size_t>((width + 7) / 8) * static_cast<size_t>(height)) {
        error = "nothing to draw";
        return false;
    }
    const std::string target = Destination(path, error);
    if (target.empty())
        return false;
    // A file of our own beside the target: whatever stood at the temporary name (a link left
    // there) is removed, never written through.
    const std::string temporary = target + ".part";
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        error = "Unable to write " + path + ": " + std::strerror(errno);
        if (fd >= 0) {
            ::close(fd);
            std::remove(temporary.c_str());
        }
        return false;
    }
    PngFailure failure{};
    const bool encoded = Encode(file, width, height, bits.data(), failure);
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed) {
        error = "Unable to write " + path + ": " +
                (encoded ? std::string(std::strerror(errno)) : std::string(failure.message));
        std::remove(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = "Unable to write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace dax
