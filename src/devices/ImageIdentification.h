#pragma once

#include <cstdint>

namespace dax {

// The firmware an image says it holds, in the layout of the inquiry identification: a
// 16-character product name, "VERSION", the revision digits at +24 and the suffix at +29.
struct ImageIdentification {
    int revision = 0; // as the inquiry's: 3.40 is 3400
    int suffix = 0;   // the byte after the digits
    // The identification is the disc printer's ("CD-R Inkographer"): firmware for a printer,
    // which only the stand-alone printer runs as its own.
    bool printerFirmware = false;
};

// The identification at offset 160, else at 2150 (the 240x family), of the first `length`
// bytes of an image. False when neither place holds one: a printable name, "VERSION" and
// readable revision digits.
bool ReadImageIdentification(const uint8_t* image, uint32_t length, ImageIdentification& id);

} // namespace dax
