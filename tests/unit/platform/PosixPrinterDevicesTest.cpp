#include "platform/posix/PosixPrinterDevices.h"

#include "platform/Idle.h"
#include "support/Process.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dax;
namespace fs = std::filesystem;

namespace {

const std::string kTail = "#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

// A pseudo-terminal as the simulator makes one; the test reads the master side.
struct Pty {
    int master = -1;
    std::string slave;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::ptsname(master);
    }
    ~Pty() { ::close(master); }
    std::vector<uint8_t> Read(size_t wanted) {
        std::vector<uint8_t> got;
        uint8_t buf[4096];
        pollfd p{master, POLLIN, 0};
        while (got.size() < wanted && ::poll(&p, 1, 2000) > 0) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
};

// A device directory of a temporary folder: only its entries exist.
struct DeviceDir {
    daxtest::TempDir root;
    std::string Dir() const { return root.Path() + "/dev"; }
    void Link(const std::string& entry, const std::string& target) const {
        fs::create_directories(fs::path(Dir() + "/" + entry).parent_path());
        fs::create_symlink(target, Dir() + "/" + entry);
    }
    std::string Touch(const std::string& name) const {
        const std::string path = root.Path() + "/" + name;
        std::ofstream(path).flush();
        return path;
    }
    PosixPrinterDevices Devices() const { return PosixPrinterDevices(DeviceNames({}, Dir())); }
};

} // namespace

TEST(PosixPrinterDevices, ListsUsbEntriesAndOpensThemRaw) {
    DeviceDir dir;
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    dir.Link("usb/vid_044e&pid_200a#SIM1", pty.slave);
    dir.Link("usb/vid_044e&pid_200a#SIM0", dir.Touch("file0"));
    dir.Link("usb/vid_044e&pid_200a#GONE", dir.root.Path() + "/nothing"); // unplugged
    PosixPrinterDevices devices = dir.Devices();

    const std::string sim1 = "\\\\?\\usb#vid_044e&pid_200a#SIM1" + kTail;
    EXPECT_EQ(devices.ListUsbPrinters(),
              (std::vector<std::string>{"\\\\?\\usb#vid_044e&pid_200a#SIM0" + kTail, sim1}));

    uint32_t error = 0;
    auto printer = devices.Open(sim1, error);
    ASSERT_NE(printer, nullptr) << devices.ErrorText(error);
    // Every byte value passes as it is: no line-ending translation, no flow or signal keys.
    std::vector<uint8_t> data;
    for (int i = 0; i < 256; ++i)
        data.push_back(uint8_t(i));
    data.insert(data.end(), {'\n', '\r', 0x11, 0x13, 0x03, 0x7f, 0x04});
    uint32_t written = 0;
    ASSERT_TRUE(printer->Write(data.data(), uint32_t(data.size()), written, error))
        << devices.ErrorText(error);
    EXPECT_EQ(written, data.size());
    EXPECT_EQ(pty.Read(data.size()), data);

    EXPECT_TRUE(printer->Close(error));
    EXPECT_TRUE(printer->Close(error));
    EXPECT_FALSE(printer->Write(data.data(), 1, written, error));
    EXPECT_EQ(error, kInvalidHandleError);
    EXPECT_EQ(devices.ErrorText(error), "Bad file descriptor");
}

TEST(PosixPrinterDevices, ParallelPortsAreTheDirectoryEntriesOnlyAndCharacterDevices) {
    DeviceDir dir;
    Pty pty;
    ASSERT_FALSE(pty.slave.empty());
    const std::string file = dir.Touch("lp-capture");
    dir.Link("lpt1", pty.slave);
    dir.Link("lpt2", dir.root.Path() + "/nothing");
    dir.Link("com1", pty.slave);
    dir.Link("usb/vid_044e&pid_200a#FILE", file);
    PosixPrinterDevices devices = dir.Devices();

    uint32_t error = 0;
    auto lpt1 = devices.Open("LPT1", error);
    ASSERT_NE(lpt1, nullptr) << devices.ErrorText(error);
    lpt1->SetWriteTimeout(5, 10000);
    uint32_t written = 0;
    EXPECT_TRUE(lpt1->Write(reinterpret_cast<const uint8_t*>("\x1b*b1M"), 5, written, error));
    EXPECT_EQ(written, 5u);
    EXPECT_TRUE(lpt1->Close(error));
    const std::vector<uint8_t> got = pty.Read(5);
    EXPECT_EQ(std::string(got.begin(), got.end()), "\x1b*b1M");

    EXPECT_EQ(devices.Open("LPT2", error), nullptr); // dangling link
    EXPECT_EQ(error, uint32_t(ENOENT));
    EXPECT_EQ(devices.ErrorText(error), "No such file or directory");
    EXPECT_EQ(devices.Open("\\\\.\\COM1", error), nullptr); // a serial port is no printer
    EXPECT_EQ(error, uint32_t(ENOENT));
    EXPECT_EQ(devices.ErrorText(0), "");

    // A port linked to a file or a FIFO is no printer: nothing is written into the file.
    fs::remove(dir.Dir() + "/lpt1");
    dir.Link("lpt1", file);
    EXPECT_EQ(devices.Open("LPT1", error), nullptr);
    EXPECT_EQ(error, uint32_t(ENODEV));
    EXPECT_EQ(devices.Open("\\\\?\\usb#vid_044e&pid_200a#FILE" + kTail, error), nullptr);
    EXPECT_EQ(error, uint32_t(ENODEV));
    const std::string fifo = dir.root.Path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::remove(dir.Dir() + "/lpt2");
    dir.Link("lpt2", fifo);
    EXPECT_EQ(devices.Open("LPT2", error), nullptr);
    EXPECT_EQ(error, uint32_t(ENODEV));
    EXPECT_EQ(daxtest::ReadFile(file), "");
}

TEST(PosixPrinterDevices, AWriteTimeOutEndsAWriteNobodyTakes) {
    DeviceDir dir;
    Pty pty; // never read: its buffer fills
    ASSERT_FALSE(pty.slave.empty());
    dir.Link("lpt1", pty.slave);
    PosixPrinterDevices devices = dir.Devices();
    uint32_t error = 0;
    auto lpt1 = devices.Open("LPT1", error);
    ASSERT_NE(lpt1, nullptr) << devices.ErrorText(error);

    lpt1->SetWriteTimeout(0, 300);
    const std::vector<uint8_t> data(1 << 20, 'x');
    uint32_t written = 0;
    int idle = 0; // the window's turns meanwhile
    const IdleHandlerScope counting([&idle] { ++idle; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(lpt1->Write(data.data(), uint32_t(data.size()), written, error));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(written, data.size());
    EXPECT_GE(took, std::chrono::milliseconds(250));
    EXPECT_LT(took, std::chrono::seconds(5));
    EXPECT_GE(idle, 2);
}
