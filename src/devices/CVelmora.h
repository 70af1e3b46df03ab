#pragma once

#include "devices/CTransporter.h"
#include "devices/ElementMap.h"
#include "devices/PrinterAccess.h"
#include "devices/ProductRecognition.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace dax {

class CTransporterPort;
class CUsbPool;
class CUsbPrinterPort;
class Identification;

// The main transporter family, and the base of the dual-printer transporter. Construction reads
// the product, the printer and the firmware revisions from the shared inquiry buffer; Initialize
// probes the robot's configuration and its printer. Every other operation talks to the
// transporter through the port, which the device borrows and never owns.
class CVelmora : public CTransporter {
public:
    static constexpr int kRebootDelaySeconds = 10;

    // Firmware revision gates (revision text 3.07 is 3070).
    static constexpr int kRevisionNewFirmware = 3000; // below: old programming command
    static constexpr int kRevisionOtpBelow = 2000;    // below: OTP firmware
    static constexpr int kRevisionOtpLast = 3040;     // 3000-3040: OTP firmware as well
    static constexpr int kRevisionBin4Probe = 3230;   // BIN4/DRIVE HOME configuration probe
    static constexpr int kRevisionDriveProbes = 3070; // DRIVE HOME and drive probes
    static constexpr int kRevisionPocketCalibration = 3209;
    static constexpr int kRevisionPrinterAlignProbe = 4000; // printer revision
    static constexpr int kRevisionSerialNumbers = 3070;
    static constexpr int kRevisionLoaderParams = 6013;
    static constexpr int kRevisionPrinterCounters = 5021; // printer revision
    static constexpr int kRevisionCountersOld = 3092;     // transporter: 3092-3999 ...
    static constexpr int kRevisionCountersOldEnd = 4000;  // (the first without them)
    static constexpr int kRevisionCountersNew = 4092;     // ... or 4092 and later

    // State digit of Read Element Status: what the probed element reports when it is not fitted.
    static constexpr int kStateAbsent = 2;
    // State digit of the mailbox while a disc sits in it.
    static constexpr int kStateMailboxFull = 1;

    // Pauses of Initialize's printer probe.
    static constexpr uint32_t kAlignStartMs = 7000;
    static constexpr uint32_t kAlignPollMs = 500;
    static constexpr uint32_t kAlignPollSeconds = 30;
    // A printer that reports busy for longer than this many polls (about two minutes) is taken
    // as not supporting the alignment passes, so start-up cannot wait forever.
    static constexpr int kAlignMaxPolls = 240;
    static constexpr uint32_t kDrawerSettleMs = 1000;

    // SaveSettings waits for the restarted transporter: this many more Request Senses, each
    // after this pause.
    static constexpr int kRestartSenseRetries = 10;
    static constexpr uint32_t kRestartSensePauseMs = 2000;

    static constexpr uint32_t kLedPauseMs = 500;
    static constexpr uint32_t kMailboxFullPauseMs = 1000;
    static constexpr uint32_t kMailboxCyclePauseMs = 100;

    // Print data go out in pieces of at most these sizes.
    static constexpr uint32_t kUsbPrintPiece = 1024;
    static constexpr uint32_t kLinkPrintPiece = 64;
    // Write time-out of print data on the link: a constant and a per-byte part.
    static constexpr uint32_t kPrintWriteConstantMs = 10000;
    static constexpr uint32_t kPrintWritePerByteMs = 100;

    // USB printer probe: how long the drawer takes to come out, and to go back in.
    static constexpr uint32_t kUsbDrawerOpenMs = 5000;
    static constexpr uint32_t kUsbDrawerCloseMs = 4000;

    // The Morrane printer's end-of-print wait.
    static constexpr uint32_t kMorranePollMs = 500;
    static constexpr uint32_t kMorraneSenseRetryMs = 5000;
    static constexpr uint32_t kMorraneIdlePauseMs = 2000;
    static constexpr int kMorraneMaxPasses = 600;
    static constexpr int kMorraneMaxCode3 = 60;

    static constexpr char kGridNotOnMorrane[] =
        "The calibration grid cannot be printed on a Morrane printer";
    // An alignment file is one disc's print data; anything larger is not one, and is not read
    // whole into memory.
    static constexpr uint64_t kMaxAlignmentFileBytes = 64u << 20;

    static constexpr int kMaxBeeps = 9;
    static constexpr size_t kDisplayNameLength = 16;

    static constexpr char kSettingsNotStored[] = "Settings not stored - ";
    static constexpr char kSerialNotPrintable[] =
        "SetSerialNumbers failed - serial numbers may hold only printable ASCII characters";
    static constexpr char kNameNotPrintable[] =
        "SetVaultekParams failed - the display name may hold only printable ASCII characters";

