// daxsim: an autoloader on a pseudo-terminal, for the host program's end-to-end tests.

#include "DeviceLink.h"
#include "JsonLog.h"
#include "Options.h"
#include "PrinterPort.h"
#include "Profile.h"
#include "PseudoTerminal.h"
#include "SimServer.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnStopSignal(int) {
    g_stop = 1;
}

constexpr int kExitUsage = 64;

// The entries of several USB ports, in name order: "...#SIM0", "...#SIM1"; a name that does not
// end in a digit gets "-2", "-3".
std::string UsbEntry(const std::string& first, std::size_t index) {
    if (index == 0)
        return first;
    const char last = first.back();
    if (last >= '0' && last <= '9' && last + static_cast<int>(index) <= '9')
        return first.substr(0, first.size() - 1) + static_cast<char>(last + index);
    return first + "-" + std::to_string(index + 1);
}

} // namespace

int main(int argc, char** argv) {
    using namespace dax::sim;

    SOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "daxsim: %s\n%s", error.c_str(), Usage());
        return kExitUsage;
    }
    if (options.help) {
        std::printf("%s\nSettings for --set:\n%s\nProfiles for --profile:\n", Usage(),
                    SettingsHelp());
        for (const auto& p : ProfileList())
            std::printf("  %-20s %s\n", p.name, p.description);
        std::printf(
            "\nExit status: 0 stopped by a signal, 1 the pseudo-terminal, its link or the log\n"
            "could not be made, 64 bad usage.\n");
        return 0;
    }
    if (options.version) {
        std::printf("daxsim %s\n", DAXSIM_VERSION);
        return 0;
    }
    if (options.listProfiles) {
        for (const auto& p : ProfileList())
            std::printf("%-16s %s\n", p.name, p.description);
        return 0;
    }

    SDeviceConfig config;
    if (!LoadProfile(options.profile, config)) {
        std::fprintf(stderr, "daxsim: unknown profile '%s' (daxsim --list-profiles names them)\n",
                     options.profile.c_str());
        return kExitUsage;
    }
    for (const auto& setting : options.settings) {
        if (!ApplySetting(setting, config, error)) {
            std::fprintf(stderr, "daxsim: %s\n", error.c_str());
            return kExitUsage;
        }
    }

    // Stop signals are held back except while the server waits for bytes, so a stop is never
    // lost between looking at the flag and starting to wait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    CJsonLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath, error)) {
        std::fprintf(stderr, "daxsim: %s\n", error.c_str());
        return 1;
    }
    CPseudoTerminal line;
    if (!line.Open(error)) {
        std::fprintf(stderr, "daxsim: %s\n", error.c_str());
        return 1;
    }
    const std::string portName = "COM" + std::to_string(options.port);
    CDeviceLink link;
    if (!link.Create(DeviceDirectory(options.deviceDir), "com" + std::to_string(options.port),
                     line.SlavePath(), error)) {
        std::fprintf(stderr, "daxsim: %s\n", error.c_str());
        return 1;
    }

    // The printer's own ports, each linked before "ready" so that the host finds them at once.
    const std::string deviceDir = DeviceDirectory(options.deviceDir);
    std::vector<std::unique_ptr<CPrinterPort>> ports;
    auto addPort = [&](const char* source, const std::string& dir, const std::string& entry) {
        ports.push_back(std::make_unique<CPrinterPort>(source));
        return ports.back()->Open(dir, entry, error);
    };
    bool portsOk = true;
    if (config.halcyra) {
        // Each printer has a port of its own; the profile says which printer is on which.
        const auto& h = config.hal;
        for (std::size_t i = 0; portsOk && i < h.usbPorts.size(); ++i) {
            ports.push_back(
                std::make_unique<CPrinterPort>("usb" + std::to_string(i + 1), h.usbPorts[i]));
            portsOk = ports.back()->Open(deviceDir + "/usb", UsbEntry(config.usbEntry, i), error);
        }
        const char lpt[2] = {h.lpt1, h.lpt2};
        for (int i = 0; portsOk && i < 2; ++i) {
            if (lpt[i] == 0)
                continue;
            const std::string name = "lpt" + std::to_string(i + 1);
            ports.push_back(std::make_unique<CPrinterPort>(name, lpt[i]));
            portsOk = ports.back()->Open(deviceDir, name, error);
        }
    } else {
        portsOk = (!options.usbPrinter || addPort("usb", deviceDir + "/usb", config.usbEntry)) &&
                  (!config.lpt1 || addPort("lpt1", deviceDir, "lpt1")) &&
                  (!config.lpt2 || addPort("lpt2", deviceDir, "lpt2"));
    }
    if (!portsOk) {
        std::fprintf(stderr, "daxsim: %s\n", error.c_str());
        return 1;
    }

    std::vector<CPrinterPort*> portList;
    CJsonLine ready;
    ready.Add("event", "ready")
        .Add("profile", config.profile)
        .Add("port", portName)
        .Add("pts", line.SlavePath())
        .Add("link", link.Path())
        .Add("baud", config.baud);
    for (const auto& port : ports) {
        portList.push_back(port.get());
        ready.Add(port->Source(), port->Line().SlavePath())
            .Add(port->Source() + "_link", port->LinkPath());
        if (port->Printer() != 0) // the dual-printer transporter's: whose port it is
            ready.Add(port->Source() + "_printer",
                      port->Printer() == '-'
                          ? "other"
                          : std::string(1, static_cast<char>(port->Printer() - 'A' + 'a')));
    }
    CSimServer server(config, line, log, portList);
    if (!options.printCapture.empty() && !server.OpenCapture(options.printCapture, error)) {
        std::fprintf(stderr, "daxsim: %s\n", error.c_str());
        return 1;
    }
    if (!options.printPbmDir.empty()) {
        struct stat st {};
        if (stat(options.printPbmDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            std::fprintf(stderr, "daxsim: --print-pbm: %s is not a directory\n",
                         options.printPbmDir.c_str());
            return kExitUsage;
        }
        server.SetPbmDirectory(options.printPbmDir);
    }

    log.Write("event", ready);
    std::printf("ready %s %s\n", portName.c_str(), line.SlavePath().c_str());
    std::fflush(stdout);

    const bool ok = server.Run(g_stop, waitMask);
    link.Remove();
    for (const auto& port : ports)
        port->Close();
    if (!ok) {
        std::fprintf(stderr, "daxsim: the pseudo-terminal failed\n");
        return 1;
    }
    log.Write("event", CJsonLine().Add("event", "stopped"));
    return 0;
}
