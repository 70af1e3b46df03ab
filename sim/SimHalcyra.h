#pragma once

#include "Command.h"
#include "Profile.h"

#include <map>
#include <optional>
#include <string>

namespace dax::sim {

// One printer of the dual-printer transporter: its identification, what it keeps, and what its
// next sense field reports.
struct SHalcyraPrinter {
    struct SSettings {
        int rotationalOffset = 32;
        int leftMargin = 5;
        int topMargin = 75;
    };

    bool present = false;
    std::string serial;
    long counters[3] = {0, 0, 0};
    SSettings working;
    SSettings stored;
    bool drawerOut = false; // opened with ESC "!d0C" on its own port
    bool alignPasses = false;
    int sense = 0;
    int alignBusyPolls = 0; // after its self-check: busy, then 13 without the align passes
    bool alignVerdict = false;
    int printBusyPolls = 0;  // after a print job
    bool printEnded = false; // the poll after them reports the end-of-print sense
};

// The dual-printer transporter's mechanics and printers as its firmware sees them: bins, two
// grippers, recorder drives 241-250 (one of whose drawers may be out), printers A (260) and B
// (261). The picker learns a drive's height when FIND at DRIVE HOME finds its open drawer, and a
// printer answers FIND only while its drawer is out, which is how the host tells its ports apart.
class CSimHalcyra {
public:
    static constexpr int kPrinterA = 260;
    static constexpr int kPrinterB = 261;

    explicit CSimHalcyra(const SDeviceConfig& config);

    // Answers and refusal codes for the commands that are this transporter's own; nothing for
    // the ones it shares with the other transporters (inquiry, rate, programming, restart).
    struct SResult {
        int sense = 0; // transporter sense of a refusal, 0 when carried out
        int printerSense = 0;
        std::string answer; // when the command has an answer other than form A
        bool settingsChanged = false;
    };
    std::optional<SResult> Handle(const SCommand& c);
    // A command that names a printer's element makes it the printer the next refusal's code
    // and the printer commands on the serial link go to.
    void Address(const SCommand& c);

    // The 14-byte sense: transporter code, then printer A's and B's (255 when absent).
    std::string Sense();
    // A refusal's codes: the printer code goes to the printer the command named last.
    void SetSense(int transporterSense, int printerSense);

    // Back from a restart: settings not stored are lost, conditions are cleared.
    void Restarted();

    // The printer the host addressed last by its element (index 0 = A, 1 = B).
    int Addressed() const { return m_nAddressed; }

    // The printer's own commands, from its port (index 0 = A, 1 = B).
    void SetDrawer(int printer, bool out);
    void SelfCheck(int printer);
    void PrintFinished(int printer);

    const SHalcyraPrinter& Printer(int index) const { return m_printers[index]; }
    long PickerHeight() const { return m_nPickerHeight; }

private:
    SResult Move(int element, char action);
    SResult Find(int element);
    SResult Status(int element);
    SResult Setting(const SCommand& c);
    SResult Counter(const SCommand& c);
    SHalcyraPrinter* PrinterAt(int element);
    // Discs in a place (bins, grippers, drives, printers); nothing for anything else.
    int* Place(int element);

    SDeviceConfig m_config;
    SHalcyraPrinter m_printers[2];
    std::map<int, int> m_discs; // discs per bin, drive and gripper
    int m_nTransporterSense = 0;
    int m_nAddressed = 0;
    long m_nPickerHeight = 0;
};

} // namespace dax::sim
