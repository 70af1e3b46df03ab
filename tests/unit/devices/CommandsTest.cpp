#include "devices/Commands.h"

#include "devices/ElementMap.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

std::string Esc(const std::string& text) {
    return std::string(1, '\x1B') + text;
}

TEST(Commands, FormatsGoldenBytes) {
    struct Case {
        std::string built;
        std::string expected;
    };
    const Case cases[] = {
        {Command(kCmdReadElementStatus, kElementBin1), "!f0200C"},
        {Command(kCmdPositionMedium, kElementBin2, kActionGet), "!f12012C"},
        {Command(kCmdPositionMediumDigit, kElementPrinter, 0), "!f12600C"},
        {Command(kCmdOpenCloseElement, kElementMailbox, '0'), "!f23000C"},
        {Command(kCmdLoadPrinter, 0), "!f31100000C"},
        {Command(kCmdRotationalOffset, 7), "!f4007C"},
        {Command(kCmdReadStoredText, kAreaTransporterSerial), "!f:000C"},
        {Command(kCmdStoreParams, '1', '0', '0', '9', '1'), "!f9099C10091000"},
        {Command(kCmdHalcyraRotate, kElementPrinterB, 954), "!f32611100954C"},
        {Command(kCmdInkLeftMargin, 10), "!m0010C"},
        {Command(kCmdInquiry), "!e0C"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.built, Esc(c.expected));
    }
    EXPECT_EQ(Command(kCmdReadElementStatus, 200).size(), 8u);
}

TEST(Commands, SerialFieldIsCutAndPaddedToEight) {
    EXPECT_EQ(Command(kCmdStoreTransporterSerial, "ABCDEFGHIJK"), Esc("!f9000CABCDEFGH"));
    EXPECT_EQ(Command(kCmdStorePrinterSerial, "12"), Esc("!f9260C12      "));
    EXPECT_EQ(Command(kCmdStoreName2, ""), Esc("!f9101C        "));
}

TEST(Commands, LongTextIsNotTruncated) {
    const std::string text(5000, 'x');
    const std::string built = Command("%s", text.c_str());
    ASSERT_EQ(built.size(), 5001u);
    EXPECT_EQ(built.substr(1), text);
}

TEST(Commands, BaudCommandWritesFiveDigitsFor115200) {
    EXPECT_EQ(BaudCommand(115200), Esc("!b11520C"));
    EXPECT_EQ(BaudCommand(38400), Esc("!b38400C"));
    EXPECT_EQ(BaudCommand(9600), Esc("!b9600C"));
}

TEST(Commands, RawSequencesCarryTheirEscapes) {
    EXPECT_EQ(std::string(kSeqPrinterPreparation, kSeqPrinterPreparationLength),
              Esc("!t0C") + Esc("!s500C"));
    EXPECT_EQ(std::string(kSeqPrePrint, kSeqPrePrintLength),
              Esc("!u0C") + Esc("!t000C") + Esc("!s400C"));
}

TEST(ElementMap, NamesDependOnTheFamily) {
    EXPECT_EQ(ElementName(DeviceFamily::Velmora, kElementPrinter), "PRINTER");
    EXPECT_EQ(ElementName(DeviceFamily::Halcyra, kElementPrinter), "PRINTERA");
    EXPECT_EQ(ElementName(DeviceFamily::Halcyra, kElementGripper), "GRIPPER0");
    EXPECT_EQ(ElementName(DeviceFamily::Velmora, kElementGripper1), "");
    EXPECT_EQ(ElementName(DeviceFamily::Velmora, DriveElement(4)), "DRIVE4");
    EXPECT_EQ(ElementName(DeviceFamily::Velmora, DriveElement(5)), "");
    EXPECT_EQ(ElementName(DeviceFamily::Halcyra, DriveElement(8)), "DRIVE8");
    EXPECT_EQ(ElementName(DeviceFamily::Halcyra, DriveElement(9)), "");
    EXPECT_EQ(ElementName(DeviceFamily::Inkographer, kElementMailbox), "MAILBOX");
    EXPECT_EQ(ElementName(DeviceFamily::Velmora, kElementPocket), "");
    EXPECT_EQ(ElementName(DeviceFamily::Halcyra, kElementPickerHome), "");
}

TEST(ElementMap, ActionNames) {
    EXPECT_EQ(ActionName(DeviceFamily::Velmora, kActionGet), "GET");
    EXPECT_EQ(ActionName(DeviceFamily::Velmora, kActionUsbProbe), "");
    EXPECT_EQ(ActionName(DeviceFamily::Inkographer, kActionPut), "PUT");
    EXPECT_EQ(ActionName(DeviceFamily::Halcyra, kHalcyraMove0), "MOVE0");
    EXPECT_EQ(ActionName(DeviceFamily::Halcyra, kHalcyraP1Align), "P1 ALIGN");
    EXPECT_EQ(ActionName(DeviceFamily::Halcyra, kHalcyraX10StAlign), "X 1/0 ST ALIGN");
    EXPECT_EQ(ActionName(DeviceFamily::Halcyra, '='), "");
    EXPECT_EQ(Command(kCmdPositionMedium, kElementBin2, kHalcyraGet0), Esc("!f12014C"));
}

} // namespace
} // namespace dax
