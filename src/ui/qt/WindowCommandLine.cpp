#include "ui/qt/WindowCommandLine.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>
#include <string_view>

namespace dax {

const char kNoDisplayMessage[] = "no display; daxtool-cli does the same from a terminal";

namespace {

// The platform the toolkit will use: -platform NAME on the line, else $QT_QPA_PLATFORM.
std::string ChosenPlatform(int argc, const char* const* argv,
                           const EnvironmentLookup& environment) {
    for (int i = 1; i + 1 < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-platform" || arg == "--platform")
            return argv[i + 1];
    }
    return environment("QT_QPA_PLATFORM");
}

// Whether one platform plugin name can show a window here. Only the two desktop ones need a
// server; offscreen, vnc, eglfs and the like bring their own screen.
bool PlatformUsable(const std::string& name, const EnvironmentLookup& environment,
                    const DisplayCheck& answers) {
    const std::string plugin = name.substr(0, name.find(':')); // "xcb:display=:1" has options
    if (plugin == "xcb") {
        const auto option = name.find("display=");
        const std::string display =
            option == std::string::npos
                ? environment("DISPLAY")
                : name.substr(option + 8, name.find(',', option) - option - 8);
        return !display.empty() && answers("xcb", display);
    }
    if (plugin.rfind("wayland", 0) == 0)
        return answers("wayland", environment("WAYLAND_DISPLAY"));
    return !plugin.empty();
}

// The toolkit's own options, taken with one dash or two; whether each is followed by a value.
struct ToolkitOption {
    std::string_view name;
    bool value;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"reverse", false},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"widgetcount", false},
    {"display", true},
    {"geometry", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
};

// The test level as the program has always taken it: "-Test" or "/Test" and what follows.
bool IsTestLevel(std::string_view arg) {
    if (arg.size() < 5 || (arg[0] != '-' && arg[0] != '/'))
        return false;
    for (size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(arg[1 + i])) != "test"[i])
            return false;
    return true;
}

} // namespace

std::string UnknownOption(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (IsTestLevel(arg))
            continue;
        std::string_view name = arg;
        if (name.rfind("--", 0) == 0)
            name.remove_prefix(2);
        else if (name.rfind("-", 0) == 0)
            name.remove_prefix(1);
        else
            return std::string(arg);
        const bool inline_value = name.find('=') != std::string_view::npos;
        name = name.substr(0, name.find('='));
        const auto* option =
            std::find_if(std::begin(kToolkitOptions), std::end(kToolkitOptions),
                         [name](const ToolkitOption& o) { return o.name == name; });
        if (option == std::end(kToolkitOptions))
            return std::string(arg);
        if (option->value && !inline_value) {
            if (i + 1 >= argc)
                return std::string(arg); // its value is missing
            ++i;
        }
    }
    return {};
}

WindowStart ClassifyWindowStart(int argc, const char* const* argv,
                                const EnvironmentLookup& environment, const DisplayCheck& answers) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h")
            return WindowStart::Help;
        if (arg == "--version")
            return WindowStart::Version;
    }
    if (!UnknownOption(argc, argv).empty())
        return WindowStart::BadUsage;
    const std::string platform = ChosenPlatform(argc, argv, environment);
    if (platform.empty()) {
        // The toolkit's own choice on a desktop: Wayland or X11, whichever the session has.
        const bool wayland = !environment("WAYLAND_DISPLAY").empty() &&
                             PlatformUsable("wayland", environment, answers);
        return wayland || PlatformUsable("xcb", environment, answers) ? WindowStart::Run
                                                                      : WindowStart::NoDisplay;
    }
    // A list such as "wayland;xcb" is tried in order: one usable entry is enough.
    std::istringstream list(platform);
    for (std::string entry; std::getline(list, entry, ';');)
        if (PlatformUsable(entry, environment, answers))
            return WindowStart::Run;
    return WindowStart::NoDisplay;
}

std::string WindowHelpText() {
    return "Usage: daxtool [-TestN] [--help] [--version]\n"
           "Service tool for the disc-publishing autoloader's transporter: the window.\n"
           "Scans the serial ports for the transporter at start-up, shows what it is, stores\n"
           "serial numbers and loader parameters, programs firmware and calibrates printing.\n"
           "\n"
           "Options:\n"
           "  -TestN       set the test level (-Test1 offers the mailbox test)\n"
           "  -h, --help   print this help and exit\n"
           "  --version    print the version and exit\n"
           "\n"
           "Needs a display (X11 or Wayland); daxtool-cli does the same from a terminal.\n"
           "Serial ports are COMn names mapped onto device nodes: COM1-32 are /dev/ttyS0-31,\n"
           "COM33-64 /dev/ttyUSB0-31, COM65-96 /dev/ttyACM0-31; links named comN in the device\n"
           "directory ~/.config/Korvix/devices pin any node to a number, and with\n"
           "$DAXTOOL_DEVICE_DIR set only the entries of that directory exist.\n"
           "\n"
           "Exit status: 0 closed normally, 1 no display, 3 refused to start (another copy\n"
           "or the job server runs), 64 an unknown option.\n";
}

} // namespace dax
