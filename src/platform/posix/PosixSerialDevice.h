#pragma once

#include "platform/DeviceNames.h"
#include "platform/SerialDevice.h"

#include <cstdint>
#include <string>

namespace dax {

// A serial port on termios and poll(). The Windows time-outs become poll() deadlines; a port is
// held exclusively while open, against other processes (an flock() on the node, and TIOCEXCL)
// and this one.
class PosixSerialDevice : public SerialDevice {
public:
    explicit PosixSerialDevice(DeviceNames names);
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    // `path` in the Windows form ("\\.\COM5", "COM5", "LPT1"); a name that maps to nothing
    // fails with ENOENT, a port this or another process holds with EBUSY (its settings and
    // queues untouched), a COM name whose node is
    // no terminal with ENOTTY. An LPT node that is no terminal opens for writing only: its line
    // state calls fail with ENOTTY.
    bool open(const std::string& path) override;
    bool isOpen() const override { return m_fd >= 0; }
    bool getLineState(SerialLineState& state) override;
    // Rates must be standard termios rates (EINVAL otherwise); 1.5 stop bits are sent as 2.
    bool setLineState(const SerialLineState& state) override;
    bool getTimeouts(SerialTimeouts& timeouts) override;
    bool setTimeouts(const SerialTimeouts& timeouts) override;
    bool write(const uint8_t* data, size_t length, size_t& written) override;
    bool read(uint8_t* buffer, size_t length, size_t& received) override;
    bool getCts(bool& ctsOn) override;
    void clearErrors(uint32_t* errors) override;
    void purge() override;
    void clearDtr() override;
    void close() override;
    uint32_t lastError() const override { return m_nError; }
    std::string describeOpenFailure() const override;

    // The node the last open() resolved to (empty when the name mapped to nothing).
    const std::string& node() const { return m_strNode; }

private:
    bool openNode(const std::string& path);
    void adopt(int fd, uint64_t lockKey);
    bool fail(int err);
    bool failIfClosed();
    bool waitForDrain(size_t& queued, bool hasDeadline, uint64_t deadlineUs);

    DeviceNames m_names;
    std::string m_strNode;
    std::string m_strOpenPath;
    int m_nOpenError = 0;
    int m_nHolderPid = 0; // the process that holds the port, when a refused open could learn it
    int m_fd = -1;
    uint64_t m_nLockKey = 0;
    uint32_t m_nError = 0;
    SerialTimeouts m_timeouts;
    SerialLineState m_applied; // last state set, for what termios cannot say back
    bool m_bApplied = false;
};

class PosixSerialDeviceFactory : public SerialDeviceFactory {
public:
    explicit PosixSerialDeviceFactory(DeviceNames names) : m_names(std::move(names)) {}
    std::unique_ptr<SerialDevice> create() override;
    std::vector<int> existingPorts() override;

private:
    DeviceNames m_names;
};

} // namespace dax
