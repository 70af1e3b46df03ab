#include "app/CalibrationHelp.h"

#include "app/ControlIds.h"

namespace dax {

namespace {

constexpr char kStatusHelp[] =
    "The status window displays the result of the last test and what to do next";
constexpr char kExitHelp[] =
    "Press to close the calibration window. A disc left in the printer is taken out first";

} // namespace

const std::vector<HelpEntry>& RotationalHelpTable() {
    static const std::vector<HelpEntry> table = {
        {IDC_CAL_TEST, "Select Test to print the offset marks with the values entered onto the "
                       "calibration disc in bin 1"},
        {IDC_SAVE_OFFSET, "Press Save Offset to store the offsets and margins permanently in the "
                          "transporter once the marks sit on the centres of their scales"},
        {IDC_RESTORE_DEFAULT, "Select Restore Default to go back to the transporter's default "
                              "rotational offset and print the offset marks with it"},
        {IDC_LEFT_OFFSET, "Enter the value at which the left offset mark was printed (32 is the "
                          "centre of its scale)"},
        {IDC_RIGHT_OFFSET, "Enter the value at which the right offset mark was printed (32 is "
                           "the centre of its scale)"},
        {IDC_LEFT_MARGIN, "Enter the value at which the Left Margin mark was printed (5 is the "
                          "centre of its scale)"},
        {IDC_TOP_MARGIN, "Enter the value at which the Top Margin mark was printed (75 is the "
                         "centre of its scale)"},
        {IDC_PRINTER_A, "Select Printer A to calibrate the first printer"},
        {IDC_PRINTER_B, "Select Printer B to calibrate the second printer"},
        {IDC_CAL_STATUS, kStatusHelp},
        {IDC_CAL_EXIT, kExitHelp},
    };
    return table;
}

const std::vector<HelpEntry>& PocketHelpTable() {
    static const char kSize[] = "Select the size of the pocket CD to calibrate";
    static const std::vector<HelpEntry> table = {
        {IDC_SIZE_58, kSize},
        {IDC_SIZE_61, kSize},
        {IDC_SIZE_63, kSize},
        {IDC_ANGLE, "Enter the angle at which the bottom right edge of the disc came to rest (90 "
                    "deg. is ideal)"},
        {IDC_ANGLE_SPIN, "Press the arrows to step the angle one degree at a time"},
        {IDC_CAL_TEST, "Select Test to load a pocket CD of the chosen size onto the printer with "
                       "the offset of the angle entered"},
        {IDC_SAVE_OFFSET, "Press Save Offset to store the offset of the chosen size permanently in "
                          "the transporter once the disc rests at 90 degrees"},
        {IDC_RESTORE_DEFAULT, "Select Restore Default to go back to the transporter's default "
                              "offset for the chosen size and load a disc with it"},
        {IDC_CAL_STATUS, kStatusHelp},
        {IDC_CAL_EXIT, kExitHelp},
    };
    return table;
}

} // namespace dax
