// The field checks shared by the window and the command line.
#include "app/FieldValidation.h"

#include "app/DialogStrings.h"

#include <gtest/gtest.h>

namespace dax {
namespace {

TEST(FieldValidation, DeviceTextsArePrintableAsciiWithinTheirLength) {
    EXPECT_EQ(CheckDeviceText(" AZaz09~", kSerialNumberChars), "");
    EXPECT_EQ(CheckDeviceText("", kSerialNumberChars), "");
    for (char c : {'\x00', '\x1F', '\x7F', '\x80', '\xFF'})
        EXPECT_EQ(CheckDeviceText(std::string("A") + c, kDisplayNameChars), kNotPrintableAscii)
            << int(uint8_t(c));
    EXPECT_EQ(CheckDeviceText("123456789", kSerialNumberChars),
              "Please enter no more than 8 characters.");
    EXPECT_EQ(CheckDeviceText(std::string(16, 'x'), kDisplayNameChars), "");
    // As the device gave it: only the length counts.
    EXPECT_EQ(CheckTextLength(std::string(8, '\xFF'), kSerialNumberChars), "");
}

TEST(FieldValidation, BeepsAreAnIntegerFromZeroToNine) {
    int beeps = -1;
    EXPECT_EQ(CheckBeeps(" 9 ", beeps), "");
    EXPECT_EQ(beeps, 9);
    EXPECT_EQ(CheckBeeps("10", beeps), "Please enter an integer between 0 and 9.");
    EXPECT_EQ(CheckBeeps("-1", beeps), "Please enter an integer between 0 and 9.");
    EXPECT_EQ(CheckBeeps("3x", beeps), "Please enter an integer.");
    EXPECT_EQ(beeps, 9); // left as it was
}

} // namespace
} // namespace dax
