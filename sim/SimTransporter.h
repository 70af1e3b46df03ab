#pragma once

#include "Command.h"
#include "Elements.h"
#include "FirmwareImage.h"
#include "FlashReceiver.h"
#include "Profile.h"
#include "SimHalcyra.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace dax::sim {

// What the transporter does with one command: the answer to send and what happens after it.
struct SReply {
    bool send = false;
    std::string answer;
    int newBaud = 0;            // switch to this rate after the answer
    bool restart = false;       // go silent for the reboot time after the answer
    std::size_t flashBytes = 0; // this many raw bytes of firmware follow
    EFlashTarget flashTarget = EFlashTarget::Transporter;
    bool flashChecksummed = false; // the old firmware's fixed frame with its checksum
    bool settingsChanged = false;  // an offset, margin or media size was taken, or stored
};

// The printer's calibration settings. ESC "!f4%03dC" sets the offset of the media size in use:
// the rotational offset for plain discs (media 0), the pocket disc's own for media 4, 5 and 6
// (63, 61 and 58 mm), which the firmware keeps at once; the others are kept by ESC "!h1C".
struct SSettings {
    static constexpr int kDefaultOffset = 32;
    int rotationalOffset = kDefaultOffset;
    int pocketOffsets[3] = {kDefaultOffset, kDefaultOffset, kDefaultOffset}; // media 4, 5, 6
    int leftMargin = 5;
    int topMargin = 75;
    int mediaSize = 0;

    int& Offset() { return mediaSize >= 4 ? pocketOffsets[mediaSize - 4] : rotationalOffset; }
};

// The transporter firmware and the printer behind it, as the host sees them through the command
// language. Knows nothing of pseudo-terminals, rates on the line or time.
class CSimTransporter {
public:
    explicit CSimTransporter(const SDeviceConfig& config);

    SReply Handle(const SCommand& command);

    // The answer of a refused command: its own form with byte 4 '0'; the codes become the sense.
    SReply Refuse(const SCommand& command, int transporterSense, int printerSense);

    // Bytes in the full answer, the inquiry's identification included (for garbage of that size).
    int AnswerLength(const SCommand& command) const;

    int Baud() const { return m_nBaud; }
    void SetBaud(int baud) { m_nBaud = baud; }

    // After the reboot time: settings not stored with ESC "!h1C" are lost, and firmware taken
    // since the last restart runs.
    void Restarted();
    // Programming ended without a usable image.
    void FlashFailed() { SetSense(16, 0); }
    // A good image was programmed; it runs after the restart. Without an identification in the
    // image the device keeps the one it has.
    void StageFirmware(EFlashTarget target, const std::optional<SImageIdentification>& id);

    // The firmware before 3.00 takes images only in the checksummed frame; the start-up firmware
    // takes them as announced whatever its revision.
    bool OldFirmware() const;

    // The settings in use, and those stored with ESC "!h1C" that a restart goes back to.
    const SSettings& Working() const { return m_working; }
    const SSettings& Stored() const { return m_stored; }

    // The identification and features of the firmware now running.
    const SDeviceConfig& Config() const { return m_config; }

    // Printer bytes on the serial link reach the printer only through firmware that passes them.
    bool PassesPrintData() const;
    // The printer's drawer, opened or closed by the printer's own command from any of its ports.
    // printer: 0 = A, 1 = B on the dual-printer transporter, whose printers have a drawer each.
    void SetPrinterDrawer(bool open, int printer = 0);
    // ESC "!a3H" outside a print: the printer checks whether it can print the align passes.
    void PrinterSelfCheck(int printer = 0);
    // A print job has been printed: it is counted, and the status polls of the host's wait for
    // the end of the print see the printer busy (or a Morrane printer's codes) first.
    void PrintFinished(int printer = 0);
    long PrintCount(int printer = 0) const;
    // A good printer image arrived on a printer's own port: it runs the image's revision.
    void ProgramPrinter(int printer, const std::optional<SImageIdentification>& id);

    // The dual-printer transporter's own state; null on the others.
    const CSimHalcyra* Halcyra() const { return m_halcyra.get(); }

private:
    SReply Ack(const SCommand& c, int sense);
    // The stand-alone disc printer's command set (SimInkographer.cpp).
    // Nothing for the commands it shares with the transporters (inquiry, rate, programming).
    std::optional<SReply> HandleInkographer(const SCommand& c);
    SReply InkSense();
    SReply InkSetting(const SCommand& c);
    SReply InkMove(const SCommand& c);
    SReply InkCounter(const SCommand& c, bool valid);
    std::optional<SReply> HandleHalcyra(const SCommand& c);
    SReply ReadText(const SCommand& c);
    SReply StoreText(const SCommand& c);
    SReply Setting(const SCommand& c, long low, long high, int& value);
    SReply Baud(const SCommand& c);
    SReply Counter(const SCommand& c);
    SReply Sense(bool shortForm);
    bool Knows(ECommand kind) const;
    bool HasArea(int area) const;
    std::string* Area(int area);
    void SetSense(int transporterSense, int printerSense);
    bool NormalPrinter() const { return m_config.printer == EPrinter::Normal; }
    void RunNewFirmware();

    SDeviceConfig m_config;
    CElements m_elements;
    int m_nBaud;
    int m_nTransporterSense;
    int m_nPrinterSense;
    int m_nBusyPolls = 0;           // printer sense 2 after the printer's self-check
    int m_nPrintBusyPolls = 0;      // transporter and printer sense 2 after a print
    bool m_bPrintEnded = false;     // the poll after the busy ones reports the end-of-print sense
    std::deque<int> m_morraneCodes; // printer sense codes of a Morrane printer's print wait
    bool m_bLeds = false;
    SSettings m_working;
    SSettings m_stored;
    std::string m_strSerial;
    std::string m_strPrinterSerial;
    std::string m_strParams;
    std::string m_strName1;
    std::string m_strName2;

    struct SStagedFirmware {
        EFlashTarget target;
        std::optional<SImageIdentification> id;
    };
    std::optional<SStagedFirmware> m_staged;
    std::unique_ptr<CSimHalcyra> m_halcyra;
};

} // namespace dax::sim
