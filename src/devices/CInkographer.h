#pragma once

#include "devices/CTransporter.h"

#include <cstdint>
#include <string>

namespace dax {

class CTransporterPort;

// The stand-alone disc printer with its own small disc handler. It speaks the serial command
// language with a command set of its own: one printer sense code, the ESC "!m" settings, print
// starts with ESC "!t", ESC "!s" and ESC "!f3", print data over the link itself. Almost every
// command is sent without an answer and judged by the sense that follows it.
class CInkographer : public CTransporter {
public:
    static constexpr int kRevisionOtp = 4010;
    static constexpr int kRevisionPocketCalibration = 4090;
    static constexpr int kRevisionFlashModel1 = 5000;
    static constexpr int kRevisionCounters = 5021;
    static constexpr int kRebootDelaySeconds = 5;

    // Sense time-out (seconds) of Request Sense when it is asked for the default.
    static constexpr int kSenseTimeoutDefault = 20;
    // State of ROTATOR that tells there is no disc handler: discs go on the tray by hand.
    static constexpr int kStateManualLoading = 2;

    // Highest values the printer's settings take; more is sent as the limit.
    static constexpr int kMaxLeftMargin = 10;
    static constexpr int kMaxTopMargin = 150;
    static constexpr int kMaxRotationalOffset = 64;

    static constexpr uint32_t kFlashImageSize = 65536;
    static constexpr uint32_t kPrintPiece = 64;

    static constexpr char kPlaceDiscText[] = "Place disc on printer tray";
    static constexpr char kDiscNotPlaced[] = "The disc was not placed on the printer tray";
    static constexpr char kOtpText[] = "OTP firmware is running";

    // The product name the printer answers the inquiry with.
    static constexpr char kProductName[] = "CD-R Inkographer";

    explicit CInkographer(CTransporterPort* port, Clock& clock, Interaction& interaction);
    ~CInkographer() override;

    void Initialize() override;
    bool RequestSense(int seconds, uint16_t* transporterSense, uint16_t* printerSense) override;
    bool SetTopMargin(int value) override;
    bool SetLeftMargin(int value) override;
    bool SetRotationalOffset(int offset) override;
    bool SetPocketOffset(int offset) override;
    bool SetMediaSize(int sizeCode) override;
    // angle: where the printer turns the disc before printing; negative: no turn.
    bool LoadPrinter(int angle) override;
    bool ReloadPrinter(int angle) override;
    bool LoadPocketDisc(bool fromBin) override;
    bool UnloadPrinter() override;
    bool CheckFlashFile(const uint8_t* image, uint32_t length) override;
    bool BeginFlash(uint32_t length) override;
    bool SendFlashData(const uint8_t* data, uint32_t length) override;
    // Only the printer serial exists; the transporter serial comes back empty.
    bool GetSerialNumbers(std::string& transporterSerial, std::string& printerSerial) override;
    // Stores the printer serial; the transporter serial is not sent.
    bool SetSerialNumbers(const std::string& transporterSerial,
                          const std::string& printerSerial) override;
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
    int GetPrinterKind() override;

    // Sends a command without an answer, then asks for sense: true exactly when the printer
    // reports sense 0 afterwards. `unconfirmed`, when given, says whether it failed without a
    // sense to judge by (the command may have been carried out).
    bool SendAndCheck(const std::string& command, bool* unconfirmed = nullptr);
    // Read Element Status: the state digit; false when refused or not answered.
    bool QueryElement(int element, int& state);
    // Error text from the printer sense code: "Inkographer: ..." or empty.
    void FormatPrinterError();

    bool ManualLoading() const { return m_bManualLoading; }
    CTransporterPort* GetPort() const { return m_pPort; }

private:
    bool SendSetting(const char* format, int value);
    // Writes a command without reading an answer; false with the link's text.
    bool SendNoAnswer(const std::string& command);
    // After `command` was refused: Request Sense and, when it answered, the printer's text;
    // a printer that reports nothing wrong still leaves a text saying the command was not done.
    void SenseAfterRefusal(const std::string& command);
    // A command with a 6-byte acknowledgement; a refusal's reason from the sense.
    bool ExchangeAcknowledged(const std::string& command, uint32_t seconds);

    CTransporterPort* m_pPort;
    int m_nSenseTimeout = kSenseTimeoutDefault;
    bool m_bManualLoading = false;
};

} // namespace dax
