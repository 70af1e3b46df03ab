#include "cli/CliOptions.h"

#include "cli/HelpFormatter.h"
#include "platform/DeviceNames.h"
#ifndef _WIN32
#include "platform/posix/SerialPortFacts.h"
#endif

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
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

// Options that go before or after the command; the ones that take a value.
const char* const kGlobalOptions[] = {"--port",  "--json", "--device-dir",
                                      "--trace", "--help", "--version"};
const char* const kGlobalValueOptions[] = {"--port", "--device-dir", "--trace"};

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string Nearest(const std::string& wrong, const std::vector<std::string>& valid) {
    std::string best;
    size_t bestDistance = SIZE_MAX;
    for (const std::string& v : valid) {
        const size_t d = EditDistance(wrong, v);
        if (d < bestDistance) {
            best = v;
            bestDistance = d;
        }
    }
    return best;
}

// Why the line was refused, kept for the report of a run with --json.
std::string& Refusal() {
    static std::string refusal;
    return refusal;
}

int Usage(const std::string& message) {
    std::fprintf(stderr, "%s\nRun with --help for more information.\n", message.c_str());
    Refusal() = message;
    return kExitUsage;
}

// --json is known before anything on the line is checked, so that a refused line gets its
// report in JSON wherever the flag stands.
bool AsksForJson(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size() && args[i] != "--"; ++i)
        if (args[i] == "--json")
            return true;
    return false;
}

int UnknownOption(const std::string& arg, const std::vector<std::string>& valid,
                  const std::string& command) {
    const std::string name = arg.substr(0, arg.find('='));
    return Usage("unknown option '" + name + "'" +
                 (command.empty() ? "" : " for '" + command + "'") + "; did you mean '" +
                 Nearest(name, valid) + "'?");
}

std::vector<std::string> OptionNames(const CLI::App& app) {
    std::vector<std::string> names;
    for (const CLI::Option* opt : app.get_options())
        for (const std::string& l : opt->get_lnames())
            if (!Contains(names, "--" + l))
                names.push_back("--" + l);
    return names;
}

// The values an option takes: any other is refused with what to enter ("Please enter 0 or 1."),
// after the option's name, as the field checks of the window word it.
CLI::Validator OneOf(std::vector<std::string> values) {
    std::string listed;
    for (size_t i = 0; i < values.size(); ++i)
        listed += (i == 0 ? "" : i + 1 == values.size() ? " or " : ", ") + values[i];
    return CLI::Validator(
        [values, listed](std::string& text) {
            return Contains(values, text) ? std::string() : "Please enter " + listed + ".";
        },
        "");
}

// The global options a command takes: --json everywhere; --port, --device-dir and --trace
// where they mean something. Commands not listed work with the transporter and take them all.
struct CommandGlobals {
    const char* command;
    const char* port; // what --port does for the command; none when it takes none
    bool portRequired, deviceDir, trace;
};
constexpr char kProbePort[] = "Probe only this port (1-256, COM1-COM256, or its node such as "
                              "/dev/ttyUSB0) instead of scanning every port";
constexpr CommandGlobals kCommandGlobals[] = {
    {"ports", "List only this port (1-256, COM1-COM256, or its node such as /dev/ttyUSB0)", false,
     true, false},
    {"pin", nullptr, false, true, false}, // the port is its argument
    {"udev-rule", "The port of the USB adapter (1-256, COM1-COM256, or its node)", true, true,
     false},
    {"pattern", nullptr, false, false, false}, // no device at all
    {"flash-info", nullptr, false, false, false},
};

CommandGlobals GlobalsOf(const std::string& command) {
    for (const CommandGlobals& g : kCommandGlobals)
        if (command == g.command)
            return g;
    return {"", kProbePort, false, true, true};
}

bool TakesGlobal(const std::string& command, const std::string& option) {
    const CommandGlobals g = GlobalsOf(command);
    return option == "--port"         ? g.port != nullptr
           : option == "--device-dir" ? g.deviceDir
           : option == "--trace"      ? g.trace
                                      : true;
}

// Whether CLI11's text names the option: the whole name, not the start of a longer one.
bool Names(const std::string& text, const std::string& name) {
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const size_t end = at + name.size();
        if ((at == 0 || text[at - 1] == ' ') &&
            (end == text.size() || text[end] == ':' || text[end] == ',' || text[end] == ' '))
            return true;
    }
    return false;
}

