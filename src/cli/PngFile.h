#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dax {

// Writes a one-bit picture (rows of width/8 bytes, leftmost dot in the highest bit, a set bit a
// black dot on white) as a PNG file. The file appears whole or not at all: it is written under
// a temporary name first. False with a message on failure.
bool WriteMonoPng(const std::string& path, int width, int height, const std::vector<uint8_t>& bits,
                  std::string& error);

} // namespace dax
