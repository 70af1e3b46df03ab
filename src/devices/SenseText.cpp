#include "devices/SenseText.h"

#include "devices/Commands.h"

namespace dax {

namespace {

// Index = code; nullptr = no text of its own.
constexpr const char* kTransporterTexts[] = {
    nullptr,
    "Recovered",
    "Not Ready",
    "Medium Error",
    "Hardware Error",
    "Illegal Request",
    "Unit Attention(door)",
    "No Drive Detected",
    "No Carousel",
    "No Printer",
    "Carousel Failure",
    "Lift Failure",
    "DDA Failure",
    nullptr,
    "Printer busy",
    "Host Comm Failure",
    "Prog Flash Failure",
    "Rotate Failure",
    "Mailbox failure",
    "Rotoprint failure",
    "Printer Clamp failure",
};

constexpr const char* kPrinterTexts[] = {
    "OK",
    "Ribbon Out",
    "Printer Busy",
    "Lower Head Error",
    "Raise Head Error",
    "Drawer Home Error",
    "Drawer In Error",
    "Drawer Out Error",
    "Invalid Data",
    "Data Mismatch",
    "Invalid Left Margin",
    "No Left Margin",
    "Disc detection Error",
    "Color Change Error",
    "User Aborted",
    "Printhead Integrity",
};

constexpr unsigned kPrinterCodes = sizeof(kPrinterTexts) / sizeof(kPrinterTexts[0]);
constexpr unsigned kTransporterCodes = sizeof(kTransporterTexts) / sizeof(kTransporterTexts[0]);
// CInkographer's printer table goes on with the transporter texts of 16 to 19.
constexpr unsigned kInkographerCodes = 20;

} // namespace

std::string SenseFallbackText(unsigned code) {
    return "Sense = " + std::to_string(code);
}

std::string TransporterSenseText(unsigned code) {
    if (code < kTransporterCodes && kTransporterTexts[code] != nullptr) {
        return kTransporterTexts[code];
    }
    return SenseFallbackText(code);
}

std::string PrinterSenseText(unsigned code, bool morrane) {
    if (!morrane && code < kPrinterCodes) {
        return kPrinterTexts[code];
    }
    return SenseFallbackText(code);
}

std::string InkographerPrinterSenseText(unsigned code) {
    if (code < kPrinterCodes) {
        return kPrinterTexts[code];
    }
    if (code < kInkographerCodes) {
        return kTransporterTexts[code];
    }
    return SenseFallbackText(code);
}

std::string FormatSenseErrorText(const std::string& transporterText, const std::string& printerText,
                                 uint16_t transporterSense, uint16_t printerSense) {
    if (transporterSense > 0) {
        return "Transporter: " + transporterText;
    }
    if (printerSense > 0) {
        return "Printer: " + printerText;
    }
    return {};
}

std::string FormatInkographerErrorText(const std::string& printerText, uint16_t printerSense) {
    if (printerSense > 0) {
        return "Inkographer: " + printerText;
    }
    return {};
}

std::string UnconfirmedCommandText(const std::string& command) {
    return "ESC " + CommandHead(command) + " was not confirmed, and no fault is reported";
}

} // namespace dax
