#pragma once

#include <optional>
#include <string>
#include <vector>

namespace dax {

// What device naming looks at outside the program. The default reads the process environment;
// tests point every root at a temporary directory.
struct DeviceEnvironment {
    std::optional<std::string> deviceDir;     // $DAXTOOL_DEVICE_DIR (unset or empty: none)
    std::optional<std::string> xdgConfigHome; // $XDG_CONFIG_HOME
    std::optional<std::string> home;          // $HOME
    std::string sysfsRoot = "/sys";
    std::string devRoot = "/dev";

    static DeviceEnvironment fromProcess();
};

// A COM port that exists: its number and the node it resolves to.
struct ComPortNode {
    int number = 0;
    std::string node;
    bool operator==(const ComPortNode&) const = default;
};

// A USB printer: its interface path in the Windows form and the node to write to.
struct UsbPrinterNode {
    std::string interfacePath; // \\?\usb#vid_044e&pid_200a#SERIAL#{a5dcbf10-...}
    std::string node;
    bool operator==(const UsbPrinterNode&) const = default;
};

// Maps the Windows device names the program uses (\\.\COM5, LPT1, USB printer interface paths)
// onto device nodes through a device directory:
//  - an explicit directory (the CLI's --device-dir) or $DAXTOOL_DEVICE_DIR: only its entries
//    exist and nothing of the system is looked at;
//  - otherwise $XDG_CONFIG_HOME/Korvix/devices (~/.config/Korvix/devices), whose entries override
//    the defaults: COM1..32 /dev/ttyS0..31, COM33..64 /dev/ttyUSB0..31, COM65..96
//    /dev/ttyACM0..31, LPT1/LPT2 /dev/lp0 and /dev/lp1.
// Entries are comN (1..256), lpt1, lpt2 and usb/<interface path tail>, each a node or a
// symbolic link to one.
// On Windows the names are the system's own: COMn resolves to \\.\COMn, a port exists when
// the system has that device name, USB printers are the system's USB device interfaces, and
// there is no device directory (directory() is empty and the environment is not read).
class DeviceNames {
public:
    static constexpr int kMaxComPort = 256;
    static constexpr const char* kUsbDeviceClass = "{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

    explicit DeviceNames(DeviceEnvironment env = DeviceEnvironment::fromProcess(),
                         std::optional<std::string> explicitDir = std::nullopt);

    // Where the system's nodes and sysfs are looked for.
    const DeviceEnvironment& environment() const { return m_env; }
    // The device directory in use (it need not exist).
    const std::string& directory() const { return m_strDir; }
    // True when only the directory's entries exist.
    bool isolated() const { return m_bIsolated; }

    // The node a COM number maps to, whether or not it is present now; none when the number has
    // no mapping at all (out of 1..256, no entry and no default).
    std::optional<std::string> resolveCom(int number) const;
    // LPT1 or LPT2 likewise.
    std::optional<std::string> resolveLpt(int number) const;
    // A Windows device path: "\\.\COM5", "COM5", "LPT1", "\\.\LPT2" (letters in any case), or a
    // USB printer interface path as listUsbPrinters() gives it. None when it names nothing.
    std::optional<std::string> resolvePath(const std::string& windowsPath) const;

    // True when the node a name resolved to is there now.
    bool isPresent(const std::string& node) const;
    // Every COM number whose node is present, in number order.
    std::vector<ComPortNode> listComPorts() const;
    // The system's USB printers (sysfs usbmisc/lp*; not when isolated), then the directory's
    // usb/ entries in name order.
    std::vector<UsbPrinterNode> listUsbPrinters() const;

    // The COM number in a Windows path ("\\.\COM5" or "COM5"); none for anything else.
    static std::optional<int> parseComPath(const std::string& windowsPath);
    // 1 or 2 for "LPT1"/"\\.\LPT2" (any case); none for anything else.
    static std::optional<int> parseLptPath(const std::string& windowsPath);

    // One line for a failed open of `windowsPath` (resolved to `node`, may be empty); for a lack
    // of permission it says how to get access.
    static std::string describeOpenError(const std::string& windowsPath, const std::string& node,
                                         int err);
    // The same, telling apart what only the device directory knows: a number with no entry, a
    // node that is missing and a link whose target is.
    std::string describeOpenFailure(const std::string& windowsPath, const std::string& node,
                                    int err) const;

private:
    std::optional<std::string> entry(const std::string& name) const;
    std::vector<UsbPrinterNode> sysfsPrinters() const;

    DeviceEnvironment m_env;
    std::string m_strDir;
    bool m_bIsolated = false;
};

} // namespace dax
