#include "Profile.h"

#include "Numbers.h"

namespace dax::sim {

namespace {

const std::vector<SProfileInfo> kProfiles = {
    {"basic", "general transporter, basic configuration, printer revision 3.50"},
    {"drive1", "general transporter, DRIVE1 configuration"},
    {"drive3", "general transporter, DRIVE3 configuration"},
    {"bin4", "general transporter, BIN4 configuration (revision 3.25)"},
    {"short-status", "general transporter in short-status mode (sense with ESC !f0C)"},
    {"printer", "general transporter with a printer of revision 5.21 that takes ESC !a3H"},
    {"qt6400", "loader model KORVIX QT6400, revision 6.20, with loader parameters"},
    {"moltrian3", "Moltrian III E06 loader, revision 3.10, with loader parameters"},
    {"240x-boot", "boot-capable 240x in its start-up firmware (KORVIX BOOT)"},
    {"240x", "boot-capable 240x in normal firmware (Korvix 240x), revision 6.15"},
    {"otp", "general transporter in OTP firmware, revision 3.03"},
    {"old-firmware", "general transporter with old firmware, revision 2.50"},
    {"morrane", "BIN4 transporter (suffix F) with a Morrane printer"},
    {"morrane-dkpr21", "BIN4 transporter (suffix F) with a Morrane DKPR21 printer"},
    {"morrane-dkpr22", "BIN4 transporter (suffix F) with a Morrane DKPR22 printer"},
    {"inkographer", "stand-alone disc printer CD-R Inkographer 5.21 with its disc handler"},
    {"inkographer-manual", "stand-alone disc printer 5.21 without disc handler (manual loading)"},
    {"halcyra", "QUENTAR CD XPTR 3.20 with two printers, each on its own USB port"},
    {"halcyra-1", "QUENTAR CD XPTR 3.20 with one printer on a USB port"},
    {"halcyra-lpt", "QUENTAR CD XPTR 3.20 with two printers on the parallel ports lpt1, lpt2"},
};

bool ValidRevision(const std::string& text) {
    if (text.size() != 4 && text.size() != 5)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (i == 1 ? text[i] != '.' : !digit)
            return false;
    }
    return true;
}

bool ParseBool(const std::string& text, bool& value) {
    if (text == "1" || text == "yes" || text == "true") {
        value = true;
        return true;
    }
    if (text == "0" || text == "no" || text == "false") {
        value = false;
        return true;
    }
    return false;
}

bool ParseSense(const std::string& v, int& transporter, int& printer) {
    const auto colon = v.find(':');
    long t = 0;
    long p = 0;
    if (!ParseNumber(v.substr(0, colon), 0, 999, t) ||
        (colon != std::string::npos && !ParseNumber(v.substr(colon + 1), 0, 999, p)))
        return false;
    transporter = static_cast<int>(t);
    printer = static_cast<int>(p);
    return true;
}

bool ParseCodes(const std::string& v, std::vector<int>& codes) {
    std::vector<int> out;
    std::size_t start = 0;
    while (start <= v.size()) {
        const auto comma = v.find(',', start);
        long code = 0;
        if (!ParseNumber(v.substr(start, comma - start), 0, 999, code))
            return false;
        out.push_back(static_cast<int>(code));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (out.size() > 1000)
        return false;
    codes = out;
    return true;
}

bool ParseElement(const std::string& text, SElementSetting& e) {
    if (text == "none") {
        e.present = false;
        return true;
    }
    const auto colon = text.find(':');
    long state = 0;
    if (!ParseNumber(text.substr(0, colon), 0, 9, state))
        return false;
    e.present = true;
    e.state = static_cast<int>(state);
    if (colon != std::string::npos) {
        long value = 0;
        if (!ParseNumber(text.substr(colon + 1), 0, 99999, value))
            return false;
        e.value = static_cast<int>(value);
    }
    return true;
}

bool* FlagField(SDeviceConfig& c, const std::string& key) {
    if (key == "rotator")
        return &c.rotator;
    if (key == "mailbox")
        return &c.mailbox;
    if (key == "boot")
        return &c.bootFirmware;
    if (key == "short_sense")
        return &c.shortSense;
    if (key == "builtin_printer")
        return &c.builtInPrinter;
    if (key == "align")
        return &c.alignPasses;
    if (key == "loader_params")
        return &c.loaderParams;
    if (key == "pace")
        return &c.pace;
    return nullptr;
}

void SetPrinterKind(SDeviceConfig& c, EPrinter kind) {
    c.printer = kind;
    const bool morraneName = c.printerName.rfind("MORRANE", 0) == 0;
    if (kind == EPrinter::Morrane && !morraneName)
        c.printerName = "MORRANE PRINTER";
    if (kind == EPrinter::Normal && morraneName)
        c.printerName = "DISC PRINTER";
}

bool PortPrinter(const std::string& v, char& printer) {
    if (v == "A" || v == "B")
        printer = v[0];
    else if (v == "other")
        printer = '-';
    else if (v == "none")
        printer = 0;
    else
        return false;
    return true;
}

// The keys of the dual-printer transporter; false when key is none of them. A bad value fills
// error and returns true.
bool ApplyHalcyraSetting(const std::string& key, const std::string& v, SDeviceConfig& c,
                         std::string& error) {
    auto bad = [&](const char* what) {
        error = "--set " + key + ": " + what + ", got '" + v + "'";
        return true;
    };
    auto& h = c.hal;
    long n = 0;
    if (key == "printers") {
        if (v != "1" && v != "2")
            return bad("1 or 2");
        h.printers = v[0] - '0';
    } else if (key == "usb_ports") {
        const std::string ports = v == "none" ? "" : v;
        if (ports.size() > 4 || ports.find_first_not_of("AB-") != std::string::npos)
            return bad("up to four of A, B and -, or none");
        h.usbPorts = ports;
    } else if (key == "lpt1" || key == "lpt2") {
        if (!PortPrinter(v, key == "lpt1" ? h.lpt1 : h.lpt2))
            return bad("A, B, other or none");
    } else if (key == "open_drive") {
        if (v == "none")
            h.openDrive = 0;
        else if (ParseNumber(v, 241, 250, n))
            h.openDrive = static_cast<int>(n);
        else
            return bad("a drive from 241 to 250, or none");
    } else if (key == "drive_height") {
        if (!ParseNumber(v, 0, 65535, n))
            return bad("a number from 0 to 65535");
        h.driveHeight = n;
    } else if (key == "printer_b_serial") {
        if (v.size() > 8)
            return bad("at most 8 characters");
        h.printerBSerial = v;
    } else if (key == "printer_b_revision") {
        if (!ValidRevision(v))
            return bad("a revision like 3.07 or 3.209");
        h.printerBRevision = v;
    } else if (key == "printer_b_count") {
        if (!ParseNumber(v, 0, 999999, n))
            return bad("a number from 0 to 999999");
        h.printerBCounters[0] = n;
    } else if (key == "sense_b") {
        if (!ParseNumber(v, 0, 999, n))
            return bad("a code from 0 to 999");
        h.initialPrinterBSense = static_cast<int>(n);
    } else if (key == "align_b") {
        if (!ParseBool(v, h.alignB))
            return bad("0 or 1");
    } else {
        return false;
    }
    return true;
}

} // namespace

const std::vector<SProfileInfo>& ProfileList() {
    return kProfiles;
}

int IdentificationCount(const SDeviceConfig& config) {
    if (config.idCount >= 0)
        return config.idCount;
    if (config.halcyra)
        return config.hal.printers == 2 ? 96 : 64;
    return config.printer == EPrinter::None ? 32 : 64;
}

bool LoadProfile(const std::string& name, SDeviceConfig& c) {
    const SProfileInfo* info = nullptr;
    for (const auto& p : kProfiles) {
        if (name == p.name)
            info = &p;
    }
    if (!info)
        return false;
    c = SDeviceConfig{};
    c.profile = info->name;
    c.description = info->description;

    if (name == "drive1") {
        c.configuration = EConfiguration::Drive1;
    } else if (name == "drive3") {
        c.configuration = EConfiguration::Drive3;
    } else if (name == "bin4") {
        c.configuration = EConfiguration::Bin4;
    } else if (name == "short-status") {
        c.configuration = EConfiguration::ShortStatus;
        c.shortSense = true;
    } else if (name == "printer") {
        c.printerRevision = "5.21";
        c.alignPasses = true;
    } else if (name == "qt6400") {
        c.name = "KORVIX QT6400";
        c.revision = "6.20";
        c.mailbox = true;
        c.loaderParams = true;
        c.displayName = "QT6400 LOADER";
        c.paramFlags = "11030";
    } else if (name == "moltrian3") {
        c.name = "Moltrian III E06";
        c.revision = "3.10";
        c.mailbox = true;
        c.printer = EPrinter::None;
        c.loaderParams = true;
    } else if (name == "240x-boot") {
        c.name = "KORVIX BOOT";
        c.revision = "1.00";
        c.bootFirmware = true;
        c.shortSense = true;
        c.builtInPrinter = true;
        c.printer = EPrinter::None;
    } else if (name == "240x") {
        c.name = "Korvix 240x";
        c.revision = "6.15";
        c.mailbox = true;
        c.builtInPrinter = true;
        c.printerName = "240x PRINTER";
        c.printerModel = "K240P";
        c.printerRevision = "2.10";
        c.loaderParams = true;
    } else if (name == "otp") {
        c.revision = "3.03";
    } else if (name == "old-firmware") {
        c.revision = "2.50";
        c.printerRevision = "2.00";
    } else if (name.rfind("inkographer", 0) == 0) {
        c.inkographer = true;
        c.name = "CD-R Inkographer";
        c.revision = "5.21";
        c.serial = "IG300001";
        c.printer = EPrinter::None;
        c.rotator = name == "inkographer";
    } else if (name.rfind("halcyra", 0) == 0) {
        c.halcyra = true;
        c.name = "QUENTAR CD XPTR";
        c.revision = "3.20";
        c.serial = "QX100001";
        c.printerName = "CD-R Inkographer";
        c.printerModel = "QCDP2";
        c.printerRevision = "5.30";
        c.printerSerial = "PA200001";
        c.alignPasses = true;
        if (name == "halcyra-1") {
            c.hal.printers = 1;
            c.hal.usbPorts = "A";
        } else if (name == "halcyra-lpt") {
            c.hal.usbPorts = "";
            c.hal.lpt1 = 'A';
            c.hal.lpt2 = 'B';
        }
    } else if (name.rfind("morrane", 0) == 0) {
        c.configuration = EConfiguration::Bin4;
        c.suffix = 'F';
        SetPrinterKind(c, EPrinter::Morrane);
        c.printerModel = name == "morrane-dkpr21"   ? "DKPR21"
                         : name == "morrane-dkpr22" ? "DKPR22"
                                                    : "DKPR10";
        c.printerRevision = "1.20";
    }
    return true;
}

void AddNormal240xFeatures(SDeviceConfig& c) {
    SDeviceConfig normal;
    LoadProfile("240x", normal);
    c.mailbox = normal.mailbox;
    c.loaderParams = normal.loaderParams;
    c.builtInPrinter = normal.builtInPrinter;
    if (c.printer == EPrinter::None) {
        c.printer = normal.printer;
        c.printerName = normal.printerName;
        c.printerModel = normal.printerModel;
        c.printerRevision = normal.printerRevision;
        c.printerSuffix = normal.printerSuffix;
    }
}

const char* SettingsHelp() {
    // One key a line: the manual page lists them as the help does.
    return "  name=TEXT                   transporter product name (16 characters, space-padded)\n"
           "  revision=D.DD[D]            transporter firmware revision\n"
           "  suffix=C                    transporter revision suffix letter\n"
           "  serial=TEXT                 transporter serial number (8 characters)\n"
           "  baud=9600|38400|115200      the rate the device answers at\n"
           "  idcount=N                   identification bytes after the inquiry head (0-999)\n"
           "  config=basic|drive1|drive3|bin4|short\n"
           "                              element answers of the probes\n"
           "  rotator=0|1                 a rotator is fitted\n"
           "  mailbox=0|1                 a mailbox is fitted\n"
           "  boot=0|1                    start-up firmware\n"
           "  short_sense=0|1             sense answered to ESC !f0C (the short form)\n"
           "  printer=none|normal|morrane\n"
           "                              printer behind the transporter\n"
           "  builtin_printer=0|1         no separate printer serial area\n"
           "  printer_name=TEXT           printer product name (16 characters)\n"
           "  printer_model=TEXT          printer model (6 characters)\n"
           "  printer_revision=D.DD[D]    printer firmware revision\n"
           "  printer_suffix=C            printer revision suffix letter\n"
           "  printer_serial=TEXT         printer serial number (8 characters)\n"
           "  align=0|1                   ESC !a3H support (the align passes)\n"
           "  align_busy_polls=N          busy Request Senses after ESC !a3H\n"
           "  print_count=N               printer counter (0-999999)\n"
           "  ribbon_count=N              ribbon counter (0-999999)\n"
           "  image_count=N               image counter (0-999999)\n"
           "  loader_params=0|1           the loader parameters are there\n"
           "  param_flags=FFFFF           the five loader parameter flags\n"
           "  display_name=TEXT           the loader's display name (16 characters)\n"
           "  sense=T[:P]                 sense codes reported by the first Request Sense\n"
           "  element.NNN=none|S|S:V      element answer: absent, fixed state, fixed value\n"
           "  reboot_ms=N                 silence while restarting, in milliseconds\n"
           "  flash_timeout_ms=N          firmware data time-out, in milliseconds\n"
           "  pace=0|1                    read no faster than the line rate (10 bits a byte)\n"
           "  wrong_rate=silent|garbage   behaviour at a wrong rate\n"
           "  seed=N                      seed of the random bytes\n"
           "  refuse=PREFIX:T[:P]         refuse a command whose text after ESC ! begins with\n"
           "                              PREFIX with sense T (printer P)\n"
           "  refuse_once=PREFIX:T[:P]    refuse the first such command only\n"
           "  drop=PREFIX                 drop the answer to such a command\n"
           "  garbage=PREFIX              garble the answer to such a command\n"
           "  silent=PREFIX               from such a command on, answer nothing\n"
           "  print_busy_polls=N          status polls that see a finished job still printing\n"
           "                              (default 1)\n"
           "  usb_printer_busy_polls=N    the same\n"
           "  print_end_sense=T[:P]       sense of the first poll after them (default 0:0)\n"
           "  morrane_codes=C,C,...       a Morrane printer's codes while it prints (3,3,21)\n"
           "  lpt=0|1|2|12                parallel printer ports linked as lpt1, lpt2\n"
           "  usb_entry=NAME              entry under DIR/usb of --usb-printer\n"
           "                              (vid_044e&pid_200a#SIM0)\n"
           "  bin1=N                      discs in BIN1 (0-99, default 25)\n"
           "  pocket_value=N              element 270's value; last digit 0/1 colour, 2 mono\n"
           "Fault rules (refuse, refuse_once, drop, garbage, silent) may be repeated; the first\n"
           "that applies wins. %XX in PREFIX is a byte (%3A ':', %23 '#', %25 '%'); the sense\n"
           "codes are the numbers after the last ':' that only numbers follow (refuse=f:000C:5\n"
           "refuses f:000C); PREFIX#N applies from the Nth such command on.\n"
           "\n"
           "Settings of the dual-printer transporter (halcyra profiles):\n"
           "  printers=1|2                printers fitted (inquiry count 64 or 96)\n"
           "  usb_ports=AB|BA|A|B|-A|none\n"
           "                              the printer on each USB port ('-': not ours)\n"
           "  lpt1=A|B|other|none         the printer on the parallel port lpt1\n"
           "  lpt2=A|B|other|none         the printer on the parallel port lpt2\n"
           "  open_drive=241..250|none    the recorder drawer that is out\n"
           "  drive_height=N              picker height FIND at 240 reports (default: drive's)\n"
           "  printer_b_serial=TEXT       printer B serial number (8 characters)\n"
           "  printer_b_revision=D.DD[D]  printer B firmware revision\n"
           "  printer_b_count=N           printer B print counter\n"
           "  sense_b=N                   printer B's code in the first Request Sense\n"
           "  align_b=0|1                 printer B prints the align passes (align: printer A)\n";
}

bool ApplySetting(const std::string& assignment, SDeviceConfig& c, std::string& error) {
    error.clear();
    const auto eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        error = "--set needs KEY=VALUE, got '" + assignment + "'";
        return false;
    }
    const std::string key = assignment.substr(0, eq);
    const std::string v = assignment.substr(eq + 1);
    auto bad = [&](const char* what) {
        error = "--set " + key + ": " + what + ", got '" + v + "'";
        return false;
    };
    long n = 0;

