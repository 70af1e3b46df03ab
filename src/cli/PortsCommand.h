#pragma once

#include <cstdio>
#include <optional>

namespace dax {

class DeviceNames;

// `ports`: every COM number that exists, its node and what it is (on Linux: driver, USB
// identifiers, the /dev/serial/by-id name; entries that lead to no serial device are flagged
// apart), the USB printers and the parallel ports; nothing is opened. With `only`, that COM
// port alone. The exit status.
int PrintPorts(const DeviceNames& names, bool json, std::FILE* out,
               std::optional<int> only = std::nullopt);

} // namespace dax
