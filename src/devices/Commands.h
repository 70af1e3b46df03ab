#pragma once

#include "platform/Format.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace dax {

// The transporter's command language: every command is the escape byte followed by a short
// ASCII text. The formats below are the text without the leading escape; Command() adds it.

inline constexpr char kEsc = '\x1B';

// 0x1B followed by the printf-formatted text; no terminator, no length limit.
std::string Command(const char* format, ...) DAX_PRINTF_FORMAT(1, 2);

// The baud-change command: 115200 goes as ESC "!b11520C" (five digits), any other rate as
// ESC "!b%dC".
std::string BaudCommand(uint32_t baud);

// A command as a message names it: the text after the escape up to its closing letter, without
// the data that follows ("!f9000C" of a stored serial number).
std::string CommandHead(const std::string& command);

// True when every byte of `text` is printable ASCII (0x20-0x7E). Text that goes inside a command
// must be: an ESC would start a second command on the device, other control bytes would corrupt
// the one sent.
bool IsWireText(const std::string& text);
// True when `text` holds no control byte (below 0x20, or 0x7F): bytes above 0x7E cannot start a
// command, so text the device itself reported (an erased area reads 0xFF) may go back as it was.
bool HasNoControlBytes(const std::string& text);
// Whether a text may go inside a command: printable ASCII, or exactly what the device reported
// (`reported`), as long as no control byte is in it.
bool MaySendText(const std::string& text, const std::string& reported);

// ---- Transporter (CVelmora, and CHalcyra where it inherits) ----

inline constexpr char kCmdInquiry[] = "!e0C";
inline constexpr char kCmdRequestSense[] = "!e1C";
// Request Sense of the start-up firmware (short-status mode).
inline constexpr char kCmdBootSense[] = "!f0C";
inline constexpr char kCmdReadElementStatus[] = "!f0%03dC";       // element
inline constexpr char kCmdPositionMedium[] = "!f1%03d%cC";        // element, action character
inline constexpr char kCmdPositionMediumDigit[] = "!f1%03d%01dC"; // element, action digit
inline constexpr char kCmdOpenCloseElement[] = "!f2%03d%cC";      // element, '1' open / '0' close
inline constexpr char kCmdRotationalOffset[] = "!f4%03dC";        // 0-64, 100 restores the default
inline constexpr char kCmdLeftMargin[] = "!f6%03dC";              // 0-10
inline constexpr char kCmdTopMargin[] = "!f7%03dC";               // 0-150
inline constexpr char kCmdMediaSize[] = "!e4%dC";                 // media code
inline constexpr char kCmdLedsOn[] = "!f5111C";
inline constexpr char kCmdLedsOff[] = "!f5000C";
inline constexpr char kCmdLoadPrinter[] = "!f311%05dC";      // bin
inline constexpr char kCmdPrinterLoadVariant[] = "!f312%dC"; // value
inline constexpr char kCmdOpenPrinterDrawer[] = "!d0C";
inline constexpr char kCmdClosePrinterDrawer[] = "!d1C";
inline constexpr char kCmdAlignPass1[] = "!a1H";
inline constexpr char kCmdAlignPass2[] = "!a2H";
inline constexpr char kCmdAlignPass3[] = "!a3H";
inline constexpr char kCmdCounter[] = "!f;%cC"; // '1' print, '2' ribbon, '3' image
inline constexpr char kCmdSetBaud[] = "!b%dC";  // 9600, 38400
inline constexpr char kCmdSetBaud115200[] = "!b11520C";
inline constexpr char kCmdSetBaud38400[] = "!b38400C";
inline constexpr char kCmdReadStoredText[] = "!f:%03dC"; // area
inline constexpr char kCmdStoreTransporterSerial[] = "!f9000C%-8.8s";
inline constexpr char kCmdStorePrinterSerial[] = "!f9260C%-8.8s";
inline constexpr char kCmdStorePrinterBSerial[] = "!f9261C%-8.8s";
inline constexpr char kCmdReadParams[] = "!f:099C";
inline constexpr char kCmdReadName1[] = "!f:100C";
inline constexpr char kCmdReadName2[] = "!f:101C";
// shutdown, override, override, beeps digit, computer name
inline constexpr char kCmdStoreParams[] = "!f9099C%c%c%c%c%c000";
inline constexpr char kCmdStoreName1[] = "!f9100C%-8.8s";
inline constexpr char kCmdStoreName2[] = "!f9101C%-8.8s";
inline constexpr char kCmdBeginFlash[] = "!g0%dC"; // flash data size
inline constexpr char kCmdBeginPrinterFlash[] = "!h0C";
inline constexpr char kCmdStoreSettings[] = "!h1C";
inline constexpr char kCmdRestart[] = "!g1C";

// Stored-text areas of kCmdReadStoredText.
inline constexpr int kAreaTransporterSerial = 0;
inline constexpr int kAreaPrinterSerial = 260;
inline constexpr int kAreaPrinterBSerial = 261;
inline constexpr int kAreaParams = 99;
inline constexpr int kAreaName1 = 100;
inline constexpr int kAreaName2 = 101;

// Block size handed to kCmdBeginFlash by firmware older than revision 3000.
inline constexpr int kOldFirmwareFlashSize = 65534;

