#pragma once

#include <string>

namespace dax {

class PrinterDevices;

// What a device needs to reach its printer beyond the transporter's link: the system's printer
// devices (USB printer ports; none means print data go over the link only) and the directory
// where the printer alignment files lie (the program's own, with its trailing separator).
struct PrinterAccess {
    PrinterDevices* devices = nullptr;
    std::string programDirectory;
};

} // namespace dax
