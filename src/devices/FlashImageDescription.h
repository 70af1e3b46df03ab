#pragma once

#include <cstdint>
#include <string>

namespace dax {

// What a flash image says it is for, read from its header alone (no device is asked): the
// identification of one of the products this program programs, the firmware family and the
// revision. The compatibility check of a device decides whether it fits; this only names it.
struct FlashImageDescription {
    // The image carries the identification of a product this program knows.
    bool known = false;
    std::string identification; // as the image carries it, padding removed
    std::string kindText;       // "general transporter firmware", "printer firmware", ...
    std::string product;        // what it is for: "DISC TRANSPORTER", "CD-R Inkographer", ...
    std::string family;         // the firmware family at 193 as it stands, empty when unknown
    std::string version;        // "3.40 C"; empty when the image gives none
};

// `readable` bytes of the image from its start (its header block).
FlashImageDescription DescribeFlashImage(const uint8_t* image, uint32_t readable);
// "general transporter firmware for DISC TRANSPORTER 3.40 C, family Velmora", or what is
// missing: "no identification of a product this program knows".
std::string FlashImageSummary(const FlashImageDescription& description);
// "family Velmora", or "no family this program knows".
std::string FamilyText(const std::string& family);
// A firmware revision as the inquiry gives it, 3400 and 'C': "3.40 C" (3209: "3.209").
std::string RevisionText(int revision, int suffix);

} // namespace dax
