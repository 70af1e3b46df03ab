#pragma once

#include <cstdint>
#include <span>

namespace dax {

constexpr int kPatternCalibrationGrid = 2;
constexpr int kPatternOffsetMarks = 3;

// The printer data of a built-in pattern (2 calibration grid, 3 offset marks); empty for any
// other number. Built once, on first use, and kept for the life of the program.
std::span<const uint8_t> BuiltInPattern(int number);

} // namespace dax
