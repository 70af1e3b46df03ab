#pragma once

#include <cstdio>
#include <string>

namespace dax {

// `flash-info FILE`: the images of a flash file and what each says it is for, read with the
// firmware update's own reader; no device is used. The exit status: 0 a flash file; 64 when the
// file names no flash file (missing, not a regular file, damaged, or no image carries the
// identification of a product this program knows); 1 when reading a file that opened failed.
int RunFlashInfoCommand(const std::string& path, bool json, std::FILE* out, std::FILE* err);

} // namespace dax
