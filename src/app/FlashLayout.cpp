#include "app/FlashLayout.h"

#include "platform/Format.h"

namespace dax {

namespace {

uint32_t LittleEndian32(const uint8_t* b) {
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

std::string Unreadable(const std::string& path) {
    return Format("Unable to read version info from file '%s'", path.c_str());
}

// The record's size field at `at`. Offsets are 64-bit so that no size field can wrap them; a
// record that claims more than the file holds is refused before the device is touched.
bool ReadRecordSize(FlashFile& file, const std::string& path, FlashImagePlace& place, uint64_t at,
                    std::string& status) {
    uint8_t field[4] = {};
    uint32_t got = 0;
    if (!file.ReadAt(at, field, 4, got) || got != 4) {
        status = Unreadable(path);
        return false;
    }
    place.size = LittleEndian32(field);
    if (place.size == 0 || place.size > place.fileSize - (at + 4)) {
        status = Format("Flash file is damaged: the image at offset %llu claims %u bytes, "
                        "the file holds %llu",
                        static_cast<unsigned long long>(at + 4), place.size,
                        static_cast<unsigned long long>(place.fileSize - (at + 4)));
        return false;
    }
    place.offset = at + 4;
    return true;
}

bool ReadHeader(FlashFile& file, const std::string& path, FlashImagePlace& place,
                std::string& status) {
    if (file.ReadHeaderBlock(place.offset, place.header))
        return true;
    status = Unreadable(path);
    return false;
}

bool HasNextRecord(const FlashImagePlace& place) {
    return place.multi && place.offset + place.size + 4 < place.fileSize;
}

} // namespace

bool OpenFlashFile(FlashFile& file, const std::string& path, FlashImagePlace& first,
                   std::string& status) {
    const char* p = path.c_str();
    first = FlashImagePlace{};
    // The file says why it was refused: not there, not a regular file, too large.
    if (!file.Open(path) || !file.GetSize(first.fileSize)) {
        status = file.GetFailure();
        return false;
    }
    if (!file.IsMultiImage(first.fileSize, first.multi)) {
        status = Unreadable(path);
        return false;
    }
    first.size = first.fileSize;
    if (first.multi && !ReadRecordSize(file, path, first, 0, status))
        return false;
    if (first.size == 0) {
        status = Format("Flash file %s is empty", p);
        return false;
    }
    return ReadHeader(file, path, first, status);
}

bool NextFlashRecord(FlashFile& file, const std::string& path, FlashImagePlace& place,
                     std::string& status) {
    const uint64_t next = place.offset + place.size;
    if (!HasNextRecord(place)) {
        status = "Flash file is incompatible";
        return false;
    }
    return ReadRecordSize(file, path, place, next, status) && ReadHeader(file, path, place, status);
}

bool ListFlashImages(FlashFile& file, const std::string& path, std::vector<FlashImagePlace>& images,
                     std::string& status) {
    images.clear();
    FlashImagePlace place;
    if (!OpenFlashFile(file, path, place, status))
        return false;
    for (;;) {
        images.push_back(place);
        if (!HasNextRecord(place))
            return true;
        if (!NextFlashRecord(file, path, place, status))
            return false;
    }
}

} // namespace dax
