#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dax {

// The program's own files (the trace, the settings file, a picture, an alignment file) are
// regular files. Anything else at such a path, a FIFO, a device or a directory, would block an
// open, never end a read or take bytes meant for a file: it is refused, naming what it is.

// What stands at `path`, links followed: "" for a regular file or nothing at all, else a few
// words for a message ("a FIFO", "a directory", "a device").
std::string NotARegularFile(const std::string& path);

// Both paths name one existing file (through links, hard links or other spellings).
bool IsSameFile(const std::string& a, const std::string& b);

// Reads the whole of the regular file at `path`, at most `maxBytes`. The open never waits on a
// FIFO. False with the reason, naming the path, in `error`.
bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& data,
                     std::string& error);

} // namespace dax
