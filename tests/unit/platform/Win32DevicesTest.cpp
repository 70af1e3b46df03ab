#include "platform/DeviceNames.h"
#include "platform/win32/CSetupApiLib.h"
#include "platform/win32/UsbDeviceList.h"
#include "platform/win32/Win32PrinterDevices.h"
#include "platform/win32/Win32SerialDevice.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace dax {
namespace {

// On Windows a COM name is the system's own: no device directory, no mapping to nodes.
TEST(Win32DeviceNamesTest, ComNamesAreTheSystemsOwn) {
    DeviceNames names;
    EXPECT_TRUE(names.directory().empty());
    EXPECT_EQ(names.resolveCom(5), "\\\\.\\COM5");
    EXPECT_EQ(names.resolvePath("com12"), "\\\\.\\COM12");
    EXPECT_EQ(names.resolvePath("\\\\.\\LPT2"), "LPT2");
    EXPECT_EQ(names.resolveCom(257), std::nullopt);
    EXPECT_EQ(names.resolvePath("COM0"), std::nullopt);
    for (const ComPortNode& port : names.listComPorts())
        EXPECT_TRUE(names.isPresent("COM" + std::to_string(port.number))) << port.number;
}

TEST(Win32SerialDeviceTest, FailuresCarryTheSystemsErrorNumbers) {
    Win32SerialDevice device;
    // A closed port: ERROR_INVALID_HANDLE, where the POSIX device says EBADF.
    uint8_t byte = 0;
    size_t n = 0;
    EXPECT_FALSE(device.read(&byte, 1, n));
    EXPECT_EQ(device.lastError(), uint32_t(ERROR_INVALID_HANDLE));
    bool cts = false;
    EXPECT_FALSE(device.getCts(cts));

    // COM256 is not there on a test machine: CreateFile's own error.
    EXPECT_FALSE(device.open("\\\\.\\COM256"));
    EXPECT_FALSE(device.isOpen());
    EXPECT_EQ(device.lastError(), uint32_t(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(device.describeOpenFailure(), "\\\\.\\COM256: no such port");
}

TEST(Win32SetupApiTest, BindsSetupapiAndNamesWhatIsMissing) {
    CSetupApiLib lib;
    EXPECT_TRUE(lib.Load());
    EXPECT_TRUE(lib.IsLoaded());

    CSetupApiLib missingLibrary;
    EXPECT_FALSE(missingLibrary.Load("daxtool-no-such-library.dll"));
    EXPECT_TRUE(missingLibrary.HasFailed());
    EXPECT_STREQ(missingLibrary.GetMessage(), "Failed to load setupapi.dll");

    // A library without the functions: the first one missing is named, without its suffix.
    CSetupApiLib wrongLibrary;
    EXPECT_FALSE(wrongLibrary.Load("kernel32.dll"));
    EXPECT_FALSE(wrongLibrary.IsLoaded());
    EXPECT_STREQ(wrongLibrary.GetMessage(),
                 "Failed to retrieve function address for 'SetupDiGetClassDevs'");
}

TEST(Win32SetupApiTest, ListsUsbInterfacesAsDevicePaths) {
    UsbDeviceList list;
    EXPECT_EQ(list.Enumerate(), list.GetCount());
    for (const std::string& path : list.GetEntries())
        EXPECT_EQ(path.rfind("\\\\?\\", 0), 0u) << path;
}

TEST(Win32PrinterDevicesTest, OpenFailuresAndTheirTexts) {
    Win32PrinterDevices devices{DeviceNames()};
    uint32_t error = 0;
    EXPECT_EQ(devices.Open("\\\\?\\usb#vid_044e&pid_200a#NONE#{a5dcbf10-6530-11d2-901f-"
                           "00c04fb951ed}",
                           error),
              nullptr);
    EXPECT_NE(error, 0u);
    // The system's message on one line; nothing for 0.
    const std::string text = devices.ErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
    EXPECT_EQ(devices.ErrorText(0), "");
}

} // namespace
} // namespace dax
