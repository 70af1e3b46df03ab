#pragma once

#include <optional>
#include <string>

namespace dax {

// What the command line asked for.
struct CliOptions {
    std::string command;
    std::optional<int> port;
    bool json = false;
    std::optional<std::string> deviceDir;
    std::optional<std::string> traceFile;
    std::string commandLine; // the whole line, for the test-level option
    std::string refusal;     // why the line was refused (exit 64), for the report

    // set-serial
    std::optional<std::string> transporterSn;
    std::optional<std::string> printerSn;
    std::optional<std::string> printerBSn;
    // set-params
    std::optional<std::string> displayName;
    std::optional<int> overrideName;
    std::optional<int> enableShutdown;
    std::optional<int> useComputerName;
    std::optional<std::string> beeps;
    // flash and flash-info
    std::string flashFile;
    bool noCheck = false;
    bool flashCheckOnly = false; // flash --check
    // calibrate-rotator and calibrate-pocket: values as typed into the dialog's fields; a field
    // without one keeps what the dialog shows
    std::string printer; // "A", "B" or empty
    std::optional<std::string> leftOffset;
    std::optional<std::string> rightOffset;
    std::optional<std::string> leftMargin;
    std::optional<std::string> topMargin;
    int sizeMm = 0;
    std::optional<std::string> angle;
    bool restoreDefault = false;
    bool save = false;
    bool assumeLoaded = false;
    // print-grid and calibrate-rotator: the answers to their boxes off a terminal
    bool discPlaced = false;
    std::optional<int> retries;
    // pin
    std::string pinPort;
    std::string pinNode;
    // pattern
    std::string patternName;
    std::string pngFile;
};

// Exit statuses of daxtool-cli.
enum CliExit : int {
    kExitDone = 0,
    kExitFailed = 1,
    kExitNoTransporter = 2,
    kExitRefused = 3,
    kExitUsage = 64,
    kExitBySignal = 128, // plus the signal that stopped a firmware download
};

// Parses the arguments. Returns the exit status to end with at once (help, version, bad usage:
// the text has been printed, and a refused line's reason is in `options.refusal`), or none to
// go on with `options`. With --json anywhere on the line, `options.json` is set even then.
std::optional<int> ParseCliOptions(int argc, char** argv, const std::string& versionText,
                                   CliOptions& options);

} // namespace dax
