#pragma once

#include "devices/Interaction.h"
#include "platform/Clock.h"

#include <cstdint>
#include <string>
#include <utility>

namespace dax {

// Abstract base of every device class. It holds what the dialogs read (identification, firmware
// revisions, capability flags, sense codes, the last error text) and the virtual operations
// through which the dialogs drive any device, in their fixed order.
class CTransporter {
public:
    // RequestSense's "use the class default" time-out.
    static constexpr int kDefaultTimeout = -1;
    static constexpr int kPrintWaitRounds = 30;
    static constexpr uint32_t kPrintWaitPollMs = 1000;
    // Time-out of each status poll of WaitPrintComplete, so a silent link cannot hang it.
    static constexpr int kPrintWaitSenseSeconds = 10;
    // Settings were sent and the transporter restarted to take them, but nothing answered after.
    static constexpr char kNoAnswerAfterRestart[] =
        "Settings sent, but the transporter did not answer after its restart";

    CTransporter(Clock& clock, Interaction& interaction);
    virtual ~CTransporter();
    CTransporter(const CTransporter&) = delete;
    CTransporter& operator=(const CTransporter&) = delete;

    virtual void TestMailbox();
    virtual int SelectPrinter(int printer);
    virtual bool SupportsAlignPasses();
    virtual void Initialize() = 0;
    // seconds -1: the class default. Either out argument may be null.
    virtual bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) = 0;
    virtual bool SetTopMargin(int value) = 0;
    virtual bool SetLeftMargin(int value) = 0;
    virtual bool SetRotationalOffset(int offset) = 0;
    virtual bool SetPocketOffset(int offset) = 0;
    virtual bool SetMediaSize(int sizeCode) = 0;
    // bin -1: none.
    virtual bool LoadPrinter(int bin) = 0;
    virtual bool ReloadPrinter(int bin) = 0;
    virtual bool LoadPocketDisc(bool fromBin1) = 0;
    virtual bool UnloadPrinter() = 0;
    virtual bool CheckFlashFile(const uint8_t* image, uint32_t length) = 0;
    virtual bool BeginFlash(uint32_t length) = 0;
    virtual bool SendFlashData(const uint8_t* data, uint32_t length) = 0;
    virtual bool GetSerialNumbers(std::string& transporterSerial, std::string& printerSerial) = 0;
    virtual bool GetPrinterSerial2(std::string& serial);
    virtual bool SetSerialNumbers(const std::string& transporterSerial,
                                  const std::string& printerSerial) = 0;
    virtual bool SetPrinterSerial2(const std::string& serial);
    virtual bool SaveSettings(bool store) = 0;
    virtual void FlashLeds(int count) = 0;
    virtual bool SendPrintData(const uint8_t* data, uint32_t length) = 0;
    virtual const std::string& GetPrinterSenseText() = 0;
    virtual const std::string& GetSenseText() = 0;
    virtual bool OpenPrinterDrawer() = 0;
    virtual int GetRebootDelay() = 0;
    virtual bool SendPrePrint() = 0;
    // -1: not available.
    virtual int GetPrinterCounter(int printer, int counter);
    // Length of the pattern's data, 0 when there is none; *data stays valid until ReleasePattern.
    virtual uint32_t GetPattern(int pattern, const uint8_t** data);
    virtual void ReleasePattern();
    virtual int GetPrinterKind();
    virtual bool WaitPrintComplete();
    virtual bool HasVaultekParams();
    virtual bool SetVaultekParams(const std::string& displayName, bool enableShutdown,
                                  bool overrideName, bool useComputerName, int beeps);
    virtual bool GetVaultekParams(std::string& displayName, bool& enableShutdown,
                                  bool& overrideName, bool& useComputerName, int& beeps);

    const std::string& GetErrorText() const { return m_strError; }
    // Running 16-bit sum of the bytes SendFlashData sent since BeginFlash; old firmware takes
    // it after the image, high byte first.
    uint16_t GetFlashChecksum() const { return m_nFlashChecksum; }

    // Identification and state, read by the dialogs.
    int m_nTransporterRevision = 0;
    int m_nRevisionSuffix = 0;
    int m_nPrinterRevision = 0;
    std::string m_strTransporterId;
    std::string m_strPrinterId;
    std::string m_strTransporterSenseText;
    std::string m_strPrinterSenseText;
    std::string m_strError;
    bool m_bStandAlonePrinter = false;
    bool m_bOtpFirmware = false;
    bool m_bAlignPasses = false;
    bool m_bRotator = false;
    bool m_bMailbox = false;
    bool m_bWritableSettings = false;
    bool m_bGridPrintable = true;
    bool m_bPocketCalibration = false;
    bool m_bOldFirmware = false;
    bool m_bLedFlashing = false;
    bool m_bCalibration = true;
    bool m_bSerialNumbers = true;
    bool m_bPrinterFirmwareFile = false;
    bool m_bPrinterSerialEditable = true;
    bool m_bMarginsEditable = true;
    int m_nPrinters = 0;
    int m_nSelectedPrinter = 0;
    uint16_t m_nTransporterSense = 0;
    uint16_t m_nPrinterSense = 0;
    uint16_t m_nFlashChecksum = 0;
    // The transporter code of the first Request Sense that Initialize made, when it made one:
    // after a restart it says whether the firmware just programmed was taken.
    bool m_bStartSenseRead = false;
    uint16_t m_nStartTransporterSense = 0;
    // A failed BeginFlash whose command may have been taken: its answer was lost or unreadable
    // and nothing answered after it, so the device may be waiting for image data.
    bool m_bProgrammingStateUnknown = false;
    // Why the last CheckFlashFile refused its image ("the image is for ..., this transporter
    // is ..."); empty when it accepted it.
    std::string m_strFlashMismatch;
    // The last GetSerialNumbers was refused without asking: this firmware keeps no serial
    // numbers (OTP, too old), which is no failed read.
    bool m_bNoSerialNumbersKept = false;
    // Set by a store of serial numbers or loader parameters that failed after a value may have
    // been taken: a command's answer was lost or unreadable, or an earlier command of the same
    // store was confirmed. What the device holds is then unknown. The caller clears it.
    bool m_bStoreOutcomeUnknown = false;
    // Door cycles (open and close) that the last mailbox test completed.
    int m_nMailboxCycles = 0;

protected:
    // CheckFlashFile's refusal, with its reason.
    bool RefuseFlashImage(std::string why) {
        m_strFlashMismatch = std::move(why);
        return false;
    }

    Clock& m_clock;
    Interaction& m_interaction;
};

} // namespace dax
