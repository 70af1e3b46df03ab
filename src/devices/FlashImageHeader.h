#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace dax {

// Where a flash image says what it is (offsets from the start of the image).
inline constexpr size_t kImageIdOffset = 160;
inline constexpr size_t kImageFamilyOffset = 193;
inline constexpr size_t kImageIdLength = 23;
// The 240x family keeps its identification here instead.
inline constexpr size_t kImage240xIdOffset = 2150;

// Firmware of the disc printer behind a transporter: its identification (letter case aside),
// the printer product name it is for, and its one size.
inline constexpr std::string_view kPrinterImageId = "CD-R InkographerVERSION";
inline constexpr std::string_view kPrinterProductName = "CD-R Inkographer";
inline constexpr uint32_t kPrinterImageSize = 65536;
// The printer family an image is for (at kImageFamilyOffset) changed with printer revision 5001.
inline constexpr int kRevisionPrinterFamily1 = 5001;
inline constexpr std::string_view kFamilyInkographer0 = "Inkographer ";
inline constexpr std::string_view kFamilyInkographer1 = "Inkographer1";
inline constexpr std::string_view PrinterImageFamily(int printerRevision) {
    return printerRevision < kRevisionPrinterFamily1 ? kFamilyInkographer0 : kFamilyInkographer1;
}

// The readable part of an image header: bytes beyond it count as absent, so a text that would
// reach past it never matches.
class ImageHeader {
public:
    ImageHeader(const uint8_t* image, uint32_t readable) : m_pImage(image), m_nReadable(readable) {}

    bool Has(size_t offset, std::string_view text, bool ignoreCase = false) const {
        if (m_pImage == nullptr || offset > m_nReadable || text.size() > m_nReadable - offset) {
            return false;
        }
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = static_cast<char>(m_pImage[offset + i]);
            if (ignoreCase ? FoldCase(c) != FoldCase(text[i]) : c != text[i]) {
                return false;
            }
        }
        return true;
    }
    bool HasFamily(std::string_view family) const { return Has(kImageFamilyOffset, family); }
    // Byte at an offset, or -1 when it is not readable.
    int At(size_t offset) const {
        return m_pImage != nullptr && offset < m_nReadable ? m_pImage[offset] : -1;
    }

private:
    static char FoldCase(char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }

    const uint8_t* m_pImage;
    uint32_t m_nReadable;
};

} // namespace dax
