#pragma once

#include <cstdint>
#include <string>

namespace dax {

// Texts of the sense codes that Request Sense reports. A code without a text reads
// "Sense = <code>".

// Codes that steer operations besides their text.
inline constexpr uint16_t kTransporterSenseNotReady = 2; // still busy (print wait, CHalcyra moves)
inline constexpr uint16_t kTransporterSenseMediumError = 3;
inline constexpr uint16_t kTransporterSenseUnitAttention = 6;
inline constexpr uint16_t kTransporterSenseHostCommFailure = 15;
inline constexpr uint16_t kTransporterSenseProgFlashFailure = 16;
inline constexpr uint16_t kPrinterSenseBusy = 2;
inline constexpr uint16_t kPrinterSenseColorChangeError = 13;

std::string SenseFallbackText(unsigned code);

// Transporter codes of CVelmora and CHalcyra: 1-20 (13 has no text).
std::string TransporterSenseText(unsigned code);

// Printer codes of CVelmora and CHalcyra: 0-15. A Morrane printer numbers its codes
// differently, so with `morrane` every code takes the fallback, 0 included.
std::string PrinterSenseText(unsigned code, bool morrane);

// Printer codes of CInkographer: 0-19 (16-19 share the transporter texts).
std::string InkographerPrinterSenseText(unsigned code);

// Error text from the two codes: "Transporter: %s" when the transporter code is not 0 (the
// printer code is then not looked at), else "Printer: %s" when the printer code is not 0, else
// empty. Only the text of the code that is used is read.
std::string FormatSenseErrorText(const std::string& transporterText, const std::string& printerText,
                                 uint16_t transporterSense, uint16_t printerSense);

// CInkographer's error text: "Inkographer: %s" when the printer code is not 0, else empty.
std::string FormatInkographerErrorText(const std::string& printerText, uint16_t printerSense);

// The error text of a command that was not confirmed while the sense reports nothing wrong (a
// garbled answer, say): the status must still say that the step was not done.
std::string UnconfirmedCommandText(const std::string& command);

} // namespace dax
