#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <iostream>
#include <vector>

namespace dax {

namespace {

// -TestN (or /TestN) is the program's own option, taken from anywhere on the line; CLI11
// never sees it. A path like /testdata/x.bin is not one.
bool IsTestOption(const std::string& arg) {
    if (arg.size() < 5 || (arg[0] != '-' && arg[0] != '/'))
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(arg[1 + i])) != "test"[i])
            return false;
    return arg[0] == '-' || arg.size() <= 6;
}

} // namespace

std::optional<int> ParseCliOptions(int argc, char** argv, const std::string& versionText,
                                   CliOptions& o) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!o.commandLine.empty())
            o.commandLine += ' ';
        o.commandLine += arg;
        if (i == 0 || !IsTestOption(arg))
            args.push_back(arg);
    }

    CLI::App app{"Service tool for the disc-publishing autoloader's transporter.\n"
                 "Finds the transporter on a serial port and works with it.",
                 "daxtool-cli"};
    app.set_version_flag("--version", versionText);
    app.footer("Options: -TestN sets the test level (mailbox-test needs -Test1).\n"
               "Exit status: 0 done, 1 the operation failed, 2 no transporter found,\n"
               "3 refused to start (another copy or the job server runs), 64 bad usage.");
    app.require_subcommand(1);
    app.add_option("--port", o.port, "Probe only COMn (1-256) instead of scanning every port")
        ->check(CLI::Range(1, 256))
        ->option_text("N");
    app.add_flag("--json", o.json, "Print one JSON object instead of key: value lines");
    app.add_option("--device-dir", o.deviceDir,
                   "Only the entries of DIR exist as devices (comN, lpt1, lpt2, usb/...)")
        ->option_text("DIR");
    app.add_option("--trace", o.traceFile, "Write every byte sent and received to FILE")
        ->option_text("FILE");

    app.add_subcommand("ports", "List the serial ports, USB printers and parallel ports found");
    app.add_subcommand("scan", "Find the transporter and show where it answers");
    app.add_subcommand("info", "Find the transporter and show everything it reports");
    auto* serial = app.add_subcommand("set-serial", "Store serial numbers in the transporter");
    serial->add_option("--transporter", o.transporterSn, "Transporter serial (8 characters)")
        ->required();
    serial->add_option("--printer", o.printerSn, "Printer serial (8 characters)")->required();
    serial->add_option("--printer-b", o.printerBSn, "Printer B serial (8 characters)");
    auto* params = app.add_subcommand("set-params", "Store the loader parameters");
    params->add_option("--name", o.displayName, "Display name (up to 16 characters)");
    params->add_option("--override", o.overrideName, "Show the display name (0 or 1)")
        ->check(CLI::Range(0, 1));
    params->add_option("--shutdown", o.enableShutdown, "Enable the shutdown button (0 or 1)")
        ->check(CLI::Range(0, 1));
    params->add_option("--computer-name", o.useComputerName, "Show the computer name (0 or 1)")
        ->check(CLI::Range(0, 1));
    params->add_option("--beeps", o.beeps, "Beeps on a fault (0-9)");
    app.add_subcommand("flash-leds", "Flash the transporter's lights");
    auto* flash = app.add_subcommand("flash", "Program transporter or printer firmware from a "
                                              ".bin flash file");
    flash->add_option("FILE", o.flashFile, "The flash file")->required();
    flash->add_flag("--no-check", o.noCheck, "Skip the device compatibility check for this update");
    app.add_subcommand("print-grid", "Print the calibration grid on a disc from bin 1");
    app.add_subcommand("mailbox-test", "Open and close the mailbox until a command fails");
    auto* pattern = app.add_subcommand("pattern", "Draw what a built-in pattern prints, as a PNG "
                                                  "picture (no device is used)");
    pattern->add_option("NAME", o.patternName, "grid (calibration grid) or marks (offset marks)")
        ->required()
        ->check(CLI::IsMember({"grid", "marks"}));
    pattern->add_option("--png", o.pngFile, "The picture to write")
        ->required()
        ->option_text("FILE");

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }
    o.command = app.get_subcommands().front()->get_name();
    return std::nullopt;
}

} // namespace dax