    // Firmware programming. CheckFlashFile reads no further into an image than this; the
    // caller passes at least min(length, kFlashHeaderSize) bytes.
    static constexpr uint32_t kFlashHeaderSize = 4096;
    // Old firmware is always told kOldFirmwareFlashSize bytes: the image, filled up to this
    // many bytes, then the 2-byte checksum. A longer image would overrun what was announced.
    static constexpr uint32_t kOldFirmwareImageLimit = 65532;
    static constexpr char kFlashImageEmpty[] = "Flash image is empty";
    static constexpr char kFlashImageTooLarge[] =
        "Flash image is too large for this transporter's firmware";
    static constexpr char kFlashDataFailed[] = "Error sending flash data - ";

    CVelmora(CTransporterPort* port, Clock& clock, Interaction& interaction,
             PrinterAccess printers = {});
    ~CVelmora() override;

    void TestMailbox() override;
    void Initialize() override;
    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) override;
    bool SetTopMargin(int value) override;
    bool SetLeftMargin(int value) override;
    bool SetRotationalOffset(int offset) override;
    bool SetPocketOffset(int offset) override;
    bool SetMediaSize(int sizeCode) override;
    bool LoadPrinter(int bin) override;
    bool ReloadPrinter(int bin) override;
    bool LoadPocketDisc(bool fromBin1) override;
    bool UnloadPrinter() override;
    bool CheckFlashFile(const uint8_t* image, uint32_t length) override;
    bool BeginFlash(uint32_t length) override;
    bool SendFlashData(const uint8_t* data, uint32_t length) override;
    bool GetSerialNumbers(std::string& transporterSerial, std::string& printerSerial) override;
    bool GetPrinterSerial2(std::string& serial) override;
    bool SetSerialNumbers(const std::string& transporterSerial,
                          const std::string& printerSerial) override;
    bool SetPrinterSerial2(const std::string& serial) override;
    // Stores the settings (with `store`), restarts the transporter and waits until it answers
    // again. False when it stays silent after the restart.
    bool SaveSettings(bool store) override;
    void FlashLeds(int count) override;
    bool SendPrintData(const uint8_t* data, uint32_t length) override;
    const std::string& GetPrinterSenseText() override;
    const std::string& GetSenseText() override;
    bool OpenPrinterDrawer() override;
    int GetRebootDelay() override;
    bool SendPrePrint() override;
    int GetPrinterCounter(int printer, int counter) override;
    uint32_t GetPattern(int pattern, const uint8_t** data) override;
    void ReleasePattern() override;
    int GetPrinterKind() override;
    bool WaitPrintComplete() override;
    bool HasVaultekParams() override;
    bool SetVaultekParams(const std::string& displayName, bool enableShutdown, bool overrideName,
                          bool useComputerName, int beeps) override;
    bool GetVaultekParams(std::string& displayName, bool& enableShutdown, bool& overrideName,
                          bool& useComputerName, int& beeps) override;

    // Sends a command (escape byte included) and reads its 6-byte acknowledgement. A refusal
    // asks Request Sense and leaves "Transporter: ..." or "Printer: ..." in the error text.
    virtual bool SendCommand(const std::string& command, uint32_t seconds);
    // Announces a new rate to the transporter; the caller then changes the port's own rate.
    virtual bool SetBaudRate(uint32_t baud);
    // Position Medium at an element with an action character (kActionNone, kActionPut,
    // kActionGet, kActionUsbProbe). The move may take up to a minute whatever `seconds` says.
    virtual bool PositionMedium(int element, char action, int seconds);
    virtual bool OpenCloseElement(int element, bool open);
    // State digit and (when `value` is given) five-digit value of an element. Both are stored
    // even when the transporter refuses. Start-up firmware of boot-capable models cannot answer:
    // false, nothing sent, error text unchanged.
    virtual bool ReadElementStatus(int element, int& state, int* value = nullptr);
    // Error text from the last sense codes.
    virtual void FormatSenseError();

    // Whether an image of this length can be programmed the way BeginFlash would announce it;
    // false, with the reason in the error text, for an empty image and, on old firmware, for
    // an image longer than kOldFirmwareImageLimit. Nothing is sent. BeginFlash asks it too.
    bool FitsProgrammingSize(uint32_t imageLength);

    // Whether the port is this transporter's printer: its drawer is opened through it and the
    // transporter asked whether it sees its printer drawer out. The first port that says yes
    // becomes the device's USB printer port.
    bool ProbeUsbPrinter(CUsbPrinterPort* port);

    CTransporterPort* GetPort() const { return m_pPort; }
    // The USB printer port matched to this transporter; null: print data go over the link.
    CUsbPrinterPort* GetUsbPrinterPort() const { return m_pUsbPrinterPort; }

    // Model and configuration, set by construction and Initialize; read by the dialogs and the
    // derived families.
    bool m_bOldFirmwareModel = false;
    bool m_bBasicConfig = false;
    bool m_bDrive3Config = false;
    bool m_bDrive1Config = false;
    bool m_bBin4Config = false;
    bool m_bLoaderModel = false;
    bool m_bQT6400Model = false;
    bool m_bK6400Model = false;
    bool m_bK6800Model = false;
    bool m_bBuiltInPrinterModel = false;
    bool m_bBootCapableModel = false;
    bool m_bMoltrianLoader = false;
    bool m_bShortStatus = false;
    bool m_bMorranePrinter = false;
    bool m_bMorraneDKPR21 = false;
    bool m_bMorraneDKPR22 = false;

