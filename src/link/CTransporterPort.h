#pragma once

#include "link/CSerialPort.h"
#include "platform/Clock.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace dax {

// Flags word of the transporter's line: CTS output flow, RTS handshake, null stripping; binary
// mode, XON/XOFF and DTR off.
inline constexpr uint32_t kTransporterLineFlags = 0x2804;

// Line state that a port flags word of that layout asks for.
SerialLineState LineStateFromFlags(uint32_t flags, const SerialLineState& base);

// The serial port as the transporter needs it: its line settings with hardware handshake, one
// indivisible exchange per command and answer, the CTS check and the rate change.
class CTransporterPort : public CSerialPort {
public:
    static constexpr uint32_t kDefaultCtsWaitSeconds = 3;
    static constexpr uint32_t kCtsPollMs = 10;
    static constexpr uint32_t kDrainMs = 50;
    static constexpr uint32_t kDrainBytes = 64;

    // `trace`, when given, sees the port open, change rate and close, and every byte.
    CTransporterPort(std::unique_ptr<SerialDevice> device, Clock& clock, const std::string& path,
                     uint32_t baud, PortTrace* trace = nullptr);

    // Sends a command and reads its fixed-length answer (answerLength 0: no answer is read).
    bool Exchange(const void* command, uint32_t commandLength, void* answer, uint32_t answerLength,
                  uint32_t seconds);
    bool WaitForCts(uint32_t seconds);
    bool ChangeBaudRate(uint32_t baud);

    const std::string& GetPortName() const { return m_strPortName; }
    uint32_t GetLineErrors() const { return m_nLineErrors; }
    uint32_t GetCtsWait() const { return m_nCtsWait; }

private:
    Clock& m_clock;
    std::string m_strPortName;
    std::recursive_mutex m_mutex;
    uint8_t m_nDataBits = 8;
    uint8_t m_nStopBits = 0;
    uint32_t m_nLineErrors = 0;
    uint32_t m_nCtsWait = kDefaultCtsWaitSeconds;
};

} // namespace dax