    if (key == "name") {
        if (v.size() > 16)
            return bad("at most 16 characters");
        c.name = v;
    } else if (key == "revision" || key == "printer_revision") {
        if (!ValidRevision(v))
            return bad("a revision like 3.07 or 3.209");
        (key == "revision" ? c.revision : c.printerRevision) = v;
    } else if (key == "suffix" || key == "printer_suffix") {
        if (v.size() > 1)
            return bad("one character");
        (key == "suffix" ? c.suffix : c.printerSuffix) = v.empty() ? ' ' : v[0];
    } else if (key == "serial" || key == "printer_serial") {
        if (v.size() > 8)
            return bad("at most 8 characters");
        (key == "serial" ? c.serial : c.printerSerial) = v;
    } else if (key == "baud") {
        if (!ParseNumber(v, 0, 115200, n) || (n != 9600 && n != 38400 && n != 115200))
            return bad("9600, 38400 or 115200");
        c.baud = static_cast<int>(n);
    } else if (key == "idcount") {
        if (!ParseNumber(v, 0, 999, n))
            return bad("a number from 0 to 999");
        c.idCount = static_cast<int>(n);
    } else if (key == "config") {
        if (v == "basic")
            c.configuration = EConfiguration::Basic;
        else if (v == "drive1")
            c.configuration = EConfiguration::Drive1;
        else if (v == "drive3")
            c.configuration = EConfiguration::Drive3;
        else if (v == "bin4")
            c.configuration = EConfiguration::Bin4;
        else if (v == "short")
            c.configuration = EConfiguration::ShortStatus;
        else
            return bad("basic, drive1, drive3, bin4 or short");
        c.shortSense = c.configuration == EConfiguration::ShortStatus || c.bootFirmware;
    } else if (bool* flag = FlagField(c, key)) {
        if (!ParseBool(v, *flag))
            return bad("0 or 1");
        if (key == "boot") // the start-up firmware reports sense in the short form too
            c.shortSense = c.bootFirmware || c.configuration == EConfiguration::ShortStatus;
    } else if (key == "printer") {
        if (v == "none")
            SetPrinterKind(c, EPrinter::None);
        else if (v == "normal")
            SetPrinterKind(c, EPrinter::Normal);
        else if (v == "morrane")
            SetPrinterKind(c, EPrinter::Morrane);
        else
            return bad("none, normal or morrane");
    } else if (key == "printer_name") {
        if (v.size() > 16)
            return bad("at most 16 characters");
        c.printerName = v;
    } else if (key == "printer_model") {
        if (v.size() > 6)
            return bad("at most 6 characters");
        c.printerModel = v;
    } else if (key == "align_busy_polls") {
        if (!ParseNumber(v, 0, 1000, n))
            return bad("a number from 0 to 1000");
        c.alignBusyPolls = static_cast<int>(n);
    } else if (key == "print_count" || key == "ribbon_count" || key == "image_count") {
        if (!ParseNumber(v, 0, 999999, n))
            return bad("a number from 0 to 999999");
        c.counters[key == "print_count" ? 0 : key == "ribbon_count" ? 1 : 2] = n;
    } else if (key == "param_flags") {
        if (v.size() != 5)
            return bad("five characters");
        c.paramFlags = v;
    } else if (key == "display_name") {
        if (v.size() > 16)
            return bad("at most 16 characters");
        c.displayName = v;
    } else if (key == "sense" || key == "print_end_sense") {
        const bool initial = key == "sense";
        if (!ParseSense(v, initial ? c.initialTransporterSense : c.printEndTransporterSense,
                        initial ? c.initialPrinterSense : c.printEndPrinterSense))
            return bad("T or T:P with codes from 0 to 999");
    } else if (key == "print_busy_polls" || key == "usb_printer_busy_polls") {
        if (!ParseNumber(v, 0, 1000, n))
            return bad("a number from 0 to 1000");
        c.printBusyPolls = static_cast<int>(n);
    } else if (key == "morrane_codes") {
        if (!ParseCodes(v, c.morraneCodes))
            return bad("codes from 0 to 999 separated by commas");
    } else if (key == "lpt") {
        if (c.halcyra) {
            error = "--set lpt: the dual-printer transporter's ports are lpt1= and lpt2=";
            return false;
        }
        if (v != "0" && v != "1" && v != "2" && v != "12")
            return bad("0, 1, 2 or 12");
        c.lpt1 = v == "1" || v == "12";
        c.lpt2 = v == "2" || v == "12";
    } else if (key == "usb_entry") {
        if (v.empty() || v == "." || v == ".." || v.find('/') != std::string::npos ||
            v.size() > 200)
            return bad("a file name");
        c.usbEntry = v;
    } else if (key == "bin1") {
        if (!ParseNumber(v, 0, 99, n))
            return bad("a number from 0 to 99");
        c.bin1Discs = static_cast<int>(n);
    } else if (key == "pocket_value") {
        if (!ParseNumber(v, 0, 99999, n))
            return bad("a number from 0 to 99999");
        c.pocketValue = n;
    } else if (c.halcyra && ApplyHalcyraSetting(key, v, c, error)) {
        return error.empty();
    } else if (key.rfind("element.", 0) == 0) {
        long element = 0;
        SElementSetting e;
        if (key.size() != 11 || !ParseNumber(key.substr(8), 0, 999, element))
            return bad("element.NNN with a three-digit element number");
        if (!ParseElement(v, e))
            return bad("none, a state digit, or STATE:VALUE");
        c.elements[static_cast<int>(element)] = e;
    } else if (key == "reboot_ms" || key == "flash_timeout_ms") {
        if (!ParseNumber(v, 0, 600000, n))
            return bad("milliseconds from 0 to 600000");
        (key == "reboot_ms" ? c.rebootMs : c.flashTimeoutMs) = static_cast<int>(n);
    } else if (key == "wrong_rate") {
        if (v != "silent" && v != "garbage")
            return bad("silent or garbage");
        c.wrongRateGarbage = v == "garbage";
    } else if (key == "seed") {
        if (!ParseNumber(v, 0, 999999999, n))
            return bad("a number");
        c.seed = static_cast<unsigned>(n);
    } else if (key == "refuse" || key == "refuse_once" || key == "drop" || key == "garbage" ||
               key == "silent") {
        const EFault kind = key == "refuse" || key == "refuse_once" ? EFault::Refuse
                            : key == "drop"                         ? EFault::Drop
                            : key == "silent"                       ? EFault::Silent
                                                                    : EFault::Garbage;
        std::string why;
        if (!c.faults.Add(kind, v, why, key == "refuse_once")) {
            error = "--set " + key + ": " + why;
            return false;
        }
    } else {
        error = "--set: unknown key '" + key + "' (daxsim --help lists them)";
        return false;
    }
    return true;
}

} // namespace dax::sim
