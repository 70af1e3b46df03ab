#pragma once

#include <cstdio>
#include <string>

namespace dax {

class DeviceNames;

// `pin COMn NODE` (Linux): links the device directory's comN entry to the node's stable name.
// The exit status.
int RunPin(const DeviceNames& names, const std::string& port, const std::string& node, bool json,
           std::FILE* out);

} // namespace dax
