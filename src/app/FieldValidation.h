#pragma once

#include <cstddef>
#include <string>

namespace dax {

// The checks of the dialog's field exchange, for every front end that takes the same values
// (the window's fields, the command line's options). Each returns the message that refuses the
// value, or an empty text when it may go to the device.

inline constexpr size_t kSerialNumberChars = 8;
inline constexpr size_t kDisplayNameChars = 16;
inline constexpr int kMinBeeps = 0;
inline constexpr int kMaxBeeps = 9;

// True when every character is printable ASCII (0x20 to 0x7E): all the device keeps and shows.
bool IsPrintableAscii(const std::string& text);

// A text the device stores (serial number, display name) that the user gave: printable ASCII
// and at most `maxChars` characters.
std::string CheckDeviceText(const std::string& text, size_t maxChars);

// Only the length: for a text as the device itself gave it, which goes back unchanged.
std::string CheckTextLength(const std::string& text, size_t maxChars);

// The number of beeps on a fault, as typed: an integer from 0 to 9, stored in `beeps`.
std::string CheckBeeps(const std::string& text, int& beeps);

} // namespace dax
