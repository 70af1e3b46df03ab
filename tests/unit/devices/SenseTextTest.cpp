#include "devices/SenseText.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

TEST(SenseText, TransporterTable) {
    EXPECT_EQ(TransporterSenseText(1), "Recovered");
    EXPECT_EQ(TransporterSenseText(6), "Unit Attention(door)");
    EXPECT_EQ(TransporterSenseText(12), "DDA Failure");
    EXPECT_EQ(TransporterSenseText(14), "Printer busy");
    EXPECT_EQ(TransporterSenseText(18), "Mailbox failure");
    EXPECT_EQ(TransporterSenseText(20), "Printer Clamp failure");
    EXPECT_EQ(TransporterSenseText(0), "Sense = 0");
    EXPECT_EQ(TransporterSenseText(13), "Sense = 13");
    EXPECT_EQ(TransporterSenseText(21), "Sense = 21");
    EXPECT_EQ(TransporterSenseText(65535), "Sense = 65535");
}

TEST(SenseText, PrinterTables) {
    EXPECT_EQ(PrinterSenseText(0, false), "OK");
    EXPECT_EQ(PrinterSenseText(2, false), "Printer Busy");
    EXPECT_EQ(PrinterSenseText(12, false), "Disc detection Error");
    EXPECT_EQ(PrinterSenseText(15, false), "Printhead Integrity");
    EXPECT_EQ(PrinterSenseText(16, false), "Sense = 16");
    EXPECT_EQ(PrinterSenseText(0, true), "Sense = 0");
    EXPECT_EQ(PrinterSenseText(2, true), "Sense = 2");

    EXPECT_EQ(InkographerPrinterSenseText(1), "Ribbon Out");
    EXPECT_EQ(InkographerPrinterSenseText(16), "Prog Flash Failure");
    EXPECT_EQ(InkographerPrinterSenseText(19), "Rotoprint failure");
    EXPECT_EQ(InkographerPrinterSenseText(20), "Sense = 20");
}

TEST(SenseText, ErrorTextFromCodes) {
    const std::string t = TransporterSenseText(5);
    const std::string p = PrinterSenseText(1, false);
    EXPECT_EQ(FormatSenseErrorText(t, p, 5, 1), "Transporter: Illegal Request");
    EXPECT_EQ(FormatSenseErrorText(t, p, 0, 1), "Printer: Ribbon Out");
    EXPECT_EQ(FormatSenseErrorText(t, p, 0, 0), "");
    EXPECT_EQ(FormatInkographerErrorText(InkographerPrinterSenseText(19), 19),
              "Inkographer: Rotoprint failure");
    EXPECT_EQ(FormatInkographerErrorText("OK", 0), "");
}

} // namespace
} // namespace dax
