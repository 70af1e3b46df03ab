#include "devices/CTransporter.h"

#include "devices/SenseText.h"

namespace dax {

CTransporter::CTransporter(Clock& clock, Interaction& interaction)
    : m_clock(clock), m_interaction(interaction) {}

CTransporter::~CTransporter() = default;

void CTransporter::TestMailbox() {}

int CTransporter::SelectPrinter(int printer) {
    m_nSelectedPrinter = printer;
    return printer;
}

bool CTransporter::SupportsAlignPasses() {
    return m_bAlignPasses;
}

bool CTransporter::GetPrinterSerial2(std::string&) {
    return false;
}

bool CTransporter::SetPrinterSerial2(const std::string&) {
    return false;
}

int CTransporter::GetPrinterCounter(int, int) {
    return -1;
}

uint32_t CTransporter::GetPattern(int, const uint8_t**) {
    return 0;
}

void CTransporter::ReleasePattern() {}

int CTransporter::GetPrinterKind() {
    return 3;
}

bool CTransporter::WaitPrintComplete() {
    for (int round = 0; round < kPrintWaitRounds; ++round) {
        uint16_t transporterSense = 0;
        if (!RequestSense(kPrintWaitSenseSeconds, &transporterSense, nullptr)) {
            return false; // the error text stays as it was
        }
        if (transporterSense == 0) {
            return true;
        }
        if (transporterSense != kTransporterSenseNotReady) {
            m_strError = "Print failed - " + GetPrinterSenseText();
            return false;
        }
        m_clock.sleep(kPrintWaitPollMs);
    }
    m_strError = "Timed out waiting for print completion";
    return false;
}

bool CTransporter::HasVaultekParams() {
    return false;
}

bool CTransporter::SetVaultekParams(const std::string&, bool, bool, bool, int) {
    return false;
}

bool CTransporter::GetVaultekParams(std::string&, bool&, bool&, bool&, int&) {
    return false;
}

} // namespace dax
