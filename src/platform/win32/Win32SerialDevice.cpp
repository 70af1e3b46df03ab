#include "platform/win32/Win32SerialDevice.h"

#include "platform/win32/OverlappedWait.h"

#include <algorithm>
#include <windows.h>

namespace dax {

namespace {

HANDLE Handle(void* h) {
    return static_cast<HANDLE>(h);
}

// The device form of a COM name: CreateFile knows "COM1".."COM9" by themselves, but higher
// numbers only behind "\\.\".
std::string DevicePath(const std::string& path) {
    if (auto com = DeviceNames::parseComPath(path))
        return "\\\\.\\COM" + std::to_string(*com);
    return path;
}

} // namespace

Win32SerialDevice::~Win32SerialDevice() {
    close();
}

bool Win32SerialDevice::fail() {
    m_nError = static_cast<uint32_t>(::GetLastError());
    return false;
}

bool Win32SerialDevice::failIfClosed() {
    if (m_hPort != nullptr)
        return true;
    m_nError = ERROR_INVALID_HANDLE;
    return false;
}

bool Win32SerialDevice::open(const std::string& path) {
    close();
    m_nError = 0;
    m_strOpenPath = path;
    m_nOpenError = 0;
    HANDLE h = ::CreateFileA(DevicePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail();
        m_nOpenError = m_nError;
        return false;
    }
    // Queues of one write piece each way; drivers may keep larger ones, so the result is advice.
    ::SetupComm(h, 512, 512);
    m_hPort = h;
    return true;
}

std::string Win32SerialDevice::describeOpenFailure() const {
    if (m_nOpenError == 0)
        return {};
    return DeviceNames::describeOpenError(m_strOpenPath, "", int(m_nOpenError));
}

bool Win32SerialDevice::getLineState(SerialLineState& state) {
    if (!failIfClosed())
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(Handle(m_hPort), &dcb))
        return fail();
    SerialLineState s;
    s.baudRate = dcb.BaudRate;
    s.dataBits = dcb.ByteSize;
    s.parity = dcb.Parity;
    s.stopBits = dcb.StopBits;
    s.ctsOutputFlow = dcb.fOutxCtsFlow != 0;
    s.rtsHandshake = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
    s.xonXoffOutput = dcb.fOutX != 0;
    s.xonXoffInput = dcb.fInX != 0;
    s.dtr = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    s.discardNul = dcb.fNull != 0;
    s.xonChar = static_cast<uint8_t>(dcb.XonChar);
    s.xoffChar = static_cast<uint8_t>(dcb.XoffChar);
    state = s;
    return true;
}

bool Win32SerialDevice::setLineState(const SerialLineState& state) {
    if (!failIfClosed())
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(Handle(m_hPort), &dcb))
        return fail();
    dcb.BaudRate = state.baudRate;
    dcb.ByteSize = state.dataBits;
    dcb.Parity = state.parity;
    dcb.StopBits = state.stopBits;
    // Binary transfers without parity checking, DSR ignored both ways; the flags not named
    // here keep what the driver has.
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutxCtsFlow = state.ctsOutputFlow;
    dcb.fRtsControl = state.rtsHandshake ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_DISABLE;
    dcb.fDtrControl = state.dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fOutX = state.xonXoffOutput;
    dcb.fInX = state.xonXoffInput;
    dcb.fNull = state.discardNul;
    dcb.XonChar = static_cast<char>(state.xonChar);
    dcb.XoffChar = static_cast<char>(state.xoffChar);
    if (!::SetCommState(Handle(m_hPort), &dcb))
        return fail();
    return true;
}

bool Win32SerialDevice::getTimeouts(SerialTimeouts& timeouts) {
    if (!failIfClosed())
        return false;
    COMMTIMEOUTS t{};
    if (!::GetCommTimeouts(Handle(m_hPort), &t))
        return fail();
    timeouts = {t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    return true;
}

bool Win32SerialDevice::setTimeouts(const SerialTimeouts& timeouts) {
    if (!failIfClosed())
        return false;
    COMMTIMEOUTS t{timeouts.readInterval, timeouts.readTotalMultiplier, timeouts.readTotalConstant,
                   timeouts.writeTotalMultiplier, timeouts.writeTotalConstant};
    if (!::SetCommTimeouts(Handle(m_hPort), &t))
        return fail();
    return true;
}

bool Win32SerialDevice::transfer(bool writing, void* data, uint32_t length, uint32_t& done) {
    done = 0;
    OVERLAPPED ov{};
    ov.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (ov.hEvent == nullptr)
        return fail();
    DWORD n = 0;
    const BOOL started = writing ? ::WriteFile(Handle(m_hPort), data, length, &n, &ov)
                                 : ::ReadFile(Handle(m_hPort), data, length, &n, &ov);
    bool ok = true;
    if (!started) {
        ok = ::GetLastError() == ERROR_IO_PENDING && FinishOverlapped(Handle(m_hPort), ov, n);
        if (!ok)
            fail();
    } else {
        // Finished at once: the count is that of the overlapped result.
        ::GetOverlappedResult(Handle(m_hPort), &ov, &n, FALSE);
    }
    ::CloseHandle(ov.hEvent);
    done = n;
    return ok;
}

bool Win32SerialDevice::write(const uint8_t* data, size_t length, size_t& written) {
    written = 0;
    if (!failIfClosed())
        return false;
    if (length == 0)
        return true;
    uint32_t n = 0;
    const uint32_t asked = static_cast<uint32_t>(std::min<size_t>(length, MAXDWORD));
    const bool ok = transfer(true, const_cast<uint8_t*>(data), asked, n);
    written = n;
    return ok;
}

bool Win32SerialDevice::read(uint8_t* buffer, size_t length, size_t& received) {
    received = 0;
    if (!failIfClosed())
        return false;
    if (length == 0)
        return true;
    uint32_t n = 0;
    const uint32_t asked = static_cast<uint32_t>(std::min<size_t>(length, MAXDWORD));
    const bool ok = transfer(false, buffer, asked, n);
    received = n;
    return ok;
}

bool Win32SerialDevice::getCts(bool& ctsOn) {
    if (!failIfClosed())
        return false;
    DWORD status = 0;
    if (!::GetCommModemStatus(Handle(m_hPort), &status))
        return fail();
    ctsOn = (status & MS_CTS_ON) != 0;
    return true;
}

void Win32SerialDevice::clearErrors(uint32_t* errors) {
    DWORD mask = 0;
    if (m_hPort != nullptr)
        ::ClearCommError(Handle(m_hPort), &mask, nullptr);
    if (errors != nullptr)
        *errors = mask;
}

void Win32SerialDevice::purge() {
    if (m_hPort != nullptr)
        ::PurgeComm(Handle(m_hPort), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

void Win32SerialDevice::clearDtr() {
    if (m_hPort != nullptr)
        ::EscapeCommFunction(Handle(m_hPort), CLRDTR);
}

void Win32SerialDevice::close() {
    if (m_hPort == nullptr)
        return;
    ::CloseHandle(Handle(m_hPort));
    m_hPort = nullptr;
}

std::unique_ptr<SerialDevice> Win32SerialDeviceFactory::create() {
    return std::make_unique<Win32SerialDevice>();
}

std::vector<int> Win32SerialDeviceFactory::existingPorts() {
    std::vector<int> numbers;
    for (const ComPortNode& port : m_names.listComPorts())
        numbers.push_back(port.number);
    return numbers;
}

} // namespace dax