protected:
    // A printer image (identification at 160, or at 0 for `familyToo` false) fits the printer
    // behind this transporter; the refusal's reason is kept.
    bool PrinterImageFits(const uint8_t* image, uint32_t readable, uint32_t length,
                          bool familyToo = true);
    // The transporter's product name, as refusals of an image name it.
    std::string FlashProductName() const;

    // Where Initialize finds which USB printer belongs to this transporter: every USB printer
    // port that opens and takes the close-drawer command is probed in pool order until one
    // matches; the printer count then becomes 1.
    virtual void MatchUsbPrinter();
    // Writes a raw sequence to the link, no answer read; false with the port's text.
    bool WriteRaw(const char* bytes, uint32_t length);

    // Exchange with the port; false with the port's text (behind `prefix`) in the error text.
    bool ExchangeOrFail(const std::string& command, void* answer, uint32_t answerLength,
                        uint32_t seconds, const std::string& prefix = {});
    // After a refusal of `command`: Request Sense and, when it answered, the sense text as error
    // text. False when the sense could not be read; noFault when it reports nothing wrong.
    bool SenseAfterRefusal(const std::string& command, bool* noFault = nullptr);
    // After a restart: Request Sense until the transporter answers, a few times with a pause;
    // false with kNoAnswerAfterRestart when it stays silent.
    bool WaitForRestart();
    // Request Sense, then the command with the settings time-out.
    bool SendSetting(const std::string& command);
    // One command of a store of serial numbers or loader parameters, as SendCommand. `taken`
    // says whether an earlier command of the same store was confirmed, and becomes true when
    // this one is; a failure other than a clean refusal of the store's first taken value sets
    // m_bStoreOutcomeUnknown.
    bool SendStore(const std::string& command, uint32_t seconds, bool& taken);
    // One stored text of 8 characters. A link failure leaves the port's text behind `prefix`
    // in the error text, a refusal the sense text.
    enum class StoredRead { Read, LinkFailed, Refused };
    StoredRead ReadStoredText(int area, uint32_t seconds, const std::string& prefix,
                              std::string& text);
    // The inquiry answer this device was made from.
    const InquiryBuffer& Inquiry() const { return m_inquiry; }

    CTransporterPort* m_pPort;
    PrinterAccess m_printers;

private:
    void ReadModel(const Identification& id);
    void ReadPrinter(const Identification& id);
    void ProbeConfiguration();
    void ProbePrinterAlignPasses();
    // Reads an element; true when it answered, with its state.
    bool Probe(int element, int& state);

    // Flash-file rules: images for loaders and Moltrian models (decided: true, result in
    // `fits`), and the general transporter image.
    bool CheckLoaderImage(const uint8_t* image, uint32_t readable, bool& fits);
    bool CheckGeneralImage(const uint8_t* image, uint32_t readable, uint32_t length);
    bool OnMorranePath() const;

    // Texts as the device last reported them: they may go back unchanged.
    std::string m_strReadTransporterSerial;
    std::string m_strReadPrinterSerial;
    std::string m_strReadDisplayName;

    bool WaitForMorranePrint();
    bool SendPrintDataUsb(const uint8_t* data, uint32_t length);
    bool SendPrintDataLink(const uint8_t* data, uint32_t length);
    // Moves a disc to the printer: `get` from where it comes, then PUT at PRINTER (or the
    // rotator's load with a bin).
    bool MoveDiscToPrinter(int getElement, int bin);
    // The Morrane alignment file for this printer and element 270's value; 0 bytes and the
    // reason in the error text when there is none.
    uint32_t LoadAlignmentFile(const uint8_t** data);
    std::string FindAlignmentFile(const std::string& name);

    // The product name is the start-up firmware's own ("KORVIX BOOT     ").
    bool m_bBootProductName = false;
    // The inquiry answer this device was made from: the flash-file check compares its raw
    // identification bytes, whichever transporter the shared buffer describes later.
    const InquiryBuffer m_inquiry = SharedInquiry();
    // Bytes announced by BeginFlash and sent since; image bytes go out only while the last
    // BeginFlash was acknowledged.
    bool m_bFlashOpen = false;
    uint32_t m_nFlashAnnounced = 0;
    uint32_t m_nFlashSent = 0;

    // Pattern data loaded from a file by GetPattern, until ReleasePattern.
    std::vector<uint8_t> m_patternBuffer;
    std::unique_ptr<CUsbPool> m_pUsbPool;
    CUsbPrinterPort* m_pUsbPrinterPort = nullptr;
};

} // namespace dax
