#pragma once

namespace dax {

// Settings: sections and values.
inline constexpr char kSectionLastGood[] = "Last Good";
inline constexpr char kValueBaudRate[] = "Baud Rate";
inline constexpr char kValueFirstPort[] = "First Port";
inline constexpr char kSectionComParams[] = "COM Params";
inline constexpr char kValueBaud[] = "Baud";

// Texts of the main dialog and its boxes.
inline constexpr char kAboutMenuItem[] = "&About Daxtool...";
inline constexpr char kWaitBoxMessage[] = "Scanning serial ports for transporters, please wait";
inline constexpr char kNoTransporterAtStart[] = "Unable to communicate with a transporter";
inline constexpr char kNoTransporterOnPort[] = "Unable to communicate with the transporter on ";
inline constexpr char kNoTransporterAnywhere[] = "Unable to find a transporter";
inline constexpr char kNoTransporterFound[] = "No transporter found";
inline constexpr char kUpdatingParameters[] = "Updating Flash Parameters...";
inline constexpr char kUpdateSucceeded[] = "Parameter update succeeded";
inline constexpr char kNoTransporterAvailable[] = "No transporter available";
inline constexpr char kPrintingPattern[] = "Printing the selected pattern";
inline constexpr char kPrintingCompleted[] = "Printing Completed";
inline constexpr char kPrintWaitNoAnswer[] =
    "The transporter did not answer the status poll after the print data";
inline constexpr char kValuesNotKnown[] =
    "what the transporter now holds is not known: read its values again";

// The firmware update's file dialog.
inline constexpr char kFlashDialogTitle[] = "Select file to load flash from";
inline constexpr char kFlashFilterName[] = "Flash Files(*.bin)";
inline constexpr char kFlashFilterPattern[] = "*.bin";
inline constexpr char kFlashSucceeded[] = "Flash update succeeded";
inline constexpr char kMayBeProgramming[] =
    "the transporter may be left in programming mode: switch it off and on, then run the update "
    "again";

// A firmware update that did not finish, remembered by its COM number (0: none).
inline constexpr char kSectionFirmwareUpdate[] = "Firmware Update";
inline constexpr char kValueUnfinishedPort[] = "Unfinished Port";

// Field validation messages.
inline constexpr char kTooManyCharacters[] = "Please enter no more than %d characters.";
inline constexpr char kIntegerRange[] = "Please enter an integer between %d and %d.";
inline constexpr char kNotAnInteger[] = "Please enter an integer.";
inline constexpr char kNotPrintableAscii[] =
    "Please enter only letters, digits, spaces and the punctuation of plain ASCII "
    "(characters 0x20 to 0x7E).";

} // namespace dax
