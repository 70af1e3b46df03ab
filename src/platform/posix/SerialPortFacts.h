#pragma once

#include "platform/DeviceNames.h"

#include <optional>
#include <string>
#include <vector>

namespace dax {

// What a node is, as the system says without opening it: the file's type and, for a character
// device, the kernel's record of it under sysfs (class, driver, and for a USB adapter the USB
// device's identifiers), and the /dev/serial/by-id link that leads to it. sysfs and /dev are
// the environment's, so that tests can lay out a system of their own.
struct SerialNodeFacts {
    enum class Kind {
        Serial,         // a terminal with a serial device behind it (ttyS, ttyUSB, ttyACM...)
        PseudoTerminal, // a pseudo-terminal (the simulator's ports)
        Unknown,        // a character device sysfs has no record of
        NotSerial,      // a file, a folder, or a device that is no serial port
        Missing,        // nothing there (a dangling link)
    };
    Kind kind = Kind::Missing;
    std::string node;       // the node itself, links followed
    std::string what;       // in a few words: "ttyUSB0, ftdi_sio", "a regular file"
    std::string kernelName; // the kernel's name of the device ("ttyUSB0")
    std::string driver;
    // The USB device of an adapter; empty when the port is not on USB.
    std::string usbVendorId, usbProductId, manufacturer, product, serial;
    std::string usbPosition;  // the device's place on the bus ("1-1.2")
    std::string usbInterface; // the interface number ("00") when the device has several
    std::string byId;         // the /dev/serial/by-id link that leads to the node

    bool IsPort() const { return kind != Kind::NotSerial && kind != Kind::Missing; }
    bool IsUsb() const { return !usbVendorId.empty(); }
};

SerialNodeFacts DescribeNode(const DeviceEnvironment& env, const std::string& path);

// A COM number and what it leads to.
struct ComPortFacts {
    int number = 0;
    std::string entry;      // the device directory's comN entry; "" when the number is a default
    std::string linkTarget; // what that entry links to, as written
    SerialNodeFacts facts;
};

// Every COM number whose node is there and every comN entry of the device directory (a dangling
// link or a file too, for the listing to flag), in number order.
std::vector<ComPortFacts> DescribeComPorts(const DeviceNames& names);
// One COM number the same way; none when it leads nowhere.
std::optional<ComPortFacts> DescribeComPort(const DeviceNames& names, int number);

// The COM number that leads to a node or a link to one (/dev/ttyUSB0, a /dev/serial/by-id
// name): a comN entry first, else the default name. None when nothing there or no number leads
// to it.
std::optional<int> ComNumberOfNode(const DeviceNames& names, const std::string& path);

// Making the device directory's comN entry a link to a node.
struct PinResult {
    enum class Outcome { Pinned, Unchanged, NotSerial, EntryInTheWay, Failed };
    Outcome outcome = Outcome::Failed;
    std::string entry;    // DIR/comN
    std::string target;   // what the entry links to (now, or would have)
    std::string previous; // the target of the link it replaced
    std::string message;  // for people
};

// Links DIR/comN to `node`: to the /dev/serial/by-id name of the node when it is a node that
// has one, else to the path as given (a link the user chose stays as it is named). Refuses what
// is no serial device, and never replaces anything but a link.
PinResult PinComPort(const DeviceNames& names, int number, const std::string& node);

} // namespace dax
