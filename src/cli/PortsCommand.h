#pragma once

#include <cstdio>

namespace dax {

class DeviceNames;

// `ports`: every COM number that exists and its node, the USB printers and the parallel ports;
// nothing is opened.
void PrintPorts(const DeviceNames& names, bool json, std::FILE* out);

// Lines that tell how to get access to serial nodes the user may not open.
void PrintPermissionHints(const DeviceNames& names, int onlyPort, std::FILE* err);

} // namespace dax