// CLI11's own refusals in the words of the others: the option's name, then what to enter.
std::string ParseErrorMessage(const CLI::ParseError& e, const CLI::App& app) {
    const std::string what = e.what();
    if (dynamic_cast<const CLI::RequiredError*>(&e) && app.get_subcommands().empty())
        return "A command is required; daxtool-cli --help lists them";
    if (!dynamic_cast<const CLI::ArgumentMismatch*>(&e) &&
        !dynamic_cast<const CLI::ConversionError*>(&e))
        return what;
    // A flag given a value, or an option left without its own.
    std::vector<const CLI::App*> apps = {&app};
    for (const CLI::App* sub : app.get_subcommands())
        apps.push_back(sub);
    // The global options are one per command: the one named may be any of them.
    const CLI::Option* named = nullptr;
    for (const CLI::App* a : apps)
        for (const CLI::Option* opt : a->get_options())
            if (Names(what, opt->get_name()) && (!named || opt->count() > named->count()))
                named = opt;
    if (named) {
        if (named->get_expected_max() == 0)
            return named->get_name() + ": Please enter no value; it is a switch.";
        if (named->count() > 1)
            return named->get_name() + ": Please give it once.";
        return named->get_name() + ": Please enter a value after it.";
    }
    return what;
}

// "5", "COM5", "com5" or "\\.\COM5": the COM number, 1 to 256.
std::optional<int> ParsePort(const std::string& text) {
    if (!text.empty() &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return DeviceNames::parseComPath("COM" + text);
    return DeviceNames::parseComPath(text);
}

std::optional<int> ParseLine(int argc, char** argv, const std::string& versionText, CliOptions& o) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!o.commandLine.empty())
            o.commandLine += ' ';
        o.commandLine += arg;
        if (i == 0 || !IsTestOption(arg))
            args.push_back(arg);
    }
    o.json = AsksForJson(args);

    CLI::App app{"Service tool for the disc-publishing autoloader's transporter.\n"
                 "Finds the transporter on a serial port and works with it.",
                 "daxtool-cli"};
    app.formatter(std::make_shared<HelpFormatter>());
    app.set_version_flag("--version", versionText);
    const std::string footer =
        "Options: -TestN sets the test level (mailbox-test needs -Test1).\n"
        "Exit status: 0 done, 1 the operation failed, 2 no transporter found,\n"
        "3 refused to start (another copy or the job server runs), 64 bad usage,\n"
        "128+N stopped by signal N in a firmware download, the mailbox test or\n"
        "a question waiting for its answer (130 Ctrl-C, 143 SIGTERM).";
    app.footer(footer);
    app.require_subcommand(1);
    app.allow_extras();
    std::optional<std::string> portText;
    // The global options are taken before the command and after it alike; a command lists
    // those that mean something for it, after its own.
    auto addGlobals = [&](CLI::App* a) {
        const CommandGlobals g = GlobalsOf(a->get_name());
        // A command that checks for --port itself, to answer in JSON, is marked as needing it.
        if (g.port)
            a->add_option("--port", portText, g.port)
                ->option_text(g.portRequired ? "N REQUIRED" : "N");
        a->add_flag("--json", o.json, "Print one JSON object instead of key: value lines");
        if (g.deviceDir)
            a->add_option("--device-dir", o.deviceDir,
                          "Only the entries of DIR exist as devices (comN, lpt1, lpt2, usb/...)")
                ->option_text("DIR");
        if (g.trace)
            a->add_option("--trace", o.traceFile,
                          "Write the port's opening, rate changes, closing and every byte to FILE")
                ->option_text("FILE");
    };
    addGlobals(&app);
    auto command = [&](const char* name, const char* description) {
        CLI::App* sub = app.add_subcommand(name, description);
        sub->allow_extras();
        sub->footer(footer);
        return sub;
    };

    command("ports", "List the serial ports, USB printers and parallel ports found");
    command("scan", "Find the transporter and show where it answers");
    command("info", "Find the transporter and show everything it reports");
    auto* serial = command("set-serial", "Store serial numbers in the transporter");
    // Which serials a device needs depends on the fields its window enables: checked once it
    // is found (the stand-alone printer has only its own).
    serial
        ->add_option("--transporter", o.transporterSn,
                     "Transporter serial (up to 8 characters); needed where the device keeps one")
        ->option_text("SN");
    serial
        ->add_option("--printer", o.printerSn,
                     "Printer serial (up to 8 characters); without it the printer keeps its own")
        ->option_text("SN");
    serial->add_option("--printer-b", o.printerBSn, "Printer B serial (up to 8 characters)")
        ->option_text("SN");
    auto* params = command("set-params", "Store the loader parameters");
    params->add_option("--name", o.displayName, "Display name (up to 16 characters)")
        ->option_text("NAME");
    params->add_option("--override", o.overrideName, "Show the display name (0 or 1)")
        ->option_text("0|1")
        ->check(OneOf({"0", "1"}));
    params->add_option("--shutdown", o.enableShutdown, "Enable the shutdown button (0 or 1)")
        ->option_text("0|1")
        ->check(OneOf({"0", "1"}));
    params->add_option("--computer-name", o.useComputerName, "Show the computer name (0 or 1)")
        ->option_text("0|1")
        ->check(OneOf({"0", "1"}));
    params->add_option("--beeps", o.beeps, "Beeps on a fault (0-9)")->option_text("N");
    command("flash-leds", "Flash the transporter's lights");
    auto* flash =
        command("flash", "Program transporter or printer firmware from a .bin flash file");
    flash->add_option("FILE", o.flashFile, "The flash file")->required();
    auto* noCheck = flash->add_flag("--no-check", o.noCheck,
                                    "Skip the device compatibility check for this update");
    flash
        ->add_flag("--check", o.flashCheckOnly,
                   "Only check the file against the transporter: say which image would be "
                   "programmed and why, program nothing")
        ->excludes(noCheck);
    command("flash-info", "List the images of a .bin flash file and what each is for (no device "
                          "is used)")
        ->add_option("FILE", o.flashFile, "The flash file")
        ->required();
    // The answers to the boxes of a disc load, for runs with nobody at a terminal.
    auto addLoadAnswers = [&](CLI::App* a) {
        a->add_flag("--disc-placed", o.discPlaced,
                    "The disc is on the tray: answers \"Place disc on printer tray\" (stand-alone "
                    "printer without its disc handler)");
        a->add_option("--retry", o.retries,
                      "Answer Retry to a failed move's Retry/Cancel box up to N times, then "
                      "Cancel")
            ->option_text("N")
            ->check(CLI::Range(0, 99));
    };
    addLoadAnswers(command("print-grid", "Print the calibration grid on a disc from bin 1"));
    auto* rotator = command("calibrate-rotator",
                            "One Test round of the rotational offset and margin calibration: "
                            "the offset marks printed on the calibration disc in bin 1");
    rotator->add_option("--printer", o.printer, "Printer A or B (two-printer transporters)")
        ->option_text("A|B")
        ->check(OneOf({"A", "B"}));
    // Which of these a transporter needs depends on the fields its dialog enables: checked
    // once it is found.
    rotator
        ->add_option("--left", o.leftOffset,
                     "Left rotational offset (0-64); not with Calibrate Margins")
        ->option_text("N");
    rotator
        ->add_option("--right", o.rightOffset,
                     "Right rotational offset (0-64); not with Calibrate Margins")
        ->option_text("N");
    rotator
        ->add_option("--left-margin", o.leftMargin,
                     "Left margin (0-10); not where the printer's margins are fixed")
        ->option_text("N");
    rotator
        ->add_option("--top-margin", o.topMargin,
                     "Top margin (0-150); not where the printer's margins are fixed")
        ->option_text("N");
    rotator->add_flag("--restore-default", o.restoreDefault,
                      "Ask for the default rotational offset (--left and --right not needed)");
    rotator->add_flag("--save", o.save, "Save Offset after a good round");
    addLoadAnswers(rotator);
    auto* pocket =
        command("calibrate-pocket", "One Test round of the pocket disc calibration: the disc "
                                    "loaded with the offset for the angle it came to rest at");
    pocket->add_option("--size", o.sizeMm, "Pocket disc size in mm (58, 61 or 63)")
        ->option_text("58|61|63")
        ->check(OneOf({"58", "61", "63"}))
        ->required();
    pocket
        ->add_option("--angle", o.angle,
                     "Angle the disc came to rest at (0-180, 90 is ideal); needed unless "
                     "--restore-default")
        ->option_text("N");
    pocket->add_flag("--restore-default", o.restoreDefault,
                     "Ask for the default pocket offset instead of the angle's");
    pocket->add_flag("--save", o.save, "Save Offset after a good round");
    pocket->add_flag("--assume-loaded", o.assumeLoaded,
                     "Answer Yes to \"Is the disc on the printer?\" when the load fails "
                     "(asked on a terminal, else No)");
