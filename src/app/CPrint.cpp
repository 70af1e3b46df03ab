#include "app/CPrint.h"

#include "app/DialogStrings.h"
#include "devices/Commands.h"
#include "platform/Format.h"

namespace dax {

namespace {

constexpr const char* kAlignPasses[] = {kCmdAlignPass1, kCmdAlignPass2, kCmdAlignPass3};

bool SendCommandAsData(CTransporter& device, const char* format) {
    const std::string command = Command("%s", format);
    return device.SendPrintData(reinterpret_cast<const uint8_t*>(command.data()),
                                static_cast<uint32_t>(command.size()));
}

} // namespace

CPrint::~CPrint() {
    Release();
}

void CPrint::Release() {
    if (m_nLength != 0)
        m_device.ReleasePattern();
    m_pData = nullptr;
    m_nLength = 0;
}

bool CPrint::Prepare(int pattern) {
    Release();
    // A device without the pattern says why when it can; the status is never left blank.
    m_device.m_strError.clear();
    const uint8_t* data = nullptr;
    const uint32_t length = m_device.GetPattern(pattern, &data);
    if (length == 0) {
        m_strError = m_device.GetErrorText().empty()
                         ? Format("No print data for pattern %d on this printer", pattern)
                         : m_device.GetErrorText();
        return false;
    }
    m_pData = data;
    m_nLength = length;
    return true;
}

bool CPrint::PrintPrepared() {
    if (m_nLength == 0) {
        m_strError = "No print data prepared";
        return false;
    }
    if (!m_device.SendPrePrint() || !SendPattern(m_pData, m_nLength)) {
        return Fail();
    }
    if (m_device.GetPrinterKind() == 0 && !SendCommandAsData(m_device, kCmdOpenPrinterDrawer)) {
        m_strError = m_device.GetErrorText();
        Release();
        return false;
    }

    const bool ok = m_device.WaitPrintComplete();
    if (!ok) {
        // A status poll that got no answer leaves no text of its own.
        m_strError = m_device.GetErrorText().empty() ? kPrintWaitNoAnswer : m_device.GetErrorText();
    }
    Release();
    if (ok && !m_device.OpenPrinterDrawer()) {
        m_strError = m_device.GetErrorText();
        return false;
    }
    return ok;
}

// Printers with align passes take the pattern three times, each after its pass selection.
bool CPrint::SendPattern(const uint8_t* data, uint32_t length) {
    if (!m_device.SupportsAlignPasses()) {
        return m_device.SendPrintData(data, length);
    }
    for (const char* pass : kAlignPasses) {
        if (!SendCommandAsData(m_device, pass)) {
            return false;
        }
        m_clock.sleep(kAlignPassPauseMs);
        if (!m_device.SendPrintData(data, length)) {
            return false;
        }
    }
    return true;
}

bool CPrint::Fail() {
    m_strError = m_device.GetErrorText();
    SendCommandAsData(m_device, kCmdOpenPrinterDrawer);
    m_device.RequestSense(CTransporter::kDefaultTimeout, nullptr, nullptr);
    Release();
    return false;
}

} // namespace dax
