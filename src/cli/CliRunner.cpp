#include "cli/CliRunner.h"

#include "app/CDaxtoolApp.h"
#include "app/CDaxtoolDlg.h"
#include "app/ControlIds.h"
#include "app/DialogStrings.h"
#include "cli/CliOptions.h"
#include "cli/CliReport.h"
#include "cli/CliView.h"
#include "cli/FileTrace.h"
#include "cli/PatternCommand.h"
#include "cli/PortsCommand.h"
#include "platform/DeviceNames.h"
#include "platform/Format.h"
#include "platform/RealClock.h"
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

#include <cstdio>
#include <memory>

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

// Runs the command's handler on the found device; the exit status.
int RunCommand(const CliOptions& o, CDaxtoolDlg& dlg, CliView& view) {
    if (o.command == "scan" || o.command == "info")
        return kExitDone;
    if (o.command == "flash-leds") {
        dlg.OnFlashLeds();
        return dlg.GetTransporter()->GetErrorText().empty() ? kExitDone : kExitFailed;
    }
    if (o.command == "flash") {
        view.SetFileToOpen(o.flashFile);
        view.SetCheck(IDC_DISABLE_CHECK, o.noCheck);
        dlg.OnUpdateFlash();
        // Printer firmware ends at "completed": the printer restarts on its own.
        const bool done = dlg.m_strStatus == "Flash update succeeded" ||
                          dlg.m_strStatus == "Downloading - completed";
        return done ? kExitDone : dlg.GetTransporter() ? kExitFailed : kExitNoTransporter;
    }
    if (o.command == "print-grid") {
        // The window offers the button only for a printer that can take the grid.
        const CTransporter& t = *dlg.GetTransporter();
        if (!t.m_bGridPrintable || t.m_nPrinters <= 0) {
            std::fprintf(stderr, "This transporter cannot print the calibration grid\n");
            return kExitFailed;
        }
        dlg.OnPrintGrid();
        return dlg.m_strStatus == kPrintingCompleted ? kExitDone : kExitFailed;
    }
    if (o.command == "mailbox-test") {
        if (dlg.GetTestLevel() != 1) {
            std::fprintf(stderr, "mailbox-test needs -Test1\n");
            return kExitUsage;
        }
        if (!dlg.GetTransporter()->m_bMailbox) {
            std::fprintf(stderr, "This transporter has no mailbox\n");
            return kExitFailed;
        }
        // The test runs until a command fails; that failure is how it ends.
        dlg.OnTest();
        std::fprintf(stderr, "Mailbox test ended: %s\n",
                     dlg.GetTransporter()->GetErrorText().c_str());
        return kExitDone;
    }
    // set-serial and set-params: the values go through the dialog's validation first.
    TypeOptions(o, view);
    if (!dlg.UpdateData(true))
        return kExitUsage;
    if (o.command == "set-serial")
        dlg.OnUpdateSerial();
    else
        dlg.OnSetParams();
    return dlg.m_strStatus == kUpdateSucceeded ? kExitDone : kExitFailed;
}

} // namespace

int RunCli(int argc, char** argv) {
    CDaxtoolApp app;
    CliOptions o;
    // The version text is needed before the options are checked (--version).
    app.ReadStartupOptions("", ReadVersionBlock());
    if (auto exit = ParseCliOptions(argc, argv, app.VersionReport("daxtool-cli"), o))
        return *exit;
    app.ReadStartupOptions(o.commandLine, ReadVersionBlock());
    // Drawing a pattern touches no device, so it may run beside another copy.
    if (o.command == "pattern")
        return RunPatternCommand(o.patternName, o.pngFile, o.json, stdout, stderr);

    SystemMutexes mutexes;
    std::string refusal;
    if (!app.AcquireInstance(mutexes, refusal)) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
        return kExitRefused;
    }

    DeviceNames names(DeviceEnvironment::fromProcess(), o.deviceDir);
    if (o.command == "ports") {
        PrintPorts(names, o.json, stdout);
        return kExitDone;
    }

    RealClock clock;
    std::unique_ptr<FileTrace> trace;
    if (o.traceFile) {
        trace = std::make_unique<FileTrace>(*o.traceFile, clock);
        if (!trace->IsOpen()) {
            std::fprintf(stderr, "Unable to write the trace file %s\n", o.traceFile->c_str());
            return kExitUsage;
        }
    }
    SystemSerialDevices serial(names);
    SystemSettings settings;
    CliView view;
    DialogContext context(serial, clock, settings);
    app.FillDialogContext(context);
    context.trace = trace.get();
    SystemPrinterDevices printers(names);
    context.printerDevices = &printers;
    CDaxtoolDlg dlg(context, view);
    if (o.port) {
        // As when the port is chosen in the Port box: only that port is probed.
        dlg.OnInitDialog(false);
        dlg.SelectPort(*o.port);
        dlg.OnPortChange();
    } else {
        dlg.OnInitDialog(true);
    }

    int status = kExitNoTransporter;
    if (dlg.GetTransporter())
        status = RunCommand(o, dlg, view);
    else
        PrintPermissionHints(names, o.port.value_or(0), stderr);

    view.ClearProgress();
    CliReport report(dlg, view, names);
    if (o.json)
        report.PrintJson(stdout);
    else
        report.PrintHuman(stdout, o.command == "scan");
    dlg.OnClose();
    return status;
}

} // namespace dax
