#pragma once

#include "platform/SerialDevice.h"
#include "platform/fake/FakeClock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace dax {

// The far end of a scripted serial port: what the program wrote, what it will receive and when,
// and failures to inject. Reads and writes keep the Windows time-out model on the fake clock.
class FakeSerialLine {
public:
    explicit FakeSerialLine(FakeClock& clock) : clock_(clock) {}

    // Bytes that reach the program `delayMs` after now.
    void queueInput(const std::vector<uint8_t>& bytes, uint64_t delayMs = 0);
    void queueInput(const std::string& bytes, uint64_t delayMs = 0);
    size_t pendingInput() const;

    // Called with each block the program writes; it may queue the answer.
    std::function<void(FakeSerialLine&, const std::vector<uint8_t>&)> onWrite;

    FakeClock& clock() { return clock_; }

    // State the program sets, for assertions.
    std::vector<uint8_t> written;
    std::vector<size_t> writeCalls; // length of each write call
    std::vector<size_t> readCalls;  // length asked by each read call
    SerialLineState lineState;
    SerialTimeouts timeouts;
    std::vector<SerialLineState> lineStateHistory;
    std::vector<SerialTimeouts> timeoutHistory;
    std::string openedPath;
    bool open = false;
    bool dtrCleared = false;
    int purges = 0;
    int clearErrorCalls = 0;
    int openCount = 0;
    // Reads that would have waited forever (no total time-out and too few bytes ever coming).
    int endlessReads = 0;

    // Failure injection; a non-zero errno makes that call fail with it.
    bool ctsOn = true;
    uint32_t openErrno = 0;
    uint32_t getStateErrno = 0;
    uint32_t setStateErrno = 0;
    uint32_t getTimeoutsErrno = 0;
    uint32_t setTimeoutsErrno = 0;
    uint32_t writeErrno = 0;
    uint32_t readErrno = 0;
    uint32_t modemErrno = 0;
    uint32_t lineErrorMask = 0;
    // At most this many bytes of a write go out (the rest "times out").
    size_t writeCapacity = SIZE_MAX;

    // Used by FakeSerialDevice.
    size_t takeInput(uint8_t* buffer, size_t length);

private:
    struct Arrival {
        uint64_t at;
        uint8_t byte;
    };
    friend class FakeSerialDevice;
    FakeClock& clock_;
    std::deque<Arrival> input_;
};

class FakeSerialDevice : public SerialDevice {
public:
    using Resolver = std::function<std::shared_ptr<FakeSerialLine>(const std::string& path)>;
    // A device bound to one line whatever the path.
    explicit FakeSerialDevice(std::shared_ptr<FakeSerialLine> line) : line_(std::move(line)) {}
    // A device that finds its line by path when it opens; no line means no such port.
    explicit FakeSerialDevice(Resolver resolver) : resolver_(std::move(resolver)) {}

    bool open(const std::string& path) override;
    bool isOpen() const override { return line_ && line_->open; }
    bool getLineState(SerialLineState& state) override;
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
    uint32_t lastError() const override { return lastError_; }
    std::string describeOpenFailure() const override { return openFailure_; }

private:
    bool fail(uint32_t err) {
        lastError_ = err;
        return false;
    }
    bool failOpen(const std::string& path, uint32_t err);
    bool usable() const { return line_ && line_->open; }
    std::shared_ptr<FakeSerialLine> line_;
    Resolver resolver_;
    uint32_t lastError_ = 0;
    std::string openFailure_;
};

// Hands out fake devices; a path with a line attached opens onto it, any other path fails as a
// missing port would.
class FakeSerialDeviceFactory : public SerialDeviceFactory {
public:
    explicit FakeSerialDeviceFactory(FakeClock& clock) : clock_(clock) {}
    std::shared_ptr<FakeSerialLine> attach(const std::string& path);
    std::unique_ptr<SerialDevice> create() override;
    // The COM numbers of the attached lines (\\.\COMn paths).
    std::vector<int> existingPorts() override;
    std::vector<std::string> openAttempts;

private:
    FakeClock& clock_;
    std::vector<std::pair<std::string, std::shared_ptr<FakeSerialLine>>> lines_;
};

} // namespace dax
