#include "devices/Commands.h"

#include "devices/ElementMap.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

std::string Esc(const std::string& text) {
    return "\x1B" + text;
}

TEST(Commands, GoldenBytes) {
    const std::pair<std::string, std::string> cases[] = {
        {Command(kCmdReadElementStatus, kElementBin1), "!f0200C"},
        {Command(kCmdPositionMedium, kElementBin2, kActionGet), "!f12012C"},
        {Command(kCmdPositionMedium, kElementBin2, kHalcyraGet0), "!f12014C"},
        {Command(kCmdPositionMediumDigit, kElementPrinter, 0), "!f12600C"},
        {Command(kCmdLoadPrinter, 0), "!f31100000C"},
        {Command(kCmdStoreParams, '1', '0', '0', '9', '1'), "!f9099C10091000"},
        {Command(kCmdHalcyraRotate, kElementPrinterB, 954), "!f32611100954C"},
        {BaudCommand(115200), "!b11520C"},
        {BaudCommand(38400), "!b38400C"},
        {BaudCommand(9600), "!b9600C"},
        {std::string(kSeqPrePrint, kSeqPrePrintLength), "!u0C\x1B!t000C\x1B!s400C"},
    };
    for (const auto& [built, expected] : cases) {
        EXPECT_EQ(built, Esc(expected));
    }
    const std::string text(5000, 'x'); // no length limit
    EXPECT_EQ(Command("%s", text.c_str()), Esc(text));
}

TEST(ElementMap, NamesDependOnTheFamily) {
    using F = DeviceFamily;
    const std::pair<std::string_view, std::string_view> cases[] = {
        {ElementName(F::Velmora, kElementPrinter), "PRINTER"},
        {ElementName(F::Halcyra, kElementPrinter), "PRINTERA"},
        {ElementName(F::Halcyra, kElementGripper), "GRIPPER0"},
        {ElementName(F::Velmora, kElementGripper1), ""},
        {ElementName(F::Velmora, DriveElement(4)), "DRIVE4"},
        {ElementName(F::Velmora, DriveElement(5)), ""},
        {ElementName(F::Halcyra, DriveElement(8)), "DRIVE8"},
        {ElementName(F::Halcyra, DriveElement(9)), ""},
        {ElementName(F::Halcyra, kElementMailbox), ""},
        {ElementName(F::Inkographer, kElementMailbox), "MAILBOX"},
        {ElementName(F::Velmora, kElementPocket), ""},
        {ActionName(F::Velmora, kActionGet), "GET"},
        {ActionName(F::Velmora, kActionUsbProbe), ""},
        {ActionName(F::Halcyra, kHalcyraMove0), "MOVE0"},
        {ActionName(F::Halcyra, kHalcyraP1Align), "P1 ALIGN"},
        {ActionName(F::Halcyra, kHalcyraX10StAlign), "X 1/0 ST ALIGN"},
        {ActionName(F::Halcyra, '='), ""},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(name, expected);
    }
}

} // namespace
} // namespace dax
