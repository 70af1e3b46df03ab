#include "link/CSerialPort.h"

#include "link/PortTrace.h"

#include <algorithm>
#include <cstdio>

namespace dax {

namespace {

// Time-outs a freshly opened port starts with, until its owner sets its own.
constexpr SerialTimeouts kOpenTimeouts{500, 500, 5000, 500, 2000};

} // namespace

CSerialPort::CSerialPort(std::unique_ptr<SerialDevice> device) : m_pDevice(std::move(device)) {}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::Open(const std::string& path, uint32_t baud, uint8_t dataBits, uint8_t parity,
                       uint8_t stopBits) {
    SetError(kSerialOk, 0);
    m_nBaudRate = baud;
    m_strPath = path;

    m_bOpen = m_pDevice->open(path);
    if (!m_bOpen) {
        SetError(kSerialOpenFailed, m_pDevice->lastError());
        if (m_pTrace)
            m_pTrace->openFailed(path, m_pDevice->describeOpenFailure());
        return;
    }
    if (m_pTrace)
        m_pTrace->opened(path, baud);

    // From here on a failure leaves the port open; only the error code tells.
    if (!m_pDevice->setTimeouts(kOpenTimeouts)) {
        SetError(kSerialSetTimeoutsFailed, m_pDevice->lastError());
        return;
    }

    SerialLineState state;
    if (!m_pDevice->getLineState(state)) {
        SetError(kSerialGetStateFailed, m_pDevice->lastError());
        return;
    }
    state.baudRate = baud;
    state.dataBits = dataBits;
    state.parity = parity;
    // One and a half stop bits exist only for 5-bit characters; longer ones get two.
    state.stopBits = (stopBits == kOne5StopBits && dataBits > 5) ? uint8_t(kTwoStopBits) : stopBits;
    // Software flow both ways; no hardware handshake and DTR low.
    state.ctsOutputFlow = false;
    state.rtsHandshake = false;
    state.xonXoffOutput = true;
    state.xonXoffInput = true;
    state.dtr = false;
    state.xonChar = 0x11;
    state.xoffChar = 0x13;
    if (!m_pDevice->setLineState(state))
        SetError(kSerialSetStateFailed, m_pDevice->lastError());
}

void CSerialPort::Close() {
    if (!m_pDevice || !m_pDevice->isOpen())
        return;
    m_pDevice->clearDtr();
    m_pDevice->purge();
    m_pDevice->close();
    if (m_pTrace)
        m_pTrace->closed(m_strPath);
}

bool CSerialPort::Write(const void* data, uint32_t length) {
    SetError(kSerialOk, 0);
    // A port whose handle was closed is no more usable than one never opened.
    if (!m_bOpen || !m_pDevice->isOpen()) {
        SetError(kSerialOpenFailed, 0);
        return false;
    }
    if (length == 0 || data == nullptr)
        return true;

    const auto* bytes = static_cast<const uint8_t*>(data);
    for (uint32_t done = 0; done < length;) {
        const uint32_t piece = std::min(length - done, kWritePiece);
        size_t written = 0;
        const bool ok = m_pDevice->write(bytes + done, piece, written);
        if (m_pTrace && written > 0)
            m_pTrace->sent(bytes + done, written);
        if (!ok) {
            SetError(kSerialWriteFailed, m_pDevice->lastError());
            m_pDevice->clearErrors(nullptr);
            return false;
        }
        if (written < piece) {
            SetError(kSerialTransmitTimeout, 0);
            return false;
        }
        done += piece;
    }
    return true;
}

bool CSerialPort::Read(void* buffer, uint32_t length) {
    SetError(kSerialOk, 0);
    m_nLastRead = 0;
    if (!m_bOpen || !m_pDevice->isOpen()) {
        SetError(kSerialOpenFailed, 0);
        return false;
    }
    if (length == 0 || buffer == nullptr)
        return true;

    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t received = 0;
    const bool ok = m_pDevice->read(bytes, length, received);
    received = std::min<size_t>(received, length);
    m_nLastRead = static_cast<uint32_t>(received);
    if (m_pTrace && received > 0)
        m_pTrace->received(bytes, received);
    if (!ok) {
        SetError(kSerialReadFailed, m_pDevice->lastError());
        m_pDevice->clearErrors(nullptr);
        return false;
    }
    if (received < length) {
        SetError(kSerialReceiveTimeout, 0);
        m_pDevice->clearErrors(nullptr);
        return false;
    }
    return true;
}

bool CSerialPort::SetReadTimeout(uint32_t ms) {
    SerialTimeouts timeouts;
    if (!m_pDevice->getTimeouts(timeouts)) {
        SetError(kSerialGetTimeoutsFailed, m_pDevice->lastError());
        return false;
    }
    // No interval and no per-byte part: the read ends when all is in or after `ms`.
    timeouts.readInterval = 0;
    timeouts.readTotalMultiplier = 0;
    timeouts.readTotalConstant = ms;
    if (!m_pDevice->setTimeouts(timeouts)) {
        SetError(kSerialSetTimeoutsFailed, m_pDevice->lastError());
        return false;
    }
    return true;
}

bool CSerialPort::SetWriteTimeouts(uint32_t constantMs, uint32_t perByteMs) {
    SerialTimeouts timeouts;
    if (!m_pDevice->getTimeouts(timeouts)) {
        SetError(kSerialGetTimeoutsFailed, m_pDevice->lastError());
        return false;
    }
    timeouts.writeTotalMultiplier = perByteMs;
    timeouts.writeTotalConstant = constantMs;
    if (!m_pDevice->setTimeouts(timeouts)) {
        SetError(kSerialSetTimeoutsFailed, m_pDevice->lastError());
        return false;
    }
    return true;
}

const char* CSerialPort::GetErrorText() {
    // The numbers print as the signed values the status line has always shown.
    const int sys = static_cast<int>(m_nSystemError);
    char* buf = m_szMessage;
    const size_t size = sizeof(m_szMessage);
    switch (m_nError) {
    case kSerialOpenFailed:
        std::snprintf(buf, size, "Failed to open COM port - %d", sys);
        break;
    case kSerialGetStateFailed:
        std::snprintf(buf, size, "GetCommState failed - %d", sys);
        break;
    case kSerialSetStateFailed:
        std::snprintf(buf, size, "SetCommState failed - %d", sys);
        break;
    case kSerialCreateEventFailed:
        std::snprintf(buf, size, "CreateEvent failed - %d", sys);
        break;
    case kSerialWriteFailed:
        std::snprintf(buf, size, "Error writing to COM port - %d", sys);
        break;
    case kSerialTransmitTimeout:
        std::snprintf(buf, size, "Transmit timeout");
        break;
    case kSerialReadFailed:
        std::snprintf(buf, size, "Error reading from COM port - %d", sys);
        break;
    case kSerialReceiveTimeout:
        std::snprintf(buf, size, "Receive timeout");
        break;
    case kSerialGetTimeoutsFailed:
        std::snprintf(buf, size, "GetCommTimeouts failed - %d", sys);
        break;
    case kSerialSetTimeoutsFailed:
        std::snprintf(buf, size, "SetCommTimeouts failed - %d", sys);
        break;
    case kSerialCtsOff:
        std::snprintf(buf, size, "CTS signal is off");
        break;
    case kSerialBufferTooBig:
        std::snprintf(buf, size, "Buffer to big to send or receive ansynchronously");
        break;
    default: // 110 (modem status) has no text of its own
        std::snprintf(buf, size, "COM error, major %d, minor %d", static_cast<int>(m_nError), sys);
        break;
    }
    return buf;
}

} // namespace dax
