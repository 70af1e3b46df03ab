#pragma once

#include "FaultRules.h"

#include <map>
#include <string>
#include <vector>

namespace dax::sim {

// Where the element probes of the host land: each configuration is a set of element states.
enum class EConfiguration { Basic, Drive1, Drive3, Bin4, ShortStatus };

enum class EPrinter { None, Normal, Morrane };

// A fixed element answer given with --set element.NNN=...
struct SElementSetting {
    bool present = true;
    int state = -1; // -1: the state follows the discs in the element
    int value = -1; // -1: the element's own value (disc count of a bin)
};

// Everything that makes one simulated device: the profile fills it, --set changes single fields.
struct SDeviceConfig {
    std::string profile;
    std::string description;

    // Transporter identification.
    std::string name = "DISC TRANSPORTER"; // 16 characters, space-padded
    std::string revision = "3.25";         // d.dd or d.ddd
    char suffix = 'A';
    std::string serial = "TS100001";
    int baud = 38400;
    int idCount = -1; // identification bytes sent after the head; -1: 32, or 64 with a printer

    // The stand-alone disc printer: its own command set (sense ESC "!r3C", settings ESC "!m"),
    // no transporter behind it; `rotator` then says whether its disc handler is fitted.
    bool inkographer = false;

    // The dual-printer transporter: two grippers, recorder drives 241-250, printers A (260) and
    // B (261), each printing through a port of its own (SHalcyraConfig).
    bool halcyra = false;

    EConfiguration configuration = EConfiguration::Basic;
    bool rotator = true;
    bool mailbox = false;
    bool bootFirmware = false; // start-up firmware: inquiry, sense, rate, programming only
    bool shortSense = false;   // answers ESC "!f0C"

    // Printer behind the transporter.
    EPrinter printer = EPrinter::Normal;
    bool builtInPrinter = false; // no separate printer serial-number area
    std::string printerName = "DISC PRINTER";
    std::string printerModel = "DP4000";
    std::string printerRevision = "3.50";
    char printerSuffix = 'A';
    std::string printerSerial = "PS200001";
    bool alignPasses = false; // accepts ESC "!a3H"
    int alignBusyPolls = 2;   // Request Senses that report the printer busy after ESC "!a3H"
    long counters[3] = {1234, 56, 789}; // print, ribbon, image; a finished print job counts

    // Printing.
    int printBusyPolls = 1;                     // status polls that see the print still running
    int printEndTransporterSense = 0;           // and the sense the poll after them reports
    int printEndPrinterSense = 0;               //
    std::vector<int> morraneCodes = {3, 3, 21}; // a Morrane printer's codes during its print wait
    bool lpt1 = false, lpt2 = false;            // parallel printer ports
    std::string usbEntry = "vid_044e&pid_200a#SIM0"; // name of the USB printer's entry
    int bin1Discs = 25;
    long pocketValue = 10; // element 270's value: last digit 0 or 1 colour, 2 monochrome

    // Loader parameters (areas 099, 100, 101).
    bool loaderParams = false;
    std::string paramFlags = "10020"; // shutdown, override, override, beeps, computer name
    std::string displayName = "";

    // Behaviour.
    bool pace = false; // read no faster than the line rate
    int rebootMs = 2000;
    int flashTimeoutMs = 30000;
    bool wrongRateGarbage = false;
    unsigned seed = 1;
    int initialTransporterSense = 0;
    int initialPrinterSense = 0;
    std::map<int, SElementSetting> elements; // from --set element.NNN
    CFaultRules faults;

    struct SHalcyraConfig {
        int printers = 2;
        // The printer on each USB port, in the ports' name order, and on lpt1 and lpt2: 'A' or
        // 'B', '-' for a printer that is not this transporter's; lpt 0 when the port is absent.
        std::string usbPorts = "AB";
        char lpt1 = 0;
        char lpt2 = 0;
        int openDrive = 243;   // the recorder drawer that is out; 0: none
        long driveHeight = -1; // picker height FIND reports at it; -1: the drive's middle
        std::string printerBSerial = "PB200002";
        std::string printerBRevision = "5.30";
        long printerBCounters[3] = {4321, 65, 987};
        int initialPrinterBSense = 0;
        bool alignB = true; // printer B prints the align passes (printer A: alignPasses)
    } hal;
};

struct SProfileInfo {
    const char* name;
    const char* description;
};

// Every profile with its one-line description, in the order --list-profiles prints them.
const std::vector<SProfileInfo>& ProfileList();

// Fills config with the named profile; false when there is no such profile.
bool LoadProfile(const std::string& name, SDeviceConfig& config);

// Applies one --set KEY=VALUE; on false, error says what is wrong with it.
bool ApplySetting(const std::string& assignment, SDeviceConfig& config, std::string& error);

// Text for --help: the keys --set knows.
const char* SettingsHelp();

// What a 240x shows in its normal firmware and not in its start-up firmware: mailbox, built-in
// printer, loader parameters. Used when the start-up firmware takes a 240x image.
void AddNormal240xFeatures(SDeviceConfig& config);

// The identification count the inquiry head announces.
int IdentificationCount(const SDeviceConfig& config);

} // namespace dax::sim
