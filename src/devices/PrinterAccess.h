#pragma once

#include <string>
#include <vector>

namespace dax {

class PrinterDevices;

// What a device needs to reach its printer beyond the transporter's link: the system's printer
// devices (USB printer ports; none means print data go over the link only) and the directories
// where the printer alignment files are looked for, in order, each with its trailing separator.
struct PrinterAccess {
    PrinterDevices* devices = nullptr;
    std::vector<std::string> dataDirectories;
};

} // namespace dax
