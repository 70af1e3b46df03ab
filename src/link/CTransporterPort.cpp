#include "link/CTransporterPort.h"

#include "link/PortTrace.h"

#include <algorithm>

namespace dax {

namespace {

// Bits of the port flags word.
constexpr uint32_t kFlagOutxCtsFlow = 0x0004;
constexpr uint32_t kFlagOutX = 0x0100;
constexpr uint32_t kFlagInX = 0x0200;
constexpr uint32_t kFlagNull = 0x0800;
constexpr uint32_t kDtrControlShift = 4;
constexpr uint32_t kRtsControlShift = 12;
constexpr uint32_t kRtsControlHandshake = 2;

constexpr uint32_t kOpenReadTimeoutMs = 20000;
constexpr uint32_t kOpenWriteConstantMs = 10000;
constexpr uint32_t kOpenWritePerByteMs = 200;

} // namespace

SerialLineState LineStateFromFlags(uint32_t flags, const SerialLineState& base) {
    SerialLineState state = base;
    state.ctsOutputFlow = (flags & kFlagOutxCtsFlow) != 0;
    state.xonXoffOutput = (flags & kFlagOutX) != 0;
    state.xonXoffInput = (flags & kFlagInX) != 0;
    state.discardNul = (flags & kFlagNull) != 0;
    // Enable and handshake both raise DTR while the port is open.
    state.dtr = ((flags >> kDtrControlShift) & 3) != 0;
    state.rtsHandshake = ((flags >> kRtsControlShift) & 3) == kRtsControlHandshake;
    return state;
}

CTransporterPort::CTransporterPort(std::unique_ptr<SerialDevice> device, Clock& clock,
                                   const std::string& path, uint32_t baud, PortTrace* trace)
    : CSerialPort(std::move(device)), m_clock(clock), m_strPortName(path) {
    SetTrace(trace);
    Open(path, baud, 8, kNoParity, kOneStopBit);
    m_nDataBits = 8;
    m_nStopBits = kOneStopBit;
    if (!IsOpen())
        return;

    SetReadTimeout(kOpenReadTimeoutMs);
    SetWriteTimeouts(kOpenWriteConstantMs, kOpenWritePerByteMs);
    m_nCtsWait = kDefaultCtsWaitSeconds;

    // The transporter's own line: hardware handshake instead of XON/XOFF, 8N1.
    SerialLineState state;
    bool ok = Device().getLineState(state);
    if (ok) {
        state = LineStateFromFlags(kTransporterLineFlags, state);
        state.baudRate = baud;
        state.dataBits = m_nDataBits;
        state.parity = kNoParity;
        state.stopBits = m_nStopBits;
        ok = Device().setLineState(state);
    }
    if (!ok) {
        SetOpen(false);
        SetError(kSerialSetStateFailed, Device().lastError());
    }
}

bool CTransporterPort::WaitForCts(uint32_t seconds) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const uint64_t maxPolls = uint64_t(seconds) * (1000 / kCtsPollMs);
    for (uint64_t polls = 0;; ++polls) {
        bool cts = false;
        if (!Device().getCts(cts)) {
            SetError(kSerialModemStatusFailed, Device().lastError());
            Device().clearErrors(&m_nLineErrors);
            return false;
        }
        if (cts)
            return true;
        if (polls >= maxPolls) {
            SetError(kSerialCtsOff, 0);
            return false;
        }
        m_clock.sleep(kCtsPollMs);
    }
}

bool CTransporterPort::Exchange(const void* command, uint32_t commandLength, void* answer,
                                uint32_t answerLength, uint32_t seconds) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!WaitForCts(m_nCtsWait))
        return false;

    if (answerLength != 0) {
        // Without a bounded time-out the drain would wait forever on a quiet line, and a
        // command sent anyway would have its answer read under time-outs nobody chose.
        if (!SetReadTimeout(kDrainMs))
            return false;
        uint8_t stale[kDrainBytes];
        Read(stale, kDrainBytes);
        // The drain nearly always ends short; that is not this exchange's outcome.
        SetError(kSerialOk, 0);
    }

    if (!Write(command, commandLength))
        return false;

    if (answerLength != 0 && answer != nullptr) {
        // 0 s stays 0: no total limit, the read waits for the whole answer.
        const uint64_t ms = std::min<uint64_t>(uint64_t(seconds) * 1000, kMaxDword);
        if (!SetReadTimeout(static_cast<uint32_t>(ms)))
            return false;
        return Read(answer, answerLength);
    }
    return true;
}

bool CTransporterPort::ChangeBaudRate(uint32_t baud) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    SerialLineState state;
    if (!Device().getLineState(state)) {
        SetError(kSerialGetStateFailed, Device().lastError());
        return false;
    }
    state.baudRate = baud;
    if (!Device().setLineState(state)) {
        SetError(kSerialSetStateFailed, Device().lastError());
        return false;
    }
    SetBaudRateField(baud);
    if (Trace())
        Trace()->rateChanged(Path(), baud);
    return true;
}

} // namespace dax