#ifndef _WIN32
    auto* pin = command("pin", "Link the devices folder's COMn entry to a serial device's "
                               "stable /dev/serial/by-id name");
    pin->add_option("COMn", o.pinPort, "The port number to give it (COM5 or 5)")->required();
    pin->add_option("NODE", o.pinNode, "The device: /dev/ttyUSB0, a /dev/serial/by-id name")
        ->required();
    command("udev-rule", "Print a udev rule for the USB adapter of --port: a stable link, the "
                         "dialout group, ModemManager kept off it");
#endif
    command("mailbox-test",
            "Open and close the mailbox until a command fails or Ctrl-C (needs -Test1)");
    auto* pattern = command("pattern", "Draw what a built-in pattern prints, as a PNG "
                                       "picture (no device is used)");
    pattern->add_option("NAME", o.patternName, "grid (calibration grid) or marks (offset marks)")
        ->option_text("grid|marks")
        ->required()
        ->check(OneOf({"grid", "marks"}));
    pattern->add_option("--png", o.pngFile, "The picture to write")
        ->required()
        ->option_text("FILE");

    for (CLI::App* sub : app.get_subcommands({}))
        addGlobals(sub);

    // The command is the first word that is neither an option nor an option's value; a word
    // that names none is answered before CLI11 would take it for a stray argument.
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands({}))
        commands.push_back(sub->get_name());
    const std::vector<std::string> globals(std::begin(kGlobalOptions), std::end(kGlobalOptions));
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--")
            break;
        if (arg.size() > 1 && arg[0] == '-') {
            const std::string name = arg.substr(0, arg.find('='));
            if (!Contains(globals, name) && name != "-h")
                return UnknownOption(arg, globals, "");
            if (name == arg &&
                std::find(std::begin(kGlobalValueOptions), std::end(kGlobalValueOptions), name) !=
                    std::end(kGlobalValueOptions))
                ++i;
            continue;
        }
        if (!Contains(commands, arg))
            return Usage("unknown command '" + arg + "'; did you mean '" + Nearest(arg, commands) +
                         "'?");
        break;
    }

    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        // A script that asks for the version in JSON gets it as its one object.
        if (!o.json)
            return app.exit(e);
        const nlohmann::ordered_json j = {{"version", versionText}};
        std::printf("%s\n",
                    j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
        return kExitDone;
    } catch (const CLI::ParseError& e) {
        return Usage(ParseErrorMessage(e, app));
    }
    CLI::App* sub = app.get_subcommands().front();
    o.command = sub->get_name();
    // A global option the command does not take, before the command or after it. A device
    // directory before it is taken as $DAXTOOL_DEVICE_DIR is: where no device is used it
    // changes nothing.
    for (const char* global : {"--port", "--trace"})
        if (!TakesGlobal(o.command, global) && app.get_option(global)->count() > 0)
            return Usage("'" + o.command + "' takes no " + global);
    for (const std::string& extra : sub->remaining()) {
        const std::string name = extra.substr(0, extra.find('='));
        if (Contains(globals, name))
            return Usage("'" + o.command + "' takes no " + name);
        if (extra.size() > 1 && extra[0] == '-')
            return UnknownOption(extra, OptionNames(*sub), o.command);
        return Usage("unexpected argument '" + extra + "' for '" + o.command + "'");
    }
    if (portText) {
        o.port = ParsePort(*portText);
#ifndef _WIN32
        // A node or a link to one is the COM number that leads to it.
        if (!o.port && portText->find('/') != std::string::npos) {
            const DeviceNames names(DeviceEnvironment::fromProcess(), o.deviceDir);
            o.port = ComNumberOfNode(names, *portText);
            if (!o.port &&
                DescribeNode(names.environment(), *portText).kind == SerialNodeFacts::Kind::Missing)
                return Usage("--port: " + *portText + " does not exist");
            if (!o.port)
                return Usage("--port: no COM number leads to " + *portText +
                             "; give it one with: daxtool-cli pin COMn " + *portText);
        }
#endif
        if (!o.port)
            return Usage("--port: '" + *portText + "' names no port; give 1-256 or COM1-COM256");
    }
    return std::nullopt;
}

} // namespace

std::optional<int> ParseCliOptions(int argc, char** argv, const std::string& versionText,
                                   CliOptions& o) {
    Refusal().clear();
    const std::optional<int> exit = ParseLine(argc, argv, versionText, o);
    o.refusal = Refusal();
    return exit;
}

} // namespace dax
