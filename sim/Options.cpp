#include "Options.h"

#include "Numbers.h"

namespace dax::sim {

const char* Usage() {
    return "Usage: daxsim --profile NAME [--set KEY=VALUE ...] [--port N] [--device-dir DIR] "
           "[--log FILE] [--usb-printer] [--print-capture FILE] [--print-pbm DIR]\n"
           "  or:  daxsim --list-profiles | --help | --version\n"
           "Plays an autoloader on a pseudo-terminal linked as DIR/comN, prints\n"
           "'ready COMn /dev/pts/X' and serves until SIGTERM or SIGINT.\n"
           "DIR is --device-dir, else $DAXTOOL_DEVICE_DIR, else ~/.config/Korvix/devices.\n"
           "--usb-printer links DIR/usb/vid_044e&pid_200a#SIM0 to the printer's USB port\n"
           "(--set lpt=1|2|12 links lpt1, lpt2 to its parallel ports); --print-capture\n"
           "writes the print bytes as they arrive, --print-pbm each job's page.\n";
}

bool ParseOptions(int argc, const char* const* argv, SOptions& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        auto take = [&]() {
            if (hasValue)
                return true;
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--list-profiles") {
            o.listProfiles = true;
        } else if (arg == "--profile") {
            if (!take())
                return false;
            o.profile = value;
        } else if (arg == "--set") {
            if (!take())
                return false;
            o.settings.push_back(value);
        } else if (arg == "--port") {
            if (!take())
                return false;
            long port = 0;
            if (!ParseNumber(value, 1, 256, port)) {
                error = "--port must be a number from 1 to 256, got '" + value + "'";
                return false;
            }
            o.port = static_cast<int>(port);
        } else if (arg == "--device-dir") {
            if (!take())
                return false;
            o.deviceDir = value;
        } else if (arg == "--log") {
            if (!take())
                return false;
            o.logPath = value;
        } else if (arg == "--usb-printer" && !hasValue) {
            o.usbPrinter = true;
        } else if (arg == "--print-capture") {
            if (!take())
                return false;
            o.printCapture = value;
        } else if (arg == "--print-pbm") {
            if (!take())
                return false;
            o.printPbmDir = value;
        } else {
            error = "unknown option '" + std::string(argv[i]) + "'";
            return false;
        }
    }
    if (!o.help && !o.version && !o.listProfiles && o.profile.empty()) {
        error = "--profile is required (daxsim --list-profiles names them)";
        return false;
    }
    return true;
}

} // namespace dax::sim
