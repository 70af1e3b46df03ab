#include "devices/CVelmora.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "printers/CUsbPool.h"

#include <algorithm>
#include <vector>

namespace dax {

namespace {

bool WriteCommand(CUsbPrinterPort& port, const char* format) {
    const std::string command = Command("%s", format);
    return port.Write(reinterpret_cast<const uint8_t*>(command.data()),
                      static_cast<uint32_t>(command.size()));
}

} // namespace

// Destroying the pool closes the matched port.
CVelmora::~CVelmora() = default;

void CVelmora::MatchUsbPrinter() {
    if (m_printers.devices == nullptr || m_pUsbPool) {
        return;
    }
    m_pUsbPool = std::make_unique<CUsbPool>(*m_printers.devices);
    const int count = m_pUsbPool->Enumerate();

    // Candidates: the ports that open and take the close-drawer command.
    std::vector<CUsbPrinterPort*> candidates;
    for (int i = 0; i < count; ++i) {
        CUsbPrinterPort* port = m_pUsbPool->Acquire(i);
        if (port == nullptr) {
            continue;
        }
        if (port->Open() && WriteCommand(*port, kCmdClosePrinterDrawer)) {
            candidates.push_back(port);
        } else {
            m_pUsbPool->Release(port);
        }
    }

    for (CUsbPrinterPort* port : candidates) {
        if (ProbeUsbPrinter(port)) {
            m_nPrinters = 1;
            break;
        }
    }
    // The other printers belong to other transporters: they are not kept open.
    for (CUsbPrinterPort* port : candidates) {
        if (port != m_pUsbPrinterPort) {
            m_pUsbPool->Release(port);
        }
    }
}

bool CVelmora::ProbeUsbPrinter(CUsbPrinterPort* port) {
    if (port == nullptr || !WriteCommand(*port, kCmdOpenPrinterDrawer)) {
        return false;
    }
    m_clock.sleep(kUsbDrawerOpenMs);
    const bool drawerSeen = PositionMedium(kElementPrinter, kActionUsbProbe, 0);
    WriteCommand(*port, kCmdClosePrinterDrawer);
    m_clock.sleep(kUsbDrawerCloseMs);
    if (!drawerSeen) {
        return false;
    }
    m_pUsbPrinterPort = port;
    return true;
}

bool CVelmora::SendPrintDataUsb(const uint8_t* data, uint32_t length) {
    for (uint32_t done = 0; done < length;) {
        const uint32_t piece = std::min(length - done, kUsbPrintPiece);
        if (!m_pUsbPrinterPort->Write(data + done, piece)) {
            m_strError = m_pUsbPrinterPort->GetErrorText();
            return false;
        }
        done += piece;
    }
    return true;
}

} // namespace dax
