#include "platform/fake/FakePrinterDevices.h"
#include "printers/CParallelPort.h"
#include "printers/CUsbPrinterPort.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <vector>

using namespace dax;

namespace {

const std::string kPath = "\\\\?\\usb#vid_044e&pid_200a#A#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

} // namespace

TEST(CUsbPrinterPort, WritesWholeBuffersAndReportsShortOrFailedOnes) {
    FakePrinterDevices devices;
    FakePrinter& printer = devices.AddUsbPrinter(kPath);
    printer.writeOutcomes = {{0, UINT32_MAX}, {0, 512}, {EIO, 0}};
    devices.errorTexts[EIO] = "Input/output error";

    CUsbPrinterPort port(devices, kPath, 3);
    ASSERT_TRUE(port.IsOpen());
    const std::vector<uint8_t> data(1024, 0x1B);
    EXPECT_TRUE(port.Write(data.data(), 1024));

    EXPECT_FALSE(port.Write(data.data(), 1024));
    EXPECT_EQ(port.GetLastError(), 29u);
    EXPECT_EQ(port.GetErrorText(), "WriteFile error: 512 bytes written of 1024 requested");

    EXPECT_FALSE(port.Write(data.data(), 10));
    EXPECT_EQ(port.GetLastError(), uint32_t(EIO));
    EXPECT_EQ(port.GetErrorText(), "Input/output error");

    EXPECT_EQ(printer.writes,
              (std::vector<std::vector<uint8_t>>{data, {data.begin(), data.begin() + 512}}));
}

TEST(CUsbPrinterPort, ClosesOnceAndRefusesWritesWhenClosed) {
    FakePrinterDevices devices;
    FakePrinter& printer = devices.AddUsbPrinter(kPath);
    devices.errorTexts[kInvalidHandleError] = "invalid handle";

    CUsbPrinterPort port(devices, kPath, 0);
    printer.closeError = EINTR; // the system refuses once: the port stays open
    EXPECT_FALSE(port.Close());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(printer.closes, 1);

    const uint8_t byte = 0;
    EXPECT_FALSE(port.Write(&byte, 1));
    EXPECT_EQ(port.GetLastError(), kInvalidHandleError);
    EXPECT_EQ(port.GetErrorText(), "invalid handle");
    EXPECT_TRUE(printer.writes.empty());

    // A moved port keeps the device; only the new owner closes it.
    ASSERT_TRUE(port.Open());
    // A printer that stops reading cannot hold a write for ever.
    EXPECT_GT(printer.constantMs, 0u);
    CUsbPrinterPort moved = std::move(port);
    EXPECT_TRUE(moved.IsOpen());
    EXPECT_TRUE(moved.Close());
    EXPECT_EQ(printer.closes, 2);

    // A failed open keeps the system's number and text.
    printer.openError = EACCES;
    devices.errorTexts[EACCES] = "Permission denied";
    CUsbPrinterPort denied(devices, kPath, 1);
    EXPECT_FALSE(denied.IsOpen());
    EXPECT_EQ(denied.GetLastError(), uint32_t(EACCES));
    EXPECT_EQ(denied.GetErrorText(), "Permission denied");
}

TEST(CParallelPort, NameNumberTimeoutAndWrites) {
    FakePrinterDevices devices;
    FakePrinter& lpt2 = devices.AddPort("LPT2");
    lpt2.writeOutcomes = {{0, 3}, {EIO, 0}};

    CParallelPort port(devices, "LPT2");
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(port.GetPortNumber(), 2);
    EXPECT_STREQ(port.GetName(), "LPT2");
    EXPECT_EQ(lpt2.perByteMs, 5u);
    EXPECT_EQ(lpt2.constantMs, 10000u);

    const uint8_t data[4] = {1, 2, 3, 4};
    EXPECT_FALSE(port.Write(data, 4)); // short: no system error
    EXPECT_EQ(port.GetLastError(), 0u);
    EXPECT_FALSE(port.Write(data, 4));
    EXPECT_EQ(port.GetLastError(), uint32_t(EIO));
    EXPECT_TRUE(port.Write(data, 4));

    CParallelPort missing(devices, "LPT1-and-more");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_STREQ(missing.GetName(), "LPT1-an");
    EXPECT_EQ(missing.GetPortNumber(), 0);
    EXPECT_EQ(missing.GetLastError(), uint32_t(ENOENT));
    EXPECT_FALSE(missing.Write(data, 1));
}
