#include "devices/ElementMap.h"

namespace dax {

namespace {

std::string_view DriveName(int element) {
    static constexpr std::string_view kDrives[] = {"DRIVE1", "DRIVE2", "DRIVE3", "DRIVE4",
                                                   "DRIVE5", "DRIVE6", "DRIVE7", "DRIVE8"};
    return kDrives[element - kElementDrive1];
}

} // namespace

std::string_view ElementName(DeviceFamily family, int element) {
    const bool halcyra = family == DeviceFamily::Halcyra;
    switch (element) {
    case kElementBin1:
        return "BIN1";
    case kElementBin2:
        return "BIN2";
    case kElementBin3:
        return "BIN3";
    case kElementBin4:
        return "BIN4";
    case kElementGripper:
        return halcyra ? "GRIPPER0" : "GRIPPER";
    case kElementGripper1:
        return halcyra ? "GRIPPER1" : "";
    case kElementDriveHome:
        return "DRIVE HOME";
    case kElementPrinter:
        return halcyra ? "PRINTERA" : "PRINTER";
    case kElementPrinterB:
        return halcyra ? "PRINTERB" : "";
    case kElementRotator:
        return "ROTATOR";
    case kElementMailbox:
        return halcyra ? "" : "MAILBOX";
    default:
        break;
    }
    if (element >= kElementDrive1 && element <= DriveElement(halcyra ? 8 : 4)) {
        return DriveName(element);
    }
    return {};
}

std::string_view ActionName(DeviceFamily family, char action) {
    if (family != DeviceFamily::Halcyra) {
        switch (action) {
        case kActionNone:
            return "NONE";
        case kActionPut:
            return "PUT";
        case kActionGet:
            return "GET";
        default:
            return {};
        }
    }
    static constexpr std::string_view kHalcyraActions[] = {
        "MOVE0", "MOVE1",       "FIND",  "PUT0",        "GET0",  "PUT1",          "P1 ALIGN",
        "GET1",  "G1 ST ALIGN", "X 0/1", "X 0/1 ALIGN", "X 1/0", "X 1/0 ST ALIGN"};
    if (action >= kHalcyraMove0 && action <= kHalcyraX10StAlign) {
        return kHalcyraActions[action - kHalcyraMove0];
    }
    return {};
}

} // namespace dax
