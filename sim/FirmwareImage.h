#pragma once

#include <optional>
#include <string>

namespace dax::sim {

// The identification a firmware image carries in its header, in the layout of the inquiry
// identification: 16-character product name, "VERSION", then at +24 the major digit, at +26 and
// +27 two more digits, at +28 an optional fourth digit and at +29 the suffix.
struct SImageIdentification {
    std::string name;     // 16 characters
    std::string revision; // "d.dd" or "d.ddd"
    char suffix = ' ';
    bool family240x = false; // found at 2150, where the 240x family keeps it

    // The 30 bytes as they would stand in the inquiry identification.
    std::string Text() const;
};

// A transporter image: the header at 160, else (240x family) the one at 2150; nothing when neither
// holds a readable identification (printable name, "VERSION", revision digits).
std::optional<SImageIdentification> ReadTransporterImageIdentification(const std::string& image);

// A printer image keeps its identification at 160 only.
std::optional<SImageIdentification> ReadPrinterImageIdentification(const std::string& image);

// The dual-printer transporter's printer firmware file begins with its identification.
std::optional<SImageIdentification> ReadPrinterFileIdentification(const std::string& image);

} // namespace dax::sim
