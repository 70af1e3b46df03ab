#pragma once

#include <cstdio>

namespace dax {

class DeviceNames;

// `ports`: every COM number that exists and its node, the USB printers and the parallel ports;
// nothing is opened.
void PrintPorts(const DeviceNames& names, bool json, std::FILE* out);

} // namespace dax
