#include "devices/SenseText.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

TEST(SenseText, TablesCapitalsAndFallbacks) {
    const std::pair<std::string, std::string> cases[] = {
        {TransporterSenseText(6), "Unit Attention(door)"},
        {TransporterSenseText(14), "Printer busy"},
        {TransporterSenseText(20), "Printer Clamp failure"},
        {TransporterSenseText(0), "Sense = 0"},
        {TransporterSenseText(13), "Sense = 13"},
        {TransporterSenseText(21), "Sense = 21"},
        {PrinterSenseText(0, false), "OK"},
        {PrinterSenseText(2, false), "Printer Busy"},
        {PrinterSenseText(15, false), "Printhead Integrity"},
        {PrinterSenseText(16, false), "Sense = 16"},
        {PrinterSenseText(0, true), "Sense = 0"},
        {PrinterSenseText(2, true), "Sense = 2"},
        {InkographerPrinterSenseText(12), "Disc detection Error"},
        {InkographerPrinterSenseText(16), "Prog Flash Failure"},
        {InkographerPrinterSenseText(19), "Rotoprint failure"},
        {InkographerPrinterSenseText(20), "Sense = 20"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(text, expected);
    }
}

TEST(SenseText, ErrorTextFromCodes) {
    const std::string t = TransporterSenseText(5), p = PrinterSenseText(1, false);
    EXPECT_EQ(FormatSenseErrorText(t, p, 5, 1), "Transporter: Illegal Request");
    EXPECT_EQ(FormatSenseErrorText(t, p, 0, 1), "Printer: Ribbon Out");
    EXPECT_EQ(FormatSenseErrorText(t, p, 0, 0), "");
    EXPECT_EQ(FormatInkographerErrorText("Rotoprint failure", 19),
              "Inkographer: Rotoprint failure");
    EXPECT_EQ(FormatInkographerErrorText("OK", 0), "");
}

} // namespace
} // namespace dax
