#pragma once

#include "platform/DeviceNames.h"
#include "platform/SerialDevice.h"

#include <cstdint>
#include <string>

namespace dax {

// A COM port through the Windows communications calls on "\\.\COMn", opened for overlapped
// I/O that every call waits for. The time-outs are the system's own COMMTIMEOUTS, so they mean
// exactly what the seam says; lastError() is the GetLastError() value of the failing call.
class Win32SerialDevice : public SerialDevice {
public:
    Win32SerialDevice() = default;
    ~Win32SerialDevice() override;
    Win32SerialDevice(const Win32SerialDevice&) = delete;
    Win32SerialDevice& operator=(const Win32SerialDevice&) = delete;

    // "\\.\COM5" as given; "COM5" is opened as "\\.\COM5" so that ports above 9 work too.
    bool open(const std::string& path) override;
    bool isOpen() const override { return m_hPort != nullptr; }
    bool getLineState(SerialLineState& state) override;
    bool setLineState(const SerialLineState& state) override;
    bool getTimeouts(SerialTimeouts& timeouts) override;
    bool setTimeouts(const SerialTimeouts& timeouts) override;
    bool write(const uint8_t* data, size_t length, size_t& written) override;
    bool read(uint8_t* buffer, size_t length, size_t& received) override;
    // GetCommModemStatus: a port whose driver cannot say fails, as on Windows.
    bool getCts(bool& ctsOn) override;
    void clearErrors(uint32_t* errors) override;
    void purge() override;
    void clearDtr() override;
    void close() override;
    uint32_t lastError() const override { return m_nError; }
    // "\\.\COM5: no such port", "\\.\COM5: in use by another program"; empty after a good open.
    std::string describeOpenFailure() const override;

private:
    bool fail();
    bool failIfClosed();
    // One overlapped ReadFile or WriteFile, waited for; `done` is the byte count.
    bool transfer(bool writing, void* data, uint32_t length, uint32_t& done);

    void* m_hPort = nullptr; // HANDLE; null while closed
    uint32_t m_nError = 0;
    std::string m_strOpenPath;
    uint32_t m_nOpenError = 0;
};

// The COM ports the system knows of (QueryDosDevice), a new closed device for each try.
class Win32SerialDeviceFactory : public SerialDeviceFactory {
public:
    explicit Win32SerialDeviceFactory(DeviceNames names) : m_names(std::move(names)) {}
    std::unique_ptr<SerialDevice> create() override;
    std::vector<int> existingPorts() override;

private:
    DeviceNames m_names;
};

} // namespace dax
