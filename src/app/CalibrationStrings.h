#pragma once

namespace dax {

// Rotational Calibration.
inline constexpr char kRotationalTitle[] = "Rotational Calibration";
inline constexpr char kRotationalOpenTwoPrinters[] =
    "Open the top recorder, place a calibration disc in bin 1, and select a printer.\n"
    "Then hit Test to see if the current offsets and margins are correct";
inline constexpr char kRotationalOpen[] =
    "Place a calibration disc in bin 1 and hit Test to see if the current offsets and margins "
    "are correct";
inline constexpr char kPrinterNotSelected[] = "Printer not selected!";
inline constexpr char kLoadingPrinter[] = "Loading the Printer";
inline constexpr char kPrintingOffsetMarks[] = "Printing the Offset Marks";
inline constexpr char kNoPrinterForMarks[] = "No printer was found to print them on";
inline constexpr char kCalibrationFailedSuffix[] =
    "\nThe calibration operation failed but the offset value was incorporated.\n"
    "Clear the transporter and re-test with displayed margin values";
inline constexpr char kEnterNewOffsets[] =
    "Enter new left and right offset values based on the printed offset marks and re-test if "
    "necessary\nWhen the printed offset marks are as close to 32 as possible, hit Save Offset "
    "to save the offsets permanently";
inline constexpr char kOffsetsLabel[] = "Calibrate with Calibration Disc using Offsets";

// Pocket CD Calibration.
inline constexpr char kPocketTitle[] = "Pocket CD Calibration";
inline constexpr char kPocketOpen[] =
    "Select a Pocket CD Size and hit Test to see if the current offset is correct";
inline constexpr char kSelectSizeFirst[] = "Select a CD size first";
inline constexpr char kSetMediaSizeFailed[] = "Set Media Size failed - %s";
inline constexpr char kSetPocketOffsetFailed[] = "Set Business Card Offset failed - %s";
inline constexpr char kPocketLoadFailed[] = "Failed to load disc - %s\nIs the disc on the printer?";
inline constexpr char kPocketNotLoaded[] =
    "The entered angle was saved but the disc failed to load. Retest with the current angle.";
inline constexpr char kPocketLoaded[] =
    "Enter the angle of the bottom right edge of the disc relative to horizontal - 90 degrees "
    "(less than 90 if tilted up, greater than 90 if tilted down) into the Enter Angle box "
    "and retest.\nWhen the angle is 90, press Save Offset to save the offset.";
inline constexpr char kAngleLabel[] = "Enter Angle disc was positioned at (90 deg. is ideal): ";
inline constexpr char kSizeGroup[] = "CD Size";

} // namespace dax
