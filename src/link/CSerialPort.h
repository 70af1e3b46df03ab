#pragma once

#include "platform/SerialDevice.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dax {

class PortTrace;

// Outcome codes of the last port operation; the texts are those of GetErrorText.
enum SerialPortError : uint32_t {
    kSerialOk = 0,
    kSerialOpenFailed = 100,
    kSerialGetStateFailed = 101,
    kSerialSetStateFailed = 102,
    kSerialCreateEventFailed = 103,
    kSerialWriteFailed = 104,
    kSerialTransmitTimeout = 105,
    kSerialReadFailed = 106,
    kSerialReceiveTimeout = 107,
    kSerialGetTimeoutsFailed = 108,
    kSerialSetTimeoutsFailed = 109,
    kSerialModemStatusFailed = 110,
    kSerialCtsOff = 111,
    kSerialBufferTooBig = 112,
};

// The program's only access to an RS-232 port. No operation throws: each reports through the
// error code and the system error number, which GetErrorText turns into one line of text.
class CSerialPort {
public:
    // Pieces in which writes go out: the size of the port's output queue.
    static constexpr uint32_t kWritePiece = 512;

    explicit CSerialPort(std::unique_ptr<SerialDevice> device);
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens and configures the port; the caller tests IsOpen() and the error code.
    void Open(const std::string& path, uint32_t baud, uint8_t dataBits, uint8_t parity,
              uint8_t stopBits);
    void Close();
    bool Write(const void* data, uint32_t length);
    // True only when exactly `length` bytes arrived; bytes that did arrive stay in the buffer.
    bool Read(void* buffer, uint32_t length);
    bool SetReadTimeout(uint32_t ms);
    bool SetWriteTimeouts(uint32_t constantMs, uint32_t perByteMs);
    // Valid until the next call.
    const char* GetErrorText();
    // Why the last Open failed, naming the port and what stood in the way; empty when the
    // system can tell no more than the error number.
    std::string GetOpenFailureText() const { return m_pDevice->describeOpenFailure(); }

    bool IsOpen() const { return m_bOpen; }
    uint32_t GetErrorCode() const { return m_nError; }
    uint32_t GetSystemError() const { return m_nSystemError; }
    uint32_t GetBaudRate() const { return m_nBaudRate; }
    // How many bytes the last Read received.
    uint32_t GetLastReadCount() const { return m_nLastRead; }

    void SetTrace(PortTrace* trace) { m_pTrace = trace; }

protected:
    PortTrace* Trace() const { return m_pTrace; }
    const std::string& Path() const { return m_strPath; }
    SerialDevice& Device() { return *m_pDevice; }
    void SetError(uint32_t code, uint32_t systemError) {
        m_nError = code;
        m_nSystemError = systemError;
    }
    void SetOpen(bool open) { m_bOpen = open; }
    void SetBaudRateField(uint32_t baud) { m_nBaudRate = baud; }

private:
    std::unique_ptr<SerialDevice> m_pDevice;
    std::string m_strPath;
    bool m_bOpen = false;
    uint32_t m_nError = 0;
    uint32_t m_nSystemError = 0;
    uint32_t m_nBaudRate = 0;
    uint32_t m_nLastRead = 0;
    char m_szMessage[80] = {};
    PortTrace* m_pTrace = nullptr;
};

} // namespace dax
