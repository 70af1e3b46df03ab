#pragma once

#include <string>

namespace dax::sim {

// What the command interpreter recognised. The names are the transporter's own operations.
enum class ECommand {
    Inquiry,           // e0C
    RequestSense,      // e1C
    ShortSense,        // f0C (short-status and start-up firmware)
    ReadElementStatus, // f0EEEC
    PositionMedium,    // f1EEEaC
    OpenCloseElement,  // f2EEEoC
    LoadFromBin,       // f311BBBBBC
    RotationalOffset,  // f4NNNC
    Leds,              // f5NNNC
    LeftMargin,        // f6NNNC
    TopMargin,         // f7NNNC
    MediaSize,         // e4NC
    Counter,           // f;cC
    ReadText,          // f:AAAC
    StoreText,         // f9AAAC + 8 characters
    BaudRate,          // bN..C
    BeginFlash,        // g0N..C
    BeginPrinterFlash, // h0C
    StoreSettings,     // h1C
    Restart,           // g1C
    // The stand-alone disc printer's own commands.
    InkSense,       // r3C
    InkDrawer,      // r0C
    InkSetting,     // m#NNNC: 0 left margin, 1 top margin, 2 rotational offset, 3 pocket offset
    InkReload,      // f312%C (again at an angle), f313%C (pocket disc from the bin)
    InkReadSerial,  // f:C
    InkStoreSerial, // f9C + 8 characters
    // The dual-printer transporter's commands that name a printer (260 or 261).
    PrinterSetting, // f4EEEVVVC offset, f6EEEVVVC left margin, f7EEEVVVC top margin
    Rotation,       // f3EEE11SSSSSC: turn the disc in gripper 1 by S steps for that printer
    PrinterReady,   // f@EEEC
    StorePrinter,   // h1EEEC: store that printer's settings
    Unknown,        // ESC "!" and a text this firmware has no grammar for
};

struct SCommand {
    ECommand kind = ECommand::Unknown;
    std::string raw;      // every byte, ESC included
    std::string head;     // the text after ESC "!" up to and including its closing letter
    std::string data;     // the 8 text characters that follow a store command
    int element = 0;      // element, area, counter or setting field, whichever the grammar has
    char letter = 0;      // action or open/close character, counter digit
    long number = 0;      // variable-width decimal field (rate, flash size, bin)
    int answerLength = 0; // bytes the sender will read back (inquiry: the 7-byte head only)
};

} // namespace dax::sim
