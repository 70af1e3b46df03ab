#include "cli/CliRunner.h"

#include "app/CDaxtoolApp.h"
#include "app/CDaxtoolDlg.h"
#include "app/CommandGate.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "app/FieldValidation.h"
#include "app/FlashLayout.h"
#include "cli/CalibrateCommand.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliView.h"
#include "cli/FileTrace.h"
#include "cli/FlashInfoCommand.h"
#include "cli/PatternCommand.h"
#include "cli/PinCommand.h"
#include "cli/PortsCommand.h"
#include "cli/ScanRecord.h"
#include "cli/StandardOutput.h"
#include "cli/StoppableClock.h"
#include "cli/TracedPrinterDevices.h"
#include "cli/UdevRuleCommand.h"
#include "platform/DeviceNames.h"
#include "platform/Format.h"
#include "platform/LocalFile.h"
#include "platform/ProgramDirectory.h"
#ifdef _WIN32
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/Win32NamedMutex.h"
#include "platform/win32/Win32PrinterDevices.h"
#include "platform/win32/Win32SerialDevice.h"
#else
#include "platform/posix/PosixNamedMutex.h"
#include "platform/posix/PosixPrinterDevices.h"
#include "platform/posix/PosixSerialDevice.h"
#include "platform/qt/QtSettingsStore.h"
#endif

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace dax {

namespace {

// The system's side of the seams: the registry and COM ports on Windows, where the program needs
// no Qt; the device directory and Qt's settings file elsewhere.
#ifdef _WIN32
using SystemMutexes = Win32NamedMutexFactory;
using SystemSerialDevices = Win32SerialDeviceFactory;
using SystemPrinterDevices = Win32PrinterDevices;
using SystemSettings = RegistrySettingsStore;
#else
using SystemMutexes = PosixNamedMutexFactory;
using SystemSerialDevices = PosixSerialDeviceFactory;
using SystemPrinterDevices = PosixPrinterDevices;
using SystemSettings = QtSettingsStore;
#endif

constexpr char kNeedsTestLevel[] = "mailbox-test needs -Test1";

// Each option of set-serial and set-params and the control it is typed into.
std::vector<int> OptionControls(const CliOptions& o) {
    std::vector<int> ids;
    const std::pair<bool, int> given[] = {
        {bool(o.transporterSn), IDC_TRANSPORTER_SN},
        {bool(o.printerSn), IDC_PRINTER_SN},
        {bool(o.printerBSn), IDC_PRINTER_B_SN},
        {bool(o.displayName), IDC_DISPLAY_NAME},
        {bool(o.overrideName), IDC_OVERRIDE_NAME},
        {bool(o.enableShutdown), IDC_ENABLE_SHUTDOWN},
        {bool(o.useComputerName), IDC_USE_COMPUTER_NAME},
        {bool(o.beeps), IDC_BEEPS},
    };
    for (const auto& [present, id] : given)
        if (present)
            ids.push_back(id);
    return ids;
}

// Puts the options of set-serial and set-params into the controls, as a technician would type
// them, so the dialog's own field exchange validates them.
void TypeOptions(const CliOptions& o, CliView& view) {
    if (o.transporterSn)
        view.SetControlText(IDC_TRANSPORTER_SN, *o.transporterSn);
    if (o.printerSn)
        view.SetControlText(IDC_PRINTER_SN, *o.printerSn);
    if (o.printerBSn)
        view.SetControlText(IDC_PRINTER_B_SN, *o.printerBSn);
    if (o.displayName)
        view.SetControlText(IDC_DISPLAY_NAME, *o.displayName);
    if (o.overrideName)
        view.SetCheck(IDC_OVERRIDE_NAME, *o.overrideName != 0);
    if (o.enableShutdown)
        view.SetCheck(IDC_ENABLE_SHUTDOWN, *o.enableShutdown != 0);
    if (o.useComputerName)
        view.SetCheck(IDC_USE_COMPUTER_NAME, *o.useComputerName != 0);
    if (o.beeps)
        view.SetControlText(IDC_BEEPS, *o.beeps);
}

std::string CheckSerialOption(const std::string& text) {
    // An unset shell variable gives an empty value: it must not erase the stored number.
    if (text.empty())
        return "Please enter a serial number; an empty one would erase the stored one.";
    return CheckDeviceText(text, kSerialNumberChars);
}

std::string CheckNameOption(const std::string& text) {
    return CheckDeviceText(text, kDisplayNameChars);
}

std::string CheckBeepsOption(const std::string& text) {
    int beeps = 0;
    return CheckBeeps(text, beeps);
}

// The text options of set-serial and set-params, each with the check of the field it is typed
// into.
struct TextOption {
    const std::optional<std::string> CliOptions::*value;
    const char* name;
    std::string (*check)(const std::string&);
};
constexpr TextOption kTextOptions[] = {
    {&CliOptions::transporterSn, "--transporter", CheckSerialOption},
    {&CliOptions::printerSn, "--printer", CheckSerialOption},
    {&CliOptions::printerBSn, "--printer-b", CheckSerialOption},
    {&CliOptions::displayName, "--name", CheckNameOption},
    {&CliOptions::beeps, "--beeps", CheckBeepsOption},
};

// The fields a command may change, as the device gave them.
struct DeviceFields {
    std::string transporterSn, printerSn, printerBSn, displayName;
    bool overrideName = false, enableShutdown = false, useComputerName = false;
    int beeps = 0;

    static DeviceFields Of(const CDaxtoolDlg& d) {
        return {d.m_strTransporterSn, d.m_strPrinterSn,    d.m_strPrinterBSn,    d.m_strDisplayName,
                d.m_bOverrideName,    d.m_bEnableShutdown, d.m_bUseComputerName, d.m_nBeeps};
    }
    void PutBack(CDaxtoolDlg& d) const {
        d.m_strTransporterSn = transporterSn;
        d.m_strPrinterSn = printerSn;
        d.m_strPrinterBSn = printerBSn;
        d.m_strDisplayName = displayName;
        d.m_bOverrideName = overrideName;
        d.m_bEnableShutdown = enableShutdown;
        d.m_bUseComputerName = useComputerName;
        d.m_nBeeps = beeps;
    }
};

// Every option value checked as the window would check it, before any port is opened. Empty
// when all are good; otherwise the message, already shown on stderr.
std::string CheckOptions(const CliOptions& o, CDaxtoolDlg& dlg) {
    std::string why;
    if (o.command == "mailbox-test" && dlg.GetTestLevel() != 1) {
        why = kNeedsTestLevel;
    } else if (o.command == "flash") {
        FlashFile file;
        FlashImagePlace first;
        OpenFlashFile(file, o.flashFile, first, why);
    } else if (o.command == "calibrate-rotator" || o.command == "calibrate-pocket") {
        why = CheckCalibrationValues(o);
    } else {
        // The checks of the window's fields, each message after the option's name.
        for (const TextOption& t : kTextOptions)
            if (const auto& text = o.*t.value; text && why.empty())
                if (const std::string message = t.check(*text); !message.empty())
                    why = std::string(t.name) + ": " + message;
    }
    if (!why.empty())
        std::fprintf(stderr, "%s\n", why.c_str());
    return why;
}

// The window's button for a command, and the fields its options are typed into: the command
// runs only when the window would let them be used.
std::string Unavailable(const CliOptions& o, CliView& view) {
    int button = IDC_NONE;
    if (o.command == "flash-leds")
        button = IDC_FLASH_LEDS;
    else if (o.command == "flash")
        button = IDC_UPDATE_FLASH;
    else if (o.command == "mailbox-test")
        button = IDC_TEST;
    else if (o.command == "set-serial")
        button = IDC_UPDATE_SERIAL;
    else if (o.command == "set-params")
        button = IDC_SET_PARAMS;
    else if (o.command == "print-grid")
        button = IDC_PRINT_GRID;
    else if (o.command == "calibrate-rotator")
        button = IDC_CALIBRATE_ROTATOR;
    else if (o.command == "calibrate-pocket")
        button = IDC_CALIBRATE_POCKET;
    if (button == IDC_NONE)
        return {};
    std::string why = ControlUnavailableReason(view, button);
    for (int id : OptionControls(o))
        if (why.empty())
            why = ControlUnavailableReason(view, id);
    return why;
}

// The serial set-serial cannot do without on the device found: the transporter's where the
// window lets it be changed, else the printer's (the stand-alone printer has only its own).
std::string MissingSerial(const CliOptions& o, CliView& view) {
    if (o.command != "set-serial")
        return {};
    if (ControlUnavailableReason(view, IDC_TRANSPORTER_SN).empty())
        return o.transporterSn ? "" : "--transporter is required on this transporter";
    if (ControlUnavailableReason(view, IDC_PRINTER_SN).empty())
        return o.printerSn ? "" : "--printer is required on this transporter";
    return {};
}

std::string PortName(const CDaxtoolDlg& dlg) {
    return dlg.m_strPortPath.size() > 4 ? dlg.m_strPortPath.substr(4) : dlg.m_strPortPath;
}

// Runs the command's handler on the found device; the exit status.
int RunCommand(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view,
               CalibrationSummary& calibration) {
    if (o.command == "scan" || o.command == "info") {
        // The device's facts are shown all the same; a read that failed makes it a failure.
        if (dlg.PageReadFailed())
            return kExitFailed;
        if (dlg.m_strStatus.empty())
            dlg.m_strStatus =
                Format("Transporter found on %s at %d baud", PortName(dlg).c_str(), dlg.m_nBaud);
        return kExitDone;
    }
    if (const std::string why = Unavailable(o, view); !why.empty()) {
        dlg.m_strStatus = why;
        return kExitFailed;
    }
    if (const std::string why = MissingSerial(o, view); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        dlg.m_strStatus = why;
        return kExitUsage;
    }
    if (o.command == "calibrate-rotator")
        return RunCalibrateRotator(o, dlg, view, calibration);
    if (o.command == "calibrate-pocket")
        return RunCalibratePocket(o, dlg, view, calibration);
    if (o.command == "flash-leds") {
        dlg.OnFlashLeds();
        if (dlg.LastOutcome() != CommandOutcome::Succeeded)
            return kExitFailed;
        dlg.m_strStatus = Format("The transporter on %s flashes its lights", PortName(dlg).c_str());
        return kExitDone;
    }
    if (o.command == "flash" && o.flashCheckOnly) {
        dlg.OnCheckFlashFile(o.flashFile);
        return dlg.LastOutcome() == CommandOutcome::Succeeded ? kExitDone : kExitFailed;
    }
    if (o.command == "flash") {
        view.SetFileToOpen(o.flashFile);
        view.SetCheck(IDC_DISABLE_CHECK, o.noCheck);
        dlg.OnUpdateFlash();
        if (dlg.LastOutcome() == CommandOutcome::Succeeded)
            return kExitDone;
        // Stopped by a signal: the status the shell gives a program that signal ended.
        if (const int signal = view.StoppedBySignal())
            return kExitBySignal + signal;
        // Not found again after the download: the update failed, the transporter was there.
        return kExitFailed;
    }
    if (o.command == "print-grid") {
        dlg.OnPrintGrid();
        return dlg.LastOutcome() == CommandOutcome::Succeeded ? kExitDone : kExitFailed;
    }
    if (o.command == "mailbox-test") {
        // The test runs until a command fails, or until Ctrl-C or SIGTERM stops it at its next
        // step; the summary says how many cycles were done and why it ended.
        const CTransporter& transporter = *dlg.GetTransporter();
        view.SetPumpProgress([&transporter] {
            return Format("Mailbox test: %d cycles", transporter.m_nMailboxCycles);
        });
        view.SetStoppable(true);
        dlg.OnTest();
        view.SetStoppable(false);
        view.SetPumpProgress(nullptr);
        const int signal = view.StoppedBySignal();
        const std::string reason = signal == SIGINT    ? std::string("stopped by Ctrl-C")
                                   : signal == SIGTERM ? std::string("stopped by SIGTERM")
                                   : signal != 0       ? Format("stopped by signal %d", signal)
                                   : transporter.GetErrorText().empty()
                                       ? std::string("ended")
                                       : "ended by a failed command: " + transporter.GetErrorText();
        dlg.m_strStatus = Format("Mailbox test: %d cycles done, %s", transporter.m_nMailboxCycles,
                                 reason.c_str());
        return signal != 0 ? kExitBySignal + signal : kExitDone;
    }
    // set-serial and set-params: the values go through the dialog's validation again, on the
    // page the device filled.
    const DeviceFields read = DeviceFields::Of(dlg);
    TypeOptions(o, view);
    if (!dlg.UpdateData(true)) {
        read.PutBack(dlg);
        dlg.m_strStatus = view.messages.empty() ? "Bad option value" : view.messages.back();
        return kExitUsage;
    }
    if (o.command == "set-serial")
        dlg.OnUpdateSerial();
    else
        dlg.OnSetParams();
    if (dlg.LastOutcome() == CommandOutcome::Succeeded)
        return kExitDone;
    // The report shows what the device holds: what it read back, else what it held before;
    // a value whose store is in doubt is reported as unknown.
    if (!dlg.StoredFieldsReadBack())
        read.PutBack(dlg);
    if (const int signal = view.StoppedBySignal())
        return kExitBySignal + signal;
    return kExitFailed;
}

// A port's node is there: on Linux a dangling link counts, as it says why the port is missing.
bool IsThere(const DeviceNames& names, const std::string& node) {
#ifdef _WIN32
    return names.isPresent(node);
#else
    (void)names;
    struct stat st;
    return ::lstat(node.c_str(), &st) == 0;
#endif
}

// The status of a scan that found nothing, naming the port (or every port) and why.
void DescribeNotFound(const CliOptions& o, CDaxtoolDlg& dlg, const DeviceNames& names,
                      const ScanRecord& record, CliReport& report) {
    if (o.port) {
        // Nothing answered as a transporter: the record says what came back at each rate. The
        // dialog's text begins with the finding; what it adds (an unfinished update) follows.
        const ScanRecord::Port* p = record.Find(dlg.m_strPortPath);
        if (p && dlg.LastOutcome() == CommandOutcome::NotFound)
            dlg.m_strStatus.insert(
                std::min(std::strlen(kNoTransporterFound), dlg.m_strStatus.size()),
                " on " + dlg.m_strPortPath + ": " + ScanRecord::Outcome(*p));
        return;
    }
    // Every port was tried: none of them is the report's port. Those that are there (a
    // dangling link too) say how each ended.
    report.SetNoPort();
    std::string status;
    for (int n = 1; n <= DeviceNames::kMaxComPort; ++n) {
        const auto node = names.resolveCom(n);
        const ScanRecord::Port* p = record.Find(Format("\\\\.\\COM%d", n));
        if (!node || !p || !IsThere(names, *node))
            continue;
        status += (status.empty() ? ": " : "; ") +
                  (p->openFailure.empty() ? p->path + ": " : std::string()) +
                  ScanRecord::Outcome(*p);
    }
#ifdef _WIN32
    if (status.empty())
        status = ": the system has no serial ports";
#endif
    if (status.empty())
        status = ": there are no serial ports (" +
                 (names.directory().empty() ? std::string("no device directory")
                                            : names.directory() + " has no comN entries") +
                 (names.isolated() ? ")" : " and no /dev/ttyS, ttyUSB or ttyACM node)");
    // An update that did not finish may be why none answers: the dialog said so, and so does
    // the summary that replaces its text.
    dlg.m_strStatus = dlg.WithAnyUnfinishedUpdate(kNoTransporterFound + status);
}

// The files a command reads (the flash file, the alignment files of the offset marks, the
// settings), which --trace must not name: emptying one for the trace would destroy it.
std::vector<std::string> InputFiles(const CliOptions& o) {
    std::vector<std::string> files;
    if (o.command == "flash")
        files.push_back(o.flashFile);
    for (const char* family : {"Mo", "Mo2", "Mo3"})
        for (const char* colour : {"CMY", "MONO"})
            files.push_back(ProgramDirectory() + Format("%sAlign%s.prn", family, colour));
#ifndef _WIN32
    files.push_back(QtSettingsStore::DefaultPath());
#endif
    return files;
}

// --trace names a regular file of its own, none that the command reads. Empty when it does,
// else the refusal.
std::string CheckTracePath(const CliOptions& o) {
    if (!o.traceFile)
        return {};
    for (const std::string& input : InputFiles(o))
        if (IsSameFile(*o.traceFile, input))
            return "--trace " + *o.traceFile + " is " + input +
                   ", which this command reads; give the trace a file of its own";
    if (const std::string kind = NotARegularFile(*o.traceFile); !kind.empty())
        return "--trace " + *o.traceFile + " is " + kind + "; give the trace a regular file";
    return {};
}

// The end of every run that printed a report: output that was lost is a failure (1, unless the
// run already failed otherwise), said on stderr.
int FinishRun(int status, FileTrace* trace) {
    std::string why;
    if (trace && !trace->Close(why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        if (status == kExitDone)
            status = kExitFailed;
    }
    if (!StandardOutput::Finish(why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        if (status == kExitDone)
            status = kExitFailed;
    }
    return status;
}

} // namespace

int RunCli(int argc, char** argv) {
    // Before anything is opened, so no file or port takes the number of a closed stdout.
    StandardOutput::Protect();
#ifndef _WIN32
    // A trace that reaches the file-size limit fails its write, and says so; the signal would
    // end the program in the middle of whatever it does to the device.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    CDaxtoolApp app;
    CliOptions o;
    // The version text is needed before the options are checked (--version).
    app.ReadStartupOptions("", ReadVersionBlock());
    if (auto exit = ParseCliOptions(argc, argv, app.VersionReport("daxtool-cli"), o)) {
        if (o.json && !o.refusal.empty())
            PrintStatusJson(stdout, o.refusal);
        return FinishRun(*exit, nullptr);
    }
    app.ReadStartupOptions(o.commandLine, ReadVersionBlock());
    // Drawing a pattern touches no device, so it may run beside another copy.
    if (o.command == "pattern")
        return FinishRun(RunPatternCommand(o.patternName, o.pngFile, o.json, stdout, stderr),
                         nullptr);
    // Reading a flash file touches no device either.
    if (o.command == "flash-info")
        return FinishRun(RunFlashInfoCommand(o.flashFile, o.json, stdout, stderr), nullptr);

    DeviceNames names(DeviceEnvironment::fromProcess(), o.deviceDir);
    // Listing and naming ports open no device, so they run beside a copy that holds them.
    if (o.command == "ports")
        return FinishRun(PrintPorts(names, o.json, stdout, o.port), nullptr);
#ifndef _WIN32
    if (o.command == "pin")
        return FinishRun(RunPin(names, o.pinPort, o.pinNode, o.json, stdout), nullptr);
    if (o.command == "udev-rule")
        return FinishRun(PrintUdevRule(names, o.port, o.json, stdout), nullptr);
#endif

    StoppableClock clock;
    // Opened once every option is known to be good.
    std::unique_ptr<FileTrace> file;
    if (o.traceFile)
        file = std::make_unique<FileTrace>(*o.traceFile, clock, [&names](const std::string& path) {
            return names.resolvePath(path).value_or("");
        });
    ScanRecord record(file.get());
    SystemSerialDevices serial(names);
    SystemSettings settings;
    CliView view;
    view.Prompts().Configure(o);
    view.SetTrace(file.get());
    clock.SetStopCheck([&view] { return view.StopRequested(); });
    DialogContext context(serial, clock, settings);
    app.FillDialogContext(context);
    context.trace = &record;
    SystemPrinterDevices printers(names);
    context.printerDevices = &printers;
    std::unique_ptr<TracedPrinterDevices> tracedPrinters;
    if (file) {
        tracedPrinters = std::make_unique<TracedPrinterDevices>(printers, *file);
        context.printerDevices = tracedPrinters.get();
    }
    CDaxtoolDlg dlg(context, view);
    CliReport report(dlg, view, names);
    auto print = [&] {
        view.ClearProgress();
        if (o.json)
            report.PrintJson(stdout);
        else
            report.PrintHuman(stdout, o.command == "scan");
    };
    // A refusal before any port is opened: the reason on stderr and as the report's status.
    auto refuse = [&](const std::string& why, int status) {
        dlg.m_strStatus = why;
        report.SetNoPort();
        print();
        return FinishRun(status, nullptr);
    };

    // Bad values end the run before any port is opened or setting written.
    if (const std::string why = CheckOptions(o, dlg); !why.empty())
        return refuse(why, kExitUsage);
    if (const std::string why = CheckTracePath(o); !why.empty()) {
        std::fprintf(stderr, "%s\n", why.c_str());
        return refuse(why, kExitUsage);
    }
#ifndef _WIN32
    // A settings file that is no file: nothing of it was read, and nothing would be kept.
    if (!settings.Problem().empty()) {
        std::fprintf(stderr, "%s\n", settings.Problem().c_str());
        return refuse(settings.Problem(), kExitFailed);
    }
#endif
    if (file) {
        std::string why;
        if (!file->Open(why)) {
            std::fprintf(stderr, "%s\n", why.c_str());
            return refuse(why, kExitUsage);
        }
    }

    SystemMutexes mutexes;
    std::string refusal;
    if (!app.AcquireInstance(mutexes, refusal)) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        dlg.m_strStatus = refusal;
        report.SetNoPort();
        print();
        return FinishRun(kExitRefused, file.get());
    }
    if (const std::string& warning = app.GetGuardWarning(); !warning.empty()) {
        std::fprintf(stderr, "%s\n", warning.c_str());
        if (file)
            file->Note(warning);
    }

    // Off a terminal, where no progress line is drawn, each port and rate tried is a line.
    if (!isatty(fileno(stderr)))
        record.ShowTries(stderr);
    if (o.port) {
        // As when the port is chosen in the Port box: only that port is probed.
        dlg.OnInitDialog(false);
        dlg.SelectPort(*o.port);
        dlg.OnPortChange();
    } else {
        dlg.OnInitDialog(true);
    }
    record.ShowTries(nullptr);

    int status = kExitNoTransporter;
    CalibrationSummary calibration;
    const CliPrompts& prompts = view.Prompts();
    if (dlg.GetTransporter() && prompts.StoppedBySignal() == 0)
        status = RunCommand(o, dlg, view, calibration);
    else if (!dlg.GetTransporter())
        DescribeNotFound(o, dlg, names, record, report);
    // A box that stopped the command says why, and names the option that answers it.
    if (const int signal = prompts.StoppedBySignal())
        status = kExitBySignal + signal;
    if (!prompts.StopStatus().empty() && status != kExitDone && status != kExitNoTransporter) {
        dlg.m_strStatus = prompts.StopStatus();
        if (calibration.status)
            calibration.status = prompts.StopStatus();
    }
    // A failure the device gave no words for still names what failed.
    std::string& shown =
        calibration.status && !calibration.lines.empty() ? *calibration.status : dlg.m_strStatus;
    if (status != kExitDone && shown.empty())
        shown = o.command + " failed; the transporter gave no reason";
    if (!calibration.lines.empty())
        report.SetCalibration(&calibration);
    print();
    dlg.OnClose();
    return FinishRun(status, file.get());
}

} // namespace dax
