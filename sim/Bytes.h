#pragma once

namespace dax::sim {

// The escape byte that opens every command and answer.
inline constexpr char kEsc = 0x1b;

inline bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sense codes the transporters answer with.
inline constexpr int kNotReady = 2;
inline constexpr int kPrinterBusy = 2;
inline constexpr int kIllegalRequest = 5;

} // namespace dax::sim
