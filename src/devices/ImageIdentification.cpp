#include "devices/ImageIdentification.h"

#include "devices/Answers.h"
#include "devices/FlashImageHeader.h"

#include <string_view>

namespace dax {

namespace {

constexpr std::string_view kVersion = "VERSION";
constexpr size_t kWhole = Identification::kRevisionSuffixOffset + 1;

bool ReadAt(const ImageHeader& header, const uint8_t* image, size_t at, ImageIdentification& id) {
    if (header.At(at + kWhole - 1) < 0 ||
        !header.Has(at + Identification::kProductNameLength, kVersion))
        return false;
    for (size_t i = 0; i < Identification::kProductNameLength; ++i)
        if (image[at + i] < 0x20 || image[at + i] >= 0x7F)
            return false;
    if (!ParseRevision(image + at + Identification::kRevisionOffset, 5, id.revision))
        return false;
    id.suffix = image[at + Identification::kRevisionSuffixOffset];
    id.printerFirmware = header.Has(at, kPrinterProductName, true);
    return true;
}

} // namespace

bool ReadImageIdentification(const uint8_t* image, uint32_t length, ImageIdentification& id) {
    id = {};
    const ImageHeader header(image, length);
    return ReadAt(header, image, kImageIdOffset, id) ||
           ReadAt(header, image, kImage240xIdOffset, id);
}

} // namespace dax
