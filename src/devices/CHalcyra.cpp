#include "devices/CHalcyra.h"

#include "devices/Answers.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/ProductRecognition.h"
#include "devices/SenseText.h"
#include "link/CTransporterPort.h"
#include "printers/CParallelPort.h"
#include "printers/CUsbPool.h"

#include <utility>

namespace dax {

namespace {

constexpr const char* kParallelNames[] = {"LPT1", "LPT2"};
constexpr uint32_t kPrinterInitSeconds = 5;
constexpr uint32_t kFindSeconds = 10;
constexpr uint32_t kSenseSecondsHalcyra = 5;
constexpr uint32_t kProbeStatusSeconds = 5;
// A reported printer code of 255 is a printer still busy.
constexpr uint16_t kPrinterSenseBusyReported = 255;

template <class Port> bool WriteDrawer(Port& port, const char* format) {
    const std::string command = Command("%s", format);
    return port.Write(reinterpret_cast<const uint8_t*>(command.data()),
                      static_cast<uint32_t>(command.size()));
}

uint16_t Busy255As2(uint16_t code) {
    return code == kPrinterSenseBusyReported ? kPrinterSenseBusy : code;
}

} // namespace

CHalcyra::CHalcyra(CTransporterPort* port, Clock& clock, Interaction& interaction,
                   PrinterAccess printers)
    : CVelmora(port, clock, interaction, std::move(printers)) {
    const Identification id = Inquiry().View();
    if (id.Count() == kCountTwoPrinters) {
        m_nPrinters = 2;
    } else if (id.Count() == kCountOnePrinter) {
        m_nPrinters = 1;
    }
    m_strTransporterId = id.TransporterId();
    if (m_nPrinters > 0) {
        m_strPrinterId = id.PrinterId();
    }
    m_bWritableSettings = true;
}

// Assigned USB ports go back with the pool, parallel ports close with their objects.
CHalcyra::~CHalcyra() = default;

int CHalcyra::SelectedElement() const {
    return m_nSelectedPrinter == 0 ? kElementPrinter : kElementPrinterB;
}

bool CHalcyra::HasPort(int printer) const {
    return m_pUsb[printer] != nullptr || m_pParallel[printer] != nullptr;
}

bool CHalcyra::SupportsAlignPasses() {
    return m_bProbed[m_nSelectedPrinter == 0 ? 0 : 1];
}

void CHalcyra::Initialize() {
    if (m_nTransporterRevision == kRevisionBoot) {
        m_bOtpFirmware = true;
        return;
    }
    PickerHome();

    int state = 0;
    if (ReadElementStatus(kElementRotator, state) && state != kStateAbsent) {
        m_bRotator = true;
    }
    if (m_nPrinters == 2) {
        SendCommand(Command(kCmdHalcyraPrinterBInit), kPrinterInitSeconds);
        OpenCloseElement(kElementPrinterB, false);
    }
    if (m_nPrinters >= 1) {
        SendCommand(Command(kCmdHalcyraPrinterAInit), kPrinterInitSeconds);
        OpenCloseElement(kElementPrinter, false);
    }

    bool lastAssigned = false;
    if (m_printers.devices != nullptr) {
        m_pPool = std::make_unique<CUsbPool>(*m_printers.devices);
        const int count = m_pPool->Enumerate();
        // Each port is tried once: one that fails is not handed out again in place of the next.
        for (int i = 0; m_nPrinters >= 1 && i < count; ++i) {
            CUsbPrinterPort* port = m_pPool->Acquire(i);
            if (port == nullptr) {
                continue;
            }
            if (port->Open() && WriteDrawer(*port, kCmdClosePrinterDrawer)) {
                m_candidates.push_back(port);
            } else {
                m_pPool->Release(port);
            }
        }
        for (CUsbPrinterPort* port : m_candidates) {
            lastAssigned = AssignUsbPort(port);
        }
        // The printers of other transporters are not kept open.
        for (CUsbPrinterPort* port : m_candidates) {
            if (port != m_pUsb[0] && port != m_pUsb[1]) {
                m_pPool->Release(port);
            }
        }
        m_candidates.clear();
    }

    m_nParallelOpen = 0;
    if (!lastAssigned && m_printers.devices != nullptr) {
        for (int i = 0; i < 2; ++i) {
            m_pLpt[i] = std::make_unique<CParallelPort>(*m_printers.devices, kParallelNames[i]);
            if (m_pLpt[i]->IsOpen()) {
                ++m_nParallelOpen;
            } else {
                m_pLpt[i].reset();
            }
        }
        m_pPort->SetReadTimeout(kParallelReadTimeoutMs);
        for (auto& lpt : m_pLpt) {
            if (lpt && (m_nPrinters < 1 || !AssignParallelPort(lpt.get()))) {
                lpt.reset();
                --m_nParallelOpen;
            }
        }
    }

    if (m_nPrinters == 2 && !HasPort(1)) {
        --m_nPrinters;
    }
    if (m_nPrinters >= 1 && !HasPort(0)) {
        --m_nPrinters;
    }

    if (m_nPrinterRevision >= kRevisionPrinterProbe && !m_bOtpFirmware && m_nPrinters >= 1) {
        m_bProbed[0] = ProbePrinter(kElementPrinter);
        m_bAlignPasses = m_bProbed[0];
        if (m_nPrinters == 2) {
            m_bProbed[1] = ProbePrinter(kElementPrinterB);
        }
    }
}

template <class Port> bool CHalcyra::AssignPort(Port* port, Port* (&assigned)[2]) {
    if (port == nullptr || !WriteDrawer(*port, kCmdOpenPrinterDrawer)) {
        return false;
    }
    m_clock.sleep(kDrawerOpenMs);
    int printer = -1;
    if (assigned[0] == nullptr &&
        PositionWithRecovery(kElementPrinter, kHalcyraFind, kFindSeconds, false)) {
        printer = 0;
    } else if (m_nPrinters == 2 && assigned[1] == nullptr &&
               PositionWithRecovery(kElementPrinterB, kHalcyraFind, kFindSeconds, false)) {
        printer = 1;
    }
    WriteDrawer(*port, kCmdClosePrinterDrawer);
    if (printer < 0) {
        return false;
    }
    assigned[printer] = port;
    return true;
}

bool CHalcyra::AssignUsbPort(CUsbPrinterPort* port) {
    return AssignPort(port, m_pUsb);
}

bool CHalcyra::AssignParallelPort(CParallelPort* port) {
    return AssignPort(port, m_pParallel);
}

bool CHalcyra::ProbePrinter(int element) {
    if (m_nPrinterRevision < kRevisionPrinterProbe) {
        return false;
    }
    uint8_t status[kElementStatusLength] = {};
    if (!ExchangeOrFail(Command(kCmdReadElementStatus, element), status, kElementStatusLength,
                        kProbeStatusSeconds)) {
        return false;
    }
    if (!ExchangeOrFail(Command(kCmdAlignPass3), nullptr, 0, kNoAnswerSeconds)) {
        return false;
    }
    m_clock.sleep(kProbeStartMs);
    const uint16_t* code = element == kElementPrinter    ? &m_nSenseA
                           : element == kElementPrinterB ? &m_nSenseB
                                                         : nullptr;
    for (int polls = 0;; ++polls) {
        m_clock.sleep(kProbePollMs);
        if (!RequestSense(kDefaultTimeout, nullptr, nullptr)) {
            return false;
        }
        if (code == nullptr) {
            return true;
        }
        if (*code != kPrinterSenseBusy) {
            break;
        }
        if (polls + 1 >= kProbeMaxPolls) {
            return false;
        }
    }
    return *code != kPrinterSenseColorChangeError;
}

bool CHalcyra::RequestSense(int, uint16_t* transporterSense, uint16_t* printerSense) {
    m_nTransporterSense = 0;
    m_nPrinterSense = 0;
    m_nSenseA = 0;
    m_nSenseB = 0;
    const std::string command = Command(kCmdRequestSense);
    const auto commandLength = static_cast<uint32_t>(command.size());
    uint8_t answer[kHalcyraSenseLength] = {};
    bool answered = m_pPort->Exchange(command.data(), commandLength, answer, kHalcyraSenseLength,
                                      kSenseSecondsHalcyra);
    if (!answered && m_pPort->GetErrorCode() == kSerialReceiveTimeout) {
        answered = m_pPort->Exchange(command.data(), commandLength, answer, kHalcyraSenseLength,
                                     kSenseSecondsHalcyra);
    }
    if (!answered) {
        return false;
    }
    DualSenseCodes codes;
    std::string reason;
    if (!ParseDualSense(answer, kHalcyraSenseLength, codes, &reason)) {
        m_strError = reason;
        return false;
    }
    m_nTransporterSense = codes.transporter;
    m_nSenseA = Busy255As2(codes.printerA);
    m_nSenseB = Busy255As2(codes.printerB);
    m_nPrinterSense = m_nSelectedPrinter == 1 ? m_nSenseB : m_nSenseA;
    if (transporterSense != nullptr) {
        *transporterSense = m_nTransporterSense;
    }
    if (printerSense != nullptr) {
        *printerSense = m_nPrinterSense;
    }
    return true;
}

int CHalcyra::GetRebootDelay() {
    return kRebootDelaySeconds;
}

int CHalcyra::GetPrinterKind() {
    return 0;
}

} // namespace dax
