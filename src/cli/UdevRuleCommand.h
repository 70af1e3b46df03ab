#pragma once

#include <cstdio>
#include <optional>

namespace dax {

class DeviceNames;

// `udev-rule --port N` (Linux): prints a udev rule for the USB adapter behind COMn. The exit
// status.
int PrintUdevRule(const DeviceNames& names, std::optional<int> port, bool json, std::FILE* out);

} // namespace dax