// Raw sequences, written as they stand (escape bytes included), no answer read.
// Printer preparation after a load (non-Morrane printers).
inline constexpr char kSeqPrinterPreparation[] = "\x1B!t0C\x1B!s500C";
inline constexpr size_t kSeqPrinterPreparationLength = sizeof(kSeqPrinterPreparation) - 1;
// Pre-print settings.
inline constexpr char kSeqPrePrint[] = "\x1B!u0C\x1B!t000C\x1B!s400C";
inline constexpr size_t kSeqPrePrintLength = sizeof(kSeqPrePrint) - 1;
static_assert(kSeqPrinterPreparationLength == 12 && kSeqPrePrintLength == 19);

// ---- CHalcyra ----

inline constexpr char kCmdPickerHome[] = "!f10020C";
inline constexpr char kCmdHalcyraRotationalOffset[] = "!f4%03d%03dC"; // printer element, value
inline constexpr char kCmdHalcyraLeftMargin[] = "!f6%03d%03dC";       // printer element, value
inline constexpr char kCmdHalcyraTopMargin[] = "!f7%03d%03dC";        // printer element, value
inline constexpr char kCmdHalcyraRotate[] = "!f3%03d11%05dC";         // printer element, steps
inline constexpr char kCmdHalcyraStoreSettings[] = "!h1%03dC";        // printer element
inline constexpr char kCmdHalcyraCounter[] = "!f;%d%cC";              // printer element, counter
inline constexpr char kCmdHalcyraPrinterAInit[] = "!f@260C";
inline constexpr char kCmdHalcyraPrinterBInit[] = "!f@261C";
// A CHalcyra counter answer begins with these four bytes.
inline constexpr char kHalcyraCounterPrefix[] = "\x1B!f;";
inline constexpr size_t kHalcyraCounterPrefixLength = sizeof(kHalcyraCounterPrefix) - 1;

// ---- CInkographer ----

inline constexpr char kCmdInkRequestSense[] = "!r3C";
inline constexpr char kCmdInkOpenDrawer[] = "!r0C";
inline constexpr char kCmdInkLeftMargin[] = "!m0%03dC";
inline constexpr char kCmdInkTopMargin[] = "!m1%03dC";
inline constexpr char kCmdInkRotationalOffset[] = "!m2%03dC";
inline constexpr char kCmdInkPocketOffset[] = "!m3%03dC";
inline constexpr char kCmdInkMediaSize[] = "!t%dC";
inline constexpr char kCmdInkPrintStart[] = "!t0C";
inline constexpr char kCmdInkPrintNoAngle[] = "!s500C";
inline constexpr char kCmdInkReload[] = "!f312%dC";
inline constexpr char kCmdInkPocketFromPrinter[] = "!f312000C";
inline constexpr char kCmdInkPocketFromBin[] = "!f313000C";
inline constexpr char kCmdInkReadSerial[] = "!f:C";
inline constexpr char kCmdInkStoreSerial[] = "!f9C%-8.8s";

// ---- Answer lengths (bytes) ----

inline constexpr uint32_t kAckLength = 6;            // form A
inline constexpr uint32_t kSenseLength = 11;         // form B
inline constexpr uint32_t kBootSenseLength = 6;      // form B'
inline constexpr uint32_t kElementStatusLength = 12; // form C
inline constexpr uint32_t kStoredTextLength = 14;    // form D
inline constexpr uint32_t kBaudAnswerLength = 5;     // form E
inline constexpr uint32_t kCounterLength = 12;       // form F
inline constexpr uint32_t kInquiryHeadLength = 7;    // form G
inline constexpr uint32_t kHalcyraSenseLength = 14;
inline constexpr uint32_t kHalcyraCounterLength = 11;
inline constexpr uint32_t kInkSenseLength = 9;
inline constexpr uint32_t kInkCounterLength = 11;

// The baud answer that accepts the new rate, all five bytes.
inline constexpr char kBaudAccepted[] = "\x1B!b1C";

// ---- Exchange time-outs (seconds) ----

inline constexpr uint32_t kInquirySeconds = 10;
inline constexpr uint32_t kSenseSeconds = 3; // RequestSense's class default
inline constexpr uint32_t kSenseRetrySeconds = 3;
inline constexpr uint32_t kReadElementSeconds = 10;
inline constexpr uint32_t kPositionSeconds = 60;
inline constexpr uint32_t kMorranePositionSeconds = 7;
inline constexpr uint32_t kOpenCloseSeconds = 30;
inline constexpr uint32_t kSettingSeconds = 5; // offsets, margins, media size
inline constexpr uint32_t kLedSeconds = 2;
inline constexpr uint32_t kLoadPrinterSeconds = 120;
inline constexpr uint32_t kNoAnswerSeconds = 30; // "!a3H", "!d1C", raw flash data
inline constexpr uint32_t kCounterSeconds = 15;
inline constexpr uint32_t kBaudSeconds = 20;
inline constexpr uint32_t kStepDownBaudSeconds = 5;
inline constexpr uint32_t kReadTransporterSerialSeconds = 15;
inline constexpr uint32_t kReadStoredTextSeconds = 5; // printer serials, display name
inline constexpr uint32_t kReadParamsSeconds = 10;
inline constexpr uint32_t kStoreSeconds = 5; // serial numbers, parameters, display name
inline constexpr uint32_t kBeginFlashSeconds = 20;
inline constexpr uint32_t kStoreSettingsSeconds = 20;
inline constexpr uint32_t kRestartSeconds = 20;

} // namespace dax
