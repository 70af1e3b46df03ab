#include "devices/CHalcyra.h"
#include "devices/Commands.h"
#include "devices/ElementMap.h"
#include "devices/SenseText.h"
#include "link/CTransporterPort.h"

namespace dax {

namespace {

constexpr uint32_t kPickerHomeSeconds = 30;
constexpr uint32_t kMoveSeconds = 10;
constexpr uint32_t kDriveSearchSeconds = 20;
constexpr uint32_t kBin1Seconds = 20;
constexpr uint32_t kRotateSeconds = 5;
constexpr uint32_t kAlignSeconds = 60;

} // namespace

bool CHalcyra::PickerHome() {
    const std::string command = Command(kCmdPickerHome);
    if (SendCommand(command, kPickerHomeSeconds)) {
        return true;
    }
    if (m_nTransporterSense != kTransporterSenseUnitAttention) {
        return false;
    }
    return SendCommand(command, kPickerHomeSeconds);
}

bool CHalcyra::PositionWithRecovery(int element, char action, uint32_t seconds, bool interactive) {
    const std::string command = Command(kCmdPositionMedium, element, action);
    int recoveries = 0;
    for (;;) {
        if (SendCommand(command, seconds)) {
            return true;
        }
        std::string message;
        const bool recoverable = m_nTransporterSense == kTransporterSenseUnitAttention ||
                                 m_nTransporterSense == kTransporterSenseNotReady;
        if (recoverable && recoveries < kMaxPickerRecoveries) {
            ++recoveries;
            if (PickerHome()) {
                continue;
            }
            // A picker that cannot find its home needs the technician, whoever asked for the
            // move: the box is shown for searches too.
            message = "PickerHome failed - " + m_strError;
        } else if (!interactive) {
            return false;
        } else {
            message = "Position Medium failed - " + m_strError;
        }
        if (!m_interaction.AskRetryCancel(message)) {
            return false;
        }
        recoveries = 0;
    }
}

bool CHalcyra::FindOpenDrive() {
    m_nFoundDrive = kFoundDriveStart;
    while (!PositionWithRecovery(kElementDriveHome, kHalcyraFind, kDriveSearchSeconds, false)) {
        const std::string question = m_nTransporterSense == kTransporterSenseMediumError
                                         ? std::string(kOpenRecorderDrawer)
                                         : "Position Medium failed - " + m_strError;
        if (!m_interaction.AskRetryCancel(question)) {
            return false;
        }
    }
    int state = 0;
    int height = 0;
    if (!ReadElementStatus(kElementDriveHome, state, &height)) {
        return false;
    }
    // Five digits may read above any drive, 65535 included: those are no drive either.
    if (height < 0 || height >= kDrivesBelow) {
        return false;
    }
    m_nFoundDrive = height < kDrive1Below ? kElementDrive1
                                          : kElementDrive2 + (height - kDrive1Below) / kDriveStep;
    return true;
}

bool CHalcyra::TransferToPrinter(int angle) {
    const int printer = SelectedElement();
    if (!PositionWithRecovery(m_nFoundDrive, kHalcyraPut0, kMoveSeconds, true) ||
        !PositionWithRecovery(m_nFoundDrive, kHalcyraGet1, kMoveSeconds, true)) {
        return false;
    }
    bool placed = false;
    if (angle >= 0) {
        // A refused rotation leaves the disc in gripper 1 where it was: no move to reject.
        const int steps = static_cast<int>(int64_t(angle) * kStepsPerTurn / 360);
        if (!SendCommand(Command(kCmdHalcyraRotate, printer, steps), kRotateSeconds)) {
            return false;
        }
        placed = PositionWithRecovery(printer, kHalcyraP1Align, kAlignSeconds, true);
    } else {
        placed = PositionWithRecovery(printer, kHalcyraPut1, kMoveSeconds, true);
    }
    if (!placed) {
        // The disc goes to the reject bin; the error text keeps why the load failed.
        const std::string reason = m_strError;
        PositionWithRecovery(kElementBin2, kHalcyraPut1, kMoveSeconds, true);
        m_strError = reason;
        return false;
    }
    return WriteRaw(kSeqPrinterPreparation, kSeqPrinterPreparationLength);
}

bool CHalcyra::LoadPrinter(int angle) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (!FindOpenDrive()) {
        m_strError = kNoRecorderTray;
        return false;
    }
    if (!PositionWithRecovery(kElementBin1, kHalcyraGet0, kBin1Seconds, true)) {
        return false;
    }
    return TransferToPrinter(angle);
}

bool CHalcyra::ReloadPrinter(int angle) {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    if (!PositionWithRecovery(SelectedElement(), kHalcyraGet0, kMoveSeconds, true)) {
        return false;
    }
    return TransferToPrinter(angle);
}

bool CHalcyra::UnloadPrinter() {
    RequestSense(kDefaultTimeout, nullptr, nullptr);
    return PositionWithRecovery(SelectedElement(), kHalcyraGet0, kMoveSeconds, true) &&
           PositionWithRecovery(kElementBin2, kHalcyraPut0, kMoveSeconds, true);
}

} // namespace dax
