#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dax {

// Parity in the coding the serial settings use everywhere (0 none, 1 odd, 2 even, 3 mark, 4 space).
enum : uint8_t {
    kNoParity = 0,
    kOddParity = 1,
    kEvenParity = 2,
    kMarkParity = 3,
    kSpaceParity = 4
};
// Stop bits in the same coding: 0 one, 1 one and a half, 2 two.
enum : uint8_t { kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2 };

// Line state of a serial port.
struct SerialLineState {
    uint32_t baudRate = 9600;
    uint8_t dataBits = 8;
    uint8_t parity = kNoParity;
    uint8_t stopBits = kOneStopBit;
    bool ctsOutputFlow = false; // hold our output while CTS is off
    bool rtsHandshake = false;  // RTS follows our readiness to receive
    bool xonXoffOutput = false; // obey XON/XOFF from the far end
    bool xonXoffInput = false;  // send XON/XOFF to the far end
    bool dtr = false;           // DTR raised while open
    bool discardNul = false;    // received NUL bytes are dropped
    uint8_t xonChar = 0x11;
    uint8_t xoffChar = 0x13;
    bool operator==(const SerialLineState&) const = default;
};

// Time-outs with the meaning of the Windows COMMTIMEOUTS, all in milliseconds:
//  - a read ends when every byte asked for is in;
//  - or when readTotalMultiplier x bytes asked + readTotalConstant has passed since it began
//    (both 0: no total limit);
//  - or, once a byte has come, when readInterval passes without another (0: no interval limit).
//    readInterval = MAXDWORD with both totals 0 returns at once with what is buffered.
//  - a write ends when everything is out, or after writeTotalMultiplier x bytes +
//    writeTotalConstant with what went out (both 0: no limit).
struct SerialTimeouts {
    uint32_t readInterval = 0;
    uint32_t readTotalMultiplier = 0;
    uint32_t readTotalConstant = 0;
    uint32_t writeTotalMultiplier = 0;
    uint32_t writeTotalConstant = 0;
    bool operator==(const SerialTimeouts&) const = default;
};

inline constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// One serial port of the operating system. Every call is synchronous. A failing call returns
// false and leaves the system error number in lastError().
class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Opens the port by its device path in the Windows form ("\\.\COM5").
    virtual bool open(const std::string& path) = 0;
    virtual bool isOpen() const = 0;
    virtual bool getLineState(SerialLineState& state) = 0;
    virtual bool setLineState(const SerialLineState& state) = 0;
    virtual bool getTimeouts(SerialTimeouts& timeouts) = 0;
    virtual bool setTimeouts(const SerialTimeouts& timeouts) = 0;
    // Sends up to `length` bytes within the write time-outs. `written` is how many went out; a
    // write cut short by its time-out still returns true.
    virtual bool write(const uint8_t* data, size_t length, size_t& written) = 0;
    // Reads up to `length` bytes within the read time-outs; `received` is how many came. A read
    // ended by its time-out still returns true.
    virtual bool read(uint8_t* buffer, size_t length, size_t& received) = 0;
    // CTS line; a port without modem lines reports CTS on.
    virtual bool getCts(bool& ctsOn) = 0;
    // Clears a line error state; `errors` (may be null) receives the error mask.
    virtual void clearErrors(uint32_t* errors) = 0;
    // Drops pending output and input.
    virtual void purge() = 0;
    virtual void clearDtr() = 0;
    virtual void close() = 0;
    virtual uint32_t lastError() const = 0;
    // Why the last open() failed, naming the port ("\\.\COM5 (/dev/ttyS4): in use by another
    // program"); empty when the device cannot say more than its error number.
    virtual std::string describeOpenFailure() const { return {}; }
};

// Makes a new, closed serial device for each port the program tries.
class SerialDeviceFactory {
public:
    virtual ~SerialDeviceFactory() = default;
    virtual std::unique_ptr<SerialDevice> create() = 0;
    // The COM numbers whose device is present now, in number order.
    virtual std::vector<int> existingPorts() = 0;
};

} // namespace dax
