#include "printers/CUsbPool.h"

#include "platform/fake/FakePrinterDevices.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace dax;

namespace {

const std::string kTail = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

std::string UsbPath(const std::string& ids, const std::string& serial) {
    return "\\\\?\\usb#" + ids + "#" + serial + kTail;
}

} // namespace

TEST(CUsbPool, PortsAreNamedByDeviceIndexAndHandedOutOnce) {
    FakePrinterDevices devices;
    devices.AddUsbPrinter(UsbPath("vid_044e&pid_200a", "A"));
    devices.AddUsbPrinter(UsbPath("vid_0bda&pid_8153", "N")); // a network adapter
    devices.AddUsbPrinter(UsbPath("vid_1293&pid_0002", "B"));

    CUsbPool pool(devices);
    ASSERT_EQ(pool.Enumerate(), 2);
    EXPECT_EQ(pool.GetDeviceCount(), 3);
    EXPECT_EQ(devices.OpenCount(), 0); // probed, then closed again

    CUsbPrinterPort* first = pool.Acquire(-1);
    CUsbPrinterPort* second = pool.Acquire(-1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetName(), "USBPRINT-0");
    EXPECT_EQ(second->GetName(), "USBPRINT-2");
    EXPECT_EQ(second->GetDevicePath(), UsbPath("vid_1293&pid_0002", "B"));
    EXPECT_FALSE(first->IsOpen());
    EXPECT_EQ(pool.Acquire(-1), nullptr);
    EXPECT_EQ(pool.Acquire(0), nullptr); // in use
    EXPECT_EQ(pool.Acquire(2), nullptr); // beyond the pool

    // Release closes the port and frees it for the next user; foreign ports are ignored.
    ASSERT_TRUE(first->Open());
    pool.Release(first);
    EXPECT_FALSE(first->IsOpen());
    CUsbPrinterPort stranger(devices, UsbPath("vid_044e&pid_200a", "A"), 7);
    pool.Release(&stranger);
    pool.Release(nullptr);
    EXPECT_EQ(pool.Acquire(-1), first);
    EXPECT_EQ(pool.Acquire(-1), nullptr);

    // A second enumeration keeps the ports handed out valid.
    EXPECT_EQ(pool.Enumerate(), 2);
    EXPECT_EQ(devices.listCalls, 1);
    EXPECT_EQ(first->GetName(), "USBPRINT-0");
}

TEST(CUsbPool, OnlySupportedPathsThatOpenBecomePorts) {
    FakePrinterDevices devices;
    devices.AddUsbPrinter("\\\\?\\USB#VID_044E&PID_200A#C" + kTail); // letter case differs
    devices.AddUsbPrinter(UsbPath("vid_044e&pid_1301", "busy")).openError = EBUSY;
    devices.AddUsbPrinter(UsbPath("vid_044e&pid_130a", "C"));
    devices.AddUsbPrinter("\\\\?\\usb#vid_047e&pid_100"); // shorter than a prefix
    devices.AddUsbPrinter(UsbPath("vid_047e&pid_1001", "D"));

    CUsbPool pool(devices);
    ASSERT_EQ(pool.Enumerate(), 2);
    EXPECT_EQ(pool.Acquire(0)->GetName(), "USBPRINT-2");
    EXPECT_EQ(pool.Acquire(1)->GetName(), "USBPRINT-4");

    for (const std::string ids : {"vid_044e&pid_200a", "vid_044e&pid_1301", "vid_044e&pid_130a",
                                  "vid_047e&pid_1001", "vid_1293&pid_0002"})
        EXPECT_TRUE(CUsbPool::IsSupportedPrinter("\\\\?\\usb#" + ids)) << ids;
    EXPECT_FALSE(CUsbPool::IsSupportedPrinter("\\\\?\\usb#vid_044E&pid_200a#X"));
    EXPECT_FALSE(CUsbPool::IsSupportedPrinter("\\\\.\\usb#vid_044e&pid_200a#X"));
}

TEST(CUsbPool, PortsStillOpenAreClosedWithThePool) {
    FakePrinterDevices devices;
    FakePrinter& printer = devices.AddUsbPrinter(UsbPath("vid_044e&pid_200a", "A"));
    {
        CUsbPool pool(devices);
        pool.Enumerate();
        ASSERT_TRUE(pool.Acquire(-1)->Open());
        EXPECT_TRUE(printer.open);
    }
    EXPECT_FALSE(printer.open);
    EXPECT_EQ(printer.opens, 2);
    EXPECT_EQ(printer.closes, 2);
}
