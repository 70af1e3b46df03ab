#pragma once

#include <string_view>

namespace dax {

// Every place in the transporter is a three-digit element number; Position Medium says what to
// do there with one action character.

inline constexpr int kElementPickerHome = 2; // only inside kCmdPickerHome
inline constexpr int kElementBin1 = 200;
inline constexpr int kElementBin2 = 201;
inline constexpr int kElementBin3 = 202;
inline constexpr int kElementBin4 = 203;
inline constexpr int kElementGripper = 220; // GRIPPER0 on CHalcyra
inline constexpr int kElementGripper1 = 221;
inline constexpr int kElementDriveHome = 240;
inline constexpr int kElementDrive1 = 241;
inline constexpr int kElementDrive2 = 242;
inline constexpr int kElementDrive3 = 243;
inline constexpr int kElementDrive4 = 244;
inline constexpr int kElementDrive8 = 248;
inline constexpr int kElementLastDrive = 250; // the drawer search can yield up to DRIVE10
inline constexpr int kElementPrinter = 260;   // PRINTERA on CHalcyra
inline constexpr int kElementPrinterB = 261;
inline constexpr int kElementPocket = 270;
inline constexpr int kElementRotator = 280;
inline constexpr int kElementMailbox = 300;

// Element number of DRIVE1 to DRIVE10.
constexpr int DriveElement(int drive) {
    return kElementDriveHome + drive;
}

// Action characters of CVelmora (CInkographer knows the first three by name only).
inline constexpr char kActionNone = '0';
inline constexpr char kActionPut = '1';
inline constexpr char kActionGet = '2';
// At PRINTER only: the USB printer probe right after a drawer was opened through a USB port.
inline constexpr char kActionUsbProbe = '3';

// Action characters of CHalcyra, a transporter with two grippers.
inline constexpr char kHalcyraMove0 = '0';
inline constexpr char kHalcyraMove1 = '1';
inline constexpr char kHalcyraFind = '2';
inline constexpr char kHalcyraPut0 = '3';
inline constexpr char kHalcyraGet0 = '4';
inline constexpr char kHalcyraPut1 = '5';
inline constexpr char kHalcyraP1Align = '6';
inline constexpr char kHalcyraGet1 = '7';
inline constexpr char kHalcyraG1StAlign = '8';
inline constexpr char kHalcyraX01 = '9';
inline constexpr char kHalcyraX01Align = ':';
inline constexpr char kHalcyraX10 = ';';
inline constexpr char kHalcyraX10StAlign = '<';

enum class DeviceFamily { Velmora, Halcyra, Inkographer };

// The transporter's own name of an element in a family ("BIN1", "GRIPPER0", "PRINTERA", ...);
// empty when the element has no name there.
std::string_view ElementName(DeviceFamily family, int element);

// Name of an action character in a family ("GET", "P1 ALIGN", ...); empty when it has none.
std::string_view ActionName(DeviceFamily family, char action);

} // namespace dax
