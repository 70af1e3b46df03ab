#include "app/ContextHelp.h"

#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"

namespace dax {

const std::vector<HelpEntry>& HelpTable() {
    static const std::vector<HelpEntry> table = {
        {IDC_INQUIRY_ID,
         "The Inquiry ID field displays the current firmware version for the transporter"},
        {IDC_STATUS, "The Status window displays the result of the last operation"},
        {IDC_UPDATE_FLASH, "Select the Update Flash Firmware button to update the Transporter or "
                           "Printer firmware with the latest firmware release"},
        {IDC_ABOUT, "Display the Program name and version"},
        {IDC_PRINT_GRID, "Select the Print Calibration Grid button to make a calibration disc "
                         "using the Korvix CD Printer"},
        {IDC_CALIBRATE_ROTATOR, "Select Calibrate Rotator to set Rotoprint alignment"},
        {IDC_CALIBRATE_POCKET,
         "Select Calibrate Pocket CDs to program the offsets for the various pocket CD sizes"},
        {IDC_PORT, "Select the Port drop down box to pick the comport (COM2, COM3, etc.) through "
                   "which the program communicates to a particular transporter"},
        {IDC_FLASH_LEDS,
         "Select Flash Leds to have the lights flash on the transporter.  You use this option to "
         "see which port is connected to which Moltrian (i.e., Skelvar, Orrindale Skelvar, or "
         "Velmora)."},
        {IDC_UPDATE_SERIAL, "Select the Update Serial #s button to permanently store the serial "
                            "numbers into the transporter's nonvolatile memory"},
        {IDC_BAUD_TEXT, "The Current Baud Rate indicates the serial bit rate for communication to "
                        "the transporter and CD printer"},
        {IDC_TRANSPORTER_SN, "Contains the current serial number value for the transporter. Press "
                             "Update Serial #s to save a new serial number value"},
        {IDC_PRINTER_SN, "Contains the current serial number value for the CD printer. Press "
                         "Update Serial #s to save a new serial number value"},
        {IDC_EXIT, "Press to exit the program"},
        {IDC_DISABLE_CHECK, "Check this box to change between firmware that supports Morrane "
                            "printers and firmware that supports Pyrel printers, for example"},
        {IDC_DISPLAY_NAME,
         "Text to be displayed on loader LCD (if the check-box below is checked)"},
        {IDC_OVERRIDE_NAME,
         "Check this box to cause text in the box above to be displayed on the loader LCD"},
        {IDC_ENABLE_SHUTDOWN, "Check this box to cause a shutdown request to be sent to Jobdock "
                              "when the botton next to the LCD is pressed for 6 seconds"},
        {IDC_USE_COMPUTER_NAME,
         "Check this box to cause Jobdock to display the computer name on the loader LCD"},
        {IDC_SET_PARAMS, "Press to update the loader flash with the parameters in this group"},
        {IDC_BEEPS, "Enter the number of beeps to sound on an error condition"},
    };
    return table;
}

std::string GetHelpText(const std::vector<HelpEntry>& table, int id) {
    for (const HelpEntry& e : table)
        if (e.id == id)
            return e.text;
    return {};
}

std::string GetHelpText(int id) {
    return GetHelpText(HelpTable(), id);
}

PopupRect PlaceHelpPopup(int x, int y, int w, int h) {
    // Division truncates toward zero, as the placement always has.
    int left = x - w / 2;
    if (left < 0)
        left = 0;
    return {left, y - h, w + kHelpMarginX, h + kHelpMarginY};
}

PopupRect KeepInside(const PopupRect& popup, const PopupRect& area) {
    PopupRect placed = popup;
    if (placed.left + placed.width > area.left + area.width)
        placed.left = area.left + area.width - placed.width;
    if (placed.left < area.left)
        placed.left = area.left;
    if (placed.top + placed.height > area.top + area.height)
        placed.top = area.top + area.height - placed.height;
    if (placed.top < area.top)
        placed.top = area.top;
    return placed;
}

void ShowContextHelp(DialogView& view, int x, int y) {
    ShowHelpFrom(view, HelpTable(), x, y);
}

void CDaxtoolDlg::OnContextHelp(int x, int y) {
    ShowContextHelp(m_view, x, y);
}

} // namespace dax
