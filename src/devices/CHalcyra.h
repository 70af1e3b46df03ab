#pragma once

#include "devices/CVelmora.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dax {

class CParallelPort;
class CUsbPool;
class CUsbPrinterPort;

// The dual-printer transporter: two grippers, up to ten recorder drives and one or two disc
// printers (A at 260, B at 261). Print data do not travel over the link but over each printer's
// own USB or parallel port, which Initialize finds by opening a printer's drawer through a port
// and asking the transporter which drawer came out. A disc reaches a printer through an open
// recorder drawer and the second gripper.
class CHalcyra : public CVelmora {
public:
    static constexpr int kRebootDelaySeconds = 15;
    // Transporter firmware with the printer B serial number.
    static constexpr int kRevisionPrinterBSerial = 3106;
    static constexpr int kRevisionCounters = 3157;
    // Printer firmware that takes the alignment probe.
    static constexpr int kRevisionPrinterProbe = 400;
    // Transporter revision of the start-up (boot) firmware.
    static constexpr int kRevisionBoot = 1000;

    // Identification counts: both printers answered, or one.
    static constexpr uint32_t kCountTwoPrinters = 96;
    static constexpr uint32_t kCountOnePrinter = 64;

    // The drawer search finds the picker's height; each drive lies this much above the last.
    static constexpr int kDrive1Below = 15150;
    static constexpr int kDriveStep = 3620;
    static constexpr int kDrivesBelow = 47730; // from here on no drive answers
    static constexpr int kFoundDriveStart = 243;

    // Rotator steps of a whole turn.
    static constexpr int kStepsPerTurn = 3818;

    // A Position Medium answered "not ready" sends the picker home and tries again; this many
    // times in a row at most, so a transporter that stays not ready cannot hold the program.
    static constexpr int kMaxPickerRecoveries = 3;
    // A printer that reports busy for longer than this many polls of its alignment probe is
    // taken as not supporting the alignment passes.
    static constexpr int kProbeMaxPolls = 240;

    static constexpr uint32_t kDrawerOpenMs = 3000;
    static constexpr uint32_t kProbeStartMs = 7000;
    static constexpr uint32_t kProbePollMs = 500;
    static constexpr uint32_t kPrinterFlashSettleMs = 7000;
    static constexpr uint32_t kParallelReadTimeoutMs = 10000;
    static constexpr uint32_t kOffsetReadTimeoutMs = 3000;
    static constexpr uint32_t kSerialReadTimeoutMs = 15000;

    static constexpr char kNoRecorderTray[] = "No recorder tray is open";
    static constexpr char kOpenRecorderDrawer[] = "Open one of the recorder drawers and hit Retry";
    static constexpr char kPortNotOpen[] = "USB or Parallel port not open ";

    CHalcyra(CTransporterPort* port, Clock& clock, Interaction& interaction,
             PrinterAccess printers = {});
    ~CHalcyra() override;

    bool SupportsAlignPasses() override;
    void Initialize() override;
    // The time-out is always the class's own; printer sense is the selected printer's code.
    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) override;
    bool SetTopMargin(int value) override;
    bool SetLeftMargin(int value) override;
    bool SetRotationalOffset(int offset) override;
    bool SetMediaSize(int sizeCode) override;
    // angle: where the rotator turns the disc before it goes onto the selected printer;
    // negative: straight on without turning.
    bool LoadPrinter(int angle) override;
    bool ReloadPrinter(int angle) override;
    bool UnloadPrinter() override;
    bool CheckFlashFile(const uint8_t* image, uint32_t length) override;
    bool BeginFlash(uint32_t length) override;
    bool SendFlashData(const uint8_t* data, uint32_t length) override;
    bool GetPrinterSerial2(std::string& serial) override;
    bool SetPrinterSerial2(const std::string& serial) override;
    bool SaveSettings(bool store) override;
    bool SendPrintData(const uint8_t* data, uint32_t length) override;
    bool OpenPrinterDrawer() override;
    int GetRebootDelay() override;
    bool SendPrePrint() override;
    int GetPrinterCounter(int printer, int counter) override;
    int GetPrinterKind() override;

    bool PickerHome();
    // Position Medium with recovery: "not ready" and "unit attention" send the picker home and
    // try again; other refusals ask Retry/Cancel when `interactive`, else fail.
    bool PositionWithRecovery(int element, char action, uint32_t seconds, bool interactive);
    // Finds an open recorder drawer and remembers its drive; asks for one while none is open.
    bool FindOpenDrive();
    // Moves the disc in gripper 0 through the found drive into gripper 1 and onto the selected
    // printer, turned by `angle` degrees first unless it is negative.
    bool TransferToPrinter(int angle);
    // The printer's alignment probe at start-up: true unless it reports a colour change error.
    bool ProbePrinter(int element);
    // Sends bytes to the selected printer's own port; `suffix` ends the message of a failure.
    bool WritePrinterPort(const uint8_t* data, uint32_t length, const std::string& suffix);
    // Whose printer a port is: its drawer is opened through it and the printers are asked in
    // turn which drawer is out. False when neither is (the port belongs to someone else).
    bool AssignUsbPort(CUsbPrinterPort* port);
    bool AssignParallelPort(CParallelPort* port);

    // The selected printer's element number.
    int SelectedElement() const;
    int FoundDrive() const { return m_nFoundDrive; }
    uint16_t PrinterSense(int printer) const { return printer == 0 ? m_nSenseA : m_nSenseB; }
    CUsbPrinterPort* UsbPort(int printer) const { return m_pUsb[printer]; }
    CParallelPort* ParallelPort(int printer) const { return m_pParallel[printer]; }
    int OpenParallelCount() const { return m_nParallelOpen; }

private:
    template <class Port> bool AssignPort(Port* port, Port* (&assigned)[2]);
    // Writes the same bytes to each printer whose flash flag is still set.
    bool WriteToFlashingPrinters(const uint8_t* data, uint32_t length);
    bool HasPort(int printer) const;
    // Printer B's serial is kept only by non-OTP firmware from its revision on, and only with
    // printer B; otherwise says why, after the name of `step`.
    bool PrinterBSerialKept(const char* step);

    uint16_t m_nSenseA = 0;
    uint16_t m_nSenseB = 0;
    std::unique_ptr<CParallelPort> m_pLpt[2];
    int m_nParallelOpen = 0;
    CParallelPort* m_pParallel[2] = {};
    CUsbPrinterPort* m_pUsb[2] = {};
    int m_nFoundDrive = kFoundDriveStart;
    bool m_bFlashing[2] = {};
    bool m_bProbed[2] = {};
    std::vector<CUsbPrinterPort*> m_candidates;
    std::unique_ptr<CUsbPool> m_pPool;
    std::string m_strReadPrinterBSerial;
};

} // namespace dax
