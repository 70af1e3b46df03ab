#pragma once

#include "app/FlashFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dax {

// Where an image of a flash file lies.
struct FlashImagePlace {
    uint32_t fileSize = 0;
    bool multi = false;
    uint64_t offset = 0; // of the image's first byte
    uint32_t size = 0;   // the image's own length
    std::vector<uint8_t> header;
};

// The checks of a flash file that need no device: it opens, has a size, its kind is known and
// its first image is whole with a readable header. False with the firmware update's status
// text in `status`.
bool OpenFlashFile(FlashFile& file, const std::string& path, FlashImagePlace& first,
                   std::string& status);
// Steps to the next record of a multi-image file; false (with the status) when there is none
// or it is damaged. A file with no further record reports "Flash file is incompatible".
bool NextFlashRecord(FlashFile& file, const std::string& path, FlashImagePlace& place,
                     std::string& status);

// Every image of the file in order, each with its place and header block. False with the status
// when the file cannot be used or a record is damaged; the images before the damage are listed
// all the same.
bool ListFlashImages(FlashFile& file, const std::string& path, std::vector<FlashImagePlace>& images,
                     std::string& status);

} // namespace dax
